#include "platform/small_file.h"

#include "platform/failure.h"

#include <QFile>
#include <QFileInfo>

namespace tandemo {

QByteArray readSmallFile(const QString& path, qint64 limit, const QString& tooLarge)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw Failure(failure_text::kFileNotFound);
    if (!info.isFile())
        throw Failure(failure_text::kBadFileName);
    if (info.size() > limit)
        throw Failure(tooLarge);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(file.error() == QFileDevice::PermissionsError
                          ? QString(failure_text::kPermissionDenied)
                          : file.errorString());
    // One byte past the limit shows a file that grew since it was measured.
    QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit)
        throw Failure(tooLarge);
    return bytes;
}

} // namespace tandemo
