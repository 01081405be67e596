// The loop's hand-over between two decoders, on fake decoders: each state it can be in, what a
// pause, a step past the end, a seek or a new file does there, and whole passes handed over,
// in the left pane's player and in the right one's (the other pane's is never touched).
#include "engine/loop_hand_over.h"

#include <QSignalSpy>
#include <QStringList>
#include <QtTest>

#include <array>
#include <memory>

using namespace tandemo;

Q_DECLARE_METATYPE(tandemo::LoopHandOver::State)

namespace {

using State = LoopHandOver::State;

/// Decoders that only note what they are asked.
struct FakeDecoders : LoopDecoders {
    void setLoopMode(bool looping, bool handedOver) override
    {
        asked << QString("loop %1 %2").arg(looping).arg(handedOver);
    }
    bool openWaiting() override
    {
        asked << "open waiting";
        return opens;
    }
    void letWaitingGo() override { asked << "let go"; }
    void sendWaitingToStart() override { asked << "waiting to start"; }
    void switchDecoders(bool paused, bool letGo) override
    {
        asked << QString("switch%1%2").arg(paused ? " paused" : "", letGo ? " let go" : "");
    }
    void seekShownToStart() override { asked << "shown to start"; }
    void stopWaiting() override { asked << "stop waiting"; }
    bool isShownPaused() const override { return shownPaused; }
    bool isShownAtEnd() const override { return atEnd; }

    /// What was asked since the last call.
    QStringList take() { return std::exchange(asked, {}); }

    QStringList asked;
    bool opens = true;
    bool shownPaused = false;
    bool atEnd = false;
};

// A pass of frames of 40 ms, played at its own speed.
constexpr double kFrame = 0.04;

/// A player's hand-over with its decoders.
struct Pane {
    FakeDecoders decoders;
    LoopHandOver loop{decoders, /*secondDecoder=*/true};

    /// Brings the hand-over to `state` the way a player gets there.
    bool reach(State state)
    {
        loop.setHandedOverAheadMs(20);
        loop.setLooping(true);
        if (state == State::Idle)
            return loop.state() == state;
        loop.shownRestarted();
        if (state == State::Opening)
            return loop.state() == state;
        if (state == State::SeekingOnly) {
            loop.fallBack();
            return loop.state() == state;
        }
        loop.waitingAtStart();
        if (state == State::LetGo) {
            // The last picture, of four seconds, shows: the waiting decoder is let go at once
            // (well before the switch, so that the state can be looked at).
            loop.setStartAheadMs(10000);
            loop.shownAt(4.0, 4.0, 1.0);
            return QTest::qWaitFor([&] { return loop.state() == State::LetGo; }, 5000);
        }
        return loop.state() == state;
    }
};

} // namespace

class TestLoopHandOver : public QObject {
    Q_OBJECT

private slots:
    void eachStateTakesAPauseStepSeekOrNewFile_data()
    {
        QTest::addColumn<int>("pane");
        QTest::addColumn<State>("from");
        QTest::addColumn<QString>("event");
        QTest::addColumn<State>("to");
        QTest::addColumn<QStringList>("asked");
        const struct {
            const char* name;
            State from;
            const char* event;
            State to;
            QStringList asked;
        } rows[] = {
            {"idle, pause", State::Idle, "pause", State::Idle, {}},
            {"idle, step past the end", State::Idle, "step", State::Idle, {"shown to start"}},
            {"idle, seek", State::Idle, "seek", State::Opening, {"open waiting"}},
            {"idle, new file", State::Idle, "new file", State::Idle, {"stop waiting"}},
            {"opening, pause", State::Opening, "pause", State::Opening, {}},
            {"opening, step past the end",
             State::Opening,
             "step",
             State::Opening,
             {"shown to start"}},
            {"opening, seek", State::Opening, "seek", State::Opening, {}},
            {"opening, new file", State::Opening, "new file", State::Idle, {"stop waiting"}},
            {"waiting, pause", State::Waiting, "pause", State::Waiting, {}},
            {"waiting, step past the end",
             State::Waiting,
             "step",
             State::Opening,
             {"switch paused"}},
            {"waiting, seek", State::Waiting, "seek", State::Waiting, {}},
            {"waiting, new file", State::Waiting, "new file", State::Idle, {"stop waiting"}},
            {"let go, pause", State::LetGo, "pause", State::Opening, {"waiting to start"}},
            {"let go, step past the end",
             State::LetGo,
             "step",
             State::Opening,
             {"switch paused let go"}},
            {"let go, seek", State::LetGo, "seek", State::Opening, {"waiting to start"}},
            {"let go, new file", State::LetGo, "new file", State::Idle, {"stop waiting"}},
            {"seeking only, pause", State::SeekingOnly, "pause", State::SeekingOnly, {}},
            {"seeking only, step past the end",
             State::SeekingOnly,
             "step",
             State::SeekingOnly,
             {"shown to start"}},
            {"seeking only, seek", State::SeekingOnly, "seek", State::SeekingOnly, {}},
            {"seeking only, new file",
             State::SeekingOnly,
             "new file",
             State::Idle,
             {"stop waiting"}},
        };
        for (int pane : {0, 1}) {
            for (const auto& row : rows) {
                QTest::addRow("%s pane, %s", pane ? "right" : "left", row.name)
                    << pane << row.from << QString(row.event) << row.to << row.asked;
            }
        }
    }

    void eachStateTakesAPauseStepSeekOrNewFile()
    {
        QFETCH(int, pane);
        QFETCH(State, from);
        QFETCH(QString, event);
        QFETCH(State, to);
        QFETCH(QStringList, asked);
        std::array<std::unique_ptr<Pane>, 2> panes{std::make_unique<Pane>(),
                                                   std::make_unique<Pane>()};
        QVERIFY(panes[0]->reach(from) && panes[1]->reach(from));
        Pane& acted = *panes[pane];
        Pane& other = *panes[1 - pane];
        acted.decoders.take();
        other.decoders.take();

        if (event == "pause") {
            acted.decoders.shownPaused = true;
            acted.loop.paused();
        } else if (event == "step") {
            // A step past the last frame starts the next pass, paused.
            acted.decoders.shownPaused = true;
            acted.loop.startNextPass(true);
        } else if (event == "seek") {
            // Sent back into the pass: far from its end, then restarted there.
            acted.loop.shownAt(2.0, kFrame, 1.0);
            acted.loop.shownRestarted();
        } else {
            acted.loop.newFile();
        }
        QCOMPARE(acted.loop.state(), to);
        QCOMPARE(acted.decoders.take(), asked);
        // Nothing is left to fire later, and the other pane was never touched.
        QTest::qWait(60);
        QCOMPARE(acted.decoders.take(), QStringList{});
        QCOMPARE(other.decoders.take(), QStringList{});
        QCOMPARE(other.loop.state(), from);
    }

    void passesAreHandedOverOneAfterAnother_data()
    {
        QTest::addColumn<int>("pane");
        QTest::newRow("left pane") << 0;
        QTest::newRow("right pane") << 1;
    }

    void passesAreHandedOverOneAfterAnother()
    {
        QFETCH(int, pane);
        std::array<Pane, 2> panes;
        Pane& playing = panes[pane];
        QVERIFY(playing.reach(State::Waiting));
        QVERIFY(playing.decoders.take().contains("loop 1 1")); // the decoder holds its last
        QSignalSpy states(&playing.loop, &LoopHandOver::stateChanged);
        for (int pass = 0; pass < 3; ++pass) {
            // Within a frame of the end: let go, then switched, then back to wait at the start.
            playing.loop.shownAt(kFrame / 2, kFrame, 1.0);
            QTRY_COMPARE_WITH_TIMEOUT(playing.decoders.asked,
                                      (QStringList{"let go", "switch let go"}), 5000);
            playing.decoders.take();
            QCOMPARE(playing.loop.state(), State::Opening);
            playing.loop.waitingAtStart();
        }
        QCOMPARE(states.count(), 9);
        QCOMPARE(panes[1 - pane].decoders.asked, QStringList{});

        // The end found while paused (a step onto the last frame) switches at once; a pass the
        // decoder ended by itself while playing waits its last picture's time first.
        playing.decoders.shownPaused = true;
        playing.loop.passEnded(kFrame, 1.0);
        QCOMPARE(playing.decoders.take(), QStringList{"switch paused"});
        playing.loop.waitingAtStart();
        playing.decoders.shownPaused = false;
        playing.loop.passEnded(kFrame, 1.0);
        QCOMPARE(playing.decoders.take(), QStringList{});
        QTRY_COMPARE_WITH_TIMEOUT(playing.decoders.asked, (QStringList{"let go", "switch let go"}),
                                  5000);

        // A sound that outlasts the pictures goes on telling its position once the pass has
        // ended: the last picture (of 300 ms here) still stays its time. Timers never fire
        // early, so nothing may be asked within the first 150 ms however loaded the machine.
        playing.decoders.take();
        playing.loop.waitingAtStart();
        playing.loop.shownAt(0.3, 0.3, 1.0);
        playing.decoders.atEnd = true;
        playing.loop.passEnded(0.3, 1.0);
        playing.loop.shownAt(0.01, 0.3, 1.0);
        QTest::qWait(150);
        QCOMPARE(playing.decoders.take(), QStringList{});
        QTRY_COMPARE_WITH_TIMEOUT(playing.decoders.asked, (QStringList{"let go", "switch let go"}),
                                  5000);
    }

    void aLoopThatCannotBeHandedOverSeeksBack()
    {
        // A passage loops by seeking: no waiting decoder, and none opened for it.
        Pane passage;
        passage.loop.setPassage(true);
        QVERIFY(passage.reach(State::Idle));
        passage.loop.shownRestarted();
        QCOMPARE(passage.loop.state(), State::Idle);
        QVERIFY(!passage.decoders.take().contains("open waiting"));
        passage.loop.setPassage(false);
        QCOMPARE(passage.loop.state(), State::Opening);

        // The waiting decoder cannot open the file: this file loops by seeking back, the next
        // one is handed over again.
        Pane failing;
        failing.decoders.opens = false;
        failing.reach(State::Opening);
        QCOMPARE(failing.loop.state(), State::SeekingOnly);
        QVERIFY(!failing.loop.isSeamless());
        QVERIFY(failing.decoders.take().contains("loop 1 0"));
        failing.decoders.opens = true;
        failing.loop.newFile();
        failing.loop.shownRestarted();
        QCOMPARE(failing.loop.state(), State::Opening);

        // One that can never be drawn gives up for good; without a second decoder, there is none.
        failing.loop.giveUpWaiting();
        failing.loop.newFile();
        failing.loop.shownRestarted();
        QCOMPARE(failing.loop.state(), State::SeekingOnly);
        FakeDecoders alone;
        LoopHandOver single(alone, /*secondDecoder=*/false);
        single.setLooping(true);
        single.shownRestarted();
        single.newFile();
        QCOMPARE(alone.take(), (QStringList{"loop 1 0"}));
        QVERIFY(!single.isSeamless());
    }
};

QTEST_GUILESS_MAIN(TestLoopHandOver)
#include "test_loop_hand_over.moc"
