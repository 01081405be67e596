#pragma once

#include "analysis/background_run.h"
#include "analysis/frame_times.h"
#include "analysis/media_facts.h"
#include "engine/core_decoding.h"
#include "engine/core_pair.h"
#include "engine/core_settings.h"
#include "engine/frame_saver.h"
#include "engine/loop_hand_over.h"
#include "engine/mpv_core.h"
#include "engine/player_engine.h"
#include "engine/rewrite_watch.h"
#include "engine/seek_tracker.h"
#include "engine/stall_watch.h"
#include "platform/regular_file.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// libmpv's own types, declared here so that its headers stay inside the engine's sources.
struct mpv_handle;
struct mpv_event;
struct mpv_event_property;

namespace tandemo {

/// What plays a player's video through libmpv: its cores' events (see CorePair) turned into
/// signals, the transport, the file it plays and how it is opened. Nothing here waits for a
/// core: state comes from observed properties, and commands are sent asynchronously.
///
/// A looping file is played by two cores in turn: while one shows a pass, the other waits paused
/// at the start with its first picture decoded, and takes over the moment the pass ends, so that
/// no pause of a seek back shows between passes (see LoopHandOver). Everything outside sees one
/// player.
class MpvEngine : public PlayerEngine, private CoreListener {
    Q_OBJECT
public:
    /// Makes and starts a core, or returns nullptr and the reason.
    static std::unique_ptr<MpvEngine> create(const EngineOptions& options, QString* error);
    ~MpvEngine() override = default;

    /// The cores that draw, the one showing first; each needs its render context, which shares
    /// it.
    std::vector<MpvCore> cores() const { return m_cores.cores(); }
    std::vector<mpv_handle*> handles() const
    {
        std::vector<mpv_handle*> all;
        for (const MpvCore& core : cores())
            all.push_back(core.get());
        return all;
    }
    /// The core whose pictures are shown now.
    mpv_handle* handle() const { return m_shown.core.get(); }

    /// Replaces whatever is playing with the file; returns at once.
    void loadFile(const QString& path, bool startPaused) override;
    /// Unloads the current file, leaving the core idle.
    void unload() override;
    void setVolume(int volume) override { m_settings.setVolume(volume); }
    void setMute(bool mute) override { m_settings.setMute(mute); }
    void setLoop(bool loop) override { m_loop.setLooping(loop); }
    /// Shows the picture with this width-to-height ratio whatever its own; 0 returns to its own.
    void setAspectOverride(double aspect) override
    {
        m_settings.setAspectOverride(aspect, m_shown.rotation + m_shown.filterRotation);
    }
    /// Scales every picture to fill its area (aspect kept), small ones too; off returns to
    /// showing small pictures at their own size.
    void setScaledToFit(bool scaled) override { m_settings.setScaledToFit(scaled); }
    /// The size, in pixels, of the area the picture is drawn into: how large it is shown.
    void setPictureArea(QSize pixels) override { m_settings.setPictureArea(pixels); }
    /// Whether the next pass starts from the waiting core (else mpv seeks back as usual).
    bool isLoopGapless() const { return m_loop.isSeamless(); }
    /// Whether the picture showing is decoded without the loop filter (shown too small for it).
    bool skipsLoopFilter() const { return m_shown.loopFilterSkipped; }

    QString file() const override { return m_file; }
    RegularFile openedFile() const override { return m_opened.reopened(); }
    /// What the file is, as far as the engine has read it, and where it plays.
    MediaFacts facts() const override;
    std::unique_ptr<RenderContext> softwareRenderContext() override;
    std::unique_ptr<RenderContext> openGLRenderContext(const OpenGLSetUp& setUp) override;
    bool isPaused() const override { return m_shown.paused; }
    bool isIdle() const override { return m_shown.idle; }
    double position() const override { return m_shown.position; }
    double destination() const override { return m_seeks.target().value_or(m_shown.position); }
    double duration() const override { return m_shown.duration; }
    bool isStill() const override { return !m_file.isEmpty() && !m_shown.idle && m_shown.still; }
    /// As the file declares it, else as measured; 0 when unknown.
    double frameRate() const override
    {
        return m_shown.containerFps > 0 ? m_shown.containerFps : std::max(m_shown.measuredFps, 0.0);
    }
    double frameStartAt(double seconds) const override;
    std::optional<qint64> frameNumberAt(double seconds) const override
    {
        const std::optional<FrameAt> frame = m_frameTimes.times().frameAt(seconds);
        return frame ? std::optional<qint64>(frame->number) : std::nullopt;
    }
    std::optional<double> startOfFrame(qint64 number) const override
    {
        return m_frameTimes.times().frameStart(number);
    }
    double speed() const override { return m_settings.speed(); }
    QSize videoSize() const override
    {
        // Where the renderer turns the picture upright, the size reported is the one before.
        return m_shown.rotation % 180 == 90 ? m_shown.videoSize.transposed() : m_shown.videoSize;
    }
    ViewZoom view() const override { return m_settings.view(); }
    void setView(const ViewZoom& view) override { m_settings.setView(view); }
    /// Frames dropped so far by the video output and by the decoder.
    std::int64_t outputFramesDropped() const { return m_shown.outputDrops + m_waiting.outputDrops; }
    std::int64_t decoderFramesDropped() const
    {
        return m_shown.decoderDrops + m_waiting.decoderDrops;
    }

    void play() override;
    void pause() override { setPaused(true); }
    void stop() override
    {
        setPaused(true);
        seekShown(0, /*exact=*/true);
    }
    void seekTo(double seconds, bool exact = false) override { seekShown(seconds, exact); }
    void stepFrame(bool forward) override;
    void setSpeed(double speed) override { m_settings.setSpeed(speed); }
    void setSpeedNudge(double factor) override { m_settings.setSpeedNudge(factor); }
    void setPaused(bool paused);
    void setPassage(std::optional<Passage> passage) override;
    std::optional<Passage> passage() const override { return m_passage; }
    void setSilenced(bool silenced) override { m_settings.setSilenced(silenced); }
    bool isSilenced() const override { return m_settings.isSilenced(); }
    void setMirrored(bool mirrored) override
    {
        m_decoding.setMirrored(mirrored, {&m_shown, &m_waiting});
    }
    bool isMirrored() const override { return m_decoding.isMirrored(); }
    void switchFile(const QString& path, double seconds) override;
    void setPictureFilter(const QString& chain) override
    {
        m_decoding.setPictureFilter(chain, {&m_shown, &m_waiting});
    }
    QString pictureFilter() const override { return m_decoding.pictureFilter(); }
    void setToneMap(const QString& chain) override
    {
        m_decoding.setToneMap(chain, {&m_shown, &m_waiting});
    }
    QString toneMap() const override { return m_decoding.toneMap(); }
    void saveFrame(const QString& path) override;

private:
    MpvEngine(MpvCore core, MpvCore waiting, const EngineOptions& options);
    /// Has the shown core hand its frames to a view's render thread ahead of their time.
    std::unique_ptr<RenderContext> drawnAhead(std::unique_ptr<RenderContext> context);

    // What the cores tell.
    void shownChanged(MpvProperty property) override;
    void shownLoaded() override;
    void shownRestarted() override;
    void shownFailed(const QString& reason) override { emit fileFailed(reason); }
    void commandDone(std::uint64_t reply, bool done, bool byShown) override;
    bool loadInto(mpv_handle* core) override { return loadOpenedFile(core); }
    void switched() override;
    void passStarted() override;

    /// Sets a property on every core (a setting), or on the showing one only (transport).
    void setPropertyAsync(const char* name, const char* value) { m_cores.setOnBoth(name, value); }
    void setShownPropertyAsync(const char* name, const char* value)
    {
        m_cores.setOnShown(name, value);
    }
    /// Asks the core showing to write its frame; false when it cannot be asked.
    bool takeScreenshot(const QString& stagingPath);
    /// Plays the file opened in the core; false when it cannot be handed over.
    /// Takes the file at `path` as the one played and opens it, or reports it failed (false).
    bool openFile(const QString& path);
    /// Has a core play the file opened, from `start` seconds.
    bool loadOpenedFile(mpv_handle* core, double start = 0);
    /// Opens the same file again where it showed, keeping the user's set-up (passage, paused
    /// or playing): nobody is told of a new file, for there is none.
    void openAgain()
    {
        if (!m_file.isEmpty() && m_opened.isOpen())
            switchFile(m_file, m_shown.position);
    }
    void failToOpen(const QString& reason);

    /// Where the pass showing is, for the hand-over.
    void tellLoopWhereShownIs();
    /// How long the picture showing lasts, while it plays (see StallWatch).
    std::optional<double> shownFrameLasts() const;
    /// A pane held for good (its file rewritten under it, say) is opened again, or reported as
    /// failed.
    void openAgainWhenStalled(int times);
    /// Goes on from the start of the next pass (of the passage, if one is set).
    void startNextPass(bool paused);
    /// Sends a seek of the core showing to a moment (exact: to the frame at it).
    void seekShown(double seconds, bool exact);

    EngineOptions m_options;
    CoreDecoding m_decoding;
    CorePair m_cores;
    // What the core showing, and the one waiting, last reported.
    MpvCoreState& m_shown = m_cores.shown();
    MpvCoreState& m_waiting = m_cores.waiting();
    CoreSettings m_settings{m_cores, m_decoding};
    QString m_file;
    // The file being played, as opened and judged when it was loaded.
    RegularFile m_opened;
    LoopHandOver m_loop{m_cores, m_cores.hasWaiting()};
    StallWatch m_stallWatch{[this] { return shownFrameLasts(); }};
    RewriteWatch m_rewriteWatch{[this] { return m_opened.descriptor(); }};
    SeekTracker m_seeks;
    // Enough to draw a picture at any pane's size, not so much that a core waits long on it.
    static constexpr int kHandedOverAheadMs = 20;
    // The id of the reply to the save of a frame.
    static constexpr std::uint64_t kFrameSaveRequest = 1000;
    FrameSaver m_saver;
    FrameTimesReader m_frameTimes;
    std::optional<Passage> m_passage;
};

} // namespace tandemo
