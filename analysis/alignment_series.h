#pragma once

#include "analysis/alignment_terms.h"
#include "analysis/picture_signature.h"

#include <QString>

#include <atomic>
#include <future>
#include <mutex>
#include <optional>
#include <vector>

namespace tandemo::alignment {

// Sound is compared at 8000 samples a second (what matters for timing is well below 4 kHz);
// pictures at 50 samples a second, finer than any common frame rate.
inline constexpr int kSoundRate = 8000;
inline constexpr int kPictureRate = 50;
// Long takes are first compared by their key frames, a few samples a second, where those come
// no further apart than this.
inline constexpr int kCoarseRate = 4;
inline constexpr double kSparsestKeyFrames = 3;

/// What is compared of a file: one or more series of samples, and when they begin.
struct Series {
    std::vector<std::vector<float>> channels;
    double start = 0;
    int rate = 0;
    /// The average time between the pictures read (0 for sound).
    double spacing = 0;

    double end() const { return start + double(length()) / rate; }
    std::size_t length() const { return channels.empty() ? 0 : channels.front().size(); }
    /// The samples from `from` for `seconds` (as far as there are any).
    Series slice(double from, double seconds) const;
};

/// Where the compared stretch of a file begins, and how long it is: the file's start, or around
/// the moment shown when the file is longer than the stretch.
double excerptStart(const File& file);
double excerptLength(const File& file);

std::optional<Series> soundOf(const QString& path, double from, double seconds,
                              const std::atomic_bool& cancelled);
/// How loud the sound is, a hundred times a second: a series whose shape survives a change of
/// tempo that keeps the pitch, where the samples themselves do not line up.
Series loudnessOf(const Series& sound);
/// The pictures' signature; none where key frames alone are read and they are too far apart.
std::optional<Series> picturesOf(const File& file, double from, double seconds, int rate,
                                 const std::atomic_bool& cancelled,
                                 PicturesRead read = PicturesRead::All);

/// The pictures' signature by their key frames (see picturesOf), read once in a search and kept
/// for its other passes; two files may be read at once, from two threads.
class KeyFrameSeries {
public:
    std::optional<Series> of(const File& file, double from, double seconds,
                             const std::atomic_bool& cancelled);

private:
    struct Read {
        QString path;
        QString filter;
        double from = 0;
        double seconds = 0;
        std::optional<Series> series;
    };
    std::mutex m_lock;
    std::vector<Read> m_reads;
};

/// Reads two files' series at once, each on a thread of its own: decoding keeps both cores
/// busier that way than one file after the other, however many threads each decoder has.
template <typename FirstRead, typename SecondRead>
auto readBoth(FirstRead&& first, SecondRead&& second)
{
    auto secondRead = std::async(std::launch::async, std::forward<SecondRead>(second));
    auto firstSeries = first();
    return std::pair(std::move(firstSeries), secondRead.get());
}

/// How the second series lines up with the first, lagging by at most `farthest` seconds.
std::optional<Result> lineUp(const Series& a, const Series& b, double farthest);

} // namespace tandemo::alignment
