// Measures the program as a user meets it, on an X server (run it under xvfb-run):
//
//   tandemo-bench-window startup --program EXE [--runs N] [-- ARGUMENTS...]
//       launch of the executable (tandemo, or another player to compare) to its window mapped
//   tandemo-bench-window close --program EXE --samples DIR [--runs N]
//       with the sample videos playing, the window manager's close to the process's exit
//   tandemo-bench-window skew --samples DIR [--runs N] [--path gl|software]
//       the sample command to each pane's first frame, and the skew between the two panes
//   tandemo-bench-window switch [--runs N] [--path gl|software] REFERENCE RENDITION...
//       Tab in the right pane, paused and linked, to the next rendition's picture of the same
//       moment on screen, and the memory the renditions held cost
//
// Each prints one line per run and a summary line "name: median M ms (min A, max B)".

#include "app/desktop_services.h"
#include "app/platform_components.h"
#include "bench/gl_choice.h"
#include "fs/file_helpers.h"
#include "platform/qt_common_dialog.h"
#include "playback/empty_player.h"
#include "playback/video_player.h"
#include "skin/skin_engine.h"
#include "support/x11_client.h"
#include "window/component_factory.h"
#include "window/form1.h"
#include "window/sample_videos.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <signal.h>
#include <sys/wait.h>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

constexpr int kTimeoutMs = 30000;

void printSummary(const char* name, std::vector<double> values)
{
    if (values.empty()) {
        std::printf("%s: no result\n", name);
        return;
    }
    std::sort(values.begin(), values.end());
    std::printf("%s: median %.1f ms (min %.1f, max %.1f, %zu runs)\n", name,
                values[values.size() / 2], values.front(), values.back(), values.size());
}

/// A window laid out like the program's, without players, to learn where things are.
class LayoutOnlyComponents : public ComponentFactory {
public:
    MediaPlayer* createMediaPlayer(QWidget* frame) override
    {
        return new EmptyPlayer(QString(), frame);
    }
    CommonDialog* createCommonDialog(QWidget* window) override
    {
        return new QtCommonDialog(window);
    }
    SkinFramework* createSkinFramework(QWidget* window) override { return new SkinEngine(window); }
};

struct WindowPoints {
    QPoint sample, left, right;
};

WindowPoints windowPoints()
{
    LayoutOnlyComponents components;
    Form1 form(components);
    form.show();
    (void)QTest::qWaitForWindowExposed(&form);
    const QRect client = form.clientArea()->geometry();
    return {form.menuBar()->actionGeometry(form.Sample()).center(),
            QPoint(client.left() + client.width() / 4, client.top() + client.height() * 2 / 5),
            QPoint(client.left() + client.width() * 3 / 4, client.top() + client.height() * 2 / 5)};
}

/// A copy of the program in a folder of its own, with the samples beside it.
struct InstalledProgram {
    InstalledProgram(const QString& program, const QString& samples)
    {
        QFile::copy(program, folder.filePath("tandemo"));
        if (!samples.isEmpty())
            QFile::link(QFileInfo(samples).absoluteFilePath(), folder.filePath("Samples"));
    }
    QString executable() const { return folder.filePath("tandemo"); }
    QTemporaryDir folder;
};

std::vector<double> measureStartUp(const QString& program, const QStringList& arguments, int runs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        X11Client x11;
        x11.watchMappedWindows();
        QProcess process;
        QElapsedTimer clock;
        clock.start();
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, arguments);
        process.waitForStarted();
        const auto window = x11.waitForMappedWindow(uint32_t(process.processId()), kTimeoutMs);
        const double elapsed = clock.nsecsElapsed() / 1e6;
        process.kill();
        process.waitForFinished();
        if (!window)
            continue;
        std::printf("start-up run %d: %.1f ms\n", run + 1, elapsed);
        times.push_back(elapsed);
    }
    return times;
}

QColor screenPixel(QPoint point)
{
    const QImage picture =
        QGuiApplication::primaryScreen()->grabWindow(0, point.x(), point.y(), 1, 1).toImage();
    return picture.isNull() ? QColor() : picture.pixelColor(0, 0);
}

std::vector<double> measureClose(const QString& program, const QString& samples, int runs)
{
    const WindowPoints points = windowPoints();
    std::vector<double> times;
    InstalledProgram installed(program, samples);
    for (int run = 0; run < runs; ++run) {
        X11Client x11;
        x11.watchMappedWindows();
        QProcess process;
        process.start(installed.executable());
        process.waitForStarted();
        const auto window = x11.waitForMappedWindow(uint32_t(process.processId()), kTimeoutMs);
        if (!window) {
            process.kill();
            process.waitForFinished();
            continue;
        }
        QProcess::execute("xdotool", {"mousemove", "--window", QString::number(*window),
                                      QString::number(points.sample.x()),
                                      QString::number(points.sample.y()), "click", "1"});
        // Both panes show their video once their middles are no longer black.
        QProcess geometry;
        geometry.start("xdotool", {"getwindowgeometry", "--shell", QString::number(*window)});
        geometry.waitForFinished();
        QPoint origin;
        for (const QString& line : QString(geometry.readAllStandardOutput()).split('\n')) {
            if (line.startsWith("X="))
                origin.setX(line.mid(2).toInt());
            if (line.startsWith("Y="))
                origin.setY(line.mid(2).toInt());
        }
        const auto showing = [&](QPoint point) { return screenPixel(origin + point).value() > 40; };
        const bool playing = QTest::qWaitFor(
            [&] { return showing(points.left) && showing(points.right); }, kTimeoutMs);
        QTest::qWait(1000); // a second of both playing

        QElapsedTimer clock;
        clock.start();
        x11.sendDeleteWindow(*window);
        const bool exited = process.waitForFinished(kTimeoutMs);
        const double elapsed = clock.nsecsElapsed() / 1e6;
        if (!exited) {
            process.kill();
            process.waitForFinished();
        }
        std::printf("close run %d: %s, %s, exit code %d, %.1f ms\n", run + 1,
                    playing ? "both playing" : "NOT PLAYING", exited ? "exited" : "DID NOT EXIT",
                    process.exitCode(), elapsed);
        if (playing && exited)
            times.push_back(elapsed);
    }
    return times;
}

/// The sample command's folder and a program folder around it.
class SampleFolderApplication : public QtApplicationObject {
public:
    explicit SampleFolderApplication(QString folder)
        : m_folder(std::move(folder))
    {
    }
    QString folder() const override { return m_folder; }

private:
    QString m_folder;
};

void measureSkew(const QString& samples, int runs, const VideoPlayerOptions& options)
{
    // The program folder is the one that holds the Samples folder (a link to the given one).
    QTemporaryDir programFolder;
    QFile::link(QFileInfo(samples).absoluteFilePath(), programFolder.filePath("Samples"));
    DesktopServices desktop;
    SampleFolderApplication application(programFolder.path());
    PlatformServices& real = desktop.services();
    PlatformServices services{real.messageBox, real.fileSystem, application, real.pictures,
                              real.random,     real.web,        real.process};

    std::vector<double> lefts, rights, skews, motionSkews;
    for (int run = 0; run < runs; ++run) {
        PlatformComponents components(options);
        Form1 form(components);
        form.MediaPlayer1()->settings().setMode("loop", true);
        form.MediaPlayer2()->settings().setMode("loop", true);
        form.show();
        (void)QTest::qWaitForWindowExposed(&form);
        auto* left = qobject_cast<VideoPlayer*>(form.MediaPlayer1());
        auto* right = qobject_cast<VideoPlayer*>(form.MediaPlayer2());
        if (!left || !right) {
            std::fprintf(stderr, "the video engine did not start\n");
            return;
        }
        // For each pane, its first picture, and its first frame past the start: when it began
        // to move.
        QElapsedTimer clock;
        double first[2] = {-1, -1};
        double moving[2] = {-1, -1};
        VideoPlayer* panes[2] = {left, right};
        for (int i = 0; i < 2; ++i) {
            QObject::connect(panes[i], &VideoPlayer::frameRendered, [&, i] {
                const double now = clock.nsecsElapsed() / 1e6;
                if (first[i] < 0)
                    first[i] = now;
                else if (moving[i] < 0 && panes[i]->engine().position() > 0.001)
                    moving[i] = now;
            });
        }
        clock.start();
        Sample_Click(form, services);
        if (!QTest::qWaitFor([&] { return moving[0] >= 0 && moving[1] >= 0; }, kTimeoutMs)) {
            std::printf("skew run %d: a pane showed no frame or did not move\n", run + 1);
            continue;
        }
        std::printf("skew run %d: first frames left %.1f ms, right %.1f ms, skew %.1f ms; moving "
                    "from %.1f and %.1f ms, skew %.1f ms (%s)\n",
                    run + 1, first[0], first[1], std::abs(first[0] - first[1]), moving[0],
                    moving[1], std::abs(moving[0] - moving[1]),
                    qPrintable(renderPathName(left->renderPath())));
        lefts.push_back(first[0]);
        rights.push_back(first[1]);
        skews.push_back(std::abs(first[0] - first[1]));
        motionSkews.push_back(std::abs(moving[0] - moving[1]));
    }
    printSummary("sample command to left first frame", lefts);
    printSummary("sample command to right first frame", rights);
    printSummary("first-frame skew between panes", skews);
    printSummary("skew between the panes' starts of motion", motionSkews);
}

/// The resident memory of this process, in MiB.
double residentMiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return -1;
}

void measureSwitch(const QStringList& files, int runs, const VideoPlayerOptions& options)
{
    PlatformComponents components(options);
    Form1 form(components);
    form.show();
    (void)QTest::qWaitForWindowExposed(&form);
    auto* left = qobject_cast<VideoPlayer*>(form.MediaPlayer1());
    auto* right = qobject_cast<VideoPlayer*>(form.MediaPlayer2());
    if (!left || !right || files.size() < 3) {
        std::fprintf(stderr, "the video engine did not start, or too few renditions\n");
        return;
    }
    const auto settled = [&](double at) {
        return QTest::qWaitFor(
            [&] {
                return left->engine().isPaused() && right->engine().isPaused() &&
                       std::abs(left->engine().position() - at) < 0.05 &&
                       right->engine().duration() > 0;
            },
            kTimeoutMs);
    };
    left->setURL(files[0]);
    right->setURL(files[1]);
    if (!QTest::qWaitFor(
            [&] { return right->engine().duration() > 0 && left->engine().duration() > 0; },
            kTimeoutMs)) {
        std::fprintf(stderr, "the files did not open\n");
        return;
    }
    left->link()->setLinked(true);
    // Both playing first (a file just opened may wait to start with the other), then paused.
    (void)QTest::qWaitFor(
        [&] { return !left->engine().isPaused() && left->engine().position() > 0.2; }, kTimeoutMs);
    left->actions().togglePlayPause();
    (void)QTest::qWaitFor([&] { return left->engine().isPaused(); }, kTimeoutMs);
    left->actions().seekTo(5.0);
    if (!settled(5.0)) {
        std::fprintf(stderr, "the panes did not pause at 5 s: %.3f, %.3f\n",
                     left->engine().position(), right->engine().position());
        return;
    }
    const double alone = residentMiB();
    components.session().renditions().hold(1, files.mid(1));
    // The right pane's file is the first rendition already: holding the others opens nothing.
    const double holding = residentMiB();

    std::vector<double> switches;
    double largest = holding;
    for (int run = 0; run < runs * int(files.size() - 1); ++run) {
        QElapsedTimer clock;
        double shown = -1;
        bool restarted = false;
        const auto restart = QObject::connect(&right->engine(), &PlaybackEngine::playbackRestarted,
                                              [&] { restarted = true; });
        const auto frame = QObject::connect(right, &VideoPlayer::frameRendered, [&] {
            if (restarted && shown < 0)
                shown = clock.nsecsElapsed() / 1e6;
        });
        right->setFocus();
        clock.start();
        QTest::keyClick(right, Qt::Key_Tab);
        const bool done = QTest::qWaitFor([&] { return shown >= 0; }, kTimeoutMs);
        QObject::disconnect(restart);
        QObject::disconnect(frame);
        if (!done) {
            std::printf("switch %d: no picture\n", run + 1);
            continue;
        }
        switches.push_back(shown);
        largest = std::max(largest, residentMiB());
        std::printf("switch %d: %s on screen after %.1f ms (%s)\n", run + 1,
                    qPrintable(QFileInfo(right->engine().file()).fileName()), shown,
                    qPrintable(renderPathName(right->renderPath())));
        QTest::qWait(300);
    }
    printSummary("rendition switch to its picture on screen", switches);
    std::printf("memory: %.0f MiB with one rendition, %.0f MiB holding %lld, %.0f MiB at the "
                "most while switching\n",
                alone, holding, (long long)(files.size() - 1), largest);
}

} // namespace

int main(int argc, char* argv[])
{
    chooseGlLikeTheProgram(argc, argv);
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument("measure", "startup, close, skew or switch");
    parser.addOption({"program", "The tandemo executable.", "file"});
    parser.addOption({"samples", "A folder of sample videos.", "folder"});
    parser.addOption({"runs", "Number of runs (default 10).", "n", "10"});
    parser.addOption({"path", "Render path: gl or software (default: automatic).", "path"});
    parser.process(app);
    const QString measure = parser.positionalArguments().value(0);
    const int runs = parser.value("runs").toInt();

    if (measure == "startup") {
        printSummary(
            "launch to window mapped",
            measureStartUp(parser.value("program"), parser.positionalArguments().mid(1), runs));
    } else if (measure == "close") {
        printSummary("close to exit while playing",
                     measureClose(parser.value("program"), parser.value("samples"), runs));
    } else if (measure == "switch") {
        VideoPlayerOptions options;
        options.renderPath = renderPathOption(parser.value("path"));
        measureSwitch(parser.positionalArguments().mid(1), runs, options);
    } else if (measure == "skew") {
        VideoPlayerOptions options;
        options.renderPath = renderPathOption(parser.value("path"));
        measureSkew(parser.value("samples"), runs, options);
    } else {
        parser.showHelp(2);
    }
    return 0;
}
