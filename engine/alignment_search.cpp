#include "engine/alignment_search.h"

#include "engine/cross_correlation.h"
#include "engine/picture_signature.h"
#include "engine/sound_reader.h"

#include <QtConcurrent/QtConcurrentRun>

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
    std::vector<std::vector<float>> a, b;
    double startA = 0, startB = 0;
    int rate = 0;
    if (by == By::Sound) {
        rate = kSoundRate;
        auto soundA = readSound(first.path, excerptStart(first), kExcerptSeconds, rate, cancelled);
        report(0.45);
        auto soundB =
            soundA ? readSound(second.path, excerptStart(second), kExcerptSeconds, rate, cancelled)
                   : std::nullopt;
        if (!soundA || !soundB)
            return std::nullopt;
        startA = soundA->start;
        startB = soundB->start;
        a.push_back(std::move(soundA->samples));
        b.push_back(std::move(soundB->samples));
    } else {
        rate = kPictureRate;
        auto picturesA =
            readPictureSignature(first.path, excerptStart(first), kExcerptSeconds, rate, cancelled);
        report(0.45);
        auto picturesB = picturesA ? readPictureSignature(second.path, excerptStart(second),
                                                          kExcerptSeconds, rate, cancelled)
                                   : std::nullopt;
        if (!picturesA || !picturesB)
            return std::nullopt;
        startA = picturesA->start;
        startB = picturesB->start;
        a = std::move(picturesA->cells);
        b = std::move(picturesB->cells);
    }
    report(0.9);
    if (cancelled)
        return std::nullopt;
    const std::optional<Match> match = bestMatch(a, b, int(kFarthestSeconds * rate));
    report(1);
    if (!match)
        return std::nullopt;
    // second[n + lag] matches first[n]: the second's moment startB + (n + lag) / rate shows what
    // the first shows at startA + n / rate.
    Result result;
    result.secondAhead = match->lag / rate + startB - startA;
    result.strength = match->strength;
    result.clear = match->strength >= kClearStrength;
    return result;
}

AlignmentSearch::AlignmentSearch(QObject* parent)
    : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcher<Outcome>::progressValueChanged, this,
            [this](int value) { emit progressed(value / 1000.0); });
    connect(&m_watcher, &QFutureWatcher<Outcome>::finished, this, [this] {
        // A dropped search finishes too, with nothing in it.
        if (!m_running || m_watcher.future().resultCount() == 0)
            return;
        m_running = false;
        const Outcome outcome = m_watcher.result();
        emit finished(outcome.has_value(), outcome.value_or(Result{}));
    });
}

AlignmentSearch::~AlignmentSearch()
{
    m_cancelled->store(true);
}

void AlignmentSearch::start(By by, const File& first, const File& second)
{
    cancel();
    m_running = true;
    auto cancelled = m_cancelled;
    m_watcher.setFuture(QtConcurrent::run([=](QPromise<Outcome>& promise) {
        promise.setProgressRange(0, 1000);
        promise.addResult(search(by, first, second, *cancelled, [&](double share) {
            promise.setProgressValue(int(share * 1000));
        }));
    }));
}

void AlignmentSearch::cancel()
{
    // A search under way stops at its next packet; its result is never taken.
    m_cancelled->store(true);
    m_cancelled = std::make_shared<std::atomic_bool>(false);
    m_running = false;
    m_watcher.setFuture(QFuture<Outcome>());
}

} // namespace tandemo
