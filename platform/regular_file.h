#pragma once

#include <QByteArray>
#include <QString>

namespace tandemo {

/// A regular file held open for reading, judged by what was opened rather than by its name: a
/// pipe, a device or a folder put at the name is refused, and opening it never blocks. Whatever
/// is put at the name later, the file held stays the one that was judged.
class RegularFile {
public:
    RegularFile() = default;
    /// Opens what is at `path`; isOpen() tells whether it was a regular file that could be read.
    static RegularFile open(const QString& path);
    ~RegularFile();
    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    /// Something was at the name, but no regular file (as opposed to nothing, or no access).
    bool wasNotAFile() const { return m_notAFile; }
    /// Why the name could not be opened (errno); 0 when it was opened, or was no regular file.
    int openError() const { return m_openError; }
    qint64 size() const { return m_size; }
    /// The open descriptor, still owned by this; -1 when this holds none.
    int descriptor() const { return m_fd; }
    /// The same file opened once more, with a position of its own, for a reader that must not
    /// share this one's (none when this holds none).
    RegularFile reopened() const;
    /// Gives the descriptor up to a new owner, which closes it; -1 when this holds none.
    int release();
    /// A name that opens this very file, whatever is at its path now, while this holds it.
    QByteArray heldName() const;

private:
    explicit RegularFile(int fd, qint64 size);

    int m_fd = -1;
    qint64 m_size = -1;
    bool m_notAFile = false;
    int m_openError = 0;
};

} // namespace tandemo
