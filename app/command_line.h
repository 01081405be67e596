#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tandemo {

/// What the command line `tandemo [OPTION] [FILE [FILE]]` asks for: the window, or one of the
/// comparisons that need no screen (`--measure A B`, `--align A B`, `--export MODE A B OUT`).
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Measure, Align, Export, BadUsage };
    Action action = Action::Run;
    /// The files for the left and the right pane, in that order (at most two); the two compared.
    QStringList files;
    /// Measuring: the file the figures go to as CSV (none: the summary only; "-": standard
    /// output), and whether a file that is there may be replaced.
    QString csvFile;
    bool replaceCsv = false;
    /// Aligning: by "sound" or by "picture".
    QString alignBy = QStringLiteral("sound");
    /// Exporting: the layout ("side-by-side", "wipe", "difference", "onion") and the new file.
    QString exportLayout;
    QString exportFile;
    /// Why the arguments cannot be carried out.
    QString usageError;
    /// Files past the second, which are not played.
    QStringList ignored;
    /// Options the program does not know: passed over, with a warning, so that it still starts.
    QStringList unknownOptions;
};

/// Reads the arguments after the program's name, as the bytes the system gave them, so that
/// file names that are not UTF-8 are kept. "--" ends the options. With `passQtOptions`, the
/// options Qt itself reads (such as -platform NAME) are passed over instead of being taken as
/// unknown: that is
/// how the arguments look before QApplication has taken its own out.
CommandLine parseCommandLine(const QList<QByteArray>& arguments, bool passQtOptions = false);

/// How many of the arguments come before the "--" that ends the options (the values of Qt's own
/// options passed over); all of them when there is none. Only these may reach QApplication:
/// after "--" every argument is a file name, however much it looks like an option of Qt's.
qsizetype optionsLength(const QList<QByteArray>& arguments);

/// The usage text, and the product facts that --version prints.
QString usageText();
/// What --help prints: the usage, then the keys and gestures of the players.
QString helpText();
QString versionText();

} // namespace tandemo
