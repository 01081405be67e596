#pragma once

#include <QString>

#include <atomic>
#include <optional>

namespace tandemo {

/// The crop that takes the black bars off a video's pictures ("crop=1920:800:0:140"), as
/// libavfilter's `cropdetect` finds it over pictures from across the file; none when the file
/// cannot be read (or it was cancelled), an empty chain when it has no bars.
std::optional<QString> blackBarsCrop(const QString& path, const std::atomic_bool& cancelled);

} // namespace tandemo
