#include "platform/pictures_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tandemo {

namespace {

/// Whether the folder is there (or could be made) and is a folder of its own, not the home
/// folder itself, where saved pictures would be lost among everything else. A relative name
/// (which the user-dirs format does not allow) would be taken from wherever the program was
/// started: it is never used.
bool isUsable(const QString& folder)
{
    if (folder.isEmpty() || QDir::isRelativePath(folder) || !QDir().mkpath(folder) ||
        !QFileInfo(folder).isDir())
        return false;
    return QFileInfo(folder).canonicalFilePath() != QFileInfo(QDir::homePath()).canonicalFilePath();
}

} // namespace

QString picturesFolder()
{
    const QString named = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (isUsable(named))
        return named;
    const QString fallback = QDir::home().filePath(QStringLiteral("Pictures"));
    return isUsable(fallback) ? fallback : QString();
}

} // namespace tandemo
