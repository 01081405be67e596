#include "app/platform_components.h"
#include "playback/transport_bar.h"
#include "playback/video_player.h"
#include "support/mpv_probe.h"
#include "support/player_testing.h"
#include "video/video_surface.h"
#include "window/form1.h"

#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

std::unique_ptr<VideoPlayer> makePlayer(QSize size = {320, 280})
{
    MediaPlayer* created = VideoPlayer::create(nullptr, quietPlayerOptions());
    auto* player = qobject_cast<VideoPlayer*>(created);
    if (!player) {
        delete created;
        return nullptr;
    }
    player->resize(size);
    player->show();
    return std::unique_ptr<VideoPlayer>(player);
}

QColor centreOfVideo(VideoPlayer& player)
{
    const QImage frame = player.videoSurface().grabFrame();
    return frame.pixelColor(frame.rect().center());
}

} // namespace

class TestVideoPlayer : public QObject {
    Q_OBJECT
private slots:
    void startsWithTheDesignedSettings()
    {
        auto player = makePlayer();
        QVERIFY(player);
        QCOMPARE(player->renderPath(), RenderPath::Software); // offscreen has no GL widgets
        PlayerSettings& settings = player->settings();
        QCOMPARE(settings.autoStart(), true);
        QCOMPARE(settings.volume(), 50);
        QCOMPARE(settings.mute(), false);
        QCOMPARE(settings.rate(), 1.0);
        QCOMPARE(settings.playCount(), 1);
        QCOMPARE(settings.enableErrorDialogs(), false);
        QCOMPARE(settings.getMode("loop"), false);
        QCOMPARE(player->properties().uiMode, "full");
        QCOMPARE(player->properties().stretchToFit, false);
        QCOMPARE(player->properties().enableContextMenu, true);
        QCOMPARE(player->properties().fullScreen, false);
        QCOMPARE(player->URL(), QString());
        QVERIFY(player->transportBar().isVisible());

        // The engine itself was given the same values.
        QTRY_COMPARE_WITH_TIMEOUT(mpvDouble(*player, "volume"), 50.0, kPlayerTimeoutMs);
        QCOMPARE(mpvFlag(*player, "mute"), false);
        // A set number of decoder threads, not mpv's own choice of one per core and one more.
        QVERIFY(mpvText(*player, "vd-lavc-threads").toInt() >= 2);
    }

    void writtenUrlStartsPlayingByItself()
    {
        auto player = makePlayer();
        QVERIFY(player);
        QSignalSpy frames(player.get(), &VideoPlayer::frameRendered);
        player->setURL(mediaPath("red.mp4"));
        QCOMPARE(player->URL(), mediaPath("red.mp4"));

        QTRY_VERIFY_WITH_TIMEOUT(player->engine().position() > 0.3, kPlayerTimeoutMs);
        QVERIFY(!player->engine().isPaused());
        QVERIFY(frames.count() > 0);
        QVERIFY(colourDistance(centreOfVideo(*player), Qt::red) <= 8);
        QVERIFY(player->transportBar().timeText().endsWith("/ 0:03"));
    }

    void playsEveryOfferedFormat_data()
    {
        QTest::addColumn<QString>("file");
        // large.avi is larger than a player keeps in memory: it is loaded with other options.
        for (const char* file : {"clip.mpg", "clip.avi", "clip.wmv", "loop.mp4", "large.avi"})
            QTest::newRow(file) << QString(file);
    }
    void playsEveryOfferedFormat()
    {
        QFETCH(QString, file);
        auto player = makePlayer();
        QVERIFY(player);
        QSignalSpy frames(player.get(), &VideoPlayer::frameRendered);
        player->setURL(mediaPath(file));
        QTRY_VERIFY_WITH_TIMEOUT(player->engine().position() > 0.2 && frames.count() > 2,
                                 kPlayerTimeoutMs);
        // Kept in memory whole when it fits, so that its loops are read from memory.
        QCOMPARE(mpvText(*player, "demuxer-seekable-cache"), file == "large.avi" ? "no" : "yes");
    }

    void loopModeRepeatsWithoutEnd()
    {
        auto player = makePlayer();
        QVERIFY(player);
        player->settings().setMode("loop", true);
        player->setURL(mediaPath("loop.mp4")); // one second long
        QTRY_VERIFY_WITH_TIMEOUT(player->engine().position() > 0.7, kPlayerTimeoutMs);

        // Twice past the end and back to the start, never going idle in between.
        QSignalSpy idle(&player->engine(), &PlaybackEngine::idleChanged);
        for (int pass = 0; pass < 2; ++pass) {
            QTRY_VERIFY_WITH_TIMEOUT(player->engine().position() < 0.3, kPlayerTimeoutMs);
            QTRY_VERIFY_WITH_TIMEOUT(player->engine().position() > 0.7, kPlayerTimeoutMs);
        }
        QVERIFY(!player->engine().isIdle());
        QCOMPARE(idle.count(), 0);

        // The mode also holds for the next file given to the player.
        player->setURL(mediaPath("clip.avi"));
        QTRY_VERIFY_WITH_TIMEOUT(player->engine().position() > 1.6, kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(player->engine().position() < 0.4, kPlayerTimeoutMs);
        QVERIFY(!player->engine().isIdle());
    }

    void loopRestartNeverShowsBlack()
    {
        auto player = makePlayer();
        QVERIFY(player);
        player->settings().setMode("loop", true);
        QList<QColor> seen;
        QSignalSpy restarts(&player->engine(), &PlaybackEngine::playbackRestarted);
        connect(player.get(), &VideoPlayer::frameRendered, this,
                [&] { seen << centreOfVideo(*player); });
        player->setURL(mediaPath("red-1s.mp4"));

        // The first start, then two jumps back to the beginning.
        QTRY_VERIFY_WITH_TIMEOUT(restarts.count() >= 3, kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(player->engine().position() > 0.3, kPlayerTimeoutMs);
        disconnect(player.get(), &VideoPlayer::frameRendered, this, nullptr);
        // Before its first frame the view is black; from then on every drawn frame is red.
        const auto firstRed = std::find_if(seen.cbegin(), seen.cend(), [](QColor colour) {
            return colourDistance(colour, Qt::red) <= 8;
        });
        QVERIFY(firstRed != seen.cend());
        for (auto colour = firstRed; colour != seen.cend(); ++colour)
            QVERIFY2(colourDistance(*colour, Qt::red) <= 8, qPrintable(colour->name()));
        QVERIFY(seen.cend() - firstRed > 40); // two passes of 25 frames, give or take
    }

    void playsWithoutASoundDevice()
    {
        // This machine has no sound card: the player falls back to a silent output and the
        // video plays on at its own pace.
        VideoPlayerOptions options;
        options.engine.audioOutput = true;
        std::unique_ptr<MediaPlayer> created(VideoPlayer::create(nullptr, options));
        auto* player = qobject_cast<VideoPlayer*>(created.get());
        QVERIFY(player);
        player->resize(320, 280);
        player->show();
        player->setURL(mediaPath("red.mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(player->engine().position() > 1.0, kPlayerTimeoutMs);
    }

    void withoutLoopModeAFilePlaysOnce()
    {
        auto player = makePlayer();
        QVERIFY(player);
        player->setURL(mediaPath("loop.mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(player->engine().position() > 0.5, kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(player->engine().isIdle(), kPlayerTimeoutMs);

        // Play starts it again from the beginning.
        QTest::mouseClick(player->transportBar().playPauseButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!player->engine().isIdle(), kPlayerTimeoutMs);
    }

    void survivesAFileItCannotPlay()
    {
        auto player = makePlayer();
        QVERIFY(player);
        player->setURL(mediaPath("garbage.avi"));
        QTRY_COMPARE_WITH_TIMEOUT(player->transportBar().timeText(), "Cannot play this file",
                                  kPlayerTimeoutMs);
        player->setURL(mediaPath("does-not-exist.wmv"));
        QTRY_COMPARE_WITH_TIMEOUT(player->transportBar().timeText(), "Cannot play this file",
                                  kPlayerTimeoutMs);

        player->setURL(mediaPath("blue.mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(player->engine().position() > 0.3, kPlayerTimeoutMs);
        QVERIFY(player->transportBar().timeText().endsWith("/ 0:03"));
        QVERIFY(colourDistance(centreOfVideo(*player), Qt::blue) <= 8);
    }

    void transportControlsActOnTheirOwnPlayerOnly()
    {
        auto left = makePlayer();
        auto right = makePlayer();
        QVERIFY(left && right);
        left->setURL(mediaPath("red.mp4"));
        right->setURL(mediaPath("blue.mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(left->engine().position() > 0.2, kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(right->engine().position() > 0.2, kPlayerTimeoutMs);
        TransportBar& bar = left->transportBar();

        QTest::mouseClick(bar.playPauseButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(left->engine().isPaused(), kPlayerTimeoutMs);
        QVERIFY(!right->engine().isPaused());
        QTest::mouseClick(bar.playPauseButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!left->engine().isPaused(), kPlayerTimeoutMs);

        QTest::mouseClick(bar.stopButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(left->engine().isPaused() && left->engine().position() < 0.05,
                                 kPlayerTimeoutMs);
        QVERIFY(!right->engine().isPaused());

        // One page of the seek bar is one second.
        bar.seekBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(left->engine().position() - 1.0) < 0.1, kPlayerTimeoutMs);

        bar.volumeSlider()->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(left->settings().volume(), 40);
        QTRY_COMPARE_WITH_TIMEOUT(mpvDouble(*left, "volume"), 40.0, kPlayerTimeoutMs);
        QCOMPARE(right->settings().volume(), 50);

        QTest::mouseClick(bar.muteButton(), Qt::LeftButton);
        QVERIFY(left->settings().mute());
        QTRY_VERIFY_WITH_TIMEOUT(mpvFlag(*left, "mute"), kPlayerTimeoutMs);
        QVERIFY(!right->settings().mute());
        QCOMPARE(mpvFlag(*right, "mute"), false);
        QCOMPARE(mpvDouble(*right, "volume"), 50.0);
    }

    void contextMenuOffersTheSameCommands()
    {
        auto player = makePlayer();
        QVERIFY(player);
        player->setURL(mediaPath("red.mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(player->engine().position() > 0.2, kPlayerTimeoutMs);

        std::unique_ptr<QMenu> menu = player->createContextMenu();
        QStringList texts;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                texts << action->text().section(u'\t', 0, 0); // the key shows after a tab
        }
        QCOMPARE(texts, (QStringList{"Open\u2026", "Pause", "Stop", "Mute", "Volume Up",
                                     "Volume Down", "Speed", "Show Facts", "Save Frame", "Mirror",
                                     "Filter", "Start Passage Here", "End Passage Here",
                                     "Clear Passage", "Full Screen", "Keys and Gestures"}));
        const auto item = [](QMenu& menu, const QString& text) {
            for (QAction* action : menu.actions()) {
                if (action->text().section(u'\t', 0, 0) == text)
                    return action;
            }
            return static_cast<QAction*>(nullptr);
        };
        item(*menu, "Pause")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(player->engine().isPaused(), kPlayerTimeoutMs);
        menu = player->createContextMenu();
        QCOMPARE(item(*menu, "Play")->text(), "Play\tSpace");

        // The space bar plays and pauses the focused player too.
        QTest::keyClick(player.get(), Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT(!player->engine().isPaused(), kPlayerTimeoutMs);
    }

    void anEmptyPaneSaysHowToFillItAndOpensAVideoFromItsMenu()
    {
        auto player = makePlayer();
        QVERIFY(player);
        QSignalSpy frames(player.get(), &VideoPlayer::frameRendered);
        auto* hint = player->findChild<QLabel*>("emptyPaneHint");
        QVERIFY(hint && hint->isVisible());
        // Without a file there is no picture to tell of.
        QTest::qWait(300);
        QCOMPARE(frames.count(), 0);
        QCOMPARE(hint->text(), "Drop a video here, or right-click for Open\u2026");
        QVERIFY(player->videoSurface().widget()->rect().contains(hint->geometry().center()));

        // "Open…" asks with a dialog that lists every kind of video, and plays the one chosen.
        std::unique_ptr<QMenu> menu = player->createContextMenu();
        menu->actions().constFirst()->trigger();
        auto* dialog = player->findChild<QFileDialog*>("openVideo");
        QVERIFY(dialog && dialog->isVisible());
        const QString videos = dialog->nameFilters().value(0);
        for (const char* kind : {"*.mp4", "*.mkv", "*.mov", "*.webm", "*.avi", "*.mpg", "*.wmv"})
            QVERIFY2(videos.contains(kind), qPrintable(videos));
        QCOMPARE(dialog->nameFilters().value(1), "All files (*)");
        dialog->setDirectory(QString(TANDEMO_TEST_MEDIA_DIR));
        dialog->selectFile(mediaPath("red.mp4"));
        static_cast<QDialog*>(dialog)->accept(); // as the Open button does
        QTRY_VERIFY_WITH_TIMEOUT(player->engine().position() > 0.1, kPlayerTimeoutMs);
        QCOMPARE(player->URL(), mediaPath("red.mp4"));
        QVERIFY(!hint->isVisible());
    }

    void drawsTheVideoAsFfmpegDecodesIt_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QSize>("videoSize");
        QTest::addColumn<QSize>("viewSize");
        // Larger views show the video unscaled in the middle; smaller ones shrink it.
        QTest::newRow("SD unscaled") << "pattern-sd" << QSize(320, 240) << QSize(360, 280);
        QTest::newRow("SD shrunk") << "pattern-sd" << QSize(320, 240) << QSize(200, 200);
        QTest::newRow("HD unscaled") << "pattern-hd" << QSize(1280, 720) << QSize(1320, 760);
        QTest::newRow("HD shrunk") << "pattern-hd" << QSize(1280, 720) << QSize(480, 400);
    }
    void drawsTheVideoAsFfmpegDecodesIt()
    {
        QFETCH(QString, clip);
        QFETCH(QSize, videoSize);
        QFETCH(QSize, viewSize);
        auto player = makePlayer();
        QVERIFY(player);
        player->resize(viewSize.width(),
                       viewSize.height() + player->transportBar().sizeHint().height());
        QSignalSpy frames(player.get(), &VideoPlayer::frameRendered);
        player->setURL(mediaPath(clip + ".mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(frames.count() > 3, kPlayerTimeoutMs);
        QVERIFY(differenceFromFfmpeg(*player, clip, videoSize) <= 6);
    }
    void windowShowsEachVideoInItsOwnPane()
    {
        PlatformComponents components(quietPlayerOptions());
        Form1 form(components);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QString seen;
        QVERIFY2(showsRedLeftAndBlueRight(form, &seen), qPrintable(seen));
    }
};

QTEST_MAIN(TestVideoPlayer)
#include "test_video_player.moc"
