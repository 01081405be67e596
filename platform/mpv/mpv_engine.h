#pragma once

#include "platform/mpv/mpv_handles.h"
#include "platform/mpv/queued_wakeup.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tandemo {

struct MpvEngineOptions {
    /// Off plays the sound to a null output: timing as with sound, nothing audible. Tests and
    /// benchmarks use it; the program plays sound.
    bool audioOutput = true;
    /// Turns rotated videos upright in the filter chain, so that the renderer only ever gets
    /// unrotated pictures. mpv's software renderer needs this: it aborts on a picture to be
    /// turned by 90 or 270 degrees.
    bool rotateBeforeRendering = false;
    /// Further mpv options, set after the player's own; for measuring alternatives.
    std::vector<std::pair<std::string, std::string>> extraOptions;
};

/// One mpv core: its options, the commands the player sends it and the state it reports back.
/// mpv's wakeup callback only posts to this object's thread; events are read and turned into
/// signals there.
class MpvEngine : public QObject {
    Q_OBJECT
public:
    /// Makes and starts a core, or returns nullptr and the reason.
    static std::unique_ptr<MpvEngine> create(const MpvEngineOptions& options, QString* error);
    ~MpvEngine() override;

    mpv_handle* handle() const { return m_core.get(); }

    /// Replaces whatever is playing with the file; returns at once.
    void loadFile(const QString& path, bool startPaused);
    /// Unloads the current file, leaving the core idle.
    void unload();
    void setPaused(bool paused);
    /// Goes back to the start and pauses, keeping the file loaded.
    void stop();
    /// Seeks to a time; an exact seek lands on the frame at that time instead of a key frame.
    void seekTo(double seconds, bool exact = false);
    /// Shows the next (or previous) frame and pauses there.
    void stepFrame(bool forward);
    void setSpeed(double speed);
    double speed() const { return m_speed; }
    /// Plays a little faster or slower than the chosen speed (factor near 1), to keep in step
    /// with another player; 1 returns to the chosen speed.
    void setSpeedNudge(double factor);
    void setVolume(int volume);
    void setMute(bool mute);
    void setLoop(bool loop);

    bool isPaused() const { return m_paused; }
    bool isIdle() const { return m_idle; }
    double position() const { return m_position; }
    double duration() const { return m_duration; }
    /// Frames per second of the video as the file declares it, else as measured; 0 when unknown.
    double frameRate() const;
    /// Frames dropped so far by the video output and by the decoder.
    std::int64_t outputFramesDropped() const { return m_outputDrops; }
    std::int64_t decoderFramesDropped() const { return m_decoderDrops; }
    bool isLooping() const { return m_looping; }

signals:
    void pausedChanged(bool paused);
    void idleChanged(bool idle);
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void fileLoaded();
    void fileFailed(const QString& reason);
    /// Playback started or went on after a seek, including the jump back at a loop's end.
    void playbackRestarted();

private:
    explicit MpvEngine(MpvCore core);

    static void onWakeup(void* engine);
    void drainEvents();
    void handlePropertyChange(std::uint64_t id, const mpv_event_property& property);
    void handleHook(const mpv_event_hook& hook);
    void rotateUpright(const mpv_event_property* trackList);
    void setPropertyAsync(const char* name, const char* value);
    void commandAsync(std::initializer_list<const char*> arguments);

    MpvCore m_core;
    QueuedWakeup m_wakeup;
    bool m_paused = false;
    bool m_idle = true;
    bool m_looping = false;
    double m_position = 0;
    double m_speed = 1.0;
    double m_speedNudge = 1.0;
    double m_duration = 0;
    double m_containerFps = 0;
    double m_measuredFps = 0;
    std::int64_t m_outputDrops = 0;
    std::int64_t m_decoderDrops = 0;
    std::uint64_t m_pendingHook = 0;
};

} // namespace tandemo
