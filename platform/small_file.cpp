#include "platform/small_file.h"

#include "platform/failure.h"
#include "platform/file_names.h"
#include "platform/regular_file.h"

#include <cerrno>

#include <unistd.h>

namespace tandemo {

QByteArray readSmallFile(const QString& path, qint64 limit, const QString& tooLarge)
{
    if (path.isEmpty())
        throw Failure(failure_text::kFileNotFound);
    // Checked on what was opened: a pipe put in the file's place can neither hold the open nor
    // pass the check.
    const RegularFile file = RegularFile::open(resolveIgnoringCase(path));
    if (!file.isOpen()) {
        const int error = file.openError();
        if (error == 0)
            throw Failure(failure_text::kBadFileName);
        if (error == EACCES || error == EPERM)
            throw Failure(failure_text::kPermissionDenied);
        if (error == ENOENT || error == ENOTDIR)
            throw Failure(failure_text::kFileNotFound);
        throw Failure(describeSystemError(error));
    }
    if (file.size() > limit)
        throw Failure(tooLarge);

    // One byte past the limit shows a file that grew since it was measured.
    QByteArray bytes(limit + 1, Qt::Uninitialized);
    qint64 filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = read(file.descriptor(), bytes.data() + filled, bytes.size() - filled);
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
