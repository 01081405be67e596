#pragma once

#include <QByteArray>
#include <QSize>

#include <cstdint>
#include <span>

struct mpv_node;

namespace tandemo {

struct MpvOption {
    const char* name;
    const char* value;
};

/// How a player scales pictures: a large one shrunk to fit, a small one at its own size.
inline constexpr const char* kSmallPicturesUnscaled = "downscale-big";

/// The largest file a player keeps in memory whole (as the options above say).
inline constexpr qint64 kWholeFileCacheBytes = 16 * 1024 * 1024;

/// The options a file of that size is loaded with: a file that fits in the cache is kept in
/// memory whole, so that its loops are read from memory; a larger one is only read ahead, as is
/// any file whose loops start from a second core waiting at the start (`gaplessLoop`).
QByteArray fileCacheOptions(qint64 fileSize, bool gaplessLoop = false);

/// Decoder threads for a player's video on a machine with this many cores. A player alone, or
/// one of two whose shares fit the cores, keeps at least two (a frame decoded while the next is
/// begun). Where two players up to 1080p would ask for more threads than there are cores, each
/// takes one: a thread decodes such a picture in time, and every thread holds pictures of its
/// own. Larger pictures keep their share.
int decoderThreadsFor(int cores, QSize video = {}, bool sharedWithAnotherPane = false);

/// Whether the decoder's loop filter makes a difference that can be seen in a picture of `video`
/// size drawn into `area` pixels at `zoom` (a power of two): it smooths the edges of blocks, which
/// can no longer be told apart once the picture is shown at half its size or less. Small
/// pictures are shown at their own size unless `scaledToFit`.
bool loopFilterVisible(QSize area, QSize video, double zoom, bool scaledToFit);

/// The options every player's core starts with: an embedded player that opens only the file it
/// is given and draws through the render API.
std::span<const MpvOption> embeddedMpvOptions();

/// The video filter that turns a picture upright, for a clockwise rotation in degrees; empty
/// for none.
QByteArray uprightFilter(std::int64_t rotation);

struct VideoTrack {
    std::int64_t rotation = 0;
    /// The size of the stored pictures, as the file declares it; empty when it does not.
    QSize size;
    /// A still picture (a PNG, a JPEG...) rather than a video.
    bool image = false;
};

/// The video track mpv will pick (the default one, else the first), from the node of
/// "track-list".
VideoTrack videoTrack(const mpv_node& trackList);

} // namespace tandemo
