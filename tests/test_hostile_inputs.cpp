// Inputs found by testing as a hostile user would: phone videos with rotation metadata, a clip
// of two frames, frame steps faster than the engines answer, pipes beside a video, failed loads
// over a playing one, and names that are not UTF-8.
#include "platform/file_names.h"
#include "playback/player_link.h"
#include "playback/transport_bar.h"
#include "support/bad_input_testing.h"
#include "support/gui_watchdog.h"
#include "window/sample_videos.h"

#include <QElapsedTimer>
#include <QtTest>

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
        QTRY_VERIFY2_WITH_TIMEOUT(black(), qPrintable(centreOf(player).name()), kPlayerTimeoutMs);
        QCOMPARE(player.transportBar().timeText(), QString("Cannot play this file"));

        // A pipe or a folder dropped onto a playing pane.
        for (const QString name : {"fifo.avi", "folder.avi"}) {
            player.settings().setMode("loop", true);
            QVERIFY(plays(player, mediaPath("red.mp4")));
            dropOn(player, {QUrl::fromLocalFile(kCorpus + "/videos/" + name)});
            QTRY_VERIFY2_WITH_TIMEOUT(black(), qPrintable(name + " " + centreOf(player).name()),
                                      kPlayerTimeoutMs);
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
};

QTEST_MAIN(TestHostileInputs)
#include "test_hostile_inputs.moc"
