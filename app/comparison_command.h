#pragma once

#include "app/command_line.h"

namespace tandemo {

/// Carries out `--measure` or `--align` (or says why the arguments cannot be) on the window's own
/// comparison core, with two panes that hold the files without playing them: no display is
/// needed. Prints the outcome on standard output and returns the exit status: 0 when done, 1
/// when nothing was found, 2 on bad arguments or unreadable files, 130 when stopped by Ctrl-C.
int runComparisonCommand(const CommandLine& line, int argc, char* argv[]);

} // namespace tandemo
