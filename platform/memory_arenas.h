#pragma once

namespace tandemo {

/// Keeps the C library's allocator to two arenas. Each player runs several threads of its own,
/// and by default each busy thread may get an arena that keeps the frames it freed: with four
/// players' worth of threads in one process that held some 30 MiB more than the pictures need.
/// Must be called before any thread starts.
void limitAllocatorArenas();

} // namespace tandemo
