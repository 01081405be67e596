#include "engine/frame_step.h"

namespace tandemo {

FrameStep planFrameStep(double from, bool forward, const FrameTimes& times,
                        const StepContext& player)
{
    if (const std::optional<double> next = times.frameStart(from, forward ? 1 : -1))
        return {FrameStep::To, *next};
    if (times.isComplete() && times.frameAt(from)) {
        if (!player.looping)
            return {};
        if (forward)
            return {FrameStep::NextPass};
        return {FrameStep::To, *times.frameStart(times.count() - 1)};
    }
    // Times not read (yet), or a file longer than the times read.
    const double frame = player.frame;
    if (forward && player.looping && player.duration > 0 && from + 1.5 * frame > player.duration)
        return {FrameStep::NextPass};
    if (!forward && player.looping && !player.passage && player.duration > frame &&
        from < 0.5 * frame)
        return {FrameStep::To, player.frameStartAt(player.duration - 0.5 * frame)};
    return {FrameStep::By, forward ? frame : -frame};
}

} // namespace tandemo
