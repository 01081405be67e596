// Plays two videos side by side in the main window and reports what it cost: CPU seconds per
// second of playback, peak memory, frames drawn per pane and, with looping clips, the gap between
// the last frame of one pass and the first frame of the next.
//
//   tandemo-bench-playback [--path gl|software] [--seconds N] [--window WxH] [--wipe]
//                          [--wipe-mode divider|difference|onion|flicker]
//                          [--menus] [--on-screen] [--seeking-loop] [--sound] [--scopes N]
//                          [--mpv name=value]... VIDEO1 VIDEO2
//
// With --wipe, both play in the wipe view instead, and the pictures it shows are counted too;
// --wipe-mode shows them there as a difference, an onion skin or a flicker (2 changes a second).
// With --menus, a menu is opened over the window every 0.7 s, as a user would, and the time until
// it is painted is noted: whether the window stays responsive while both videos play.
// With --scopes N, the window shows the scopes (the Nth kind: 1 the waveform ... 5 the RGB
// histogram) while both play, and how often they were drawn anew is reported.
// With --on-screen, a frame counts when it reaches the window system rather than when it is drawn:
// a patch in the middle of each pane is read back from the X server, by a thread of its own, and
// each change is a new picture on the screen.

#include "app/platform_components.h"
#include "bench/gl_choice.h"
#include "bench/loop_stays.h"
#include "bench/menu_probe.h"
#include "bench/screen_watch.h"
#include "engine/mpv_engine.h"
#include "platform/memory_arenas.h"
#include "playback/scope_panel.h"
#include "playback/video_player.h"
#include "session/perform.h"
#include "video/video_surface.h"
#include "window/form1.h"
#include "window/picture_box.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace tandemo;
using namespace tandemo::bench;

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](timeval t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

/// Frame times of one pane, and the times at which its video started a new pass.
struct PaneRecord {
    std::vector<qint64> frames;
    std::vector<qint64> restarts;
    qint64 urlWritten = 0;

    /// For each restart, the loop seam in ms: how long the last picture of the pass stayed before
    /// the first of the next came, or that first one before the second, whichever is longer.
    std::vector<double> seamGaps() const
    {
        std::vector<double> gaps;
        for (qint64 restart : restarts) {
            // The first picture of the pass: the first to come after the restart was told (or a
            // moment before, where the engine tells it once the picture is on its way).
            const auto first = std::lower_bound(frames.begin(), frames.end(), restart - 15'000'000);
            if (first == frames.begin() || first == frames.end() || first + 1 == frames.end())
                continue;
            gaps.push_back(std::max(*first - *(first - 1), *(first + 1) - *first) / 1e6);
        }
        std::sort(gaps.begin(), gaps.end());
        return gaps;
    }

    double medianInterval() const
    {
        if (frames.size() < 2)
            return 0;
        std::vector<qint64> intervals;
        for (std::size_t i = 1; i < frames.size(); ++i)
            intervals.push_back(frames[i] - frames[i - 1]);
        std::nth_element(intervals.begin(), intervals.begin() + intervals.size() / 2,
                         intervals.end());
        return intervals[intervals.size() / 2] / 1e6;
    }
};

/// Each picture's stay around the loops, from the third last of a pass to the third of the next:
/// the median and the longest of each, as the rest of a pane's JSON object.
std::string positionStays(const LoopStays& stays)
{
    QStringList medians, longest;
    for (const std::vector<double>& position : stays.byPosition) {
        medians << QString::number(position.empty() ? 0 : position[position.size() / 2], 'f', 1);
        longest << QString::number(position.empty() ? 0 : position.back(), 'f', 1);
    }
    return QString(", \"loop_position_median_ms\": [%1], \"loop_position_longest_ms\": [%2]}")
        .arg(medians.join(", "), longest.join(", "))
        .toStdString();
}

} // namespace

int main(int argc, char* argv[])
{
    // As the program does.
    tuneAllocatorForPictures();
    chooseGlLikeTheProgram(argc, argv);
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption(
        {"path", "Render path: gl or software (default: the automatic choice).", "path"});
    parser.addOption(
        {"seconds", "Seconds to measure after a warm-up of 3 s (default 30).", "seconds", "30"});
    parser.addOption(
        {"window", "Client size of the window (default 1280x720).", "size", "1280x720"});
    parser.addOption({"no-loop", "Play each file once instead of looping it."});
    parser.addOption({"mpv", "An extra mpv option, name=value (may be repeated).", "option"});
    parser.addOption({"json", "Print the figures as one JSON object instead."});
    parser.addOption({"wipe", "Show both videos in the wipe view."});
    parser.addOption(
        {"wipe-mode", "How the wipe view lays them over each other.", "mode", "divider"});
    parser.addOption({"menus", "Open a menu now and then; note how long it takes to show."});
    parser.addOption({"on-screen", "Time frames by when they reach the screen."});
    parser.addOption({"frame-codes",
                      "With --on-screen: the clips show their frame numbers as grey squares, and "
                      "have this many frames; report each picture's stay at the loop.",
                      "frames"});
    parser.addOption({"seeking-loop", "Loop as mpv does, without a second core per player."});
    parser.addOption({"sound", "Play the first pane's sound (the second is muted)."});
    parser.addOption({"scopes", "Show the scopes, of this kind (1 to 5).", "kind"});
    parser.addPositionalArgument("video1", "Video for the left pane.");
    parser.addPositionalArgument("video2", "Video for the right pane.");
    parser.process(app);
    if (parser.positionalArguments().size() != 2)
        parser.showHelp(2);

    VideoPlayerOptions options;
    options.engine.audioOutput = parser.isSet("sound");
    options.engine.gaplessLoop = !parser.isSet("seeking-loop");
    for (const QString& option : parser.values("mpv")) {
        const qsizetype equals = option.indexOf('=');
        options.engine.extraOptions.emplace_back(option.left(equals).toStdString(),
                                                 option.mid(equals + 1).toStdString());
    }
    options.renderPath = renderPathOption(parser.value("path"));

    PlatformComponents components(options);
    Form1 window(components);
    const QStringList size = parser.value("window").split('x');
    const QSize client(size.value(0).toInt(), size.value(1).toInt());
    window.resize(client.width(),
                  client.height() + (window.height() - window.clientArea()->height()));
    window.show();

    // Split the client area between the two panes.
    const QSize pane(client.width() / 2 - 12, client.height() - 16);
    window.Picture1()->setGeometry(8, 8, pane.width(), pane.height());
    window.Picture2()->setGeometry(client.width() / 2 + 4, 8, pane.width(), pane.height());
    MediaPlayer* players[] = {window.MediaPlayer1(), window.MediaPlayer2()};
    PaneRecord records[2];
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 2; ++i) {
        auto* player = qobject_cast<VideoPlayer*>(players[i]);
        if (!player) {
            std::fprintf(stderr, "the video engine did not start\n");
            return 1;
        }
        player->setGeometry(QRect(QPoint(1, 1), pane - QSize(2, 2)));
        if (!parser.isSet("on-screen"))
            QObject::connect(player, &VideoPlayer::frameRendered,
                             [&, i] { records[i].frames.push_back(clock.nsecsElapsed()); });
        QObject::connect(&player->engine(), &PlaybackEngine::playbackRestarted,
                         [&, i] { records[i].restarts.push_back(clock.nsecsElapsed()); });
        if (!parser.isSet("no-loop"))
            player->settings().setMode("loop", true);
        if (i == 1 && parser.isSet("sound"))
            player->settings().setMute(true);
    }
    // Both files are given back to back, as the sample command does.
    for (int i = 0; i < 2; ++i) {
        records[i].urlWritten = clock.nsecsElapsed();
        players[i]->setURL(parser.positionalArguments().at(i));
    }

    if (parser.isSet("wipe") || parser.isSet("wipe-mode")) {
        components.toggleWipeView();
        const QStringList modes{"divider", "difference", "onion", "flicker"};
        const int mode = std::max(0, int(modes.indexOf(parser.value("wipe-mode"))));
        perform(components.session(), 0, {PlayerCommand::SetWipeMode, double(mode)});
    }
    const auto wipePictures = [&] {
        return components.wipeView() ? components.wipeView()->picturesShown() : 0;
    };
    for (int press = 0; press < parser.value("scopes").toInt(); ++press)
        perform(components.session(), 0, {PlayerCommand::NextScope});
    const auto scopeUpdates = [&] {
        return components.scopePanel() ? components.scopePanel()->updates() : 0;
    };

    MenuProbe menus;
    QTimer menuTimer;
    QObject::connect(&menuTimer, &QTimer::timeout, [&] {
        menus.open(window.mapToGlobal(QPoint(client.width() / 3, client.height() / 3)));
    });

    const int seconds = parser.value("seconds").toInt();
    int wipePicturesAtStart = 0;
    int scopeUpdatesAtStart = 0;
    double cpuAtStart = 0;
    qint64 wallAtStart = 0;
    std::size_t framesAtStart[2] = {};
    std::unique_ptr<ScreenWatch> screen;
    QTimer::singleShot(3000, Qt::PreciseTimer, [&] {
        if (parser.isSet("on-screen")) {
            std::vector<QPoint> centres;
            for (MediaPlayer* player : players) {
                QWidget* surface = qobject_cast<VideoPlayer*>(player)->videoSurface().widget();
                centres.push_back(surface->mapToGlobal(surface->rect().center()));
            }
            screen = std::make_unique<ScreenWatch>(centres, clock);
        }
        cpuAtStart = cpuSeconds();
        wallAtStart = clock.nsecsElapsed();
        wipePicturesAtStart = wipePictures();
        scopeUpdatesAtStart = scopeUpdates();
        for (int i = 0; i < 2; ++i) {
            framesAtStart[i] = records[i].frames.size();
            records[i].restarts.clear(); // the first start is no loop seam
        }
        if (parser.isSet("menus"))
            menuTimer.start(700);
    });
    QTimer::singleShot((3 + seconds) * 1000, Qt::PreciseTimer, [&] {
        LoopStays stays[2];
        if (screen) {
            for (int i = 0; i < 2; ++i) {
                records[i].frames = screen->changes(i);
                if (parser.isSet("frame-codes"))
                    stays[i] = loopStays(records[i].frames, screen->levels(i),
                                         parser.value("frame-codes").toInt());
            }
            framesAtStart[0] = framesAtStart[1] = 0;
        }
        const double wall = (clock.nsecsElapsed() - wallAtStart) / 1e9;
        const double cpu = cpuSeconds() - cpuAtStart;
        const auto* first = qobject_cast<VideoPlayer*>(players[0]);
        const bool json = parser.isSet("json");
        const std::vector<double> menuTimes = menus.times();
        const double menuMedian = menuTimes.empty() ? -1 : menuTimes[menuTimes.size() / 2];
        const double menuLongest = menuTimes.empty() ? -1 : menuTimes.back();
        if (json) {
            std::printf("{\"render_path\": \"%s\", \"cpu_per_second\": %.4f, "
                        "\"peak_rss_mib\": %.1f, \"wipe_pictures_per_second\": %.2f, "
                        "\"menu_median_ms\": %.1f, \"menu_longest_ms\": %.1f, "
                        "\"scope_updates_per_second\": %.2f, \"panes\": [",
                        qPrintable(renderPathName(first->renderPath())), cpu / wall,
                        peakResidentKiB() / 1024.0, (wipePictures() - wipePicturesAtStart) / wall,
                        menuMedian, menuLongest, (scopeUpdates() - scopeUpdatesAtStart) / wall);
        } else {
            std::printf("render path: %s\n", qPrintable(renderPathName(first->renderPath())));
            std::printf("cpu seconds per second: %.3f\n", cpu / wall);
            std::printf("peak resident memory: %.1f MiB\n", peakResidentKiB() / 1024.0);
            std::printf("menu painted after: median %.1f ms, longest %.1f ms (%zu menus)\n",
                        menuMedian, menuLongest, menuTimes.size());
            if (components.wipeView())
                std::printf("wipe view: %.1f pictures/s\n",
                            (wipePictures() - wipePicturesAtStart) / wall);
            if (components.scopePanel())
                std::printf("scopes: %.1f updates/s\n",
                            (scopeUpdates() - scopeUpdatesAtStart) / wall);
        }
        for (int i = 0; i < 2; ++i) {
            const PaneRecord& record = records[i];
            auto& engine =
                *qobject_cast<MpvEngine*>(&qobject_cast<VideoPlayer*>(players[i])->engine());
            const std::vector<double> gaps = record.seamGaps();
            const double fps = (record.frames.size() - framesAtStart[i]) / wall;
            const double firstFrame =
                record.frames.empty() ? -1 : (record.frames.front() - record.urlWritten) / 1e6;
            const long long outputDrops = engine.outputFramesDropped();
            const long long decoderDrops = engine.decoderFramesDropped();
            const double medianGap = gaps.empty() ? 0 : gaps[gaps.size() / 2];
            const double longestGap = gaps.empty() ? 0 : gaps.back();
            const LoopStays& stay = stays[i];
            const double stayMedian = stay.longest.empty() ? 0 : stay.longest[stay.loops / 2];
            const double stayLongest = stay.longest.empty() ? 0 : stay.longest.back();
            const double midPassMedian =
                stay.midPass.empty() ? 0 : stay.midPass[stay.midPass.size() / 2];
            if (json) {
                std::printf("%s{\"fps\": %.2f, \"first_frame_ms\": %.1f, \"output_drops\": %lld, "
                            "\"decoder_drops\": %lld, \"restarts\": %zu, "
                            "\"seam_median_ms\": %.1f, \"seam_longest_ms\": %.1f, "
                            "\"loops\": %zu, \"loop_stay_median_ms\": %.1f, "
                            "\"loop_stay_longest_ms\": %.1f, \"last_frame_shown\": %zu, "
                            "\"mid_pass_stay_median_ms\": %.1f",
                            i ? ", " : "", fps, firstFrame, outputDrops, decoderDrops, gaps.size(),
                            medianGap, longestGap, stay.loops, stayMedian, stayLongest,
                            stay.lastShown, midPassMedian);
                std::printf("%s", positionStays(stay).c_str());
                continue;
            }
            std::printf("pane %d: %.1f frames/s, first frame %.1f ms after its URL, %lld dropped "
                        "by the output and %lld by the decoder, %zu loop restarts",
                        i + 1, fps, firstFrame, outputDrops, decoderDrops, gaps.size());
            if (!gaps.empty())
                std::printf(", gap at a restart: median %.1f ms, longest %.1f ms", medianGap,
                            longestGap);
            if (stay.loops)
                std::printf("; on the screen, %zu loops: longest stay around the loop median "
                            "%.1f ms, longest %.1f ms; last picture shown in %zu; mid-pass %.1f ms",
                            stay.loops, stayMedian, stayLongest, stay.lastShown, midPassMedian);
            for (const std::string& sequence : stay.sequences)
                std::fprintf(stderr, "pane %d loop: %s\n", i + 1, sequence.c_str());
            std::printf("\n");
        }
        if (json)
            std::printf("]}\n");
        std::fflush(stdout);
        app.quit();
    });
    return app.exec();
}
