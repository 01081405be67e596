#pragma once

#include <QIcon>
#include <QWidget>

#include <optional>

class QLabel;
class QMenu;
class QSlider;
class QToolButton;

namespace tandemo {

class ElidingLabel;
class PassageMark;

/// A player's own transport controls: play/pause, stop, a seek bar with elapsed and total time,
/// mute and volume, a toggle that links the window's players, plus a status text. It only shows
/// state and emits what the user asks for; the player it belongs to carries the requests out.
/// Where it is too narrow for all of them, the volume slider moves into a pop-up of the mute
/// button, then the time shows only the elapsed part, so every control stays within reach.
class TransportBar : public QWidget {
    Q_OBJECT
public:
    explicit TransportBar(QWidget* parent = nullptr);

    void setPlaying(bool playing);
    void setPosition(double seconds);
    void setDuration(double seconds);
    /// A still picture shows: nothing to play, stop, seek in or hear.
    void setStill(bool still);
    void setVolume(int volume);
    void setMuted(bool muted);
    /// Shows whether the players are linked.
    void setLinked(bool linked);
    /// Shows the linked players' offset (this video ahead of the other), while it is not zero.
    void setOffset(double seconds);
    QString offsetText() const;
    /// A short text where the time is shown, such as a file that cannot be played; empty shows
    /// the time again.
    void setStatus(const QString& status);
    QString status() const { return m_status; }
    /// The status for a while, then the time again (unless something else was said since).
    void setStatusForAWhile(const QString& status, int milliseconds = 6000);
    /// The passage the player loops, marked along the position slider; none clears it.
    void setPassage(std::optional<std::pair<double, double>> passage);
    PassageMark& passageMark() const { return *m_passage; }

    QToolButton* playPauseButton() const { return m_playPause; }
    QToolButton* stopButton() const { return m_stop; }
    QToolButton* muteButton() const { return m_mute; }
    QToolButton* linkButton() const { return m_link; }
    QSlider* seekBar() const { return m_seek; }
    QSlider* volumeSlider() const { return m_volume; }
    /// The slider that pops up from the mute button while the bar is narrow.
    QSlider* popupVolumeSlider() const { return m_popupVolume; }
    bool volumeInPopup() const;
    QString timeText() const;

    static QString formatTime(double seconds);

    /// Marks the bar's top edge in the desktop's highlight colour: its pane has the keys.
    void setFocusMarked(bool marked);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

signals:
    void playPauseClicked();
    void stopClicked();
    void seekRequested(double seconds);
    void muteClicked();
    void volumeRequested(int volume);
    void linkToggled(bool linked);
    /// A message shown for a while does not fit the bar: it is to be said where it can be read.
    void statusCut(const QString& status, int milliseconds);

private:
    void updateTimeLabel();
    /// Gives way, in a set order, until the shown controls fit the bar's width.
    void fitControls();
    int widthNeeded() const;
    int timeWidth(bool shortened) const;
    void setVolumeInPopup(bool popup);

    QToolButton* m_playPause;
    QToolButton* m_stop;
    QSlider* m_seek;
    PassageMark* m_passage;
    ElidingLabel* m_time;
    QLabel* m_offset = nullptr;
    QToolButton* m_mute;
    QSlider* m_volume;
    QMenu* m_volumeMenu;
    QSlider* m_popupVolume;
    QToolButton* m_link;
    const QIcon m_playIcon;
    const QIcon m_pauseIcon;
    const QIcon m_volumeIcon;
    const QIcon m_mutedIcon;
    double m_position = 0;
    double m_duration = 0;
    QString m_status;
    bool m_shortTime = false;
    // Whether the bar has room for the milliseconds of the time elapsed, shown while paused.
    bool m_preciseTime = false;
    bool m_playing = false;
    bool m_focusMarked = false;
};

} // namespace tandemo
