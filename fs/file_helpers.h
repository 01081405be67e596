#pragma once

#include "fs/file_list.h"

#include <QString>

namespace tandemo {

class FileSystem;

/// The separator of this platform's paths; names appended to a folder begin with it.
inline constexpr char16_t kPathSeparator = u'/';

/// True when the path's modification time can be read. Never fails.
bool FileExists(FileSystem& fileSystem, const QString& path);

/// True when the path opens as an existing file (a query-only open, closed at once). Never fails.
bool IsFile(FileSystem& fileSystem, const QString& path);

/// The bare names of the files in the folder that match the wildcard pattern, hidden ones
/// included, in the order the listing delivers them, at indices 1 to n; none gives one empty
/// name at index 0. A folder that cannot be read throws Failure; a missing one gives none.
FileList ListFiles(FileSystem& fileSystem, const QString& folder, const QString& pattern);

} // namespace tandemo
