#pragma once

#include <QString>

namespace tandemo {

/// The largest picture a skin's style may name, in bytes.
inline constexpr qint64 kLargestSkinPicture = 4 * 1024 * 1024;

/// Checks every file a skin's style sheet names with url(...), as the skin file itself is
/// checked: each must be a regular file of at most kLargestSkinPicture bytes inside
/// `skinFolder` (links followed). Returns the style sheet with each name replaced by the file's
/// absolute path, so that what is drawn is what was checked whatever the working folder. Throws
/// Failure, as for an invalid skin file, naming the first file refused.
QString checkedStyleFiles(const QString& styleSheet, const QString& skinFolder);

} // namespace tandemo
