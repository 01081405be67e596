#pragma once

#include <QString>

#include <atomic>
#include <optional>
#include <vector>

namespace tandemo {

/// A stretch of a file's sound, mixed down to one channel.
struct SoundExcerpt {
    std::vector<float> samples;
    int rate = 0;
    /// The time of the first sample, in seconds from the file's start.
    double start = 0;
};

/// Decodes `seconds` of a file's main sound track from about `from` (seconds from the file's
/// start), mixed down to one channel at `rate` samples a second, outside the players: only the
/// local file itself is opened. None when the file has no sound that can be decoded, or when
/// `cancelled` is set.
std::optional<SoundExcerpt> readSound(const QString& path, double from, double seconds, int rate,
                                      const std::atomic_bool& cancelled);

} // namespace tandemo
