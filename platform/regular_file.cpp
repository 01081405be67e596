#include "platform/regular_file.h"

#include "platform/file_names.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tandemo {

namespace {

// Without blocking: opening a pipe for reading would wait for a writer.
constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

} // namespace

RegularFile::RegularFile(int fd, qint64 size)
    : m_fd(fd)
    , m_size(size)
{
}

RegularFile RegularFile::open(const QString& path)
{
    const int fd = ::open(encodeFileName(path).constData(), kReadFlags);
    if (fd < 0) {
        RegularFile none;
        none.m_openError = errno;
        none.m_notAFile = errno == ENXIO || errno == EISDIR;
        return none;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        RegularFile none;
        none.m_notAFile = true;
        return none;
    }
    return RegularFile(fd, qint64(status.st_size));
}

RegularFile::~RegularFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_size(other.m_size)
    , m_notAFile(other.m_notAFile)
    , m_openError(other.m_openError)
{
}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_size = other.m_size;
        m_notAFile = other.m_notAFile;
        m_openError = other.m_openError;
    }
    return *this;
}

QByteArray RegularFile::heldName() const
{
    return m_fd < 0 ? QByteArray() : "/proc/self/fd/" + QByteArray::number(m_fd);
}

RegularFile RegularFile::reopened() const
{
    // The link in /proc opens the file this one holds (the same inode), never the name's.
    const int fd = m_fd < 0 ? -1 : ::open(heldName().constData(), kReadFlags);
    return fd < 0 ? RegularFile() : RegularFile(fd, m_size);
}

int RegularFile::release()
{
    return std::exchange(m_fd, -1);
}

} // namespace tandemo
