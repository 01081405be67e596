#include "platform/xdg_web_launcher.h"

#include "platform/failure.h"

#include <QProcess>

namespace tandemo {

XdgWebLauncher::XdgWebLauncher(QString program)
    : m_program(std::move(program))
{
}

void XdgWebLauncher::openMinimised(const QString& address)
{
    if (!QProcess::startDetached(m_program, {address}))
        throw Failure(failure_text::kFileNotFound);
}

} // namespace tandemo
