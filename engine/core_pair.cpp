#include "engine/core_pair.h"

#include <mpv/client.h>

#include <QLoggingCategory>

#include <utility>

namespace tandemo {

namespace {

// Ids of the asynchronous requests made while a file is held at its "on_preloaded" hook, and of
// the pause asked for.
enum Request : std::uint64_t { TrackList = 101, PauseState, DecodingSet };

// How much earlier than the pictures the sound of a pass after the first plays (see primeSound):
// more than timestamps rounded to the millisecond put it behind them, far less than anyone hears.
constexpr const char* kSoundLead = "-0.002";

} // namespace

CorePair::CorePair(MpvCore shown, MpvCore waiting, CoreDecoding& decoding, CoreListener& listener)
    : m_shown(std::move(shown))
    , m_waiting(std::move(waiting))
    , m_decoding(decoding)
    , m_listener(listener)
{
    for (const MpvCore& core : cores()) {
        observeProperties(core.get());
        mpv_set_wakeup_callback(core.get(), &CorePair::onWakeup, this);
    }
}

CorePair::~CorePair()
{
    // No callback may reach this object once it is gone.
    for (const MpvCore& core : cores())
        mpv_set_wakeup_callback(core.get(), nullptr, nullptr);
}

std::vector<MpvCore> CorePair::cores() const
{
    std::vector<MpvCore> all{m_shown.core};
    if (m_waiting.core)
        all.push_back(m_waiting.core);
    return all;
}

void CorePair::onWakeup(void* pair)
{
    // Called on one of mpv's threads: only post to the GUI thread.
    auto* self = static_cast<CorePair*>(pair);
    self->m_wakeup.post(self, &CorePair::drainEvents);
}

void CorePair::drainEvents()
{
    for (MpvCoreState* state : {&m_shown, &m_waiting}) {
        while (state->core) {
            const mpv_event* event = mpv_wait_event(state->core.get(), 0);
            if (event->event_id == MPV_EVENT_NONE)
                break;
            handleEvent(*state, *event);
        }
    }
}

void CorePair::handleEvent(MpvCoreState& state, const mpv_event& event)
{
    const bool showing = &state == &m_shown;
    switch (event.event_id) {
    case MPV_EVENT_PROPERTY_CHANGE:
        if (const std::optional<MpvProperty> changed = storeProperty(
                state, event.reply_userdata, *static_cast<mpv_event_property*>(event.data));
            changed && showing)
            m_listener.shownChanged(*changed);
        break;
    case MPV_EVENT_FILE_LOADED:
        state.loaded = true;
        if (showing) {
            m_shown.dropsAtPassStart = m_shown.outputDrops;
            m_listener.shownLoaded();
        } else if (state.restarted && m_handOver) {
            m_handOver->waitingAtStart();
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
            m_decoding.setUp(
                state, event.error >= 0 ? static_cast<mpv_event_property*>(event.data) : nullptr,
                DecodingSet);
        else if (event.reply_userdata == PauseState && event.error >= 0 && showing)
            takePauseState(*static_cast<mpv_event_property*>(event.data));
        break;
    case MPV_EVENT_SET_PROPERTY_REPLY:
        // The decoding is set up (or could not be): the file may go on.
        if (event.reply_userdata == DecodingSet && state.pendingHook)
            mpv_hook_continue(state.core.get(), std::exchange(state.pendingHook, 0));
        break;
    case MPV_EVENT_COMMAND_REPLY:
        m_listener.commandDone(event.reply_userdata, event.error >= 0, showing);
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        state.restarted = true;
        m_decoding.restarted(state);
        if (showing) {
            m_listener.shownRestarted();
            break;
        }
        primeSound(state);
        if (state.loaded && m_handOver)
            m_handOver->waitingAtStart();
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<mpv_event_end_file*>(event.data);
        if (end->reason == MPV_END_FILE_REASON_ERROR) {
            if (showing)
                m_listener.shownFailed(QString::fromUtf8(mpv_error_string(end->error)));
            else if (m_handOver)
                m_handOver->fallBack();
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

void CorePair::giveUpWaiting()
{
    if (m_handOver)
        m_handOver->giveUpWaiting();
}

void CorePair::askPauseState()
{
    // mpv tells of a change of pause against the value it told last: a core let go and paused
    // again before it told of either (a pause pressed right after a loop) tells of neither, and
    // would be taken for playing while it stands still. Asked after a command, the answer comes
    // after the command's effect.
    mpv_get_property_async(m_shown.core.get(), PauseState, "pause", MPV_FORMAT_FLAG);
}

void CorePair::takePauseState(const mpv_event_property& pause)
{
    const bool was = m_shown.paused;
    storeProperty(m_shown, std::uint64_t(MpvProperty::Pause), pause);
    if (m_shown.paused != was)
        m_listener.shownChanged(MpvProperty::Pause);
}

void CorePair::setOnBoth(const char* name, const char* value)
{
    for (const MpvCore& core : cores())
        sendCommand(core.get(), {"set", name, value});
}

void CorePair::setOnShown(const char* name, const char* value)
{
    sendCommand(m_shown.core.get(), {"set", name, value});
}

void CorePair::setLoopMode(bool looping, bool handedOver)
{
    // Handed over, a pass that ends holds its last picture until the other core shows;
    // otherwise mpv seeks back itself, and a file that ends without looping is unloaded.
    setOnBoth("loop-file", looping && !handedOver ? "inf" : "no");
    setOnBoth("keep-open", handedOver ? "yes" : "no");
}

bool CorePair::openWaiting()
{
    m_waiting.restarted = false;
    mpv_handle* core = m_waiting.core.get();
    sendCommand(core, {"set", "pause", "yes"});
    sendCommand(core, {"set", "audio-delay", "0"});
    CoreDecoding::holdLittle(core, true);
    return m_listener.loadInto(core);
}

void CorePair::letWaitingGo()
{
    sendCommand(m_waiting.core.get(), {"set", "pause", "no"});
}

void CorePair::sendWaitingToStart()
{
    sendToStart(m_waiting);
}

void CorePair::primeSound(MpvCoreState& state)
{
    // mpv starts the sound of a core paused at its start only once the pictures have reached the
    // sound's first moment. Where that moment comes out the least bit after the first picture's
    // (sound at 48 kHz, or timestamps rounded to the millisecond), the sound waits for the second
    // picture, which then stays on the screen until the sound, started late, has caught up: a
    // whole frame more at 5 frames a second. A sound a little ahead starts as the core waits.
    sendCommand(state.core.get(), {"set", "audio-delay", kSoundLead});
}

void CorePair::sendToStart(MpvCoreState& state)
{
    state.restarted = false;
    sendCommand(state.core.get(), {"set", "pause", "yes"});
    sendCommand(state.core.get(), {"set", "audio-delay", "0"});
    sendCommand(state.core.get(), {"seek", "0", "absolute+exact"});
}

void CorePair::seekShownToStart()
{
    sendCommand(m_shown.core.get(), {"seek", "0", "absolute+exact"});
}

void CorePair::stopWaiting()
{
    sendCommand(m_waiting.core.get(), {"stop"});
}

void CorePair::switchDecoders(bool paused, bool letGo)
{
    std::swap(m_shown, m_waiting);
    m_shown.dropsAtPassStart = m_shown.outputDrops;
    // The pass goes on as the last one went: playing, or paused where a step passed its end.
    m_shown.paused = paused;
    if (paused && letGo)
        setOnShown("pause", "yes");
    else if (!paused && !letGo)
        setOnShown("pause", "no");
    askPauseState();
    // The view draws the new core's first picture at once; the rest can follow.
    m_listener.switched();
    CoreDecoding::holdLittle(m_shown.core.get(), false);
    CoreDecoding::holdLittle(m_waiting.core.get(), true);
    m_decoding.handOverAhead(m_shown.core.get(), true);
    m_decoding.handOverAhead(m_waiting.core.get(), false);
    // The core that showed the last pass kept every picture its decoder ever needed, and waits
    // now for a whole pass needing one: a decoder opened anew holds only what the first picture
    // takes. Asked before the seek, which then goes to the start with it (reopening seeks to the
    // frame showing, and a later seek replaces that one).
    if (!m_decoding.policy().decodesOnCpu())
        m_decoding.openDecoderAgain(m_waiting);
    sendToStart(m_waiting);
    m_listener.passStarted();
}

} // namespace tandemo
