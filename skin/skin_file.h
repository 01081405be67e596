#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QMap>
#include <QString>

namespace tandemo {

/// One colour scheme of a skin: colours by role name and an optional style sheet.
struct SkinScheme {
    QString name;
    QMap<QString, QColor> colours;
    QString styleSheet;

    /// The colour of a role, or the fallback when the scheme leaves it out.
    QColor colour(const QString& role, const QColor& fallback) const
    {
        return colours.value(role, fallback);
    }
};

/// A parsed skin file: its schemes and the name of the default one.
struct SkinFile {
    QString defaultScheme;
    QList<SkinScheme> schemes;

    /// The scheme of that name (letter case ignored), the default one for an empty name, or
    /// nullptr.
    const SkinScheme* find(const QString& name) const;
};

/// The largest skin file accepted, in bytes.
inline constexpr qint64 kLargestSkinFile = 256 * 1024;

/// The colour roles a scheme may set.
const QStringList& skinColourRoles();

/// Parses a skin file (format described in resources/skins/README.md). Throws Failure, with the
/// line that is wrong, for anything that is not a complete skin.
SkinFile parseSkinFile(const QByteArray& bytes);

} // namespace tandemo
