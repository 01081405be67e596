#include "playback/transport_bar.h"

#include "analysis/media_facts.h"
#include "playback/eliding_label.h"
#include "playback/link_button.h"
#include "playback/passage_mark.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QWidgetAction>

#include <algorithm>
#include <cmath>

namespace tandemo {

namespace {

// The seek bar counts in tenths of a second.
constexpr int kSeekStepsPerSecond = 10;
// The seek bar stays usable down to this width, in pixels; the rest of the bar gives way first.
constexpr int kLeastSeekWidth = 40;
constexpr int kFocusMarkHeight = 2;

QToolButton* makeButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& tip)
{
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    // The player is one tab stop of the window; its buttons are reached with the mouse.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

TransportBar::TransportBar(QWidget* parent)
    : QWidget(parent)
    , m_playPause(makeButton(this, QStyle::SP_MediaPlay, tr("Play")))
    , m_stop(makeButton(this, QStyle::SP_MediaStop, tr("Stop")))
    , m_seek(new QSlider(Qt::Horizontal, this))
    , m_passage(new PassageMark(*m_seek))
    , m_time(new ElidingLabel(this))
    , m_mute(makeButton(this, QStyle::SP_MediaVolume, tr("Mute")))
    , m_volume(new QSlider(Qt::Horizontal, this))
    , m_volumeMenu(new QMenu(this))
    , m_popupVolume(new QSlider(Qt::Vertical, m_volumeMenu))
    , m_link(new LinkButton(this))
    // Made once: each icon the style makes anew caches pictures of its own, which would pile up
    // in the pixmap cache with every press of play or mute.
    , m_playIcon(style()->standardIcon(QStyle::SP_MediaPlay))
    , m_pauseIcon(style()->standardIcon(QStyle::SP_MediaPause))
    , m_volumeIcon(style()->standardIcon(QStyle::SP_MediaVolume))
    , m_mutedIcon(style()->standardIcon(QStyle::SP_MediaVolumeMuted))
{
    m_playPause->setObjectName("playPause");
    m_stop->setObjectName("stop");
    m_mute->setObjectName("mute");
    m_seek->setObjectName("seek");
    m_volume->setObjectName("volume");
    m_link->setObjectName("link");
    m_link->setText(tr("Link"));
    m_link->setToolTip(
        tr("Link both players: play, pause, stop, seek, step and speed act on both"));
    m_link->setFocusPolicy(Qt::NoFocus);

    m_seek->setRange(0, 0);
    m_seek->setFocusPolicy(Qt::NoFocus);
    m_volume->setRange(0, 100);
    m_volume->setFocusPolicy(Qt::NoFocus);
    m_volume->setMaximumWidth(80);
    m_volume->setToolTip(tr("Volume"));
    m_popupVolume->setObjectName("popupVolume");
    m_popupVolume->setRange(0, 100);
    m_popupVolume->setFixedHeight(100);
    m_popupVolume->setToolTip(tr("Volume"));
    auto* popupAction = new QWidgetAction(m_volumeMenu);
    popupAction->setDefaultWidget(m_popupVolume);
    m_volumeMenu->addAction(popupAction);
    m_time->setObjectName("time");
    m_time->setAlignment(Qt::AlignCenter);
    m_offset = new QLabel(this);
    m_offset->setObjectName("offset");
    m_offset->setToolTip(tr("How far this video is ahead of the other one (Reset Offset in the "
                            "menu sets it back)"));
    m_offset->hide();

    // The window lets its frames run about 120 twips past the right and bottom edges of its
    // client area, so a player's last pixels there are cut off; the bar keeps its controls
    // clear of that strip.
    constexpr double kHiddenEdgeTwips = 125;
    const int hiddenRight = int(std::ceil(kHiddenEdgeTwips * logicalDpiX() / 1440.0));
    const int hiddenBottom = int(std::ceil(kHiddenEdgeTwips * logicalDpiY() / 1440.0));
    auto* layout = new QHBoxLayout(this);
    // The top margin leaves room for the focus mark.
    layout->setContentsMargins(2, kFocusMarkHeight, 2 + hiddenRight, 1 + hiddenBottom);
    layout->setSpacing(2);
    layout->addWidget(m_playPause);
    layout->addWidget(m_stop);
    layout->addWidget(m_seek, 1);
    layout->addWidget(m_time);
    layout->addWidget(m_offset);
    layout->addWidget(m_link);
    layout->addWidget(m_mute);
    layout->addWidget(m_volume);

    // The bar looks like the desktop's own controls, not like the frame it sits in nor like a
    // skin given to the window. Each of its parts holds every colour as its own: under a style
    // sheet Qt would otherwise give the parts the styled window's palette.
    QPalette desktop = QApplication::palette();
    desktop.setResolveMask(~QPalette::ResolveMask(0));
    setPalette(desktop);
    setAutoFillBackground(true);
    for (QWidget* part : findChildren<QWidget*>())
        part->setPalette(desktop);

    connect(m_playPause, &QToolButton::clicked, this, &TransportBar::playPauseClicked);
    connect(m_stop, &QToolButton::clicked, this, &TransportBar::stopClicked);
    connect(m_mute, &QToolButton::clicked, this, &TransportBar::muteClicked);
    connect(m_link, &QToolButton::toggled, this, &TransportBar::linkToggled);
    // actionTriggered covers dragging, clicks beside the handle and the wheel; the slider's
    // position is already the new one when it fires.
    connect(m_seek, &QSlider::actionTriggered, this,
            [this] { emit seekRequested(double(m_seek->sliderPosition()) / kSeekStepsPerSecond); });
    connect(m_volume, &QSlider::actionTriggered, this,
            [this] { emit volumeRequested(m_volume->sliderPosition()); });
    connect(m_popupVolume, &QSlider::actionTriggered, this,
            [this] { emit volumeRequested(m_popupVolume->sliderPosition()); });

    updateTimeLabel();
}

void TransportBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitControls();
}

void TransportBar::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (m_focusMarked)
        QPainter(this).fillRect(0, 0, width(), kFocusMarkHeight, palette().highlight());
}

void TransportBar::setFocusMarked(bool marked)
{
    if (marked == m_focusMarked)
        return;
    m_focusMarked = marked;
    update(0, 0, width(), kFocusMarkHeight);
}

bool TransportBar::volumeInPopup() const
{
    return m_mute->menu() != nullptr;
}

void TransportBar::setVolumeInPopup(bool popup)
{
    m_volume->setVisible(!popup);
    m_mute->setMenu(popup ? m_volumeMenu : nullptr);
    m_mute->setPopupMode(popup ? QToolButton::MenuButtonPopup : QToolButton::DelayedPopup);
}

int TransportBar::timeWidth(bool shortened) const
{
    // Room for the longest time of this duration, all its digits being about as wide as "0".
    // Where there is room, the time elapsed shows its milliseconds while paused.
    const auto zeroed = [](QString time) {
        for (QChar& c : time) {
            if (c.isDigit())
                c = u'0';
        }
        return time;
    };
    const QString total = zeroed(formatTime(m_duration));
    const QString elapsed = m_preciseTime ? zeroed(formatPreciseTime(m_duration)) : total;
    const QString text = shortened ? elapsed : elapsed + " / " + total;
    return m_time->fontMetrics().horizontalAdvance(text) + 4;
}

int TransportBar::widthNeeded() const
{
    const QMargins margins = layout()->contentsMargins();
    int needed = margins.left() + margins.right();
    int shown = 0;
    for (const QWidget* part : {static_cast<QWidget*>(m_playPause), static_cast<QWidget*>(m_stop),
                                static_cast<QWidget*>(m_seek), static_cast<QWidget*>(m_time),
                                static_cast<QWidget*>(m_offset), static_cast<QWidget*>(m_link),
                                static_cast<QWidget*>(m_mute), static_cast<QWidget*>(m_volume)}) {
        if (part->isHidden())
            continue;
        ++shown;
        if (part == m_seek)
            needed += kLeastSeekWidth;
        else if (part == m_time)
            needed += timeWidth(m_shortTime);
        else
            needed += part->sizeHint().width();
    }
    return needed + layout()->spacing() * std::max(0, shown - 1);
}

void TransportBar::fitControls()
{
    // The milliseconds of a paused time give way first, then the volume slider (to a pop-up of
    // the mute button), then the total time;
    // below that only the time itself goes, in a bar too narrow for anything else.
    setVolumeInPopup(false);
    m_shortTime = false;
    m_preciseTime = true;
    m_time->show();
    if (widthNeeded() > width())
        m_preciseTime = false;
    if (widthNeeded() > width())
        setVolumeInPopup(true);
    if (widthNeeded() > width())
        m_shortTime = true;
    if (widthNeeded() > width())
        m_time->hide();
    m_time->setLeastWidth(timeWidth(m_shortTime));
    updateTimeLabel();
}

void TransportBar::setLinked(bool linked)
{
    const QSignalBlocker blocker(m_link);
    m_link->setChecked(linked);
}

void TransportBar::setPlaying(bool playing)
{
    m_playPause->setIcon(playing ? m_pauseIcon : m_playIcon);
    m_playPause->setToolTip(playing ? tr("Pause") : tr("Play"));
    m_playing = playing;
    updateTimeLabel();
}

void TransportBar::setPosition(double seconds)
{
    m_position = seconds;
    if (!m_seek->isSliderDown()) {
        const QSignalBlocker blocker(m_seek);
        m_seek->setValue(int(std::lround(seconds * kSeekStepsPerSecond)));
    }
    updateTimeLabel();
}

void TransportBar::setDuration(double seconds)
{
    m_duration = seconds;
    const QSignalBlocker blocker(m_seek);
    m_seek->setRange(0, int(std::lround(seconds * kSeekStepsPerSecond)));
    // An hour or more takes more room.
    fitControls();
}

void TransportBar::setStill(bool still)
{
    for (QWidget* control : std::initializer_list<QWidget*>{m_playPause, m_stop, m_seek, m_mute,
                                                            m_volume, m_popupVolume})
        control->setEnabled(!still);
}

void TransportBar::setVolume(int volume)
{
    const QSignalBlocker blocker(m_volume);
    const QSignalBlocker popupBlocker(m_popupVolume);
    m_volume->setValue(volume);
    m_popupVolume->setValue(volume);
}

void TransportBar::setMuted(bool muted)
{
    m_mute->setIcon(muted ? m_mutedIcon : m_volumeIcon);
    m_mute->setToolTip(muted ? tr("Unmute") : tr("Mute"));
}

void TransportBar::setOffset(double seconds)
{
    // Shown to the millisecond, and only while there is one.
    const bool some = std::abs(seconds) >= 0.0005;
    m_offset->setText(some ? QString::asprintf("%+.3f s", seconds) : QString());
    if (some == m_offset->isHidden()) {
        m_offset->setVisible(some);
        fitControls();
    }
}

QString TransportBar::offsetText() const
{
    return m_offset->text();
}

void TransportBar::setStatus(const QString& status)
{
    m_status = status;
    updateTimeLabel();
}

void TransportBar::setStatusForAWhile(const QString& status, int milliseconds)
{
    setStatus(status);
    if (m_time->isElided())
        emit statusCut(status, milliseconds);
    QTimer::singleShot(milliseconds, this, [this, status] {
        if (m_status == status)
            setStatus(QString());
    });
}

void TransportBar::setPassage(std::optional<std::pair<double, double>> passage)
{
    if (!passage) {
        m_passage->setSpan(std::nullopt);
        return;
    }
    m_passage->setSpan(std::pair{int(std::lround(passage->first * kSeekStepsPerSecond)),
                                 int(std::lround(passage->second * kSeekStepsPerSecond))});
}

QString TransportBar::timeText() const
{
    return m_time->text();
}

QString TransportBar::formatTime(double seconds)
{
    const long total = std::isfinite(seconds) && seconds > 0 ? long(seconds) : 0;
    const long hours = total / 3600;
    const long minutes = (total / 60) % 60;
    const long secs = total % 60;
    if (hours > 0)
        return QString("%1:%2:%3")
            .arg(hours)
            .arg(minutes, 2, 10, QChar('0'))
            .arg(secs, 2, 10, QChar('0'));
    return QString("%1:%2").arg(minutes).arg(secs, 2, 10, QChar('0'));
}

void TransportBar::updateTimeLabel()
{
    if (!m_status.isEmpty()) {
        m_time->setText(m_status);
        return;
    }
    // A step past the last frame may report a time beyond the end; the picture is still the
    // last frame's.
    const double shown = m_duration > 0 ? std::min(m_position, m_duration) : m_position;
    // Paused or stepping, frame by frame work needs the time to the millisecond.
    const QString elapsed =
        m_preciseTime && !m_playing ? formatPreciseTime(shown) : formatTime(shown);
    m_time->setText(m_shortTime ? elapsed : elapsed + " / " + formatTime(m_duration));
}

} // namespace tandemo
