#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QMimeData;
class QUrl;

namespace tandemo {

/// A file name as the system stores it (bytes, usually UTF-8) made into text without loss. Bytes
/// that are not part of valid UTF-8 become the code points U+DC80..U+DCFF, which valid UTF-8
/// never decodes to, so that the name can be turned back into the very same bytes.
QString decodeFileName(const QByteArray& bytes);

/// The bytes of a name made by decodeFileName (or of any text, as UTF-8).
QByteArray encodeFileName(const QString& name);

/// The local file a URL names, its path taken byte for byte from the URL's percent encoding, so
/// that a name that is not UTF-8 survives a drag from the file manager. Empty for other URLs.
QString localFileFromUrl(const QUrl& url);

/// The local files among what was dropped, each named by its own bytes.
QStringList localFilesOf(const QMimeData* data);

/// A name as it may be shown or printed: control characters (which a terminal would act on)
/// written as \xHH.
QString printableName(const QString& name);

/// The path made absolute against the working folder, joined as text so that bytes that are
/// not UTF-8 are kept.
QString absoluteFileName(const QString& path);

/// Whether anything is at the path (a dangling link counts).
bool pathExists(const QString& path);

/// A path that Qt has decoded with replacement characters (U+FFFD) for bytes that were not
/// UTF-8 names no file. This finds the file it was decoded from, folder by folder, when exactly
/// one entry decodes to each part; otherwise the path is returned as it is.
QString recoverFileName(const QString& path);

/// The path as it lies on disk, its parts matched without regard to letter case, as the
/// system the program was designed for matches names. Where a part does not exist under its exact
/// name, the first entry of the folder's listing (in name order, letter case ignored) that
/// differs from it only in case is taken; the path is returned unchanged where none does.
QString resolveIgnoringCase(const QString& path);

} // namespace tandemo
