#pragma once

#include <QByteArray>

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
/// memory whole, so that its loops are read from memory; a larger one is only read ahead.
QByteArray fileCacheOptions(qint64 fileSize);

/// Decoder threads for each player on a machine with this many cores: the two players share the
/// cores, and each keeps at least two (a frame decoded while the next is begun). Every thread
/// holds pictures of its own, so more than a player's share only costs memory.
int decoderThreadsFor(int cores);

/// The options every player's core starts with: an embedded player that opens only the file it
/// is given and draws through the render API.
std::span<const MpvOption> embeddedMpvOptions();

/// The video filter that turns a picture upright, for a clockwise rotation in degrees; empty
/// for none.
QByteArray uprightFilter(std::int64_t rotation);

/// The rotation of the video track mpv will pick (the default one, else the first), from the
/// node of "track-list".
std::int64_t videoRotation(const mpv_node& trackList);

} // namespace tandemo
