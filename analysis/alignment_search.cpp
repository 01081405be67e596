#include "analysis/alignment_search.h"

#include "analysis/cross_correlation.h"
#include "analysis/picture_signature.h"
#include "analysis/sound_reader.h"

#include <algorithm>

namespace tandemo {

namespace {

// Sound is compared at 8000 samples a second (what matters for timing is well below 4 kHz);
// pictures at 50 samples a second, finer than any common frame rate.
constexpr int kSoundRate = 8000;
constexpr int kPictureRate = 50;

/// Where the compared stretch of a file begins: the file's start, or around the moment shown
/// when the file is longer than the stretch.
double excerptStart(const AlignmentSearch::File& file)
{
    if (file.duration <= AlignmentSearch::kExcerptSeconds)
        return 0;
    return std::clamp(file.position - AlignmentSearch::kExcerptSeconds / 2, 0.0,
                      file.duration - AlignmentSearch::kExcerptSeconds);
}

} // namespace

std::optional<AlignmentSearch::Result>
AlignmentSearch::search(By by, const File& first, const File& second,
                        const std::atomic_bool& cancelled,
                        const std::function<void(double)>& progress)
{
    const auto report = [&](double share) {
        if (progress)
            progress(share);
    };
    // What is compared of each file: one or more series of samples, and when they begin.
    struct Series {
        std::vector<std::vector<float>> channels;
        double start = 0;
    };
    const int rate = by == By::Sound ? kSoundRate : kPictureRate;
    const auto read = [&](const File& file) -> std::optional<Series> {
        const double from = excerptStart(file);
        if (by == By::Sound) {
            auto sound = readSound(file.path, from, kExcerptSeconds, rate, cancelled);
            if (!sound)
                return std::nullopt;
            return Series{{std::move(sound->samples)}, sound->start};
        }
        auto pictures = readPictureSignature(file.path, from, kExcerptSeconds, rate, cancelled);
        if (!pictures)
            return std::nullopt;
        return Series{std::move(pictures->cells), pictures->start};
    };
    const std::optional<Series> a = read(first);
    report(0.45);
    const std::optional<Series> b = a ? read(second) : std::nullopt;
    report(0.9);
    if (!a || !b || cancelled)
        return std::nullopt;
    const std::optional<Match> match =
        bestMatch(a->channels, b->channels, int(kFarthestSeconds * rate));
    report(1);
    if (!match)
        return std::nullopt;
    // second[n + lag] matches first[n]: the second's moment startB + (n + lag) / rate shows what
    // the first shows at startA + n / rate.
    Result result;
    result.secondAhead = match->lag / rate + b->start - a->start;
    result.strength = match->strength;
    result.uniqueness = match->uniqueness;
    result.clear = match->strength >= kClearStrength && match->uniqueness >= kClearUniqueness;
    return result;
}

AlignmentSearch::AlignmentSearch(QObject* parent)
    : QObject(parent)
    , m_run([this](double share) { emit progressed(share); },
            [this](std::optional<Result> result) {
                emit finished(result.has_value(), result.value_or(Result{}));
            })
{
}

AlignmentSearch::~AlignmentSearch() = default;

void AlignmentSearch::start(By by, const File& first, const File& second)
{
    m_run.start(
        [=](const std::atomic_bool& cancelled, const std::function<void(double)>& progress) {
            return search(by, first, second, cancelled, progress);
        });
}

void AlignmentSearch::cancel()
{
    // A search under way stops at its next packet; its result is never taken.
    m_run.cancel();
}

} // namespace tandemo
