// Inputs found by testing as a hostile user would: phone videos with rotation metadata, a clip
// of two frames, frame steps faster than the engines answer, pipes beside a video, failed loads
// over a playing one or replaced by a pipe, and names that are not UTF-8.
#include "platform/file_names.h"
#include "playback/player_commands.h"
#include "playback/transport_bar.h"
#include "playback/wipe_view.h"
#include "session/player_link.h"
#include "session/session.h"
#include "support/bad_input_testing.h"
#include "support/gui_watchdog.h"
#include "support/linked_window.h"
#include "window/sample_videos.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>

using namespace tandemo;
using namespace tandemo::testing;

class TestHostileInputs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Run once on each render path: the one asked for is the one the players use.
        checkAskedRenderPath();
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
        VideoPlayer& player = window.left();
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

    void aRotatedClipAndAPlainOneShareOneRectangleInTheWipeView_data()
    {
        QTest::addColumn<bool>("rotatedFirst");
        QTest::newRow("rotated first") << true;
        QTest::newRow("rotated second") << false;
    }
    void aRotatedClipAndAPlainOneShareOneRectangleInTheWipeView()
    {
        // Upright, the rotated clip is a portrait: the second picture is fitted onto the first,
        // as with two plain clips of different shapes, and nothing is drawn beside it.
        QFETCH(bool, rotatedFirst);
        Window window;
        const QString rotated = kCorpus + "/videos/rotated-90.mp4";
        QVERIFY(plays(window.left(), rotatedFirst ? rotated : mediaPath("blue.mp4")));
        QVERIFY(plays(window.right(), rotatedFirst ? mediaPath("blue.mp4") : rotated));
        window.left().setFocus();
        QTest::keyClick(&window.left(), Qt::Key_W);
        WipeView* wipe = window.components.wipeView();
        QVERIFY(wipe);
        const QRect area = wipe->pictureRect();
        const QSize first = rotatedFirst ? QSize(120, 160) : QSize(160, 120);
        QRect expected(QPoint(), first.scaled(area.size(), Qt::KeepAspectRatio));
        expected.moveCenter(area.center());
        const auto shows = [](const QImage& shown, QPoint at) {
            return colourDistance(shown.pixelColor(at), Qt::black) > 60;
        };
        const auto inTheRectangle = [&] {
            const QImage shown = wipe->grab(area).toImage();
            const QPoint middle = expected.center();
            for (const QPoint inside :
                 {QPoint(expected.left() + 4, middle.y()), QPoint(expected.right() - 4, middle.y()),
                  QPoint(middle.x(), expected.top() + 4),
                  QPoint(middle.x(), expected.bottom() - 4)}) {
                if (!shows(shown, inside))
                    return false;
            }
            for (const QPoint outside :
                 {QPoint(expected.left() - 6, middle.y()), QPoint(expected.right() + 6, middle.y()),
                  QPoint(middle.x(), expected.top() - 6),
                  QPoint(middle.x(), expected.bottom() + 6)}) {
                if (area.contains(outside) && shows(shown, outside))
                    return false;
            }
            return true;
        };
        QVERIFY(QTest::qWaitFor(inTheRectangle, kPlayerTimeoutMs));
    }

    void twoFrameClipShowsBothFramesInTurn()
    {
        PlayerWindow window;
        VideoPlayer& player = window.left();
        player.settings().setMode("loop", true);
        // How long each colour stays on screen, from one drawn frame to the next.
        QElapsedTimer clock;
        qint64 redMs = 0;
        qint64 blueMs = 0;
        qint64 since = -1;
        QColor shown;
        connect(&player, &VideoPlayer::frameRendered, this, [&] {
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

    void factsCountFramesByTheirOwnTimes()
    {
        PlayerWindow window;
        VideoPlayer& player = window.left();
        player.settings().setMode("loop", true); // the two-frame clip would end at once
        player.actions().setFactsShown(true);
        const auto frameLine = [&] { return player.factsText().section('\n', 2); };
        const auto pauseAt = [&](double seconds) {
            QSignalSpy arrived(&player.engine(), &PlaybackEngine::playbackRestarted);
            player.actions().seekTo(seconds);
            return QTest::qWaitFor([&] { return !arrived.isEmpty(); }, kPlayerTimeoutMs);
        };

        // Frames at ten, then thirty a second: no one rate numbers them.
        QVERIFY(plays(player, kCorpus + "/videos/ten-then-thirty.mp4"));
        player.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(player.engine().isPaused(), kPlayerTimeoutMs);
        QVERIFY(pauseAt(1.5));
        QTRY_COMPARE_WITH_TIMEOUT(frameLine(), QString("Frame 25  0:01.500"), kPlayerTimeoutMs);
        QVERIFY(pauseAt(0.5));
        QTRY_COMPARE_WITH_TIMEOUT(frameLine(), QString("Frame 5  0:00.500"), kPlayerTimeoutMs);
        // Steps move by the file's own frames there, both ways.
        const auto step = [&](bool forward) {
            QSignalSpy arrived(&player.engine(), &PlaybackEngine::playbackRestarted);
            player.actions().stepFrame(forward);
            return QTest::qWaitFor([&] { return !arrived.isEmpty(); }, kPlayerTimeoutMs);
        };
        QVERIFY(step(false));
        QTRY_COMPARE_WITH_TIMEOUT(frameLine(), QString("Frame 4  0:00.400"), kPlayerTimeoutMs);
        QVERIFY(step(true) && step(true));
        QTRY_COMPARE_WITH_TIMEOUT(frameLine(), QString("Frame 6  0:00.600"), kPlayerTimeoutMs);
        // Nor does the bar show a time past the end, which a step beyond it may report.
        player.transportBar().setPosition(3.1);
        QCOMPARE(player.transportBar().timeText().section(" / ", 0, 0), QString("0:02"));

        // Two steps from the last frame of a two-frame clip: on into the next pass, and on to
        // its last frame again.
        QVERIFY(plays(player, kCorpus + "/videos/two-frames.mp4"));
        player.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(player.engine().isPaused(), kPlayerTimeoutMs);
        QVERIFY(pauseAt(0.1));
        for (int i = 0; i < 2; ++i) {
            QSignalSpy arrived(&player.engine(), &PlaybackEngine::playbackRestarted);
            player.actions().stepFrame(true);
            QTRY_VERIFY_WITH_TIMEOUT(!arrived.isEmpty(), kPlayerTimeoutMs);
        }
        QTRY_COMPARE_WITH_TIMEOUT(frameLine(), QString("Frame 1  0:00.100"), kPlayerTimeoutMs);
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
            VideoPlayer& stepped = window.right();
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
            window.left().actions().togglePlayPause();
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
        VideoPlayer& player = window.left();
        const auto fails = [&](const QString& path) {
            QSignalSpy failed(&player.engine(), &PlaybackEngine::fileFailed);
            player.setURL(path);
            return QTest::qWaitFor([&] { return failed.count() > 0 || player.engine().isIdle(); },
                                   kPlayerTimeoutMs);
        };
        const auto black = [&] { return colourDistance(centreOf(player), Qt::black) <= 8; };

        QVERIFY(plays(player, mediaPath("red.mp4")));
        QVERIFY(fails(kCorpus + "/videos/empty.mp4"));
        QTRY_VERIFY2_WITH_TIMEOUT(black(), qPrintable(centreOf(player).name()), kPlayerTimeoutMs);
        QCOMPARE(player.transportBar().timeText(), QString("Cannot play this file"));

        // The failed name taken by a pipe since: play (Space) checks the file again as a load
        // does, and never opens the pipe, which would hold the player for good.
        QTemporaryDir folder;
        const QString swapped = folder.filePath("swapped.mp4");
        QVERIFY(QFile::copy(kCorpus + "/videos/empty.mp4", swapped));
        QSignalSpy failedFirst(&player.engine(), &PlaybackEngine::fileFailed);
        player.setURL(swapped);
        QTRY_VERIFY_WITH_TIMEOUT(!failedFirst.isEmpty(), kPlayerTimeoutMs);
        QVERIFY(QFile::remove(swapped));
        QVERIFY(mkfifo(encodeFileName(swapped).constData(), 0600) == 0);
        QSignalSpy failedAgain(&player.engine(), &PlaybackEngine::fileFailed);
        player.setFocus();
        QTest::keyClick(&player, Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT(!failedAgain.isEmpty(), kPlayerTimeoutMs);
        const int writer = open(encodeFileName(swapped).constData(), O_WRONLY | O_NONBLOCK);
        QCOMPARE(writer, -1); // no reader: the pipe was never opened
        QCOMPARE(player.transportBar().timeText(), QString("Cannot play this file"));
        QCOMPARE(player.transportBar().playPauseButton()->toolTip(), QString("Play"));

        // A pipe or a folder dropped onto a playing pane.
        for (const QString name : {"fifo.avi", "folder.avi"}) {
            player.settings().setMode("loop", true);
            QVERIFY(plays(player, mediaPath("red.mp4")));
            dropOn(player, {QUrl::fromLocalFile(kCorpus + "/videos/" + name)});
            QTRY_VERIFY2_WITH_TIMEOUT(black(), qPrintable(name + " " + centreOf(player).name()),
                                      kPlayerTimeoutMs);
        }
    }

    void measuringAndAligningReadTheFilesThePanesOpened()
    {
        // Once the panes play, the left one's name is taken by another video and then by a
        // pipe: measuring and aligning from the window read the files the panes opened and
        // judged, never what is at the name now.
        PlayerWindow window;
        QTemporaryDir folder;
        const QString name = folder.filePath("take.mp4");
        QVERIFY(QFile::copy(mediaPath("red.mp4"), name));
        QVERIFY(plays(window.left(), name));
        QVERIFY(plays(window.right(), mediaPath("red.mp4")));
        const QString other = folder.filePath("other.mp4");
        QVERIFY(QFile::copy(mediaPath("blue.mp4"), other));
        QVERIFY(::rename(qPrintable(other), qPrintable(name)) == 0);

        Comparison& comparison = window.components.session().comparison();
        QSignalSpy measured(&comparison, &Comparison::measured);
        perform(window.right().actions(), {PlayerCommand::MeasureDifference});
        QTRY_VERIFY_WITH_TIMEOUT(!measured.isEmpty(), kPlayerTimeoutMs);
        QCOMPARE(measured.first().first().value<Comparison::Measured>(),
                 Comparison::Measured::Complete);
        // Red against red, as the panes show: not the blue now at the name.
        QVERIFY(summarise(comparison.results()).meanSsim > 0.99);

        QVERIFY(QFile::remove(name));
        QVERIFY(mkfifo(encodeFileName(name).constData(), 0600) == 0);
        QSignalSpy aligned(&comparison, &Comparison::alignmentFinished);
        perform(window.left().actions(), {PlayerCommand::AlignBySound});
        QTRY_VERIFY_WITH_TIMEOUT(!aligned.isEmpty(), kPlayerTimeoutMs);
        const int writer = open(encodeFileName(name).constData(), O_WRONLY | O_NONBLOCK);
        QCOMPARE(writer, -1); // no reader: the pipe was never opened
    }

    void aPipePutAtTheNameOnceItIsOpenedIsNeverRead()
    {
        // The file is judged by what was opened, and each core and the frame times read that
        // very file: a pipe renamed over the name as soon as the load has begun, before any core
        // opened anything, is never opened, and the next pass still comes from the second core.
        PlayerWindow window;
        VideoPlayer& player = window.left();
        QTemporaryDir folder;
        const QString name = folder.filePath("swapped.mp4");
        const QString pipe = folder.filePath("pipe");
        QVERIFY(QFile::copy(mediaPath("loop.mp4"), name));
        QVERIFY(mkfifo(encodeFileName(pipe).constData(), 0600) == 0);
        player.settings().setMode("loop", true);
        QSignalSpy switched(&player.engine(), &PlayerEngine::shownDecoderChanged);
        const QMetaObject::Connection swap =
            connect(&player.engine(), &PlaybackEngine::loadStarted, this, [&] {
                QVERIFY(std::rename(encodeFileName(pipe).constData(),
                                    encodeFileName(name).constData()) == 0);
            });
        player.setURL(name);
        QTRY_VERIFY_WITH_TIMEOUT(player.engine().position() > 0.2, kPlayerTimeoutMs);
        disconnect(swap);
        QVERIFY(QFileInfo(name).isFile() == false);
        QCOMPARE(qRound(player.engine().duration() * 10), 10);
        QTRY_VERIFY_WITH_TIMEOUT(switched.count() >= 1, kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(player.engine().facts().frame >= 0, kPlayerTimeoutMs);
        const int writer = open(encodeFileName(name).constData(), O_WRONLY | O_NONBLOCK);
        QCOMPARE(writer, -1); // no reader: the pipe was never opened

        // A link to an endless device in the file's place is refused at once.
        QVERIFY(QFile::remove(name));
        QVERIFY(QFile::link("/dev/urandom", name));
        QSignalSpy failed(&player.engine(), &PlaybackEngine::fileFailed);
        player.setURL(name);
        QTRY_VERIFY_WITH_TIMEOUT(!failed.isEmpty(), kPlayerTimeoutMs);
        QCOMPARE(failed.at(0).at(0).toString(), QString("not a regular file"));
    }

    void namesThatAreNotUtf8StillPlay()
    {
        // As the only sample: listed and played by its own bytes.
        RealFiles files(kCorpus + "/samples-bytes");
        PlayerWindow window;
        VideoPlayer& player = window.left();
        QSignalSpy frames(&player, &VideoPlayer::frameRendered);
        Sample_Click(window.form, files.services);
        QVERIFY(files.fakes.messageBox.shown.isEmpty());
        QCOMPARE(encodeFileName(player.URL()),
                 encodeFileName(kCorpus) + "/samples-bytes/Samples/\xe9t\xe9.avi");
        QTRY_VERIFY_WITH_TIMEOUT(frames.count() > 3, kPlayerTimeoutMs);

        // Dropped from a file manager, whose address keeps the bytes percent-encoded; and in a
        // folder whose own name is not UTF-8.
        const QByteArray folder = encodeFileName(kCorpus) + "/folder-\xff";
        QVERIFY(plays(window.right(), mediaPath("blue.mp4")));
        QSignalSpy dropped(&window.right(), &VideoPlayer::frameRendered);
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
};

QTEST_MAIN(TestHostileInputs)
#include "test_hostile_inputs.moc"
