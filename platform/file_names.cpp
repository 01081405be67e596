#include "platform/file_names.h"

#include "platform/posix_handles.h"

#include <QDir>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>
#include <utility>

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

/// The names in a folder, as the system stores them.
QList<QByteArray> entriesOf(const QString& folder)
{
    QList<QByteArray> names;
    const DirectoryHandle directory(
        opendir(encodeFileName(folder.isEmpty() ? QStringLiteral(".") : folder).constData()));
    if (!directory)
        return names;
    while (const dirent* entry = readdir(directory.get()))
        names << QByteArray(entry->d_name);
    return names;
}

/// The entry of `folder` that Qt would show as `lossyName`, when there is exactly one.
QString entryShownAs(const QString& folder, const QString& lossyName)
{
    QStringList found;
    for (const QByteArray& name : entriesOf(folder)) {
        if (QString::fromUtf8(name) == lossyName)
            found << decodeFileName(name);
    }
    return found.size() == 1 ? found.constFirst() : QString();
}

/// The first entry of `folder`, in listing order, that differs from `name` only in letter case.
QString firstEntryIgnoringCase(const QString& folder, const QString& name)
{
    const QString wanted = name.toUpper();
    std::optional<std::pair<QString, QString>> first;
    for (const QByteArray& bytes : entriesOf(folder)) {
        const QString entry = decodeFileName(bytes);
        const std::pair<QString, QString> key{entry.toUpper(), entry};
        if (key.first == wanted && (!first || key < *first))
            first = key;
    }
    return first ? first->second : QString();
}

QString joined(const QString& folder, const QString& name)
{
    return folder.isEmpty() || folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

/// The path rebuilt part by part: a part that does not exist under its name is replaced by what
/// `replace` finds in its folder; the path as it is when that finds nothing.
QString replaceMissingParts(const QString& path,
                            const std::function<QString(const QString&, const QString&)>& replace)
{
    QString rebuilt = path.startsWith(u'/') ? QStringLiteral("/") : QString();
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
        QString next = part;
        if (part != u"." && part != u".." && !pathExists(joined(rebuilt, part))) {
            next = replace(rebuilt, part);
            if (next.isEmpty())
                return path;
        }
        rebuilt = joined(rebuilt, next);
    }
    return rebuilt;
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

QString printableName(const QString& name)
{
    QString printable;
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control)
            printable += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            printable += c;
    }
    return printable;
}

QString resolveIgnoringCase(const QString& path)
{
    if (path.isEmpty() || pathExists(path))
        return path;
    return replaceMissingParts(path, firstEntryIgnoringCase);
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

bool pathExists(const QString& path)
{
    struct stat status {};
    return lstat(encodeFileName(path).constData(), &status) == 0;
}

QString recoverFileName(const QString& path)
{
    if (!path.contains(QChar::ReplacementCharacter) || pathExists(path))
        return path;
    return replaceMissingParts(path, [](const QString& folder, const QString& part) {
        // Only the parts Qt decoded with losses are looked for.
        return part.contains(QChar::ReplacementCharacter) ? entryShownAs(folder, part) : part;
    });
}

} // namespace tandemo
