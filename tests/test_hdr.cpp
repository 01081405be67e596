// HDR shown mapped to the standard range: a PQ and an HLG encode of colour bars, made with their
// white at 203 nits, show in either pane (and, run again, on the OpenGL path) as their standard
// source does and as ffmpeg's zscale+tonemap chain maps them; pixel values give the code values
// and the mapped RGB, a saved frame is mapped too, and the peak is chosen in the menu. On the
// command line an HDR video is measured against its source in the same space.
#include "compose/tone_map.h"
#include "playback/facts_overlay.h"
#include "session/perform.h"
#include "session/pixel_inspector.h"
#include "session/player_link.h"
#include "session/tone_mapping.h"
#include "support/ffmpeg_figures.h"
#include "support/linked_window.h"
#include "support/program_run.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

const QSize kBars(320, 180);
// Frame 10, at 0.4 s.
constexpr double kMoment = 0.4;

/// ffmpeg's picture of frame 10 of a file through a chain (none: "null"), in packed RGB of
/// `size`; null when it is not that.
QImage ffmpegPictureOf(const QString& file, const QString& chain, QSize size = kBars)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg",
                 {"-nostdin", "-loglevel", "error", "-i", file, "-vf", "select=eq(n\\,10)," + chain,
                  "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        return {};
    const QByteArray rgb = ffmpeg.readAllStandardOutput();
    if (rgb.size() != size.width() * size.height() * 3)
        return {};
    return QImage(reinterpret_cast<const uchar*>(rgb.constData()), size.width(), size.height(),
                  size.width() * 3, QImage::Format_RGB888)
        .copy();
}

QImage ffmpegPicture(const QString& clip, const QString& chain)
{
    return ffmpegPictureOf(mediaPath(clip), chain);
}

/// The mean difference of the colour channels between a picture of the bars and a reference,
/// the bars found where a pane draws them in `shown` (centred, shrunk to fit): over the points
/// well inside areas of one colour, where scaling makes no difference.
double meanDifference(const QImage& shown, const QImage& reference)
{
    const QRectF target = videoRect(shown.size(), kBars);
    if (reference.isNull() || shown.isNull())
        return 255;
    constexpr int kRadius = 4;
    double total = 0;
    int compared = 0;
    for (int y = kRadius; y < kBars.height() - kRadius; y += 2) {
        for (int x = kRadius; x < kBars.width() - kRadius; x += 2) {
            if (!uniformAround(reference, x, y, kRadius))
                continue;
            const QColor a = shown.pixelColor(
                QPoint(int(target.left() + (x + 0.5) * target.width() / kBars.width()),
                       int(target.top() + (y + 0.5) * target.height() / kBars.height())));
            const QColor b = reference.pixelColor(x, y);
            total += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                     std::abs(a.blue() - b.blue());
            ++compared;
        }
    }
    return compared > 1000 ? total / (3.0 * compared) : 255;
}

QString factsOf(VideoPlayer& player)
{
    const auto* facts = player.findChild<FactsOverlay*>();
    return facts && facts->isShown() ? facts->text() : QString();
}

} // namespace

class TestHdr : public QObject {
    Q_OBJECT

private slots:
    void hdrShowsAsItsSourceInEitherPane_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<int>("pane");
        QTest::addColumn<QString>("named");
        QTest::newRow("PQ, right pane") << "hdr-smpte2084.mp4" << 1 << "PQ";
        QTest::newRow("HLG, left pane") << "hdr-arib-std-b67.mp4" << 0 << "HLG";
    }
    void hdrShowsAsItsSourceInEitherPane()
    {
        QFETCH(QString, clip);
        QFETCH(int, pane);
        QFETCH(QString, named);
        const QTemporaryDir pictures;
        Window window;
        QVERIFY(pane ? window.play("hdr-source.mp4", clip) : window.play(clip, "hdr-source.mp4"));
        VideoPlayer& hdr = pane ? window.right() : window.left();
        VideoPlayer& source = pane ? window.left() : window.right();
        QTRY_VERIFY_WITH_TIMEOUT(!hdr.engine().toneMap().isEmpty(), kPlayerTimeoutMs);
        QVERIFY(source.engine().toneMap().isEmpty());
        hdr.link()->setLinked(true, &hdr.engine());
        QVERIFY(window.pauseBoth());
        hdr.actions().seekTo(kMoment);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(hdr) - kMoment) < 0.001 &&
                                     std::abs(Window::at(source) - kMoment) < 0.001,
                                 kPlayerTimeoutMs);

        // Within a few code values of the source; nearer still to ffmpeg's own chain.
        const QImage sdr = ffmpegPicture("hdr-source.mp4", "null");
        const QImage mapped = ffmpegPicture(clip, hdr.engine().toneMap());
        QTRY_VERIFY_WITH_TIMEOUT(meanDifference(hdr.videoSurface().grabFrame(), sdr) <= 4,
                                 kPlayerTimeoutMs);
        const double fromChain = meanDifference(hdr.videoSurface().grabFrame(), mapped);
        qInfo("%s: mean difference %.2f from the source, %.2f from ffmpeg's mapping",
              qPrintable(named), meanDifference(hdr.videoSurface().grabFrame(), sdr), fromChain);
        QVERIFY(fromChain <= 2);
        QVERIFY(meanDifference(source.videoSurface().grabFrame(), sdr) <= 2);
        ToneMapping& mapping = window.components.session().toneMapping();
        QCOMPARE(mapping.descriptionFor(hdr.engine().file()),
                 named + " mapped to SDR, peak 1000 nits");

        // The peak chosen in the menu, asked in the other pane: at white, light above it is
        // clipped, and the source's bars, none brighter than white, show as they are.
        perform(source.actions(), {PlayerCommand::SetHdrPeak, 203});
        QVERIFY(hdr.engine().toneMap().contains("tonemap=clip"));
        const QImage clipped = ffmpegPicture(clip, hdr.engine().toneMap());
        QTRY_VERIFY_WITH_TIMEOUT(meanDifference(hdr.videoSurface().grabFrame(), clipped) <= 2,
                                 kPlayerTimeoutMs);
        hdr.actions().setFactsShown(true);
        QTRY_VERIFY(factsOf(hdr).endsWith(named + " mapped to SDR, peak 203 nits"));

        // Pixel values: the file's own 10-bit code values, and the RGB as mapped.
        PixelInspector& inspector = window.components.session().comparison().inspector();
        PixelInspector::Report report;
        connect(&inspector, &PixelInspector::inspected,
                [&](const PixelInspector::Report& told) { report = told; });
        inspector.setOn(true);
        inspector.inspect(QPointF(0.1, 0.3));
        QTRY_VERIFY_WITH_TIMEOUT(report.panes[std::size_t(pane)].has_value(), kPlayerTimeoutMs);
        const PixelValues& values = *report.panes[std::size_t(pane)];
        QCOMPARE(values.bits, 10);
        QVERIFY(values.luma > 64 && values.luma < 940);
        const QColor expected = clipped.pixelColor(values.x, values.y);
        QVERIFY(colourDistance(QColor(values.red, values.green, values.blue), expected) <= 2);
        inspector.setOn(false);

        // A saved frame is mapped as the pane shows it.
        QSignalSpy saved(&hdr.engine(), &PlaybackEngine::frameSaved);
        hdr.engine().saveFrame(pictures.path() + "/hdr.png");
        QTRY_VERIFY_WITH_TIMEOUT(!saved.isEmpty(), kPlayerTimeoutMs);
        QVERIFY(saved.first()[1].toBool());
        QImage frame(saved.first()[0].toString());
        QCOMPARE(frame.size(), kBars);
        QVERIFY(meanDifference(frame, sdr) <= 4);
    }

    void theCommandLineMeasuresHdrAgainstItsSourceAsShown()
    {
        const Outcome outcome = run(
            {"--measure", mediaPath("hdr-source.mp4"), mediaPath("hdr-smpte2084.mp4"), "--json"});
        QCOMPARE(outcome.status, 0);
        const QJsonObject figures = QJsonDocument::fromJson(outcome.out.toUtf8()).object();
        const QString chain = toneMapChain({Transfer::Pq, 0}, 0);
        const QList<double> ssim =
            ffmpegFigures("ssim", "All", mediaPath("hdr-source.mp4"),
                          mediaPath("hdr-smpte2084.mp4"), "[1:v]" + chain + "[b];[0:v][b]");
        QCOMPARE(figures["frames"].toInt(), ssim.size());
        QVERIFY2(std::abs(figures["ssim"].toDouble() - ssim.value(0)) <= 0.001,
                 qPrintable(outcome.out));
        // Exported side by side, the mapped half shows as the source's half does.
        QTemporaryDir folder;
        const QString out = folder.filePath("pair.mp4");
        QCOMPARE(run({"--export", "side-by-side", mediaPath("hdr-source.mp4"),
                      mediaPath("hdr-arib-std-b67.mp4"), out})
                     .status,
                 0);
        const QImage pair = ffmpegPictureOf(out, "null", QSize(2 * kBars.width(), kBars.height()));
        QVERIFY(!pair.isNull());
        const QImage left = pair.copy(QRect(QPoint(0, 0), kBars));
        const QImage right = pair.copy(QRect(QPoint(kBars.width(), 0), kBars));
        QVERIFY(meanDifference(right, left) <= 4);

        const Outcome brighter = run({"--measure", mediaPath("hdr-source.mp4"),
                                      mediaPath("hdr-arib-std-b67.mp4"), "--hdr-peak", "203"});
        QCOMPARE(brighter.status, 0);
        QCOMPARE(run({"--measure", "a.mp4", "b.mp4", "--hdr-peak", "-1"}).status, 2);
    }
};

QTEST_MAIN(TestHdr)
#include "test_hdr.moc"
