#include "platform/posix_file_system.h"

#include "platform/failure.h"
#include "platform/file_names.h"
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

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};
using DirectoryHandle = std::unique_ptr<DIR, DirectoryCloser>;

/// A file descriptor that is closed when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool isValid() const { return m_fd >= 0; }

private:
    int m_fd;
};

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
    if (stat(encodeFileName(resolveIgnoringCase(path)).constData(), &status) != 0)
        throw Failure(describeSystemError(errno));
    return QDateTime::fromSecsSinceEpoch(status.st_mtim.tv_sec);
}

QStringList PosixFileSystem::listFiles(const QString& folder, const QString& pattern,
                                       bool includeHidden)
{
    // Folder names match without regard to case, as the listing's names do.
    const QByteArray folderPath =
        encodeFileName(folder.isEmpty() ? QStringLiteral(".") : resolveIgnoringCase(folder));
    DirectoryHandle directory(opendir(folderPath.constData()));
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
    // O_PATH asks for no access to the contents, so permission bits on the file do not matter.
    const FileDescriptor fd(
        open(encodeFileName(resolveIgnoringCase(path)).constData(), O_PATH | O_CLOEXEC));
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
