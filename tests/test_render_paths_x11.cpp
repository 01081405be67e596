// Both render paths under a real X server (Xvfb, whose OpenGL is Mesa's llvmpipe).

#include "app/platform_components.h"
#include "playback/transport_bar.h"
#include "playback/video_player.h"
#include "support/player_testing.h"
#include "video/native_displays.h"
#include "video/video_surface.h"
#include "window/form1.h"

#include <QSignalSpy>
#include <QTest>

using namespace tandemo;
using namespace tandemo::testing;

Q_DECLARE_METATYPE(tandemo::RenderPath)

class TestRenderPathsX11 : public QObject {
    Q_OBJECT
private slots:
    void softwareGlPicksTheSoftwarePath()
    {
        QCOMPARE(QGuiApplication::platformName(), "xcb");
        // Xvfb's GL runs on the CPU, where mpv's own software renderer is far cheaper.
        QCOMPARE(detectRenderPath(), RenderPath::Software);
        MediaPlayer* created = VideoPlayer::create(nullptr, quietPlayerOptions());
        std::unique_ptr<MediaPlayer> player(created);
        auto* mpv = qobject_cast<VideoPlayer*>(created);
        QVERIFY(mpv);
        QCOMPARE(mpv->renderPath(), RenderPath::Software);
        // The OpenGL path hands mpv the X display for hardware decoding, and no Wayland one.
        QVERIFY(nativeDisplays().x11);
        QVERIFY(!nativeDisplays().wayland);
    }

    void openGlPlayerPlaysAFileGivenBeforeItShows()
    {
        // The GL context is the view's own, made with the view: a URL written before the window
        // shows plays at once, with video, and shows as the window does.
        std::unique_ptr<MediaPlayer> created(
            VideoPlayer::create(nullptr, quietPlayerOptions(RenderPath::OpenGL)));
        auto* player = qobject_cast<VideoPlayer*>(created.get());
        QVERIFY(player);
        QVERIFY(!player->videoSurface().hasFailed());
        player->setURL(mediaPath("red.mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(player->engine().position() > 0.2, kPlayerTimeoutMs);

        QSignalSpy frames(player, &VideoPlayer::frameRendered);
        player->resize(320, 280);
        player->show();
        QTRY_VERIFY_WITH_TIMEOUT(frames.count() > 3, kPlayerTimeoutMs);
        const QImage frame = player->videoSurface().grabFrame();
        QVERIFY(colourDistance(frame.pixelColor(frame.rect().center()), Qt::red) <= 8);
    }

    void drawsTheVideoAsFfmpegDecodesIt_data()
    {
        QTest::addColumn<RenderPath>("path");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QSize>("videoSize");
        QTest::addColumn<QSize>("viewSize");
        for (RenderPath path : {RenderPath::OpenGL, RenderPath::Software}) {
            const QByteArray name = renderPathName(path).toLatin1();
            QTest::addRow("%s SD unscaled", name.constData())
                << path << "pattern-sd" << QSize(320, 240) << QSize(360, 280);
            QTest::addRow("%s SD shrunk", name.constData())
                << path << "pattern-sd" << QSize(320, 240) << QSize(200, 200);
            QTest::addRow("%s HD shrunk", name.constData())
                << path << "pattern-hd" << QSize(1280, 720) << QSize(640, 400);
            // Odd sizes: rows of pictures at widths that are no multiple of anything.
            QTest::addRow("%s HD at 331x187", name.constData())
                << path << "pattern-hd" << QSize(1280, 720) << QSize(331, 187);
            QTest::addRow("%s SD at 427x241", name.constData())
                << path << "pattern-sd" << QSize(320, 240) << QSize(427, 241);
        }
    }
    void drawsTheVideoAsFfmpegDecodesIt()
    {
        QFETCH(RenderPath, path);
        QFETCH(QString, clip);
        QFETCH(QSize, videoSize);
        QFETCH(QSize, viewSize);

        std::unique_ptr<MediaPlayer> created(
            VideoPlayer::create(nullptr, quietPlayerOptions(path)));
        auto* player = qobject_cast<VideoPlayer*>(created.get());
        QVERIFY(player);
        QCOMPARE(player->renderPath(), path);
        player->resize(viewSize.width(),
                       viewSize.height() + player->transportBar().sizeHint().height());
        player->show();
        QVERIFY(QTest::qWaitForWindowExposed(player));

        QSignalSpy frames(player, &VideoPlayer::frameRendered);
        player->setURL(mediaPath(clip + ".mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(frames.count() > 3 && player->engine().position() > 0.2,
                                 kPlayerTimeoutMs);
        // An upside-down picture puts the bottom row of blocks where the bars should be.
        QVERIFY(differenceFromFfmpeg(*player, clip, videoSize) <= 6);
        // What reached the screen is checked too, not only a fresh paint into a picture.
        QVERIFY(differenceFromFfmpeg(shownOnScreen(*player->videoSurface().widget()), clip,
                                     videoSize) <= 6);
    }
    void windowShowsEachVideoInItsOwnPane_data()
    {
        QTest::addColumn<RenderPath>("path");
        QTest::newRow("OpenGL") << RenderPath::OpenGL;
        QTest::newRow("software") << RenderPath::Software;
    }
    void windowShowsEachVideoInItsOwnPane()
    {
        QFETCH(RenderPath, path);
        PlatformComponents components(quietPlayerOptions(path));
        Form1 form(components);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QString seen;
        QVERIFY2(showsRedLeftAndBlueRight(form, &seen), qPrintable(seen));
        // Closing the window while both play frees each render context before its core.
    }
};

QTEST_MAIN(TestRenderPathsX11)
#include "test_render_paths_x11.moc"
