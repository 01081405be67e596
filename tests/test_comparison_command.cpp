// The comparisons of the command line, run as a script would run them, with no display: the
// figures of --measure against ffmpeg's own, --align against a known offset, the video --export
// writes, and the word and exit status of each way it can end.
#include "analysis/decoded_picture.h"
#include "support/ffmpeg_figures.h"
#include "support/player_testing.h"
#include "support/program_run.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <cmath>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

/// How far, on average over a grid of points, each half of a side-by-side export's frame at
/// `seconds` is from the file it shows there at the same place of its picture.
double distanceFromItsFiles(const QString& exported, double seconds,
                            const std::array<QString, 2>& files)
{
    const std::atomic_bool never{false};
    const auto shown = DecodedPicture::read(exported, seconds, never);
    if (!shown)
        return 1e9;
    double total = 0;
    int points = 0;
    for (int half = 0; half < 2; ++half) {
        const auto file = DecodedPicture::read(files[std::size_t(half)], seconds, never);
        if (!file)
            return 1e9;
        for (double u = 0.1; u < 1; u += 0.15) {
            for (double v = 0.1; v < 1; v += 0.15) {
                const auto a = shown->valuesAt({(half + u) / 2, v}, false);
                const auto b = file->valuesAt({u, v}, false);
                if (!a || !b)
                    return 1e9;
                total += colourDistance(QColor(a->red, a->green, a->blue),
                                        QColor(b->red, b->green, b->blue));
                ++points;
            }
        }
    }
    return total / points;
}

} // namespace

class TestComparisonCommand : public QObject {
    Q_OBJECT

private slots:
    void measuresEveryFramePairAsFfmpegDoes()
    {
        const QString first = mediaPath("pattern.mp4");
        const QString second = mediaPath("pattern-low.mp4");
        const QList<double> psnr = ffmpegFigures("psnr", "psnr_avg", first, second);
        const QList<double> ssim = ffmpegFigures("ssim", "All", first, second);
        QCOMPARE(psnr.size(), 75);
        QCOMPARE(ssim.size(), 75);

        QTemporaryDir folder;
        const QString csvPath = folder.filePath("figures.csv");
        const Outcome measured = run({"--measure", first, second, "--csv", csvPath});
        QCOMPARE(measured.status, 0);
        QVERIFY2(measured.out.startsWith("SSIM 0."), qPrintable(measured.out));
        QVERIFY(measured.out.contains("\n75 frame pairs compared, over 3.000 s\n"));
        // A script's log gets no progress: standard error is no terminal here.
        QVERIFY2(measured.err.isEmpty(), qPrintable(measured.err));

        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0),
                 "frame,time,psnr,ssim,psnr_y,psnr_u,psnr_v,ssim_y,ssim_u,ssim_v,msad");
        QCOMPARE(lines.size(), 1 + 75 + 4);
        // Each plane's figures and the mean absolute difference, as ffmpeg gives them too.
        QList<QList<double>> planes;
        for (const QString key : {"psnr_y", "psnr_u", "psnr_v"})
            planes << ffmpegFigures("psnr", key, first, second);
        for (const QString key : {"Y", "U", "V"})
            planes << ffmpegFigures("ssim", key, first, second);
        const QList<double> msad =
            ffmpegFrameMetadata("msad", "lavfi.msad.msad_avg", first, second);
        QCOMPARE(msad.size(), 75);
        for (int i = 0; i < 75; ++i) {
            const QStringList row = lines[1 + i].split(',');
            QCOMPARE(row.value(0).toInt(), i);
            QVERIFY2(std::abs(row.value(2).toDouble() - psnr[i]) <= 0.01, qPrintable(lines[1 + i]));
            QVERIFY2(std::abs(row.value(3).toDouble() - ssim[i]) <= 0.0001,
                     qPrintable(lines[1 + i]));
            for (int plane = 0; plane < 6; ++plane) {
                QVERIFY2(std::abs(row.value(4 + plane).toDouble() - planes[plane].value(i)) <=
                             (plane < 3 ? 0.01 : 0.0001),
                         qPrintable(lines[1 + i]));
            }
            QVERIFY2(std::abs(row.value(10).toDouble() - msad[i]) <= 0.000001,
                     qPrintable(lines[1 + i]));
        }
        // The summary after the rows, as on standard output.
        QCOMPARE(lines.mid(76).join('\n') + '\n',
                 "# " + measured.out.split('\n').join("\n# ").chopped(2));
    }

    void averagesThePsnrOfEveryFramePairAsFfmpegDoes()
    {
        // Lossless takes that differ in 16 frames of 120: the equal pairs count in the average.
        const QString first = mediaPath("steady.mkv");
        const QString second = mediaPath("steady-blip.mkv");
        const double expected = ffmpegAveragePsnr(first, second);
        QVERIFY(std::isfinite(expected));
        const Outcome measured = run({"--measure=" + first, second});
        QCOMPARE(measured.status, 0);
        const QRegularExpressionMatch average =
            QRegularExpression("PSNR ([0-9.]+) dB on average").match(measured.out);
        QVERIFY2(average.hasMatch(), qPrintable(measured.out));
        QVERIFY2(std::abs(average.captured(1).toDouble() - expected) <= 0.01,
                 qPrintable(measured.out + QString::number(expected)));
        QVERIFY2(measured.out.contains("120 frame pairs compared, 104 of them identical"),
                 qPrintable(measured.out));
        // A shorter second: compared up to its end, and no further.
        const Outcome shorter = run({"--measure", mediaPath("red.mp4"), mediaPath("red-1s.mp4")});
        QVERIFY2(shorter.out.contains("\n25 frame pairs compared, 25 of them identical, over "
                                      "1.000 s\n"),
                 qPrintable(shorter.out));
    }

    void exportsPicturesOfOddWidthsInEveryLayout()
    {
        // Rows that are no whole number of the scaler's vectors, 8 and 10 bits, each layout.
        QTemporaryDir folder;
        const std::atomic_bool never{false};
        for (const QString name : {"odd-330x186.mp4", "odd-426x240.mp4"}) {
            for (const QString layout : {"difference", "wipe", "onion", "side-by-side"}) {
                const QString file = folder.filePath(layout + '-' + name);
                const QString second = name.startsWith("odd-330") ? "odd-330x186-10bit.mp4" : name;
                const Outcome exported =
                    run({"--export", layout, mediaPath(name), mediaPath(second), file});
                QVERIFY2(exported.status == 0, qPrintable(file + ": " + exported.err));
                const auto picture = DecodedPicture::read(file, 0.5, never);
                QVERIFY(picture);
                QCOMPARE(picture->shownSize().height(), name.contains("x240") ? 240 : 186);
            }
        }
    }

    void alignsBySoundToTheMillisecondAndByPictureToAFrame()
    {
        const Outcome bySound =
            run({"--align", mediaPath("sound-a.mp4"), mediaPath("sound-b.mp4")});
        QCOMPARE(bySound.status, 0);
        QVERIFY2(std::abs(bySound.out.trimmed().toDouble() - 1.37) < 0.001,
                 qPrintable(bySound.out));
        // A take against itself lines up at no offset, unsigned.
        const Outcome itself = run({"--align", mediaPath("sound-a.mp4"), mediaPath("sound-a.mp4")});
        QCOMPARE(itself.out, "0.0000\n");
        // The second starts 41 frames (at 30 a second) into the first: it is that far behind.
        const Outcome byPicture = run(
            {"--align", mediaPath("moving.mp4"), mediaPath("moving-later.mp4"), "--by", "picture"});
        QCOMPARE(byPicture.status, 0);
        QVERIFY2(std::abs(byPicture.out.trimmed().toDouble() + 41 / 30.0) < 1 / 30.0,
                 qPrintable(byPicture.out));
        // Takes that drift apart: the offset at the start, and B's seconds to one of A's.
        const Outcome drifting =
            run({"--align", mediaPath("drift-a.mp4"), mediaPath("drift-b.mp4")});
        QCOMPARE(drifting.status, 0);
        const QStringList figures = drifting.out.trimmed().split(' ');
        QVERIFY2(figures.size() == 2 && std::abs(figures[0].toDouble()) < 1 / 30.0 &&
                     std::abs(figures[1].toDouble() - 23.976 / 25) < 0.0005,
                 qPrintable(drifting.out));
        // The other way round: the first runs at 25/23.976 of the second's pace.
        const Outcome swapped =
            run({"--align", mediaPath("drift-b.mp4"), mediaPath("drift-a.mp4")});
        const QStringList back = swapped.out.trimmed().split(' ');
        QVERIFY2(swapped.status == 0 && back.size() == 2 &&
                     std::abs(back[1].toDouble() - 25 / 23.976) < 0.0005,
                 qPrintable(swapped.out));
        // The second starting 1.5 s later, by sound and by picture.
        for (const QString by : {"sound", "picture"}) {
            const Outcome later = run(
                {"--align", mediaPath("drift-a.mp4"), mediaPath("drift-b-later.mp4"), "--by", by});
            QCOMPARE(later.status, 0);
            const QStringList found = later.out.trimmed().split(' ');
            QVERIFY2(found.size() == 2 && std::abs(found[0].toDouble() - 1.5) < 0.04 &&
                         std::abs(found[1].toDouble() - 23.976 / 25) < 0.0005,
                     qPrintable(by + ": " + later.out));
        }
    }

    void exportsTheComparisonAsAVideo()
    {
        // Red beside blue, with no display; the name it was written under on standard output.
        QTemporaryDir folder;
        const QString file = folder.filePath("red and blue.mp4");
        const Outcome exported =
            run({"--export", "side-by-side", mediaPath("red.mp4"), mediaPath("blue.mp4"), file});
        QCOMPARE(exported.status, 0);
        QCOMPARE(exported.out.trimmed(), file);
        // Neither libav's nor Qt's remarks about a session without a display.
        QVERIFY2(exported.err.isEmpty(), qPrintable(exported.err));
        const std::atomic_bool never{false};
        const auto picture = DecodedPicture::read(file, 1.0, never);
        QVERIFY(picture);
        QCOMPARE(picture->shownSize(), QSize(320, 120));
        for (const auto& [x, colour] :
             {std::pair{0.25, QColor(Qt::red)}, {0.75, QColor(Qt::blue)}}) {
            const PixelValues values = picture->valuesAt({x, 0.7}, false).value();
            QVERIFY(colourDistance(QColor(values.red, values.green, values.blue), colour) <= 16);
        }
        // Pictures of another depth, or size, laid beside the first as they show: each half
        // is its own file's picture (the second scaled to the first's height).
        for (const auto& [first, second] : {std::pair{"pattern.mp4", "pattern-10bit.mp4"},
                                            std::pair{"moving.mp4", "moving-later.mp4"}}) {
            const QString laid = folder.filePath(QStringLiteral("%1 beside %2").arg(first, second));
            QCOMPARE(
                run({"--export", "side-by-side", mediaPath(first), mediaPath(second), laid}).status,
                0);
            QVERIFY(DecodedPicture::read(laid, 1.0, never)->shownSize() == QSize(640, 240));
            const double distance =
                distanceFromItsFiles(laid, 1.0, {mediaPath(first), mediaPath(second)});
            QVERIFY2(distance < 12, qPrintable(QString::number(distance)));
        }
        // Never over a file that is there.
        const Outcome again =
            run({"--export", "wipe", mediaPath("red.mp4"), mediaPath("blue.mp4"), file});
        QCOMPARE(again.status, 2);
        QVERIFY2(again.err.contains("is there already"), qPrintable(again.err));
        QCOMPARE(DecodedPicture::read(file, 1.0, never)->shownSize(), QSize(320, 120));
    }

    void saysWhyItCannotAndExitsWithItsStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("word");
        const QString a = mediaPath("sound-a.mp4");
        QTest::newRow("unrelated sound")
            << QStringList{"--align", a, mediaPath("sound-other.mp4")} << 1 << "no clear match";
        QTest::newRow("one file") << QStringList{"--measure", a} << 2 << "at least one rendition";
        QTest::newRow("no such file") << QStringList{"--measure", a, "/nonexistent/b.mp4"} << 2
                                      << "cannot read /nonexistent/b.mp4";
        QTest::newRow("a folder") << QStringList{"--align", a, "/tmp"} << 2 << "not a regular file";
        QTest::newRow("not a video") << QStringList{"--measure", mediaPath("garbage.avi"), a} << 2
                                     << "garbage.avi has no video that can be decoded";
        QTest::newRow("no sound") << QStringList{"--align", mediaPath("pattern.mp4"), a} << 2
                                  << "pattern.mp4 has no sound";
        QTest::newRow("one frame each")
            << QStringList{"--align", "--by=picture", mediaPath("one-frame.mp4"),
                           mediaPath("one-frame.mp4")}
            << 1 << "too few pictures";
        QTest::newRow("a picture too small to encode")
            << QStringList{"--export", "wipe", mediaPath("tiny-1x1.mkv"), a, "/tmp/tiny.mp4"} << 2
            << "too small to encode";
        QTest::newRow("a container without H.264")
            << QStringList{"--export", "wipe", a, a, "/tmp/tandemo-test.webm"} << 2
            << "name it .mp4, .mkv or .mov";
        QTest::newRow("the window, with no display")
            << QStringList{a, a} << 2 << "no display to show the window on";
        QTest::newRow("by what") << QStringList{"--align", a, a, "--by", "smell"} << 2
                                 << "--by is sound or picture";
        QTest::newRow("both at once")
            << QStringList{"--measure", "--align", a, a} << 2 << "one at a time";
        QTest::newRow("export laid out how")
            << QStringList{"--export", "mosaic", a, a, "/tmp/x.mp4"} << 2 << "not mosaic";
        QTest::newRow("export to where")
            << QStringList{"--export", "wipe", a, a} << 2 << "two videos and the new file";
        QTest::newRow("an unknown option")
            << QStringList{"--measure", "--fast", a, a} << 2 << "unknown option --fast";
    }
    void saysWhyItCannotAndExitsWithItsStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, word);
        const Outcome outcome = run(arguments);
        QCOMPARE(outcome.status, status);
        QVERIFY2((outcome.out + outcome.err).contains(word), qPrintable(outcome.out + outcome.err));
    }
};

QTEST_GUILESS_MAIN(TestComparisonCommand)
#include "test_comparison_command.moc"
