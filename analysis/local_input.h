#pragma once

#include "analysis/libav_handles.h"
#include "platform/regular_file.h"

#include <QString>

#include <atomic>

namespace tandemo {

using LocalInput = LibavInput;

/// Opens a local file for reading outside the players, with its streams found: only the file
/// itself (no other protocol, and nothing the file names), and only a regular file (a pipe or a
/// device at the name is never opened for reading, so it cannot hold the work for good). A set
/// `cancelled` stops it early. None when it cannot be read.
LocalInput openLocalInput(const QString& path, const std::atomic_bool& cancelled);
/// The same, for a file already opened and judged.
LocalInput openLocalInput(const RegularFile& file, const std::atomic_bool& cancelled);

} // namespace tandemo
