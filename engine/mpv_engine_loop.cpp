#include "engine/mpv_engine.h"

#include "engine/mpv_options.h"

#include <mpv/client.h>

#include <cmath>

// How the engine loops a file through its two cores, and decodes what its pane can show.

namespace tandemo {

void MpvEngine::setLoop(bool loop)
{
    m_loop.setLooping(loop);
}

void MpvEngine::setLoopMode(bool looping, bool handedOver)
{
    // Handed over, a pass that ends holds its last picture until the other core shows;
    // otherwise mpv seeks back itself, and a file that ends without looping is unloaded.
    setPropertyAsync("loop-file", looping && !handedOver ? "inf" : "no");
    setPropertyAsync("keep-open", handedOver ? "yes" : "no");
}

bool MpvEngine::openWaiting()
{
    m_waiting.restarted = false;
    mpv_handle* core = m_waiting.core.get();
    commandAsync(core, {"set", "pause", "yes"});
    holdLittle(core, true);
    // The very file the first core plays, whatever is at its name now.
    return loadOpenedFile(core);
}

void MpvEngine::letWaitingGo()
{
    commandAsync(m_waiting.core.get(), {"set", "pause", "no"});
}

void MpvEngine::seekShownToStart()
{
    commandAsync(m_shown.core.get(), {"seek", "0", "absolute+exact"});
}

void MpvEngine::stopWaiting()
{
    commandAsync(m_waiting.core.get(), {"stop"});
}

void MpvEngine::tellLoopWhereShownIs()
{
    m_loop.shownAt(m_shown.duration - m_shown.position, frameDuration(*this),
                   m_speed * m_speedNudge);
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

void MpvEngine::switchDecoders(bool paused, bool letGo)
{
    std::swap(m_shown, m_waiting);
    m_shown.dropsAtPassStart = m_shown.outputDrops;
    m_seeks.forget();
    // The pass goes on as the last one went: playing, or paused where a step passed its end.
    m_shown.paused = paused;
    if (paused && letGo)
        setShownPropertyAsync("pause", "yes");
    else if (!paused && !letGo)
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
    m_loop.giveUpWaiting();
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
