#pragma once

#include <QByteArray>
#include <QString>

namespace tandemo {

/// Reads a whole regular file of at most `limit` bytes. Throws Failure when it is missing, is
/// not a regular file (a pipe or a device could block or never end), cannot be read, or is
/// larger than the limit (with `tooLarge` as the description).
QByteArray readSmallFile(const QString& path, qint64 limit, const QString& tooLarge);

} // namespace tandemo
