#pragma once

#include "engine/playback_engine.h"

#include <QString>
#include <QStringList>

#include <utility>

namespace tandemo::testing {

/// An engine that notes the commands it is given and reports only the state the test sets, as
/// a real engine reports its state some time after a command.
class FakeEngine : public PlaybackEngine {
public:
    explicit FakeEngine(double duration = 10, double frameRate = 25)
        : m_duration(duration)
        , m_frameRate(frameRate)
    {
    }

    QString file() const override { return m_idle ? QString() : fileName; }
    bool isPaused() const override { return m_paused; }
    bool isIdle() const override { return m_idle; }
    double position() const override { return m_position; }
    double duration() const override { return m_duration; }
    double frameRate() const override { return m_frameRate; }
    double speed() const override { return m_speed; }
    QSize videoSize() const override { return size; }
    ViewZoom view() const override { return m_view; }
    void setView(const ViewZoom& view) override { m_view = view; }

    void play() override { commands << "play"; }
    void pause() override { commands << "pause"; }
    void stop() override { commands << "stop"; }
    void seekTo(double seconds, bool exact) override
    {
        commands << QString("seek %1%2").arg(seconds).arg(exact ? " exact" : "");
    }
    void stepFrame(bool forward) override { commands << (forward ? "step on" : "step back"); }
    void setSpeed(double speed) override
    {
        m_speed = speed;
        commands << QString("speed %1").arg(speed);
    }
    void setSpeedNudge(double factor) override { nudge = factor; }
    void saveFrame(const QString& path) override { commands << "save " + path; }
    void setPassage(std::optional<Passage> passage) override
    {
        m_passage = passage;
        emit passageChanged();
    }
    std::optional<Passage> passage() const override { return m_passage; }
    void setSilenced(bool silenced) override { m_silenced = silenced; }
    bool isSilenced() const override { return m_silenced; }
    void setMirrored(bool mirrored) override { m_mirrored = mirrored; }
    bool isMirrored() const override { return m_mirrored; }
    void switchFile(const QString& path, double seconds) override
    {
        fileName = path;
        commands << QString("switch %1 at %2").arg(path).arg(seconds);
    }
    void setPictureFilter(const QString& chain) override { filter = chain; }
    QString pictureFilter() const override { return filter; }

    /// What the engine reports.
    void reportPlaying(double at)
    {
        setOpen();
        m_position = at;
        setPausedState(false);
    }
    void reportPaused(double at)
    {
        setOpen();
        m_position = at;
        setPausedState(true);
    }
    void reportIdle()
    {
        m_idle = true;
        emit idleChanged(true);
    }

    QStringList takeCommands() { return std::exchange(commands, {}); }

    QStringList commands;
    double nudge = 1.0;
    QSize size{640, 360};
    QString fileName = QStringLiteral("/videos/clip.mp4");
    QString filter;

private:
    void setOpen()
    {
        if (std::exchange(m_idle, false))
            emit idleChanged(false);
    }
    void setPausedState(bool paused)
    {
        if (paused == m_paused)
            return;
        m_paused = paused;
        emit pausedChanged(paused);
    }

    bool m_paused = false;
    bool m_idle = true;
    double m_position = 0;
    double m_duration;
    double m_frameRate;
    double m_speed = 1.0;
    ViewZoom m_view;
    std::optional<Passage> m_passage;
    bool m_silenced = false;
    bool m_mirrored = false;
};

} // namespace tandemo::testing
