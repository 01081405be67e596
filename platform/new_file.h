#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tandemo {

/// Writes `contents` as the file `destination`, whole or not at all: written beside its name and
/// given the name only once it is on the disk. Never through a symbolic link, never over one of
/// `inputs` (by what they are, whatever their names), and never over a file that is there
/// unless `replacing`. Returns why it could not (naming the cause, as "No space left on
/// device"), or nothing when the file is in place; a failure leaves what was there.
QString writeNewFile(const QString& destination, const QByteArray& contents, bool replacing,
                     const QStringList& inputs);

/// Why writeNewFile() would refuse to write `destination` as things stand (nothing when it
/// would go ahead), for refusing before the work that makes the contents.
QString refusalToWrite(const QString& destination, bool replacing, const QStringList& inputs);

} // namespace tandemo
