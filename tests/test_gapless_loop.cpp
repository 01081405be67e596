// A looping file goes on into its next pass without holding its last picture: on the screen, on
// either render path, with the link, the transport and the settings holding across the change of
// core; and a pane decodes as much of the picture as it can show, while a saved frame is always
// the whole decode.
#include "engine/mpv_engine.h"
#include "engine/render_context.h"
#include "playback/transport_bar.h"
#include "playback/video_player.h"
#include "session/player_link.h"
#include "support/either_pane.h"
#include "support/linked_window.h"
#include "support/mpv_probe.h"
#include "support/pictures_folder.h"
#include "support/player_testing.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <mpv/render.h>

#include <cmath>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

/// Watches one point of a window as the window system has it, every 2 ms, on a picture of
/// numbered.mp4: which of its frames shows there (frame N is grey of level 16 + 20N), and from
/// when.
class FrameWatch {
public:
    struct Shown {
        int frame = 0;
        qint64 since = 0;
    };

    FrameWatch(QWidget& window, QPoint point)
    {
        m_clock.start();
        QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this, &window, point] {
            const QImage pixel =
                window.screen()->grabWindow(window.winId(), point.x(), point.y(), 1, 1).toImage();
            if (pixel.isNull())
                return;
            // On the screen a video's grey level is 255 / 219 of its own.
            const int frame = int(std::lround(qGray(pixel.pixel(0, 0)) / (20 * 255 / 219.0)));
            if (m_shown.empty() || m_shown.back().frame != frame)
                m_shown.push_back({frame, m_clock.elapsed()});
        });
        m_poll.setTimerType(Qt::PreciseTimer);
        m_poll.start(2);
    }

    /// The frames shown so far, in turn.
    const std::vector<Shown>& shown() const { return m_shown; }
    /// Where a pass started again: the indices in shown() of a frame lower than the one before.
    std::vector<std::size_t> loops() const
    {
        std::vector<std::size_t> starts;
        for (std::size_t i = 1; i < m_shown.size(); ++i) {
            if (m_shown[i].frame < m_shown[i - 1].frame)
                starts.push_back(i);
        }
        return starts;
    }

private:
    QTimer m_poll;
    QElapsedTimer m_clock;
    std::vector<Shown> m_shown;
};

/// The mean square difference of grey level between two pictures of one size: brightness alone,
/// as the decoders may differ in how they turn colours to RGB at sharp edges.
double greyDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const int difference = qGray(a.pixel(x, y)) - qGray(b.pixel(x, y));
            sum += difference * difference;
        }
    }
    return sum / (a.width() * a.height());
}

/// ffmpeg's own decode of one frame of a test clip, in RGB.
QImage ffmpegFrame(const QString& clip, int frame)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("frame.png");
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-nostdin", "-loglevel", "error", "-i", mediaPath(clip), "-vf",
                            QString("select=eq(n\\,%1)").arg(frame), "-fps_mode", "passthrough",
                            "-frames:v", "1", "-pix_fmt", "rgb24", out});
    ffmpeg.waitForFinished(60000);
    return QImage(out).convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestGaplessLoop : public QObject {
    Q_OBJECT

private slots:
    void everyPictureShowsForItsTimeAtTheLoop_data() { askedInEitherPane(); }

    void everyPictureShowsForItsTimeAtTheLoop()
    {
        // Ten frames a second, with sound, in either pane. Around each loop the last two of a
        // pass and the first two of the next show in turn, none left out, the next pass from the
        // other core. How long each stays depends on the machine's load: the bench measures
        // that, not the test.
        QFETCH(int, pane);
        Window window;
        QVERIFY(pane == 1 ? window.play("loop.mp4", "numbered.mp4")
                          : window.play("numbered.mp4", "loop.mp4"));
        VideoPlayer& player = pane == 1 ? window.right() : window.left();
        QVERIFY(mpvEngineOf(player).isLoopGapless());
        QWidget& surface = *player.videoSurface().widget();
        QSignalSpy switches(&player.engine(), &PlayerEngine::shownDecoderChanged);
        const FrameWatch watch(*surface.window(),
                               surface.mapTo(surface.window(), surface.rect().center()));
        QVERIFY(QTest::qWaitFor([&] { return watch.loops().size() >= 5; }, kPlayerTimeoutMs));
        const std::vector<FrameWatch::Shown>& shown = watch.shown();
        QString seen;
        for (const FrameWatch::Shown& picture : shown)
            seen += QString("%1@%2 ").arg(picture.frame).arg(picture.since);
        qInfo("frames shown (frame@ms): %s", qPrintable(seen));
        // Each pass came from the other core: a loop by seeking back holds the last picture
        // about as briefly at times, and must not pass for one.
        QVERIFY2(switches.count() >= int(watch.loops().size()) - 1,
                 qPrintable(QString::number(switches.count())));
        QVERIFY(mpvEngineOf(player).isLoopGapless());
        for (std::size_t start : watch.loops()) {
            if (start < 2 || start + 2 >= shown.size())
                continue; // the watch began or ended there
            for (std::size_t i = start - 2; i < start + 2; ++i) {
                const int due = i < start ? 8 + int(i + 2 - start) : int(i - start);
                QVERIFY2(shown[i].frame == due, qPrintable(seen));
            }
        }
    }

    void linkTransportAndSettingsHoldAcrossTheSwitch()
    {
        Window window;
        VideoPlayer& left = window.left();
        VideoPlayer& right = window.right();
        QVERIFY(window.play("seam.mp4", "count-25.mp4"));
        left.link()->setLinked(true);
        left.actions().toggleMute();
        left.actions().setSpeed(2.0);

        // Passes of the left, each from the other core: both cores have the settings, whichever
        // shows now.
        QSignalSpy switches(&left.engine(), &PlayerEngine::shownDecoderChanged);
        QVERIFY(QTest::qWaitFor([&] { return switches.count() >= 3; }, kPlayerTimeoutMs));
        QCOMPARE(mpvEngineOf(left).handles().size(), std::size_t(2));
        for (mpv_handle* core : mpvEngineOf(left).handles()) {
            QCOMPARE(mpvDouble(core, "speed"), 2.0);
            QVERIFY(mpvFlag(core, "mute"));
        }
        QCOMPARE(left.engine().speed(), 2.0);
        // The core that took over plays (it was let go a few milliseconds before, asynchronously).
        QTRY_VERIFY_WITH_TIMEOUT(!mpvFlag(left, "pause") && !left.engine().isPaused(),
                                 kPlayerTimeoutMs);

        // The transport drives the core that shows, linked as before.
        QVERIFY(window.pauseBoth());
        QVERIFY(mpvFlag(left, "pause") && mpvFlag(right, "pause"));
        right.actions().seekTo(0.52);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(left) - 0.52) < 0.05 &&
                                     std::abs(Window::at(right) - 0.52) < 0.05,
                                 kPlayerTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(mpvDouble(left, "time-pos") - 0.52) < 0.05,
                                 kPlayerTimeoutMs);
        // A step past the last frame goes on into the next pass, paused, in the other core.
        left.actions().seekTo(0.96);
        QTRY_VERIFY_WITH_TIMEOUT(Window::at(left) > 0.9, kPlayerTimeoutMs);
        if (Window::at(left) < 0.95) {
            left.actions().stepFrame(true);
            QTRY_VERIFY_WITH_TIMEOUT(Window::at(left) > 0.95, kPlayerTimeoutMs);
        }
        const int before = switches.count();
        left.actions().stepFrame(true);
        QTRY_VERIFY_WITH_TIMEOUT(switches.count() > before && Window::at(left) < 0.05,
                                 kPlayerTimeoutMs);
        QVERIFY(left.engine().isPaused() && mpvFlag(left, "pause"));
        QVERIFY(right.engine().isPaused());

        // A passage loops as mpv loops it, and the whole file through both cores once cleared.
        left.actions().togglePlayPause();
        left.actions().seekTo(0.2);
        left.actions().markPassage(true);
        QTRY_VERIFY(!mpvEngineOf(left).isLoopGapless());
        left.actions().clearPassage();
        QVERIFY(mpvEngineOf(left).isLoopGapless());
        const int afterPassage = switches.count();
        QVERIFY(QTest::qWaitFor([&] { return switches.count() > afterPassage; }, kPlayerTimeoutMs));
        QVERIFY(!left.engine().isPaused() && !right.engine().isPaused());

        // Two panes up to 1080p share this machine's cores with a thread each where two each
        // would be more than it has.
        if (QThread::idealThreadCount() < 4) {
            left.setURL(mediaPath("seam.mp4"));
            QTRY_COMPARE_WITH_TIMEOUT(mpvText(left, "vd-lavc-threads"), QString("1"),
                                      kPlayerTimeoutMs);
        }
    }

    void aPausePressedAsTheNextPassTakesOverHolds_data() { askedInEitherPane(); }

    void aPausePressedAsTheNextPassTakesOverHolds()
    {
        // The core that takes over was let go a moment before, and is paused again before it
        // could tell of either: the pane must still know that it stands still.
        QFETCH(int, pane);
        Window window;
        QVERIFY(window.play("seam.mp4", "seam.mp4"));
        VideoPlayer& player = pane == 1 ? window.right() : window.left();
        QObject::connect(
            &player.engine(), &PlayerEngine::shownDecoderChanged, &player,
            [&player] { player.engine().pause(); }, Qt::SingleShotConnection);
        QTRY_VERIFY_WITH_TIMEOUT(player.engine().isPaused() && mpvFlag(player, "pause"),
                                 kPlayerTimeoutMs);
        const double at = Window::at(player);
        QTest::qWait(500);
        QVERIFY(player.engine().isPaused());
        QCOMPARE(Window::at(player), at);
    }

    void aWaitingCoreThatCannotBeDrawnLeavesASeekingLoop()
    {
        // The waiting core already has a render context elsewhere, so the view cannot make
        // one: the pane plays on with one core and loops by seeking back.
        QString error;
        std::unique_ptr<MpvEngine> engine = MpvEngine::create({}, &error);
        QVERIFY(engine && engine->handles().size() == 2);
        mpv_render_context* taken = nullptr;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
            {MPV_RENDER_PARAM_INVALID, nullptr}};
        QVERIFY(mpv_render_context_create(&taken, engine->handles()[1], params) >= 0);
        std::unique_ptr<RenderContext> context = engine->softwareRenderContext();
        QVERIFY(context);
        engine->setLoop(true);
        QVERIFY(!engine->isLoopGapless());
        QSignalSpy loaded(engine.get(), &MpvEngine::fileLoaded);
        engine->loadFile(mediaPath("loop.mp4"), false);
        QVERIFY(loaded.wait(kPlayerTimeoutMs));
        QVERIFY(!engine->isLoopGapless());
        context.reset();
        mpv_render_context_free(taken);
    }

    void aSmallPaneSkipsTheLoopFilterButNotInWhatItSaves()
    {
        OwnPicturesFolder pictures;
        QVERIFY(pictures.isValid());
        Window window;
        VideoPlayer& left = window.left();
        // 320x240 in a pane that shows it at less than half its size.
        QVERIFY(window.play("pattern-low.mp4", "loop.mp4"));
        QVERIFY(left.videoSurface().widget()->width() <= 160);
        QVERIFY(mpvEngineOf(left).skipsLoopFilter());

        left.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(left.engine().isPaused(), kPlayerTimeoutMs);
        left.actions().seekTo(1.6);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(left) - 1.6) < 0.01, kPlayerTimeoutMs);
        left.actions().saveFrames();
        const QString file = pictures.path() + "/pattern-low-0m01.600s.png";
        QTRY_COMPARE_WITH_TIMEOUT(left.transportBar().status(), "Saved " + file, kPlayerTimeoutMs);
        const QImage full = QImage(mediaPath("pattern-low-frame40.png"));
        const QImage rough = QImage(mediaPath("pattern-low-frame40-rough.png"));
        const QImage saved = QImage(file);
        QCOMPARE(saved.size(), full.size());
        const double fromFull = greyDifference(saved, full);
        const double fromRough = greyDifference(saved, rough);
        qInfo("saved frame against the full decode %.2f, against the rough one %.2f", fromFull,
              fromRough);
        QVERIFY(fromRough > 4 * fromFull);

        // Saved while playing: each is the full decode of the frame its name says, whatever
        // moment the pane has reached by the time it is written.
        left.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(!left.engine().isPaused(), kPlayerTimeoutMs);
        QStringList playingSaves;
        left.transportBar().setStatus({});
        for (int save = 0; save < 4; ++save) {
            QTest::qWait(330);
            left.actions().saveFrames();
            QTRY_VERIFY_WITH_TIMEOUT(left.transportBar().status().startsWith("Saved "),
                                     kPlayerTimeoutMs);
            playingSaves << left.transportBar().status().mid(6);
            left.transportBar().setStatus({});
        }
        const QRegularExpression named("-(\\d+)m([0-9.]+)s\\.png$");
        for (const QString& path : playingSaves) {
            const QRegularExpressionMatch match = named.match(path);
            QVERIFY2(match.hasMatch(), qPrintable(path));
            const double seconds = match.captured(1).toInt() * 60 + match.captured(2).toDouble();
            const int frame = qRound(seconds * 25);
            const QImage savedPicture(path);
            const auto distanceTo = [&](int n) {
                return greyDifference(savedPicture, ffmpegFrame("pattern-low.mp4", n));
            };
            const double own = distanceTo(frame);
            qInfo("%s: %.2f from frame %d", qPrintable(path.section('/', -1)), own, frame);
            QVERIFY2(own < 1.0, qPrintable(path));
            QVERIFY(own < distanceTo(frame > 0 ? frame - 1 : frame + 2));
        }
        left.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(left.engine().isPaused(), kPlayerTimeoutMs);
        left.actions().seekTo(1.6);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(left) - 1.6) < 0.01, kPlayerTimeoutMs);

        // Shown at its own size, the same frame is decoded in full again, where it was.
        QTRY_VERIFY(mpvEngineOf(left).skipsLoopFilter());
        left.resize(700, 500);
        QTRY_VERIFY_WITH_TIMEOUT(left.videoSurface().widget()->width() > 320 &&
                                     !mpvEngineOf(left).skipsLoopFilter(),
                                 kPlayerTimeoutMs);
        QTest::qWait(500);
        QCOMPARE(Window::at(left), 1.6);
        QVERIFY(left.engine().isPaused());
        const QImage shown = left.videoSurface().grabFrame();
        const QRect video(QPoint((shown.width() - 320) / 2, (shown.height() - 240) / 2),
                          QSize(320, 240));
        const QImage onScreen = shown.copy(video).convertToFormat(QImage::Format_RGB32);
        const double shownFromFull = greyDifference(onScreen, full);
        const double shownFromRough = greyDifference(onScreen, rough);
        qInfo("shown at its own size: against the full decode %.2f, the rough one %.2f",
              shownFromFull, shownFromRough);
        QVERIFY(shownFromRough > 4 * shownFromFull);
    }
};

QTEST_MAIN(TestGaplessLoop)
#include "test_gapless_loop.moc"
