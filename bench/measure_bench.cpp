// Times Measure Difference on two videos against ffmpeg's own psnr and ssim filters on the same
// pair, in interleaved pairs of runs, and how responsive the window stays while it measures:
//
//   tandemo-bench-measure [--pairs N] [--json] FIRST SECOND
//   tandemo-bench-measure [--pairs N] [--json] REFERENCE RENDITION RENDITION...
//
// Ours runs as the program runs it, in the background while a window is shown, where a menu is
// opened every 150 ms and the time until it is painted noted. ffmpeg runs as `ffmpeg -i FIRST -i
// SECOND -lavfi <filter> -f null -`, once with ssim alone and once with both psnr and ssim (as ours
// measures). With several renditions, ours measures them all at once (the reference decoded
// once) against one ffmpeg run per rendition, each scaling the rendition to the reference's size
// as ours does.

#include "analysis/quality_measure.h"
#include "analysis/video_decoder.h"
#include "bench/menu_probe.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double timeFfmpeg(const QString& first, const QString& second, const QString& filter)
{
    QElapsedTimer clock;
    clock.start();
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-nostdin", "-loglevel", "error", "-i", first, "-i", second, "-lavfi",
                            filter, "-f", "null", "-"});
    if (!ffmpeg.waitForFinished(-1) || ffmpeg.exitCode() != 0)
        return -1;
    return clock.nsecsElapsed() / 1e9;
}

struct OurRun {
    double seconds = -1;
    double longestWaitMs = 0;
    qsizetype frames = 0;
};

OurRun timeOurs(const QString& first, const QString& second, QWidget& window)
{
    OurRun run;
    tandemo::QualityMeasure measure;
    QElapsedTimer clock;
    tandemo::bench::MenuProbe menus;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout,
                     [&] { menus.open(window.mapToGlobal(QPoint(200, 150))); });
    QEventLoop loop;
    QObject::connect(&measure, &tandemo::QualityMeasure::finished, [&](bool complete) {
        run.seconds = complete ? clock.nsecsElapsed() / 1e9 : -1;
        run.frames = measure.samples().size();
        const std::vector<double> times = menus.times();
        run.longestWaitMs = times.empty() ? -1 : times.back();
        loop.quit();
    });
    clock.start();
    probe.start(150);
    measure.start(first, second, 0);
    loop.exec();
    return run;
}

/// Ours on every rendition at once, and ffmpeg run once per rendition, in turn.
void compareRenditions(const QString& reference, const QStringList& renditions, int pairs,
                       bool json)
{
    const std::atomic_bool never{false};
    tandemo::VideoDecoder decoder(reference, never);
    const tandemo::PictureShape shape = decoder.shape();
    std::vector<double> ours, theirs;
    for (int pair = 0; pair < pairs; ++pair) {
        QList<tandemo::MeasuredVideo> videos;
        for (const QString& rendition : renditions)
            videos.append({rendition, 0, 1, false, {}});
        QElapsedTimer clock;
        clock.start();
        const auto results =
            tandemo::QualityMeasure::measureAll({reference, 0, 1, false, {}}, videos, never);
        ours.push_back(results ? clock.nsecsElapsed() / 1e9 : -1);
        double sum = 0;
        for (const QString& rendition : renditions) {
            sum += timeFfmpeg(reference, rendition,
                              QStringLiteral("[0:v]split[a1][a2];[1:v]scale=%1:%2,split[b1][b2];"
                                             "[a1][b1]psnr;[a2][b2]ssim")
                                  .arg(shape.width)
                                  .arg(shape.height));
        }
        theirs.push_back(sum);
    }
    if (json) {
        std::printf("{\"renditions\": %lld, \"ours_all_s\": %.3f, \"ffmpeg_each_sum_s\": %.3f}\n",
                    (long long)renditions.size(), median(ours), median(theirs));
    } else {
        std::printf("%lld renditions: ours at once median %.2f s, ffmpeg once each %.2f s "
                    "(ours %.2fx)\n",
                    (long long)renditions.size(), median(ours), median(theirs),
                    median(ours) / median(theirs));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"pairs", "Interleaved pairs of runs (default 5).", "n", "5"});
    parser.addOption({"json", "Print the figures as one JSON object."});
    parser.addPositionalArgument("first", "The first video.");
    parser.addPositionalArgument("second", "The second video, of the same size.");
    parser.process(app);
    if (parser.positionalArguments().size() < 2)
        parser.showHelp(2);
    if (parser.positionalArguments().size() > 2) {
        compareRenditions(parser.positionalArguments().constFirst(),
                          parser.positionalArguments().mid(1), parser.value("pairs").toInt(),
                          parser.isSet("json"));
        return 0;
    }
    const QString first = parser.positionalArguments().at(0);
    const QString second = parser.positionalArguments().at(1);

    QMainWindow window;
    window.resize(640, 480);
    window.show();

    std::vector<double> ours, ssimOnly, both, waits;
    qsizetype frames = 0;
    for (int pair = 0; pair < parser.value("pairs").toInt(); ++pair) {
        const OurRun run = timeOurs(first, second, window);
        ours.push_back(run.seconds);
        waits.push_back(run.longestWaitMs);
        frames = run.frames;
        ssimOnly.push_back(timeFfmpeg(first, second, "[0:v][1:v]ssim"));
        both.push_back(timeFfmpeg(
            first, second, "[0:v]split[a1][a2];[1:v]split[b1][b2];[a1][b1]psnr;[a2][b2]ssim"));
    }
    if (parser.isSet("json")) {
        std::printf("{\"frames\": %lld, \"ours_s\": %.3f, \"ffmpeg_ssim_s\": %.3f, "
                    "\"ffmpeg_psnr_ssim_s\": %.3f, \"menu_longest_ms\": %.1f}\n",
                    (long long)frames, median(ours), median(ssimOnly), median(both), median(waits));
    } else {
        std::printf("frames compared: %lld\n", (long long)frames);
        std::printf("ours (psnr and ssim, in the background): median %.2f s\n", median(ours));
        std::printf("ffmpeg -lavfi ssim: median %.2f s (ours %.2fx)\n", median(ssimOnly),
                    median(ours) / median(ssimOnly));
        std::printf("ffmpeg psnr and ssim: median %.2f s (ours %.2fx)\n", median(both),
                    median(ours) / median(both));
        std::printf("longest time to paint a menu while measuring: median %.1f ms\n",
                    median(waits));
    }
    return 0;
}
