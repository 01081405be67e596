#include "skin/skin_style_files.h"

#include "platform/failure.h"
#include "platform/file_names.h"

#include <QDir>
#include <QRegularExpression>

#include <climits>
#include <cstdlib>
#include <memory>

#include <sys/stat.h>

namespace tandemo {

namespace {

Failure refused(const QString& name, const QString& why)
{
    return Failure(QStringLiteral("Invalid skin file (style file %1: %2)").arg(name.left(80), why));
}

/// The real path of a file, links and ".." resolved; empty when it does not exist.
QString realPath(const QString& path)
{
    const std::unique_ptr<char, decltype(&std::free)> resolved(
        realpath(encodeFileName(path).constData(), nullptr), &std::free);
    return resolved ? decodeFileName(QByteArray(resolved.get())) : QString();
}

QString checkedFile(const QString& name, const QString& folder)
{
    // Only plain names of files: no resources, no addresses, nothing the style parser would
    // read differently from what is checked here.
    static const QRegularExpression unsafe(QStringLiteral("[:\"'\\\\()\\x00-\\x1f]"));
    if (name.isEmpty() || name.contains(unsafe))
        return QString();
    const QString path = realPath(name.startsWith(u'/') ? name : folder + u'/' + name);
    if (path.isEmpty() || !path.startsWith(folder + u'/'))
        throw refused(name, QStringLiteral("not a file inside the skin's folder"));
    struct stat status {};
    if (stat(encodeFileName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        throw refused(name, QStringLiteral("not a regular file"));
    if (status.st_size > kLargestSkinPicture)
        throw refused(name, QStringLiteral("larger than %1 bytes").arg(kLargestSkinPicture));
    return path;
}

} // namespace

QString checkedStyleFiles(const QString& styleSheet, const QString& skinFolder)
{
    static const QRegularExpression url(QStringLiteral(R"(url\s*\(\s*(["']?)([^)]*?)\1\s*\))"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QString folder = realPath(skinFolder);
    QString checked;
    qsizetype copied = 0;
    qsizetype found = 0;
    QRegularExpressionMatchIterator matches = url.globalMatch(styleSheet);
    while (matches.hasNext()) {
        ++found;
        const QRegularExpressionMatch match = matches.next();
        const QString name = match.captured(2).trimmed();
        const QString path = folder.isEmpty() ? QString() : checkedFile(name, folder);
        if (path.isEmpty() || path.contains(u'"') || path.contains(u'\\'))
            throw refused(name, QStringLiteral("not a file name"));
        checked += QStringView(styleSheet).mid(copied, match.capturedStart() - copied);
        checked += QStringLiteral("url(\"%1\")").arg(path);
        copied = match.capturedEnd();
    }
    // An opening that the pattern did not take (unclosed, or with a bracket inside) is refused
    // too: the style parser might still find a name in it.
    static const QRegularExpression opening(QStringLiteral(R"(url\s*\()"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (styleSheet.count(opening) != found)
        throw refused(QString(), QStringLiteral("not a file name"));
    checked += QStringView(styleSheet).mid(copied);
    return checked;
}

} // namespace tandemo
