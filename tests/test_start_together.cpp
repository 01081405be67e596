// Two files given at once start together, on fake engines: each waits at its first frame for
// the other, and nothing else is held.
#include "fakes/fake_engine.h"
#include "session/player_link.h"
#include "session/start_together.h"

#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

class TestStartTogether : public QObject {
    Q_OBJECT

private slots:
    void filesGivenTogetherStartTogether()
    {
        FakeEngine left, right;
        StartTogether start;
        start.watch(&left);
        start.watch(&right);

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
        PlayerLink link;
        link.add(&left);
        link.add(&right);
        StartTogether start;
        start.followLink(&link);
        start.watch(&left);
        start.watch(&right);
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
        StartTogether start(50);
        start.watch(&left);
        start.watch(&right);
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
