#include "playback/wipe_view.h"

#include "compose/comparison_paint.h"
#include "platform/file_names.h"
#include "platform/hosted_component.h"
#include "playback/compared_player.h"
#include "playback/difference_measurement.h"
#include "playback/picture_note.h"
#include "playback/pixel_readout.h"
#include "playback/player_commands.h"
#include "playback/quality_graph.h"
#include "playback/shown_picture_save.h"
#include "playback/transport_bar.h"
#include "playback/transport_binding.h"
#include "session/player_actions.h"
#include "session/player_keys.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace tandemo {

namespace {

QWidget* commonParent(QWidget& first, QWidget& second)
{
    for (QWidget* candidate = first.parentWidget(); candidate;
         candidate = candidate->parentWidget()) {
        if (candidate->isAncestorOf(&second))
            return candidate;
    }
    return first.window();
}

} // namespace

WipeView::WipeView(ComparedPlayer& first, ComparedPlayer& second, Comparison& comparison)
    : QWidget(first.window())
    , m_area(commonParent(first, second))
    , m_first(&first)
    , m_second(&second)
    , m_comparison(&comparison)
{
    // It belongs to the players, shown over the window: the window's skin and font stay out of it.
    markHostedComponent(*this);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::SplitHCursor);
    m_bar = new TransportBar(this);
    m_save = std::make_unique<ShownPictureSave>(*m_bar);
    m_graph = new QualityGraph(this);
    m_graph->hide(); // until there is something to show
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addStretch(1);
    layout->addWidget(m_graph);
    layout->addWidget(m_bar);
    bindTransportBar(*m_bar, first.actions());
    m_bar->linkButton()->hide(); // linked for as long as the view is shown
    // The picture takes the bar's place while full screen hides it, and gives the graph room.
    m_bar->installEventFilter(this);
    m_graph->installEventFilter(this);
    new DifferenceMeasurement(comparison, first.actions(), *m_bar, *m_graph, this);
    m_note = new PictureNote(*this);
    connect(m_bar, &TransportBar::statusCut, m_note, &PictureNote::say);
    m_lookNoted = comparison.look();
    m_flickerRateNoted = comparison.flickerRate();
    for (QLabel** name : {&m_firstName, &m_secondName}) {
        *name = new QLabel(this);
        (*name)->setObjectName(name == &m_firstName ? "firstName" : "secondName");
        (*name)->setAttribute(Qt::WA_TransparentForMouseEvents);
        (*name)->setStyleSheet(QStringLiteral("QLabel { color: white; background: rgba(0, 0, 0, "
                                              "160); padding: 3px 6px; }"));
        (*name)->hide();
    }
    m_hideNames.setSingleShot(true);
    m_hideNames.setInterval(PictureNote::kShownMs);
    connect(&m_hideNames, &QTimer::timeout, this, [this] {
        m_firstName->hide();
        m_secondName->hide();
    });
    setMouseTracking(true);
    // The pixel under the pointer, in the first's picture and the second's at the same place.
    m_readout = new PixelReadout(*this, first.actions(), /*tracksPointer=*/false,
                                 [this] { return pictureRect(); });
    connect(&comparison, &Comparison::lookChanged, this, &WipeView::showLook);
    connect(&comparison, &Comparison::shownPictureSaveRequested, this, &WipeView::saveShownPicture);
    showLook();
    for (ComparedPlayer* player : {&first, &second}) {
        connect(player, &ComparedPlayer::frameRendered, this, [this] {
            fitSecondOntoFirst();
            update(pictureRect());
        });
    }
    // A child of the window itself, laid over the area: the area's own children stay as they
    // are, the players' panes included.
    m_area->installEventFilter(this);
    coverArea();
    raise();
    show();
    setFocus();
}

WipeView::~WipeView()
{
    restorePlayers();
}

void WipeView::dismiss()
{
    // Asked for from inside this view's own event handlers too: the players are given back at
    // once, the widget goes when the event is done.
    restorePlayers();
    hide();
    deleteLater();
}

void WipeView::restorePlayers()
{
    if (m_restored)
        return;
    m_restored = true;
    for (ComparedPlayer* player : {m_first.data(), m_second.data()}) {
        if (player) {
            player->drawForPicture({});
        }
    }
    if (m_second)
        m_second->showAtAspect(0);
    if (m_comparison)
        m_comparison->setShown(false);
}

void WipeView::setDivider(double share)
{
    if (m_comparison)
        m_comparison->setDivider(share);
}

QRect WipeView::pictureRect() const
{
    const int bar = m_bar->isHidden() ? 0 : m_bar->sizeHint().height();
    const int graph = m_graph->isHidden() ? 0 : m_graph->heightForWidth(m_graph->width());
    return {0, 0, width(), std::max(0, height() - bar - graph)};
}

int WipeView::dividerX() const
{
    return qRound(divider() * pictureRect().width());
}

void WipeView::drawOffscreen(bool offscreen)
{
    const QSize pixels =
        offscreen ? (QSizeF(pictureRect().size()) * devicePixelRatioF()).toSize() : QSize();
    for (ComparedPlayer* player : {m_first.data(), m_second.data()}) {
        if (player)
            player->drawForPicture(pixels);
    }
}

void WipeView::fitSecondOntoFirst()
{
    if (!m_first || !m_second)
        return;
    const QSize size = m_first->videoSize();
    const QSize other = m_second->videoSize();
    if (size.isEmpty() || other.isEmpty())
        return;
    // Pictures of one shape line up by themselves; only a different shape is overridden.
    const double aspect = double(size.width()) / size.height();
    const double own = double(other.width()) / other.height();
    const double wanted = std::abs(aspect - own) < 1e-3 ? 0 : aspect;
    if (wanted != m_fittedAspect) {
        m_fittedAspect = wanted;
        m_second->showAtAspect(wanted);
    }
}

void WipeView::coverArea()
{
    if (m_area)
        setGeometry(QRect(m_area->mapTo(parentWidget(), QPoint(0, 0)), m_area->size()));
}

bool WipeView::eventFilter(QObject* watched, QEvent* event)
{
    // The view covers the area that holds the players, wherever it is and whatever its size.
    if (watched == m_area && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        coverArea();
    if ((watched == m_bar || watched == m_graph) &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        drawOffscreen(true);
        update();
    }
    return QWidget::eventFilter(watched, event);
}

void WipeView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    drawOffscreen(true);
}

void WipeView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect picture = pictureRect();
    painter.fillRect(picture, Qt::black);
    paintPictures(painter, picture);
    ++m_picturesShown;
}

void WipeView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !pictureRect().contains(event->pos()))
        return QWidget::mousePressEvent(event);
    // The divider is taken where it stands, or anywhere while the picture is whole; a zoomed
    // picture is dragged from anywhere else. Without a divider, a drag always pans.
    const bool divided = look().mode == ComparisonLook::Divider;
    const bool nearDivider =
        divided && std::abs(event->position().x() - dividerX()) <= kDividerGrip;
    const bool zoomed = m_first && m_first->isZoomed();
    m_drag = nearDivider || (divided && !zoomed) ? Drag::Divider : Drag::Picture;
    m_dragFrom = event->position();
    if (m_drag == Drag::Divider)
        setDivider(event->position().x() / std::max(1, pictureRect().width()));
}

void WipeView::mouseMoveEvent(QMouseEvent* event)
{
    showNames();
    m_readout->pointTo(event->position());
    if (m_drag == Drag::Divider) {
        setDivider(event->position().x() / std::max(1, pictureRect().width()));
    } else if (m_drag == Drag::Picture && m_first) {
        m_first->actions().panPicture(event->position() - m_dragFrom, pictureRect().size());
        m_dragFrom = event->position();
    }
}

void WipeView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_first)
        m_first->actions().toggleFullScreen();
}

void WipeView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_bar->setFocusMarked(true);
}

void WipeView::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    m_bar->setFocusMarked(hasFocus());
}

void WipeView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    m_readout->pointTo(std::nullopt);
}

void WipeView::mouseReleaseEvent(QMouseEvent*)
{
    m_drag = Drag::None;
}

void WipeView::wheelEvent(QWheelEvent* event)
{
    // One notch of a common wheel is 120; with Ctrl, in the onion skin, it sets the opacity.
    if (look().mode == ComparisonLook::OnionSkin && event->modifiers() & Qt::ControlModifier) {
        m_comparison->perform(
            0, {PlayerCommand::AdjustOverlay, event->angleDelta().y() > 0 ? 1.0 : -1.0});
        return;
    }
    if (m_first)
        m_first->actions().zoomPictureAt(event->position(), event->angleDelta().y() / 120.0,
                                         pictureRect().size());
}

void WipeView::keyPressEvent(QKeyEvent* event)
{
    if (!m_first)
        return;
    // The keys of a player, for both (Esc leaves full screen first, then the view).
    if (const std::optional<PlayerCommand> command = commandForKey(event->keyCombination()))
        perform(m_first->actions(), *command);
    else
        QWidget::keyPressEvent(event);
}

bool WipeView::focusNextPrevChild(bool next)
{
    const bool renditions = m_comparison && m_comparison->renditions().holderFor(0) >= 0;
    return !renditions && QWidget::focusNextPrevChild(next);
}

void WipeView::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_first)
        m_first->createContextMenu()->exec(event->globalPos());
}

const ComparisonLook& WipeView::look() const
{
    static const ComparisonLook none;
    return m_comparison ? m_comparison->look() : none;
}

void WipeView::showLook()
{
    setCursor(look().mode == ComparisonLook::Divider ? Qt::SplitHCursor : Qt::ArrowCursor);
    const double rate = m_comparison ? m_comparison->flickerRate() : 0;
    if (const QString note = lookNote(m_lookNoted, look(), rate, m_flickerRateNoted);
        !note.isEmpty())
        m_note->say(note);
    else if (look().mode == ComparisonLook::Flicker)
        m_note->amend(flickerNote(look(), rate)); // turned by itself: the note names the one shown

    m_lookNoted = look();
    m_flickerRateNoted = rate;
    update(pictureRect());
}

void WipeView::showNames()
{
    const auto nameOf = [](ComparedPlayer* player) {
        return player ? printableName(QFileInfo(player->engine().file()).fileName()) : QString();
    };
    m_firstName->setText(nameOf(m_first));
    m_secondName->setText(nameOf(m_second));
    const QRect picture = pictureRect();
    for (QLabel* name : {m_firstName, m_secondName}) {
        name->adjustSize();
        name->setMaximumWidth(std::max(40, picture.width() / 2 - 16));
        name->setVisible(!name->text().isEmpty());
        name->raise();
    }
    m_firstName->move(picture.left() + 6, picture.top() + 6);
    m_secondName->move(picture.right() - 6 - m_secondName->width(), picture.top() + 6);
    m_hideNames.start();
}

QImage WipeView::shownPicture() const
{
    const QRect picture = pictureRect();
    QImage shown((QSizeF(picture.size()) * devicePixelRatioF()).toSize(), QImage::Format_RGB32);
    shown.setDevicePixelRatio(devicePixelRatioF());
    shown.fill(Qt::black);
    QPainter painter(&shown);
    paintPictures(painter, QRect(QPoint(0, 0), picture.size()));
    return shown;
}

void WipeView::saveShownPicture()
{
    if (!m_first || m_first->engine().file().isEmpty())
        return;
    m_save->save(shownPicture(), m_first->engine().file(), m_first->engine().position(),
                 modeName(look().mode).toLower());
}

void WipeView::paintPictures(QPainter& painter, const QRect& picture) const
{
    const auto frameOf = [this](ComparedPlayer* player) {
        QImage frame = player ? player->pictureFrame() : QImage();
        frame.setDevicePixelRatio(devicePixelRatioF());
        return frame;
    };
    const QRectF video =
        m_first ? shownVideoRect(picture, m_first->videoSize(), m_first->engine().view())
                : QRectF();
    paintComparison(painter, picture, frameOf(m_first), frameOf(m_second), look(), video);
}

} // namespace tandemo
