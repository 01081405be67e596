#pragma once

#include "engine/decoder_policy.h"
#include "engine/mpv_core.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <optional>

namespace tandemo {

/// How each of an engine's cores decodes, as its pane needs it: its decoder's threads, the loop
/// filter left out while the pane shows the picture too small for it (and the decoder opened
/// anew with it once shown larger), the filters that turn the picture upright and mirror it,
/// how much of the file a core reads ahead, and how far ahead of their time frames are handed
/// over to be drawn.
class CoreDecoding {
public:
    explicit CoreDecoding(const EngineOptions& options);

    DecoderPolicy& policy() { return m_policy; }

    /// The file's tracks are known (`trackList`, the core's "track-list", or null): the core's
    /// decoding is set up for its video; the reply to the last setting carries `lastReply`.
    void setUp(MpvCoreState& state, const mpv_event_property* trackList, std::uint64_t lastReply);
    /// The core restarted: a reopening asked for meanwhile is done now.
    void restarted(MpvCoreState& state);
    /// Shown larger (a larger pane, a zoom, scaled to fit), a picture needs the loop filter: the
    /// decoder of a core that left it out is opened anew with it. Shown smaller again, it keeps
    /// it until the next file, rather than decode its frames once more.
    void updateLoopFilter(std::initializer_list<MpvCoreState*> states);
    /// Has mpv open the core's decoder anew, with the options as they are now, at the frame
    /// showing.
    void openDecoderAgain(MpvCoreState& state);

    bool isMirrored() const { return m_mirrored; }
    void setMirrored(bool mirrored, std::initializer_list<MpvCoreState*> states);
    /// The user's libavfilter chain, before the picture is turned upright or mirrored.
    const QString& pictureFilter() const { return m_pictureFilter; }
    void setPictureFilter(const QString& chain, std::initializer_list<MpvCoreState*> states);
    /// The chain that maps an HDR video to the standard range, before the user's.
    const QString& toneMap() const { return m_toneMap; }
    void setToneMap(const QString& chain, std::initializer_list<MpvCoreState*> states);

    /// A core that waits reads no more of the file than its first picture; one that shows reads
    /// ahead as much as mpv reads ahead of a local file.
    static void holdLittle(mpv_handle* core, bool waiting);
    /// Has the shown core hand its frames over ahead of their time, to be shown when due; a
    /// waiting core hands them over on time, as it must show its first picture first.
    void setHandedOverAheadMs(int ms) { m_handedOverAheadMs = ms; }
    int handedOverAheadMs() const { return m_handedOverAheadMs; }
    void handOverAhead(mpv_handle* core, bool shown) const;

private:
    /// The filters before rendering: the one that turns the picture upright, and the mirror.
    QByteArray videoFilters(std::int64_t filterRotation) const;
    void reopenInFull(MpvCoreState& state);
    void applyFilters(std::initializer_list<MpvCoreState*> states);

    DecoderPolicy m_policy;
    bool m_rotateBeforeRendering = false;
    bool m_mirrored = false;
    QString m_pictureFilter;
    QString m_toneMap;
    int m_handedOverAheadMs = 0;
};

} // namespace tandemo
