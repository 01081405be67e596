#include "engine/mpv_engine.h"

#include "engine/mpv_options.h"

#include <mpv/client.h>

#include <QLoggingCategory>

#include <algorithm>
#include <clocale>
#include <utility>

namespace tandemo {

namespace {

// Ids of the asynchronous requests made while a file is held at its "on_preloaded" hook.
enum Request : std::uint64_t { TrackList = 101, PauseState };

} // namespace

std::unique_ptr<MpvEngine> MpvEngine::create(const EngineOptions& options, QString* error)
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

MpvEngine::MpvEngine(MpvCore core, MpvCore waiting, const EngineOptions& options)
    : m_options(options)
    , m_shown(std::move(core))
    , m_waiting(std::move(waiting))
    , m_saver([this](const QString& stagingPath) { return takeScreenshot(stagingPath); })
    , m_decoding(!options.hardwareDecoding, options.panesPlaying)
{
    connect(&m_saver, &FrameSaver::saved, this, &PlaybackEngine::frameSaved);
    connect(&m_saver, &FrameSaver::refused, this, &PlaybackEngine::frameSaveRefused);
    connect(&m_stallWatch, &StallWatch::stalled, this, &MpvEngine::openAgainWhenStalled);
    // A file written over while it plays is played anew, as it is now.
    connect(&m_rewriteWatch, &RewriteWatch::rewritten, this, &MpvEngine::openAgain);
    for (mpv_handle* handle : handles())
        observe(handle);
}

void MpvEngine::observe(mpv_handle* handle)
{
    observeProperties(handle);
    mpv_set_wakeup_callback(handle, &MpvEngine::onWakeup, this);
}

MpvEngine::~MpvEngine()
{
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
        if (const std::optional<MpvProperty> changed = storeProperty(
                state, event.reply_userdata, *static_cast<mpv_event_property*>(event.data));
            changed && showing)
            signalChange(*changed);
        break;
    case MPV_EVENT_FILE_LOADED:
        state.loaded = true;
        if (showing) {
            m_shown.dropsAtPassStart = m_shown.outputDrops;
            emit fileLoaded();
        } else if (state.restarted) {
            m_loop.waitingAtStart();
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
        else if (event.reply_userdata == PauseState && event.error >= 0 && showing)
            takePauseState(*static_cast<mpv_event_property*>(event.data));
        break;
    case MPV_EVENT_SET_PROPERTY_REPLY:
        // The decoding is set up (or could not be): the file may go on.
        if (event.reply_userdata == kDecodingSetRequest && state.pendingHook)
            mpv_hook_continue(state.core.get(), std::exchange(state.pendingHook, 0));
        break;
    case MPV_EVENT_COMMAND_REPLY:
        // The core that took the save may have stopped showing meanwhile.
        if (event.reply_userdata == kFrameSaveRequest)
            m_saver.screenshotWritten(event.error >= 0);
        else if (SeekTracker::isSeek(event.reply_userdata) && showing)
            m_seeks.replied(event.reply_userdata, event.error >= 0);
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        state.restarted = true;
        if (std::exchange(state.fullDecoderPending, false))
            reopenDecoderInFull(state);
        if (showing) {
            // A passage of one frame loops without a change of position.
            m_stallWatch.moved();
            m_seeks.restarted();
            emit playbackRestarted();
            m_loop.shownRestarted();
        } else if (state.loaded) {
            m_loop.waitingAtStart();
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<mpv_event_end_file*>(event.data);
        if (end->reason == MPV_END_FILE_REASON_ERROR) {
            if (showing)
                emit fileFailed(QString::fromUtf8(mpv_error_string(end->error)));
            else
                m_loop.fallBack();
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

void MpvEngine::askPauseState()
{
    // mpv tells of a change of pause against the value it told last: a core let go and paused
    // again before it told of either (a pause pressed right after a loop) tells of neither, and
    // would be taken for playing while it stands still. Asked after a command, the answer comes
    // after the command's effect.
    mpv_get_property_async(m_shown.core.get(), PauseState, "pause", MPV_FORMAT_FLAG);
}

void MpvEngine::takePauseState(const mpv_event_property& pause)
{
    const bool was = m_shown.paused;
    storeProperty(m_shown, std::uint64_t(MpvProperty::Pause), pause);
    if (m_shown.paused != was)
        signalChange(MpvProperty::Pause);
}

void MpvEngine::signalChange(MpvProperty property)
{
    switch (property) {
    case MpvProperty::Pause:
        m_stallWatch.restart();
        emit pausedChanged(m_shown.paused);
        // Played from the last frame, the pass ends without another change of position.
        if (!m_shown.paused)
            tellLoopWhereShownIs();
        break;
    case MpvProperty::Idle:
        emit idleChanged(m_shown.idle);
        break;
    case MpvProperty::Position:
        m_stallWatch.moved();
        m_seeks.positionTold();
        emit positionChanged(m_shown.position);
        tellLoopWhereShownIs();
        break;
    case MpvProperty::Duration:
        emit durationChanged(m_shown.duration);
        break;
    case MpvProperty::OutputDrops:
        // A pane that cannot decode in time has no time for a second core either.
        if (passOverloaded(m_shown) && isLoopGapless())
            m_loop.fallBack();
        break;
    case MpvProperty::AtEnd:
        if (m_shown.atEnd)
            m_loop.passEnded(frameDuration(*this), m_speed * m_speedNudge);
        break;
    case MpvProperty::WaitingForData:
        m_stallWatch.restart();
        break;
    default:
        break;
    }
}

} // namespace tandemo
