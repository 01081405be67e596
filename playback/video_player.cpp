#include "playback/video_player.h"

#include "platform/file_names.h"
#include "playback/empty_player.h"
#include "playback/facts_overlay.h"
#include "playback/keys_panel.h"
#include "playback/open_video.h"
#include "playback/picture_gestures.h"
#include "playback/picture_loupe.h"
#include "playback/picture_note.h"
#include "playback/pixel_readout.h"
#include "playback/player_commands.h"
#include "playback/transport_bar.h"
#include "playback/transport_binding.h"
#include "session/player_keys.h"
#include "video/video_view.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QVBoxLayout>

namespace tandemo {

MediaPlayer* VideoPlayer::create(QWidget* parent, const VideoPlayerOptions& options,
                                 Session* session)
{
    RenderPath path = options.renderPath.value_or(detectRenderPath());
    // Even when asked for, never draw with GL where the platform has no window system.
    if (!platformDrawsWithGl(QGuiApplication::platformName()))
        path = RenderPath::Software;
    EngineOptions engineOptions = options.engine;
    engineOptions.rotateBeforeRendering = path == RenderPath::Software;
    // Without a GPU device nothing decodes in hardware: the decoder is the software path's,
    // which leaves out what a pane too small cannot show.
    engineOptions.hardwareDecoding = path == RenderPath::OpenGL && hasGpuDevice();
    QString error;
    std::unique_ptr<PlayerEngine> engine = createPlayerEngine(engineOptions, &error);
    if (!engine)
        return new EmptyPlayer(error, parent);
    return new VideoPlayer(std::move(engine), path, parent, session);
}

VideoPlayer::VideoPlayer(std::unique_ptr<PlayerEngine> engine, RenderPath path, QWidget* parent,
                         Session* session)
    : ComparedPlayer(parent)
    , m_renderPath(path)
    , m_engine(std::move(engine))
{
    setAcceptDrops(true);
    m_actions = new PlayerActions(*m_engine, m_settings, session ? &session->link() : nullptr,
                                  session ? &session->comparison() : nullptr, this);
    // The render context must exist before the engine loads a file: the view makes it at once.
    m_surface = new VideoView(*m_engine, path, this);
    m_surface->widget()->setFocusPolicy(Qt::NoFocus);
    // The engine decodes as much of the picture as the area it is drawn into can show.
    m_surface->widget()->installEventFilter(this);
    m_facts = new FactsOverlay(
        [engine = m_engine.get(), mapping = session ? &session->toneMapping() : nullptr] {
            MediaFacts facts = engine->facts();
            if (mapping)
                facts.mapping = mapping->descriptionFor(facts.file);
            return facts;
        },
        m_surface->widget());
    connect(m_actions, &PlayerActions::factsShownChanged, m_facts, &FactsOverlay::setShown);
    auto* gestures = new PictureGestures(*m_surface->widget());
    connect(gestures, &PictureGestures::zoomRequested, this, &VideoPlayer::zoomAt);
    connect(gestures, &PictureGestures::panRequested, this, &VideoPlayer::panBy);
    connect(gestures, &PictureGestures::doubleClicked, m_actions, &PlayerActions::toggleFullScreen);
    auto* readout = new PixelReadout(*m_surface->widget(), *m_actions, /*tracksPointer=*/true);
    new PictureLoupe(*m_surface->widget(), *m_actions);
    connect(gestures, &PictureGestures::pointerMoved, readout,
            [readout](QPointF at) { readout->pointTo(at); });
    connect(gestures, &PictureGestures::pointerLeft, readout,
            [readout] { readout->pointTo(std::nullopt); });
    connect(m_actions, &PlayerActions::keysRequested, this,
            [this] { KeysPanel::toggleOver(*window()); });
    if (Comparison* comparison = m_actions->comparison()) {
        connect(comparison, &Comparison::exportAsked, this, [this, comparison](int pane) {
            if (pane != m_actions->pane())
                return;
            const auto stem = [comparison](int index) {
                return QFileInfo(comparison->pane(index)->file()).completeBaseName();
            };
            if (!comparison->pane(0) || !comparison->pane(1))
                return;
            askForExportFile(*this, stem(0) + " vs " + stem(1) + ".mp4",
                             [comparison](const QString& file) {
                                 comparison->exportTo(comparison->shownLayout(), file);
                             });
        });
    }
    connect(m_actions, &PlayerActions::openVideoRequested, this, [this, session] {
        askForVideos(*this, [this, session](const QStringList& files) {
            // Several chosen: the pane holds them as renditions, the first showing.
            if (session && files.size() > 1)
                session->renditions().hold(m_actions->pane(), files);
            setURL(files.constFirst());
        });
    });
    connect(m_actions, &PlayerActions::momentCopied, this,
            [](const QString& text) { QGuiApplication::clipboard()->setText(text); });
    connect(m_actions, &PlayerActions::pasteRequested, this,
            [this] { m_actions->goToMoment(QGuiApplication::clipboard()->text()); });
    connect(m_actions, &PlayerActions::customFilterRequested, this, [this] {
        askForFilterChain(*this, m_engine->pictureFilter(),
                          [this](const QString& chain) { m_actions->filter().set(chain); });
    });
    m_hint = new EmptyPaneHint(*m_surface->widget());
    PictureNote* note = showNotes();
    connect(m_actions, &PlayerActions::said, note,
            [note](const QString& text) { note->say(text); });
    if (session) {
        connect(&session->renditions(), &Renditions::shown, note,
                [this, note](int pane, int index, int count) {
                    if (pane == m_actions->pane())
                        note->say(QStringLiteral("%1 \u2014 %2 of %3")
                                      .arg(QFileInfo(m_engine->file()).fileName())
                                      .arg(index + 1)
                                      .arg(count));
                });
    }
    m_transport = new TransportBar(this);
    // A message too long for the bar is said over the picture, where it is read whole.
    connect(m_transport, &TransportBar::statusCut, note, &PictureNote::say);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_surface->widget(), 1);
    layout->addWidget(m_transport);

    connectSettings();
    connectEngine();
    connectSurface();
    // The frame around the player is part of its pane: while it has the focus, the player's
    // keys act and the pane shows it has the focus.
    if (parent)
        parent->installEventFilter(this);
}

VideoPlayer::~VideoPlayer()
{
    // The render context goes before the engine it draws.
    m_surface->releaseRenderContext();
    m_engine.reset();
}

PictureNote* VideoPlayer::showNotes()
{
    // What the user just changed of this pane, or of whose sound is heard, said over its picture.
    auto* note = new PictureNote(*m_surface->widget());
    connect(m_actions, &PlayerActions::mirroredChanged, note,
            [note](bool mirrored) { note->say(mirrored ? tr("Mirrored") : tr("Not mirrored")); });
    if (Comparison* comparison = m_actions->comparison()) {
        connect(comparison, &Comparison::heardChanged, note, [note](int pane) {
            note->say(pane < 0    ? tr("Sound from both panes")
                      : pane == 0 ? tr("Sound from the left pane")
                                  : tr("Sound from the right pane"));
        });
    }
    return note;
}

void VideoPlayer::connectSettings()
{
    m_engine->setVolume(m_settings.volume());
    m_engine->setMute(m_settings.mute());
    connect(&m_settings, &PlayerSettings::modeChanged, this, [this](const QString& mode, bool on) {
        if (mode == QLatin1String("loop"))
            m_engine->setLoop(on);
    });
    connect(&m_settings, &PlayerSettings::volumeChanged, m_engine.get(), &PlayerEngine::setVolume);
    connect(&m_settings, &PlayerSettings::muteChanged, m_engine.get(), &PlayerEngine::setMute);
}

void VideoPlayer::connectEngine()
{
    // What was drawn last belongs to a file that is gone.
    connect(m_engine.get(), &PlayerEngine::idleChanged, this, [this](bool idle) {
        if (idle)
            m_surface->clear();
        m_hint->setVisible(idle && m_url.isEmpty());
    });
    connect(m_engine.get(), &PlayerEngine::loadStarted, m_hint, &QWidget::hide);
    connect(m_engine.get(), &PlayerEngine::fileFailed, this, [this] { m_surface->clear(); });
    bindTransportBar(*m_transport, *m_actions);
}

void VideoPlayer::connectSurface()
{
    connect(&m_surface->events(), &VideoSurfaceEvents::frameRendered, this,
            &VideoPlayer::frameRendered);
    if (m_surface->hasFailed())
        m_transport->setStatus(tr("Cannot show video"));
}

void VideoPlayer::setURL(const QString& url)
{
    m_url = url;
    if (m_surface->hasFailed())
        return; // nothing can be shown, as the status already says
    m_transport->setStatus(QString());
    if (url.isEmpty()) {
        m_engine->unload();
        return;
    }
    // The engine opens regular files only, and reports anything else as a file it cannot play.
    m_engine->loadFile(fileToOpen(), !m_settings.autoStart());
}

QString VideoPlayer::fileToOpen() const
{
    // Always a local file: as an absolute path, a name that looks like a URL or an option is
    // opened as the file of that name. Names are matched without regard to case, as the
    // system the player was made for matches them.
    return resolveIgnoringCase(absoluteFileName(m_url));
}

std::unique_ptr<QMenu> VideoPlayer::createContextMenu()
{
    return tandemo::createContextMenu(*m_actions);
}

QString VideoPlayer::factsText() const
{
    return m_facts->isShown() ? m_facts->text() : QString();
}

void VideoPlayer::drawForPicture(QSize pixels)
{
    // Filling the picture, both videos of a comparison line up whatever their sizes.
    m_engine->setScaledToFit(!pixels.isEmpty());
    m_surface->setOffscreenSize(pixels);
    m_pictureSize = pixels;
    showPictureArea();
}

void VideoPlayer::showPictureArea()
{
    const QWidget* surface = m_surface->widget();
    m_engine->setPictureArea(
        !m_pictureSize.isEmpty()
            ? m_pictureSize
            : (QSizeF(surface->size()) * surface->devicePixelRatioF()).toSize());
}

QImage VideoPlayer::pictureFrame() const
{
    return m_surface->offscreenFrame();
}

QImage VideoPlayer::shownPicture()
{
    const bool forPicture = !m_pictureSize.isEmpty();
    const QImage drawn = forPicture ? m_surface->offscreenFrame() : m_surface->drawnPicture();
    const QSize video = videoSize();
    if (drawn.isNull() || video.isEmpty())
        return drawn;
    // The bars cut off: a small picture shows at its own size, a large one shrunk to fit.
    QSize fitted = video;
    if (forPicture || video.width() > drawn.width() || video.height() > drawn.height())
        fitted = video.scaled(drawn.size(), Qt::KeepAspectRatio);
    return drawn.copy(
        QRect(QPoint((drawn.width() - fitted.width()) / 2, (drawn.height() - fitted.height()) / 2),
              fitted));
}

void VideoPlayer::zoomAt(QPointF point, double steps)
{
    m_actions->zoomPictureAt(point, steps, m_surface->widget()->size());
}

void VideoPlayer::panBy(QPointF delta)
{
    m_actions->panPicture(delta, m_surface->widget()->size());
}

bool VideoPlayer::handleKey(QKeyEvent* event)
{
    const std::optional<PlayerCommand> command = commandForKey(event->keyCombination());
    // Tab moves the focus on as ever, unless there are renditions to switch among.
    if (!command || (command->kind == PlayerCommand::NextRendition && !holdsRenditions()))
        return false;
    perform(*m_actions, *command);
    event->accept();
    return true;
}

bool VideoPlayer::holdsRenditions() const
{
    const Comparison* comparison = m_actions->comparison();
    return comparison && comparison->renditions().holderFor(m_actions->pane()) >= 0;
}

bool VideoPlayer::focusNextPrevChild(bool next)
{
    return !holdsRenditions() && MediaPlayer::focusNextPrevChild(next);
}

void VideoPlayer::keyPressEvent(QKeyEvent* event)
{
    if (!handleKey(event))
        MediaPlayer::keyPressEvent(event);
}

bool VideoPlayer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_surface->widget() && event->type() == QEvent::Resize)
        showPictureArea();
    if (watched == parent()) {
        switch (event->type()) {
        case QEvent::KeyPress:
            return handleKey(static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            showFocus();
            break;
        default:
            break;
        }
    }
    return MediaPlayer::eventFilter(watched, event);
}

void VideoPlayer::focusInEvent(QFocusEvent* event)
{
    MediaPlayer::focusInEvent(event);
    showFocus();
}

void VideoPlayer::focusOutEvent(QFocusEvent* event)
{
    MediaPlayer::focusOutEvent(event);
    showFocus();
}

void VideoPlayer::showFocus()
{
    // Read after the event: focus moving from the frame into the player keeps the mark.
    const QWidget* frame = parentWidget();
    m_transport->setFocusMarked(hasFocus() || (frame && frame->hasFocus()));
}

void VideoPlayer::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_properties.enableContextMenu) {
        event->ignore();
        return;
    }
    createContextMenu()->exec(event->globalPos());
}

void VideoPlayer::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFilesOf(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void VideoPlayer::dropEvent(QDropEvent* event)
{
    const QStringList files = localFilesOf(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    emit filesDropped(files);
}

} // namespace tandemo
