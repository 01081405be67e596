#include "analysis/alignment_series.h"

#include "analysis/cross_correlation.h"
#include "analysis/sound_reader.h"

#include <algorithm>
#include <cmath>

namespace tandemo::alignment {

namespace {

constexpr int kLoudnessRate = 100;

} // namespace

Series Series::slice(double from, double seconds) const
{
    const auto first = std::size_t(std::clamp((from - start) * rate, 0.0, double(length())));
    const auto last =
        std::size_t(std::clamp((from + seconds - start) * rate, 0.0, double(length())));
    Series part{{}, start + double(first) / rate, rate, spacing};
    for (const std::vector<float>& channel : channels)
        part.channels.emplace_back(channel.begin() + std::ptrdiff_t(first),
                                   channel.begin() + std::ptrdiff_t(std::max(first, last)));
    return part;
}

double excerptStart(const File& file)
{
    if (file.duration <= kExcerptSeconds)
        return 0;
    return std::clamp(file.position - kExcerptSeconds / 2, 0.0, file.duration - kExcerptSeconds);
}

double excerptLength(const File& file)
{
    return file.duration > 0 ? std::min(file.duration, kExcerptSeconds) : kExcerptSeconds;
}

std::optional<Series> soundOf(const QString& path, double from, double seconds,
                              const std::atomic_bool& cancelled)
{
    auto sound = readSound(path, from, seconds, kSoundRate, cancelled);
    if (!sound)
        return std::nullopt;
    return Series{{std::move(sound->samples)}, sound->start, kSoundRate};
}

Series loudnessOf(const Series& sound)
{
    const int block = sound.rate / kLoudnessRate;
    Series loudness{{{}}, sound.start, kLoudnessRate};
    if (sound.channels.empty() || block <= 0)
        return loudness;
    const std::vector<float>& samples = sound.channels.front();
    for (std::size_t at = 0; at + std::size_t(block) <= samples.size(); at += std::size_t(block)) {
        double energy = 0;
        for (int i = 0; i < block; ++i)
            energy += double(samples[at + std::size_t(i)]) * samples[at + std::size_t(i)];
        loudness.channels.front().push_back(float(std::log(1e-9 + energy / block)));
    }
    return loudness;
}

std::optional<Series> picturesOf(const File& file, double from, double seconds, int rate,
                                 const std::atomic_bool& cancelled, PicturesRead read)
{
    auto pictures =
        readPictureSignature(file.path, from, seconds, rate, cancelled, read, file.filter);
    if (!pictures)
        return std::nullopt;
    if (read == PicturesRead::KeyFramesOnly &&
        pictures->seconds > kSparsestKeyFrames * pictures->pictures)
        return std::nullopt;
    return Series{std::move(pictures->cells), pictures->start, rate,
                  pictures->seconds / std::max(1, pictures->pictures - 1)};
}

std::optional<Series> KeyFrameSeries::of(const File& file, double from, double seconds,
                                         const std::atomic_bool& cancelled)
{
    {
        const std::lock_guard<std::mutex> locked(m_lock);
        for (const Read& read : m_reads) {
            if (read.path == file.path && read.filter == file.filter && read.from == from &&
                read.seconds == seconds)
                return read.series;
        }
    }
    std::optional<Series> series =
        picturesOf(file, from, seconds, kCoarseRate, cancelled, PicturesRead::KeyFramesOnly);
    if (!cancelled) {
        const std::lock_guard<std::mutex> locked(m_lock);
        m_reads.push_back({file.path, file.filter, from, seconds, series});
    }
    return series;
}

std::optional<Result> lineUp(const Series& a, const Series& b, double farthest)
{
    const std::optional<Match> match = bestMatch(a.channels, b.channels, int(farthest * a.rate));
    if (!match)
        return std::nullopt;
    // second[n + lag] matches first[n]: the second's moment startB + (n + lag) / rate shows what
    // the first shows at startA + n / rate.
    Result result;
    result.secondAhead = match->lag / a.rate + b.start - a.start;
    result.strength = match->strength;
    result.uniqueness = match->uniqueness;
    result.clear = match->strength >= kClearStrength && match->uniqueness >= kClearUniqueness;
    return result;
}

} // namespace tandemo::alignment
