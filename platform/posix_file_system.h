#pragma once

#include "platform/file_system.h"

namespace tandemo {

/// The file system through POSIX calls. Names that start with a dot count as hidden.
class PosixFileSystem : public FileSystem {
public:
    QDateTime modificationTime(const QString& path) override;
    QStringList listFiles(const QString& folder, const QString& pattern,
                          bool includeHidden) override;
    bool openForQuery(const QString& path) override;

    /// Sorts names the way the listing delivers them: by name without regard to letter case
    /// (as NTFS orders a folder), ties broken by the exact text so that the order is the same on
    /// every machine.
    static void sortLikeListing(QStringList& names);
};

} // namespace tandemo
