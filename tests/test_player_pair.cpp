// What the window's two players share, on fake engines: files dropped on a pane, the view that
// compares both in one picture, given back as it was, a passage looped in both, and whose sound
// is heard.
#include "fakes/fake_engine.h"
#include "pair/player_pair.h"
#include "pair/transport_rules.h"

#include <QSignalSpy>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

class TestPlayerPair : public QObject {
    Q_OBJECT

private slots:
    void droppedFilesPlayInThePaneAndTheOther()
    {
        PlayerPair pair;
        QSignalSpy opened(&pair, &PlayerPair::openRequested);
        pair.dropOn(1, {"a.mp4", "b.mp4", "c.mp4"});
        pair.dropOn(0, {"d.mp4"});
        pair.dropOn(0, {});
        QCOMPARE(opened.count(), 3);
        QCOMPARE(opened[0], (QVariantList{1, "a.mp4"}));
        QCOMPARE(opened[1], (QVariantList{0, "b.mp4"}));
        QCOMPARE(opened[2], (QVariantList{0, "d.mp4"}));
    }

    void aComparisonLinksFromItsPaneAndGivesBackWhatItChanged()
    {
        FakeEngine left{10, 25}, right{4, 30};
        PlayerPair pair;
        pair.add(&left);
        pair.add(&right);
        const ViewZoom zoomed{1, 0.25, 0.5};
        left.setView(zoomed);
        left.reportPaused(2.0);
        right.reportPlaying(3.5);

        // Asked for in the paused left pane: linked there, the right one brought to it.
        pair.enterComparison(&left);
        QVERIFY(pair.isComparing() && pair.link().isLinked());
        QCOMPARE(right.takeCommands(), (QStringList{"seek 2 exact", "pause"}));
        // A zoom made while comparing, and an offset, go with it; the link goes as it came.
        left.setView({2, 0.1, 0.1});
        right.setView({2, 0.1, 0.1});
        pair.leaveComparison();
        QVERIFY(!pair.isComparing() && !pair.link().isLinked());
        QCOMPARE(left.view(), zoomed);
        QCOMPARE(right.view(), ViewZoom{});

        // Entered while linked, the link stays when it is left; a pane that goes is forgotten.
        pair.link().setLinked(true);
        pair.enterComparison(&right);
        pair.leaveComparison();
        QVERIFY(pair.link().isLinked());
        {
            FakeEngine third;
            pair.add(&third);
        }
        QCOMPARE(pair.link().targetsOf(&left).size(), 2);
    }

    void aPassageIsLoopedInBothAtTheirOwnMomentsAndOneSideIsHeard()
    {
        FakeEngine left{10, 25}, right{4, 30};
        PlayerPair pair;
        pair.add(&left);
        pair.add(&right);
        left.reportPaused(2.0);
        right.reportPaused(2.5);

        // Marked in the left pane: the end alone runs to the file's end, then the start moves.
        QCOMPARE(transport::passageMarked(left, 6.0, false), (Passage{0, 6.0}));
        left.setPassage(Passage{1.0, 6.0});
        QCOMPARE(transport::passageMarked(left, 7.0, true), (Passage{7.0, 10.0}));
        QCOMPARE(transport::passageMarked(left, 0.5, false), (Passage{0, 0.5}));

        // Linked with the right pane 0.5 s ahead, it loops the same moments, kept in its video.
        pair.link().linkWithOffset(&right, 0.5, &left);
        QCOMPARE(pair.link().offsetOf(&right), 0.5);
        transport::setPassage(pair.link().targetsOf(&left), Passage{1.0, 3.8});
        QCOMPARE(left.passage(), (Passage{1.0, 3.8}));
        QCOMPARE(right.passage(), (Passage{1.5, 4.0}));
        // A step past the passage's last frame goes to its first, in both; back, to its last.
        left.takeCommands();
        right.takeCommands();
        left.reportPaused(3.76);
        transport::stepFrame(pair.link().targetsOf(&left), true);
        QCOMPARE(left.takeCommands(), (QStringList{"pause", "seek 1 exact"}));
        QCOMPARE(right.takeCommands(), (QStringList{"pause", "seek 1.5 exact"}));
        left.reportPaused(1.0);
        transport::stepFrame(pair.link().targetsOf(&left), false);
        QCOMPARE(left.takeCommands(), (QStringList{"pause", "seek 3.76 exact"}));
        left.reportPaused(2.0);
        transport::stepFrame(pair.link().targetsOf(&left), true);
        QCOMPARE(left.takeCommands(), (QStringList{"step on"}));
        right.takeCommands();
        // Wholly past its end, the right pane plays its whole file.
        transport::setPassage(pair.link().targetsOf(&left), Passage{5.0, 6.0});
        QVERIFY(!right.passage());
        // A new file in either pane ends the passage of both.
        transport::setPassage(pair.link().targetsOf(&left), Passage{1.0, 2.0});
        emit right.loadStarted(false);
        QVERIFY(!left.passage() && !right.passage());

        // One side heard: the other silenced until both are heard again.
        QSignalSpy heard(&pair, &PlayerPair::heardChanged);
        pair.setHeard(1);
        QVERIFY(left.isSilenced() && !right.isSilenced());
        pair.setHeard(-1);
        QVERIFY(!left.isSilenced() && !right.isSilenced());
        QCOMPARE(heard.count(), 2);
        // Nothing to compare without both files: said at once, nothing changed.
        QSignalSpy aligned(&pair, &PlayerPair::alignmentFinished);
        right.reportIdle();
        pair.align(AlignmentSearch::By::Sound, &left);
        QCOMPARE(aligned.count(), 1);
        QCOMPARE(aligned[0][0].value<PlayerPair::Aligned>(), PlayerPair::Aligned::NothingToCompare);
        QVERIFY(!pair.isAligning());
    }
};

QTEST_MAIN(TestPlayerPair)
#include "test_player_pair.moc"
