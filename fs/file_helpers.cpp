#include "fs/file_helpers.h"

#include "fs/checked_count.h"
#include "platform/file_system.h"

namespace tandemo {

namespace {
constexpr std::int32_t kInitialRoom = 100;
constexpr std::int32_t kGrowth = 50;
} // namespace

bool FileExists(FileSystem& fileSystem, const QString& path)
{
    if (path.isEmpty())
        return false;
    try {
        fileSystem.modificationTime(path);
        return true;
    } catch (...) {
        return false;
    }
}

bool IsFile(FileSystem& fileSystem, const QString& path)
{
    try {
        return fileSystem.openForQuery(path);
    } catch (...) {
        return false;
    }
}

FileList ListFiles(FileSystem& fileSystem, const QString& folder, const QString& pattern)
{
    QString folderPath = folder;
    if (!folderPath.endsWith(kPathSeparator))
        folderPath += kPathSeparator;

    const QStringList names = fileSystem.listFiles(folderPath, pattern, /*includeHidden=*/true);

    FileList list(1, kInitialRoom);
    std::int32_t count = 0;
    for (const QString& name : names) {
        if (!IsFile(fileSystem, folderPath + name))
            continue;
        count = checkedAdd(count, 1);
        if (count > list.upperIndex())
            list.setUpperIndex(checkedAdd(list.upperIndex(), kGrowth));
        list.set(count, name);
    }

    if (count == 0)
        return FileList::none();
    if (count < list.upperIndex())
        list.setUpperIndex(count);
    return list;
}

} // namespace tandemo
