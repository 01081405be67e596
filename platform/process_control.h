#pragma once

namespace tandemo {

/// Ends the running program.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;

    /// Ends the process at once; does not return.
    virtual void endProcess() = 0;
};

} // namespace tandemo
