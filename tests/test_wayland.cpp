// The program's window on a Wayland compositor (headless weston), natively, on both render paths:
// what the compositor shows of it.
#include "app/platform_components.h"
#include "fakes/fake_services.h"
#include "playback/video_player.h"
#include "support/player_testing.h"
#include "video/native_displays.h"
#include "window/form1.h"
#include "window/form1_events.h"
#include "window/start_up.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

Q_DECLARE_METATYPE(std::optional<tandemo::RenderPath>)

namespace {

/// The compositor's output as its screenshooter saves it.
QImage compositorScreenshot()
{
    QTemporaryDir folder;
    QProcess shooter;
    shooter.setWorkingDirectory(folder.path());
    shooter.start("weston-screenshooter", QStringList());
    if (!shooter.waitForFinished(kPlayerTimeoutMs) || shooter.exitCode() != 0)
        return {};
    const QStringList shots = QDir(folder.path()).entryList({"*.png"});
    return shots.isEmpty()
               ? QImage()
               : QImage(folder.filePath(shots.constFirst())).convertToFormat(QImage::Format_ARGB32);
}

struct Pixels {
    int count = 0;
    double meanX = 0;
};

/// The pixels of that colour, and fully opaque.
Pixels opaquePixelsNear(const QImage& image, const QColor& colour)
{
    Pixels found;
    double sumX = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 255 && colourDistance(QColor(line[x]), colour) <= 12) {
                ++found.count;
                sumX += x;
            }
        }
    }
    found.meanX = found.count ? sumX / found.count : 0;
    return found;
}

int transparentPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) == 0;
    }
    return count;
}

/// The screenshot's pixel at the middle of the player's picture, found by the window's place on
/// the output where the compositor reports it (or read as it is where it does not).
QString colourAt(const QImage& screen, const QWidget& window, const VideoPlayer& player)
{
    const QWidget* video = const_cast<VideoPlayer&>(player).videoSurface().widget();
    const QPoint at = video->mapTo(&window, video->rect().center()) + window.geometry().topLeft();
    if (!screen.rect().contains(at))
        return QStringLiteral("(outside)");
    const QColor colour = screen.pixelColor(at);
    return QStringLiteral("RGBA(%1,%2,%3,%4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(colour.alpha());
}

} // namespace

class TestWayland : public QObject {
    Q_OBJECT

private slots:
    void runsNatively()
    {
        QCOMPARE(QGuiApplication::platformName(), "wayland");
        // The OpenGL path hands mpv the Wayland display for hardware decoding, and no X one.
        QVERIFY(nativeDisplays().wayland);
        QVERIFY(!nativeDisplays().x11);
    }

    void bothPanesPlay_data()
    {
        QTest::addColumn<std::optional<RenderPath>>("path");
        QTest::newRow("the path chosen for this machine") << std::optional<RenderPath>();
        QTest::newRow("software") << std::optional<RenderPath>(RenderPath::Software);
        QTest::newRow("OpenGL") << std::optional<RenderPath>(RenderPath::OpenGL);
    }
    void bothPanesPlay()
    {
        QFETCH(std::optional<RenderPath>, path);
        // The window as the program builds it, started as the program starts it.
        FakeServices fakes;
        PlatformComponents components(quietPlayerOptions(path));
        Form1 form(components);
        connectEventHandlers(form, fakes.services);
        Form_Load(form, fakes.services);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* left = qobject_cast<VideoPlayer*>(form.MediaPlayer1());
        auto* right = qobject_cast<VideoPlayer*>(form.MediaPlayer2());
        QVERIFY(left && right);
        if (path)
            QCOMPARE(left->renderPath(), *path);
        qInfo("render path: %s", qPrintable(renderPathName(left->renderPath())));

        QSignalSpy leftFrames(left, &VideoPlayer::frameRendered);
        QSignalSpy rightFrames(right, &VideoPlayer::frameRendered);
        left->setURL(mediaPath("red.mp4"));
        right->setURL(mediaPath("blue.mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(leftFrames.count() > 10 && rightFrames.count() > 10 &&
                                     left->engine().position() > 0.3 &&
                                     right->engine().position() > 0.3,
                                 kPlayerTimeoutMs);
        QVERIFY(fakes.messageBox.shown.isEmpty());

        // What reached the compositor: the screenshot of its output shows both videos opaque,
        // red left of blue (each clip is drawn at least at its own size, 160x120).
        const QImage screen = compositorScreenshot();
        QVERIFY(!screen.isNull());
        const Pixels red = opaquePixelsNear(screen, Qt::red);
        const Pixels blue = opaquePixelsNear(screen, Qt::blue);
        const QString seen =
            QString("red %1, blue %2, fully transparent %3 pixels; at the left pane's middle %4")
                .arg(red.count)
                .arg(blue.count)
                .arg(transparentPixels(screen))
                .arg(colourAt(screen, form, *left));
        QVERIFY2(red.count > 15000 && blue.count > 15000, qPrintable(seen));
        QVERIFY2(red.meanX < blue.meanX, qPrintable(seen));
    }

    void theProgramStartsAndEndsOnTheCompositor()
    {
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral(TANDEMO_PROGRAM),
                      {mediaPath("red.mp4"), mediaPath("blue.mp4")});
        QVERIFY(program.waitForStarted(kPlayerTimeoutMs));
        // Still running after its start-up: it found the compositor and its window was made.
        QVERIFY(!program.waitForFinished(3000));
        program.terminate();
        QVERIFY(program.waitForFinished(kPlayerTimeoutMs));
    }
};

QTEST_MAIN(TestWayland)
#include "test_wayland.moc"
