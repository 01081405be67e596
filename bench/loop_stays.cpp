#include "bench/loop_stays.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tandemo::bench {

namespace {

/// The longest stay among the six pictures from `from` on, in ns.
qint64 longestStay(const std::vector<qint64>& times, std::size_t from)
{
    qint64 longest = 0;
    for (std::size_t k = from; k < from + 6 && k + 1 < times.size(); ++k)
        longest = std::max(longest, times[k + 1] - times[k]);
    return longest;
}

} // namespace

LoopStays loopStays(const std::vector<qint64>& changes, const std::vector<int>& levels, int frames)
{
    // A patch read while the window system was still writing it (under 2 ms) is no picture of
    // its own.
    std::vector<qint64> times;
    std::vector<int> shown;
    for (std::size_t i = 0; i < changes.size() && i < levels.size(); ++i) {
        if (!times.empty() && changes[i] - times.back() < 2'000'000) {
            times.pop_back();
            shown.pop_back();
        }
        if (shown.empty() || levels[i] != shown.back()) {
            times.push_back(changes[i]);
            shown.push_back(levels[i]);
        }
    }
    // A grey level on the screen is nominally 255 / 219 of the video's, 3.49 levels a frame,
    // but scaling and dithering bend it by a level or two at the top: the levels are measured
    // from the screen instead, from the darkest (picture 0) and the usual step from one picture
    // to the next. Read at the nominal scale, the last two pictures of a 25 frames a second
    // clip came out as one picture held twice and the one before the last.
    const int darkest = shown.empty() ? 0 : *std::min_element(shown.begin(), shown.end());
    std::vector<int> steps;
    for (std::size_t i = 1; i < shown.size(); ++i) {
        const int step = shown[i] - shown[i - 1];
        if (step > 1 && step < 10)
            steps.push_back(step);
    }
    double step = 3.0 * 255 / 219;
    if (steps.size() > 10) {
        // The mean of the usual steps: one level more or less, read over many pictures.
        std::sort(steps.begin(), steps.end());
        const auto usual = std::vector<int>(steps.begin() + std::ptrdiff_t(steps.size() / 4),
                                            steps.end() - std::ptrdiff_t(steps.size() / 4));
        step = std::accumulate(usual.begin(), usual.end(), 0.0) / double(usual.size());
    }
    std::vector<int> codes;
    for (const int level : shown)
        codes.push_back(int(std::lround((level - darkest) / step)));
    LoopStays stays;
    // The last picture shows the highest number seen: N - 1 of N pictures, or N where the
    // number was overlaid one picture late (as ffmpeg's overlay pairs some of the bench's clips).
    const int highest = codes.empty() ? 0 : *std::max_element(codes.begin(), codes.end());
    const int last = std::min(highest, frames);
    // Where a pass starts again.
    std::vector<std::size_t> wraps;
    for (std::size_t j = 3; j + 3 < codes.size(); ++j) {
        if (codes[j] < codes[j - 1] - 8)
            wraps.push_back(j);
    }
    for (std::size_t j : wraps) {
        ++stays.loops;
        // Shown for at least half its time (a redraw of it may follow for a few ms).
        const qint64 frame = (times[j] - times[j - 3]) / 3;
        for (std::size_t k = j - 2; k < j; ++k) {
            if (codes[k] == last && times[k + 1] - times[k] >= frame / 2) {
                ++stays.lastShown;
                break;
            }
        }
        stays.longest.push_back(longestStay(times, j - 3) / 1e6);
        std::string sequence;
        for (std::size_t k = j - 3; k <= j + 2; ++k) {
            const double stay = (times[k + 1] - times[k]) / 1e6;
            stays.byPosition[k + 3 - j].push_back(stay);
            sequence += std::to_string(codes[k]) + ":" + std::to_string(int(stay)) + " ";
        }
        stays.sequences.push_back(sequence);
        // The same six pictures' worth in the middle of the pass before, for comparison.
        const auto middle = std::find(codes.begin() + std::ptrdiff_t(j > 60 ? j - 60 : 0),
                                      codes.begin() + std::ptrdiff_t(j), last / 2 - 3);
        if (middle != codes.begin() + std::ptrdiff_t(j))
            stays.midPass.push_back(longestStay(times, std::size_t(middle - codes.begin())) / 1e6);
    }
    std::sort(stays.longest.begin(), stays.longest.end());
    std::sort(stays.midPass.begin(), stays.midPass.end());
    for (std::vector<double>& position : stays.byPosition)
        std::sort(position.begin(), position.end());
    return stays;
}

} // namespace tandemo::bench
