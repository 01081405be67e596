#pragma once

#include "engine/frame_save.h"
#include "engine/frame_times.h"
#include "engine/media_facts.h"
#include "engine/playback_engine.h"
#include "engine/queued_wakeup.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// libmpv's own types, declared here so that its headers stay inside the engine's sources.
struct mpv_handle;
struct mpv_event_hook;
struct mpv_event_property;

namespace tandemo {

struct MpvEngineOptions {
    /// Off plays the sound to a null output: timing as with sound, nothing audible. Tests and
    /// benchmarks use it; the program plays sound.
    bool audioOutput = true;
    /// Turns rotated videos upright in the filter chain, so that the renderer only ever gets
    /// unrotated pictures. mpv's software renderer needs this: it aborts on a picture to be
    /// turned by 90 or 270 degrees.
    bool rotateBeforeRendering = false;
    /// Off decodes on the CPU only. Where pictures are drawn by the CPU, frames a GPU decoded
    /// would only be copied back, and looking for a decoder costs time at every load.
    bool hardwareDecoding = true;
    /// Further mpv options, set after the player's own; for measuring alternatives.
    std::vector<std::pair<std::string, std::string>> extraOptions;
};

/// Owns an mpv core; destroying it stops playback and frees the core.
struct MpvCoreDeleter {
    void operator()(mpv_handle* core) const;
};
using MpvCore = std::unique_ptr<mpv_handle, MpvCoreDeleter>;

/// One mpv core: its options, the commands the player sends it and the state it reports back.
/// mpv's wakeup callback only posts to this object's thread; events are read and turned into
/// signals there. Nothing here waits for the core: state comes from observed properties, and
/// commands are sent asynchronously.
class MpvEngine : public PlaybackEngine {
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
    void setVolume(int volume);
    void setMute(bool mute);
    void setLoop(bool loop);
    /// Shows the picture with this width-to-height ratio whatever its own; 0 returns to its own.
    void setAspectOverride(double aspect);
    /// Scales every picture to fill its area (aspect kept), small ones too; off returns to
    /// showing small pictures at their own size.
    void setScaledToFit(bool scaled);
    bool isLooping() const { return m_looping; }

    QString file() const override { return m_file; }
    /// What the file is, as far as the engine has read it, and where it plays.
    MediaFacts facts() const;
    bool isPaused() const override { return m_paused; }
    bool isIdle() const override { return m_idle; }
    double position() const override { return m_position; }
    double duration() const override { return m_duration; }
    /// As the file declares it, else as measured; 0 when unknown.
    double frameRate() const override;
    double speed() const override { return m_speed; }
    QSize videoSize() const override;
    ViewZoom view() const override { return m_view; }
    void setView(const ViewZoom& view) override;
    /// Frames dropped so far by the video output and by the decoder.
    std::int64_t outputFramesDropped() const { return m_outputDrops; }
    std::int64_t decoderFramesDropped() const { return m_decoderDrops; }

    void play() override;
    void pause() override { setPaused(true); }
    void stop() override;
    void seekTo(double seconds, bool exact = false) override;
    void stepFrame(bool forward) override;
    void setSpeed(double speed) override;
    void setSpeedNudge(double factor) override;
    void setPaused(bool paused);
    void setPassage(std::optional<Passage> passage) override;
    std::optional<Passage> passage() const override { return m_passage; }
    void setSilenced(bool silenced) override;
    bool isSilenced() const override { return m_silenced; }
    void setMirrored(bool mirrored) override;
    bool isMirrored() const override { return m_mirrored; }
    void saveFrame(const QString& path) override;

signals:
    void fileLoaded();

private:
    explicit MpvEngine(MpvCore core);

    static void onWakeup(void* engine);
    void drainEvents();
    void handlePropertyChange(std::uint64_t id, const mpv_event_property& property);
    void handleHook(const mpv_event_hook& hook);
    void rotateUpright(const mpv_event_property* trackList);
    void setPropertyAsync(const char* name, const char* value);
    void commandAsync(std::initializer_list<const char*> arguments);
    /// The filters before rendering: the one that turns the picture upright, and the mirror.
    QByteArray videoFilters() const;
    void applyMute();

    MpvCore m_core;
    QueuedWakeup m_wakeup;
    QString m_file;
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
    // The id of the reply to the save of a frame.
    static constexpr std::uint64_t kFrameSaveRequest = 1000;
    std::unique_ptr<FrameSave> m_frameSave;
    FrameTimesReader m_frameTimes;
    QSize m_storedSize;
    QString m_codec;
    double m_bitRate = 0;
    QSize m_videoSize;
    // How far the renderer turns the picture to show it upright, and how far a filter turns
    // it before it is rendered (the one or the other).
    std::int64_t m_rotation = 0;
    std::int64_t m_filterRotation = 0;
    ViewZoom m_view;
    std::optional<Passage> m_passage;
    bool m_muted = false;
    bool m_silenced = false;
    bool m_mirrored = false;
};

} // namespace tandemo
