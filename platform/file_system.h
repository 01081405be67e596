#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace tandemo {

/// The file-system services the program's helpers are written over.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    /// The path's last modification time. Throws Failure when it cannot be read.
    virtual QDateTime modificationTime(const QString& path) = 0;

    /// Bare names of the entries of the folder that are not folders and whose names match the
    /// wildcard pattern, letter case ignored, sorted by name with letter case ignored. Hidden
    /// entries are included only on request. A missing folder gives no names; a folder that
    /// cannot be read throws Failure.
    virtual QStringList listFiles(const QString& folder, const QString& pattern,
                                  bool includeHidden) = 0;

    /// Opens the path for a query only (no reading or writing) and closes it at once. True when
    /// the path is an existing file.
    virtual bool openForQuery(const QString& path) = 0;
};

} // namespace tandemo
