#include "platform/new_file.h"

#include "platform/file_names.h"
#include "platform/posix_handles.h"
#include "platform/staged_file.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tandemo {

namespace {

QString because(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

QString refusalToWrite(const QString& destination, bool replacing, const QStringList& inputs)
{
    const QByteArray name = encodeFileName(destination);
    struct stat there {};
    if (lstat(name.constData(), &there) != 0)
        return errno == ENOENT
                   ? QString()
                   : QStringLiteral("%1: %2").arg(printableName(destination), because(errno));
    if (S_ISLNK(there.st_mode))
        return QStringLiteral("%1 is a symbolic link").arg(printableName(destination));
    for (const QString& input : inputs) {
        struct stat read {};
        if (stat(encodeFileName(input).constData(), &read) == 0 && sameFile(there, read))
            return QStringLiteral("%1 is one of the videos").arg(printableName(destination));
    }
    if (!S_ISREG(there.st_mode))
        return QStringLiteral("%1 is not a regular file").arg(printableName(destination));
    if (!replacing)
        return QStringLiteral("%1 is there already").arg(printableName(destination));
    return {};
}

QString writeNewFile(const QString& destination, const QByteArray& contents, bool replacing,
                     const QStringList& inputs)
{
    if (const QString refusal = refusalToWrite(destination, replacing, inputs); !refusal.isEmpty())
        return refusal;
    const QFileInfo where(destination);
    StagedFile staged(where.absolutePath(), where.fileName());
    if (!staged.isValid())
        return QStringLiteral("cannot write in %1: %2")
            .arg(printableName(where.absolutePath()), because(errno));
    {
        const FileDescriptor file(open(encodeFileName(staged.path()).constData(),
                                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!file.isValid())
            return QStringLiteral("cannot write %1: %2")
                .arg(printableName(destination), because(errno));
        for (qsizetype done = 0; done < contents.size();) {
            const ssize_t written = ::write(file.get(), contents.constData() + done,
                                            std::size_t(contents.size() - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return QStringLiteral("cannot write %1: %2")
                    .arg(printableName(destination), because(written < 0 ? errno : ENOSPC));
            done += written;
        }
    }
    if (!staged.placeAs(where.absoluteFilePath(), replacing))
        return QStringLiteral("cannot write %1: %2")
            .arg(printableName(destination), because(errno));
    return {};
}

} // namespace tandemo
