#include "window/application_icon.h"

namespace tandemo {

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {32, 48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/tandemo-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace tandemo
