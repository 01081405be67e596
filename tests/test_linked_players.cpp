// Following both together: the shared link toggle, linked transport on real players with clips of
// different lengths and frame rates, the player's keys, and files dropped onto the panes.
#include "app/platform_components.h"
#include "playback/mpv_player.h"
#include "playback/player_link.h"
#include "playback/transport_bar.h"
#include "support/player_testing.h"
#include "window/form1.h"

#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

// loop.mp4: 1 s at 30 frames a second; red.mp4: 3 s at 25.
constexpr double kCoarsestFrame = 1.0 / 25;

struct Window {
    Window()
        : components(quietPlayerOptions())
        , form(components)
    {
        form.show();
        left().settings().setMode("loop", true);
        right().settings().setMode("loop", true);
    }
    MpvPlayer& left() { return *qobject_cast<MpvPlayer*>(form.MediaPlayer1()); }
    MpvPlayer& right() { return *qobject_cast<MpvPlayer*>(form.MediaPlayer2()); }

    /// Both play their clips.
    bool play(const QString& leftClip, const QString& rightClip)
    {
        QSignalSpy leftFrames(&left(), &MpvPlayer::frameRendered);
        QSignalSpy rightFrames(&right(), &MpvPlayer::frameRendered);
        left().setURL(mediaPath(leftClip));
        right().setURL(mediaPath(rightClip));
        return QTest::qWaitFor(
            [&] {
                return leftFrames.count() > 3 && rightFrames.count() > 3 &&
                       left().engine().duration() > 0 && right().engine().duration() > 0;
            },
            kPlayerTimeoutMs);
    }

    static bool paused(MpvPlayer& player) { return player.engine().isPaused(); }
    static double at(MpvPlayer& player) { return player.engine().position(); }

    PlatformComponents components;
    Form1 form;
};

void press(QWidget& widget, Qt::Key key)
{
    QTest::keyClick(&widget, key);
}

QMimeData* filesData(const QStringList& files)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& file : files)
        urls << QUrl::fromLocalFile(file);
    data->setUrls(urls);
    return data;
}

void drop(QWidget& target, const QStringList& files)
{
    std::unique_ptr<QMimeData> data(filesData(files));
    const QPoint middle = target.rect().center();
    QDragEnterEvent enter(middle, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    QDropEvent dropped(QPointF(middle), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &dropped);
}

} // namespace

class TestLinkedPlayers : public QObject {
    Q_OBJECT

private slots:
    void linkToggleIsSharedAndOffByDefault()
    {
        Window window;
        QToolButton* leftToggle = window.left().transportBar().linkButton();
        QToolButton* rightToggle = window.right().transportBar().linkButton();
        QCOMPARE(window.left().link(), window.right().link());
        QVERIFY(!window.left().link()->isLinked());
        QVERIFY(!leftToggle->isChecked() && !rightToggle->isChecked());

        leftToggle->click();
        QVERIFY(window.left().link()->isLinked());
        QVERIFY(rightToggle->isChecked());
        rightToggle->click();
        QVERIFY(!window.left().link()->isLinked());
        QVERIFY(!leftToggle->isChecked());
    }

    void unlinkedPlayersStayIndependent()
    {
        Window window;
        QVERIFY(window.play("loop.mp4", "red.mp4"));
        window.left().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(window.left()), kPlayerTimeoutMs);
        window.left().seekTo(0.5);
        window.left().stepFrame(true);
        // Once the left player has done all that, the right one has seen none of it.
        QTRY_VERIFY_WITH_TIMEOUT(Window::at(window.left()) > 0.5 && Window::at(window.left()) < 0.6,
                                 kPlayerTimeoutMs);
        QVERIFY(!Window::paused(window.right()));
        QCOMPARE(window.right().engine().speed(), 1.0);
    }

    void linkedPauseSeekAndStepActOnBoth()
    {
        Window window;
        QVERIFY(window.play("loop.mp4", "red.mp4"));
        window.left().link()->setLinked(true);

        window.left().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(window.left()) && Window::paused(window.right()),
                                 kPlayerTimeoutMs);

        // The same time in both...
        window.right().seekTo(0.5);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(window.left()) - 0.5) <= kCoarsestFrame &&
                                     std::abs(Window::at(window.right()) - 0.5) <= kCoarsestFrame,
                                 kPlayerTimeoutMs);
        // ...kept inside each video's length.
        window.right().seekTo(2.0);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(window.right()) - 2.0) <= kCoarsestFrame,
                                 kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(Window::at(window.left()) > 0.5 && Window::at(window.left()) < 1.0,
                                 kPlayerTimeoutMs);

        // One frame on in each, still paused.
        window.right().seekTo(0.5);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(window.left()) - 0.5) <= kCoarsestFrame,
                                 kPlayerTimeoutMs);
        const double leftBefore = Window::at(window.left());
        const double rightBefore = Window::at(window.right());
        window.left().stepFrame(true);
        QTRY_VERIFY_WITH_TIMEOUT(Window::at(window.left()) > leftBefore &&
                                     Window::at(window.right()) > rightBefore,
                                 kPlayerTimeoutMs);
        QVERIFY(Window::at(window.left()) - leftBefore <= kCoarsestFrame + 0.001);
        QVERIFY(Window::paused(window.left()) && Window::paused(window.right()));

        // Speed and play follow too.
        window.right().setSpeed(2.0);
        QCOMPARE(window.left().engine().speed(), 2.0);
        window.right().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(!Window::paused(window.left()) && !Window::paused(window.right()),
                                 kPlayerTimeoutMs);
        window.left().stop();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(window.right()), kPlayerTimeoutMs);
    }

    void anOffsetSetWithCtrlIsKeptThroughPauseSeekStepAndPlay()
    {
        Window window;
        QVERIFY(window.play("red.mp4", "blue.mp4")); // 3 s each, 25 frames a second
        MpvPlayer& left = window.left();
        MpvPlayer& right = window.right();
        left.link()->setLinked(true);
        left.togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(left) && Window::paused(right), kPlayerTimeoutMs);
        left.seekTo(1.0);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(left) - 1.0) < 0.001 &&
                                     std::abs(Window::at(right) - 1.0) < 0.001,
                                 kPlayerTimeoutMs);

        // Ctrl held: the right one alone, eight frames on, and five more with Ctrl and ".".
        right.seekAloneTo(1.32);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(right) - 1.32) < 0.001, kPlayerTimeoutMs);
        right.setFocus();
        for (int i = 0; i < 5; ++i) {
            const double before = Window::at(right);
            QTest::keyClick(&right, Qt::Key_Period, Qt::ControlModifier);
            QTRY_VERIFY_WITH_TIMEOUT(Window::at(right) > before, kPlayerTimeoutMs);
        }
        QTRY_COMPARE_WITH_TIMEOUT(right.transportBar().offsetText(), QString("+0.520 s"),
                                  kPlayerTimeoutMs);
        QCOMPARE(left.transportBar().offsetText(), QString("-0.520 s"));
        QVERIFY(std::abs(Window::at(left) - 1.0) < 0.001); // the left one did not move
        const auto keptApart = [&] {
            return std::abs(Window::at(right) - Window::at(left) - 0.52);
        };

        left.seekTo(0.6);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(left) - 0.6) < 0.001 && keptApart() < 0.001,
                                 kPlayerTimeoutMs);
        for (int i = 0; i < 3; ++i) {
            const double before = Window::at(left);
            left.stepFrame(true);
            QTRY_VERIFY_WITH_TIMEOUT(Window::at(left) > before && keptApart() <= kCoarsestFrame,
                                     kPlayerTimeoutMs);
        }
        left.togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(!Window::paused(left) && !Window::paused(right), kPlayerTimeoutMs);
        left.togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(left) && Window::paused(right) &&
                                     keptApart() <= kCoarsestFrame,
                                 kPlayerTimeoutMs);

        // Reset Offset, from the menu.
        std::unique_ptr<QMenu> menu = left.createContextMenu();
        QAction* reset = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text() == "Reset Offset")
                reset = action;
        }
        QVERIFY(reset && reset->isEnabled());
        reset->trigger();
        QVERIFY(right.transportBar().offsetText().isEmpty());
        left.seekTo(1.0);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(left) - 1.0) < 0.001 &&
                                     std::abs(Window::at(right) - 1.0) < 0.001,
                                 kPlayerTimeoutMs);
    }

    void linkedZoomShowsTheSameRegionOfEachPicture()
    {
        Window window; // panes narrower than either clip: both are shrunk to fit
        QVERIFY(window.play("bars-360.mp4", "bars-720.mp4"));
        MpvPlayer& left = window.left();
        MpvPlayer& right = window.right();
        left.link()->setLinked(true);
        left.togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(left) && Window::paused(right), kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(!left.engine().videoSize().isEmpty(), kPlayerTimeoutMs);

        // Colours on a grid over each picture.
        const auto samples = [](MpvPlayer& player) {
            const QImage picture = player.videoSurface().grabFrame();
            QList<QColor> colours;
            for (int y = 1; y < 8; ++y) {
                for (int x = 1; x < 8; ++x)
                    colours << picture.pixelColor(picture.width() * x / 8,
                                                  picture.height() * y / 8);
            }
            return colours;
        };
        const auto alike = [](const QList<QColor>& a, const QList<QColor>& b) {
            int same = 0;
            for (qsizetype i = 0; i < a.size(); ++i)
                same += colourDistance(a[i], b[i]) <= 24;
            return same;
        };
        const QList<QColor> whole = samples(left);

        // Four wheel steps into the lower left of the left picture, then a drag.
        QWidget& surface = *left.videoSurface().widget();
        QSignalSpy leftFrames(&left, &MpvPlayer::frameRendered);
        QSignalSpy rightFrames(&right, &MpvPlayer::frameRendered);
        const QPoint at(surface.width() / 4, surface.height() * 3 / 4);
        QWheelEvent wheel(at, surface.mapToGlobal(at), QPoint(), QPoint(0, 4 * 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&surface, &wheel);
        QCOMPARE(right.engine().view(), left.engine().view());
        QCOMPARE(left.engine().view().zoom, 1.0);
        QTRY_VERIFY_WITH_TIMEOUT(leftFrames.count() > 0 && rightFrames.count() > 0,
                                 kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(alike(samples(left), samples(right)) >= 44, kPlayerTimeoutMs);
        QVERIFY(alike(samples(left), whole) < 40); // it did zoom

        QTest::mousePress(&surface, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseMove(&surface, at + QPoint(30, -20));
        QTest::mouseRelease(&surface, Qt::LeftButton, Qt::NoModifier, at + QPoint(30, -20));
        QCOMPARE(right.engine().view(), left.engine().view());
        QVERIFY(left.engine().view().panX != 0);
        QTRY_VERIFY_WITH_TIMEOUT(alike(samples(left), samples(right)) >= 44, kPlayerTimeoutMs);

        // "0" shows the whole pictures again.
        left.setFocus();
        QTest::keyClick(&left, Qt::Key_0);
        QCOMPARE(right.engine().view(), ViewZoom{});
        QTRY_VERIFY_WITH_TIMEOUT(alike(samples(left), whole) >= 44, kPlayerTimeoutMs);
    }

    void keysOfTheFocusedPlayer()
    {
        Window window;
        QVERIFY(window.play("red.mp4", "loop.mp4"));
        MpvPlayer& player = window.left();
        player.setFocus();

        press(player, Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(player), kPlayerTimeoutMs);
        press(player, Qt::Key_Right); // 5 s on, kept inside the 3 s clip
        QTRY_VERIFY_WITH_TIMEOUT(Window::at(player) > 2.5, kPlayerTimeoutMs);
        press(player, Qt::Key_Left);
        QTRY_VERIFY_WITH_TIMEOUT(Window::at(player) < 0.5, kPlayerTimeoutMs);
        const double before = Window::at(player);
        press(player, Qt::Key_Period);
        QTRY_VERIFY_WITH_TIMEOUT(Window::at(player) > before, kPlayerTimeoutMs);
        press(player, Qt::Key_Comma);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(player) - before) < 0.001, kPlayerTimeoutMs);

        const int volume = player.settings().volume();
        press(player, Qt::Key_Up);
        QCOMPARE(player.settings().volume(), volume + 5);
        press(player, Qt::Key_Down);
        QCOMPARE(player.settings().volume(), volume);
        press(player, Qt::Key_M);
        QVERIFY(player.settings().mute());
        QVERIFY(!Window::paused(window.right())); // the other player was not linked
    }

    void droppedFilesPlayInTheirPanes()
    {
        Window window;
        drop(window.right(), {mediaPath("blue.mp4")});
        QCOMPARE(window.right().URL(), mediaPath("blue.mp4"));
        QVERIFY(window.left().URL().isEmpty());

        // Two files: the first where they were dropped, the second in the other pane.
        drop(window.left(), {mediaPath("red.mp4"), mediaPath("loop.mp4"), mediaPath("clip.avi")});
        QCOMPARE(window.left().URL(), mediaPath("red.mp4"));
        QCOMPARE(window.right().URL(), mediaPath("loop.mp4"));
        QSignalSpy frames(&window.left(), &MpvPlayer::frameRendered);
        QTRY_VERIFY_WITH_TIMEOUT(frames.count() > 3, kPlayerTimeoutMs);

        // Only local files are taken.
        auto data = std::unique_ptr<QMimeData>(new QMimeData);
        data->setUrls({QUrl("https://example.com/a.avi")});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&window.left(), &enter);
        QVERIFY(!enter.isAccepted());
    }
};

QTEST_MAIN(TestLinkedPlayers)
#include "test_linked_players.moc"
