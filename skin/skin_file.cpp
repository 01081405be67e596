#include "skin/skin_file.h"

#include "platform/failure.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace tandemo {

namespace {

constexpr char kFormatLine[] = "tandemo-skin 1";
constexpr int kMostSchemes = 64;

Failure invalidSkin(int lineNumber, const QString& why)
{
    return Failure(QStringLiteral("Invalid skin file (line %1: %2)").arg(lineNumber).arg(why));
}

bool parseColour(const QString& text, QColor& colour)
{
    static const QRegularExpression hex(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    if (!hex.match(text).hasMatch())
        return false;
    colour = QColor(text);
    return colour.isValid();
}

bool isValidSchemeName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9][A-Za-z0-9 _-]{0,63}$"));
    return pattern.match(name).hasMatch();
}

} // namespace

const QStringList& skinColourRoles()
{
    static const QStringList roles{QStringLiteral("window"),    QStringLiteral("window-text"),
                                   QStringLiteral("base"),      QStringLiteral("text"),
                                   QStringLiteral("button"),    QStringLiteral("button-text"),
                                   QStringLiteral("highlight"), QStringLiteral("highlight-text"),
                                   QStringLiteral("frame")};
    return roles;
}

const SkinScheme* SkinFile::find(const QString& name) const
{
    const QString wanted = name.isEmpty() ? defaultScheme : name;
    for (const SkinScheme& scheme : schemes) {
        if (scheme.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return &scheme;
    }
    return nullptr;
}

SkinFile parseSkinFile(const QByteArray& bytes)
{
    if (bytes.size() > kLargestSkinFile)
        throw Failure(
            QStringLiteral("Invalid skin file (larger than %1 bytes)").arg(kLargestSkinFile));
    if (bytes.contains('\0'))
        throw Failure(QStringLiteral("Invalid skin file (not a text file)"));
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        throw Failure(QStringLiteral("Invalid skin file (not UTF-8 text)"));

    enum class Section { None, Header, Scheme };
    Section section = Section::None;
    bool sawFormat = false;
    SkinFile skin;

    const QStringList lines = text.split(u'\n');
    for (int index = 0; index < lines.size(); ++index) {
        const int lineNumber = index + 1;
        QString line = lines[index];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#'))
            continue;

        if (trimmed.startsWith(u'[')) {
            if (!trimmed.endsWith(u']'))
                throw invalidSkin(lineNumber, QStringLiteral("unclosed section"));
            const QString header = trimmed.mid(1, trimmed.size() - 2).trimmed();
            if (header == u"skin") {
                if (section != Section::None)
                    throw invalidSkin(lineNumber, QStringLiteral("[skin] must come first, once"));
                section = Section::Header;
            } else if (header.startsWith(QStringLiteral("scheme "))) {
                if (section == Section::None)
                    throw invalidSkin(lineNumber,
                                      QStringLiteral("the file must start with [skin]"));
                const QString name = header.mid(7).trimmed();
                if (!isValidSchemeName(name))
                    throw invalidSkin(lineNumber, QStringLiteral("bad scheme name"));
                if (skin.find(name))
                    throw invalidSkin(lineNumber, QStringLiteral("scheme defined twice"));
                if (skin.schemes.size() >= kMostSchemes)
                    throw invalidSkin(lineNumber, QStringLiteral("too many schemes"));
                skin.schemes.append(SkinScheme{name, {}, {}});
                section = Section::Scheme;
            } else {
                throw invalidSkin(lineNumber, QStringLiteral("unknown section"));
            }
            continue;
        }

        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            throw invalidSkin(lineNumber, QStringLiteral("expected key = value"));
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();

        switch (section) {
        case Section::None:
            throw invalidSkin(lineNumber, QStringLiteral("the file must start with [skin]"));
        case Section::Header:
            if (key == u"format") {
                if (value != QLatin1String(kFormatLine))
                    throw invalidSkin(lineNumber, QStringLiteral("unsupported format"));
                sawFormat = true;
            } else if (key == u"default") {
                skin.defaultScheme = value;
            } else {
                throw invalidSkin(lineNumber, QStringLiteral("unknown key"));
            }
            break;
        case Section::Scheme: {
            SkinScheme& scheme = skin.schemes.last();
            if (key == u"style") {
                scheme.styleSheet += value + u'\n';
            } else if (skinColourRoles().contains(key)) {
                QColor colour;
                if (!parseColour(value, colour))
                    throw invalidSkin(lineNumber, QStringLiteral("bad colour"));
                scheme.colours.insert(key, colour);
            } else {
                throw invalidSkin(lineNumber, QStringLiteral("unknown key"));
            }
            break;
        }
        }
    }

    if (!sawFormat)
        throw Failure(QStringLiteral("Invalid skin file (no format line)"));
    if (skin.schemes.isEmpty())
        throw Failure(QStringLiteral("Invalid skin file (no scheme)"));
    if (skin.defaultScheme.isEmpty())
        skin.defaultScheme = skin.schemes.constFirst().name;
    if (!skin.find(skin.defaultScheme))
        throw Failure(QStringLiteral("Invalid skin file (the default scheme is missing)"));
    for (const SkinScheme& scheme : skin.schemes) {
        if (!scheme.colours.contains(QStringLiteral("window")))
            throw Failure(QStringLiteral("Invalid skin file (scheme %1 has no window colour)")
                              .arg(scheme.name));
    }
    return skin;
}

} // namespace tandemo
