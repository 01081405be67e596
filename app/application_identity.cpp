#include "app/application_identity.h"

#include "resources/version.h"

#include <QGuiApplication>

namespace tandemo {

void applyApplicationIdentity()
{
    QCoreApplication::setOrganizationName(version::kCompany);
    QCoreApplication::setApplicationName(version::kProduct);
    QCoreApplication::setApplicationVersion(version::kDisplayVersion);
    QGuiApplication::setDesktopFileName(version::kAppId);
}

} // namespace tandemo
