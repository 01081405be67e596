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
// Pictures are first compared coarsely, by their key frames, where those come at least every
// few seconds; then finely, over a short stretch around the coarse answer.
constexpr int kCoarseRate = 4;
constexpr double kSparsestKeyFrames = 3;
constexpr double kFineSeconds = 6;

/// Where the compared stretch of a file begins: the file's start, or around the moment shown
/// when the file is longer than the stretch.
double excerptStart(const AlignmentSearch::File& file)
{
    if (file.duration <= AlignmentSearch::kExcerptSeconds)
        return 0;
    return std::clamp(file.position - AlignmentSearch::kExcerptSeconds / 2, 0.0,
                      file.duration - AlignmentSearch::kExcerptSeconds);
}

double excerptLength(const AlignmentSearch::File& file)
{
    return file.duration > 0 ? std::min(file.duration, AlignmentSearch::kExcerptSeconds)
                             : AlignmentSearch::kExcerptSeconds;
}

/// What is compared of a file: one or more series of samples, and when they begin.
struct Series {
    std::vector<std::vector<float>> channels;
    double start = 0;
    int rate = 0;
    /// The average time between the pictures read (0 for sound).
    double spacing = 0;
};

std::optional<Series> soundOf(const QString& path, double from, double seconds,
                              const std::atomic_bool& cancelled)
{
    auto sound = readSound(path, from, seconds, kSoundRate, cancelled);
    if (!sound)
        return std::nullopt;
    return Series{{std::move(sound->samples)}, sound->start, kSoundRate};
}

std::optional<Series> picturesOf(const QString& path, double from, double seconds, int rate,
                                 const std::atomic_bool& cancelled,
                                 PicturesRead read = PicturesRead::All)
{
    auto pictures = readPictureSignature(path, from, seconds, rate, cancelled, read);
    if (!pictures)
        return std::nullopt;
    // Key frames too far apart say too little of what happens between them.
    if (read == PicturesRead::KeyFramesOnly &&
        pictures->seconds > kSparsestKeyFrames * pictures->pictures)
        return std::nullopt;
    return Series{std::move(pictures->cells), pictures->start, rate,
                  pictures->seconds / std::max(1, pictures->pictures - 1)};
}

/// How the second series lines up with the first, lagging by at most `farthest` seconds.
std::optional<AlignmentSearch::Result> lineUp(const Series& a, const Series& b, double farthest)
{
    const std::optional<Match> match = bestMatch(a.channels, b.channels, int(farthest * a.rate));
    if (!match)
        return std::nullopt;
    // second[n + lag] matches first[n]: the second's moment startB + (n + lag) / rate shows what
    // the first shows at startA + n / rate.
    AlignmentSearch::Result result;
    result.secondAhead = match->lag / a.rate + b.start - a.start;
    result.strength = match->strength;
    result.uniqueness = match->uniqueness;
    result.clear = match->strength >= AlignmentSearch::kClearStrength &&
                   match->uniqueness >= AlignmentSearch::kClearUniqueness;
    return result;
}

} // namespace

std::optional<AlignmentSearch::Result>
AlignmentSearch::search(By by, const File& first, const File& second,
                        const std::atomic_bool& cancelled,
                        const std::function<void(double)>& progress)
{
    double done = 0;
    const auto report = [&](double share) {
        done = std::max(done, share);
        if (progress)
            progress(done);
    };
    if (by == By::Picture) {
        if (auto found = searchCoarseThenFine(first, second, cancelled, report))
            return found;
        if (cancelled)
            return std::nullopt;
    }
    const auto read = [&](const File& file) {
        const double from = excerptStart(file);
        const double length = excerptLength(file);
        return by == By::Sound ? soundOf(file.path, from, length, cancelled)
                               : picturesOf(file.path, from, length, kPictureRate, cancelled);
    };
    const std::optional<Series> a = read(first);
    report(0.45);
    const std::optional<Series> b = a ? read(second) : std::nullopt;
    report(0.9);
    if (!a || !b || cancelled)
        return std::nullopt;
    const std::optional<Result> result = lineUp(*a, *b, kFarthestSeconds);
    report(1);
    return result;
}

std::optional<AlignmentSearch::Result>
AlignmentSearch::searchCoarseThenFine(const File& first, const File& second,
                                      const std::atomic_bool& cancelled,
                                      const std::function<void(double)>& report)
{
    const double fromA = excerptStart(first);
    const double fromB = excerptStart(second);
    const double lengthA = excerptLength(first);
    const double lengthB = excerptLength(second);
    // Short files are read whole at once: that costs no more than the two passes.
    if (lengthA + lengthB < 4 * kFineSeconds)
        return std::nullopt;
    const auto keyFramesOf = [&](const File& file, double from, double length) {
        return picturesOf(file.path, from, length, kCoarseRate, cancelled,
                          PicturesRead::KeyFramesOnly);
    };
    const std::optional<Series> coarseA = keyFramesOf(first, fromA, lengthA);
    report(0.15);
    const std::optional<Series> coarseB =
        coarseA ? keyFramesOf(second, fromB, lengthB) : std::nullopt;
    report(0.3);
    if (!coarseA || !coarseB || cancelled)
        return std::nullopt;
    const std::optional<Result> coarse = lineUp(*coarseA, *coarseB, kFarthestSeconds);
    if (!coarse || !coarse->clear)
        return std::nullopt;

    // The fine pass: a few seconds from the middle of the stretch both have, against those
    // seconds of the second with room either side for the coarse answer's error.
    const double margin =
        std::clamp(std::max(coarseA->spacing, coarseB->spacing), 1.0, kSparsestKeyFrames);
    const double overlapFrom = std::max(fromA, fromB - coarse->secondAhead);
    const double overlapTo = std::min(fromA + lengthA, fromB + lengthB - coarse->secondAhead);
    if (overlapTo - overlapFrom < kFineSeconds)
        return std::nullopt;
    const double middle = (overlapFrom + overlapTo) / 2;
    const double fineFrom = std::max(0.0, middle - kFineSeconds / 2);
    const std::optional<Series> fineA =
        picturesOf(first.path, fineFrom, kFineSeconds, kPictureRate, cancelled);
    report(0.6);
    const double secondFrom = std::max(0.0, fineFrom + coarse->secondAhead - margin);
    const std::optional<Series> fineB =
        fineA ? picturesOf(second.path, secondFrom, kFineSeconds + 2 * margin, kPictureRate,
                           cancelled)
              : std::nullopt;
    report(0.9);
    if (!fineA || !fineB || cancelled)
        return std::nullopt;
    std::optional<Result> fine = lineUp(*fineA, *fineB, 2 * margin + 1);
    if (!fine || !fine->clear || std::abs(fine->secondAhead - coarse->secondAhead) > margin)
        return std::nullopt;
    report(1);
    return fine;
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
