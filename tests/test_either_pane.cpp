// Every comparison command asked for in the left pane and in the right one, through the real
// window, as the user asks: with the pane's keys and its right-click menu. Each case checks what
// the user sees: the wipe view and its picture in each mode, the measurement's figures, the link
// an alignment makes, the passage in both bars, which pane is heard, the mirrored picture.
#include "playback/passage_mark.h"
#include "playback/quality_graph.h"
#include "playback/transport_bar.h"
#include "support/either_pane.h"
#include "support/linked_window.h"
#include "support/mpv_probe.h"
#include "support/wipe_testing.h"
#include "video/video_surface.h"

#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

/// Chooses an item of the player's right-click menu by its text (without the key shown beside
/// it), going through the submenus named before it. Whether there was one to choose.
bool choose(VideoPlayer& player, const QStringList& path)
{
    const std::unique_ptr<QMenu> menu = player.createContextMenu();
    QMenu* level = menu.get();
    for (const QString& text : path) {
        QAction* found = nullptr;
        for (QAction* action : level->actions()) {
            if (action->text().section('\t', 0, 0) == text)
                found = action;
        }
        if (!found)
            return false;
        if (found->menu()) {
            level = found->menu();
        } else {
            found->trigger();
            return true;
        }
    }
    return false;
}

/// Whether the wipe view comes to show `colour` at a point of a 160x120 video.
bool wipeShows(Window& window, QPointF point, QColor colour)
{
    return QTest::qWaitFor(
        [&] {
            WipeView* wipe = window.components.wipeView();
            return wipe && colourDistance(shownAt(*wipe, {160, 120}, point), colour) <= 16;
        },
        kPlayerTimeoutMs);
}

/// The colour in the middle of the left half of the picture a player shows.
QColor leftHalfOf(VideoPlayer& player)
{
    const QImage frame = player.videoSurface().grabFrame();
    const QRectF video = videoRect(frame.size(), {160, 120});
    return frame.pixelColor(int(video.left() + video.width() / 4), int(video.center().y()));
}

/// What the note over a pane's picture says, while it shows.
QString noteOver(VideoPlayer& player)
{
    const auto* note = player.videoSurface().widget()->findChild<QLabel*>("pictureNote");
    return note && note->isVisible() ? note->text() : QString();
}

} // namespace

class TestEitherPane : public QObject {
    Q_OBJECT

private slots:
    void theWipeViewInEachMode_data() { askedInEitherPane(); }
    void theWipeViewInEachMode()
    {
        QFETCH(int, pane);
        Window window;
        VideoPlayer& asking = pane == 0 ? window.left() : window.right();
        QVERIFY(window.play("red.mp4", "blue.mp4"));

        QTest::keyClick(&asking, Qt::Key_W);
        QVERIFY(window.components.wipeView() && window.components.wipeView()->isVisible());
        QVERIFY(window.pauseBoth());
        const QPointF left(20, 60), right(140, 60);
        QVERIFY(wipeShows(window, left, Qt::red) && wipeShows(window, right, Qt::blue));
        // Each mode from the pane's menu: the difference of red and blue, half of each, then
        // one of them whole.
        QVERIFY(choose(asking, {"Wipe View Shows", "Difference"}));
        QVERIFY(wipeShows(window, left, QColor(255, 128, 255)));
        QVERIFY(choose(asking, {"Wipe View Shows", "Onion Skin"}));
        QVERIFY(wipeShows(window, right, QColor(128, 0, 128)));
        QVERIFY(choose(asking, {"Wipe View Shows", "Flicker"}));
        QTest::keyClick(&asking, Qt::Key_Minus); // down to flicking on a key only
        QTest::keyClick(&asking, Qt::Key_Minus);
        QTest::keyClick(&asking, Qt::Key_Minus);
        const QColor whole =
            window.components.session().comparison().look().flickerShowsSecond ? Qt::blue : Qt::red;
        QVERIFY(wipeShows(window, left, whole) && wipeShows(window, right, whole));
        QTest::keyClick(&asking, Qt::Key_X);
        QVERIFY(wipeShows(window, left, whole == Qt::red ? Qt::blue : Qt::red));
        QVERIFY(choose(asking, {"Wipe View Shows", "Divider"}));
        QVERIFY(wipeShows(window, left, Qt::red) && wipeShows(window, right, Qt::blue));

        QVERIFY(choose(asking, {"Wipe View"}));
        QTRY_VERIFY(!window.components.wipeView());
        QVERIFY(!window.components.session().link().isLinked()); // as it was before
    }

    void measuringShowsItsFiguresInTheView_data() { askedInEitherPane(); }
    void measuringShowsItsFiguresInTheView()
    {
        QFETCH(int, pane);
        Window window;
        VideoPlayer& asking = pane == 0 ? window.left() : window.right();
        QVERIFY(window.play("pattern.mp4", "pattern-low.mp4"));
        QTest::keyClick(&asking, Qt::Key_D);
        WipeView* wipe = window.components.wipeView();
        QVERIFY(wipe);
        QTRY_VERIFY_WITH_TIMEOUT(wipe->graph().summaryText().startsWith("SSIM 0.8"),
                                 kPlayerTimeoutMs);
        QVERIFY(wipe->graph().isVisible());
        // At the window's first size every figure of the summary is drawn whole, on as many
        // lines as it takes.
        QCOMPARE(wipe->graph().shownSummary().split('\n').join(" \u00b7 "),
                 wipe->graph().summaryText());
        QVERIFY(wipe->graph().shownSummary().contains('\n'));
        QVERIFY(choose(asking, {"Copy Measurements"}));
    }

    void withOnePaneEmptyExportAndSwapSayWhyAtOnce_data() { askedInEitherPane(); }
    void withOnePaneEmptyExportAndSwapSayWhyAtOnce()
    {
        QFETCH(int, pane);
        Window window;
        VideoPlayer& asking = pane == 0 ? window.left() : window.right();
        QSignalSpy frames(&window.left(), &VideoPlayer::frameRendered);
        window.left().setURL(mediaPath("red.mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(frames.count() > 2, kPlayerTimeoutMs);
        // No dialog: the reason, read whole over the picture where the bar is too narrow.
        QVERIFY(choose(asking, {"Export Comparison\u2026"}));
        QVERIFY(!asking.findChild<QDialog*>());
        const QString exportRefused = "Cannot export: two videos are needed";
        QTRY_COMPARE(asking.transportBar().timeText(), exportRefused);
        QCOMPARE(noteOver(asking), exportRefused);
        QVERIFY(choose(asking, {"Swap Sides"}));
        QTRY_COMPARE(asking.transportBar().timeText(), QString("Swap Sides needs two videos"));
    }

    void theFlickerNoteNamesThePictureShowing()
    {
        Window window;
        QVERIFY(window.play("red.mp4", "blue.mp4"));
        QTest::keyClick(&window.left(), Qt::Key_W);
        WipeView* wipe = window.components.wipeView();
        QVERIFY(wipe);
        const Comparison& comparison = window.components.session().comparison();
        QVERIFY(choose(window.left(), {"Wipe View Shows", "Flicker"}));
        QTest::keyClick(wipe, Qt::Key_Plus); // 4 a second: it turns while the note shows
        const auto* note = wipe->findChild<QLabel*>("pictureNote");
        QVERIFY(note);
        const bool first = comparison.look().flickerShowsSecond;
        QTRY_VERIFY_WITH_TIMEOUT(comparison.look().flickerShowsSecond != first, 1000);
        QVERIFY(note->isVisible());
        QVERIFY2(note->text().endsWith(comparison.look().flickerShowsSecond ? "second video"
                                                                            : "first video"),
                 qPrintable(note->text()));
    }

    void aligningLinksThePanesAtTheOffsetFound_data() { askedInEitherPane(); }
    void aligningLinksThePanesAtTheOffsetFound()
    {
        QFETCH(int, pane);
        Window window;
        VideoPlayer& asking = pane == 0 ? window.left() : window.right();
        PlayerLink& link = window.components.session().link();
        QVERIFY(window.play("sound-a.mp4", "sound-b.mp4"));
        // Paused, the asking pane at 5 s: the link is made at its moment, the other brought
        // there.
        window.left().actions().togglePlayPause();
        window.right().actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(window.left()) && Window::paused(window.right()),
                                 kPlayerTimeoutMs);
        asking.actions().seekTo(5.0);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(asking) - 5.0) < 0.01, kPlayerTimeoutMs);
        QTest::keyClick(&asking, Qt::Key_A);
        QTRY_VERIFY_WITH_TIMEOUT(link.isLinked(), kPlayerTimeoutMs);
        QVERIFY(std::abs(link.offsetOf(&window.right().engine()) - 1.37) < 0.002);
        QTRY_VERIFY_WITH_TIMEOUT(
            std::abs(Window::at(asking) - 5.0) < 0.05 &&
                std::abs(Window::at(window.right()) - Window::at(window.left()) - 1.37) < 0.05,
            kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(asking.transportBar().status() == "Aligned", kPlayerTimeoutMs);

        link.setLinked(false);
        QVERIFY(window.play("moving.mp4", "moving-later.mp4"));
        QVERIFY(choose(asking, {"Align by Picture"}));
        QTRY_VERIFY_WITH_TIMEOUT(link.isLinked(), kPlayerTimeoutMs);
        QVERIFY(std::abs(link.offsetOf(&window.right().engine()) + 41 / 30.0) < 1 / 30.0);

        // Takes that drift apart: linked at the right one's pace, and a seek in this pane takes
        // the other to its frame of the same moment, at the end as at the start.
        link.setLinked(false);
        QVERIFY(window.play("drift-a.mp4", "drift-b.mp4"));
        QTest::keyClick(&asking, Qt::Key_A);
        QTRY_VERIFY_WITH_TIMEOUT(asking.transportBar().status().contains("0.959"),
                                 kPlayerTimeoutMs);
        QVERIFY(std::abs(link.rateOf(&window.right().engine()) - 23.976 / 25) < 0.0005);
        QVERIFY(window.pauseBoth());
        const double pace = pane == 0 ? 23.976 / 25 : 25 / 23.976;
        for (const double moment : {2.0, 34.0}) {
            asking.actions().seekTo(moment);
            VideoPlayer& other = pane == 0 ? window.right() : window.left();
            QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(other) - moment * pace) < 1.5 / 30,
                                     kPlayerTimeoutMs);
        }
        // Measured at that pace too: each frame against its twin (at the offset alone, 0.80).
        QTest::keyClick(&asking, Qt::Key_D);
        QTRY_VERIFY_WITH_TIMEOUT(
            window.components.wipeView() &&
                window.components.wipeView()->graph().summaryText().startsWith("SSIM 0.9"),
            kPlayerTimeoutMs);
    }

    void passageSoundAndMirror_data() { askedInEitherPane(); }
    void passageSoundAndMirror()
    {
        QFETCH(int, pane);
        Window window;
        VideoPlayer& asking = pane == 0 ? window.left() : window.right();
        VideoPlayer& other = pane == 0 ? window.right() : window.left();
        QVERIFY(window.play("halves.mp4", "halves.mp4"));
        window.components.session().link().setLinked(true, &asking.engine());
        QVERIFY(window.pauseBoth());

        // A passage marked in the pane is looped in both, and both bars show it.
        const auto bothAt = [&](double seconds) {
            return QTest::qWaitFor(
                [&] {
                    return std::abs(Window::at(asking) - seconds) < 0.05 &&
                           std::abs(Window::at(other) - seconds) < 0.05;
                },
                kPlayerTimeoutMs);
        };
        asking.actions().seekTo(0.5);
        QVERIFY(bothAt(0.5));
        QTest::keyClick(&asking, Qt::Key_BracketLeft);
        asking.actions().seekTo(1.5);
        QVERIFY(bothAt(1.5));
        QVERIFY(choose(asking, {"End Passage Here"}));
        for (VideoPlayer* player : {&asking, &other}) {
            QVERIFY(player->engine().passage());
            QVERIFY2(std::abs(player->engine().passage()->start - 0.5) < 0.05,
                     qPrintable(QString::number(player->engine().passage()->start)));
            QVERIFY(std::abs(player->engine().passage()->end - 1.5) < 0.05);
            QVERIFY(player->transportBar().passageMark().isVisible());
        }

        // The other pane's sound, chosen in this one's menu: this one is silent.
        QVERIFY(choose(asking, {"Sound From", pane == 0 ? "Right Pane" : "Left Pane"}));
        const QString heard = pane == 0 ? "Sound from the right pane" : "Sound from the left pane";
        QCOMPARE(noteOver(asking), heard);
        QCOMPARE(noteOver(other), heard);
        QTRY_VERIFY_WITH_TIMEOUT(mpvFlag(asking, "mute"), kPlayerTimeoutMs);
        QVERIFY(!mpvFlag(other, "mute"));
        QVERIFY(choose(other, {"Sound From", "Both Panes"}));
        QTRY_VERIFY_WITH_TIMEOUT(!mpvFlag(asking, "mute"), kPlayerTimeoutMs);

        // Mirrored from its menu: this pane's halves change sides, the other's stay.
        QTRY_VERIFY_WITH_TIMEOUT(colourDistance(leftHalfOf(asking), Qt::red) <= 12,
                                 kPlayerTimeoutMs);
        QVERIFY(choose(asking, {"Mirror"}));
        QCOMPARE(noteOver(asking), "Mirrored");
        QTRY_VERIFY_WITH_TIMEOUT(colourDistance(leftHalfOf(asking), Qt::blue) <= 12,
                                 kPlayerTimeoutMs);
        QVERIFY(colourDistance(leftHalfOf(other), Qt::red) <= 12);
    }

    void swappingSidesKeepsEachVideosMomentAndTheOffset_data() { askedInEitherPane(); }
    void swappingSidesKeepsEachVideosMomentAndTheOffset()
    {
        QFETCH(int, pane);
        Window window;
        VideoPlayer& asking = pane == 0 ? window.left() : window.right();
        PlayerLink& link = window.components.session().link();
        QVERIFY(window.play("red.mp4", "blue.mp4"));
        link.linkWithOffset(&window.right().engine(), 0.6, &asking.engine());
        QVERIFY(window.pauseBoth());
        // The right one 0.6 s ahead, each looping a passage around its moment.
        const auto bothAt = [&](double left, double right) {
            return QTest::qWaitFor(
                [&] {
                    return std::abs(Window::at(window.left()) - left) < 0.01 &&
                           std::abs(Window::at(window.right()) - right) < 0.01;
                },
                kPlayerTimeoutMs);
        };
        window.left().actions().seekTo(1.2);
        QVERIFY(bothAt(1.2, 1.8));
        window.left().engine().setPassage(Passage{0.5, 1.5});
        window.right().engine().setPassage(Passage{1.1, 2.1});
        const double offset = link.offsetOf(&window.right().engine());

        QVERIFY(choose(asking, {"Swap Sides"}));
        // Blue left and red right, each at its moment, with its passage, still paused; the
        // offset turned round.
        QTRY_VERIFY_WITH_TIMEOUT(colourDistance(leftHalfOf(window.left()), Qt::blue) <= 16 &&
                                     colourDistance(leftHalfOf(window.right()), Qt::red) <= 16,
                                 kPlayerTimeoutMs);
        QVERIFY(bothAt(1.8, 1.2));
        QVERIFY(Window::paused(window.left()) && Window::paused(window.right()));
        QVERIFY(link.isLinked());
        QCOMPARE(link.offsetOf(&window.right().engine()), -offset);
        const auto passageOf = [](VideoPlayer& player) {
            return player.engine().passage().value_or(Passage{});
        };
        QCOMPARE(passageOf(window.left()), (Passage{1.1, 2.1}));
        QCOMPARE(passageOf(window.right()), (Passage{0.5, 1.5}));

        // Back with the key, playing, in the wipe view: its divider stays where it was, and both
        // go on from where they were, together.
        QTest::keyClick(&asking, Qt::Key_W);
        Comparison& comparison = window.components.session().comparison();
        comparison.setDivider(0.25);
        window.left().actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(!Window::paused(window.left()) && !Window::paused(window.right()),
                                 kPlayerTimeoutMs);
        QTest::keyClick(&asking, Qt::Key_E);
        QVERIFY(wipeShows(window, {20, 60}, Qt::red) && wipeShows(window, {140, 60}, Qt::blue));
        QCOMPARE(comparison.look().divider, 0.25);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(link.offsetOf(&window.right().engine()) - offset) < 1e-9,
                                 kPlayerTimeoutMs);
        const auto playsInItsPassage = [](VideoPlayer& player, Passage passage) {
            return !Window::paused(player) && Window::at(player) >= passage.start &&
                   Window::at(player) <= passage.end;
        };
        QTRY_VERIFY_WITH_TIMEOUT(playsInItsPassage(window.left(), {0.5, 1.5}) &&
                                     playsInItsPassage(window.right(), {1.1, 2.1}),
                                 kPlayerTimeoutMs);
    }
};

QTEST_MAIN(TestEitherPane)
#include "test_either_pane.moc"
