// One reference against several renditions in the real window: switching the right pane among
// them at a paused moment from either pane (each one's picture, frame and offset), measuring all
// of them at once against ffmpeg's figures, the graph's legend, a pane's filter shown and
// refused, and the moment on the clipboard.
#include "analysis/decoded_picture.h"
#include "playback/quality_graph.h"
#include "playback/transport_bar.h"
#include "playback/video_player.h"
#include "playback/wipe_view.h"
#include "session/perform.h"
#include "session/player_link.h"
#include "support/either_pane.h"
#include "support/ffmpeg_figures.h"
#include "support/linked_window.h"
#include "support/player_testing.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

QColor centreColour(Window& window, VideoPlayer& player)
{
    const QImage picture = window.form.grab().toImage();
    QWidget* video = player.videoSurface().widget();
    return picture.pixelColor(video->mapTo(&window.form, video->rect().center()));
}

QString noteOver(VideoPlayer& player)
{
    const auto* note = player.videoSurface().widget()->findChild<QLabel*>("pictureNote");
    return note && note->isVisible() ? note->text() : QString();
}

/// The left pane plays red; the right holds blue, green and red renditions, blue showing: four
/// files dropped on the left pane.
bool playLadder(Window& window)
{
    Session& session = window.components.session();
    QSignalSpy leftFrames(&window.left(), &VideoPlayer::frameRendered);
    QSignalSpy rightFrames(&window.right(), &VideoPlayer::frameRendered);
    session.dropOn(0, {mediaPath("red.mp4"), mediaPath("blue.mp4"), mediaPath("green.mp4"),
                       mediaPath("red.mp4")});
    return session.panes().files(1) ==
               QStringList{mediaPath("blue.mp4"), mediaPath("green.mp4"), mediaPath("red.mp4")} &&
           QTest::qWaitFor(
               [&] {
                   return leftFrames.count() > 3 && rightFrames.count() > 3 &&
                          window.right().engine().file() == mediaPath("blue.mp4") &&
                          window.left().engine().duration() > 0 &&
                          window.right().engine().duration() > 0;
               },
               kPlayerTimeoutMs);
}

} // namespace

class TestRenditions : public QObject {
    Q_OBJECT

private slots:
    void switchesAtTheSameMomentKeepingEachOffset_data() { askedInEitherPane(); }
    void switchesAtTheSameMomentKeepingEachOffset()
    {
        QFETCH(int, pane);
        Window window;
        QVERIFY(playLadder(window));
        VideoPlayer& left = window.left();
        VideoPlayer& right = window.right();
        VideoPlayer& asking = pane ? right : left;
        left.link()->setLinked(true);
        QVERIFY(window.pauseBoth());
        left.actions().seekTo(1.2);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(left) - 1.2) < 0.001 &&
                                     std::abs(Window::at(right) - 1.2) < 0.001,
                                 kPlayerTimeoutMs);
        // Blue 0.2 s ahead of the reference: its own offset.
        right.actions().seekAloneTo(1.4);
        QTRY_COMPARE_WITH_TIMEOUT(right.transportBar().offsetText(), QString("+0.200 s"),
                                  kPlayerTimeoutMs);
        right.actions().setFactsShown(true);
        QTRY_VERIFY_WITH_TIMEOUT(right.factsText().endsWith("Frame 35  0:01.400"),
                                 kPlayerTimeoutMs);
        // Zoomed, mirrored and looping a passage: all kept through the switches.
        right.actions().zoomPictureAt({40, 30}, 2, right.videoSurface().widget()->size());
        right.actions().toggleMirror();
        right.engine().setPassage(Passage{1.0, 2.0});
        const ViewZoom zoomed = right.engine().view();
        QVERIFY(zoomed.zoom > 0);

        // Tab, from either pane: green at the reference's moment (no offset of its own), then
        // red, then blue again at its offset. Paused throughout, the rest as it was.
        struct Step {
            const char* name;
            QColor colour;
            QString frame;
            QString offset;
        };
        const Step steps[] = {{"green.mp4", QColor(0, 255, 0), "Frame 30  0:01.200", ""},
                              {"red.mp4", QColor(Qt::red), "Frame 30  0:01.200", ""},
                              {"blue.mp4", QColor(Qt::blue), "Frame 35  0:01.400", "+0.200 s"}};
        for (int i = 0; i < 3; ++i) {
            const Step& step = steps[i];
            asking.setFocus();
            QTest::keyClick(&asking, Qt::Key_Tab);
            QTRY_VERIFY2_WITH_TIMEOUT(colourDistance(centreColour(window, right), step.colour) <=
                                          12,
                                      step.name, kPlayerTimeoutMs);
            QTRY_VERIFY2_WITH_TIMEOUT(right.factsText().startsWith(step.name) &&
                                          right.factsText().endsWith(step.frame),
                                      qPrintable(right.factsText()), kPlayerTimeoutMs);
            QCOMPARE(right.transportBar().offsetText(), step.offset);
            QVERIFY(Window::paused(left) && Window::paused(right) && left.link()->isLinked());
            QVERIFY(right.engine().view() == zoomed && right.engine().isMirrored());
            QCOMPARE(right.engine().passage(), std::optional(Passage{1.0, 2.0}));
            QVERIFY2(noteOver(right).startsWith(
                         QString("%1 \u2014 %2 of 3").arg(step.name).arg((i + 1) % 3 + 1)),
                     qPrintable(noteOver(right)));
            QVERIFY(std::abs(Window::at(left) - 1.2) < 0.001); // the reference stays
        }
        // The menu lists them, the one showing checked; a choice there switches too.
        perform(asking.actions(), {PlayerCommand::ShowRendition, 2});
        QTRY_VERIFY_WITH_TIMEOUT(colourDistance(centreColour(window, right), Qt::red) <= 12,
                                 kPlayerTimeoutMs);
    }

    void measuresEveryRenditionAndShowsACurveEach()
    {
        Window window;
        QVERIFY(playLadder(window));
        Comparison& comparison = window.components.session().comparison();
        QSignalSpy measured(&comparison, &Comparison::measured);
        perform(window.right().actions(), {PlayerCommand::MeasureDifference});
        QTRY_VERIFY_WITH_TIMEOUT(!measured.isEmpty(), kPlayerTimeoutMs);
        const QList<RenditionMeasurement>& results = comparison.allResults();
        QCOMPARE(results.size(), 3);
        const QStringList names{"blue.mp4", "green.mp4", "red.mp4"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(QFileInfo(results[i].path).fileName(), names[i]);
            const QList<double> ssim =
                ffmpegFigures("ssim", "All", mediaPath("red.mp4"), mediaPath(names[i]));
            QCOMPARE(results[i].samples.size(), ssim.size());
            double mean = 0;
            for (const double each : ssim)
                mean += each / ssim.size();
            QVERIFY2(std::abs(summarise(results[i].samples).meanSsim - mean) <= 0.0001,
                     qPrintable(names[i]));
        }
        // The graph: a legend line each; a click on one shows that rendition.
        WipeView* wipe = window.components.wipeView();
        QVERIFY(wipe);
        QualityGraph& graph = wipe->graph();
        QTRY_VERIFY_WITH_TIMEOUT(graph.isVisible(), kPlayerTimeoutMs);
        QCOMPARE(graph.legendLines().size(), 3);
        QVERIFY2(graph.legendLines()[2].startsWith("red.mp4: SSIM 1.0000, PSNR \u221e"),
                 qPrintable(graph.legendLines()[2]));
        QTest::mouseClick(&graph, Qt::LeftButton, Qt::NoModifier, graph.legendLineRect(1).center());
        QTRY_COMPARE_WITH_TIMEOUT(window.right().engine().file(), mediaPath("green.mp4"),
                                  kPlayerTimeoutMs);
        // The figures stay: they are of every rendition, each at its own offset. The wipe view
        // stays, in its mode.
        QVERIFY(comparison.isShown() && window.components.wipeView() == wipe);
        QCOMPARE(comparison.allResults().size(), 3);
        QCOMPARE(comparison.results(), results[1].samples);
    }

    void aPaneShowsItsFilteredPictureAndRefusesABadChain()
    {
        Window window;
        QVERIFY(window.play("red.mp4", "letterbox.mp4"));
        VideoPlayer& right = window.right();
        QCOMPARE(right.engine().videoSize(), QSize(320, 240));
        QVERIFY(right.actions().filter().set("crop=320:180:0:30"));
        QTRY_COMPARE_WITH_TIMEOUT(right.engine().videoSize(), QSize(320, 180), kPlayerTimeoutMs);
        QCOMPARE(right.engine().pictureFilter(), QString("crop=320:180:0:30"));
        // Pixel values read the picture as filtered: a point of the cropped picture is the
        // pixel 30 rows further down in the whole one.
        right.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(right), kPlayerTimeoutMs);
        Comparison& comparison = window.components.session().comparison();
        std::optional<PixelValues> read;
        connect(&comparison.inspector(), &PixelInspector::inspected, this,
                [&read](const PixelInspector::Report& report) { read = report.panes[1]; });
        comparison.inspector().setOn(true);
        comparison.inspectAt({0.5, 0.1});
        QTRY_VERIFY_WITH_TIMEOUT(read.has_value(), kPlayerTimeoutMs);
        const PixelValues cropped = *read;
        const std::atomic_bool never{false};
        const auto whole = DecodedPicture::read(
            mediaPath("letterbox.mp4"), right.engine().frameStartAt(Window::at(right)), never);
        QVERIFY(whole);
        const PixelValues below =
            *whole->valuesAt({(cropped.x + 0.5) / 320, (cropped.y + 30.5) / 240}, false);
        QCOMPARE(below.y, cropped.y + 30);
        QCOMPARE(below.luma, cropped.luma);
        QCOMPARE(below.cb, cropped.cb);
        comparison.inspector().setOn(false);
        // A chain libavfilter does not know: its reason said, nothing changed.
        QVERIFY(!right.actions().filter().set("cropp=10:10"));
        QTRY_VERIFY2_WITH_TIMEOUT(noteOver(right).contains("No such filter: 'cropp'"),
                                  qPrintable(noteOver(right)), kPlayerTimeoutMs);
        QCOMPARE(right.engine().pictureFilter(), QString("crop=320:180:0:30"));
        // The bars found by the menu's crop are the ones the clip was made with.
        right.actions().filter().set({});
        perform(right.actions(), {PlayerCommand::SetFilter, PaneFilter::CropBlackBars});
        QTRY_COMPARE_WITH_TIMEOUT(right.engine().pictureFilter(), QString("crop=320:180:0:30"),
                                  kPlayerTimeoutMs);
    }

    void theMomentGoesToTheClipboardAndComesBack()
    {
        Window window;
        QVERIFY(window.play("red.mp4", "blue.mp4"));
        VideoPlayer& right = window.right();
        right.link()->setLinked(true);
        QVERIFY(window.pauseBoth());
        right.actions().seekTo(1.2);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(right) - 1.2) < 0.001, kPlayerTimeoutMs);
        right.setFocus();
        QTRY_VERIFY_WITH_TIMEOUT(right.engine().frameNumberAt(1.2).has_value(), kPlayerTimeoutMs);
        QTest::keyClick(&right, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("0:00:01.200, frame 30"));
        // A frame pasted into the other pane: both go there, linked.
        QGuiApplication::clipboard()->setText("frame 50");
        window.left().setFocus();
        QTest::keyClick(&window.left(), Qt::Key_V, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(window.left()) - 2.0) < 0.001 &&
                                     std::abs(Window::at(right) - 2.0) < 0.001,
                                 kPlayerTimeoutMs);
    }
};

QTEST_MAIN(TestRenditions)
#include "test_renditions.moc"
