#include "platform/immediate_exit.h"

#include "platform/staged_file.h"

#include <cstdlib>

namespace tandemo {

void ImmediateExit::endProcess()
{
    // No stream is flushed: the program writes nothing of its own, and flushing could wait on a
    // stream that a player's thread holds or on a reader that has gone.
    // A file half written in the background (a frame, an export) is not left behind.
    removeAllStagedNow();
    std::_Exit(EXIT_SUCCESS);
}

} // namespace tandemo
