#pragma once

#include <QString>

namespace tandemo::alignment {

/// What two takes are lined up by.
enum class By { Sound, Picture };

/// Where one of the two files is, so that a long file is searched around that moment.
struct File {
    QString path;
    double position = 0;
    double duration = 0;
    /// The libavfilter chain its pictures go through (empty: none).
    QString filter = {};
};

/// Where two takes line up.
struct Result {
    /// How far the second is ahead of the first when they line up, at the first's start.
    double secondAhead = 0;
    /// How many of its seconds the second goes to one of the first's (1 unless the two drift
    /// apart): at the first's moment t, the second shows t × rate + secondAhead.
    double rate = 1;
    /// The peak of the match against its spread, and whether that is clear enough to use.
    double strength = 0;
    /// How far the peak stands above any other (see Match::uniqueness).
    double uniqueness = 0;
    bool clear = false;
};

/// How far apart the two may be, and how much of each is compared.
inline constexpr double kFarthestSeconds = 60;
inline constexpr double kExcerptSeconds = 120;
/// The least strength of a match that is used, and how far above any other lag's it must be.
inline constexpr double kClearStrength = 12;
inline constexpr double kClearUniqueness = 1.5;

/// Whether a match is clear enough to narrow a search that a finer comparison then settles:
/// takes compared coarsely (by their key frames, or whole at another pace), or a window sought
/// only a little way either side of such an answer. Half as strong as a match sought a minute
/// either way needs to be: a coarse series has few samples, and a lag that falls between two of
/// them matches both.
inline bool clearEnoughToNarrow(const Result& match)
{
    return match.strength >= kClearStrength / 2 && match.uniqueness >= kClearUniqueness;
}

} // namespace tandemo::alignment
