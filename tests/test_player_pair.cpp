// What the window's two players share, on fake engines: files dropped on a pane, and the view
// that compares both in one picture, given back as it was.
#include "fakes/fake_engine.h"
#include "pair/player_pair.h"

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
};

QTEST_MAIN(TestPlayerPair)
#include "test_player_pair.moc"
