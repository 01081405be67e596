// What the panes of a window share, on fake engines, asked for in either pane: files dropped on
// a pane, the comparison (its view given back as it was, its modes, measuring and aligning, and
// what a new file does to them), a passage looped in both, and whose sound is heard.
#include "fakes/fake_engine.h"
#include "fakes/stepping_engine.h"
#include "session/perform.h"
#include "session/pixel_inspector.h"
#include "session/player_link.h"
#include "session/session.h"
#include "session/transport_rules.h"
#include "support/either_pane.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

/// Two fake panes in a session, each with what its user can ask of it, as the window has them.
struct TwoPanes {
    FakeEngine left{10, 25};
    FakeEngine right{4, 30};
    PlayerSettings leftSettings;
    PlayerSettings rightSettings;
    Session session;
    std::unique_ptr<PlayerActions> leftActions;
    std::unique_ptr<PlayerActions> rightActions;

    TwoPanes()
    {
        leftActions = std::make_unique<PlayerActions>(left, leftSettings, &session.link(),
                                                      &session.comparison());
        rightActions = std::make_unique<PlayerActions>(right, rightSettings, &session.link(),
                                                       &session.comparison());
        session.add(&left, leftActions.get());
        session.add(&right, rightActions.get());
    }
    Comparison& comparison() { return session.comparison(); }
};

/// A tiny video of a few grey frames, as a YUV4MPEG2 stream: decoded in a blink.
void writeClip(const QString& path, int frames, int shade)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("YUV4MPEG2 W16 H16 F25:1 Ip A1:1 C420jpeg\n");
    for (int i = 0; i < frames; ++i) {
        file.write("FRAME\n");
        file.write(QByteArray(16 * 16, char(shade + i)));
        file.write(QByteArray(2 * 8 * 8, char(128)));
    }
}

} // namespace

class TestSession : public QObject {
    Q_OBJECT

private slots:
    void droppedFilesPlayInThePaneAndTheOther()
    {
        Session session;
        QSignalSpy opened(&session, &Session::openRequested);
        session.dropOn(1, {"a.mp4", "b.mp4", "c.mp4"});
        session.dropOn(0, {"d.mp4"});
        session.dropOn(0, {});
        QCOMPARE(opened.count(), 3);
        QCOMPARE(opened[0], (QVariantList{1, "a.mp4"}));
        QCOMPARE(opened[1], (QVariantList{0, "b.mp4"}));
        QCOMPARE(opened[2], (QVariantList{0, "d.mp4"}));
    }

    void theViewLinksFromThePaneThatAskedAndGivesBackWhatItChanged_data() { askedInEitherPane(); }
    void theViewLinksFromThePaneThatAskedAndGivesBackWhatItChanged()
    {
        QFETCH(int, pane);
        const int asking = pane;
        TwoPanes panes;
        FakeEngine& asker = asking == 0 ? panes.left : panes.right;
        FakeEngine& other = asking == 0 ? panes.right : panes.left;
        const ViewZoom zoomed{1, 0.25, 0.5};
        asker.setView(zoomed);
        asker.reportPaused(2.0);
        other.reportPlaying(3.5);
        Comparison& comparison = panes.comparison();
        QSignalSpy shown(&comparison, &Comparison::shownChanged);

        // Outside the view its modes are nothing to change.
        perform(panes.session, asking, {PlayerCommand::SetWipeMode, -1});
        QCOMPARE(comparison.look().mode, ComparisonLook::Divider);
        // Asked for in the paused pane: linked there, the other one brought to it.
        perform(panes.session, asking, {PlayerCommand::ToggleWipeView});
        QVERIFY(comparison.isShown() && panes.session.link().isLinked());
        QCOMPARE(shown.count(), 1);
        QCOMPARE(other.takeCommands(), (QStringList{"seek 2 exact", "pause"}));
        QVERIFY(panes.leftActions->isInWipeView() && panes.rightActions->isInWipeView());

        // Either pane turns the one look round: divider, difference, onion skin, flicker.
        const int otherPane = 1 - asking;
        QList<ComparisonLook::Mode> modes;
        for (int i = 0; i < ComparisonLook::kModes; ++i) {
            perform(panes.session, i % 2 ? otherPane : asking, {PlayerCommand::SetWipeMode, -1});
            modes << comparison.look().mode;
        }
        QCOMPARE(modes,
                 (QList<ComparisonLook::Mode>{ComparisonLook::Difference, ComparisonLook::OnionSkin,
                                              ComparisonLook::Flicker, ComparisonLook::Divider}));
        perform(panes.session, otherPane, {PlayerCommand::SetWipeMode, 1});
        QList<int> gains;
        for (int i = 0; i < 3; ++i) {
            perform(panes.session, i % 2 ? otherPane : asking, {PlayerCommand::StepDifferenceGain});
            gains << comparison.look().gain;
        }
        QCOMPARE(gains, (QList<int>{4, 16, 1}));
        perform(panes.session, otherPane, {PlayerCommand::SetWipeMode, 2});
        perform(panes.session, otherPane, {PlayerCommand::AdjustOverlay, 1});
        QCOMPARE(comparison.look().opacity, 0.6);
        perform(panes.session, otherPane, {PlayerCommand::SetWipeMode, 3});
        for (int i = 0; i < 6; ++i)
            perform(panes.session, asking, {PlayerCommand::AdjustOverlay, -1});
        QCOMPARE(comparison.flickerRate(), 0.0);
        perform(panes.session, otherPane, {PlayerCommand::FlickNow});
        QVERIFY(comparison.look().flickerShowsSecond);

        // A zoom made in the view goes with it; the link goes as it came, and so does the look.
        asker.setView({2, 0.1, 0.1});
        other.setView({2, 0.1, 0.1});
        perform(panes.session, otherPane, {PlayerCommand::Leave});
        QVERIFY(!comparison.isShown() && !panes.session.link().isLinked());
        QCOMPARE(asker.view(), zoomed);
        QCOMPARE(other.view(), ViewZoom{});
        QCOMPARE(comparison.look().mode, ComparisonLook::Divider);
        QCOMPARE(comparison.look().gain, 1);

        // Entered while linked, the link stays when it is left; a pane that goes is forgotten.
        panes.session.link().setLinked(true);
        perform(panes.session, otherPane, {PlayerCommand::ToggleWipeView});
        perform(panes.session, asking, {PlayerCommand::ToggleWipeView});
        QVERIFY(panes.session.link().isLinked());
        {
            FakeEngine third;
            panes.session.add(&third);
        }
        QCOMPARE(panes.session.link().targetsOf(&panes.left).size(), 2);
        QCOMPARE(panes.session.paneCount(), 2);
    }

    void measuringFromEitherPaneKeepsItsFiguresUntilAFileOrTheOffsetChanges_data()
    {
        askedInEitherPane();
    }
    void measuringFromEitherPaneKeepsItsFiguresUntilAFileOrTheOffsetChanges()
    {
        QFETCH(int, pane);
        const int asking = pane;
        QTemporaryDir folder;
        TwoPanes panes;
        panes.left.fileName = folder.filePath("first.y4m");
        panes.right.fileName = folder.filePath("second.y4m");
        writeClip(panes.left.fileName, 5, 60);
        writeClip(panes.right.fileName, 5, 70);
        panes.left.reportPaused(0);
        panes.right.reportPaused(0);
        Comparison& comparison = panes.comparison();
        QSignalSpy measured(&comparison, &Comparison::measured);

        // Asked for in a pane, measuring shows the view first, from that pane.
        perform(panes.session, asking, {PlayerCommand::MeasureDifference});
        QVERIFY(comparison.isShown() && comparison.isMeasuring());
        QVERIFY(measured.wait(5000));
        QCOMPARE(measured[0][0].value<Comparison::Measured>(), Comparison::Measured::Complete);
        QCOMPARE(comparison.results().size(), 5);
        QVERIFY(comparison.results().first().psnr < 30); // ten levels apart in every pixel

        // The figures stay when the view goes and comes back, and can be copied from the other
        // pane.
        perform(panes.session, 1 - asking, {PlayerCommand::ToggleWipeView});
        perform(panes.session, asking, {PlayerCommand::ToggleWipeView});
        QCOMPARE(comparison.results().size(), 5);
        QSignalSpy copied(&comparison, &Comparison::measurementsCopied);
        perform(panes.session, 1 - asking, {PlayerCommand::CopyMeasurements});
        QCOMPARE(copied.count(), 1);
        QCOMPARE(copied[0][0].toString(), measurementsAsCsv(comparison.results()));

        // Another offset makes them wrong: they go.
        QSignalSpy changed(&comparison, &Comparison::measuringChanged);
        panes.session.link().moveAlone(&panes.right, 0.5);
        QVERIFY(comparison.results().isEmpty());
        QCOMPARE(changed.count(), 1);

        // Asked again, and a new file in either pane while it runs: stopped, nothing kept.
        panes.session.link().resetOffset();
        perform(panes.session, 1 - asking, {PlayerCommand::MeasureDifference});
        QVERIFY(comparison.isMeasuring());
        emit(asking == 0 ? panes.right : panes.left).loadStarted(false);
        QVERIFY(!comparison.isMeasuring() && comparison.results().isEmpty());
        // Asked again while it runs, it stops and says so.
        perform(panes.session, asking, {PlayerCommand::MeasureDifference});
        perform(panes.session, 1 - asking, {PlayerCommand::MeasureDifference});
        QVERIFY(!comparison.isMeasuring());
        QCOMPARE(measured.last()[0].value<Comparison::Measured>(), Comparison::Measured::Stopped);
        // A file that cannot be read is said to be one.
        panes.right.fileName = folder.filePath("missing.y4m");
        perform(panes.session, asking, {PlayerCommand::MeasureDifference});
        QVERIFY(measured.wait(5000));
        QCOMPARE(measured.last()[0].value<Comparison::Measured>(),
                 Comparison::Measured::Unreadable);
    }

    void theMeasurementsReadAsAFixedCsv()
    {
        // An unequal pair and an equal one: the PSNR average is that of their mean squared
        // error (half of 30.5 dB's), and the equal pair is counted.
        // Each plane's too; a grey picture has no chroma planes to measure.
        const double inf = std::numeric_limits<double>::infinity();
        const double none = QualitySample::kNone;
        const QList<QualitySample> samples{
            {0, 0.0, 30.5, 0.9, {30.5, none, none}, {0.9, none, none}, 0.02},
            {1, 0.04, inf, 1.0, {inf, none, none}, {1.0, none, none}, 0}};
        QCOMPARE(measurementsAsCsv(samples),
                 QString("frame,time,psnr,ssim,psnr_y,psnr_u,psnr_v,ssim_y,ssim_u,ssim_v,msad\n"
                         "0,0.000,30.50,0.900000,30.50,,,0.900000,,,0.020000\n"
                         "1,0.040,inf,1.000000,inf,,,1.000000,,,0.000000\n"
                         "# SSIM 0.950000 on average, worst 0.900000 at frame 0 (0.000 s)\n"
                         "# PSNR 33.51 dB on average (of the mean squared error), 30.50 dB at "
                         "the worst frame\n"
                         "# Y: PSNR 33.51 dB; SSIM 0.950000; MSAD 0.010000 on average\n"
                         "# 2 frame pairs compared, 1 of them identical, over 0.080 s\n"));
    }

    void thePixelNoteGivesTheRightsDifferenceFromTheLeft()
    {
        // Right minus left, each sign as it is, the 8-bit code values at the 10-bit depth.
        PixelInspector::Report report;
        report.panes[0] = PixelValues{4, 2, 8, 100, 110, 120, 200, 50, 60};
        report.panes[1] = PixelValues{4, 2, 10, 404, 436, 488, 180, 70, 60};
        QCOMPARE(pixelReportText(report),
                 QString("Left (4, 2)  R 200 G 50 B 60  Y 100 Cb 110 Cr 120 (8-bit)\n"
                         "Right (4, 2)  R 180 G 70 B 60  Y 404 Cb 436 Cr 488 (10-bit)\n"
                         "Right \u2212 left  R -20 G 20 B 0  Y 4 Cb -4 Cr 8"));
    }

    void aPassageIsLoopedInBothAtTheirOwnMomentsAndOneSideIsHeard()
    {
        TwoPanes panes;
        FakeEngine& left = panes.left;
        FakeEngine& right = panes.right;
        Session& pair = panes.session;
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

        // One side heard, asked in either pane: the other silenced until both are heard again.
        Comparison& comparison = pair.comparison();
        QSignalSpy heard(&comparison, &Comparison::heardChanged);
        perform(pair, 0, {PlayerCommand::HearPane, 1});
        QVERIFY(left.isSilenced() && !right.isSilenced());
        perform(pair, 1, {PlayerCommand::HearPane, 0});
        QVERIFY(!left.isSilenced() && right.isSilenced());
        perform(pair, 1, {PlayerCommand::HearPane, -1});
        QVERIFY(!left.isSilenced() && !right.isSilenced());
        QCOMPARE(heard.count(), 3);
        // Nothing to compare without both files: said at once, nothing changed.
        QSignalSpy aligned(&comparison, &Comparison::alignmentFinished);
        right.reportIdle();
        perform(pair, 1, {PlayerCommand::AlignBySound});
        QCOMPARE(aligned.count(), 1);
        QCOMPARE(aligned[0][0].value<Comparison::Aligned>(), Comparison::Aligned::NothingToCompare);
        QVERIFY(!comparison.isAligning());
        // Aligning under way stops when a file changes, and Esc in either pane stops it.
        right.reportPaused(0);
        QSignalSpy cancelled(&comparison, &Comparison::alignmentCancelled);
        perform(pair, 1, {PlayerCommand::AlignByPicture});
        QVERIFY(comparison.isAligning());
        emit left.loadStarted(false);
        QVERIFY(!comparison.isAligning());
        perform(pair, 0, {PlayerCommand::AlignBySound});
        perform(pair, 1, {PlayerCommand::Leave});
        QVERIFY(!comparison.isAligning());
        QCOMPARE(cancelled.count(), 2);
    }

    void takesThatDriftStayTogetherAtTheirOwnPace()
    {
        // The follower runs 0.95904 of its seconds to one of the lead's (a film at 25 frames a
        // second against its 23.976 transfer), half a second on at the start.
        const double pace = 23.976 / 25;
        SteppingEngine lead(40, 30);
        SteppingEngine follower(38.36, 30);
        Panes panes;
        PlayerLink link{panes};
        panes.add(&lead);
        panes.add(&follower);
        lead.reportPaused(0);
        follower.reportPaused(0);
        link.linkWithDrift(&follower, 0.5, pace, &lead);
        QCOMPARE(link.rateOf(&follower), pace);
        QVERIFY(qAbs(link.rateOf(&lead) - 1 / pace) < 1e-12);
        QVERIFY(qAbs(link.offsetOf(&follower) - 0.5) < 1e-12);
        const auto seekTarget = [](FakeEngine& engine) {
            const QStringList commands = engine.takeCommands();
            return commands.isEmpty() ? -1.0 : commands.constLast().section(' ', 1, 1).toDouble();
        };
        lead.takeCommands();
        follower.takeCommands();

        // Seeks from either pane map the moment through the pace and the offset.
        transport::seekTo(link.targetsOf(&lead), 30.0);
        QVERIFY(qAbs(seekTarget(follower) - transport::frameShowingAt(follower, 30 * pace + 0.5)) <
                1e-4);
        transport::seekTo(link.targetsOf(&follower), 20.0);
        QVERIFY(qAbs(seekTarget(lead) - transport::frameShowingAt(lead, (20 - 0.5) / pace)) < 1e-4);
        // A passage marked in the lead is the same moments in the follower.
        transport::setPassage(link.targetsOf(&lead), Passage{10, 20});
        QVERIFY(qAbs(follower.passage()->start - (10 * pace + 0.5)) < 1e-9);
        QVERIFY(qAbs(follower.passage()->end - (20 * pace + 0.5)) < 1e-9);

        // Playing, the follower goes at the pace, and is nudged from there when behind.
        lead.reportPlaying(30);
        follower.reportPlaying(30 * pace + 0.5);
        link.keepInStep();
        QVERIFY(qAbs(follower.nudge - pace) < 1e-9);
        follower.reportPlaying(30 * pace + 0.5 - 0.03);
        link.keepInStep();
        QVERIFY(qAbs(follower.nudge - pace * 1.03) < 1e-9);
        QCOMPARE(lead.nudge, 1.0);

        // Moved alone, the follower keeps its pace with a new offset; Reset Offset ends both.
        link.moveAlone(&follower, 30 * pace + 1.5);
        QVERIFY(qAbs(link.offsetOf(&follower) - 1.5) < 1e-9);
        QCOMPARE(link.rateOf(&follower), pace);
        link.resetOffset();
        QCOMPARE(link.rateOf(&follower), 1.0);
        QCOMPARE(link.offsetOf(&follower), 0.0);
        follower.reportPlaying(30);
        link.keepInStep();
        QCOMPARE(follower.nudge, 1.0);
    }
};

QTEST_MAIN(TestSession)
#include "test_session.moc"
