#include "app/command_line.h"

#include "platform/file_names.h"
#include "resources/version.h"
#include "session/player_keys.h"

namespace tandemo {

namespace {

// Options that QApplication takes out of the arguments, with or without a value to follow.
const QList<QByteArray> kQtOptionsWithValue{"platform",
                                            "platformpluginpath",
                                            "platformtheme",
                                            "plugin",
                                            "qwindowgeometry",
                                            "qwindowicon",
                                            "qwindowtitle",
                                            "session",
                                            "style",
                                            "stylesheet",
                                            "display",
                                            "geometry",
                                            "title",
                                            "name",
                                            "visual",
                                            "ncols",
                                            "cmap",
                                            "fontengine"};
const QList<QByteArray> kQtFlags{"reverse", "widgetcount", "nograb", "dograb", "sync"};

/// How many arguments a Qt option at `argument` takes up (0 when it is none).
int qtOptionLength(const QByteArray& argument)
{
    QByteArray name = argument.startsWith("--") ? argument.mid(2) : argument.mid(1);
    if (name.startsWith("qmljsdebugger="))
        return 1;
    if (const qsizetype equals = name.indexOf('='); equals > 0)
        return kQtOptionsWithValue.contains(name.left(equals)) ? 1 : 0;
    if (kQtOptionsWithValue.contains(name))
        return 2;
    return kQtFlags.contains(name) ? 1 : 0;
}

} // namespace

qsizetype optionsLength(const QList<QByteArray>& arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--")
            return i;
        if (arguments[i].startsWith('-')) {
            if (const int length = qtOptionLength(arguments[i]))
                i += length - 1;
        }
    }
    return arguments.size();
}

CommandLine parseCommandLine(const QList<QByteArray>& arguments, bool passQtOptions)
{
    CommandLine line;
    bool options = true;
    QStringList files;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments[i];
        if (options && passQtOptions && argument.startsWith('-')) {
            if (const int length = qtOptionLength(argument)) {
                i += length - 1;
                continue;
            }
        }
        if (options && argument == "--") {
            options = false;
        } else if (options && (argument == "--help" || argument == "-h")) {
            line.action = CommandLine::Action::ShowHelp;
            return line;
        } else if (options && argument == "--version") {
            line.action = CommandLine::Action::ShowVersion;
            return line;
        } else if (options && argument.startsWith('-') && argument != "-") {
            line.unknownOptions << decodeFileName(argument);
        } else {
            files << decodeFileName(argument);
        }
    }
    line.files = files.mid(0, 2);
    line.ignored = files.mid(2);
    return line;
}

QString usageText()
{
    return QStringLiteral("Usage: tandemo [FILE [FILE]]\n"
                          "Plays two videos side by side, each looping endlessly: the first FILE\n"
                          "in the left pane, the second in the right.\n"
                          "\n"
                          "  --help      show this text and exit\n"
                          "  --version   show the program's version and exit\n"
                          "  --          treat every later argument as a file\n");
}

QString helpText()
{
    return usageText() + QStringLiteral("\nKeys and gestures, in the pane that has the focus:\n") +
           keysAsText();
}

QString versionText()
{
    return QStringLiteral("%1 %2\n%3, version %4\n%5\n")
        .arg(QLatin1String(version::kProduct), QLatin1String(version::kDisplayVersion),
             QLatin1String(version::kCompany), QLatin1String(version::kNumericVersion),
             QLatin1String(version::kHomePage));
}

} // namespace tandemo
