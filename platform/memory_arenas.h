#pragma once

namespace tandemo {

/// Sets the C library's allocator up for a process that decodes pictures on many threads. It
/// keeps to two arenas: by default each busy thread may get one that keeps the frames it freed,
/// and with four players' worth of threads in one process that held some 30 MiB more than the
/// pictures need. And a block of half a MiB or more (a picture's plane, from 720p up) always
/// gets memory of its own, given back as soon as it is freed: otherwise the allocator takes
/// such blocks from its arenas once one was freed, and the pictures a decoder let go at a loop
/// stayed in the process while the next decoder took new ones. Must be called before any
/// thread starts.
void tuneAllocatorForPictures();

} // namespace tandemo
