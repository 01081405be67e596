// The real program, started as a user starts it, on its own X server: what it shows at start-up
// and how it ends when the window manager closes its window.
#include "fakes/fake_window.h"
#include "support/player_testing.h"
#include "support/x11_client.h"
#include "window/form1.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <memory>
#include <optional>
#include <sys/stat.h>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

/// Runs xdotool with the arguments; its output, trimmed, or nothing when it failed.
std::optional<QString> xdotool(const QStringList& arguments, int timeoutMs = kPlayerTimeoutMs)
{
    QProcess process;
    process.start("xdotool", arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitCode() != 0) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

/// The top-level window of the process with exactly that title, waiting for it to be mapped.
/// (Native child windows inherit the title but carry no process id.)
quint32 waitForWindow(const QProcess& process, const QString& title)
{
    QString found;
    (void)QTest::qWaitFor(
        [&] {
            found = xdotool({"search", "--all", "--onlyvisible", "--pid",
                             QString::number(process.processId()), "--name", "^" + title + "$"},
                            5000)
                        .value_or(QString());
            return !found.isEmpty();
        },
        kPlayerTimeoutMs);
    return found.split('\n').value(0).toUInt();
}

bool sendDeleteWindow(quint32 window)
{
    X11Client client;
    return client.isConnected() && client.sendDeleteWindow(window);
}

/// A copy of the program in a folder of its own, with sample videos beside it.
struct InstalledProgram {
    InstalledProgram()
    {
        const QString program = QStringLiteral(TANDEMO_PROGRAM);
        QFile::copy(program, folder.filePath("tandemo"));
        QDir(folder.path()).mkdir("Samples");
        QFile::copy(mediaPath("red.mp4"), folder.filePath("Samples/1 red.mp4"));
        QFile::copy(mediaPath("blue.mp4"), folder.filePath("Samples/2 blue.mp4"));
    }

    void start(const QStringList& arguments = {})
    {
        process.setProgram(folder.filePath("tandemo"));
        process.setArguments(arguments);
        process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        process.start();
    }

    ~InstalledProgram()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

    QTemporaryDir folder;
    QProcess process;
};

/// Where, in the program's window, the menu command and the middle of each pane are: a window
/// built here the same way, on the same server with the same fonts, has the same geometry.
struct WindowPoints {
    WindowPoints()
    {
        FakeWindow window;
        window.form.show();
        exposed = QTest::qWaitForWindowExposed(&window.form);
        sample = window.form.menuBar()->actionGeometry(window.form.Sample()).center();
        const QRect client = window.form.clientArea()->geometry();
        // The clips are drawn unscaled in the middle of the area above each player's bar.
        left = QPoint(client.left() + client.width() / 4, client.top() + client.height() * 2 / 5);
        right = QPoint(client.left() + client.width() * 3 / 4, left.y());
    }
    bool exposed = false;
    QPoint sample, left, right;
};

/// The colour at a point of another program's window, read off the screen.
QColor pixelOf(quint32 window, QPoint point)
{
    const std::optional<QString> geometry =
        xdotool({"getwindowgeometry", "--shell", QString::number(window)});
    if (!geometry)
        return {};
    QPoint origin;
    for (const QString& line : geometry->split('\n')) {
        if (line.startsWith("X="))
            origin.setX(line.mid(2).toInt());
        else if (line.startsWith("Y="))
            origin.setY(line.mid(2).toInt());
    }
    const QPoint onScreen = origin + point;
    const QImage picture =
        QGuiApplication::primaryScreen()->grabWindow(0, onScreen.x(), onScreen.y(), 1, 1).toImage();
    return picture.isNull() ? QColor() : picture.pixelColor(0, 0);
}

} // namespace

class TestProgramX11 : public QObject {
    Q_OBJECT

private slots:
    void closingWhileBothPlayEndsTheProcessPromptly()
    {
        const WindowPoints points;
        QVERIFY(points.exposed);
        InstalledProgram program;
        program.start();
        const quint32 window = waitForWindow(program.process, "Tandemo Software");
        QVERIFY(window != 0);

        QVERIFY(xdotool({"mousemove", "--window", QString::number(window),
                         QString::number(points.sample.x()), QString::number(points.sample.y()),
                         "click", "1"}));
        QTRY_VERIFY_WITH_TIMEOUT(colourDistance(pixelOf(window, points.left), Qt::red) <= 8 &&
                                     colourDistance(pixelOf(window, points.right), Qt::blue) <= 8,
                                 kPlayerTimeoutMs);

        const qint64 pid = program.process.processId();
        QElapsedTimer closing;
        closing.start();
        QVERIFY(sendDeleteWindow(window));
        QVERIFY(program.process.waitForFinished(kPlayerTimeoutMs));
        qInfo("closed to exited in %lld ms", closing.elapsed());
        QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.process.exitCode(), 0);
        QVERIFY(!QFile::exists(QString("/proc/%1").arg(pid)));
    }

    void closingWhileMeasuringEndsTheProcessAtOnce()
    {
        // Each try: both play, `d` measures in the background, and the first close ends it.
        const WindowPoints points;
        QVERIFY(points.exposed);
        for (int attempt = 0; attempt < 4; ++attempt) {
            InstalledProgram program;
            program.start({mediaPath("large.avi"), mediaPath("large.avi")});
            const quint32 window = waitForWindow(program.process, "Tandemo Software");
            // No window: whether the program still runs, and what it said, tell why.
            QVERIFY2(window != 0,
                     qPrintable(
                         QString("try %1, %2: %3")
                             .arg(attempt)
                             .arg(program.process.state() == QProcess::Running
                                      ? "running"
                                      : "ended with " + QString::number(program.process.exitCode()))
                             .arg(QString::fromLocal8Bit(
                                 program.process.readAllStandardError().right(2000)))));
            QTRY_VERIFY_WITH_TIMEOUT(pixelOf(window, points.left).isValid() &&
                                         pixelOf(window, points.left) != QColor(Qt::white),
                                     kPlayerTimeoutMs);
            const QString id = QString::number(window);
            QVERIFY(xdotool({"mousemove", "--window", id, QString::number(points.left.x()),
                             QString::number(points.left.y()), "click", "1"}));
            QVERIFY(xdotool({"key", "--window", id, "d"}));
            QTest::qWait(150 * attempt); // closed at a different moment of the measuring each time
            QVERIFY(sendDeleteWindow(window));
            QVERIFY2(program.process.waitForFinished(5000),
                     qPrintable(QString("still running after try %1").arg(attempt)));
            QCOMPARE(program.process.exitCode(), 0);
        }
    }

    void filesOnTheCommandLinePlayLeftAndRight()
    {
        const WindowPoints points;
        QVERIFY(points.exposed);
        InstalledProgram program;
        // An unknown option is named and passed over: the window opens all the same.
        program.start(
            {"--no-such-option", mediaPath("red.mp4"), mediaPath("blue.mp4"), "third.avi"});
        const quint32 window = waitForWindow(program.process, "Tandemo Software");
        QVERIFY(window != 0);
        QTRY_VERIFY_WITH_TIMEOUT(colourDistance(pixelOf(window, points.left), Qt::red) <= 8 &&
                                     colourDistance(pixelOf(window, points.right), Qt::blue) <= 8,
                                 kPlayerTimeoutMs);
        // Past the second, a file is a rendition the right pane holds: nothing is ignored.
        const QByteArray errors = program.process.readAllStandardError();
        QVERIFY(!errors.contains("two panes only"));
        QVERIFY(errors.contains("unknown option --no-such-option, ignored"));
        QVERIFY(sendDeleteWindow(window));
        QVERIFY(program.process.waitForFinished(kPlayerTimeoutMs));
    }

    void afterTwoDashesEveryArgumentIsAFileNameNotAnOptionOfQts()
    {
        // Taken as Qt's, these would hide the window off the display and hang reading a pipe.
        InstalledProgram program;
        const QString pipe = program.folder.filePath("style.qss");
        QVERIFY(mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        program.start({"--", "-platform", "offscreen", "-stylesheet=" + pipe, "a\x1b[2J.avi"});
        const quint32 window = waitForWindow(program.process, "Tandemo Software");
        QVERIFY(window != 0);
        QVERIFY(sendDeleteWindow(window));
        QVERIFY(program.process.waitForFinished(kPlayerTimeoutMs));
        // The names past the second are renditions the right pane holds, opened only when shown
        // (the pipe never is: it is no regular file); no control character reaches the terminal.
        const QByteArray errors = program.process.readAllStandardError();
        QVERIFY2(!errors.contains('\x1b'), errors.constData());
    }

    void helpAndVersionAnswerWithoutAWindow()
    {
        const auto run = [](const QStringList& arguments, QByteArray* out, QByteArray* err) {
            QProcess process;
            // No display is needed for these.
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.remove("DISPLAY");
            process.setProcessEnvironment(environment);
            process.start(QStringLiteral(TANDEMO_PROGRAM), arguments);
            if (!process.waitForFinished(kPlayerTimeoutMs))
                return -1;
            *out = process.readAllStandardOutput();
            *err = process.readAllStandardError();
            return process.exitCode();
        };
        QByteArray out, err;
        QCOMPARE(run({"--version"}, &out, &err), 0);
        QVERIFY2(out.startsWith("Tandemo Software 7.00\n"), out.constData());
        QCOMPARE(run({"--help"}, &out, &err), 0);
        QVERIFY(out.startsWith("Usage: tandemo [OPTION]... [REFERENCE [RENDITION]...]"));
    }

    void theUnpackedPackageFindsItsSamplesThroughTheLink()
    {
        const QStringList packages =
            QDir(TANDEMO_PACKAGE_DIR).entryList({"tandemo_*.deb"}, QDir::Files);
        QCOMPARE(packages.size(), 1);
        QTemporaryDir root;
        QProcess unpack;
        unpack.start("dpkg-deb",
                     {"-x", QString(TANDEMO_PACKAGE_DIR "/") + packages[0], root.path()});
        QVERIFY(unpack.waitForFinished(kPlayerTimeoutMs) && unpack.exitCode() == 0);

        // The program's folder holds what the program looks for beside itself.
        const QDir program(root.filePath("usr/lib/tandemo"));
        QVERIFY(QFileInfo(program.filePath("tandemo")).isExecutable());
        QCOMPARE(program.entryList({"*.mp4"}, QDir::Files, QDir::Name).size(), 0);
        QCOMPARE(QDir(program.filePath("Samples")).entryList(QDir::Files).size(), 2);
        QVERIFY(QFileInfo(program.filePath("x")).isDir());
        const QFileInfo link(root.filePath("usr/bin/tandemo"));
        QVERIFY(link.isSymLink());
        QCOMPARE(link.symLinkTarget(), program.filePath("tandemo"));
        for (const char* file :
             {"usr/share/applications/com.quillmark.tandemo.desktop",
              "usr/share/metainfo/com.quillmark.tandemo.metainfo.xml",
              "usr/share/icons/hicolor/48x48/apps/com.quillmark.tandemo.png",
              "usr/share/icons/hicolor/256x256/apps/com.quillmark.tandemo.png",
              "usr/share/man/man1/tandemo.1.gz", "usr/share/doc/tandemo/copyright"})
            QVERIFY2(QFileInfo::exists(root.filePath(file)), file);
        QProcess control;
        control.start("dpkg-deb",
                      {"-f", QString(TANDEMO_PACKAGE_DIR "/") + packages[0], "Depends"});
        QVERIFY(control.waitForFinished(kPlayerTimeoutMs));
        QVERIFY(control.readAllStandardOutput().contains("libmpv2"));

        // Started through the link, the sample command plays the packaged samples: the panes,
        // black before, show pictures.
        const WindowPoints points;
        QVERIFY(points.exposed);
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(link.filePath());
        const quint32 window = waitForWindow(process, "Tandemo Software");
        QVERIFY(window != 0);
        QVERIFY(colourDistance(pixelOf(window, points.left), Qt::black) <= 8);
        QVERIFY(xdotool({"mousemove", "--window", QString::number(window),
                         QString::number(points.sample.x()), QString::number(points.sample.y()),
                         "click", "1"}));
        QTRY_VERIFY_WITH_TIMEOUT(colourDistance(pixelOf(window, points.left), Qt::black) > 8 &&
                                     colourDistance(pixelOf(window, points.right), Qt::black) > 8,
                                 kPlayerTimeoutMs);
        QVERIFY(sendDeleteWindow(window));
        QVERIFY(process.waitForFinished(kPlayerTimeoutMs));
    }

    void garbageCursorFileIsReportedBeforeTheWindowShows()
    {
        InstalledProgram program;
        QFile cursor(program.folder.filePath("HAND-M.CUR"));
        QVERIFY(cursor.open(QIODevice::WriteOnly));
        cursor.write(QByteArray(2048, '\x5a'));
        cursor.close();
        program.start();

        const quint32 box = waitForWindow(program.process, "Application Error");
        QVERIFY(box != 0);
        // The main window is not shown until the report has been closed.
        QVERIFY(
            !xdotool({"search", "--all", "--onlyvisible", "--pid",
                      QString::number(program.process.processId()), "--name", "^Tandemo Software$"},
                     5000));
        // The user presses Enter on the box's one button (again, should the key have gone
        // before the box had the focus: without a window manager nothing waits for that).
        const auto shown = [&](const QString& title) {
            return xdotool({"search", "--all", "--onlyvisible", "--pid",
                            QString::number(program.process.processId()), "--name",
                            "^" + title + "$"},
                           5000)
                .value_or(QString())
                .split('\n')
                .value(0)
                .toUInt();
        };
        quint32 window = 0;
        QVERIFY(QTest::qWaitFor(
            [&] {
                if (shown("Application Error") == box) {
                    xdotool({"windowfocus", "--sync", QString::number(box)});
                    xdotool({"key", "Return"});
                    QTest::qWait(500);
                }
                return (window = shown("Tandemo Software")) != 0;
            },
            kPlayerTimeoutMs));
        QVERIFY(sendDeleteWindow(window));
        QVERIFY(program.process.waitForFinished(kPlayerTimeoutMs));
        QCOMPARE(program.process.exitCode(), 0);
    }
};

QTEST_MAIN(TestProgramX11)
#include "test_program_x11.moc"
