#pragma once

#include <memory>

#include <dirent.h>
#include <unistd.h>

namespace tandemo {

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};
/// An open folder listing, closed when it goes out of scope.
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

} // namespace tandemo
