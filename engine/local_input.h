#pragma once

#include "engine/libav_handles.h"

#include <QString>

#include <atomic>

namespace tandemo {

using LocalInput = LibavInput;

/// Opens a local file for reading outside the players, with its streams found: only the file
/// itself (no other protocol, and nothing the file names). A set `cancelled` stops it early.
/// None when it cannot be read.
LocalInput openLocalInput(const QString& path, const std::atomic_bool& cancelled);

} // namespace tandemo
