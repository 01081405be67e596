#include "platform/file_names.h"

#include <QDir>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <memory>

#include <dirent.h>
#include <sys/stat.h>

namespace tandemo {

namespace {

constexpr char16_t kFirstEscape = 0xDC80;
constexpr char16_t kLastEscape = 0xDCFF;

/// The length of the valid UTF-8 sequence at `at`, or 0 when the bytes there are not one.
qsizetype validSequenceAt(const QByteArray& bytes, qsizetype at, char32_t* codePoint)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    }
    qsizetype length = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        smallest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not valid UTF-8.
    if (value < smallest || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return 0;
    *codePoint = value;
    return length;
}

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};

bool exists(const QString& path)
{
    struct stat status {};
    return lstat(encodeFileName(path).constData(), &status) == 0;
}

/// The entry of `folder` that Qt would show as `lossyName`, when there is exactly one.
QString entryShownAs(const QString& folder, const QString& lossyName)
{
    const QByteArray folderBytes = encodeFileName(folder.isEmpty() ? QStringLiteral(".") : folder);
    std::unique_ptr<DIR, DirectoryCloser> directory(opendir(folderBytes.constData()));
    if (!directory)
        return {};
    QString found;
    int matches = 0;
    while (const dirent* entry = readdir(directory.get())) {
        const QByteArray name(entry->d_name);
        if (QString::fromUtf8(name) == lossyName) {
            found = decodeFileName(name);
            ++matches;
        }
    }
    return matches == 1 ? found : QString();
}

/// The entries of a folder differing from `name` only in letter case, in listing order.
QStringList entriesIgnoringCase(const QString& folder, const QString& name)
{
    const QByteArray folderBytes = encodeFileName(folder.isEmpty() ? QStringLiteral(".") : folder);
    std::unique_ptr<DIR, DirectoryCloser> directory(opendir(folderBytes.constData()));
    if (!directory)
        return {};
    QList<std::pair<QString, QString>> matches;
    const QString wanted = name.toUpper();
    while (const dirent* entry = readdir(directory.get())) {
        const QString entryName = decodeFileName(QByteArray(entry->d_name));
        if (entryName.toUpper() == wanted)
            matches.append({entryName.toUpper(), entryName});
    }
    std::sort(matches.begin(), matches.end());
    QStringList names;
    for (const auto& match : matches)
        names << match.second;
    return names;
}

} // namespace

QString decodeFileName(const QByteArray& bytes)
{
    QString name;
    name.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t codePoint = 0;
        if (const qsizetype length = validSequenceAt(bytes, at, &codePoint)) {
            name.append(QStringView(QChar::fromUcs4(codePoint)));
            at += length;
        } else {
            name.append(QChar(char16_t(0xDC00 + static_cast<unsigned char>(bytes[at]))));
            ++at;
        }
    }
    return name;
}

QByteArray encodeFileName(const QString& name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype runStart = 0;
    const auto flushRun = [&](qsizetype end) {
        bytes += QStringView(name).mid(runStart, end - runStart).toUtf8();
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        const bool pairedLow = i > 0 && name[i - 1].isHighSurrogate();
        if (unit >= kFirstEscape && unit <= kLastEscape && !pairedLow) {
            flushRun(i);
            bytes += char(unit - 0xDC00);
            runStart = i + 1;
        }
    }
    flushRun(name.size());
    return bytes;
}

QString localFileFromUrl(const QUrl& url)
{
    if (!url.isLocalFile())
        return {};
    // The encoded path keeps percent escapes that are not UTF-8; decoded here as bytes.
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return decodeFileName(bytes);
}

QString resolveIgnoringCase(const QString& path)
{
    if (path.isEmpty() || exists(path))
        return path;
    const bool absolute = path.startsWith(u'/');
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    QString resolved = absolute ? QStringLiteral("/") : QString();
    for (const QString& part : parts) {
        const QString exact =
            resolved + (resolved.isEmpty() || resolved.endsWith(u'/') ? "" : "/") + part;
        if (part == u"." || part == u".." || exists(exact)) {
            resolved = exact;
            continue;
        }
        const QStringList candidates = entriesIgnoringCase(resolved, part);
        if (candidates.isEmpty())
            return path;
        resolved = resolved + (resolved.isEmpty() || resolved.endsWith(u'/') ? "" : "/") +
                   candidates.constFirst();
    }
    return resolved;
}

QStringList localFilesOf(const QMimeData* data)
{
    QStringList files;
    if (!data)
        return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files << localFileFromUrl(url);
    }
    return files;
}

QString absoluteFileName(const QString& path)
{
    if (path.startsWith(u'/'))
        return path;
    return QDir::currentPath() + u'/' + path;
}

bool isPresentButNotAFile(const QString& path)
{
    struct stat status {};
    return stat(encodeFileName(path).constData(), &status) == 0 && !S_ISREG(status.st_mode);
}

QString recoverFileName(const QString& path)
{
    if (!path.contains(QChar::ReplacementCharacter) || exists(path))
        return path;
    const bool absolute = path.startsWith(u'/');
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    QString recovered = absolute ? QStringLiteral("/") : QString();
    for (const QString& part : parts) {
        const QString folder = recovered;
        QString next = part;
        if (part.contains(QChar::ReplacementCharacter) &&
            !exists(folder + (folder.isEmpty() || folder.endsWith(u'/') ? "" : "/") + part)) {
            next = entryShownAs(folder, part);
            if (next.isEmpty())
                return path;
        }
        if (!recovered.isEmpty() && !recovered.endsWith(u'/'))
            recovered += u'/';
        recovered += next;
    }
    return recovered;
}

} // namespace tandemo
