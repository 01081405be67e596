// One reference against several renditions on the command line, as a pipeline runs it: the
// figures of each against ffmpeg's own for that pair (with the same offset, trim or crop), the
// offsets found for each, the JSON lines, each failure's words and status, and the manifest of
// pairs run through GNU parallel as the README shows it.
#include "analysis/decoded_picture.h"
#include "support/ffmpeg_figures.h"
#include "support/player_testing.h"
#include "support/program_run.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

/// The per-frame SSIM and PSNR averages, as ffmpeg averages them, of a graph ending in
/// [a] and [b].
std::pair<double, double> averagesOf(const QString& first, const QString& second,
                                     const QString& graph)
{
    const QList<double> ssim = ffmpegFigures("ssim", "All", first, second, graph + ";[a][b]");
    const double psnr = ffmpegAveragePsnr(first, second, graph + ";[a][b]");
    if (ssim.isEmpty())
        return {std::nan(""), std::nan("")};
    double sum = 0;
    for (const double each : ssim)
        sum += each;
    return {sum / ssim.size(), psnr};
}

QList<QJsonObject> jsonLines(const QString& text)
{
    QList<QJsonObject> lines;
    for (const QString& line : text.split('\n', Qt::SkipEmptyParts)) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &error);
        if (error.error != QJsonParseError::NoError || !document.isObject())
            return {};
        lines << document.object();
    }
    return lines;
}

} // namespace

class TestRenditionCommands : public QObject {
    Q_OBJECT

private slots:
    void measuresEachRenditionAsFfmpegMeasuresItsPair()
    {
        const QString reference = mediaPath("pattern.mp4");
        const QStringList ladder{mediaPath("pattern-low.mp4"), mediaPath("ladder-crf32.mp4"),
                                 mediaPath("ladder-half.mp4")};
        // Two renditions, then three: each line is its pair's, in the order given.
        for (const int count : {2, 3}) {
            const Outcome measured = run(QStringList{"--measure", reference} +
                                         ladder.mid(0, count) + QStringList{"--json"});
            QCOMPARE(measured.status, 0);
            const QList<QJsonObject> lines = jsonLines(measured.out);
            QCOMPARE(lines.size(), count);
            for (int i = 0; i < count; ++i) {
                const QJsonObject& line = lines[i];
                QCOMPARE(line["file"].toString(), ladder[i]);
                QCOMPARE(line["reference"].toString(), reference);
                QCOMPARE(line["frames"].toInt(), 75);
                QCOMPARE(line["seconds"].toDouble(), 3.0);
                // The half-size rendition is scaled to the reference's size, as ffmpeg's scale
                // does it.
                const QString graph =
                    i == 2 ? "[0:v]null[a];[1:v]scale=320:240[b]" : "[0:v]null[a];[1:v]null[b]";
                const auto [ssim, psnr] = averagesOf(reference, ladder[i], graph);
                QVERIFY2(
                    std::abs(line["ssim"].toDouble() - ssim) <= 0.0001,
                    qPrintable(QString("%1 against %2").arg(line["ssim"].toDouble()).arg(ssim)));
                QVERIFY2(
                    std::abs(line["psnr"].toDouble() - psnr) <= 0.01,
                    qPrintable(QString("%1 against %2").arg(line["psnr"].toDouble()).arg(psnr)));
                QVERIFY(line["ssim_worst"].toDouble() <= line["ssim"].toDouble());
                QVERIFY(line["psnr_worst"].toDouble() <= line["psnr"].toDouble());
                QVERIFY(line.contains("ssim_worst_frame") && line.contains("psnr_worst_frame"));
                // Each plane's and the mean absolute difference, against ffmpeg's too.
                if (i == 0) {
                    const auto mean = [](const QList<double>& figures) {
                        double sum = 0;
                        for (const double each : figures)
                            sum += each;
                        return sum / figures.size();
                    };
                    QVERIFY(std::abs(line["ssim_u"].toDouble() -
                                     mean(ffmpegFigures("ssim", "U", reference, ladder[0]))) <=
                            0.0001);
                    QVERIFY(std::abs(line["msad"].toDouble() -
                                     mean(ffmpegFrameMetadata("msad", "lavfi.msad.msad_avg",
                                                              reference, ladder[0]))) <= 1e-6);
                    QVERIFY(line["psnr_v"].toDouble() > 0);
                }
            }
        }
        // The summary names each rendition; the CSV has a column for it.
        QTemporaryDir folder;
        const QString csv = folder.filePath("ladder.csv");
        const Outcome summary =
            run(QStringList{"--measure", reference} + ladder + QStringList{"--csv", csv});
        QCOMPARE(summary.status, 0);
        QVERIFY2(summary.out.startsWith(ladder[0] + ":\n  SSIM 0.") &&
                     summary.out.contains('\n' + ladder[2] + ":\n  SSIM"),
                 qPrintable(summary.out));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList rows = QString::fromUtf8(file.readAll()).split('\n');
        QVERIFY(rows.value(0).startsWith("rendition,frame,time,psnr,ssim,psnr_y,"));
        QCOMPARE(rows.filter(QRegularExpression("^\"ladder-crf32.mp4\",")).size(), 75);
    }

    void measuresAtAnOffsetOrAlignedFirstAsFfmpegDoesWithTheSameTrim()
    {
        // The second 0.4 s ahead: its frames from 0.4 s on meet the first's from 0.
        const QString pattern = mediaPath("pattern.mp4");
        const QString low = mediaPath("pattern-low.mp4");
        const Outcome ahead = run({"--measure", pattern, low, "--offset", "0.4", "--json"});
        QCOMPARE(ahead.status, 0);
        const QJsonObject line = jsonLines(ahead.out).value(0);
        const auto [ssim, psnr] =
            averagesOf(pattern, low, "[0:v]null[a];[1:v]trim=start=0.4,setpts=PTS-STARTPTS[b]");
        QCOMPARE(line["frames"].toInt(), 65);
        QCOMPARE(line["offset"].toDouble(), 0.4);
        QVERIFY2(std::abs(line["ssim"].toDouble() - ssim) <= 0.0001, qPrintable(ahead.out));
        QVERIFY2(std::abs(line["psnr"].toDouble() - psnr) <= 0.01, qPrintable(ahead.out));

        // A copy that starts 41 frames later, aligned by picture first: measured as ffmpeg
        // measures the first from its 41st frame on.
        const QString moving = mediaPath("moving.mp4");
        const QString later = mediaPath("moving-later.mp4");
        const Outcome aligned = run({"--measure", moving, later, "--aligned", "picture", "--json"});
        QCOMPARE(aligned.status, 0);
        const QJsonObject found = jsonLines(aligned.out).value(0);
        QVERIFY2(std::abs(found["offset"].toDouble() + 41 / 30.0) < 0.5 / 30,
                 qPrintable(aligned.out));
        const auto [alignedSsim, alignedPsnr] = averagesOf(
            moving, later, "[0:v]trim=start_frame=41,setpts=PTS-STARTPTS[a];[1:v]scale=320:240[b]");
        QVERIFY2(std::abs(found["ssim"].toDouble() - alignedSsim) <= 0.0001,
                 qPrintable(aligned.out + QString::number(alignedSsim)));
        QVERIFY2(std::abs(found["psnr"].toDouble() - alignedPsnr) <= 0.01,
                 qPrintable(aligned.out + QString::number(alignedPsnr)));
    }

    void alignsEachRenditionWithItsOwnOffset()
    {
        // The same take, one that starts 41 frames later, and one that drifts: three answers.
        const Outcome aligned = run({"--align", mediaPath("moving.mp4"), mediaPath("moving.mp4"),
                                     mediaPath("moving-later.mp4"), "--by", "picture"});
        QCOMPARE(aligned.status, 0);
        const QStringList lines = aligned.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], mediaPath("moving.mp4") + ": 0.0000");
        QVERIFY2(lines[1].startsWith(mediaPath("moving-later.mp4") + ": ") &&
                     std::abs(lines[1].section(' ', 1).toDouble() + 41 / 30.0) < 1 / 30.0,
                 qPrintable(aligned.out));
        // Three by sound: two that drift, one of them later, and the reference itself.
        const Outcome json =
            run({"--align", mediaPath("drift-a.mp4"), mediaPath("drift-b.mp4"),
                 mediaPath("drift-b-later.mp4"), mediaPath("drift-a.mp4"), "--json"});
        QCOMPARE(json.status, 0);
        const QList<QJsonObject> found = jsonLines(json.out);
        QCOMPARE(found.size(), 3);
        QCOMPARE(found[1]["file"].toString(), mediaPath("drift-b-later.mp4"));
        QVERIFY(std::abs(found[0]["offset"].toDouble()) < 1 / 30.0);
        QVERIFY(std::abs(found[1]["offset"].toDouble() - 1.5) < 0.04);
        for (const QJsonObject& each : found.mid(0, 2))
            QVERIFY(std::abs(each["pace"].toDouble() - 23.976 / 25) < 0.0005);
        QCOMPARE(found[2]["offset"].toDouble(), 0.0);
        QCOMPARE(found[2]["pace"].toDouble(), 1.0);
    }

    void filtersEachSideBeforeMeasuring()
    {
        // Both cropped to the picture inside the bars: ffmpeg's figures with the same crop.
        const QString crop = "crop=320:180:0:30";
        const QString first = mediaPath("letterbox.mp4");
        const QString second = mediaPath("letterbox-low.mp4");
        const Outcome cropped = run(
            {"--measure", first, second, "--left-filter", crop, "--right-filter", crop, "--json"});
        QCOMPARE(cropped.status, 0);
        const QJsonObject line = jsonLines(cropped.out).value(0);
        const auto [ssim, psnr] =
            averagesOf(first, second, QString("[0:v]%1[a];[1:v]%1[b]").arg(crop));
        QVERIFY2(std::abs(line["ssim"].toDouble() - ssim) <= 0.0001, qPrintable(cropped.out));
        QVERIFY2(std::abs(line["psnr"].toDouble() - psnr) <= 0.01, qPrintable(cropped.out));
        // Only the right side cropped: scaled back to the left's size, as different sizes are.
        const Outcome oneSide = run({"--measure", first, second, "--right-filter", crop, "--json"});
        QCOMPARE(oneSide.status, 0);
        const auto [oneSsim, onePsnr] =
            averagesOf(first, second, QString("[0:v]null[a];[1:v]%1,scale=320:240[b]").arg(crop));
        QVERIFY2(std::abs(jsonLines(oneSide.out).value(0)["ssim"].toDouble() - oneSsim) <= 0.0001,
                 qPrintable(oneSide.out));
        Q_UNUSED(onePsnr);
        // Exported as filtered: the cropped side laid beside the other at its height.
        QTemporaryDir folder;
        const QString exported = folder.filePath("cropped.mp4");
        QCOMPARE(run({"--export", "side-by-side", first, first, exported, "--right-filter", crop})
                     .status,
                 0);
        const std::atomic_bool never{false};
        QCOMPARE(DecodedPicture::read(exported, 0.5, never)->shownSize(),
                 QSize(320 + 320 * 240 / 180, 240));
    }

    void saysWhichRenditionFailedAndWhy_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("lines");
        const QString a = mediaPath("pattern.mp4");
        const QString low = mediaPath("pattern-low.mp4");
        QTest::newRow("a rendition that cannot be decoded")
            << QStringList{"--measure", a, low, mediaPath("garbage.avi"), "--json"} << 2
            << "garbage.avi: cannot measure the difference: no video" << 2;
        QTest::newRow("one that cannot be matched")
            << QStringList{"--align", mediaPath("sound-a.mp4"), mediaPath("sound-b.mp4"),
                           mediaPath("sound-other.mp4")}
            << 1 << "sound-other.mp4: no clear match" << 2;
        QTest::newRow("one with too few pictures")
            << QStringList{"--align", "--by=picture", mediaPath("moving.mp4"),
                           mediaPath("moving-later.mp4"), mediaPath("one-frame.mp4")}
            << 1 << "one-frame.mp4: nothing to align by: too few pictures" << 1;
        QTest::newRow("a bad chain")
            << QStringList{"--measure", a, low, "--right-filter", "cropp=10:10"} << 2
            << "--right-filter: No such filter: 'cropp'" << 0;
        QTest::newRow("a chain too big for the picture")
            << QStringList{"--measure", a, low, "--left-filter", "crop=4000:10"} << 2
            << "--left-filter: " << 0;
        QTest::newRow("no rendition") << QStringList{"--measure", a} << 2
                                      << "needs a reference and at least one rendition" << 0;
        QTest::newRow("a pace of nothing") << QStringList{"--measure", a, low, "--pace", "0"} << 2
                                           << "--pace is a number above 0" << 0;
        QTest::newRow("an offset that is no number")
            << QStringList{"--measure", a, low, "--offset", "soon"} << 2
            << "--offset needs a number" << 0;
        QTest::newRow("an offset to align by") << QStringList{"--align", a, low, "--offset", "1"}
                                               << 2 << "--offset goes with --measure" << 0;
        QTest::newRow("both an offset and aligned")
            << QStringList{"--measure", a, low, "--offset", "1", "--aligned"} << 2
            << "goes without --offset" << 0;
    }
    void saysWhichRenditionFailedAndWhy()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, word);
        QFETCH(int, lines);
        const Outcome outcome = run(arguments);
        QCOMPARE(outcome.status, status);
        QVERIFY2((outcome.out + outcome.err).contains(word), qPrintable(outcome.out + outcome.err));
        // The others are still given.
        QCOMPARE(outcome.out.count('\n'), lines);
    }

    void runsAManifestOfPairsThroughParallel()
    {
        // The README's example, on this machine's cores: one JSON line per pair, whatever order
        // they end in.
        QTemporaryDir folder;
        QFile manifest(folder.filePath("pairs.tsv"));
        QVERIFY(manifest.open(QIODevice::WriteOnly));
        const QStringList renditions{"pattern-low.mp4", "ladder-crf32.mp4", "ladder-half.mp4"};
        for (const QString& rendition : renditions)
            manifest.write(
                (mediaPath("pattern.mp4") + '\t' + mediaPath(rendition) + '\n').toUtf8());
        manifest.close();
        QProcess parallel;
        parallel.setProcessEnvironment(withoutDisplay());
        parallel.start("parallel",
                       {"--will-cite", "--colsep", "\t", "-j", "2", TANDEMO_PROGRAM, "--measure",
                        "{1}", "{2}", "--json", "::::", manifest.fileName()});
        const Outcome ran = outcomeOf(parallel);
        QVERIFY2(ran.status == 0, qPrintable(ran.err));
        const QList<QJsonObject> lines = jsonLines(ran.out);
        QCOMPARE(lines.size(), 3);
        QStringList files;
        for (const QJsonObject& line : lines) {
            files << QFileInfo(line["file"].toString()).fileName();
            QCOMPARE(line["frames"].toInt(), 75);
            QVERIFY(line["ssim"].toDouble() > 0.5 && line["ssim"].toDouble() < 1);
        }
        files.sort();
        QStringList expected = renditions;
        expected.sort();
        QCOMPARE(files, expected);
    }
};

QTEST_GUILESS_MAIN(TestRenditionCommands)
#include "test_rendition_commands.moc"
