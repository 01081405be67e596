#include "analysis/drift_search.h"

#include "analysis/alignment_series.h"

#include <algorithm>
#include <cmath>

namespace tandemo::alignment {

namespace {

// The paces one take may have against another: the same, and the common transfers between
// 24, 23.976 and 25 frames a second. A pace near one of them is measured from there.
constexpr double kFilm = 24000.0 / 1001;
constexpr double kPaces[] = {1.0, 24.0 / 25, 25.0 / 24, kFilm / 25, 25 / kFilm};
// The stretches measured at either end, and how far around the whole takes' answer.
constexpr double kWindowSeconds = 10;
constexpr double kPictureWindowSeconds = 2;
constexpr double kShortestWindow = 2;
constexpr double kWindowMargin = 1;
// Less drift than this over the stretch both have is none.
constexpr double kOneFrame = 1.0 / 30;

/// The series as it would be at `pace` times its speed: its moment t then shows what it showed
/// at t × pace; sampled at `rate`.
Series atPace(const Series& series, double pace, int rate)
{
    Series paced{{}, series.start / pace, rate, series.spacing / pace};
    const auto count = std::size_t(std::max(0.0, (series.end() / pace - paced.start) * rate));
    for (const std::vector<float>& channel : series.channels) {
        std::vector<float> samples(count);
        for (std::size_t n = 0; n < count && !channel.empty(); ++n) {
            const double at =
                ((paced.start + double(n) / rate) * pace - series.start) * series.rate;
            const auto i = std::min(std::size_t(std::max(0.0, at)), channel.size() - 1);
            const std::size_t next = std::min(i + 1, channel.size() - 1);
            const double share = std::clamp(at - double(i), 0.0, 1.0);
            samples[n] = float(channel[i] * (1 - share) + channel[next] * share);
        }
        paced.channels.push_back(std::move(samples));
    }
    return paced;
}

/// How two takes line up at one end: the match, and the moment in the first's time it holds
/// for (the middle of the window compared).
struct EndMatch {
    Result match;
    double moment = 0;
};

/// What is compared of a file over a stretch, finely.
class Reader {
public:
    Reader(By by, const File& file, const std::atomic_bool& cancelled, KeyFrameSeries& keyFrames)
        : m_by(by)
        , m_file(file)
        , m_cancelled(cancelled)
        , m_keyFrames(keyFrames)
    {
    }

    /// The whole excerpt, coarsely: the sound's loudness, or the pictures by their key frames
    /// (all of them where key frames are sparse).
    std::optional<Series> whole()
    {
        const double from = excerptStart(m_file);
        const double length = excerptLength(m_file);
        if (m_by == By::Sound) {
            if (const std::optional<Series> sound = soundOf(m_file.path, from, length, m_cancelled))
                m_loudness = loudnessOf(*sound);
            return m_loudness;
        }
        if (auto keyFrames = m_keyFrames.of(m_file, from, length, m_cancelled))
            return keyFrames;
        return picturesOf(m_file, from, length, kPictureRate, m_cancelled);
    }

    std::optional<Series> stretch(double from, double seconds)
    {
        if (m_by == By::Sound)
            return m_loudness ? std::optional(m_loudness->slice(from, seconds)) : std::nullopt;
        return picturesOf(m_file, std::max(0.0, from), seconds, kPictureRate, m_cancelled);
    }

    /// How this take (the first) and `other` line up at one end of the stretch from `from` to
    /// `to` that both have, at `pace`, sought around `ahead`. Sound is compared
    /// over a long window, as it costs nothing more; pictures over a short one, widened while
    /// the match is not clear.
    std::optional<EndMatch> matchAtEnd(Reader& other, bool atStart, double from, double to,
                                       double pace, double ahead)
    {
        const double longest = std::min(kWindowSeconds, (to - from) / 3);
        double window = m_by == By::Sound ? longest : std::min(kPictureWindowSeconds, longest);
        while (true) {
            const double start = atStart ? from : to - window;
            const auto [part, otherPart] =
                readBoth([&] { return stretch(start, window); },
                         [&] {
                             return other.stretch((start + ahead - kWindowMargin) * pace,
                                                  (window + 2 * kWindowMargin) * pace);
                         });
            if (!part || !otherPart || m_cancelled)
                return std::nullopt;
            const auto found =
                lineUp(*part, atPace(*otherPart, pace, part->rate), kWindowMargin + 0.5);
            if (!found)
                return std::nullopt;
            if (clearEnoughToNarrow(*found) || window >= longest)
                return EndMatch{*found, start + window / 2};
            window = std::min(2 * window, longest);
        }
    }

private:
    By m_by;
    File m_file;
    const std::atomic_bool& m_cancelled;
    KeyFrameSeries& m_keyFrames;
    std::optional<Series> m_loudness;
};

/// The pace, and the offset at that pace, at which the whole takes match best.
std::optional<std::pair<double, Result>> bestPace(const Series& a, const Series& b)
{
    std::optional<std::pair<double, Result>> best;
    for (const double pace : kPaces) {
        const auto found = lineUp(a, atPace(b, pace, a.rate), kFarthestSeconds);
        if (found && clearEnoughToNarrow(*found) &&
            (!best || found->strength > best->second.strength))
            best = {pace, *found};
    }
    return best;
}

/// Whether the whole takes, read coarsely, line up at the same offset in the first and the last
/// third of the stretch both have, as finely as they were read: then no finer look is needed.
bool keepsInStep(const Series& a, const Series& b, double from, double to, double ahead)
{
    const double third = (to - from) / 3;
    // Wide enough for a match to stand out among the lags around it, however coarse.
    const double margin = std::max(kWindowMargin, 20.0 / a.rate);
    double found[2] = {};
    const double starts[] = {from, to - third};
    for (int end = 0; end < 2; ++end) {
        const auto match =
            lineUp(a.slice(starts[end], third),
                   b.slice(starts[end] + ahead - margin, third + 2 * margin), margin + 0.5);
        if (!match || !clearEnoughToNarrow(*match))
            return false;
        found[end] = match->secondAhead;
    }
    return std::abs(found[1] - found[0]) <= std::max(kOneFrame, 1.0 / a.rate);
}

} // namespace

std::optional<Result> searchWithDrift(By by, const File& first, const File& second,
                                      const std::atomic_bool& cancelled,
                                      const std::function<void(double)>& report,
                                      KeyFrameSeries& keyFrames)
{
    Reader readerA(by, first, cancelled, keyFrames);
    Reader readerB(by, second, cancelled, keyFrames);
    const auto [a, b] = readBoth([&] { return readerA.whole(); }, [&] { return readerB.whole(); });
    report(0.6);
    if (!a || !b || cancelled)
        return std::nullopt;
    const auto best = bestPace(*a, *b);
    if (!best)
        return std::nullopt;
    const auto [pace, whole] = *best;

    // The stretch both have, in the first's time, and a window at either end of it.
    const double ahead = whole.secondAhead; // at the pace found
    const double from = std::max(a->start, b->start / pace - ahead);
    const double to = std::min(a->end(), b->end() / pace - ahead);
    // Key frames alone say too little over a third of a take to tell a drift of a frame; the
    // pictures of both ends read in full would cost more than the whole search. At the same pace,
    // takes compared by them count as in step.
    if (pace == 1.0 && (a->rate < kPictureRate || keepsInStep(*a, *b, from, to, ahead)))
        return Result{ahead, 1.0, whole.strength, whole.uniqueness, true};
    if (std::min(kWindowSeconds, (to - from) / 3) < kShortestWindow)
        return std::nullopt;
    double moments[2] = {};
    double seconds[2] = {};
    Result result;
    result.strength = result.uniqueness = 1e9;
    result.clear = true;
    for (int end = 0; end < 2; ++end) {
        const std::optional<EndMatch> found =
            readerA.matchAtEnd(readerB, end == 0, from, to, pace, ahead);
        if (!found || cancelled)
            return std::nullopt;
        result.strength = std::min(result.strength, found->match.strength);
        result.uniqueness = std::min(result.uniqueness, found->match.uniqueness);
        result.clear = result.clear && clearEnoughToNarrow(found->match) &&
                       std::abs(found->match.secondAhead - ahead) <= kWindowMargin;
        moments[end] = found->moment;
        seconds[end] = (found->moment + found->match.secondAhead) * pace;
        report(0.8 + 0.1 * end);
    }
    result.rate = (seconds[1] - seconds[0]) / (moments[1] - moments[0]);
    result.secondAhead = seconds[0] - result.rate * moments[0];
    if (std::abs(result.rate - 1) * (to - from) <= kOneFrame) {
        result.secondAhead = (seconds[0] - moments[0] + seconds[1] - moments[1]) / 2;
        result.rate = 1;
    }
    report(1);
    return result;
}

} // namespace tandemo::alignment
