#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tandemo {

/// What the command line `tandemo [OPTION] [FILE [FILE...]]` asks for: the window, or one of the
/// comparisons that need no screen (`--measure REF R1 [R2...]`, `--align REF R1 [R2...]`,
/// `--export MODE A B OUT`).
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Measure, Align, Export, BadUsage };
    Action action = Action::Run;
    /// The file for the left pane, then those for the right one (renditions of the first, where
    /// there are several); the reference and the renditions compared with it.
    QStringList files;
    /// Measuring: the file the figures go to as CSV (none: the summary only; "-": standard
    /// output), and whether a file that is there may be replaced.
    QString csvFile;
    bool replaceCsv = false;
    /// Aligning: by "sound" or by "picture".
    QString alignBy = QStringLiteral("sound");
    /// Measuring and aligning: each rendition's figures as a line of JSON.
    bool json = false;
    /// Measuring and exporting: how far the second is ahead and its pace (as the link keeps
    /// them), or aligned first by "sound" or "picture" (empty: not).
    double offset = 0;
    double pace = 1;
    QString alignFirstBy;
    /// The libavfilter chains each side's pictures go through (the right one for every
    /// rendition).
    QString leftFilter;
    QString rightFilter;
    /// The peak in nits an HDR video's mapping to the standard range assumes (0: its own).
    double hdrPeak = 0;
    /// Exporting: the layout ("side-by-side", "wipe", "difference", "onion") and the new file.
    QString exportLayout;
    QString exportFile;
    /// Why the arguments cannot be carried out.
    QString usageError;
    /// Files past those the action takes, which are not used.
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
