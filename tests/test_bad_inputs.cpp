// Whatever lies on the disk, fed through the real players, adapters and handlers: the program
// keeps running, reports only what it reports for good files' failures, reaches no network, and
// the players take the next good file.
#include "app/start_up.h"
#include "fakes/fake_components.h"
#include "fakes/fake_services.h"
#include "fs/file_helpers.h"
#include "platform/file_names.h"
#include "platform/mpv/mpv_player.h"
#include "platform/mpv/player_link.h"
#include "platform/platform_components.h"
#include "platform/posix_file_system.h"
#include "platform/qt_picture_loader.h"
#include "platform/skin_engine.h"
#include "platform/transport_bar.h"
#include "playback/sample_videos.h"
#include "support/gui_watchdog.h"
#include "support/player_testing.h"
#include "ui/form1.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QMimeData>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

const QString kCorpus = QStringLiteral(TANDEMO_BAD_INPUTS_DIR);

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

/// Fake dialogs and boxes, the real file system and picture loader, the program in `folder`.
struct RealFiles {
    explicit RealFiles(const QString& folder) { fakes.application.programFolder = folder; }
    FakeServices fakes;
    PosixFileSystem fileSystem;
    QtPictureLoader pictures;
    PlatformServices services{fakes.messageBox, fileSystem, fakes.application, pictures,
                              fakes.random,     fakes.web,  fakes.process};
};

/// Real players and skin engine; fake dialog.
class RealPlayerComponents : public FakeComponents {
public:
    MediaPlayer* createMediaPlayer(QWidget* frame) override
    {
        return MpvPlayer::create(frame, quietPlayerOptions());
    }
    SkinFramework* createSkinFramework(QWidget* window) override { return new SkinEngine(window); }
};

/// Gives the player a file and waits until the engine has either shown a frame of it or given
/// up on it, whichever comes first.
void settle(MpvPlayer& player, const QString& path)
{
    QSignalSpy frames(&player, &MpvPlayer::frameRendered);
    QSignalSpy failed(&player.engine(), &MpvEngine::fileFailed);
    QSignalSpy idle(&player.engine(), &MpvEngine::idleChanged);
    player.setURL(path);
    (void)QTest::qWaitFor(
        [&] { return frames.count() > 0 || failed.count() > 0 || player.engine().isIdle(); },
        kPlayerTimeoutMs);
}

/// Plays the file and waits for a few frames of it.
bool plays(MpvPlayer& player, const QString& path)
{
    QSignalSpy frames(&player, &MpvPlayer::frameRendered);
    player.setURL(path);
    return QTest::qWaitFor([&] { return frames.count() > 3; }, kPlayerTimeoutMs);
}

QColor centreOf(MpvPlayer& player)
{
    const QImage frame = player.videoSurface().grabFrame();
    return frame.pixelColor(frame.rect().center());
}

/// A shown window with two real players.
struct PlayerWindow {
    PlayerWindow()
        : components(quietPlayerOptions())
        , form(components)
    {
        form.resize(800, 500);
        form.show();
    }
    MpvPlayer& left() { return *qobject_cast<MpvPlayer*>(form.MediaPlayer1()); }
    MpvPlayer& right() { return *qobject_cast<MpvPlayer*>(form.MediaPlayer2()); }

    PlatformComponents components;
    Form1 form;
};

void dropOn(QWidget& target, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint middle = target.rect().center();
    QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    QDropEvent dropped(QPointF(middle), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &dropped);
}

bool playsAGoodFileNext(MpvPlayer& player)
{
    QSignalSpy frames(&player, &MpvPlayer::frameRendered);
    player.setURL(mediaPath("loop.mp4"));
    return QTest::qWaitFor([&] { return frames.count() > 3 && player.engine().position() > 0.1; },
                           kPlayerTimeoutMs);
}

} // namespace

class TestBadInputs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Run once on each render path: the one asked for is the one the players use.
        PlayerWindow window;
        const QByteArray asked = qgetenv("TANDEMO_TEST_RENDER_PATH");
        if (!asked.isEmpty())
            QCOMPARE(renderPathName(window.left().renderPath()).toLower().toLatin1(), asked);
    }

    void badVideosLeaveThePlayersUsable()
    {
        QTemporaryDir program;
        RealFiles files(program.path());
        RealPlayerComponents components;
        Form1 form(components);
        form.show();
        auto& left = *qobject_cast<MpvPlayer*>(form.MediaPlayer1());
        auto& right = *qobject_cast<MpvPlayer*>(form.MediaPlayer2());
        right.settings().setMode("loop", true);
        QVERIFY(playsAGoodFileNext(right));

        for (const QString& name : entriesOf(kCorpus + "/videos")) {
            if (name == "playlist.avi" || name == "index.wmv")
                continue; // the network test gives these, with a listener to point at
            const QString path = kCorpus + "/videos/" + name;
            settle(left, path);
            QVERIFY2(playsAGoodFileNext(left), qPrintable(name));

            // As the only file of the samples folder: the same, through the menu command.
            QDir(program.path()).removeRecursively();
            QDir().mkpath(program.path() + "/Samples");
            QVERIFY(QFile::link(path, program.path() + "/Samples/" + name));
            Sample_Click(form, files.services);
            QVERIFY2(files.fakes.messageBox.shown.isEmpty(), qPrintable(name));
            QVERIFY2(playsAGoodFileNext(left), qPrintable(name));
        }
        // The other pane played on through all of it (its position is 0 at each loop restart).
        QVERIFY(!right.engine().isIdle() && !right.engine().isPaused());
        QTRY_VERIFY_WITH_TIMEOUT(right.engine().position() > 0, kPlayerTimeoutMs);
    }

    void rotatedPhoneVideosShowUpright_data()
    {
        QTest::addColumn<int>("angle");
        for (const int angle : {90, 180, 270})
            QTest::addRow("%d degrees", angle) << angle;
    }
    void rotatedPhoneVideosShowUpright()
    {
        QFETCH(int, angle);
        PlayerWindow window;
        MpvPlayer& player = window.left();
        const QString clip = QString("rotated-%1").arg(angle);
        QVERIFY(plays(player, kCorpus + "/videos/" + clip + ".mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(player.engine().position() > 0.2, kPlayerTimeoutMs);
        // As ffmpeg turns it: red and blue halves where a phone would show them.
        const QImage reference(kCorpus + "/rotated/" + clip + ".png");
        QVERIFY(!reference.isNull());
        const QImage picture = player.videoSurface().grabFrame();
        QString worst;
        const int difference = compareWithReference(
            picture, reference, videoRect(picture.size(), reference.size()), &worst);
        QVERIFY2(difference <= 12, qPrintable(worst));
        // The other pane was not taken down with it.
        QVERIFY(plays(window.right(), mediaPath("blue.mp4")));
    }

    void twoFrameClipShowsBothFramesInTurn()
    {
        PlayerWindow window;
        MpvPlayer& player = window.left();
        player.settings().setMode("loop", true);
        // How long each colour stays on screen, from one drawn frame to the next.
        QElapsedTimer clock;
        qint64 redMs = 0;
        qint64 blueMs = 0;
        qint64 since = -1;
        QColor shown;
        connect(&player, &MpvPlayer::frameRendered, this, [&] {
            const qint64 at = clock.elapsed();
            if (since >= 0)
                (shown.red() > shown.blue() ? redMs : blueMs) += at - since;
            shown = centreOf(player);
            since = at;
        });
        QVERIFY(plays(player, kCorpus + "/videos/two-frames.mp4"));
        clock.start();
        since = -1;
        QTest::qWait(2000);
        player.disconnect(this);
        // Each is due for half the time; a frame shown only in passing gets next to none.
        qInfo("red %lld ms, blue %lld ms", redMs, blueMs);
        QVERIFY2(redMs > (redMs + blueMs) / 4 && blueMs > (redMs + blueMs) / 4,
                 qPrintable(QString("red %1 ms, blue %2 ms").arg(redMs).arg(blueMs)));
    }

    void fastLinkedFrameStepsKeepTheWindowResponsive()
    {
        const GuiWatchdog watchdog;
        for (const QString clip : {"two-frames.mp4", "variable-rate.mp4"}) {
            PlayerWindow window;
            window.left().settings().setMode("loop", true);
            window.right().settings().setMode("loop", true);
            QVERIFY(plays(window.left(), mediaPath("loop.mp4")));
            QVERIFY(plays(window.right(), kCorpus + "/videos/" + clip));
            window.left().link()->setLinked(true);
            MpvPlayer& stepped = window.right();
            stepped.setFocus();
            QTimer presses;
            presses.setInterval(10);
            int left = 300;
            qint64 longestNs = 0;
            QElapsedTimer pressing;
            connect(&presses, &QTimer::timeout, this, [&] {
                pressing.start();
                QTest::keyClick(&stepped, left % 7 == 0 ? Qt::Key_Comma : Qt::Key_Period);
                longestNs = std::max(longestNs, pressing.nsecsElapsed());
                if (--left == 0)
                    presses.stop();
            });
            presses.start();
            QTRY_VERIFY_WITH_TIMEOUT(left == 0, kPlayerTimeoutMs);
            // A press that waits for the core is held until mpv gives up waiting for the render
            // (200 ms) or for good; one that only sends commands takes a millisecond or two.
            qInfo("%s: longest key press %.1f ms", qPrintable(clip), longestNs / 1e6);
            QVERIFY2(longestNs < 150'000'000, qPrintable(clip));
            // Both stop on a frame, and still play when asked.
            QTRY_VERIFY_WITH_TIMEOUT(window.left().engine().isPaused() &&
                                         window.right().engine().isPaused(),
                                     kPlayerTimeoutMs);
            window.left().togglePlayPause();
            QTRY_VERIFY_WITH_TIMEOUT(!window.left().engine().isPaused() &&
                                         !window.right().engine().isPaused(),
                                     kPlayerTimeoutMs);
        }
    }

    void filesBesideTheVideoAreNeverOpened()
    {
        // Subtitle, audio and cover-art names beside the clip are pipes: opening any of them
        // would block the player for good.
        PlayerWindow window;
        QVERIFY(plays(window.left(), kCorpus + "/companions/clip.mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(window.left().engine().position() > 0.2, kPlayerTimeoutMs);
    }

    void aFailedLoadLeavesThePaneBlack()
    {
        PlayerWindow window;
        MpvPlayer& player = window.left();
        const auto fails = [&](const QString& path) {
            QSignalSpy failed(&player.engine(), &MpvEngine::fileFailed);
            player.setURL(path);
            return QTest::qWaitFor([&] { return failed.count() > 0 || player.engine().isIdle(); },
                                   kPlayerTimeoutMs);
        };
        const auto black = [&] { return colourDistance(centreOf(player), Qt::black) <= 8; };

        QVERIFY(plays(player, mediaPath("red.mp4")));
        QVERIFY(fails(kCorpus + "/videos/empty.mp4"));
        QTRY_VERIFY2(black(), qPrintable(centreOf(player).name()));
        QCOMPARE(player.transportBar().timeText(), QString("Cannot play this file"));

        // A pipe or a folder dropped onto a playing pane.
        for (const QString name : {"fifo.avi", "folder.avi"}) {
            player.settings().setMode("loop", true);
            QVERIFY(plays(player, mediaPath("red.mp4")));
            dropOn(player, {QUrl::fromLocalFile(kCorpus + "/videos/" + name)});
            QTRY_VERIFY2(black(), qPrintable(name + " " + centreOf(player).name()));
        }
    }

    void namesThatAreNotUtf8StillPlay()
    {
        // As the only sample: listed and played by its own bytes.
        RealFiles files(kCorpus + "/samples-bytes");
        PlayerWindow window;
        MpvPlayer& player = window.left();
        QSignalSpy frames(&player, &MpvPlayer::frameRendered);
        Sample_Click(window.form, files.services);
        QVERIFY(files.fakes.messageBox.shown.isEmpty());
        QCOMPARE(encodeFileName(player.URL()),
                 encodeFileName(kCorpus) + "/samples-bytes/Samples/\xe9t\xe9.avi");
        QTRY_VERIFY_WITH_TIMEOUT(frames.count() > 3, kPlayerTimeoutMs);

        // Dropped from a file manager, whose address keeps the bytes percent-encoded; and in a
        // folder whose own name is not UTF-8.
        const QByteArray folder = encodeFileName(kCorpus) + "/folder-\xff";
        QVERIFY(plays(window.right(), mediaPath("blue.mp4")));
        QSignalSpy dropped(&window.right(), &MpvPlayer::frameRendered);
        const QUrl address("file://" + QString::fromLatin1(folder.toPercentEncoding("/")) +
                           "/clip.mp4");
        QVERIFY2(address.isLocalFile(), qPrintable(address.toString()));
        dropOn(window.right(), {address});
        QCOMPARE(encodeFileName(window.right().URL()), folder + "/clip.mp4");
        QTRY_VERIFY_WITH_TIMEOUT(dropped.count() > 3 && window.right().engine().position() > 0.1,
                                 kPlayerTimeoutMs);

        // Chosen in the open dialog, which shows such names with replacement characters.
        const QString shown = QFile::decodeName(folder + "/clip.mp4");
        QVERIFY(shown.contains(QChar::ReplacementCharacter));
        QCOMPARE(encodeFileName(recoverFileName(shown)), folder + "/clip.mp4");
    }

    void oddNamesOpenAsLocalFiles()
    {
        PlatformComponents components(quietPlayerOptions());
        Form1 form(components);
        form.show();
        auto& player = *qobject_cast<MpvPlayer*>(form.MediaPlayer1());
        for (const QString& name : entriesOf(kCorpus + "/names")) {
            QSignalSpy frames(&player, &MpvPlayer::frameRendered);
            player.setURL(kCorpus + "/names/" + name);
            QVERIFY2(QTest::qWaitFor([&] { return frames.count() > 3; }, kPlayerTimeoutMs),
                     qPrintable(name));
        }
        // A name that is not valid UTF-8 is listed by its own bytes, and plays.
        PosixFileSystem fileSystem;
        const FileList listed = ListFiles(fileSystem, kCorpus + "/names-bytes", "*.*");
        QCOMPARE(listed.upperIndex(), 1);
        QCOMPARE(encodeFileName(listed.at(1)), QByteArray("latin1-\xe9t\xe9.mp4"));
        QVERIFY(plays(player, kCorpus + "/names-bytes/" + listed.at(1)));
    }

    void referencesInsideAFileNeverReachTheNetwork()
    {
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        QTemporaryDir folder;
        QStringList disguised;
        for (const QString name : {"playlist.avi", "index.wmv"}) {
            QFile source(kCorpus + "/videos/" + name);
            QVERIFY(source.open(QIODevice::ReadOnly));
            QFile target(folder.filePath(name));
            QVERIFY(target.open(QIODevice::WriteOnly));
            target.write(
                source.readAll().replace("PORT", QByteArray::number(listener.serverPort())));
            disguised << target.fileName();
        }
        // Names that look like addresses are files too.
        disguised << QString("http://127.0.0.1:%1/direct.mp4").arg(listener.serverPort());

        PlatformComponents components(quietPlayerOptions());
        Form1 form(components);
        form.show();
        auto& player = *qobject_cast<MpvPlayer*>(form.MediaPlayer1());
        for (const QString& path : disguised) {
            QSignalSpy failed(&player.engine(), &MpvEngine::fileFailed);
            player.setURL(path);
            QVERIFY2(QTest::qWaitFor([&] { return failed.count() > 0; }, kPlayerTimeoutMs),
                     qPrintable(path));
            QVERIFY2(!listener.hasPendingConnections(), qPrintable(path));
        }
        QVERIFY(playsAGoodFileNext(player));
        QCoreApplication::processEvents();
        QVERIFY(!listener.hasPendingConnections());
    }

    void hundredThousandSamplesAreListedInOrder()
    {
        PosixFileSystem fileSystem;
        const FileList list = ListFiles(fileSystem, kCorpus + "/many/Samples", "*.*");
        QCOMPARE(list.upperIndex(), 100'000);
        QCOMPARE(list.at(1), QString("clip000000.avi"));
        QCOMPARE(list.at(77'777), QString("clip077776.avi"));
        QCOMPARE(list.at(100'000), QString("clip099999.avi"));

        RealFiles files(kCorpus + "/many");
        FakeComponents components;
        Form1 form(components);
        Sample_Click(form, files.services);
        QCOMPARE(static_cast<FakePlayer*>(form.MediaPlayer1())->urlWrites,
                 QStringList({kCorpus + "/many/Samples/clip000000.avi"}));
        QCOMPARE(static_cast<FakePlayer*>(form.MediaPlayer2())->urlWrites,
                 QStringList({kCorpus + "/many/Samples/clip000001.avi"}));
    }

    void brokenSkinsAreReportedOnceAndStartUpGoesOn()
    {
        for (const QString& name : entriesOf(kCorpus + "/skins")) {
            RealFiles files(kCorpus + "/skins/" + name);
            RealPlayerComponents components;
            Form1 form(components);
            Form_Load(form, files.services);
            QVERIFY2(files.fakes.messageBox.labels() == QList<int>({102}), qPrintable(name));
            QCOMPARE(form.windowTitle(), QString("Tandemo Software"));
            QVERIFY(form.MediaPlayer2()->settings().getMode("loop"));
            QVERIFY(!static_cast<SkinEngine*>(form.SkinFramework1())->scheme());
        }
    }

    void brokenCursorFilesAreReportedOnce()
    {
        for (const QString& name : entriesOf(kCorpus + "/cursors")) {
            RealFiles files(kCorpus + "/cursors/" + name);
            FakeComponents components;
            Form1 form(components);
            Form_Load(form, files.services);
            // Another picture format is a picture all the same.
            const bool picture = name == "png-image";
            QVERIFY2(files.fakes.messageBox.labels() == (picture ? QList<int>() : QList<int>{108}),
                     qPrintable(name + ": " + QString::number(files.fakes.messageBox.shown.size()) +
                                " reports"));
            QCOMPARE(bool(form.mouseIcon()), picture);
            if (!picture)
                QVERIFY(files.fakes.messageBox.shown[0].prompt.startsWith("Invalid picture\r\n"));
        }
    }
};

QTEST_MAIN(TestBadInputs)
#include "test_bad_inputs.moc"
