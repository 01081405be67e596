#pragma once

#include "platform/web_launcher.h"

namespace tandemo {

/// Opens addresses with xdg-open, the desktop's way to reach the user's default browser.
class XdgWebLauncher : public WebLauncher {
public:
    explicit XdgWebLauncher(QString program = QStringLiteral("xdg-open"));

    /// The browser decides how its window opens; the launcher only starts it, detached.
    void openMinimised(const QString& address) override;

private:
    QString m_program;
};

} // namespace tandemo
