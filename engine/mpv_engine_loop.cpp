#include "engine/mpv_engine.h"

#include "engine/mpv_options.h"

#include <mpv/client.h>

#include <cmath>

// How the engine loops a file through its two cores, and decodes what its pane can show.

namespace tandemo {

namespace {

// The core that shows next is let go a little before the last picture's time is up, as mpv
// takes a few milliseconds to start playing: its second picture then comes on time too.
constexpr int kStartAheadMs = 5;
// How long the switch takes to show the first picture of the core that takes over (drawn while
// it waited, it only has to reach the window).
constexpr int kTakeOverMs = 3;

} // namespace

void MpvEngine::setLoop(bool loop)
{
    m_looping = loop;
    applyLoopMode();
}

bool MpvEngine::isLoopGapless() const
{
    return m_waiting.core && !m_waitingCannotShow && m_looping && !m_passage && !m_seekingLoopOnly;
}

void MpvEngine::applyLoopMode()
{
    // Looping through the waiting core, a pass that ends holds its last picture until the other
    // core shows; otherwise mpv seeks back itself, and a file that ends without looping is
    // unloaded. Both stay set for every file loaded later, as the player's loop mode must.
    const bool gapless = isLoopGapless();
    setPropertyAsync("loop-file", m_looping && !gapless ? "inf" : "no");
    setPropertyAsync("keep-open", gapless ? "yes" : "no");
    if (gapless)
        prepareWaitingCore();
}

void MpvEngine::prepareWaitingCore()
{
    // The second core opens the file once the first shows it, so that starting is not slowed.
    if (!isLoopGapless() || !m_shown.restarted || m_file.isEmpty() || m_waitingFile == m_file)
        return;
    m_waitingFile = m_file;
    m_waiting.restarted = false;
    mpv_handle* core = m_waiting.core.get();
    commandAsync(core, {"set", "pause", "yes"});
    holdLittle(core, true);
    // The very file the first core plays, whatever is at its name now.
    if (!loadOpenedFile(core))
        fallBackToSeekingLoop();
}

void MpvEngine::holdLittle(mpv_handle* core, bool waiting)
{
    // A core that waits needs no more of the file than its first picture: it reads ahead once it
    // plays, as much as mpv reads ahead of a local file.
    commandAsync(core, {"set", "demuxer-readahead-secs", waiting ? "0" : "1"});
}

void MpvEngine::handOverAhead(mpv_handle* core, bool shown)
{
    if (m_handedOverAheadMs == 0)
        return;
    const QByteArray ahead = QByteArray::number(shown ? m_handedOverAheadMs / 1000.0 : 0.0);
    commandAsync(core, {"set", "video-timing-offset", ahead.constData()});
}

void MpvEngine::sendToStart(MpvCoreState& state)
{
    state.restarted = false;
    commandAsync(state.core.get(), {"set", "pause", "yes"});
    commandAsync(state.core.get(), {"seek", "0", "absolute+exact"});
}

void MpvEngine::openDecoderAgain(MpvCoreState& state)
{
    // A change of hwdec makes mpv open the decoder again, with the options as they are now, and
    // decode the frame showing once more.
    state.hwdecSpelledOtherWay = !state.hwdecSpelledOtherWay;
    commandAsync(state.core.get(),
                 {"set", "hwdec", state.hwdecSpelledOtherWay ? "auto-copy-safe" : "no"});
}

void MpvEngine::switchCores()
{
    const bool ready = m_waiting.loaded && m_waiting.restarted && m_waitingFile == m_file;
    if (!ready) {
        // The waiting core is not at the start yet: this pass starts again as mpv would.
        commandAsync(m_shown.core.get(), {"seek", "0", "absolute+exact"});
        return;
    }
    m_lastFrameShown.stop();
    m_nextPassStarts.stop();
    const bool paused = m_shown.paused;
    const bool started = std::exchange(m_waitingStarted, false);
    std::swap(m_shown, m_waiting);
    m_shown.dropsAtPassStart = m_shown.outputDrops;
    m_seeks.forget();
    // The pass goes on as the last one went: playing, or paused where a step passed its end.
    m_shown.paused = paused;
    if (paused && started)
        setShownPropertyAsync("pause", "yes");
    else if (!paused && !started)
        setShownPropertyAsync("pause", "no");
    askPauseState();
    emit shownDecoderChanged();
    holdLittle(m_shown.core.get(), false);
    holdLittle(m_waiting.core.get(), true);
    handOverAhead(m_shown.core.get(), true);
    handOverAhead(m_waiting.core.get(), false);
    // The core that showed the last pass kept every picture its decoder ever needed, and waits
    // now for a whole pass needing one: a decoder opened anew holds only what the first picture
    // takes. Asked before the seek, which then goes to the start with it (reopening seeks to the
    // frame showing, and a later seek replaces that one).
    if (!m_options.hardwareDecoding)
        openDecoderAgain(m_waiting);
    sendToStart(m_waiting);
    emit positionChanged(m_shown.position);
    emit playbackRestarted();
}

void MpvEngine::setUpPassEnd()
{
    m_lastFrameShown.setSingleShot(true);
    m_lastFrameShown.setTimerType(Qt::PreciseTimer);
    connect(&m_lastFrameShown, &QTimer::timeout, this, [this] {
        if (isLoopGapless() && !m_shown.paused)
            switchCores();
        else
            holdWaitingCore();
    });
    m_nextPassStarts.setSingleShot(true);
    m_nextPassStarts.setTimerType(Qt::PreciseTimer);
    connect(&m_nextPassStarts, &QTimer::timeout, this, [this] {
        if (!isLoopGapless() || m_shown.paused)
            return;
        m_waitingStarted = true;
        commandAsync(m_waiting.core.get(), {"set", "pause", "no"});
    });
}

void MpvEngine::switchAfterLastFrame()
{
    const double left = m_shown.duration - m_shown.position;
    const double frame = frameDuration(*this);
    const bool ready = isLoopGapless() && !m_shown.paused && m_waiting.restarted;
    if (ready && left <= 0) {
        // Already past the end: mpv's clock runs on from the last picture.
        finishPass();
        return;
    }
    if (!ready || left <= 0 || left > 1.5 * frame) {
        m_lastFrameShown.stop();
        m_nextPassStarts.stop();
        holdWaitingCore();
        return;
    }
    // The position changes as a frame is handed over: the last one shows until the end of the
    // file.
    switchAfter(int(std::lround(left / (m_speed * m_speedNudge) * 1000)) + m_handedOverAheadMs);
}

void MpvEngine::finishPass()
{
    // With sound, mpv ends a pass as its last picture is due, without telling that picture's
    // position: it is drawn only now, and stays for its time before the other core shows.
    if (m_lastFrameShown.isActive())
        return;
    if (m_shown.paused) {
        switchCores();
        return;
    }
    switchAfter(int(std::lround(frameDuration(*this) / (m_speed * m_speedNudge) * 1000)));
}

void MpvEngine::switchAfter(int ms)
{
    // Drawn ahead, pictures show on time; the other core's first one takes a few milliseconds
    // to reach the window as that core takes over.
    const int takeOver = m_handedOverAheadMs > 0 ? kTakeOverMs : 0;
    m_lastFrameShown.start(std::max(0, ms - takeOver));
    m_nextPassStarts.start(std::max(0, ms - kStartAheadMs));
}

void MpvEngine::holdWaitingCore()
{
    if (std::exchange(m_waitingStarted, false))
        sendToStart(m_waiting);
}

void MpvEngine::fallBackToSeekingLoop()
{
    if (m_seekingLoopOnly)
        return;
    m_seekingLoopOnly = true;
    m_waitingFile.clear();
    if (m_waiting.core)
        commandAsync(m_waiting.core.get(), {"stop"});
    applyLoopMode();
    // A pass that already ended waits for no one.
    if (m_shown.atEnd)
        commandAsync(m_shown.core.get(), {"seek", "0", "absolute+exact"});
}

std::optional<double> MpvEngine::shownFrameLasts() const
{
    // Waiting is not being held: paused, or paused by the core until it has read more of the
    // file (a loaded machine, a slow disk).
    if (m_file.isEmpty() || m_shown.idle || m_shown.paused || !m_shown.loaded ||
        m_shown.waitingForData)
        return std::nullopt;
    const std::optional<double> next = m_frameTimes.times().frameStart(m_shown.position, 1);
    const double toNext = next ? *next - m_shown.position : frameDuration(*this);
    return toNext / (m_speed * m_speedNudge);
}

void MpvEngine::openAgainWhenStalled(int times)
{
    // Opened again from its name: the file as it is now, or a clear failure. Twice without
    // moving on, and the file is taken for one that cannot be played.
    if (times > 2)
        failToOpen(QStringLiteral("playback stalled"));
    else
        openAgain();
}

void MpvEngine::giveUpWaitingCore()
{
    // The core stays (it may not be destroyed while a context of another view holds it), idle.
    m_waitingCannotShow = true;
    fallBackToSeekingLoop();
}

void MpvEngine::applyTrackList(MpvCoreState& state, const mpv_event_property* trackList)
{
    VideoTrack track;
    if (trackList && trackList->format == MPV_FORMAT_NODE && trackList->data)
        track = videoTrack(*static_cast<mpv_node*>(trackList->data));
    mpv_handle* core = state.core.get();
    const auto set = [core](const char* name, const QByteArray& value, std::uint64_t id = 0) {
        const char* text = value.constData();
        mpv_set_property_async(core, id, name, MPV_FORMAT_STRING, &text);
    };
    set("vd-lavc-threads", QByteArray::number(m_decoding.threadsFor(track.size)));
    // The filter is set for every file, so that one file's rotation never stays for the next.
    state.filterRotation = m_options.rotateBeforeRendering ? track.rotation : 0;
    state.loopFilterSkipped = m_decoding.skipsLoopFilter(track.size, track.rotation);
    set("vd-lavc-skiploopfilter", state.loopFilterSkipped ? "all" : "default");
    set("vf", videoFilters(state.filterRotation), kDecodingSetRequest);
}

void MpvEngine::setPictureArea(QSize pixels)
{
    if (const std::optional<const char*> threads = m_decoding.setPictureArea(pixels))
        setPropertyAsync("zimg-threads", *threads);
    updateLoopFilter();
}

void MpvEngine::updateLoopFilter()
{
    // Shown larger, the picture needs the loop filter: the decoder is opened anew with it. Shown
    // smaller again, it keeps it until the next file, rather than decode its frames once more.
    for (MpvCoreState* state : {&m_shown, &m_waiting}) {
        if (state->core && state->loaded && state->loopFilterSkipped &&
            m_decoding.loopFilterShows(state->storedSize, state->rotation + state->filterRotation))
            reopenDecoderInFull(*state);
    }
}

void MpvEngine::reopenDecoderInFull(MpvCoreState& state)
{
    state.loopFilterSkipped = false;
    if (!state.restarted) {
        state.fullDecoderPending = true;
        return;
    }
    commandAsync(state.core.get(), {"set", "vd-lavc-skiploopfilter", "default"});
    // The picture stays where it is.
    openDecoderAgain(state);
}

} // namespace tandemo
