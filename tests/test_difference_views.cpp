// Seeing the difference of two videos: the wipe view's overlay modes as they look, and the
// measured difference of each frame pair against ffmpeg's own figures, with its graph.
#include "analysis/quality_measure.h"
#include "playback/picture_note.h"
#include "playback/player_commands.h"
#include "playback/quality_graph.h"
#include "playback/transport_bar.h"
#include "playback/wipe_view.h"
#include "support/ffmpeg_figures.h"
#include "support/linked_window.h"
#include "support/pictures_folder.h"
#include "support/wipe_testing.h"

#include <QClipboard>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <cmath>

#include <sys/stat.h>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

/// ffmpeg's figures for two of the test clips, by default the pair most of these tests compare.
QList<double> figuresOfFfmpeg(const QString& filter, const QString& key,
                              const QString& first = "pattern.mp4",
                              const QString& second = "pattern-low.mp4")
{
    return ffmpegFigures(filter, key, mediaPath(first), mediaPath(second));
}

/// What the note over the wipe view's picture says, while it is shown over the picture.
QString noteOver(WipeView& wipe)
{
    const auto* note = wipe.findChild<QLabel*>("pictureNote");
    return note && note->isVisible() && wipe.pictureRect().contains(note->geometry()) ? note->text()
                                                                                      : QString();
}

/// Waits until the wipe view shows `colour` at a point of a 160x120 video.
bool shows(WipeView& wipe, QPointF point, QColor colour, int tolerance = 12)
{
    return QTest::qWaitFor(
        [&] {
            return colourDistance(shownAt(wipe, {160, 120}, point), colour) <= tolerance;
        },
        kPlayerTimeoutMs);
}

} // namespace

class TestDifferenceViews : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Saved pictures go to a pictures folder of the test's own.
        QVERIFY(m_pictures.isValid());
    }

    void measuresEachFramePairAsFfmpegDoes()
    {
        const QList<double> psnr = figuresOfFfmpeg("psnr", "psnr_avg");
        const QList<double> ssim = figuresOfFfmpeg("ssim", "All");
        QCOMPARE(psnr.size(), 75);
        QCOMPARE(ssim.size(), 75);

        // In the background, with progress, as the view asks for it.
        QualityMeasure measure;
        QSignalSpy progress(&measure, &QualityMeasure::progressed);
        QSignalSpy finished(&measure, &QualityMeasure::finished);
        measure.start(mediaPath("pattern.mp4"), mediaPath("pattern-low.mp4"), 0);
        QVERIFY(measure.isRunning());
        QVERIFY(finished.wait(kPlayerTimeoutMs));
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QVERIFY(!progress.isEmpty() && progress.constLast().at(0).toDouble() <= 1.0);
        const QList<QualitySample> samples = measure.samples();
        QCOMPARE(samples.size(), 75);
        for (int i = 0; i < samples.size(); ++i) {
            QCOMPARE(samples[i].frame, i);
            QVERIFY2(std::abs(samples[i].seconds - i / 25.0) < 1e-3,
                     qPrintable(QString::number(i)));
            QVERIFY2(std::abs(samples[i].psnr - psnr[i]) <= 0.01, qPrintable(QString::number(i)));
            QVERIFY2(std::abs(samples[i].ssim - ssim[i]) <= 0.001, qPrintable(QString::number(i)));
        }
        const QStringList csv = measurementsAsCsv(samples).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(csv.size(), 80);
        QVERIFY(csv[0].startsWith("frame,time,psnr,ssim,"));
        QVERIFY(csv[1].startsWith("0,0.000,"));
        QVERIFY(csv[76].startsWith("# SSIM ") &&
                csv[79] == "# 75 frame pairs compared, over 3.000 s");

        // With the second 0.4 s ahead, the first's frame 0 meets the second's frame 10, and the
        // second ends 0.4 s before the first.
        std::atomic_bool never{false};
        const auto shifted =
            QualityMeasure::measure(mediaPath("pattern.mp4"), mediaPath("pattern.mp4"), 0.4, never);
        QVERIFY(shifted && shifted->size() == 65);
        const auto same =
            QualityMeasure::measure(mediaPath("pattern.mp4"), mediaPath("pattern.mp4"), 0, never);
        QVERIFY(same && std::isinf(same->constFirst().psnr) && same->constFirst().ssim == 1.0);
        QVERIFY(shifted->constFirst().ssim < 0.9);

        // Cancelled, nothing comes; a file that cannot be read says so.
        measure.start(mediaPath("large.avi"), mediaPath("large.avi"), 0);
        measure.cancel();
        QVERIFY(!measure.isRunning() && measure.samples().isEmpty());
        measure.start(mediaPath("garbage.avi"), mediaPath("pattern.mp4"), 0);
        QVERIFY(finished.wait(kPlayerTimeoutMs));
        QCOMPARE(finished.constLast().at(0).toBool(), false);
        // Nor can a pipe at the name: it is never opened for reading, which would wait for good.
        QTemporaryDir folder;
        const QString pipe = folder.filePath("pipe.mp4");
        QVERIFY(mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        measure.start(pipe, mediaPath("pattern.mp4"), 0);
        QVERIFY(finished.wait(kPlayerTimeoutMs));
        QCOMPARE(finished.constLast().at(0).toBool(), false);
    }

    void measuresWhatBothShowOverTheStretchBothHave()
    {
        std::atomic_bool never{false};
        const auto meanSsim = [](const std::optional<QList<QualitySample>>& samples) {
            return samples && !samples->isEmpty() ? summarise(*samples).meanSsim : -1.0;
        };
        // H.264 against MPEG-2 whose pictures begin after its sound: the first frame has no
        // partner and is left out, as ffmpeg leaves it out; the rest are ffmpeg's figures, up to
        // the end of the shorter (where ffmpeg goes on with the first's last frame).
        const QList<double> ssim = figuresOfFfmpeg("ssim", "All", "testsrc-4s.mp4", "bars-5s.mpg");
        const auto mixed = QualityMeasure::measure(mediaPath("testsrc-4s.mp4"),
                                                   mediaPath("bars-5s.mpg"), 0, never);
        QVERIFY(mixed);
        QCOMPARE(mixed->size(), 99);
        QCOMPARE(mixed->constFirst().frame, 1);
        QVERIFY(ssim.size() >= mixed->size());
        for (int i = 0; i < mixed->size(); ++i)
            QVERIFY2(std::abs(mixed->at(i).ssim - ssim[i]) <= 0.001,
                     qPrintable(QString::number(i)));
        QVERIFY(std::isfinite(summarise(*mixed).meanSsim));

        // Turned upright as its file says, a sideways clip is its upright twin.
        QVERIFY(meanSsim(QualityMeasure::measure(mediaPath("pattern-turned.mp4"),
                                                 mediaPath("pattern.mp4"), 0, never)) > 0.95);
        // Mirrored as its pane shows it: one mirrored side differs, both mirrored agree.
        const auto mirrored = [&](Mirrors mirrors) {
            return meanSsim(QualityMeasure::measure(
                mediaPath("pattern.mp4"), mediaPath("pattern.mp4"), 0, never, {}, mirrors));
        };
        QVERIFY(mirrored({true, false}) < 0.9);
        QCOMPARE(mirrored({true, true}), 1.0);

        // Takes that drift apart (the second's moment is the first's × 23.976/25): at that pace
        // the second covers all of the first, each frame near its twin; at the offset alone they
        // part within seconds.
        const auto drifting = [&](double rate) {
            return QualityMeasure::measure(mediaPath("drift-a.mp4"), mediaPath("drift-b.mp4"), 0,
                                           never, {}, {}, rate)
                .value_or(QList<QualitySample>());
        };
        const QList<QualitySample> paced = drifting(23.976 / 25);
        const QList<QualitySample> unpaced = drifting(1.0);
        QVERIFY(paced.size() >= 1195 && unpaced.size() < 1160);
        QVERIFY(summarise(paced).meanSsim > 0.9 && summarise(unpaced).meanSsim < 0.85);

        // Only the stretch both have: a 1 s clip against a 3 s one, either way round.
        for (const auto& [first, second] :
             {std::pair{"red-1s.mp4", "pattern.mp4"}, std::pair{"pattern.mp4", "red-1s.mp4"}}) {
            const auto common =
                QualityMeasure::measure(mediaPath(first), mediaPath(second), 0, never);
            QVERIFY(common);
            QCOMPARE(common->size(), 25);
            QVERIFY(std::abs(comparedSeconds(*common) - 1.0) < 1e-3);
        }
    }

    void overlayModesShowTheDifferenceOnionSkinAndFlicker()
    {
        Window window;
        QVERIFY(window.play("red.mp4", "red-squares.mp4"));
        perform(window.left().actions(), {PlayerCommand::ToggleWipeView});
        WipeView& wipe = *window.components.wipeView();
        const Comparison& comparison = window.components.session().comparison();
        QVERIFY(window.pauseBoth());
        const QPointF white(40, 40), faint(120, 80), plain(80, 105);

        // Difference: grey where they agree, the squares lit, the faint one by the gain set.
        QTest::keyClick(&wipe, Qt::Key_V);
        QCOMPARE(wipe.look().mode, ComparisonLook::Difference);
        QCOMPARE(noteOver(wipe), "Difference \u00d71");
        QVERIFY(shows(wipe, plain, QColor(128, 128, 128)));
        QVERIFY(shows(wipe, white, QColor(128, 255, 255), 16));
        const int faintAtGainOne = shownAt(wipe, {160, 120}, faint).red() - 128;
        QVERIFY(faintAtGainOne > 15 && faintAtGainOne < 70);
        QTest::keyClick(&wipe, Qt::Key_G);
        QCOMPARE(wipe.look().gain, 4);
        QCOMPARE(noteOver(wipe), "Difference \u00d74");
        QVERIFY(shows(wipe, faint, QColor(std::min(255, 128 + 4 * faintAtGainOne), 128, 128), 20));
        QVERIFY(shows(wipe, plain, QColor(128, 128, 128), 16));

        // A saved frame is the picture shown (without the note, once it has gone).
        QTRY_VERIFY_WITH_TIMEOUT(noteOver(wipe).isEmpty(), PictureNote::kShownMs * 3);
        QTest::keyClick(&wipe, Qt::Key_S);
        // Encoded off the GUI thread: not yet written as the key returns, and one at a time.
        QVERIFY(!wipe.transportBar().status().startsWith("Saved"));
        QTest::keyClick(&wipe, Qt::Key_S);
        QCOMPARE(wipe.transportBar().status(), QString("Still saving the last picture"));
        QTRY_VERIFY2(wipe.transportBar().status().contains("/red difference-"),
                     qPrintable(wipe.transportBar().status()));
        const QStringList saved = m_pictures.files();
        QCOMPARE(saved.size(), 1);
        const QImage picture(m_pictures.path() + u'/' + saved[0]);
        QCOMPARE(picture.size(), wipe.pictureRect().size() * wipe.devicePixelRatio());
        const QImage shown = wipe.grab(wipe.pictureRect()).toImage();
        QCOMPARE(picture.convertToFormat(QImage::Format_RGB32),
                 shown.convertToFormat(QImage::Format_RGB32));

        // Onion skin at 50 %, red over blue.
        QVERIFY(window.play("red.mp4", "blue.mp4"));
        QVERIFY(window.pauseBoth());
        QTest::keyClick(&wipe, Qt::Key_V);
        QCOMPARE(wipe.look().mode, ComparisonLook::OnionSkin);
        QCOMPARE(wipe.look().opacity, 0.5);
        QCOMPARE(noteOver(wipe), "Onion skin 50 %");
        QVERIFY(shows(wipe, plain, QColor(128, 0, 128), 16));
        QTest::keyClick(&wipe, Qt::Key_Plus, Qt::ShiftModifier);
        QCOMPARE(noteOver(wipe), "Onion skin 60 %");
        QVERIFY(shows(wipe, plain, QColor(102, 0, 153), 16));

        // Flicker: one whole picture, then the other, on a key or by itself.
        QTest::keyClick(&wipe, Qt::Key_V);
        QCOMPARE(wipe.look().mode, ComparisonLook::Flicker);
        QTest::keyClick(&wipe, Qt::Key_Minus);
        QTest::keyClick(&wipe, Qt::Key_Minus);
        QTest::keyClick(&wipe, Qt::Key_Minus);
        QCOMPARE(comparison.flickerRate(), 0.0);
        const bool showsSecond = wipe.look().flickerShowsSecond;
        QCOMPARE(noteOver(wipe),
                 QString("Flicker on X: %1 video").arg(showsSecond ? "second" : "first"));
        QVERIFY(shows(wipe, white, showsSecond ? Qt::blue : Qt::red));
        QVERIFY(shows(wipe, QPointF(150, 110), showsSecond ? Qt::blue : Qt::red));
        QTest::keyClick(&wipe, Qt::Key_X);
        QCOMPARE(noteOver(wipe),
                 QString("Flicker on X: %1 video").arg(showsSecond ? "first" : "second"));
        QVERIFY(shows(wipe, white, showsSecond ? Qt::red : Qt::blue));
        QTest::keyClick(&wipe, Qt::Key_Plus);
        QVERIFY(comparison.flickerRate() > 0);
        QVERIFY(noteOver(wipe).startsWith("Flicker 0.5 a second: "));
        // The note goes after a moment; the files' names show in the top corners while the
        // pointer moves.
        QTRY_VERIFY_WITH_TIMEOUT(noteOver(wipe).isEmpty(), PictureNote::kShownMs * 3);
        QTest::mouseMove(&wipe, wipe.pictureRect().center() - QPoint(10, 10));
        QTest::mouseMove(&wipe, wipe.pictureRect().center());
        const auto* firstName = wipe.findChild<QLabel*>("firstName");
        const auto* secondName = wipe.findChild<QLabel*>("secondName");
        QTRY_VERIFY(firstName->isVisible() && secondName->isVisible());
        QCOMPARE(firstName->text(), "red.mp4");
        QCOMPARE(secondName->text(), "blue.mp4");
        QVERIFY(firstName->geometry().left() < wipe.width() / 4 &&
                secondName->geometry().right() > wipe.width() * 3 / 4);
        QTRY_VERIFY_WITH_TIMEOUT(!firstName->isVisible(), PictureNote::kShownMs * 3);
        QVERIFY(shows(wipe, white, showsSecond ? Qt::blue : Qt::red));
        QVERIFY(shows(wipe, white, showsSecond ? Qt::red : Qt::blue));
        // Both stay on one moment while paused.
        QVERIFY(Window::paused(window.left()) && Window::paused(window.right()));

        // Back to the divider, from the right pane's menu.
        perform(window.right().actions(), {PlayerCommand::SetWipeMode, 0});
        QCOMPARE(wipe.look().mode, ComparisonLook::Divider);
        QVERIFY(shows(wipe, QPointF(10, 60), Qt::red) && shows(wipe, QPointF(150, 60), Qt::blue));
    }

    void theGraphOfTheDifferenceTakesBothPanesToAFrame()
    {
        Window window;
        QVERIFY(window.play("pattern.mp4", "pattern-low.mp4"));
        // Asked for in either pane (here the right one), it opens the wipe view and measures.
        QTest::keyClick(&window.right(), Qt::Key_D);
        WipeView* wipe = window.components.wipeView();
        const Comparison& comparison = window.components.session().comparison();
        QVERIFY(wipe && comparison.isMeasuring());
        QVERIFY(wipe->transportBar().status().startsWith("Measuring the difference"));
        QTRY_VERIFY_WITH_TIMEOUT(!comparison.results().isEmpty(), kPlayerTimeoutMs);
        QVERIFY(wipe->graph().isVisible());
        QVERIFY(wipe->pictureRect().bottom() < wipe->graph().geometry().top());
        // The summary stays on the graph, readable at the window's first size too after a
        // resize; the bar shows the time again.
        const QualitySummary summary = summarise(comparison.results());
        const QString figures = QString("SSIM %1 on average, worst %2 at frame %3")
                                    .arg(summary.meanSsim, 0, 'f', 4)
                                    .arg(summary.worst.ssim, 0, 'f', 4)
                                    .arg(summary.worst.frame);
        QVERIFY2(wipe->graph().shownSummary().startsWith(figures),
                 qPrintable(wipe->graph().shownSummary()));
        QVERIFY(wipe->transportBar().status().isEmpty());
        window.form.resize(1100, 800);
        QTRY_VERIFY(wipe->width() > 1000);
        window.form.resize(594, 480);
        QTRY_VERIFY(wipe->width() < 600);
        QVERIFY(wipe->graph().isVisible());
        QVERIFY(wipe->graph().shownSummary().startsWith(figures));
        QVERIFY(wipe->graph().shownSummary().contains("PSNR"));
        // The graph names its measure and its worst frame, gives the figures of the frame under
        // the pointer, and shows PSNR instead on a click on its summary.
        QualityGraph& graph = wipe->graph();
        QTest::mouseMove(&graph, QPoint(graph.xOf(summary.worst.seconds), graph.height() - 8));
        QTRY_VERIFY(
            graph.pointedText().startsWith(QString("Frame %1: SSIM ").arg(summary.worst.frame)));
        QTest::mouseClick(&graph, Qt::LeftButton, {}, graph.summaryRect().center());
        QCOMPARE(graph.shownMetric(), QualityGraph::Metric::Psnr);
        QVERIFY(graph.summaryText().endsWith("show SSIM"));
        // The other measures, from the graph's menu: the frame's figure of the one shown too.
        graph.setMetric(QualityGraph::Metric::Msad);
        QTest::mouseMove(&graph, QPoint(graph.xOf(summary.worst.seconds), graph.height() - 9));
        QTRY_VERIFY2(graph.pointedText().contains(", MSAD 0."), qPrintable(graph.pointedText()));
        graph.setMetric(QualityGraph::Metric::PsnrU);
        QTest::mouseMove(&graph, QPoint(graph.xOf(summary.worst.seconds), graph.height() - 8));
        QTRY_VERIFY2(graph.pointedText().contains(", PSNR U ") &&
                         graph.pointedText().endsWith(" dB"),
                     qPrintable(graph.pointedText()));

        // The figures go to the clipboard as CSV, from either pane's menu.
        QGuiApplication::clipboard()->clear();
        perform(window.right().actions(), {PlayerCommand::CopyMeasurements});
        QCOMPARE(QGuiApplication::clipboard()->text(), measurementsAsCsv(comparison.results()));

        // A click on the worst frame's place takes both (paused) panes to its moment.
        QVERIFY(window.pauseBoth());
        const QualitySample worst = summarise(comparison.results()).worst;
        QVERIFY(worst.seconds > 0);
        QTest::mouseClick(&wipe->graph(), Qt::LeftButton, {},
                          QPoint(wipe->graph().xOf(worst.seconds), wipe->graph().height() - 8));
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(window.left()) - worst.seconds) < 0.02 &&
                                     std::abs(Window::at(window.right()) - worst.seconds) < 0.02,
                                 kPlayerTimeoutMs);

        // Measuring again and stopping at once leaves no figures.
        QTest::keyClick(wipe, Qt::Key_D);
        QVERIFY(comparison.isMeasuring() && !wipe->graph().isVisible());
        QTest::keyClick(wipe, Qt::Key_D);
        QVERIFY(!comparison.isMeasuring());
        QCOMPARE(wipe->transportBar().status(), "Measuring stopped");
    }

private:
    OwnPicturesFolder m_pictures;
};

QTEST_MAIN(TestDifferenceViews)
#include "test_difference_views.moc"
