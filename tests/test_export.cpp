// Exporting the comparison as a video: its frames against what the panes and the wipe view show,
// asked for from either pane's menu; and what goes wrong losing nothing (a name that is taken, a
// full disk, an export stopped half-way).
#include "analysis/background_run.h"
#include "analysis/decoded_picture.h"
#include "analysis/frame_times.h"
#include "analysis/video_writer.h"
#include "playback/transport_bar.h"
#include "session/file_pane.h"
#include "session/perform.h"
#include "session/session.h"
#include "support/either_pane.h"
#include "support/linked_window.h"
#include "support/wipe_testing.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstring>

#include <sys/resource.h>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

using Outcome = ComparisonExport::Outcome;

/// The colour of an exported video's frame at a moment, at a point of its picture.
QColor exportedAt(const QString& file, double seconds, QPointF point, QSize size)
{
    const std::atomic_bool never{false};
    const auto picture = DecodedPicture::read(file, seconds, never);
    if (!picture || picture->shownSize() != size)
        return {};
    const auto values =
        picture->valuesAt({point.x() / size.width(), point.y() / size.height()}, false);
    return values ? QColor(values->red, values->green, values->blue) : QColor();
}

/// Waits for the comparison's export to end; how it ended and what it said.
std::pair<Outcome, QString> endOf(QSignalSpy& finished)
{
    if (finished.isEmpty() && !finished.wait(kPlayerTimeoutMs))
        return {Outcome::Failed, "no end"};
    const QVariantList ending = finished.takeFirst();
    return {ending[0].value<Outcome>(), ending[1].toString()};
}

/// Two panes that hold files, with no screen, as the command line has them.
struct FileSession {
    FileSession(const QString& firstClip, const QString& secondClip)
        : first(mediaPath(firstClip))
        , second(mediaPath(secondClip))
    {
        session.add(&first);
        session.add(&second);
    }
    Session session;
    FilePane first;
    FilePane second;
};

} // namespace

class TestExport : public QObject {
    Q_OBJECT

private slots:
    void theExportShowsWhatTheViewShows_data() { askedInEitherPane(); }
    void theExportShowsWhatTheViewShows()
    {
        QFETCH(int, pane);
        QTemporaryDir folder;
        Window window;
        VideoPlayer& asking = pane == 0 ? window.left() : window.right();
        Comparison& comparison = window.components.session().comparison();
        QSignalSpy finished(&comparison, &Comparison::exportFinished);
        QVERIFY(window.play("red.mp4", "blue.mp4"));
        const auto exportFromTheMenu = [&](const QString& name) {
            const std::unique_ptr<QMenu> menu = asking.createContextMenu();
            for (QAction* action : menu->actions()) {
                if (action->text().startsWith("Export Comparison"))
                    action->trigger();
            }
            auto* dialog = asking.findChild<QFileDialog*>("exportComparison");
            if (!dialog)
                return false;
            dialog->setOption(QFileDialog::DontUseNativeDialog);
            dialog->selectFile(folder.filePath(name));
            static_cast<QDialog*>(dialog)->accept(); // as its Save button does
            return true;
        };

        // Side by side, named after the files: red beside blue, as the panes show them.
        QVERIFY(exportFromTheMenu("side.mp4"));
        const auto [outcome, file] = endOf(finished);
        QCOMPARE(outcome, Outcome::Done);
        QCOMPARE(file, folder.filePath("side.mp4"));
        // Where it went, in full: over the picture where the bar is too narrow for it.
        const QString said = "Exported to " + folder.filePath("side.mp4");
        QTRY_COMPARE_WITH_TIMEOUT(asking.transportBar().status(), said, kPlayerTimeoutMs);
        const auto* note = asking.videoSurface().widget()->findChild<QLabel*>("pictureNote");
        QVERIFY(note && note->isVisible() && note->text() == said);
        const QSize sideBySide(320, 120);
        const QImage leftPane = window.left().videoSurface().grabFrame();
        const QImage rightPane = window.right().videoSurface().grabFrame();
        // Near the picture's foot, below the note (the clips are of one colour).
        const auto nearTheFoot = [](const QImage& pane) {
            const QRectF video = videoRect(pane.size(), {160, 120});
            return pane.pixelColor(int(video.center().x()), int(video.bottom()) - 4);
        };
        const QColor shownLeft = nearTheFoot(leftPane);
        const QColor shownRight = nearTheFoot(rightPane);
        QVERIFY(colourDistance(shownLeft, Qt::red) <= 16);
        QVERIFY(colourDistance(exportedAt(file, 1.5, {80, 80}, sideBySide), shownLeft) <= 16);
        QVERIFY(colourDistance(exportedAt(file, 1.5, {240, 80}, sideBySide), shownRight) <= 16);
        // Each name on a translucent black box (a third of the colour shows through) at the
        // top left of its picture.
        const auto throughTheBox = [](QColor shown) {
            return QColor(shown.red() / 3, shown.green() / 3, shown.blue() / 3);
        };
        QVERIFY(colourDistance(exportedAt(file, 1.5, {8, 8}, sideBySide),
                               throughTheBox(shownLeft)) <= 16);
        QVERIFY(colourDistance(exportedAt(file, 1.5, {168, 8}, sideBySide),
                               throughTheBox(shownRight)) <= 16);

        // The wipe view's difference: the exported picture is the view's.
        QTest::keyClick(&asking, Qt::Key_W);
        perform(asking.actions(), {PlayerCommand::SetWipeMode, 1});
        QVERIFY(window.pauseBoth());
        QVERIFY(exportFromTheMenu("difference.mp4"));
        const auto [differenceOutcome, difference] = endOf(finished);
        QCOMPARE(differenceOutcome, Outcome::Done);
        for (const QPointF point : {QPointF(40, 90), QPointF(120, 100)}) {
            const QColor shown = shownAt(*window.components.wipeView(), {160, 120}, point);
            QVERIFY(colourDistance(shown, QColor(255, 128, 255)) <= 16);
            QVERIFY(colourDistance(exportedAt(difference, 1.0, point, {160, 120}), shown) <= 16);
        }
    }

    void whatGoesWrongLeavesNothingBehind()
    {
        QTemporaryDir folder;
        const auto files = [&] {
            return QDir(folder.path())
                .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
        };
        FileSession pair("large.avi", "large.avi");
        Comparison& comparison = pair.session.comparison();
        QSignalSpy finished(&comparison, &Comparison::exportFinished);

        // A name that is taken: refused, the file as it was.
        QFile taken(folder.filePath("taken.mp4"));
        QVERIFY(taken.open(QIODevice::WriteOnly) && taken.write("mine") == 4);
        taken.close();
        comparison.exportTo(ExportLayout::SideBySide, taken.fileName());
        auto [outcome, detail] = endOf(finished);
        QCOMPARE(outcome, Outcome::Failed);
        QVERIFY2(detail.contains("is there already"), qPrintable(detail));
        QVERIFY(taken.open(QIODevice::ReadOnly) && taken.readAll() == "mine");
        taken.close();

        // Stopped half-way: nothing of it stays.
        QSignalSpy progress(&comparison, &Comparison::exportProgressed);
        comparison.exportTo(ExportLayout::Wipe, folder.filePath("stopped.mp4"));
        QVERIFY(QTest::qWaitFor([&] { return !progress.isEmpty(); }, kPlayerTimeoutMs));
        QVERIFY(comparison.isExporting());
        comparison.cancelExport();
        std::tie(outcome, detail) = endOf(finished);
        QCOMPARE(outcome, Outcome::Stopped);
        QTRY_COMPARE_WITH_TIMEOUT(files(), QStringList{"taken.mp4"}, kPlayerTimeoutMs);

        // A file put at the name while the export is written stays as it was put there.
        const QString planted = folder.filePath("planted.mp4");
        progress.clear();
        comparison.exportTo(ExportLayout::Wipe, planted);
        QVERIFY(QTest::qWaitFor([&] { return !progress.isEmpty(); }, kPlayerTimeoutMs));
        QFile plant(planted);
        QVERIFY(plant.open(QIODevice::WriteOnly) && plant.write("theirs") == 6);
        plant.close();
        std::tie(outcome, detail) = endOf(finished);
        QCOMPARE(outcome, Outcome::Failed);
        QVERIFY2(detail.contains("taken meanwhile"), qPrintable(detail));
        QVERIFY(plant.open(QIODevice::ReadOnly) && plant.readAll() == "theirs");
        plant.close();
        QVERIFY(QFile::remove(planted));

        // A disk that fills up (files may grow to 8 KiB here): a failure, and nothing left.
        FileSession patterns("pattern.mp4", "pattern-low.mp4");
        Comparison& other = patterns.session.comparison();
        QSignalSpy otherFinished(&other, &Comparison::exportFinished);
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        const auto restore = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &before); });
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = before;
        small.rlim_cur = 8 * 1024;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        other.exportTo(ExportLayout::Difference, folder.filePath("full.mp4"));
        std::tie(outcome, detail) = endOf(otherFinished);
        QCOMPARE(outcome, Outcome::Failed);
        qInfo("%s", qPrintable(detail));
        QCOMPARE(files(), QStringList{"taken.mp4"});
    }

    void anExportLargerThanPlayersDecodeIsScaledToFit()
    {
        // Two 8K pictures side by side: written at 8K UHD's width, in their proportions.
        QTemporaryDir folder;
        const QString file = folder.filePath("wide.mp4");
        VideoWriter writer(file, QSize(13440, 4320), 25, 0);
        QVERIFY2(writer.isOpen(), qPrintable(writer.error()));
        QCOMPARE(writer.encodedSize(), QSize(8192, 2632));
        const LibavFrame picture = newPicture(13440, 4320, AV_PIX_FMT_YUV420P);
        QVERIFY(picture);
        for (int plane = 0; plane < 3; ++plane) {
            const int rows = plane == 0 ? 4320 : 2160;
            std::memset(picture->data[plane],
                        plane == 0   ? 81
                        : plane == 1 ? 90
                                     : 240,
                        std::size_t(picture->linesize[plane]) * std::size_t(rows));
        }
        QVERIFY(writer.writePicture(*picture) && writer.finish());
        const std::atomic_bool never{false};
        const auto written = DecodedPicture::read(file, 0, never);
        QVERIFY(written && written->shownSize() == QSize(8192, 2632));
        const PixelValues red = written->valuesAt({0.5, 0.5}, false).value();
        QVERIFY2(red.red > 200 && red.green < 40 && red.blue < 40,
                 qPrintable(QString::number(red.red)));
    }

    void aNewFileGetsItsFrameTimesWhileLongWorkRuns()
    {
        // Exports and measurements fill every thread long work has (here they are held there
        // until the end): a newly opened file's frame times are read all the same, and so its
        // facts get their frame numbers.
        // Shared with the work, which may outlive this function by a few milliseconds.
        auto release = std::make_shared<std::atomic_bool>(false);
        auto running = std::make_shared<std::atomic_int>(0);
        std::vector<std::unique_ptr<BackgroundRun<bool>>> busy;
        const int threads = workPool(WorkLength::Long).maxThreadCount();
        for (int i = 0; i < threads; ++i) {
            busy.push_back(std::make_unique<BackgroundRun<bool>>(
                WorkLength::Long, [](double) {}, [](std::optional<bool>) {}));
            busy.back()->start([release, running](const std::atomic_bool&, const auto&) {
                ++*running;
                while (!*release)
                    QThread::msleep(5);
                return std::optional<bool>(true);
            });
        }
        const auto releaseAll = qScopeGuard([release] { *release = true; });
        QTRY_COMPARE_WITH_TIMEOUT(running->load(), threads, kPlayerTimeoutMs);
        FrameTimesReader reader;
        reader.read(RegularFile::open(mediaPath("count-25.mp4")));
        QTRY_COMPARE_WITH_TIMEOUT(reader.times().count(), 150, kPlayerTimeoutMs);
    }
};

QTEST_MAIN(TestExport)
#include "test_export.moc"
