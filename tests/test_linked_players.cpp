// Following both together: the shared link toggle, linked transport on real players with clips of
// different lengths and frame rates, where the link meets a new file, a reset offset and the wipe
// view, the player's keys, and files dropped onto the panes.
#include "app/platform_components.h"
#include "playback/player_commands.h"
#include "playback/transport_bar.h"
#include "playback/video_player.h"
#include "playback/wipe_view.h"
#include "session/player_link.h"
#include "support/linked_window.h"
#include "support/player_testing.h"
#include "window/form1.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

// loop.mp4: 1 s at 30 frames a second; red.mp4: 3 s at 25.
constexpr double kCoarsestFrame = 1.0 / 25;

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

        // Linked, each toggle is filled with the highlight colour, plain to see; unlinked, none.
        const auto highlighted = [](QToolButton* toggle) {
            const QImage picture = toggle->grab().toImage();
            const QColor highlight = toggle->parentWidget()->palette().color(QPalette::Highlight);
            int lit = 0;
            for (int y = 0; y < picture.height(); ++y) {
                for (int x = 0; x < picture.width(); ++x)
                    lit += colourDistance(picture.pixelColor(x, y), highlight) < 24;
            }
            return double(lit) / (picture.width() * picture.height());
        };
        QCOMPARE(highlighted(rightToggle), 0.0);
        leftToggle->click();
        QVERIFY(window.left().link()->isLinked());
        QVERIFY(rightToggle->isChecked());
        QVERIFY2(highlighted(leftToggle) > 0.4 && highlighted(rightToggle) > 0.4,
                 qPrintable(QString::number(highlighted(rightToggle))));
        rightToggle->click();
        QVERIFY(!window.left().link()->isLinked());
        QVERIFY(!leftToggle->isChecked());
        QCOMPARE(highlighted(leftToggle), 0.0);
    }

    void unlinkedPlayersStayIndependent()
    {
        Window window;
        QVERIFY(window.play("loop.mp4", "red.mp4"));
        window.left().actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(window.left()), kPlayerTimeoutMs);
        window.left().actions().seekTo(0.5);
        window.left().actions().stepFrame(true);
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

        window.left().actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(window.left()) && Window::paused(window.right()),
                                 kPlayerTimeoutMs);

        // The same time in both...
        window.right().actions().seekTo(0.5);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(window.left()) - 0.5) <= kCoarsestFrame &&
                                     std::abs(Window::at(window.right()) - 0.5) <= kCoarsestFrame,
                                 kPlayerTimeoutMs);
        // ...kept inside each video's length.
        window.right().actions().seekTo(2.0);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(window.right()) - 2.0) <= kCoarsestFrame,
                                 kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(Window::at(window.left()) > 0.5 && Window::at(window.left()) < 1.0,
                                 kPlayerTimeoutMs);

        // One frame on in each, still paused.
        window.right().actions().seekTo(0.5);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(window.left()) - 0.5) <= kCoarsestFrame &&
                                     std::abs(Window::at(window.right()) - 0.5) <= kCoarsestFrame,
                                 kPlayerTimeoutMs);
        // The right one goes to its own frame showing at the left one's new moment (which may be
        // the frame it shows already: its frames are longer).
        const double leftBefore = Window::at(window.left());
        window.left().actions().stepFrame(true);
        const auto rightAtLeftsMoment = [&] {
            return std::abs(Window::at(window.right()) -
                            transport::frameShowingAt(window.right().engine(),
                                                      Window::at(window.left()))) < 0.001;
        };
        QTRY_VERIFY_WITH_TIMEOUT(Window::at(window.left()) > leftBefore && rightAtLeftsMoment(),
                                 kPlayerTimeoutMs);
        QVERIFY(Window::at(window.left()) - leftBefore <= kCoarsestFrame + 0.001);
        QVERIFY(Window::paused(window.left()) && Window::paused(window.right()));

        // Speed and play follow too.
        window.right().actions().setSpeed(2.0);
        QCOMPARE(window.left().engine().speed(), 2.0);
        window.right().actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(!Window::paused(window.left()) && !Window::paused(window.right()),
                                 kPlayerTimeoutMs);
        window.left().actions().stop();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(window.right()), kPlayerTimeoutMs);
    }

    void linkingResettingANewFileAndTheWipeViewBringThePanesTogether()
    {
        Window window;
        QVERIFY(window.play("red.mp4", "blue.mp4")); // 3 s each
        VideoPlayer& left = window.left();
        VideoPlayer& right = window.right();
        const auto together = [&](bool paused) {
            return Window::paused(left) == paused && Window::paused(right) == paused &&
                   std::abs(Window::at(left) - Window::at(right)) < 0.05;
        };
        left.actions().togglePlayPause();
        left.actions().seekTo(1.0);
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(left) && std::abs(Window::at(left) - 1.0) < 0.001,
                                 kPlayerTimeoutMs);

        // Link turned on in the paused left pane: the playing right one joins it there.
        left.transportBar().linkButton()->click();
        QVERIFY(left.link()->isLinked());
        QTRY_VERIFY_WITH_TIMEOUT(together(true) && std::abs(Window::at(right) - 1.0) < 0.001,
                                 kPlayerTimeoutMs);

        // Reset Offset in the left pane brings the right one back to its moment at once.
        right.actions().seekAloneTo(1.6);
        QTRY_COMPARE_WITH_TIMEOUT(left.transportBar().offsetText(), QString("-0.600 s"),
                                  kPlayerTimeoutMs);
        perform(left.actions(), {PlayerCommand::ResetOffset});
        QCOMPARE(left.transportBar().offsetText(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(together(true), kPlayerTimeoutMs);

        // A new file in the left pane: both start from the start, together.
        left.setURL(mediaPath("blue.mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(together(false) && Window::at(left) > 0.2, kPlayerTimeoutMs);
        QVERIFY(Window::at(right) < 1.0);

        // The wipe view asked for in the paused left pane, unlinked: linked there, paused; a
        // zoom made inside it goes when it goes, and so does the link.
        left.link()->setLinked(false);
        left.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(left) && !Window::paused(right), kPlayerTimeoutMs);
        left.setFocus();
        QTest::keyClick(&left, Qt::Key_W);
        WipeView* wipe = window.components.wipeView();
        QVERIFY(wipe);
        QTRY_VERIFY_WITH_TIMEOUT(together(true), kPlayerTimeoutMs);
        left.actions().zoomPictureAt(QPointF(10, 10), 2, wipe->pictureRect().size());
        QVERIFY(left.engine().view() != ViewZoom{} && right.engine().view() != ViewZoom{});
        QTest::keyClick(wipe, Qt::Key_Escape);
        QVERIFY(!window.components.wipeView());
        QCOMPARE(left.engine().view(), ViewZoom{});
        QCOMPARE(right.engine().view(), ViewZoom{});
        QVERIFY(!left.link()->isLinked());
    }

    void aFileOpenedAgainKeepsTheLinkItsOffsetAndThePassage()
    {
        // The right pane's file is written again (touched): the pane opens it again, and the
        // link, its offset and the right pane's passage stay as the user set them.
        Window window;
        QVERIFY(window.play("count-25.mp4", "count-30.mp4"));
        VideoPlayer& left = window.left();
        VideoPlayer& right = window.right();
        QTemporaryDir folder;
        const QString copy = folder.filePath("count-30.mp4");
        QVERIFY(QFile::copy(mediaPath("count-30.mp4"), copy));
        QSignalSpy rightFrames(&right, &VideoPlayer::frameRendered);
        right.setURL(copy);
        QTRY_VERIFY_WITH_TIMEOUT(rightFrames.count() > 3, kPlayerTimeoutMs);
        left.transportBar().linkButton()->click();
        QVERIFY(window.pauseBoth());
        right.actions().seekAloneTo(Window::at(right) + 0.5);
        QTRY_VERIFY_WITH_TIMEOUT(!left.transportBar().offsetText().isEmpty(), kPlayerTimeoutMs);
        const QString offset = left.transportBar().offsetText();
        right.engine().setPassage(Passage{1.0, 4.0});

        QSignalSpy loads(&right.engine(), &PlaybackEngine::loadStarted);
        QSignalSpy opened(&right.engine(), &PlaybackEngine::fileLoaded);
        QFile touched(copy);
        QVERIFY(touched.open(QIODevice::ReadWrite));
        QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                    QFileDevice::FileModificationTime));
        touched.close();
        QTRY_VERIFY_WITH_TIMEOUT(!opened.isEmpty(), kPlayerTimeoutMs);
        QTest::qWait(200);
        QVERIFY(loads.isEmpty());
        QVERIFY(left.link()->isLinked());
        QCOMPARE(left.transportBar().offsetText(), offset);
        QCOMPARE(right.engine().passage(), std::optional<Passage>(Passage{1.0, 4.0}));
        QVERIFY(Window::paused(right));
    }

    void keysOfTheFocusedPlayer()
    {
        Window window;
        QVERIFY(window.play("red.mp4", "loop.mp4"));
        VideoPlayer& player = window.left();
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
        QSignalSpy frames(&window.left(), &VideoPlayer::frameRendered);
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
