#include "platform/staged_file.h"

#include "platform/file_names.h"
#include "platform/posix_handles.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace tandemo {

namespace {

/// Renames without replacing what is at the new name; where the file system cannot rename that
/// way, the file is linked under the new name (which fails on a taken name too) and unlinked.
bool renameWithoutReplacing(const QByteArray& from, const QByteArray& to)
{
    if (renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (link(from.constData(), to.constData()) != 0)
        return false;
    unlink(from.constData());
    return true;
}

} // namespace

StagedFile::StagedFile(const QString& folder, const QString& name)
    : m_name(name)
{
    if (folder.isEmpty())
        return;
    // Made with mode 0700: nobody else can put anything into it.
    QByteArray pattern = encodeFileName(folder + QStringLiteral("/.tandemo-saving-XXXXXX"));
    if (mkdtemp(pattern.data()))
        m_folder = decodeFileName(pattern);
}

StagedFile::~StagedFile()
{
    if (!isValid())
        return;
    unlink(encodeFileName(path()).constData());
    rmdir(encodeFileName(m_folder).constData());
}

QString StagedFile::path() const
{
    return isValid() ? m_folder + u'/' + m_name : QString();
}

bool StagedFile::placeAs(const QString& destination)
{
    if (!isValid())
        return false;
    const QByteArray staged = encodeFileName(path());
    // A full disk can show only when the data is written out: the file counts once it is.
    const FileDescriptor file(open(staged.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!file.isValid() || fsync(file.get()) != 0)
        return false;
    return renameWithoutReplacing(staged, encodeFileName(destination));
}

} // namespace tandemo
