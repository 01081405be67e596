// Times Align by Sound (or by Picture) on two videos as the program runs it, in the background
// while its window is open, and what it costs:
//
//   tandemo-bench-align [--picture] [--json] FIRST SECOND
//
// One search per run (run it several times for medians): the time to the answer, the offset
// found and how clear it was, the peak memory it added, and how long a menu opened every 150 ms
// meanwhile takes to be painted.

#include "analysis/alignment_search.h"
#include "bench/menu_probe.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QMainWindow>

#include <cstdio>

using namespace tandemo;
using namespace tandemo::bench;

namespace {

/// The memory the process holds now, in KiB.
long residentKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"picture", "Align by picture instead of by sound."});
    parser.addOption({"json", "Print the figures as one JSON object."});
    parser.addPositionalArgument("first", "The first video.");
    parser.addPositionalArgument("second", "The second video.");
    parser.process(app);
    if (parser.positionalArguments().size() != 2)
        parser.showHelp(2);

    QMainWindow window;
    window.resize(640, 480);
    window.show();
    MenuProbe menus;
    QTimer menuTimer;
    QObject::connect(&menuTimer, &QTimer::timeout,
                     [&] { menus.open(window.mapToGlobal(QPoint(200, 150))); });

    AlignmentSearch search;
    const AlignmentSearch::By by =
        parser.isSet("picture") ? AlignmentSearch::By::Picture : AlignmentSearch::By::Sound;
    // A 3-minute file, shown at its start: its first two minutes are compared.
    const AlignmentSearch::File first{parser.positionalArguments().at(0), 0, 180};
    const AlignmentSearch::File second{parser.positionalArguments().at(1), 0, 180};
    QElapsedTimer clock;
    long before = 0;
    QObject::connect(&search, &AlignmentSearch::finished,
                     [&](bool compared, const AlignmentSearch::Result& result) {
                         const double seconds = clock.nsecsElapsed() / 1e9;
                         const double added = (peakResidentKiB() - before) / 1024.0;
                         const std::vector<double> times = menus.times();
                         const double menuLongest = times.empty() ? -1 : times.back();
                         const double menuMedian = times.empty() ? -1 : times[times.size() / 2];
                         if (parser.isSet("json")) {
                             std::printf("{\"compared\": %s, \"seconds\": %.3f, \"offset\": %.4f, "
                                         "\"rate\": %.6f, \"strength\": %.1f, "
                                         "\"peak_added_mib\": %.1f, \"menu_median_ms\": %.1f, "
                                         "\"menu_longest_ms\": %.1f}\n",
                                         compared ? "true" : "false", seconds, result.secondAhead,
                                         result.rate, result.strength, added, menuMedian,
                                         menuLongest);
                         } else {
                             std::printf("answer after %.2f s: %s%+.4f s at %.6f (strength "
                                         "%.1f)\n",
                                         seconds, compared ? "" : "nothing compared, ",
                                         result.secondAhead, result.rate, result.strength);
                             std::printf("peak memory added: %.1f MiB\n", added);
                             std::printf("menu painted after: median %.1f ms, longest %.1f ms "
                                         "(%zu menus)\n",
                                         menuMedian, menuLongest, times.size());
                         }
                         app.quit();
                     });
    // Once the window is up and settled.
    QTimer::singleShot(500, [&] {
        before = residentKiB();
        clock.start();
        menuTimer.start(150);
        search.start(by, first, second);
    });
    return app.exec();
}
