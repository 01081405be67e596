#pragma once

#include <QString>

#include <atomic>
#include <optional>
#include <vector>

namespace tandemo {

/// How the parts of a file's picture change over a stretch of time: the mean brightness of each
/// cell of a small grid over the picture, sampled at a steady rate (between frames, the
/// neighbouring frames' values are blended), and taken as its change from one sample to the
/// next. Videos of other sizes and frame rates give comparable signatures.
struct PictureSignature {
    /// One series per cell of the grid.
    std::vector<std::vector<float>> cells;
    int rate = 0;
    /// The time of the first sample, in seconds from the file's start.
    double start = 0;
    /// How many pictures were read, over how many seconds.
    int pictures = 0;
    double seconds = 0;
};

/// Which pictures a signature is read from: all of them, or the key frames alone (a coarse
/// signature at a fraction of the cost, as fine as the key frames are frequent).
enum class PicturesRead { All, KeyFramesOnly };

/// Reads the signature of `seconds` of a file's video from about `from`, at `rate` samples a
/// second, decoding outside the players. None when the video cannot be decoded or `cancelled`
/// is set.
std::optional<PictureSignature> readPictureSignature(const QString& path, double from,
                                                     double seconds, int rate,
                                                     const std::atomic_bool& cancelled,
                                                     PicturesRead read = PicturesRead::All,
                                                     const QString& filter = {});

} // namespace tandemo
