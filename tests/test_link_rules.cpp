// The rules of the transport and of linked players, on fake engines: which engines an action
// reaches, the pause that aligns, seeks kept inside each video and the correction that keeps two
// playing videos in step.
#include "fakes/fake_engine.h"
#include "playback/player_link.h"
#include "playback/transport_rules.h"

#include <QtTest>

#include <memory>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

/// Two engines in one link: a 10 s video at 25 frames a second and a 4 s one at 30.
struct LinkedPair {
    LinkedPair()
    {
        link.add(&left);
        link.add(&right);
    }
    QList<PlaybackEngine*> targetsOf(FakeEngine& origin) { return link.targetsOf(&origin); }

    FakeEngine left{10, 25};
    FakeEngine right{4, 30};
    PlayerLink link;
};

} // namespace

class TestLinkRules : public QObject {
    Q_OBJECT

private slots:
    void actionsReachTheOtherEnginesOnlyWhileLinked()
    {
        LinkedPair pair;
        QCOMPARE(pair.targetsOf(pair.right), QList<PlaybackEngine*>{&pair.right});
        QSignalSpy changes(&pair.link, &PlayerLink::linkedChanged);
        pair.link.setLinked(true);
        pair.link.setLinked(true);
        QCOMPARE(changes.count(), 1);
        // The engine acted on comes first.
        QCOMPARE(pair.targetsOf(pair.right), (QList<PlaybackEngine*>{&pair.right, &pair.left}));

        // An engine that is gone is reached no more.
        auto third = std::make_unique<FakeEngine>();
        pair.link.add(third.get());
        QCOMPARE(pair.targetsOf(pair.left).size(), 3);
        third.reset();
        QCOMPARE(pair.targetsOf(pair.left), (QList<PlaybackEngine*>{&pair.left, &pair.right}));
        pair.link.remove(&pair.right);
        QCOMPARE(pair.targetsOf(pair.left), QList<PlaybackEngine*>{&pair.left});
    }

    void playAndPauseFollowTheEngineActedOn()
    {
        LinkedPair pair;
        pair.link.setLinked(true);
        pair.left.reportPaused(1);
        pair.right.reportPlaying(2);
        // The origin was paused: all play, whatever each was doing.
        transport::playPause(pair.left, pair.targetsOf(pair.left));
        QCOMPARE(pair.left.takeCommands(), QStringList{"play"});
        QCOMPARE(pair.right.takeCommands(), QStringList{"play"});

        // The origin plays: all pause; an idle engine has nothing to pause.
        pair.left.reportPlaying(1);
        pair.right.reportIdle();
        transport::playPause(pair.left, pair.targetsOf(pair.left));
        QCOMPARE(pair.left.takeCommands(), QStringList{"pause"});
        QVERIFY(pair.right.takeCommands().isEmpty());
    }

    void aLinkedPauseBringsTheOthersToTheMomentTheOriginStoppedOn()
    {
        LinkedPair pair;
        pair.link.setLinked(true);
        pair.left.reportPlaying(1.0);
        pair.right.reportPlaying(1.1);
        transport::playPause(pair.left, pair.targetsOf(pair.left));
        QCOMPARE(pair.right.takeCommands(), QStringList{"pause"});
        // Nothing moves until the origin has stopped, then the other goes to its frame, once.
        pair.left.reportPaused(1.24);
        QCOMPARE(pair.right.takeCommands(), QStringList{"seek 1.24 exact"});
        pair.left.reportPlaying(1.3);
        pair.left.reportPaused(1.5);
        QVERIFY(pair.right.takeCommands().isEmpty());

        // Past the end of the shorter video, it stops short of its own end instead.
        pair.left.reportPlaying(7);
        transport::playPause(pair.left, pair.targetsOf(pair.left));
        pair.left.reportPaused(7);
        QCOMPARE(pair.right.takeCommands(), (QStringList{"pause", "seek 3.9 exact"}));

        // Unlinked, the other is left alone.
        pair.link.setLinked(false);
        pair.left.reportPlaying(2);
        transport::playPause(pair.left, pair.targetsOf(pair.left));
        pair.left.reportPaused(2);
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
        transport::seekBy(pair.left, pair.targetsOf(pair.left), -transport::kSeekStepSeconds);
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
        transport::stepFrame(pair.targetsOf(pair.right), false);
        transport::setSpeed(pair.targetsOf(pair.right), 0.5);
        transport::stop(pair.targetsOf(pair.right));
        QCOMPARE(pair.left.takeCommands(), (QStringList{"step back", "speed 0.5", "stop"}));
        pair.left.reportIdle();
        transport::stepFrame(pair.targetsOf(pair.right), true);
        transport::stop(pair.targetsOf(pair.right));
        QVERIFY(pair.left.takeCommands().isEmpty());
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
        PlayerLink link;
        link.add(&lead);
        link.add(&follower);
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
