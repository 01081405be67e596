#pragma once

#include <QObject>

namespace tandemo {

/// What plays a player's video: the state it reports and the transport commands it takes.
/// Commands return at once; the state follows when the engine reports it. The mpv engine is the
/// real one; the rules that keep linked players together work on this interface alone.
class PlaybackEngine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool isPaused() const = 0;
    /// No file is loaded (none was given, it failed, or it ended without looping).
    virtual bool isIdle() const = 0;
    virtual double position() const = 0;
    virtual double duration() const = 0;
    /// Frames per second of the video; 0 when unknown.
    virtual double frameRate() const = 0;
    /// The speed the user chose (without any nudge).
    virtual double speed() const = 0;

    /// Goes on playing; a file that ended is played again from the start.
    virtual void play() = 0;
    virtual void pause() = 0;
    /// Goes back to the start and pauses, keeping the file loaded.
    virtual void stop() = 0;
    /// Seeks to a time; an exact seek lands on the frame at that time instead of a key frame.
    virtual void seekTo(double seconds, bool exact) = 0;
    /// Shows the next (or previous) frame and pauses there.
    virtual void stepFrame(bool forward) = 0;
    virtual void setSpeed(double speed) = 0;
    /// Plays a little faster or slower than the chosen speed (factor near 1), to keep in step
    /// with another player; 1 returns to the chosen speed.
    virtual void setSpeedNudge(double factor) = 0;

signals:
    void pausedChanged(bool paused);
    void idleChanged(bool idle);
    void positionChanged(double seconds);
    void durationChanged(double seconds);
};

} // namespace tandemo
