#pragma once

class QThreadPool;

namespace tandemo {

/// How long a piece of background work takes, and so which threads it runs on: short work
/// (a file's frame times, pixel values, a saved picture) never waits behind long work
/// (measuring, aligning, exporting), which has threads of its own.
enum class WorkLength { Short, Long };

/// The threads for work of that length, as many as the machine has processors, each pool its
/// own; they are waited for as the program ends (work under way is told to stop before).
QThreadPool& workPool(WorkLength length);

} // namespace tandemo
