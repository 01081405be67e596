#pragma once

#include "engine/player_engine.h"
#include "platform/regular_file.h"

#include <QLoggingCategory>
#include <QSize>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>

// libmpv's own types, declared here so that its headers stay inside the engine's sources.
struct mpv_handle;
struct mpv_event_property;

Q_DECLARE_LOGGING_CATEGORY(lcMpv)

namespace tandemo {

/// An mpv core, shared by the engine and the render contexts that draw it: it goes (playback
/// stopped, the core freed) after the last of them, so that a context never outlives its core.
using MpvCore = std::shared_ptr<mpv_handle>;

/// One core of the engine and what it last reported.
struct MpvCoreState {
    explicit MpvCoreState(MpvCore owned = nullptr)
        : core(std::move(owned))
    {
    }

    MpvCore core;
    // The "on_preloaded" hook the core waits at, until the engine has set up the decoding.
    std::uint64_t pendingHook = 0;
    bool paused = false;
    bool idle = true;
    bool atEnd = false;
    /// Paused by the core itself until more of the file is read.
    bool waitingForData = false;
    // A file is loaded and its first picture decoded after the last load or seek.
    bool loaded = false;
    /// The file holds a still picture rather than a video.
    bool still = false;
    bool restarted = false;
    bool loopFilterSkipped = false;
    double position = 0;
    double duration = 0;
    double containerFps = 0;
    double measuredFps = 0;
    std::int64_t outputDrops = 0;
    std::int64_t decoderDrops = 0;
    // The core's output drops when its pass began: a pass is judged by its own drops alone.
    std::int64_t dropsAtPassStart = 0;
    QSize storedSize;
    QString codec;
    double bitRate = 0;
    QSize videoSize;
    // How far the renderer turns the picture to show it upright, and how far a filter turns
    // it before it is rendered (the one or the other).
    std::int64_t rotation = 0;
    std::int64_t filterRotation = 0;
    // Which of two equal spellings of the hardware decoding option is set: changing it is what
    // makes mpv open the decoder anew.
    bool hwdecSpelledOtherWay = false;
    // A reopening of the decoder with the loop filter asked for during a seek, done once the seek
    // has shown its frame (reopening seeks to the frame showing, and would undo the seek).
    bool fullDecoderPending = false;
};

/// Whether the pass the core shows has dropped so many frames that this pane cannot decode in
/// time (and so has no time for a second core either).
bool passOverloaded(const MpvCoreState& state);

/// What the engine observes of each core. Each has one row in the table of mpv_core.cpp: its
/// name and format there, and where its value goes in MpvCoreState.
enum class MpvProperty : std::uint64_t {
    Pause = 1,
    Idle,
    Position,
    Duration,
    ContainerFps,
    MeasuredFps,
    OutputDrops,
    DecoderDrops,
    DisplayWidth,
    DisplayHeight,
    StoredWidth,
    StoredHeight,
    Codec,
    BitRate,
    Rotation,
    AtEnd,
    WaitingForData,
};

/// Queues a command on the core without waiting for it; `reply`, when not 0, is the id of the
/// core's reply to it. Returns mpv's status.
int sendCommand(mpv_handle* core, std::initializer_list<const char*> arguments,
                std::uint64_t reply = 0);

/// Has the core play the file `own` (a descriptor of its own, which the core closes when done),
/// from `start` seconds, cached as a file of its size is (see fileCacheOptions()); false when
/// it cannot be handed over.
bool loadFileInto(mpv_handle* core, RegularFile own, bool gaplessLoop, double start = 0);

/// Makes and starts a core with the player's options, held at "on_preloaded" for every file
/// until the engine has set up its decoding; or nullptr and the reason.
MpvCore createCore(const EngineOptions& options, QString* error);
/// Asks the core to report every property of the table, and its warnings.
void observeProperties(mpv_handle* core);
/// Keeps the value of an observed property that changed in the state; which property it was,
/// or none for a reply that is not one of the table's.
std::optional<MpvProperty> storeProperty(MpvCoreState& state, std::uint64_t id,
                                         const mpv_event_property& property);

} // namespace tandemo
