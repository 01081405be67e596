#include "engine/mpv_engine.h"

#include "engine/mpv_options.h"

#include <mpv/client.h>

#include <QLoggingCategory>
#include <QThread>

#include <algorithm>
#include <clocale>
#include <utility>

Q_LOGGING_CATEGORY(lcMpv, "tandemo.mpv", QtWarningMsg)

namespace tandemo {

namespace {

enum ObservedProperty : std::uint64_t {
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
};

// Ids of the asynchronous requests made while a file is held at its "on_preloaded" hook.
enum Request : std::uint64_t { PreloadedHook = 100, TrackList };

MpvCore createCore(const MpvEngineOptions& options, QString* error)
{
    MpvCore core(mpv_create());
    if (!core) {
        if (error)
            *error = QStringLiteral("The video engine could not be created.");
        return nullptr;
    }
    const auto setOption = [&](const char* name, const char* value) {
        if (const int status = mpv_set_option_string(core.get(), name, value); status < 0)
            qCWarning(lcMpv, "mpv option %s=%s: %s", name, value, mpv_error_string(status));
    };
    for (const MpvOption& option : embeddedMpvOptions())
        setOption(option.name, option.value);
    setOption("vd-lavc-threads",
              QByteArray::number(decoderThreadsFor(QThread::idealThreadCount())).constData());
    // A pass that ends holds its last picture, playing on, until the other core takes over.
    setOption("keep-open-pause", "no");
    if (!options.audioOutput)
        setOption("ao", "null");
    if (options.rotateBeforeRendering)
        setOption("video-rotate", "no");
    if (!options.hardwareDecoding) {
        // No codec may be decoded by hardware, whatever the spelling of hwdec: the engine
        // changes that spelling to have the decoder opened anew with other settings.
        setOption("hwdec", "no");
        setOption("hwdec-codecs", "");
    }
    for (const auto& [name, value] : options.extraOptions)
        setOption(name.c_str(), value.c_str());

    if (const int status = mpv_initialize(core.get()); status < 0) {
        if (error)
            *error = QStringLiteral("The video engine could not start: %1")
                         .arg(QString::fromUtf8(mpv_error_string(status)));
        return nullptr;
    }
    mpv_hook_add(core.get(), PreloadedHook, "on_preloaded", 0);
    return core;
}

} // namespace

bool passOverloaded(const MpvCoreState& state)
{
    constexpr std::int64_t kMostDropsInAPass = 12;
    return state.outputDrops - state.dropsAtPassStart > kMostDropsInAPass;
}

void MpvCoreDeleter::operator()(mpv_handle* core) const
{
    mpv_terminate_destroy(core);
}

std::unique_ptr<MpvEngine> MpvEngine::create(const MpvEngineOptions& options, QString* error)
{
    // mpv refuses to start unless numbers are formatted the C way; QApplication has set the
    // locale from the environment by now.
    std::setlocale(LC_NUMERIC, "C");

    MpvCore core = createCore(options, error);
    if (!core)
        return nullptr;
    // Without a second core, files loop as mpv loops them.
    MpvCore waiting = options.gaplessLoop ? createCore(options, nullptr) : nullptr;
    return std::unique_ptr<MpvEngine>(new MpvEngine(std::move(core), std::move(waiting), options));
}

MpvEngine::MpvEngine(MpvCore core, MpvCore waiting, const MpvEngineOptions& options)
    : m_options(options)
    , m_fullDecodeSave(
          [](double) {},
          [this](std::optional<bool> written) { finishFrameSave(written.value_or(false)); })
{
    m_shown.core = std::move(core);
    m_waiting.core = std::move(waiting);
    setUpPassEnd();
    setUpStallWatch();
    for (mpv_handle* handle : handles())
        observe(handle);
}

void MpvEngine::observe(mpv_handle* handle)
{
    mpv_request_log_messages(handle, "warn");
    mpv_observe_property(handle, Pause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(handle, Idle, "idle-active", MPV_FORMAT_FLAG);
    mpv_observe_property(handle, Position, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle, Duration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle, ContainerFps, "container-fps", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle, MeasuredFps, "estimated-vf-fps", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle, OutputDrops, "frame-drop-count", MPV_FORMAT_INT64);
    mpv_observe_property(handle, DecoderDrops, "decoder-frame-drop-count", MPV_FORMAT_INT64);
    mpv_observe_property(handle, DisplayWidth, "dwidth", MPV_FORMAT_INT64);
    mpv_observe_property(handle, DisplayHeight, "dheight", MPV_FORMAT_INT64);
    mpv_observe_property(handle, Rotation, "video-params/rotate", MPV_FORMAT_INT64);
    mpv_observe_property(handle, StoredWidth, "width", MPV_FORMAT_INT64);
    mpv_observe_property(handle, StoredHeight, "height", MPV_FORMAT_INT64);
    mpv_observe_property(handle, Codec, "video-codec", MPV_FORMAT_STRING);
    mpv_observe_property(handle, BitRate, "video-bitrate", MPV_FORMAT_DOUBLE);
    mpv_observe_property(handle, AtEnd, "eof-reached", MPV_FORMAT_FLAG);
    mpv_set_wakeup_callback(handle, &MpvEngine::onWakeup, this);
}

MpvEngine::~MpvEngine()
{
    setPlaying(false);
    // No callback may reach this object once it is gone; the cores are destroyed after this.
    for (mpv_handle* handle : handles())
        mpv_set_wakeup_callback(handle, nullptr, nullptr);
}

std::vector<mpv_handle*> MpvEngine::handles() const
{
    std::vector<mpv_handle*> all{m_shown.core.get()};
    if (m_waiting.core)
        all.push_back(m_waiting.core.get());
    return all;
}

std::int64_t MpvEngine::outputFramesDropped() const
{
    return m_shown.outputDrops + m_waiting.outputDrops;
}

std::int64_t MpvEngine::decoderFramesDropped() const
{
    return m_shown.decoderDrops + m_waiting.decoderDrops;
}

void MpvEngine::onWakeup(void* engine)
{
    // Called on one of mpv's threads: only post to the GUI thread.
    auto* self = static_cast<MpvEngine*>(engine);
    self->m_wakeup.post(self, &MpvEngine::drainEvents);
}

void MpvEngine::drainEvents()
{
    // Each event applies to whichever role its core has when it is read: a core that stops
    // showing in the middle of its events goes on as the waiting one.
    for (MpvCoreState* state : {&m_shown, &m_waiting}) {
        while (state->core) {
            const mpv_event* event = mpv_wait_event(state->core.get(), 0);
            if (event->event_id == MPV_EVENT_NONE)
                break;
            handleEvent(*state, *event);
        }
    }
}

void MpvEngine::handleEvent(MpvCoreState& state, const mpv_event& event)
{
    const bool showing = &state == &m_shown;
    switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE:
        handlePropertyChange(state, event.reply_userdata,
                             *static_cast<mpv_event_property*>(event.data));
        break;
    case MPV_EVENT_FILE_LOADED:
        state.loaded = true;
        if (showing) {
            m_shown.dropsAtPassStart = m_shown.outputDrops;
            emit fileLoaded();
        }
        break;
    case MPV_EVENT_HOOK:
        // The file is open and its tracks known, but nothing is decoded yet. Its tracks are
        // asked for, the decoding set up for them, and only then the file goes on; each step is
        // asynchronous, so the GUI thread never waits for the core. The core itself waits for
        // the continue, which is why that last call cannot stall on it.
        state.pendingHook = static_cast<mpv_event_hook*>(event.data)->id;
        mpv_get_property_async(state.core.get(), TrackList, "track-list", MPV_FORMAT_NODE);
        break;
    case MPV_EVENT_GET_PROPERTY_REPLY:
        if (event.reply_userdata == TrackList)
            applyTrackList(state, event.error >= 0 ? static_cast<mpv_event_property*>(event.data)
                                                   : nullptr);
        break;
    case MPV_EVENT_SET_PROPERTY_REPLY:
        // The decoding is set up (or could not be): the file may go on.
        if (event.reply_userdata == kDecodingSetRequest && state.pendingHook)
            mpv_hook_continue(state.core.get(), std::exchange(state.pendingHook, 0));
        break;
    case MPV_EVENT_COMMAND_REPLY:
        // The core that took the save may have stopped showing meanwhile.
        if (event.reply_userdata == kFrameSaveRequest)
            finishFrameSave(event.error >= 0);
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        state.restarted = true;
        if (std::exchange(state.fullDecoderPending, false))
            reopenDecoderInFull(state);
        if (showing) {
            // A passage of one frame loops without a change of position.
            madeProgress();
            arriveFromSeek(true);
            emit playbackRestarted();
            prepareWaitingCore();
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<mpv_event_end_file*>(event.data);
        if (end->reason == MPV_END_FILE_REASON_ERROR) {
            if (showing)
                emit fileFailed(QString::fromUtf8(mpv_error_string(end->error)));
            else
                fallBackToSeekingLoop();
        }
        state.loaded = false;
        break;
    }
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* message = static_cast<mpv_event_log_message*>(event.data);
        qCDebug(lcMpv).noquote() << message->prefix << QString::fromUtf8(message->text).trimmed();
        break;
    }
    default:
        break;
    }
}

void MpvEngine::handlePropertyChange(MpvCoreState& state, std::uint64_t id,
                                     const mpv_event_property& property)
{
    const bool present = property.format != MPV_FORMAT_NONE && property.data;
    const auto flag = [&] { return present && *static_cast<int*>(property.data) != 0; };
    const auto number = [&] { return present ? *static_cast<double*>(property.data) : 0.0; };
    const auto text = [&] {
        return present ? QString::fromUtf8(*static_cast<char**>(property.data)) : QString();
    };
    const auto integer = [&] {
        return present ? *static_cast<std::int64_t*>(property.data) : std::int64_t{0};
    };

    switch (id) {
    case Pause:
        state.paused = flag();
        break;
    case Idle:
        state.idle = flag();
        break;
    case Position:
        state.position = number();
        break;
    case Duration:
        state.duration = number();
        break;
    case ContainerFps:
        state.containerFps = number();
        break;
    case MeasuredFps:
        state.measuredFps = number();
        break;
    case OutputDrops:
        state.outputDrops = integer();
        break;
    case DecoderDrops:
        state.decoderDrops = integer();
        break;
    case DisplayWidth:
        state.videoSize.setWidth(int(integer()));
        break;
    case DisplayHeight:
        state.videoSize.setHeight(int(integer()));
        break;
    case Rotation:
        state.rotation = integer();
        break;
    case StoredWidth:
        state.storedSize.setWidth(int(integer()));
        break;
    case StoredHeight:
        state.storedSize.setHeight(int(integer()));
        break;
    case Codec:
        // "h264 (H.264 / AVC / MPEG-4 AVC / MPEG-4 part 10)": the short name is enough.
        state.codec = text().section(QLatin1Char(' '), 0, 0);
        break;
    case BitRate:
        state.bitRate = number();
        break;
    case AtEnd:
        state.atEnd = flag();
        break;
    default:
        break;
    }
    if (&state == &m_shown)
        signalChange(id);
}

void MpvEngine::signalChange(std::uint64_t id)
{
    switch (id) {
    case Pause:
        m_sinceProgress.restart();
        emit pausedChanged(m_shown.paused);
        // Played from the last frame, the pass ends without another change of position.
        if (!m_shown.paused)
            switchAfterLastFrame();
        break;
    case Idle:
        emit idleChanged(m_shown.idle);
        break;
    case Position:
        madeProgress();
        arriveFromSeek(false);
        emit positionChanged(m_shown.position);
        switchAfterLastFrame();
        break;
    case Duration:
        emit durationChanged(m_shown.duration);
        break;
    case OutputDrops:
        // A pane that cannot decode in time has no time for a second core either.
        if (passOverloaded(m_shown) && isLoopGapless())
            fallBackToSeekingLoop();
        break;
    case AtEnd:
        if (m_shown.atEnd && isLoopGapless())
            switchCores();
        break;
    default:
        break;
    }
}

} // namespace tandemo
