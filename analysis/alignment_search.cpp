#include "analysis/alignment_search.h"

#include "analysis/alignment_series.h"
#include "analysis/drift_search.h"

#include <algorithm>

namespace tandemo {

using namespace alignment;

namespace {

// Pictures are first compared coarsely, by their key frames, where those come at least every
// few seconds; then finely, over a short stretch around the coarse answer.
constexpr double kFineSeconds = 6;

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
    // First whether the takes drift apart (at either end of the stretch both have), then, where
    // they keep in step, the one offset over the whole stretch: the finer answer.
    KeyFrameSeries keyFrames;
    const std::optional<Result> drifting = searchWithDrift(
        by, first, second, cancelled, [&](double share) { report(0.4 * share); }, keyFrames);
    if (cancelled || (drifting && drifting->clear && drifting->rate != 1))
        return cancelled ? std::nullopt : drifting;
    const std::optional<Result> steady = searchSteady(
        by, first, second, cancelled, [&](double share) { report(0.4 + 0.6 * share); }, keyFrames);
    if (cancelled)
        return std::nullopt;
    return (!steady || !steady->clear) && drifting && drifting->clear ? drifting : steady;
}

std::optional<AlignmentSearch::Result> AlignmentSearch::searchSteady(
    By by, const File& first, const File& second, const std::atomic_bool& cancelled,
    const std::function<void(double)>& report, alignment::KeyFrameSeries& keyFrames)
{
    if (by == By::Picture) {
        if (auto found = searchCoarseThenFine(first, second, cancelled, report, keyFrames))
            return found;
        if (cancelled)
            return std::nullopt;
    }
    const auto read = [&](const File& file) {
        const double from = excerptStart(file);
        const double length = excerptLength(file);
        return by == By::Sound ? soundOf(file.path, from, length, cancelled)
                               : picturesOf(file, from, length, kPictureRate, cancelled);
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

std::optional<AlignmentSearch::Result> AlignmentSearch::searchCoarseThenFine(
    const File& first, const File& second, const std::atomic_bool& cancelled,
    const std::function<void(double)>& report, alignment::KeyFrameSeries& keyFrames)
{
    const double fromA = excerptStart(first);
    const double fromB = excerptStart(second);
    const double lengthA = excerptLength(first);
    const double lengthB = excerptLength(second);
    // Short files are read whole at once: that costs no more than the two passes.
    if (lengthA + lengthB < 4 * kFineSeconds)
        return std::nullopt;
    const auto keyFramesOf = [&](const File& file, double from, double length) {
        return keyFrames.of(file, from, length, cancelled);
    };
    const auto [coarseA, coarseB] = readBoth([&] { return keyFramesOf(first, fromA, lengthA); },
                                             [&] { return keyFramesOf(second, fromB, lengthB); });
    report(0.3);
    if (!coarseA || !coarseB || cancelled)
        return std::nullopt;
    // The fine pass settles it: it must find a clear match within the margin of this one.
    const std::optional<Result> coarse = lineUp(*coarseA, *coarseB, kFarthestSeconds);
    if (!coarse || !clearEnoughToNarrow(*coarse))
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
    const double secondFrom = std::max(0.0, fineFrom + coarse->secondAhead - margin);
    const auto [fineA, fineB] =
        readBoth([&] { return picturesOf(first, fineFrom, kFineSeconds, kPictureRate, cancelled); },
                 [&] {
                     return picturesOf(second, secondFrom, kFineSeconds + 2 * margin, kPictureRate,
                                       cancelled);
                 });
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
    , m_run(
          WorkLength::Long, [this](double share) { emit progressed(share); },
          [this](std::optional<Result> result) {
              emit finished(result.has_value(), result.value_or(Result{}));
          })
{
}

AlignmentSearch::~AlignmentSearch() = default;

void AlignmentSearch::start(By by, const File& first, const File& second,
                            std::shared_ptr<const void> holding)
{
    m_run.start([=, holding = std::move(holding)](const std::atomic_bool& cancelled,
                                                  const std::function<void(double)>& progress) {
        return search(by, first, second, cancelled, progress);
    });
}

void AlignmentSearch::cancel()
{
    // A search under way stops at its next packet; its result is never taken.
    m_run.cancel();
}

} // namespace tandemo
