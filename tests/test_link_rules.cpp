// The rules of the transport and of linked players, on fake engines: which engines an action
// reaches, the pause that aligns, seeks kept inside each video and the correction that keeps two
// playing videos in step.
#include "fakes/fake_engine.h"
#include "fakes/linked_pair.h"
#include "fakes/stepping_engine.h"
#include "session/player_link.h"
#include "session/transport_rules.h"

#include <QSignalSpy>
#include <QtTest>

#include <cmath>

#include <memory>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

QList<PlaybackEngine*> enginesOf(const QList<transport::Target>& targets)
{
    QList<PlaybackEngine*> engines;
    for (const transport::Target& target : targets)
        engines << target.engine;
    return engines;
}

} // namespace

class TestLinkRules : public QObject {
    Q_OBJECT

private slots:
    void actionsReachTheOtherEnginesOnlyWhileLinked()
    {
        LinkedPair pair;
        QCOMPARE(enginesOf(pair.targetsOf(pair.right)), QList<PlaybackEngine*>{&pair.right});
        QSignalSpy changes(&pair.link, &PlayerLink::linkedChanged);
        pair.link.setLinked(true);
        pair.link.setLinked(true);
        QCOMPARE(changes.count(), 1);
        // The engine acted on comes first.
        QCOMPARE(enginesOf(pair.targetsOf(pair.right)),
                 (QList<PlaybackEngine*>{&pair.right, &pair.left}));

        // An engine that is gone is reached no more.
        auto third = std::make_unique<FakeEngine>();
        pair.panes.add(third.get());
        QCOMPARE(pair.targetsOf(pair.left).size(), 3);
        third.reset();
        QCOMPARE(enginesOf(pair.targetsOf(pair.left)),
                 (QList<PlaybackEngine*>{&pair.left, &pair.right}));
        pair.panes.remove(&pair.right);
        QCOMPARE(enginesOf(pair.targetsOf(pair.left)), QList<PlaybackEngine*>{&pair.left});
    }

    void playAndPauseFollowTheEngineActedOn()
    {
        LinkedPair pair;
        pair.link.setLinked(true);
        pair.left.reportPaused(1);
        pair.right.reportPlaying(2);
        // The origin was paused: all play, whatever each was doing.
        transport::playPause(pair.targetsOf(pair.left));
        QCOMPARE(pair.left.takeCommands(), QStringList{"play"});
        QCOMPARE(pair.right.takeCommands(), QStringList{"play"});

        // The origin plays: all pause; an idle engine has nothing to pause.
        pair.left.reportPlaying(1);
        pair.right.reportIdle();
        transport::playPause(pair.targetsOf(pair.left));
        QCOMPARE(pair.left.takeCommands(), QStringList{"pause"});
        QVERIFY(pair.right.takeCommands().isEmpty());
    }

    void aLinkedPauseBringsTheOthersToTheMomentTheOriginStoppedOn()
    {
        LinkedPair pair;
        pair.link.setLinked(true);
        pair.left.reportPlaying(1.0);
        pair.right.reportPlaying(1.1);
        transport::playPause(pair.targetsOf(pair.left));
        QCOMPARE(pair.right.takeCommands(), QStringList{"pause"});
        // Nothing moves until the origin has stopped, then both are held at its frame, once.
        QCOMPARE(pair.left.takeCommands(), QStringList{"pause"});
        pair.left.reportPaused(1.24);
        QCOMPARE(pair.left.takeCommands(), QStringList{"seek 1.24 exact"});
        QCOMPARE(pair.right.takeCommands(), QStringList{"seek 1.24 exact"});
        pair.left.reportPlaying(1.3);
        pair.left.reportPaused(1.5);
        QVERIFY(pair.right.takeCommands().isEmpty());

        // Past the end of the shorter video, it stops short of its own end instead.
        pair.left.reportPlaying(7);
        transport::playPause(pair.targetsOf(pair.left));
        pair.left.reportPaused(7);
        QCOMPARE(pair.right.takeCommands(), (QStringList{"pause", "seek 3.9 exact"}));

        // Unlinked, the other is left alone.
        pair.link.setLinked(false);
        pair.left.reportPlaying(2);
        transport::playPause(pair.targetsOf(pair.left));
        pair.left.reportPaused(2);
        QVERIFY(pair.right.takeCommands().isEmpty());
    }

    void aLinkedPauseWhoseReportNeverComesMovesNothingLater()
    {
        // The origin never tells of the linked pause (it was let go meanwhile): a later pause,
        // after another command or a while later, unlinked, leaves the other where it is.
        LinkedPair pair;
        pair.link.setLinked(true);
        pair.left.reportPlaying(1.0);
        pair.right.reportPlaying(1.0);
        transport::playPause(pair.targetsOf(pair.left));
        pair.link.setLinked(false);
        pair.right.takeCommands();
        transport::playPause(transport::alone(pair.left));
        pair.left.reportPaused(5);
        QVERIFY(pair.right.takeCommands().isEmpty());

        pair.link.setLinked(true);
        pair.left.reportPlaying(1.0);
        transport::playPause(pair.targetsOf(pair.left));
        pair.link.setLinked(false);
        pair.right.takeCommands();
        QTest::qWait(3500);
        pair.left.reportPaused(6);
        QVERIFY(pair.right.takeCommands().isEmpty());
    }

    void seeksStayInsideEachVideo()
    {
        LinkedPair pair;
        pair.link.setLinked(true);
        pair.left.reportPlaying(3);
        pair.right.reportPlaying(3);
        transport::seekTo(pair.targetsOf(pair.left), 6);
        QCOMPARE(pair.left.takeCommands(), QStringList{"seek 6 exact"});
        QCOMPARE(pair.right.takeCommands(), QStringList{"seek 3.9 exact"});
        transport::seekBy(pair.targetsOf(pair.left), -transport::kSeekStepSeconds);
        QCOMPARE(pair.left.takeCommands(), QStringList{"seek 0 exact"});
        QCOMPARE(pair.right.takeCommands(), QStringList{"seek 0 exact"});

        // A length not known yet does not hold a seek back; an idle engine is not sought.
        FakeEngine unknown(0);
        unknown.reportPlaying(0);
        transport::seekWithin(unknown, 12.5);
        QCOMPARE(unknown.takeCommands(), QStringList{"seek 12.5 exact"});
        pair.right.reportIdle();
        transport::seekTo(pair.targetsOf(pair.left), 1);
        QVERIFY(pair.right.takeCommands().isEmpty());
    }

    void stepsStopAndSpeedReachEveryLinkedEngine()
    {
        LinkedPair pair;
        pair.left.reportPaused(1);
        pair.right.reportPaused(1);
        transport::stepFrame(pair.targetsOf(pair.right), true);
        QVERIFY(pair.left.takeCommands().isEmpty());
        QCOMPARE(pair.right.takeCommands(), QStringList{"step on"});

        pair.link.setLinked(true);
        transport::setSpeed(pair.targetsOf(pair.right), 0.5);
        transport::stop(pair.targetsOf(pair.right));
        QCOMPARE(pair.left.takeCommands(), (QStringList{"speed 0.5", "stop"}));
        QCOMPARE(pair.right.takeCommands(), (QStringList{"speed 0.5", "stop"}));
        // A linked step: a frame of the right one's (30 fps), and the left one (25 fps) to its
        // frame showing at that moment.
        transport::stepFrame(pair.targetsOf(pair.right), false);
        QCOMPARE(pair.right.takeCommands(), QStringList{"step back"});
        QCOMPARE(pair.left.takeCommands(), (QStringList{"pause", "seek 0.96 exact"}));
        pair.left.reportIdle();
        transport::stepFrame(pair.targetsOf(pair.right), true);
        transport::stop(pair.targetsOf(pair.right));
        QVERIFY(pair.left.takeCommands().isEmpty());
    }

    void aLinkedStepTakesTheOtherToItsFrameOfTheSameMoment()
    {
        // 25 fps against 30: twenty steps each way, each engine showing a frame of the moment the
        // stepped one shows, within one frame of the slower video.
        SteppingEngine slow(10, 25);
        SteppingEngine fast(10, 30);
        Panes panes;
        PlayerLink link{panes};
        panes.add(&slow);
        panes.add(&fast);
        link.setLinked(true);
        slow.reportPaused(2.0);
        fast.reportPaused(2.0);
        for (int i = 0; i < 40; ++i) {
            FakeEngine& origin = i % 3 == 0 ? static_cast<FakeEngine&>(fast) : slow;
            transport::stepFrame(link.targetsOf(&origin), i < 20);
            QVERIFY2(qAbs(slow.position() - fast.position()) <= 1.0 / 25 + 1e-9,
                     qPrintable(QString("step %1: %2 against %3")
                                    .arg(i)
                                    .arg(slow.position())
                                    .arg(fast.position())));
        }
        // Without a known rate, each steps a frame of its own.
        FakeEngine unknown(10, 0);
        FakeEngine other(10, 25);
        unknown.reportPaused(1);
        other.reportPaused(1);
        transport::stepFrame({{&unknown, 0}, {&other, 0}}, true);
        QCOMPARE(other.takeCommands(), QStringList{"step on"});
    }

    void anOffsetIsKeptByEveryLinkedAction()
    {
        LinkedPair pair;
        pair.link.setLinked(true);
        pair.left.reportPaused(2.0);
        pair.right.reportPaused(2.0);
        QSignalSpy offsets(&pair.link, &PlayerLink::offsetChanged);
        // The right one alone goes 1.24 s on: that is now its lead over the left one.
        pair.link.moveAlone(&pair.right, 3.24);
        QCOMPARE(offsets.count(), 1);
        QVERIFY(qAbs(pair.link.offsetOf(&pair.right) - 1.24) < 1e-9);
        QVERIFY(qAbs(pair.link.offsetOf(&pair.left) + 1.24) < 1e-9);

        // The other pane shows the frame covering its moment (at 30 a second, the one from
        // 2.2333 s), as a linked step puts it there.
        transport::seekTo(pair.targetsOf(pair.left), 1.0);
        QCOMPARE(pair.left.takeCommands(), QStringList{"seek 1 exact"});
        QCOMPARE(pair.right.takeCommands(), QStringList{"seek 2.23333 exact"});
        transport::seekTo(pair.targetsOf(pair.right), 1.0);
        QCOMPARE(pair.left.takeCommands(), QStringList{"seek 0 exact"}); // kept inside its video
        QCOMPARE(pair.right.takeCommands(), QStringList{"seek 1 exact"});

        pair.left.reportPlaying(1.0);
        pair.right.reportPlaying(2.24);
        transport::playPause(pair.targetsOf(pair.left));
        pair.left.reportPaused(1.5);
        QCOMPARE(pair.right.takeCommands(), (QStringList{"pause", "seek 2.74 exact"}));

        // In step while both play with the offset; nudged when the offset is not kept.
        pair.right.reportPlaying(2.74);
        pair.left.reportPlaying(1.5);
        pair.right.nudge = 0;
        pair.link.keepInStep();
        QCOMPARE(pair.right.nudge, 1.0);

        // A linked step keeps it too, from either pane: the other shows its frame of the
        // stepped one's new moment, offset (the left's frame from 1.48 s at 25 a second, one on
        // is 1.52 s: the right's frame at 2.76 s is the one from 2.7333 s; and back).
        pair.left.reportPaused(1.5);
        pair.right.reportPaused(2.74);
        transport::stepFrame(pair.targetsOf(pair.left), true);
        QCOMPARE(pair.right.takeCommands(), (QStringList{"pause", "seek 2.73333 exact"}));
        pair.left.takeCommands();
        transport::stepFrame(pair.targetsOf(pair.right), false);
        QCOMPARE(pair.left.takeCommands(), (QStringList{"pause", "seek 1.44 exact"}));
        pair.right.takeCommands();
        QVERIFY(qAbs(pair.link.offsetOf(&pair.right) - 1.24) < 1e-9);

        pair.link.resetOffset();
        QCOMPARE(pair.link.offsetOf(&pair.right), 0.0);
        // Aligning links with the second ahead by what was found: at the first's 1.5 s the
        // second shows 2.87 s.
        pair.link.setLinked(false);
        pair.left.reportPaused(1.5);
        pair.link.linkWithOffset(&pair.right, 1.37, &pair.left);
        QVERIFY(pair.link.isLinked());
        QVERIFY(qAbs(pair.link.offsetOf(&pair.right) - 1.37) < 1e-9);
        QVERIFY(pair.right.takeCommands().contains("seek 2.87 exact"));
        pair.link.resetOffset();
        pair.link.moveAlone(&pair.right, 3.0);
        pair.link.setLinked(false);
        pair.link.setLinked(true);
        QCOMPARE(pair.link.offsetOf(&pair.right), 0.0); // linking starts without an offset
    }

    void aZoomKeepsThePointUnderThePointer()
    {
        const QSizeF pane(400, 300);
        const QSizeF video(1280, 720); // shown at 400 x 225
        const QPointF pointer(100, 200);
        // Where a pane point lies in the picture, as fractions from the picture's centre.
        const auto pictureAt = [&](const ViewZoom& view) {
            const double scale = std::exp2(view.zoom);
            return QPointF((pointer.x() - 200) / (scale * 400) - view.panX,
                           (pointer.y() - 150) / (scale * 225) - view.panY);
        };
        const ViewZoom whole;
        const ViewZoom in = transport::zoomAround(whole, pointer, pane, video, 4);
        QCOMPARE(in.zoom, 1.0);
        QVERIFY((pictureAt(in) - pictureAt(whole)).manhattanLength() < 1e-9);
        const ViewZoom further = transport::zoomAround(in, pointer, pane, video, 3);
        QVERIFY((pictureAt(further) - pictureAt(whole)).manhattanLength() < 1e-9);
        // Never out past the whole picture, nor in past 16 times.
        QCOMPARE(transport::zoomAround(in, pointer, pane, video, -40), ViewZoom{});
        QCOMPARE(transport::zoomAround(in, pointer, pane, video, 400).zoom, 4.0);
        // A drag of a quarter of the shown picture at twice its size pans by an eighth.
        const ViewZoom panned = transport::panBy(in, QPointF(100, 0), pane, video);
        QVERIFY(qAbs(panned.panX - in.panX - 0.125) < 1e-9);
    }

    void linkingAndResettingTheOffsetBringThePanesToOneMoment()
    {
        // Turned on in the left pane, paused at 3.2 s while the right one plays at 1.0 s: the
        // right one goes to 3.2 s (kept inside its 4 s) and pauses there.
        LinkedPair pair;
        pair.left.reportPaused(3.2);
        pair.right.reportPlaying(1.0);
        pair.link.setLinked(true, &pair.left);
        QCOMPARE(pair.right.takeCommands(), (QStringList{"seek 3.2 exact", "pause"}));
        QVERIFY(pair.left.takeCommands().isEmpty());
        pair.link.setLinked(false);

        // Turned on in a playing pane: the other plays on from that pane's moment.
        pair.right.reportPaused(2.0);
        pair.left.reportPlaying(1.5);
        pair.link.setLinked(true, &pair.left);
        QCOMPARE(pair.right.takeCommands(), (QStringList{"seek 1.5 exact", "play"}));

        // Reset Offset in a pane: the offset goes, and the other comes to that pane's moment.
        pair.left.reportPaused(1.5);
        pair.link.moveAlone(&pair.right, 2.5);
        QCOMPARE(pair.link.offsetOf(&pair.right), 1.0);
        QSignalSpy offsetChanged(&pair.link, &PlayerLink::offsetChanged);
        pair.link.resetOffset(&pair.left);
        QCOMPARE(pair.link.offsetOf(&pair.right), 0.0);
        QCOMPARE(offsetChanged.count(), 1);
        QCOMPARE(pair.right.takeCommands(), (QStringList{"seek 1.5 exact", "pause"}));
        // Unlinked, a pane without a file, or no pane named: nobody is moved.
        pair.link.setLinked(false);
        pair.link.resetOffset(&pair.left);
        pair.right.reportIdle();
        pair.link.setLinked(true, &pair.left);
        pair.link.setLinked(false);
        pair.right.reportPaused(0.5);
        pair.link.setLinked(true);
        QVERIFY(pair.right.takeCommands().isEmpty());
    }

    void driftIsCorrectedWhileBothPlayTheSameLength_data()
    {
        QTest::addColumn<double>("leadAt");
        QTest::addColumn<double>("followerAt");
        QTest::addColumn<double>("followerLength");
        QTest::addColumn<bool>("followerPaused");
        QTest::addColumn<double>("nudge");
        QTest::newRow("behind a little") << 2.0 << 1.97 << 10.0 << false << 1.03;
        QTest::newRow("ahead a little") << 2.0 << 2.03 << 10.0 << false << 0.97;
        QTest::newRow("far behind: the largest nudge") << 2.0 << 1.6 << 10.0 << false << 1.05;
        QTest::newRow("within half a frame") << 2.0 << 1.99 << 10.0 << false << 1.0;
        QTest::newRow("more than a second: a loop or a seek") << 2.0 << 0.5 << 10.0 << false << 1.0;
        QTest::newRow("other length") << 2.0 << 1.9 << 4.0 << false << 1.0;
        QTest::newRow("follower paused") << 2.0 << 1.9 << 10.0 << true << 1.0;
    }
    void driftIsCorrectedWhileBothPlayTheSameLength()
    {
        QFETCH(double, leadAt);
        QFETCH(double, followerAt);
        QFETCH(double, followerLength);
        QFETCH(bool, followerPaused);
        QFETCH(double, nudge);
        FakeEngine lead(10, 25);
        FakeEngine follower(followerLength, 25);
        Panes panes;
        PlayerLink link{panes};
        panes.add(&lead);
        panes.add(&follower);
        link.setLinked(true);
        lead.reportPlaying(leadAt);
        if (followerPaused)
            follower.reportPaused(followerAt);
        else
            follower.reportPlaying(followerAt);
        follower.nudge = 0;
        link.keepInStep();
        QVERIFY2(qAbs(follower.nudge - nudge) < 1e-9, qPrintable(QString::number(follower.nudge)));
        QCOMPARE(lead.nudge, 1.0); // the first engine sets the pace

        // Unlinking gives every engine its own speed back, and the checks stop.
        follower.nudge = 1.04;
        link.setLinked(false);
        QCOMPARE(follower.nudge, 1.0);
        follower.nudge = 1.04;
        link.keepInStep();
        QCOMPARE(follower.nudge, 1.0);
    }
};

QTEST_MAIN(TestLinkRules)
#include "test_link_rules.moc"
