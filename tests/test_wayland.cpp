// The program's window on a Wayland compositor (headless weston), natively, on both render paths.
#include "app/platform_components.h"
#include "fakes/fake_services.h"
#include "playback/mpv_player.h"
#include "support/player_testing.h"
#include "window/form1.h"
#include "window/form1_events.h"
#include "window/start_up.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

Q_DECLARE_METATYPE(std::optional<tandemo::RenderPath>)

class TestWayland : public QObject {
    Q_OBJECT

private slots:
    void runsNatively() { QCOMPARE(QGuiApplication::platformName(), "wayland"); }

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
        auto* left = qobject_cast<MpvPlayer*>(form.MediaPlayer1());
        auto* right = qobject_cast<MpvPlayer*>(form.MediaPlayer2());
        QVERIFY(left && right);
        if (path)
            QCOMPARE(left->renderPath(), *path);
        qInfo("render path: %s", qPrintable(renderPathName(left->renderPath())));

        QSignalSpy leftFrames(left, &MpvPlayer::frameRendered);
        QSignalSpy rightFrames(right, &MpvPlayer::frameRendered);
        left->setURL(mediaPath("red.mp4"));
        right->setURL(mediaPath("blue.mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(leftFrames.count() > 10 && rightFrames.count() > 10 &&
                                     left->engine().position() > 0.3 &&
                                     right->engine().position() > 0.3,
                                 kPlayerTimeoutMs);
        QVERIFY(fakes.messageBox.shown.isEmpty());
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
