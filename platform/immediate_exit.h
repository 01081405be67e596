#pragma once

#include "platform/process_control.h"

namespace tandemo {

/// Ends the process without unwinding: no destructor runs, so nothing can wait on a player's
/// threads. The system closes the window, the display connection and every file.
class ImmediateExit : public ProcessControl {
public:
    [[noreturn]] void endProcess() override;
};

} // namespace tandemo
