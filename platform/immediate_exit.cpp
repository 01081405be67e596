#include "platform/immediate_exit.h"

#include <cstdio>
#include <cstdlib>

namespace tandemo {

void ImmediateExit::endProcess()
{
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

} // namespace tandemo
