// Still pictures in a pane: each format shows its one picture as ffmpeg decodes it and keeps it
// (no loop, no transport), a linked video moves around a still that stays, asked in either pane,
// and measuring, pixel values and the wipe view take stills, in the window and on the command
// line, against ffmpeg's figures.
#include "analysis/measurement_text.h"
#include "engine/stall_watch.h"
#include "playback/transport_bar.h"
#include "playback/wipe_view.h"
#include "session/perform.h"
#include "session/pixel_inspector.h"
#include "session/player_link.h"
#include "support/either_pane.h"
#include "support/ffmpeg_figures.h"
#include "support/linked_window.h"
#include "support/program_run.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSlider>
#include <QToolButton>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

/// Opens a file in a pane and waits until its picture shows.
bool open(VideoPlayer& player, const QString& clip)
{
    QSignalSpy frames(&player, &VideoPlayer::frameRendered);
    QSignalSpy loaded(&player.engine(), &PlaybackEngine::fileLoaded);
    player.setURL(mediaPath(clip));
    return QTest::qWaitFor([&] { return !loaded.isEmpty() && !frames.isEmpty(); },
                           kPlayerTimeoutMs);
}

double meanOf(const QList<double>& figures)
{
    double mean = 0;
    for (const double each : figures)
        mean += each / figures.size();
    return mean;
}

} // namespace

class TestStills : public QObject {
    Q_OBJECT

private slots:
    void eachFormatShowsItsOnePictureAndKeepsIt_data()
    {
        QTest::addColumn<QString>("still");
        QTest::addColumn<int>("pane");
        QTest::addColumn<int>("largestDifference");
        // Lossy formats show their own decode, which ffmpeg's of the PNG is near.
        QTest::newRow("PNG, left") << "still.png" << 0 << 12;
        QTest::newRow("JPEG, right") << "still.jpg" << 1 << 80;
        QTest::newRow("TIFF, left") << "still.tiff" << 0 << 12;
        QTest::newRow("WebP, right") << "still.webp" << 1 << 80;
        QTest::newRow("BMP, left") << "still.bmp" << 0 << 12;
    }
    void eachFormatShowsItsOnePictureAndKeepsIt()
    {
        QFETCH(QString, still);
        QFETCH(int, pane);
        QFETCH(int, largestDifference);
        Window window;
        VideoPlayer& player = pane ? window.right() : window.left();
        VideoPlayer& other = pane ? window.left() : window.right();
        QVERIFY(open(other, "pattern.mp4"));
        QVERIFY(open(player, still));
        QVERIFY(player.engine().isStill() && !other.engine().isStill());
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(player), kPlayerTimeoutMs);
        QVERIFY(differenceFromFfmpeg(player, "still", QSize(320, 240)) <= largestDifference);
        // Nothing to play, stop, seek in or hear; the link still means something.
        TransportBar& bar = *player.findChild<TransportBar*>();
        QVERIFY(!bar.playPauseButton()->isEnabled() && !bar.seekBar()->isEnabled() &&
                !bar.stopButton()->isEnabled() && bar.linkButton()->isEnabled());
        // It stays as it is, drawn no more, past the time mpv shows a picture by default.
        const QImage shown = player.videoSurface().grabFrame();
        QSignalSpy frames(&player, &VideoPlayer::frameRendered);
        QTest::qWait(1500);
        QVERIFY2(frames.count() <= 1, qPrintable(QString::number(frames.count())));
        QCOMPARE(player.videoSurface().grabFrame(), shown);
        // A video after it plays again.
        QVERIFY(open(player, "loop.mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(!Window::paused(player), kPlayerTimeoutMs);
        QVERIFY(!player.engine().isStill() && bar.playPauseButton()->isEnabled());
    }

    void aLinkedVideoMovesWhileTheStillStays_data() { askedInEitherPane(); }
    void aLinkedVideoMovesWhileTheStillStays()
    {
        QFETCH(int, pane);
        Window window;
        VideoPlayer& video = window.left();
        VideoPlayer& still = window.right();
        QVERIFY(open(video, "pattern.mp4"));
        QVERIFY(open(still, "still.png"));
        VideoPlayer& asking = pane ? still : video;
        asking.link()->setLinked(true, &asking.engine());
        QTRY_VERIFY_WITH_TIMEOUT(!Window::paused(video), kPlayerTimeoutMs);
        const QImage picture = still.videoSurface().grabFrame();
        // Pause, seek and step from either pane move the video alone.
        asking.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(video), kPlayerTimeoutMs);
        asking.actions().seekTo(1.2);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(video) - 1.2) < 0.001, kPlayerTimeoutMs);
        perform(asking.actions(), {PlayerCommand::StepFrame, 1});
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(video) - 1.24) < 0.001, kPlayerTimeoutMs);
        QCOMPARE(Window::at(still), 0.0);
        asking.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(!Window::paused(video), kPlayerTimeoutMs);
        // Longer than a playing pane's picture may stay before it is taken for stalled: the
        // still is neither opened again nor failed.
        QSignalSpy failed(&still.engine(), &PlaybackEngine::fileFailed);
        QSignalSpy loads(&still.engine(), &PlaybackEngine::fileLoaded);
        QTest::qWait(int(StallWatch::kStalledSeconds * 1000) + 1500);
        QVERIFY(failed.isEmpty() && loads.isEmpty() && Window::paused(still));
        QCOMPARE(still.videoSurface().grabFrame(), picture);
    }

    void theComparisonToolsTakeStills()
    {
        Window window;
        QVERIFY(open(window.left(), "still.png"));
        QVERIFY(open(window.right(), "still.jpg"));
        Comparison& comparison = window.components.session().comparison();
        // Measured, one pair, as ffmpeg compares the two pictures.
        QSignalSpy measured(&comparison, &Comparison::measured);
        perform(window.right().actions(), {PlayerCommand::MeasureDifference});
        QTRY_VERIFY_WITH_TIMEOUT(!measured.isEmpty(), kPlayerTimeoutMs);
        const QList<double> ssim =
            ffmpegFigures("ssim", "All", mediaPath("still.png"), mediaPath("still.jpg"));
        QCOMPARE(comparison.results().size(), 1);
        QVERIFY(std::abs(comparison.results()[0].ssim - ssim.value(0)) <= 0.0001);
        QVERIFY(comparison.isShown() && window.components.wipeView());
        // Pixel values: the PNG's own, and the JPEG's decoded RGB.
        PixelInspector& inspector = comparison.inspector();
        PixelInspector::Report report;
        connect(&inspector, &PixelInspector::inspected,
                [&](const PixelInspector::Report& told) { report = told; });
        inspector.setOn(true);
        inspector.inspect(QPointF(0.3, 0.6));
        QTRY_VERIFY_WITH_TIMEOUT(report.panes[1].has_value(), kPlayerTimeoutMs);
        const QColor png = QImage(mediaPath("still.png")).pixelColor(96, 144);
        QVERIFY(report.panes[0] && report.panes[0]->storedAsRgb);
        QCOMPARE(QColor(report.panes[0]->red, report.panes[0]->green, report.panes[0]->blue), png);
        QVERIFY(!report.panes[1]->storedAsRgb);
        QVERIFY(
            pixelReportText(report).startsWith(QStringLiteral("Left (96, 144)  R %1 G %2 B %3\n")
                                                   .arg(png.red())
                                                   .arg(png.green())
                                                   .arg(png.blue())));

        // A still against a video: each of the video's frames against the still.
        QVERIFY(open(window.right(), "pattern.mp4"));
        measured.clear();
        perform(window.left().actions(), {PlayerCommand::MeasureDifference});
        QTRY_VERIFY_WITH_TIMEOUT(!measured.isEmpty() && !comparison.results().isEmpty(),
                                 kPlayerTimeoutMs);
        const QList<double> each = ffmpegFigures("ssim", "All", mediaPath("pattern.mp4"),
                                                 mediaPath("still.png"), "[0:v][1:v]", false);
        QCOMPARE(comparison.results().size(), 75);
        QVERIFY(std::abs(summarise(comparison.results()).meanSsim - meanOf(each)) <= 0.0001);
    }

    void theCommandLineMeasuresStillsAsFfmpegDoes_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("PNG against JPEG") << "still.png"
                                          << "still.jpg";
        QTest::newRow("WebP against TIFF") << "still.webp"
                                           << "still.tiff";
        QTest::newRow("video against a still") << "pattern.mp4"
                                               << "still.jpg";
        QTest::newRow("a still against a video") << "still.bmp"
                                                 << "pattern-low.mp4";
    }
    void theCommandLineMeasuresStillsAsFfmpegDoes()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        const Outcome outcome = run({"--measure", mediaPath(first), mediaPath(second), "--json"});
        QCOMPARE(outcome.status, 0);
        const QJsonObject figures = QJsonDocument::fromJson(outcome.out.toUtf8()).object();
        // ffmpeg repeats a still for every frame of the other; psnr's stats compare the video
        // first, as the program does.
        const bool stillFirst = first.startsWith("still") && !second.startsWith("still");
        const QString a = mediaPath(stillFirst ? second : first);
        const QString b = mediaPath(stillFirst ? first : second);
        const QList<double> ssim = ffmpegFigures("ssim", "All", a, b, "[0:v][1:v]", false);
        QCOMPARE(figures["frames"].toInt(), ssim.size());
        QVERIFY2(std::abs(figures["ssim"].toDouble() - meanOf(ssim)) <= 0.0001,
                 qPrintable(outcome.out));
        QVERIFY(std::abs(figures["psnr"].toDouble() -
                         ffmpegAveragePsnr(a, b, "[0:v][1:v]", false)) <= 0.01);
    }

    void anExportShowsTheStillBesideEachFrame()
    {
        QTemporaryDir folder;
        const QString out = folder.filePath("beside.mp4");
        const Outcome outcome = run(
            {"--export", "side-by-side", mediaPath("still.png"), mediaPath("pattern.mp4"), out});
        QCOMPARE(outcome.status, 0);
        QProcess probe;
        probe.start("ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                                "stream=width,height,nb_read_frames", "-of", "csv=p=0", out});
        QVERIFY(probe.waitForFinished(60000));
        QCOMPARE(QString::fromLatin1(probe.readAllStandardOutput()).trimmed(),
                 QStringLiteral("640,240,75"));
    }
};

QTEST_MAIN(TestStills)
#include "test_stills.moc"
