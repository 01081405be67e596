#pragma once

#include "analysis/frame_times.h"

#include <functional>

namespace tandemo {

/// Where a step of one frame goes.
struct FrameStep {
    enum Kind {
        Nowhere,
        /// To the frame at `seconds`.
        To,
        /// To the start of the next pass (a step on from the last frame, looping).
        NextPass,
        /// By `seconds` from where the picture is (its frame times not known).
        By,
    };
    Kind kind = Nowhere;
    double seconds = 0;
};

/// What the player around a step is: whether it loops and plays a passage, how long its file
/// is and how long a frame lasts, and where the frame that shows at a moment starts.
struct StepContext {
    bool looping = false;
    bool passage = false;
    double duration = 0;
    double frame = 0;
    std::function<double(double)> frameStartAt;
};

/// One frame on or back from `from`: by the file's own frame times where they are known
/// (exactly one of its frames, whatever its timing, and from the last one too, where the
/// decoder's own position may be the file's end); else by one frame's time. Past either end a
/// step wraps round, as playing does.
FrameStep planFrameStep(double from, bool forward, const FrameTimes& times,
                        const StepContext& player);

} // namespace tandemo
