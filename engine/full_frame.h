#pragma once

#include "platform/regular_file.h"

#include <QImage>

#include <atomic>

namespace tandemo {

/// The frame of a file that shows at `seconds`, decoded in full (with whatever a small pane's
/// decoder leaves out), as a pane shows it: turned upright as the file says, mirrored if asked,
/// in RGB as ffmpeg converts it. Null when it cannot be read, or reading was cancelled.
QImage decodeFullFrame(const RegularFile& file, double seconds, bool mirrored,
                       const std::atomic_bool& cancelled, const QString& filter = {},
                       const QString& toneMap = {});

} // namespace tandemo
