// Lining two takes up by their sound or their pictures, looping a passage in both, hearing one
// side and mirroring a pane.
#include "analysis/alignment_search.h"
#include "analysis/alignment_series.h"
#include "playback/passage_mark.h"
#include "playback/player_commands.h"
#include "playback/transport_bar.h"
#include "playback/wipe_view.h"
#include "support/linked_window.h"
#include "support/mpv_probe.h"
#include "support/pictures_folder.h"
#include "support/wipe_testing.h"

#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

AlignmentSearch::File file(const QString& name)
{
    return {mediaPath(name), 0, 12};
}

/// Waits until the status of both bars starts with `text`.
bool bothSay(Window& window, const QString& text)
{
    return QTest::qWaitFor(
        [&] {
            return window.left().transportBar().status().startsWith(text) &&
                   window.right().transportBar().status().startsWith(text);
        },
        kPlayerTimeoutMs);
}

/// The colour in the middle of the left and of the right half of the picture a player shows.
std::pair<QColor, QColor> halvesOf(VideoPlayer& player)
{
    const QImage frame = player.videoSurface().grabFrame();
    const QRectF video = videoRect(frame.size(), {160, 120});
    const int y = int(video.center().y());
    return {frame.pixelColor(int(video.left() + video.width() / 4), y),
            frame.pixelColor(int(video.left() + video.width() * 3 / 4), y)};
}

} // namespace

class TestAlignment : public QObject {
    Q_OBJECT

private slots:
    void findsTheOffsetBySoundAndByPicture_data()
    {
        QTest::addColumn<int>("by");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("clear");
        QTest::addColumn<double>("ahead");
        const int sound = int(AlignmentSearch::By::Sound);
        const int picture = int(AlignmentSearch::By::Picture);
        QTest::newRow("sound, 1.37 s later") << sound << "sound-a.mp4"
                                             << "sound-b.mp4" << true << 1.37;
        QTest::newRow("sound, the other way") << sound << "sound-b.mp4"
                                              << "sound-a.mp4" << true << -1.37;
        QTest::newRow("sound of its own") << sound << "sound-a.mp4"
                                          << "sound-other.mp4" << false << 0.0;
        QTest::newRow("pictures, 41 frames on") << picture << "moving.mp4"
                                                << "moving-later.mp4" << true << -41 / 30.0;
        QTest::newRow("pictures of their own") << picture << "moving.mp4"
                                               << "moving-other.mp4" << false << 0.0;
        // Steady tones match at every period, or nowhere but where the excerpts are cut off.
        QTest::newRow("a tone against another") << sound << "tone-440.mp4"
                                                << "tone-1000.mp4" << false << 0.0;
        QTest::newRow("a tone against itself later") << sound << "tone-440.mp4"
                                                     << "tone-440-later.mp4" << false << 0.0;
        QTest::newRow("a tone against a take") << sound << "sound-other.mp4"
                                               << "tone-1000.mp4" << false << 0.0;
        // Lost sound is silence: what follows keeps its time.
        QTest::newRow("sound with a gap") << sound << "sound-a.mp4"
                                          << "sound-b-gap.mkv" << true << 1.37;
        // Frames stand for their whole time on the screen, whatever the rate.
        QTest::newRow("pictures at 25 and 50 a second") << picture << "scene-25.mp4"
                                                        << "scene-50-later.mp4" << true << -1.48;
    }
    void findsTheOffsetBySoundAndByPicture()
    {
        QFETCH(int, by);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, clear);
        QFETCH(double, ahead);
        std::atomic_bool never{false};
        const auto result =
            AlignmentSearch::search(AlignmentSearch::By(by), file(first), file(second), never);
        QVERIFY(result);
        qInfo("offset %.4f s, strength %.1f, uniqueness %.2f", result->secondAhead,
              result->strength, result->uniqueness);
        QCOMPARE(result->clear, clear);
        if (clear) {
            QVERIFY(std::abs(result->secondAhead - ahead) < 0.004);
            QCOMPARE(result->rate, 1.0); // in step: no drift
        }
    }

    void takesThatDriftAreLinedUpAtEveryMoment_data()
    {
        QTest::addColumn<int>("by");
        QTest::addColumn<bool>("fasterSecond");
        for (const auto by : {AlignmentSearch::By::Sound, AlignmentSearch::By::Picture}) {
            const char* name = by == AlignmentSearch::By::Sound ? "sound" : "pictures";
            QTest::addRow("%s, the second faster", name) << int(by) << true;
            QTest::addRow("%s, the second slower", name) << int(by) << false;
        }
    }
    void aMatchMustBeStrongAndStandAloneEachOnItsOwn()
    {
        // Series of their own, 60 s at 50 samples a second: the second is the first 3 s later,
        // mixed with other noise in the share given.
        const auto noise = [](unsigned seed, std::size_t count) {
            std::vector<float> samples(count);
            std::uint32_t state = seed;
            for (float& sample : samples) {
                state = state * 1664525u + 1013904223u;
                sample = float(state >> 8) / float(1u << 24) - 0.5f;
            }
            return samples;
        };
        const int rate = alignment::kPictureRate;
        const std::size_t count = std::size_t(60 * rate);
        const std::vector<float> first = noise(1, count);
        const auto laterCopy = [&](double otherShare, std::vector<float> other) {
            std::vector<float> copy(count);
            for (std::size_t n = 0; n < count; ++n) {
                const float shifted = n >= std::size_t(3 * rate) ? first[n - 3 * rate] : 0.0f;
                copy[n] = float((1 - otherShare) * shifted + otherShare * other[n]);
            }
            return copy;
        };
        const alignment::Series a{{first}, 0, rate, 0};
        const auto lineUp = [&](const std::vector<float>& second) {
            return alignment::lineUp(a, {{second}, 0, rate, 0}, 10).value();
        };

        const alignment::Result clear = lineUp(laterCopy(0.2, noise(2, count)));
        QVERIFY(clear.clear && std::abs(clear.secondAhead - 3) < 1.0 / rate);
        // Strong but not alone: where the second holds the first twice over (3 s and 8 s
        // later), either moment matches as well.
        std::vector<float> twice = laterCopy(0.0, noise(2, count));
        for (std::size_t n = std::size_t(8 * rate); n < count; ++n)
            twice[n] += first[n - std::size_t(8 * rate)];
        const alignment::Result repeated = lineUp(twice);
        QVERIFY2(repeated.strength >= alignment::kClearStrength &&
                     repeated.uniqueness < alignment::kClearUniqueness && !repeated.clear,
                 qPrintable(QString("%1 %2").arg(repeated.strength).arg(repeated.uniqueness)));
        // Alone but weak: a faint trace of the first in other noise.
        const alignment::Result faint = lineUp(laterCopy(0.82, noise(4, count)));
        QVERIFY2(faint.strength < alignment::kClearStrength &&
                     faint.uniqueness >= alignment::kClearUniqueness && !faint.clear,
                 qPrintable(QString("%1 %2").arg(faint.strength).arg(faint.uniqueness)));
    }

    void takesThatDriftAreLinedUpAtEveryMoment()
    {
        // The second take plays the first at 25/23.976 of its speed: its moment t x 23.976/25
        // shows the first's moment t.
        QFETCH(int, by);
        QFETCH(bool, fasterSecond);
        const double pace = fasterSecond ? 23.976 / 25 : 25 / 23.976;
        const AlignmentSearch::File fast{mediaPath("drift-b.mp4"), 0, 38.4};
        const AlignmentSearch::File slow{mediaPath("drift-a.mp4"), 0, 40};
        std::atomic_bool never{false};
        const auto result = AlignmentSearch::search(
            AlignmentSearch::By(by), fasterSecond ? slow : fast, fasterSecond ? fast : slow, never);
        QVERIFY(result);
        qInfo("rate %.5f, offset %.4f s, strength %.1f, uniqueness %.2f", result->rate,
              result->secondAhead, result->strength, result->uniqueness);
        QVERIFY(result->clear);
        // Within a frame at the start, the middle and the end.
        for (const double moment : {1.0, 19.0, 36.0}) {
            const double first = fasterSecond ? moment : moment * 23.976 / 25;
            QVERIFY2(std::abs(first * result->rate + result->secondAhead - first * pace) < 1 / 30.0,
                     qPrintable(QString::number(first)));
        }
    }

    void longTakesAreLinedUpByTheirKeyFramesFirst_data()
    {
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("byKeyFrames");
        QTest::newRow("a key frame a second") << "moving-long-later.mp4" << true;
        QTest::newRow("key frames 10 s apart") << "moving-long-later-sparse.mp4" << false;
    }
    void longTakesAreLinedUpByTheirKeyFramesFirst()
    {
        // Long takes are compared first by their key frames, then finely around that answer;
        // where the key frames are too far apart, whole as before. Either way the offset is as
        // precise.
        QFETCH(QString, second);
        QFETCH(bool, byKeyFrames);
        std::atomic_bool never{false};
        QList<double> progress;
        const auto result = AlignmentSearch::search(
            AlignmentSearch::By::Picture, {mediaPath("moving-long.mp4"), 0, 40},
            {mediaPath(second), 0, 40}, never, [&](double share) { progress << share; });
        QVERIFY(result);
        qInfo("offset %.4f s, strength %.1f, uniqueness %.2f", result->secondAhead,
              result->strength, result->uniqueness);
        QVERIFY(result->clear);
        QVERIFY(std::abs(result->secondAhead + 41 / 30.0) < 0.004);
        // The whole read reports its first file done at 0.45; the two passes never do.
        QCOMPARE(!progress.contains(0.4 + 0.6 * 0.45), byKeyFrames);
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
    }

    void alignBySoundLinksThePanesAtTheOffsetItFinds()
    {
        Window window;
        QVERIFY(window.play("sound-a.mp4", "sound-b.mp4"));
        PlayerLink& link = window.components.session().link();
        QVERIFY(!link.isLinked());

        // Asked for in the left pane: progress in both bars, then linked with the offset.
        QTest::keyClick(&window.left(), Qt::Key_A);
        QVERIFY(window.components.session().comparison().isAligning());
        QVERIFY(bothSay(window, "Aligning"));
        QVERIFY(bothSay(window, "Aligned"));
        QVERIFY(link.isLinked());
        const double ahead = link.offsetOf(&window.right().engine());
        qInfo("aligned by sound at %+.4f s", ahead);
        QVERIFY(std::abs(ahead - 1.37) < 1 / 30.0);
        QCOMPARE(window.right().transportBar().offsetText(), QString::asprintf("%+.3f s", ahead));
        QTRY_VERIFY_WITH_TIMEOUT(
            std::abs(Window::at(window.right()) - Window::at(window.left()) - ahead) < 0.2,
            kPlayerTimeoutMs);

        // Esc stops an alignment under way, and nothing changes.
        link.resetOffset(&window.left().engine());
        link.setLinked(false);
        QTest::keyClick(&window.right(), Qt::Key_P);
        QTest::keyClick(&window.right(), Qt::Key_Escape);
        QVERIFY(!window.components.session().comparison().isAligning());
        QVERIFY(bothSay(window, "Alignment stopped"));
        QTest::qWait(300);
        QVERIFY(!link.isLinked());

        // Soundtracks of their own: no clear match, and the panes stay as they were.
        QVERIFY(window.play("sound-a.mp4", "sound-other.mp4"));
        perform(window.left().actions(), {PlayerCommand::AlignBySound});
        QVERIFY(bothSay(window, "No clear match"));
        QVERIFY(!link.isLinked());
        QCOMPARE(link.offsetOf(&window.right().engine()), 0.0);
    }

    void aLinkedPassageLoopsTheSameMomentsInBoth()
    {
        Window window;
        QVERIFY(window.play("count-25.mp4", "count-30.mp4"));
        VideoPlayer& left = window.left();
        VideoPlayer& right = window.right();
        PlayerLink& link = window.components.session().link();
        link.linkWithOffset(&right.engine(), 0.5, &left.engine());
        QVERIFY(window.pauseBoth());

        // From 1 s to 2 s in the left pane; the right loops 1.5 s to 2.5 s, in its own frames.
        left.actions().seekTo(1.0);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(left) - 1.0) < 0.01, kPlayerTimeoutMs);
        QTest::keyClick(&left, Qt::Key_BracketLeft);
        left.actions().seekTo(2.0);
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(Window::at(left) - 2.0) < 0.01, kPlayerTimeoutMs);
        QTest::keyClick(&left, Qt::Key_BracketRight);
        QCOMPARE(left.engine().passage(), (Passage{1.0, 2.0}));
        QVERIFY(right.engine().passage());
        QVERIFY(std::abs(right.engine().passage()->start - 1.5) < 0.01);
        QVERIFY(std::abs(right.engine().passage()->end - 2.5) < 0.01);
        QCOMPARE(right.transportBar().passageMark().span(), (std::pair{15, 25}));
        QVERIFY(right.transportBar().passageMark().isVisible());

        // Three loops of both, timed: each goes back to its start, both at once. A loop shows as
        // the position falling back; the first position after it is where the pass began.
        QList<QPair<double, double>> restarts[2];
        double last[2] = {Window::at(left), Window::at(right)};
        for (int i = 0; i < 2; ++i) {
            VideoPlayer* player = i == 0 ? &left : &right;
            connect(&player->engine(), &PlaybackEngine::positionChanged, this,
                    [&restarts, &last, i](double seconds) {
                        if (seconds < last[i] - 0.5)
                            restarts[i]
                                << qMakePair(seconds, QDateTime::currentMSecsSinceEpoch() / 1000.0);
                        last[i] = seconds;
                    });
        }
        left.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(restarts[0].size() >= 3 && restarts[1].size() >= 3, 20000);
        for (int loop = 0; loop < 3; ++loop) {
            QVERIFY2(std::abs(restarts[0][loop].first - 1.0) < 0.1 &&
                         std::abs(restarts[1][loop].first - 1.5) < 0.1,
                     qPrintable(QString("loop %1 at %2 and %3")
                                    .arg(loop)
                                    .arg(restarts[0][loop].first)
                                    .arg(restarts[1][loop].first)));
            QVERIFY(std::abs(restarts[0][loop].second - restarts[1][loop].second) < 0.3);
        }
        // Slowed down, it loops on.
        left.actions().setSpeed(0.5);
        const qsizetype slowFrom = restarts[0].size();
        QTRY_VERIFY_WITH_TIMEOUT(restarts[0].size() > slowFrom + 1, 20000);
        QVERIFY(std::abs(restarts[0].constLast().first - 1.0) < 0.1);

        // Cleared, both loop their whole files again.
        perform(left.actions(), {PlayerCommand::ClearPassage});
        QVERIFY(!left.engine().passage() && !right.engine().passage());
        QVERIFY(!right.transportBar().passageMark().isVisible());
    }

    void oneSideHeardAndAMirroredPane()
    {
        Window window;
        QVERIFY(window.play("halves.mp4", "red.mp4"));
        VideoPlayer& left = window.left();
        VideoPlayer& right = window.right();

        // Hear the left pane: the right one is silent, its own volume and mute kept.
        perform(left.actions(), {PlayerCommand::HearPane, 0});
        QTRY_VERIFY_WITH_TIMEOUT(mpvFlag(right, "mute"), kPlayerTimeoutMs);
        QVERIFY(!mpvFlag(left, "mute"));
        QCOMPARE(right.settings().volume(), 50);
        QVERIFY(!right.settings().mute());
        QCOMPARE(mpvDouble(right, "volume"), 50.0);
        perform(left.actions(), {PlayerCommand::HearPane, -1});
        QTRY_VERIFY_WITH_TIMEOUT(!mpvFlag(right, "mute"), kPlayerTimeoutMs);

        // Mirrored, red and blue change sides, on screen and in a saved frame.
        QTRY_VERIFY_WITH_TIMEOUT(colourDistance(halvesOf(left).first, Qt::red) <= 12,
                                 kPlayerTimeoutMs);
        perform(left.actions(), {PlayerCommand::ToggleMirror});
        QTRY_VERIFY_WITH_TIMEOUT(colourDistance(halvesOf(left).first, Qt::blue) <= 12 &&
                                     colourDistance(halvesOf(left).second, Qt::red) <= 12,
                                 kPlayerTimeoutMs);
        QVERIFY(colourDistance(halvesOf(right).first, Qt::red) <= 12); // the other pane as it was
        const OwnPicturesFolder pictures;
        QVERIFY(pictures.isValid());
        QSignalSpy saved(&left.engine(), &PlaybackEngine::frameSaved);
        left.actions().saveFrames();
        QVERIFY(saved.wait(kPlayerTimeoutMs) && saved.at(0).at(1).toBool());
        const QString path = saved.at(0).at(0).toString();
        QVERIFY2(QFileInfo(path).fileName().startsWith("halves mirrored-"), qPrintable(path));
        const QImage frame(path);
        QVERIFY(colourDistance(frame.pixelColor(20, 60), Qt::blue) <= 12);
        QVERIFY(colourDistance(frame.pixelColor(140, 60), Qt::red) <= 12);

        // The wipe view shows it mirrored too: blue at the far left, in the first's part.
        perform(left.actions(), {PlayerCommand::ToggleWipeView});
        WipeView* wipe = window.components.wipeView();
        QVERIFY(wipe);
        QTRY_VERIFY_WITH_TIMEOUT(
            colourDistance(shownAt(*wipe, {160, 120}, QPointF(20, 60)), Qt::blue) <= 12,
            kPlayerTimeoutMs);
    }
};

QTEST_MAIN(TestAlignment)
#include "test_alignment.moc"
