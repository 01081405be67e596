#pragma once

#include "analysis/alignment_series.h"

#include <atomic>
#include <functional>
#include <optional>

namespace tandemo::alignment {

/// Lines up two takes that drift apart: two transfers of one film at 25 and 23.976 frames a
/// second, a re-timed edit, recorders whose clocks differ. The second's pace against the first's
/// is found among the common ones by comparing the whole takes, then measured at the start and
/// at the end of the stretch both have. The result's rate is 1 where the two ends differ by no
/// more than a frame. `report` is told the share done; the
/// key frames read are kept in `keyFrames` for the search's other passes.
std::optional<Result> searchWithDrift(By by, const File& first, const File& second,
                                      const std::atomic_bool& cancelled,
                                      const std::function<void(double)>& report,
                                      KeyFrameSeries& keyFrames);

} // namespace tandemo::alignment
