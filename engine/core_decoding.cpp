#include "engine/core_decoding.h"

#include "engine/mpv_options.h"

#include <mpv/client.h>

namespace tandemo {

CoreDecoding::CoreDecoding(const EngineOptions& options)
    : m_policy(!options.hardwareDecoding, options.panesPlaying)
    , m_rotateBeforeRendering(options.rotateBeforeRendering)
{
}

void CoreDecoding::setUp(MpvCoreState& state, const mpv_event_property* trackList,
                         std::uint64_t lastReply)
{
    VideoTrack track;
    if (trackList && trackList->format == MPV_FORMAT_NODE && trackList->data)
        track = videoTrack(*static_cast<mpv_node*>(trackList->data));
    mpv_handle* core = state.core.get();
    const auto set = [core](const char* name, const QByteArray& value, std::uint64_t id = 0) {
        const char* text = value.constData();
        mpv_set_property_async(core, id, name, MPV_FORMAT_STRING, &text);
    };
    set("vd-lavc-threads", QByteArray::number(m_policy.threadsFor(track.size)));
    // The filter is set for every file, so that one file's rotation never stays for the next.
    state.still = track.image;
    state.filterRotation = m_rotateBeforeRendering ? track.rotation : 0;
    state.loopFilterSkipped = m_policy.skipsLoopFilter(track.size, track.rotation);
    set("vd-lavc-skiploopfilter", state.loopFilterSkipped ? "all" : "default");
    set("vf", videoFilters(state.filterRotation), lastReply);
}

void CoreDecoding::restarted(MpvCoreState& state)
{
    if (std::exchange(state.fullDecoderPending, false))
        reopenInFull(state);
}

void CoreDecoding::updateLoopFilter(std::initializer_list<MpvCoreState*> states)
{
    for (MpvCoreState* state : states) {
        if (state->core && state->loaded && state->loopFilterSkipped &&
            m_policy.loopFilterShows(state->storedSize, state->rotation + state->filterRotation))
            reopenInFull(*state);
    }
}

void CoreDecoding::reopenInFull(MpvCoreState& state)
{
    state.loopFilterSkipped = false;
    // Reopening seeks to the frame showing, and would undo a seek under way.
    if (!state.restarted) {
        state.fullDecoderPending = true;
        return;
    }
    sendCommand(state.core.get(), {"set", "vd-lavc-skiploopfilter", "default"});
    // The picture stays where it is.
    openDecoderAgain(state);
}

void CoreDecoding::openDecoderAgain(MpvCoreState& state)
{
    // A change of hwdec makes mpv open the decoder again, with the options as they are now, and
    // decode the frame showing once more.
    state.hwdecSpelledOtherWay = !state.hwdecSpelledOtherWay;
    sendCommand(state.core.get(),
                {"set", "hwdec", state.hwdecSpelledOtherWay ? "auto-copy-safe" : "no"});
}

QByteArray CoreDecoding::videoFilters(std::int64_t filterRotation) const
{
    QByteArrayList filters;
    // The chains are libavfilter's, without labels: brackets only ever quote them here.
    // mpv carries the source's light (HLG's scene light, its peak) past libavfilter: the
    // mapped picture is said to be plain display light again, or the OpenGL renderer would map
    // it once more.
    if (!m_toneMap.isEmpty())
        filters << "lavfi=[" + m_toneMap.toUtf8() + ']' << "format=light=display:sig-peak=1";
    if (!m_pictureFilter.isEmpty())
        filters << "lavfi=[" + m_pictureFilter.toUtf8() + ']';
    if (const QByteArray upright = uprightFilter(filterRotation); !upright.isEmpty())
        filters << upright;
    if (m_mirrored)
        filters << "hflip";
    return filters.join(',');
}

void CoreDecoding::setMirrored(bool mirrored, std::initializer_list<MpvCoreState*> states)
{
    if (mirrored == m_mirrored)
        return;
    m_mirrored = mirrored;
    applyFilters(states);
}

void CoreDecoding::setPictureFilter(const QString& chain,
                                    std::initializer_list<MpvCoreState*> states)
{
    if (chain == m_pictureFilter)
        return;
    m_pictureFilter = chain;
    applyFilters(states);
}

void CoreDecoding::setToneMap(const QString& chain, std::initializer_list<MpvCoreState*> states)
{
    if (chain == m_toneMap)
        return;
    m_toneMap = chain;
    applyFilters(states);
}

void CoreDecoding::applyFilters(std::initializer_list<MpvCoreState*> states)
{
    for (MpvCoreState* state : states) {
        if (state->core)
            sendCommand(state->core.get(),
                        {"set", "vf", videoFilters(state->filterRotation).constData()});
    }
}

void CoreDecoding::holdLittle(mpv_handle* core, bool waiting)
{
    sendCommand(core, {"set", "demuxer-readahead-secs", waiting ? "0" : "1"});
}

void CoreDecoding::handOverAhead(mpv_handle* core, bool shown) const
{
    if (m_handedOverAheadMs == 0)
        return;
    const QByteArray ahead = QByteArray::number(shown ? m_handedOverAheadMs / 1000.0 : 0.0);
    sendCommand(core, {"set", "video-timing-offset", ahead.constData()});
}

} // namespace tandemo
