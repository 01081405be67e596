#include "platform/staged_file.h"

#include "platform/file_names.h"
#include "platform/posix_handles.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <limits.h>
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

/// The staged files of the process, by their encoded names, for a removal that cannot allocate
/// or lock: a slot is taken by exchanging its state, filled, then published.
struct StagedSlot {
    std::atomic_int state{0}; // 0: free, 1: being filled or emptied, 2: holds a file
    char folder[PATH_MAX] = {};
    char file[PATH_MAX] = {};
};
std::array<StagedSlot, 32> g_staged;

int takeSlot(const QByteArray& folder, const QByteArray& file)
{
    if (folder.size() >= PATH_MAX || file.size() >= PATH_MAX)
        return -1;
    for (std::size_t i = 0; i < g_staged.size(); ++i) {
        int expected = 0;
        if (!g_staged[i].state.compare_exchange_strong(expected, 1))
            continue;
        std::memcpy(g_staged[i].folder, folder.constData(), std::size_t(folder.size()) + 1);
        std::memcpy(g_staged[i].file, file.constData(), std::size_t(file.size()) + 1);
        g_staged[i].state.store(2);
        return int(i);
    }
    return -1;
}

void freeSlot(int slot)
{
    if (slot >= 0)
        g_staged[std::size_t(slot)].state.store(0);
}

} // namespace

void removeAllStagedNow()
{
    for (StagedSlot& slot : g_staged) {
        int expected = 2;
        if (!slot.state.compare_exchange_strong(expected, 1))
            continue;
        unlink(slot.file);
        rmdir(slot.folder);
    }
}

StagedFile::StagedFile(const QString& folder, const QString& name)
    : m_name(name)
{
    if (folder.isEmpty())
        return;
    // Made with mode 0700: nobody else can put anything into it.
    QByteArray pattern = encodeFileName(folder + QStringLiteral("/.tandemo-saving-XXXXXX"));
    if (!mkdtemp(pattern.data()))
        return;
    m_folder = decodeFileName(pattern);
    m_slot = takeSlot(pattern, encodeFileName(path()));
}

StagedFile::~StagedFile()
{
    if (!isValid())
        return;
    freeSlot(m_slot);
    unlink(encodeFileName(path()).constData());
    rmdir(encodeFileName(m_folder).constData());
}

QString StagedFile::path() const
{
    return isValid() ? m_folder + u'/' + m_name : QString();
}

bool StagedFile::placeAs(const QString& destination, bool replacing)
{
    if (!isValid()) {
        errno = ENOENT;
        return false;
    }
    const QByteArray staged = encodeFileName(path());
    // A full disk can show only when the data is written out: the file counts once it is.
    const FileDescriptor file(open(staged.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!file.isValid() || fsync(file.get()) != 0)
        return false;
    const QByteArray to = encodeFileName(destination);
    return replacing ? rename(staged.constData(), to.constData()) == 0
                     : renameWithoutReplacing(staged, to);
}

} // namespace tandemo
