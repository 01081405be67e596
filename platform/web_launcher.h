#pragma once

#include <QString>

namespace tandemo {

/// Opens web addresses in the user's browser.
class WebLauncher {
public:
    virtual ~WebLauncher() = default;

    /// Starts the browser on the address without waiting for it. Throws Failure when the
    /// browser cannot be started.
    virtual void openMinimised(const QString& address) = 0;
};

} // namespace tandemo
