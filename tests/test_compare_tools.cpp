// Comparing two videos closely on real players: an offset between linked panes, linked zoom,
// the facts shown over a picture and saved frames.
#include "playback/transport_bar.h"
#include "playback/video_player.h"
#include "playback/wipe_view.h"
#include "session/player_link.h"
#include "support/either_pane.h"
#include "support/linked_window.h"
#include "support/pictures_folder.h"
#include "support/player_testing.h"

#include <QMenu>
#include <QRegularExpression>
#include <QWheelEvent>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

// red.mp4 and blue.mp4: 3 s at 25 frames a second.
constexpr double kCoarsestFrame = 1.0 / 25;

/// The colours in the middle of each of 8 x 8 cells over `area` of a picture.
QList<QColor> gridColours(const QImage& picture, QRect area)
{
    QList<QColor> colours;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x)
            colours << picture.pixelColor(area.left() + area.width() * (2 * x + 1) / 16,
                                          area.top() + area.height() * (2 * y + 1) / 16);
    }
    return colours;
}

/// How many of two lists of colours are alike, one for one.
int alike(const QList<QColor>& a, const QList<QColor>& b)
{
    int same = 0;
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        same += colourDistance(a[i], b[i]) <= 24;
    return same;
}

/// Where a picture of `video` size is drawn to fill `area`, its aspect kept.
QRect filledRect(QRect area, QSize video)
{
    const QSize drawn = video.scaled(area.size(), Qt::KeepAspectRatio);
    return {area.left() + (area.width() - drawn.width()) / 2,
            area.top() + (area.height() - drawn.height()) / 2, drawn.width(), drawn.height()};
}

void dragDivider(WipeView& wipe, int toX)
{
    const int y = wipe.pictureRect().center().y();
    const int from = qRound(wipe.divider() * wipe.pictureRect().width());
    QTest::mousePress(&wipe, Qt::LeftButton, Qt::NoModifier, QPoint(from, y));
    QTest::mouseMove(&wipe, QPoint((from + toX) / 2, y));
    QTest::mouseMove(&wipe, QPoint(toX, y));
    QTest::mouseRelease(&wipe, Qt::LeftButton, Qt::NoModifier, QPoint(toX, y));
}

/// Waits until the wipe view has drawn new pictures of both videos.
bool freshPictures(WipeView& wipe, VideoPlayer& first, VideoPlayer& second)
{
    QSignalSpy firstFrames(&first, &VideoPlayer::frameRendered);
    QSignalSpy secondFrames(&second, &VideoPlayer::frameRendered);
    const int shown = wipe.picturesShown();
    return QTest::qWaitFor(
        [&] {
            return firstFrames.count() > 1 && secondFrames.count() > 1 &&
                   wipe.picturesShown() > shown;
        },
        kPlayerTimeoutMs);
}

} // namespace

class TestCompareTools : public QObject {
    Q_OBJECT

private slots:
    void anOffsetSetWithCtrlIsKeptThroughPauseSeekStepAndPlay_data() { askedInEitherPane(); }
    void anOffsetSetWithCtrlIsKeptThroughPauseSeekStepAndPlay()
    {
        QFETCH(int, pane);
        Window window;
        QVERIFY(window.play("red.mp4", "blue.mp4")); // 3 s each, 25 frames a second
        // `right` is the pane the offset is set in, `left` the other one.
        VideoPlayer& left = pane ? window.left() : window.right();
        VideoPlayer& right = pane ? window.right() : window.left();
        left.link()->setLinked(true);
        left.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(left) && Window::paused(right), kPlayerTimeoutMs);
        left.actions().seekTo(1.0);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(left) - 1.0) < 0.001 &&
                                     std::abs(Window::at(right) - 1.0) < 0.001,
                                 kPlayerTimeoutMs);

        // Ctrl held: the right one alone, eight frames on, and five more with Ctrl and ".".
        right.actions().seekAloneTo(1.32);
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

        left.actions().seekTo(0.6);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(left) - 0.6) < 0.001 && keptApart() < 0.001,
                                 kPlayerTimeoutMs);
        for (int i = 0; i < 3; ++i) {
            const double before = Window::at(left);
            left.actions().stepFrame(true);
            QTRY_VERIFY_WITH_TIMEOUT(Window::at(left) > before && keptApart() <= kCoarsestFrame,
                                     kPlayerTimeoutMs);
        }
        left.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(!Window::paused(left) && !Window::paused(right), kPlayerTimeoutMs);
        left.actions().togglePlayPause();
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
        left.actions().seekTo(1.0);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(left) - 1.0) < 0.001 &&
                                     std::abs(Window::at(right) - 1.0) < 0.001,
                                 kPlayerTimeoutMs);
    }

    void linkedZoomShowsTheSameRegionOfEachPicture()
    {
        Window window; // panes narrower than either clip: both are shrunk to fit
        QVERIFY(window.play("bars-360.mp4", "bars-720.mp4"));
        VideoPlayer& left = window.left();
        VideoPlayer& right = window.right();
        left.link()->setLinked(true);
        left.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(left) && Window::paused(right), kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(!left.engine().videoSize().isEmpty(), kPlayerTimeoutMs);

        const auto samples = [](VideoPlayer& player) {
            const QImage picture = player.videoSurface().grabFrame();
            return gridColours(picture, picture.rect());
        };
        const QList<QColor> whole = samples(left);

        // Four wheel steps into the lower left of the left picture, then a drag.
        QWidget& surface = *left.videoSurface().widget();
        const QPoint at(surface.width() / 4, surface.height() * 3 / 4);
        QWheelEvent wheel(at, surface.mapToGlobal(at), QPoint(), QPoint(0, 4 * 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&surface, &wheel);
        QCOMPARE(right.engine().view(), left.engine().view());
        QCOMPARE(left.engine().view().zoom, 1.0);
        // Zoom and view reach the engines asynchronously: first the left one shows the zoom.
        QTRY_VERIFY_WITH_TIMEOUT(alike(samples(left), whole) < 40, kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(alike(samples(left), samples(right)) >= 57, kPlayerTimeoutMs);

        const QList<QColor> zoomed = samples(left);
        QTest::mousePress(&surface, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseMove(&surface, at + QPoint(30, -20));
        QTest::mouseRelease(&surface, Qt::LeftButton, Qt::NoModifier, at + QPoint(30, -20));
        QCOMPARE(right.engine().view(), left.engine().view());
        QVERIFY(left.engine().view().panX != 0);
        QTRY_VERIFY_WITH_TIMEOUT(alike(samples(left), zoomed) < 64, kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(alike(samples(left), samples(right)) >= 57, kPlayerTimeoutMs);

        // "0" shows the whole pictures again.
        left.setFocus();
        QTest::keyClick(&left, Qt::Key_0);
        QCOMPARE(right.engine().view(), ViewZoom{});
        QTRY_VERIFY_WITH_TIMEOUT(alike(samples(left), whole) >= 57, kPlayerTimeoutMs);
    }

    void factsAndSavedFramesTellWhatEachPaneShows()
    {
        // Frames go to the pictures folder the user's XDG settings name.
        const OwnPicturesFolder pictures;
        QVERIFY(pictures.isValid());

        Window window;
        QVERIFY(window.play("loop.mp4", "bars-360.mp4"));
        VideoPlayer& left = window.left();
        VideoPlayer& right = window.right();
        // Frame 18 of the left clip, frame 15 of the right one.
        for (VideoPlayer* player : {&left, &right}) {
            player->actions().togglePlayPause();
            player->actions().seekTo(0.6);
        }
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(left) && Window::paused(right) &&
                                     std::abs(Window::at(left) - 0.6) < 0.001 &&
                                     std::abs(Window::at(right) - 0.6) < 0.001,
                                 kPlayerTimeoutMs);
        // Once more while paused, where no loop restarts: the seek is done when its engine has
        // the frame and starts again from there.
        QSignalSpy leftArrived(&left.engine(), &PlaybackEngine::playbackRestarted);
        QSignalSpy rightArrived(&right.engine(), &PlaybackEngine::playbackRestarted);
        left.actions().seekTo(0.6);
        right.actions().seekTo(0.6);
        QTRY_VERIFY_WITH_TIMEOUT(!leftArrived.isEmpty() && !rightArrived.isEmpty(),
                                 kPlayerTimeoutMs);
        left.link()->setLinked(true);

        // The facts, off until asked for with "i".
        QVERIFY(right.factsText().isEmpty());
        right.setFocus();
        QTest::keyClick(&right, Qt::Key_I);
        QVERIFY(right.actions().factsShown() && !left.actions().factsShown());
        const QStringList facts = right.factsText().split('\n');
        QCOMPARE(facts.size(), 3);
        QCOMPARE(facts[0], QString("bars-360.mp4"));
        // A clip too short for the player to measure its bit rate: the file's average shows.
        QVERIFY2(QRegularExpression("^640\u00d7360  h264  25 fps  [1-9][0-9]* kbit/s$")
                     .match(facts[1])
                     .hasMatch(),
                 qPrintable(facts[1]));
        QCOMPARE(facts[2], QString("Frame 15  0:00.600"));

        // "s" saves the frame of each linked pane, at the video's size; each bar says where.
        QTest::keyClick(&right, Qt::Key_S);
        const QString leftFile = pictures.path() + "/loop-0m00.600s.png";
        const QString rightFile = pictures.path() + "/bars-360-0m00.600s.png";
        QTRY_COMPARE_WITH_TIMEOUT(left.transportBar().status(), "Saved " + leftFile,
                                  kPlayerTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(right.transportBar().status(), "Saved " + rightFile,
                                  kPlayerTimeoutMs);
        QCOMPARE(QImage(rightFile).size(), QSize(640, 360));

        // The saved picture is ffmpeg's decode of the same frame, not of the ones beside it. Grey
        // levels are compared: the two differ in how they interpolate colour at sharp edges.
        const QImage saved = QImage(leftFile).convertToFormat(QImage::Format_RGB888);
        const auto differingPixels = [&](int frame) {
            const QImage reference = QImage(mediaPath(QString("loop-frame%1.png").arg(frame)))
                                         .convertToFormat(QImage::Format_RGB888);
            if (reference.size() != saved.size())
                return -1;
            int differing = 0;
            for (int y = 0; y < saved.height(); ++y) {
                for (int x = 0; x < saved.width(); ++x)
                    differing +=
                        std::abs(qGray(saved.pixel(x, y)) - qGray(reference.pixel(x, y))) > 32;
            }
            return differing;
        };
        const int same = differingPixels(18);
        qInfo("pixels differing from frames 17/18/19: %d/%d/%d", differingPixels(17), same,
              differingPixels(19));
        QVERIFY(same >= 0 && same < saved.width() * saved.height() / 200);
        QVERIFY(differingPixels(17) > 4 * same + 50 && differingPixels(19) > 4 * same + 50);

        // A second save of the same moment keeps the first.
        QTest::keyClick(&right, Qt::Key_S);
        QTRY_COMPARE_WITH_TIMEOUT(left.transportBar().status(),
                                  "Saved " + pictures.path() + "/loop-0m00.600s (2).png",
                                  kPlayerTimeoutMs);
    }

    void theWipeViewSplitsOnePictureAtTheDivider()
    {
        Window window;
        QVERIFY(window.play("red.mp4", "blue.mp4"));
        VideoPlayer& left = window.left();
        VideoPlayer& right = window.right();
        const auto paneLayout = [&] {
            return QList<QRect>{left.geometry(), right.geometry(), left.parentWidget()->geometry(),
                                right.parentWidget()->geometry()};
        };
        const QList<QRect> layout = paneLayout();

        left.setFocus();
        QTest::keyClick(&left, Qt::Key_W);
        WipeView* wipe = window.components.wipeView();
        QVERIFY(wipe && wipe->isVisible());
        QVERIFY(left.link()->isLinked() && left.actions().isInWipeView() &&
                right.actions().isInWipeView());
        QWidget* area = window.form.clientArea();
        QCOMPARE(wipe->geometry(), QRect(area->mapTo(&window.form, QPoint()), area->size()));
        QVERIFY(!window.form.Controls().contains(wipe)); // the window's controls stay its own
        QVERIFY(freshPictures(*wipe, left, right));

        // Red left of the divider, blue right of it, wherever it is dragged to.
        const QRect video = filledRect(wipe->pictureRect(), QSize(160, 120));
        for (const double share : {0.25, 0.5, 0.8}) {
            const int x = video.left() + qRound(share * video.width());
            dragDivider(*wipe, x);
            QVERIFY(std::abs(wipe->divider() * wipe->pictureRect().width() - x) < 1);
            QVERIFY(freshPictures(*wipe, left, right));
            const QImage shown = wipe->grab(wipe->pictureRect()).toImage();
            for (const double down : {0.2, 0.5, 0.8}) {
                const int y = video.top() + qRound(down * video.height());
                QVERIFY2(colourDistance(shown.pixelColor(x - 6, y), Qt::red) < 40,
                         qPrintable(shown.pixelColor(x - 6, y).name()));
                QVERIFY2(colourDistance(shown.pixelColor(x + 6, y), Qt::blue) < 40,
                         qPrintable(shown.pixelColor(x + 6, y).name()));
                QVERIFY(colourDistance(shown.pixelColor(video.left() + 4, y), Qt::red) < 40);
                QVERIFY(colourDistance(shown.pixelColor(video.right() - 4, y), Qt::blue) < 40);
            }
        }

        // Back to the panes as they were, both still playing; the link as it was before.
        QTest::keyClick(wipe, Qt::Key_W);
        QVERIFY(!window.components.wipeView());
        QCOMPARE(paneLayout(), layout);
        QVERIFY(!left.link()->isLinked() && !left.actions().isInWipeView());
        QVERIFY(!Window::paused(left) && !Window::paused(right));
        const double leftAt = Window::at(left);
        const double rightAt = Window::at(right);
        QTRY_VERIFY_WITH_TIMEOUT(Window::at(left) != leftAt && Window::at(right) != rightAt,
                                 kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(colourDistance(right.videoSurface().grabFrame().pixelColor(
                                                    right.videoSurface().widget()->rect().center()),
                                                Qt::blue) < 40,
                                 kPlayerTimeoutMs);
    }

    void theWipeViewLinesUpPicturesOfDifferentSizes()
    {
        Window window;
        QVERIFY(window.play("bars-360.mp4", "bars-720.mp4"));
        VideoPlayer& left = window.left();
        VideoPlayer& right = window.right();
        // Room for the smaller picture at its own size: both must still fill the same rectangle.
        window.form.resize(1400, 900);
        window.components.toggleWipeView();
        WipeView* wipe = window.components.wipeView();
        QVERIFY(wipe);
        const QRect video = filledRect(wipe->pictureRect(), QSize(640, 360));
        const auto samples = [&] {
            return gridColours(wipe->grab(wipe->pictureRect()).toImage(), video);
        };
        // All of the first picture, then all of the second: the same bars in the same places.
        wipe->setDivider(1);
        QVERIFY(freshPictures(*wipe, left, right));
        const QList<QColor> first = samples();
        wipe->setDivider(0);
        QVERIFY(freshPictures(*wipe, left, right));
        const QList<QColor> second = samples();
        QVERIFY2(alike(first, second) >= 60, qPrintable(QString::number(alike(first, second))));
        // The bars are there at all, and upright: light grey at the top left, dark at the bottom.
        QVERIFY(colourDistance(first[1], first[4]) > 100);
        QVERIFY(first[0].lightness() > first[56].lightness() + 40);

        // The divider runs across the picture only: the bars above and below it stay black.
        wipe->setDivider(0.5);
        QVERIFY(freshPictures(*wipe, left, right));
        const QImage shown = wipe->grab(wipe->pictureRect()).toImage();
        const qreal ratio = shown.devicePixelRatio();
        const auto at = [&](int x, int y) {
            return shown.pixelColor((QPointF(x, y) * ratio).toPoint());
        };
        const int x = qRound(0.5 * wipe->pictureRect().width());
        QVERIFY(video.top() > 8 && video.bottom() < wipe->pictureRect().bottom() - 8);
        QVERIFY(at(x, video.top() - 4).lightness() < 20 &&
                at(x, video.bottom() + 4).lightness() < 20);
        QVERIFY(at(x, video.center().y()).lightness() > at(x + 4, video.center().y()).lightness());
    }
};

QTEST_MAIN(TestCompareTools)
#include "test_compare_tools.moc"
