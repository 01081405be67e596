#include "platform/posix_file_system.h"

#include "platform/failure.h"
#include "platform/file_names.h"
#include "platform/posix_handles.h"
#include "platform/wildcard.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tandemo {

namespace {

/// Whether a call on the exact name failed because a part of it is missing: only then is the
/// name matched again without regard to case.
bool missing(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

bool statIgnoringCase(const QString& path, struct stat& status)
{
    if (stat(encodeFileName(path).constData(), &status) == 0)
        return true;
    return missing(errno) &&
           stat(encodeFileName(resolveIgnoringCase(path)).constData(), &status) == 0;
}

/// Opens the path for a query only (no access to the contents, so its permission bits do not
/// matter); -1 when it cannot be opened.
int openForPath(const QString& path)
{
    int fd = open(encodeFileName(path).constData(), O_PATH | O_CLOEXEC);
    if (fd < 0 && missing(errno))
        fd = open(encodeFileName(resolveIgnoringCase(path)).constData(), O_PATH | O_CLOEXEC);
    return fd;
}

bool isFolderEntry(int folderFd, const dirent& entry)
{
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
        return false;
    // A link to a folder is a folder; a dangling link is not, and is listed like a file.
    struct stat status {};
    return fstatat(folderFd, entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

QDateTime PosixFileSystem::modificationTime(const QString& path)
{
    struct stat status {};
    if (path.isEmpty())
        throw Failure(failure_text::kFileNotFound);
    if (!statIgnoringCase(path, status))
        throw Failure(describeSystemError(errno));
    return QDateTime::fromSecsSinceEpoch(status.st_mtim.tv_sec);
}

QStringList PosixFileSystem::listFiles(const QString& folder, const QString& pattern,
                                       bool includeHidden)
{
    const QString folderName = folder.isEmpty() ? QStringLiteral(".") : folder;
    DirectoryHandle directory(opendir(encodeFileName(folderName).constData()));
    // Folder names match without regard to case, as the listing's names do.
    if (!directory && missing(errno))
        directory.reset(opendir(encodeFileName(resolveIgnoringCase(folderName)).constData()));
    if (!directory) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        throw Failure(describeSystemError(errno));
    }

    const int folderFd = dirfd(directory.get());
    QStringList names;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(directory.get());
        if (!entry) {
            if (errno != 0)
                throw Failure(describeSystemError(errno));
            break;
        }
        const QString name = decodeFileName(QByteArray(entry->d_name));
        if (name == u"." || name == u"..")
            continue;
        if (!includeHidden && name.startsWith(u'.'))
            continue;
        if (!matchesWildcard(name, pattern) || isFolderEntry(folderFd, *entry))
            continue;
        names << name;
    }
    sortLikeListing(names);
    return names;
}

bool PosixFileSystem::openForQuery(const QString& path)
{
    const FileDescriptor fd(openForPath(path));
    if (!fd.isValid())
        return false;
    struct stat status {};
    return fstat(fd.get(), &status) == 0 && S_ISREG(status.st_mode);
}

void PosixFileSystem::sortLikeListing(QStringList& names)
{
    // Compared in upper case, as NTFS keeps its folders: "_" sorts after the letters. The keys
    // are made once, so that large folders sort quickly.
    std::vector<std::pair<QString, QString>> keyed;
    keyed.reserve(static_cast<std::size_t>(names.size()));
    for (QString& name : names)
        keyed.emplace_back(name.toUpper(), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    for (qsizetype i = 0; i < names.size(); ++i)
        names[i] = std::move(keyed[static_cast<std::size_t>(i)].second);
}

} // namespace tandemo
