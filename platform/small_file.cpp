#include "platform/small_file.h"

#include "platform/failure.h"
#include "platform/file_names.h"
#include "platform/posix_handles.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tandemo {

QByteArray readSmallFile(const QString& path, qint64 limit, const QString& tooLarge)
{
    if (path.isEmpty())
        throw Failure(failure_text::kFileNotFound);
    // Opened without blocking, then checked on what was opened: a pipe put in the file's place
    // can neither hold the open nor pass the check.
    const FileDescriptor file(open(encodeFileName(resolveIgnoringCase(path)).constData(),
                                   O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        if (errno == EACCES || errno == EPERM)
            throw Failure(failure_text::kPermissionDenied);
        if (errno == ENOENT || errno == ENOTDIR)
            throw Failure(failure_text::kFileNotFound);
        throw Failure(describeSystemError(errno));
    }
    struct stat status {};
    if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        throw Failure(failure_text::kBadFileName);
    if (status.st_size > limit)
        throw Failure(tooLarge);

    // One byte past the limit shows a file that grew since it was measured.
    QByteArray bytes(limit + 1, Qt::Uninitialized);
    qint64 filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = read(file.get(), bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw Failure(describeSystemError(errno));
        if (got == 0)
            break;
        filled += got;
    }
    if (filled > limit)
        throw Failure(tooLarge);
    bytes.resize(filled);
    return bytes;
}

} // namespace tandemo
