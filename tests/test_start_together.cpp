// The panes of a window, on fake engines: the one list of them that every part reads as panes
// come and go, and two files given at once starting together (each waits at its first frame for
// the other, and nothing else is held).
#include "fakes/fake_engine.h"
#include "session/player_link.h"
#include "session/session.h"
#include "session/start_together.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace tandemo;
using namespace tandemo::testing;

class TestStartTogether : public QObject {
    Q_OBJECT

private slots:
    void everyPartReadsTheOneListOfPanesAsPanesComeAndGo()
    {
        Session session;
        FakeEngine first(10, 25), second(10, 25);
        auto third = std::make_unique<FakeEngine>(10, 25);
        QObject firstView, thirdView;
        session.add(&first, nullptr, &firstView);
        session.add(&second);
        session.add(third.get(), nullptr, &thirdView);
        session.add(&second); // once is enough
        const Panes& panes = session.panes();
        QCOMPARE(panes.engines(), (QList<PlaybackEngine*>{&first, &second, third.get()}));
        QCOMPARE(session.paneOf(third.get()), 2);
        QCOMPARE(panes.paneShownBy(&thirdView), 2);
        QVERIFY(!panes.engine(3) && !panes.view(1));

        // Linked, an action in the last pane reaches all three, each with the offset set.
        session.link().setLinked(true);
        session.link().linkWithOffset(third.get(), 1.5, nullptr);
        QCOMPARE(session.link().targetsOf(&first).size(), 3);
        QCOMPARE(session.link().offsetOf(third.get()), 1.5);

        // A pane goes with its engine: the link, the comparison and the sound forget it.
        QSignalSpy removed(&panes, &Panes::removed);
        third.reset();
        QCOMPARE(removed.count(), 1);
        QCOMPARE(panes.count(), 2);
        QCOMPARE(session.link().targetsOf(&second).size(), 2);
        session.comparison().setHeard(2);
        QCOMPARE(session.comparison().heard(), -1);

        // A pane holds one file, the one its engine plays, until it is given several.
        first.reportPaused(0);
        QCOMPARE(panes.files(0), QStringList{first.fileName});
        QVERIFY(panes.files(1).isEmpty()); // idle: it holds none
        QSignalSpy filesChanged(&panes, &Panes::filesChanged);
        const QStringList ladder{"r1.mp4", "r2.mp4", "r3.mp4"};
        session.panes().setFiles(1, ladder, 7);
        QCOMPARE(filesChanged.count(), 1);
        QCOMPARE(panes.files(1), ladder);
        QCOMPARE(panes.showing(1), 2);
    }

    void filesGivenTogetherStartTogether()
    {
        FakeEngine left, right;
        Panes panes;
        StartTogether start(panes);
        panes.add(&left);
        panes.add(&right);

        // Both opened at once: each waits at its first frame until the other shows one.
        emit left.loadStarted(false);
        QVERIFY(left.takeCommands().isEmpty());
        emit right.loadStarted(false);
        QCOMPARE(left.takeCommands(), QStringList{"pause"});
        QCOMPARE(right.takeCommands(), QStringList{"pause"});
        emit left.playbackRestarted();
        QVERIFY(left.takeCommands().isEmpty());
        emit right.playbackRestarted();
        QCOMPARE(left.takeCommands(), QStringList{"play"});
        QCOMPARE(right.takeCommands(), QStringList{"play"});

        // Later seeks and loop restarts, and a file opened alone, hold nothing.
        emit left.playbackRestarted();
        emit right.loadStarted(false);
        emit right.playbackRestarted();
        QVERIFY(left.takeCommands().isEmpty());
        QVERIFY(right.takeCommands().isEmpty());

        // The engine's first word that it has no file, coming after the load began, changes
        // nothing; a file that opened and cannot be played lets the other go at once.
        emit left.loadStarted(false);
        emit right.loadStarted(false);
        left.takeCommands();
        right.takeCommands();
        left.reportIdle();
        emit right.playbackRestarted();
        QVERIFY(right.takeCommands().isEmpty());
        left.reportPaused(0);
        left.reportIdle();
        QCOMPARE(right.takeCommands(), QStringList{"play"});
        QVERIFY(left.takeCommands().isEmpty());
        // Nor does one that fails before the engine ever reports it open (a truncated file).
        emit left.loadStarted(false);
        emit right.loadStarted(false);
        left.takeCommands();
        right.takeCommands();
        emit right.playbackRestarted();
        emit left.fileFailed("invalid data");
        QCOMPARE(right.takeCommands(), QStringList{"play"});
        QVERIFY(left.takeCommands().isEmpty());
        // A file asked to start paused is never held, nor made to play.
        emit left.loadStarted(true);
        emit right.loadStarted(false);
        QVERIFY(left.takeCommands().isEmpty());
        QVERIFY(right.takeCommands().isEmpty());
    }

    void aNewFileInALinkedPaneStartsBothFromTheStart()
    {
        FakeEngine left, right;
        Panes panes;
        PlayerLink link(panes);
        StartTogether start(panes);
        start.followLink(&link);
        panes.add(&left);
        panes.add(&right);
        left.reportPlaying(4.0);
        right.reportPlaying(6.5);
        link.setLinked(true);
        link.moveAlone(&right, 7.0);
        QVERIFY(link.offsetOf(&right) != 0);

        // A new file on the left: the offset goes, the right one waits at its start until the
        // new file shows its first frame, then both play.
        emit left.loadStarted(false);
        QCOMPARE(link.offsetOf(&right), 0.0);
        QCOMPARE(right.takeCommands(), (QStringList{"seek 0 exact", "pause"}));
        QCOMPARE(left.takeCommands(), QStringList{"pause"});
        emit right.playbackRestarted(); // the right one arrived at its start
        QVERIFY(left.takeCommands().isEmpty() && right.takeCommands().isEmpty());
        emit left.playbackRestarted();
        QCOMPARE(left.takeCommands(), QStringList{"play"});
        QCOMPARE(right.takeCommands(), QStringList{"play"});

        // Asked to wait at its first frame, the new file waits, and so does the other at its
        // start; unlinked, the other is left alone.
        emit right.loadStarted(true);
        QCOMPARE(left.takeCommands(), (QStringList{"seek 0 exact", "pause"}));
        link.setLinked(false);
        emit right.loadStarted(false);
        QVERIFY(left.takeCommands().isEmpty());
    }

    void aFileThatNeverShowsHoldsTheOtherOnlySoLong()
    {
        FakeEngine left, right;
        Panes panes;
        StartTogether start(panes, 50);
        panes.add(&left);
        panes.add(&right);
        emit left.loadStarted(false);
        emit right.loadStarted(false);
        emit left.playbackRestarted();
        left.takeCommands();
        right.takeCommands();
        QVERIFY(left.commands.isEmpty());
        QTRY_COMPARE(left.commands, QStringList{"play"});
        QCOMPARE(right.commands, QStringList{"play"});
    }
};

QTEST_MAIN(TestStartTogether)
#include "test_start_together.moc"
