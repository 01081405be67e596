#include "platform/mpv/mpv_player.h"

#include "platform/file_names.h"
#include "platform/mpv/gl_video_view.h"
#include "platform/mpv/player_link.h"
#include "platform/mpv/software_video_view.h"
#include "platform/transport_bar.h"
#include "playback/empty_player.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include <sys/stat.h>

namespace tandemo {

namespace {

bool isPresentButNotAFile(const QString& path)
{
    struct stat status {};
    return stat(encodeFileName(path).constData(), &status) == 0 && !S_ISREG(status.st_mode);
}

QString absolutePath(const QString& path)
{
    // Joined as text, not through Qt's file names, so that bytes that are not UTF-8 are kept.
    if (path.startsWith(u'/'))
        return path;
    return QDir::currentPath() + u'/' + path;
}

} // namespace

MediaPlayer* MpvPlayer::create(QWidget* parent, const MpvPlayerOptions& options, PlayerLink* link)
{
    RenderPath path = options.renderPath.value_or(detectRenderPath());
    // Even when asked for, never put a GL widget where the platform cannot host one.
    if (!platformHostsGlWidgets(QGuiApplication::platformName()))
        path = RenderPath::Software;
    MpvEngineOptions engineOptions = options.engine;
    engineOptions.rotateBeforeRendering = path == RenderPath::Software;
    QString error;
    std::unique_ptr<MpvEngine> engine = MpvEngine::create(engineOptions, &error);
    if (!engine)
        return new EmptyPlayer(error, parent);
    return new MpvPlayer(std::move(engine), path, parent, link);
}

MpvPlayer::MpvPlayer(std::unique_ptr<MpvEngine> engine, RenderPath path, QWidget* parent,
                     PlayerLink* link)
    : MediaPlayer(parent)
    , m_renderPath(path)
    , m_engine(std::move(engine))
    , m_link(link)
{
    setAcceptDrops(true);
    // The render context must exist before mpv loads a file; the software one is made right
    // here, the OpenGL one when the widget first gets its GL context.
    if (path == RenderPath::OpenGL) {
        m_surface = new GlVideoView(*m_engine, this);
    } else {
        m_surface = new SoftwareVideoView(*m_engine, this);
    }
    m_surface->widget()->setFocusPolicy(Qt::NoFocus);
    m_transport = new TransportBar(this);
    // The bar looks like the desktop's own controls, not like the frame it sits in.
    m_transport->setPalette(QApplication::palette());
    m_transport->setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_surface->widget(), 1);
    layout->addWidget(m_transport);

    connectSettings();
    connectEngine();
    connectTransport();
    if (m_link) {
        m_link->add(this);
        m_transport->setLinked(m_link->isLinked());
        connect(m_link, &PlayerLink::linkedChanged, m_transport, &TransportBar::setLinked);
        connect(m_transport, &TransportBar::linkToggled, m_link, &PlayerLink::setLinked);
    } else {
        m_transport->linkButton()->hide();
    }
    connect(&m_surface->events(), &VideoSurfaceEvents::ready, this, [this] {
        if (m_loadPending)
            startFile();
    });
    connect(&m_surface->events(), &VideoSurfaceEvents::frameRendered, this,
            &MpvPlayer::frameRendered);
    const auto reportNoVideo = [this] { m_transport->setStatus(tr("Cannot show video")); };
    connect(&m_surface->events(), &VideoSurfaceEvents::failed, this, reportNoVideo);
    if (m_surface->hasFailed())
        reportNoVideo();
}

MpvPlayer::~MpvPlayer()
{
    if (m_link)
        m_link->remove(this);
    // mpv's render context goes before its core.
    m_surface->releaseRenderContext();
    m_engine.reset();
}

void MpvPlayer::connectSettings()
{
    m_engine->setVolume(m_settings.volume());
    m_engine->setMute(m_settings.mute());
    m_transport->setVolume(m_settings.volume());
    m_transport->setMuted(m_settings.mute());

    connect(&m_settings, &PlayerSettings::modeChanged, this, [this](const QString& mode, bool on) {
        if (mode == QLatin1String("loop"))
            m_engine->setLoop(on);
    });
    connect(&m_settings, &PlayerSettings::volumeChanged, this, [this](int volume) {
        m_engine->setVolume(volume);
        m_transport->setVolume(volume);
    });
    connect(&m_settings, &PlayerSettings::muteChanged, this, [this](bool mute) {
        m_engine->setMute(mute);
        m_transport->setMuted(mute);
    });
}

void MpvPlayer::connectEngine()
{
    MpvEngine* engine = m_engine.get();
    const auto showPlaying = [this] {
        m_transport->setPlaying(!m_engine->isPaused() && !m_engine->isIdle());
    };
    connect(engine, &MpvEngine::pausedChanged, this, showPlaying);
    connect(engine, &MpvEngine::idleChanged, this, [this, showPlaying](bool idle) {
        showPlaying();
        if (idle) {
            m_transport->setPosition(0);
            m_transport->setDuration(0);
            m_surface->clear();
        }
    });
    connect(engine, &MpvEngine::positionChanged, m_transport, &TransportBar::setPosition);
    connect(engine, &MpvEngine::durationChanged, m_transport, &TransportBar::setDuration);
    connect(engine, &MpvEngine::fileLoaded, this, [this] { m_transport->setStatus(QString()); });
    connect(engine, &MpvEngine::fileFailed, this, [this] {
        m_transport->setStatus(tr("Cannot play this file"));
        m_surface->clear();
    });
}

void MpvPlayer::connectTransport()
{
    connect(m_transport, &TransportBar::playPauseClicked, this, &MpvPlayer::togglePlayPause);
    connect(m_transport, &TransportBar::stopClicked, this, &MpvPlayer::stop);
    connect(m_transport, &TransportBar::muteClicked, this, &MpvPlayer::toggleMute);
    connect(m_transport, &TransportBar::seekRequested, this, qOverload<double>(&MpvPlayer::seekTo));
    connect(m_transport, &TransportBar::volumeRequested, &m_settings, &PlayerSettings::setVolume);
}

void MpvPlayer::setURL(const QString& url)
{
    m_url = url;
    if (m_surface->hasFailed())
        return; // nothing can be shown, as the status already says
    m_transport->setStatus(QString());
    if (url.isEmpty()) {
        m_loadPending = false;
        m_engine->unload();
        return;
    }
    // Only regular files are opened: a pipe or a device could block the engine for good, and a
    // folder holds no video.
    if (isPresentButNotAFile(url)) {
        m_loadPending = false;
        m_engine->unload();
        m_surface->clear();
        m_transport->setStatus(tr("Cannot play this file"));
        return;
    }
    load(!m_settings.autoStart());
}

void MpvPlayer::load(bool startPaused)
{
    m_startPaused = startPaused;
    m_loadPending = true;
    if (m_surface->isReady())
        startFile();
}

void MpvPlayer::startFile()
{
    m_loadPending = false;
    // Always a local file: as an absolute path, a name that looks like a URL or an option is
    // opened as the file of that name.
    m_engine->loadFile(absolutePath(m_url), m_startPaused);
}

QList<MpvPlayer*> MpvPlayer::targets()
{
    return m_link ? m_link->targetsOf(this) : QList<MpvPlayer*>{this};
}

void MpvPlayer::togglePlayPause()
{
    // Linked players follow the one the user acted on: all play, or all pause.
    const bool play = m_engine->isIdle() || m_engine->isPaused();
    const QList<MpvPlayer*> players = targets();
    for (MpvPlayer* player : players)
        player->playOrPause(play);
    if (!play && players.size() > 1) {
        // Each core stops on its own frame; once this one has stopped, the others are brought
        // to the same moment, so that the panes show frames of the same time.
        connect(
            m_engine.get(), &MpvEngine::pausedChanged, this,
            [this](bool paused) {
                if (!paused || !m_link)
                    return;
                const double at = m_engine->position();
                for (MpvPlayer* player : m_link->targetsOf(this)) {
                    if (player != this)
                        player->seekAlone(at);
                }
            },
            Qt::SingleShotConnection);
    }
}

void MpvPlayer::playOrPause(bool play)
{
    if (!m_engine->isIdle()) {
        m_engine->setPaused(!play);
    } else if (play && !m_url.isEmpty() && !m_surface->hasFailed()) {
        // A file that ended (with loop mode off) is played again from the start.
        load(false);
    }
}

void MpvPlayer::stop()
{
    for (MpvPlayer* player : targets())
        player->stopAlone();
}

void MpvPlayer::stopAlone()
{
    if (!m_engine->isIdle())
        m_engine->stop();
}

void MpvPlayer::seekTo(double seconds)
{
    for (MpvPlayer* player : targets())
        player->seekAlone(seconds);
}

void MpvPlayer::seekBy(double seconds)
{
    seekTo(std::max(0.0, m_engine->position() + seconds));
}

void MpvPlayer::seekAlone(double seconds)
{
    if (m_engine->isIdle())
        return;
    // Each video is sought to the same time, kept inside its own length (short of its very end,
    // which would end or restart it); exact, so that linked players show the same moment.
    constexpr double kShortOfTheEnd = 0.1;
    const double duration = m_engine->duration();
    const double last = std::max(0.0, duration - kShortOfTheEnd);
    const double target = duration > 0 ? std::clamp(seconds, 0.0, last) : std::max(seconds, 0.0);
    m_engine->seekTo(target, /*exact=*/true);
}

void MpvPlayer::stepFrame(bool forward)
{
    for (MpvPlayer* player : targets()) {
        if (!player->m_engine->isIdle())
            player->m_engine->stepFrame(forward);
    }
}

void MpvPlayer::setSpeed(double speed)
{
    for (MpvPlayer* player : targets())
        player->m_engine->setSpeed(speed);
}

void MpvPlayer::changeVolume(int step)
{
    m_settings.setVolume(m_settings.volume() + step);
}

void MpvPlayer::toggleMute()
{
    m_settings.setMute(!m_settings.mute());
}

std::unique_ptr<QMenu> MpvPlayer::createContextMenu()
{
    auto menu = std::make_unique<QMenu>();
    const bool playing = !m_engine->isIdle() && !m_engine->isPaused();
    menu->addAction(playing ? tr("Pause") : tr("Play"), this, &MpvPlayer::togglePlayPause);
    menu->addAction(tr("Stop"), this, &MpvPlayer::stop);
    menu->addSeparator();
    QAction* mute = menu->addAction(tr("Mute"), this, &MpvPlayer::toggleMute);
    mute->setCheckable(true);
    mute->setChecked(m_settings.mute());
    menu->addAction(tr("Volume Up"), this, [this] { changeVolume(10); });
    menu->addAction(tr("Volume Down"), this, [this] { changeVolume(-10); });
    QMenu* speeds = menu->addMenu(tr("Speed"));
    for (const double speed : {0.25, 0.5, 1.0, 1.5, 2.0}) {
        QAction* action = speeds->addAction(QStringLiteral("%1\u00d7").arg(speed), this,
                                            [this, speed] { setSpeed(speed); });
        action->setCheckable(true);
        action->setChecked(qFuzzyCompare(m_engine->speed(), speed));
    }
    if (m_link) {
        menu->addSeparator();
        QAction* link = menu->addAction(tr("Link Both Players"), m_link,
                                        [this](bool on) { m_link->setLinked(on); });
        link->setCheckable(true);
        link->setChecked(m_link->isLinked());
    }
    return menu;
}

void MpvPlayer::keyPressEvent(QKeyEvent* event)
{
    // The keys of most players, while this player has the focus.
    if (event->modifiers() & ~Qt::KeypadModifier) {
        MediaPlayer::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Space:
        togglePlayPause();
        break;
    case Qt::Key_Left:
        seekBy(-kSeekStepSeconds);
        break;
    case Qt::Key_Right:
        seekBy(kSeekStepSeconds);
        break;
    case Qt::Key_Period:
        stepFrame(true);
        break;
    case Qt::Key_Comma:
        stepFrame(false);
        break;
    case Qt::Key_M:
        toggleMute();
        break;
    case Qt::Key_Up:
        changeVolume(5);
        break;
    case Qt::Key_Down:
        changeVolume(-5);
        break;
    default:
        MediaPlayer::keyPressEvent(event);
        return;
    }
    event->accept();
}

namespace {

QStringList droppedFiles(const QMimeData* data)
{
    QStringList files;
    if (!data)
        return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files << localFileFromUrl(url);
    }
    return files;
}

} // namespace

void MpvPlayer::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MpvPlayer::dropEvent(QDropEvent* event)
{
    // The first file plays here, the second in the other pane; further ones are ignored.
    const QStringList files = droppedFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    setURL(files[0]);
    if (files.size() > 1 && m_link) {
        if (MpvPlayer* other = m_link->other(this))
            other->setURL(files[1]);
    }
}

void MpvPlayer::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_properties.enableContextMenu) {
        event->ignore();
        return;
    }
    createContextMenu()->exec(event->globalPos());
}

} // namespace tandemo
