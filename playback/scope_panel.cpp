#include "playback/scope_panel.h"

#include "platform/new_file.h"
#include "platform/pictures_folder.h"

#include <QBuffer>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>

#include <cmath>
#include <utility>

namespace tandemo {

namespace {

constexpr int kScopeSide = 256;
constexpr int kPanelMargin = 8;

QImage imageOf(const ScopePicture& scope)
{
    return QImage(scope.rgb.data(), scope.width, scope.height, scope.width * 3,
                  QImage::Format_RGB888)
        .copy();
}

/// The line skin tones of every complexion fall near on a vectorscope, 123° from the blue
/// axis (libavfilter's vectorscope draws none): from the centre to the edge, with blue to the
/// right and red up.
void drawSkinToneLine(QPainter& painter, const QRect& scope)
{
    constexpr double kSkinToneRadians = 123.0 * M_PI / 180.0;
    const QPointF centre = QRectF(scope).center();
    const double reach = scope.width() / 2.0;
    painter.setPen(QPen(QColor(240, 190, 150, 200), 1, Qt::DashLine));
    painter.drawLine(centre, centre + QPointF(reach * std::cos(kSkinToneRadians),
                                              -reach * std::sin(kSkinToneRadians)));
}

} // namespace

ScopePanel::ScopePanel(QWidget& window, Comparison& comparison,
                       std::array<QPointer<ComparedPlayer>, 2> players)
    : QWidget(&window)
    , m_comparison(&comparison)
    , m_drawing(
          WorkLength::Short, [](double) {},
          [this](std::optional<std::array<QImage, 2>> scopes) {
              if (!scopes)
                  return;
              m_scopes = std::move(*scopes);
              ++m_updates;
              update();
              // The frames that came meanwhile, drawn now: paused, the last is the one showing.
              if (std::optional<PixelInspector::Report> pending = std::exchange(m_pending, {}))
                  draw(*pending);
          })
    , m_players(std::move(players))
{
    setObjectName("scopePanel");
    resize(2 * kScopeSide + 3 * kPanelMargin,
           kScopeSide + 2 * kPanelMargin + fontMetrics().height());
    window.installEventFilter(this);
    place();
    PixelInspector& inspector = comparison.inspector();
    connect(&inspector, &PixelInspector::inspected, this, &ScopePanel::draw);
    connect(&comparison, &Comparison::scopeChanged, this, [this] {
        m_scopes = {};
        if (m_comparison && m_comparison->scope())
            m_comparison->inspector().refresh();
        update();
    });
    // Playing, the pictures shown are followed; stopped, the frames showing are read in full
    // (after a step or a seek, once the moves have settled).
    m_follow.setInterval(kFollowMs);
    connect(&m_follow, &QTimer::timeout, this, &ScopePanel::follow);
    m_refresh.setInterval(50);
    m_refresh.setSingleShot(true);
    connect(&m_refresh, &QTimer::timeout, &inspector, &PixelInspector::refresh);
    for (int pane = 0; pane < 2; ++pane) {
        if (PlaybackEngine* engine = comparison.pane(pane)) {
            connect(engine, &PlaybackEngine::positionChanged, this, [this] {
                if (!anyPlaying() && !m_refresh.isActive())
                    m_refresh.start();
            });
            connect(engine, &PlaybackEngine::pausedChanged, this, &ScopePanel::followWhilePlaying);
            connect(engine, &PlaybackEngine::idleChanged, this, &ScopePanel::followWhilePlaying);
        }
    }
    // Playing, the pictures are followed from now on; stopped, the frames are read once.
    followWhilePlaying();
    // Over the wipe view too, which comes over the panes.
    connect(&comparison, &Comparison::shownChanged, this, [this] { raise(); });
    show();
    raise();
}

ScopePanel::~ScopePanel() = default;

bool ScopePanel::anyPlaying() const
{
    for (int pane = 0; pane < 2; ++pane) {
        if (const PlaybackEngine* engine = m_comparison ? m_comparison->pane(pane) : nullptr;
            engine && !engine->isIdle() && !engine->isPaused() && !engine->isStill())
            return true;
    }
    return false;
}

void ScopePanel::followWhilePlaying()
{
    if (anyPlaying()) {
        if (!m_follow.isActive())
            m_follow.start();
        return;
    }
    m_follow.stop();
    if (m_comparison)
        m_comparison->inspector().refresh();
}

void ScopePanel::startDrawing(std::function<std::optional<ScopePicture>(std::size_t)> scopeOf)
{
    for (int pane = 0; pane < 2; ++pane) {
        const PlaybackEngine* engine = m_comparison->pane(pane);
        m_names[std::size_t(pane)] = engine ? QFileInfo(engine->file()).fileName() : QString();
    }
    m_drawing.start([scopeOf = std::move(scopeOf)](const std::atomic_bool& cancelled,
                                                   const std::function<void(double)>&) {
        std::array<QImage, 2> scopes;
        for (std::size_t pane = 0; pane < 2 && !cancelled; ++pane) {
            if (const std::optional<ScopePicture> scope = scopeOf(pane))
                scopes[pane] = imageOf(*scope);
        }
        return std::optional(scopes);
    });
}

void ScopePanel::follow()
{
    // One scope at a time: a picture that comes while one is drawn is left out.
    if (!m_comparison || !m_comparison->scope() || m_drawing.isRunning())
        return;
    std::array<QImage, 2> pictures;
    std::array<bool, 2> hd{};
    for (std::size_t pane = 0; pane < 2; ++pane) {
        const PlaybackEngine* engine = m_comparison->pane(int(pane));
        if (!engine || engine->isIdle() || !m_players[pane])
            continue;
        pictures[pane] = m_players[pane]->shownPicture();
        // As the players guess the matrix of a video that does not say.
        const QSize size = engine->videoSize();
        hd[pane] = size.width() >= 1280 || size.height() > 576;
    }
    startDrawing([pictures, hd, kind = *m_comparison->scope()](std::size_t pane) {
        return drawScope(pictures[pane], kind, hd[pane], kFollowedWidth);
    });
}

void ScopePanel::draw(const PixelInspector::Report& report)
{
    // Playing, the pictures shown are followed instead.
    if (!m_comparison || !m_comparison->scope() || anyPlaying())
        return;
    if (m_drawing.isRunning()) {
        m_pending = report;
        return;
    }
    startDrawing([pictures = report.pictures,
                  kind = *m_comparison->scope()](std::size_t pane) -> std::optional<ScopePicture> {
        return pictures[pane] ? drawScope(pictures[pane]->frame(), kind) : std::nullopt;
    });
}

void ScopePanel::place()
{
    const QWidget* window = parentWidget();
    move(window->width() - width() - kPanelMargin, window->height() - height() - kPanelMargin);
}

bool ScopePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        place();
    return QWidget::eventFilter(watched, event);
}

void ScopePanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 220));
    if (!m_comparison || !m_comparison->scope())
        return;
    painter.setPen(QColor(230, 230, 230));
    const int labelHeight = fontMetrics().height();
    for (int pane = 0; pane < 2; ++pane) {
        const QRect cell(kPanelMargin + pane * (kScopeSide + kPanelMargin), kPanelMargin,
                         kScopeSide, kScopeSide + labelHeight);
        const QString label = nameOf(*m_comparison->scope()) + ": " + m_names[std::size_t(pane)];
        painter.drawText(cell.left(), cell.top(), cell.width(), labelHeight,
                         Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(label, Qt::ElideMiddle, cell.width()));
        const QImage& scope = m_scopes[std::size_t(pane)];
        if (scope.isNull())
            continue;
        const QRect area(cell.left(), cell.top() + labelHeight, kScopeSide, kScopeSide);
        const QSize fitted = scope.size().scaled(area.size(), Qt::KeepAspectRatio);
        const QRect drawn(area.topLeft() + QPoint((area.width() - fitted.width()) / 2,
                                                  (area.height() - fitted.height()) / 2),
                          fitted);
        painter.drawImage(drawn, scope);
        if (*m_comparison->scope() == ScopeKind::Vectorscope)
            drawSkinToneLine(painter, drawn);
    }
}

void ScopePanel::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    for (int kind = 0; kind < kScopeKinds; ++kind) {
        QAction* action = menu.addAction(nameOf(ScopeKind(kind)));
        action->setCheckable(true);
        action->setChecked(m_comparison && m_comparison->scope() == ScopeKind(kind));
        connect(action, &QAction::triggered, this, [this, kind] {
            if (m_comparison)
                m_comparison->setScope(ScopeKind(kind));
        });
    }
    menu.addSeparator();
    menu.addAction(tr("Save Scopes"), this, [this] { save(); });
    menu.addAction(tr("Hide Scopes"), this, [this] {
        if (m_comparison)
            m_comparison->setScope(std::nullopt);
    });
    menu.exec(event->globalPos());
}

QString ScopePanel::save()
{
    const QString folder = picturesFolder();
    if (folder.isEmpty() || !m_comparison || !m_comparison->scope())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    grab().toImage().save(&buffer, "PNG");
    const QString name = QDir(folder).filePath(
        QStringLiteral("%1 %2.png")
            .arg(nameOf(*m_comparison->scope()),
                 QDateTime::currentDateTime().toString("yyyy-MM-dd hh.mm.ss")));
    return writeNewFile(name, png, false, {}).isEmpty() ? name : QString();
}

} // namespace tandemo
