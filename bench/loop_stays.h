#pragma once

#include <QtGlobal>

#include <string>
#include <vector>

namespace tandemo::bench {

/// How the pictures around each loop stayed on the screen, read from a clip that shows its frame
/// number N as a grey square of level 16 + 3N in the middle of its picture.
struct LoopStays {
    std::size_t loops = 0;
    /// For each loop, the longest stay of the last three pictures of a pass and the first three
    /// of the next, in ms, sorted.
    std::vector<double> longest;
    /// The loops whose pass's last picture reached the screen.
    std::size_t lastShown = 0;
    /// For each of those six pictures in turn (the third last of a pass first), its stay in each
    /// loop, in ms, sorted: a picture held at the same place in every loop shows there.
    std::vector<double> byPosition[6];
    /// The same in the middle of each pass, where nothing loops: the steadiness of any picture.
    std::vector<double> midPass;
    /// Each loop's pictures as "frame:ms" pairs.
    std::vector<std::string> sequences;
};

/// The loops read from the screen: `changes`, when the patch changed (ns), and `levels`, its
/// grey level after each change, for a clip of `frames` pictures.
LoopStays loopStays(const std::vector<qint64>& changes, const std::vector<int>& levels, int frames);

} // namespace tandemo::bench
