#include "app/application_identity.h"
#include "app/command_line.h"
#include "app/comparison_command.h"
#include "app/desktop_services.h"
#include "app/platform_components.h"
#include "platform/file_names.h"
#include "platform/memory_arenas.h"
#include "playback/media_player.h"
#include "video/render_path.h"
#include "window/form1.h"
#include "window/form1_events.h"
#include "window/start_up.h"

#include <QApplication>

#include <cstdio>
#include <vector>

namespace {

QList<QByteArray> argumentsOf(int argc, char* argv[])
{
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    return arguments;
}

/// Answers --help and --version, and carries out the comparisons that need no window; -1 when
/// the window is to run.
int answerWithoutWindow(const tandemo::CommandLine& line, int argc, char* argv[])
{
    using Action = tandemo::CommandLine::Action;
    switch (line.action) {
    case Action::Measure:
    case Action::Align:
    case Action::Export:
    case Action::BadUsage:
        return tandemo::runComparisonCommand(line, argc, argv);
    case Action::ShowHelp:
        std::fputs(qPrintable(tandemo::helpText()), stdout);
        return 0;
    case Action::ShowVersion:
        std::fputs(qPrintable(tandemo::versionText()), stdout);
        return 0;
    case Action::Run:
        break;
    }
    return -1;
}

/// Whether the window has somewhere to go: a display, or a platform named for Qt (the offscreen
/// one, say). Without either Qt would abort; a program run from a script says so and fails.
bool hasDisplay(const QList<QByteArray>& arguments)
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    }
    const qsizetype options = tandemo::optionsLength(arguments);
    for (qsizetype i = 0; i < options; ++i) {
        const QByteArray& argument = arguments[i];
        if (argument == "-platform" || argument == "--platform" ||
            argument.startsWith("-platform=") || argument.startsWith("--platform="))
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    tandemo::tuneAllocatorForPictures();
    // Help, version and the comparisons of the command line need no display; Qt's own options
    // (such as -platform) are passed over here and taken out of the arguments by QApplication
    // before they are read again.
    const tandemo::CommandLine early =
        tandemo::parseCommandLine(argumentsOf(argc, argv), /*passQtOptions=*/true);
    if (const int status = answerWithoutWindow(early, argc, argv); status >= 0)
        return status;

    if (!hasDisplay(argumentsOf(argc, argv))) {
        std::fputs("tandemo: no display to show the window on (neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set); --measure, --align and --export need none\n",
                   stderr);
        return 2;
    }
    tandemo::skipGlWithoutGpu();
    // Qt sees only the arguments before "--"; the file names after it are added back once Qt
    // has taken its own options out of the rest.
    const QList<QByteArray> arguments = argumentsOf(argc, argv);
    const qsizetype optionsEnd = tandemo::optionsLength(arguments);
    int qtArgc = int(1 + optionsEnd);
    std::vector<char*> qtArgv(argv, argv + qtArgc);
    qtArgv.push_back(nullptr);
    QApplication app(qtArgc, qtArgv.data());
    const tandemo::CommandLine line =
        tandemo::parseCommandLine(argumentsOf(qtArgc, qtArgv.data()) + arguments.mid(optionsEnd));
    if (const int status = answerWithoutWindow(line, argc, argv); status >= 0)
        return status;
    for (const QString& option : line.unknownOptions)
        std::fprintf(stderr, "tandemo: unknown option %s, ignored\n",
                     qPrintable(tandemo::printableName(option)));
    tandemo::applyApplicationIdentity();

    tandemo::DesktopServices desktop;
    tandemo::PlatformComponents components;
    tandemo::Form1 window(components);
    desktop.setMainWindow(&window);
    tandemo::connectEventHandlers(window, desktop.services());

    tandemo::Form_Load(window, desktop.services());
    window.show();
    // Files named on the command line play as if written to each player's URL after start-up.
    if (!line.files.isEmpty())
        window.MediaPlayer1()->setURL(line.files[0]);
    // Past the first, the files are renditions that the right pane holds.
    if (line.files.size() > 2)
        components.session().renditions().hold(1, line.files.mid(1));
    if (line.files.size() > 1)
        window.MediaPlayer2()->setURL(line.files[1]);
    return app.exec();
}
