#include "platform/pictures_folder.h"

#include <QDir>
#include <QStandardPaths>

namespace tandemo {

QString picturesFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!folder.isEmpty() && QDir().mkpath(folder))
        return folder;
    return QDir::homePath();
}

} // namespace tandemo
