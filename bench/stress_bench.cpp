// Stress and soak of the window with two real players (run under xvfb-run):
//
//   tandemo-bench-stress stress GOOD BAD
//       while both panes play: 500 URL writes alternating a good and a bad file as fast as the
//       event loop takes them, then 500 resizes; then both panes must play the good file again
//   tandemo-bench-stress soak GOOD1 GOOD2 [--minutes N]
//       two short clips looping for N minutes (default 60), memory sampled every minute
//   tandemo-bench-stress presses CLIP1 CLIP2 [--count N] [--linked]
//       N presses of Space (default 300) in the left pane, 20 a second, after 100 to warm up:
//       how much resident memory each press leaves behind, the players linked or not
//   tandemo-bench-stress sync CLIP1 CLIP2 [--seconds N] [--offset S]
//       the players linked: how far apart the two panes' frames are after a pause, after a seek,
//       and while both play for N seconds (default 60): how far apart in time the two panes show
//       the frames of one moment; with the second pane S seconds ahead (set as a user does, by
//       moving it alone), of one moment and the moment S seconds later
//
// Both report the warnings logged on the way, and the resident memory.

#include "app/platform_components.h"
#include "bench/gl_choice.h"
#include "playback/video_player.h"
#include "session/player_link.h"
#include "window/form1.h"
#include "window/pane_layout.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <QHash>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace tandemo;

namespace {

std::atomic<int> g_warnings{0};
std::atomic<int> g_messages{0};
QtMessageHandler g_previousHandler = nullptr;

void countMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    ++g_messages;
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
        ++g_warnings;
    g_previousHandler(type, context, message);
}

double residentMiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const auto match = QRegularExpression(R"(VmRSS:\s+(\d+) kB)").match(status.readAll());
    return match.hasMatch() ? match.captured(1).toDouble() / 1024 : 0;
}

bool bothPlay(VideoPlayer& left, VideoPlayer& right)
{
    QSignalSpy leftFrames(&left, &VideoPlayer::frameRendered);
    QSignalSpy rightFrames(&right, &VideoPlayer::frameRendered);
    return QTest::qWaitFor([&] { return leftFrames.count() > 5 && rightFrames.count() > 5; },
                           30000);
}

struct Window {
    Window()
        : components(quietOptions())
        , form(components)
    {
        QObject::connect(&form, &Form1::resized, [this] { Form_Resize(form); });
        form.MediaPlayer1()->settings().setMode("loop", true);
        form.MediaPlayer2()->settings().setMode("loop", true);
        form.show();
        (void)QTest::qWaitForWindowExposed(&form);
    }
    static VideoPlayerOptions quietOptions()
    {
        VideoPlayerOptions options;
        options.engine.audioOutput = false;
        return options;
    }
    VideoPlayer* left() { return qobject_cast<VideoPlayer*>(form.MediaPlayer1()); }
    VideoPlayer* right() { return qobject_cast<VideoPlayer*>(form.MediaPlayer2()); }
    /// Both players play their files.
    bool play(const QString& first, const QString& second)
    {
        if (!left() || !right())
            return false;
        form.MediaPlayer1()->setURL(first);
        form.MediaPlayer2()->setURL(second);
        return bothPlay(*left(), *right());
    }

    PlatformComponents components;
    Form1 form;
};

int stress(const QString& good, const QString& bad)
{
    Window window;
    if (!window.left() || !window.right())
        return 1;
    window.form.MediaPlayer1()->setURL(good);
    window.form.MediaPlayer2()->setURL(good);
    const bool playingBefore = bothPlay(*window.left(), *window.right());
    const double before = residentMiB();

    QElapsedTimer clock;
    clock.start();
    for (int write = 0; write < 500; ++write) {
        MediaPlayer* player = write % 2 ? window.form.MediaPlayer2() : window.form.MediaPlayer1();
        player->setURL((write / 2) % 2 ? bad : good);
        QCoreApplication::processEvents();
    }
    const qint64 writesMs = clock.restart();
    auto* random = QRandomGenerator::global();
    for (int resize = 0; resize < 500; ++resize) {
        window.form.resize(200 + int(random->bounded(1400)), 150 + int(random->bounded(800)));
        QCoreApplication::processEvents();
    }
    const qint64 resizesMs = clock.elapsed();

    window.form.MediaPlayer1()->setURL(good);
    window.form.MediaPlayer2()->setURL(good);
    const bool playingAfter = bothPlay(*window.left(), *window.right());
    std::printf("stress: both playing before %s, after %s; 500 URL writes in %lld ms, "
                "500 resizes in %lld ms; resident memory %.1f MiB before, %.1f MiB after; "
                "%d warnings in %d log messages\n",
                playingBefore ? "yes" : "NO", playingAfter ? "yes" : "NO", writesMs, resizesMs,
                before, residentMiB(), g_warnings.load(), g_messages.load());
    return playingBefore && playingAfter ? 0 : 1;
}

int soak(const QString& first, const QString& second, int minutes)
{
    Window window;
    if (!window.play(first, second))
        return 1;
    double afterFirstMinute = 0;
    double largest = 0;
    for (int minute = 1; minute <= minutes; ++minute) {
        QTest::qWait(60'000);
        const double resident = residentMiB();
        if (minute == 1)
            afterFirstMinute = resident;
        largest = std::max(largest, resident);
        std::printf("soak minute %d: resident %.1f MiB, %d warnings so far\n", minute, resident,
                    g_warnings.load());
        std::fflush(stdout);
    }
    const double growth = afterFirstMinute > 0 ? (residentMiB() / afterFirstMinute - 1) * 100 : 0;
    const bool playing = bothPlay(*window.left(), *window.right());
    std::printf("soak: %d minutes, resident %.1f MiB after the first minute, %.1f MiB at the end "
                "(%+.1f %%), largest %.1f MiB; still playing: %s; %d warnings in %d log messages\n",
                minutes, afterFirstMinute, residentMiB(), growth, largest, playing ? "yes" : "NO",
                g_warnings.load(), g_messages.load());
    return playing ? 0 : 1;
}

int presses(const QString& first, const QString& second, int count, bool linked)
{
    Window window;
    if (!window.play(first, second))
        return 1;
    window.left()->link()->setLinked(linked);
    window.left()->setFocus();
    const auto press = [&](int times) {
        for (int i = 0; i < times; ++i) {
            QTest::keyClick(window.left(), Qt::Key_Space);
            QTest::qWait(50);
        }
    };
    press(100);
    QTest::qWait(1000);
    const double before = residentMiB();
    press(count);
    QTest::qWait(1000);
    const double after = residentMiB();
    std::printf("presses: %d of Space, %s: resident %.2f MiB before, %.2f MiB after "
                "(%+.2f KiB a press); %d warnings in %d log messages\n",
                count, linked ? "linked" : "not linked", before, after,
                (after - before) * 1024 / count, g_warnings.load(), g_messages.load());
    return 0;
}

/// How far apart the two players' current frames are, in milliseconds.
double apartMs(Window& window)
{
    return std::abs(window.left()->engine().position() - window.right()->engine().position()) *
           1000;
}

/// While both play for `seconds`, each frame's time on screen is noted per pane by the moment
/// it shows: its position counted on across loop restarts, the second pane's less `offset`. For
/// each moment shown in both panes, the difference of its two times on screen, in ms, sorted.
std::vector<double> shownApartWhilePlaying(VideoPlayer& left, VideoPlayer& right, double offset,
                                           int seconds)
{
    const double length = left.engine().duration();
    QElapsedTimer clock;
    clock.start();
    struct Pane {
        QHash<qint64, qint64> shown;
        double last = 0;
        int loops = 0;
    };
    const auto note = [&](VideoPlayer& player, double shift, Pane& pane) {
        const double position = player.engine().position();
        if (position < pane.last - length / 2)
            ++pane.loops;
        pane.last = position;
        const double moment = position + pane.loops * length - shift;
        pane.shown.insert(qRound64(moment * 1000), clock.nsecsElapsed());
    };
    Pane leftPane{{}, left.engine().position()};
    Pane rightPane{{}, right.engine().position()};
    QObject::connect(&left, &VideoPlayer::frameRendered, [&] { note(left, 0, leftPane); });
    QObject::connect(&right, &VideoPlayer::frameRendered, [&] { note(right, offset, rightPane); });
    left.actions().togglePlayPause();
    QTest::qWait(seconds * 1000);
    QObject::disconnect(&left, &VideoPlayer::frameRendered, nullptr, nullptr);
    QObject::disconnect(&right, &VideoPlayer::frameRendered, nullptr, nullptr);

    std::vector<double> apart;
    for (auto it = leftPane.shown.cbegin(); it != leftPane.shown.cend(); ++it) {
        if (const auto other = rightPane.shown.constFind(it.key()); other != rightPane.shown.cend())
            apart.push_back(std::abs(double(it.value() - other.value())) / 1e6);
    }
    std::sort(apart.begin(), apart.end());
    return apart;
}

/// The value below which `share` of the sorted values lie.
double percentile(const std::vector<double>& sorted, double share)
{
    return sorted.empty() ? 0.0 : sorted[std::size_t(share * double(sorted.size() - 1))];
}

int sync(const QString& first, const QString& second, int seconds, double offset)
{
    Window window;
    if (!window.left() || !window.right())
        return 1;
    VideoPlayer& left = *window.left();
    VideoPlayer& right = *window.right();
    left.link()->setLinked(true);
    left.setURL(first);
    right.setURL(second);
    if (!bothPlay(left, right))
        return 1;
    const double frameMs = 1000 / left.engine().frameRate();

    // The engines report the new state asynchronously: wait until both have settled.
    const auto settled = [&](auto condition) { return QTest::qWaitFor(condition, 30000); };
    left.actions().togglePlayPause();
    settled([&] { return left.engine().isPaused() && right.engine().isPaused(); });
    QTest::qWait(300); // let the last frame before the pause be shown
    const double afterPause = apartMs(window);

    const double target = std::min(left.engine().duration(), right.engine().duration()) / 3;
    right.actions().seekTo(target);
    settled([&] {
        return std::abs(left.engine().position() - target) < 0.05 &&
               std::abs(right.engine().position() - target) < 0.05;
    });
    const double afterSeek = apartMs(window);

    // An offset is set as the user sets it: by moving the second pane alone.
    double kept = 0;
    if (offset != 0) {
        right.actions().seekAloneTo(target + offset);
        settled([&] { return std::abs(right.engine().position() - target - offset) < 0.05; });
        kept = left.link()->offsetOf(&right.engine());
    }
    const double frames = std::min(left.engine().frameRate(), right.engine().frameRate()) / 1000;
    const std::vector<double> apart = shownApartWhilePlaying(left, right, kept, seconds);
    std::printf("sync: one frame is %.1f ms; frames shown apart after a linked pause %.1f ms, "
                "after a linked seek %.1f ms; the second pane %.3f s ahead, playing %d s, a moment "
                "shown in both panes apart by: median %.1f ms, 95th percentile %.1f ms, largest "
                "%.1f ms (%zu frames); in frames: median %.2f, 95th percentile %.2f, largest "
                "%.2f\n",
                frameMs, afterPause, afterSeek, kept, seconds, percentile(apart, 0.5),
                percentile(apart, 0.95), percentile(apart, 1), apart.size(),
                percentile(apart, 0.5) * frames, percentile(apart, 0.95) * frames,
                percentile(apart, 1) * frames);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    chooseGlLikeTheProgram(argc, argv);
    QApplication app(argc, argv);
    g_previousHandler = qInstallMessageHandler(countMessages);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument("measure",
                                 "stress GOOD BAD, soak GOOD1 GOOD2, presses CLIP1 CLIP2, or "
                                 "sync CLIP1 CLIP2");
    parser.addOption({"minutes", "Length of the soak (default 60).", "n", "60"});
    parser.addOption({"seconds", "Length of the sync run (default 60).", "n", "60"});
    parser.addOption({"offset", "Seconds the second pane is kept ahead (default 0).", "s", "0"});
    parser.addOption({"count", "Presses of Space (default 300).", "n", "300"});
    parser.addOption({"linked", "Presses with the players linked."});
    parser.process(app);
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 3)
        parser.showHelp(2);
    if (arguments[0] == "stress")
        return stress(arguments[1], arguments[2]);
    if (arguments[0] == "soak")
        return soak(arguments[1], arguments[2], parser.value("minutes").toInt());
    if (arguments[0] == "presses")
        return presses(arguments[1], arguments[2], parser.value("count").toInt(),
                       parser.isSet("linked"));
    if (arguments[0] == "sync")
        return sync(arguments[1], arguments[2], parser.value("seconds").toInt(),
                    parser.value("offset").toDouble());
    parser.showHelp(2);
}
