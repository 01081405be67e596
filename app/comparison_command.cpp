#include "app/comparison_command.h"

#include "analysis/libav_handles.h"
#include "analysis/sound_reader.h"
#include "analysis/video_decoder.h"
#include "app/command_run.h"
#include "platform/file_names.h"
#include "platform/new_file.h"
#include "platform/regular_file.h"
#include "session/file_pane.h"
#include "session/perform.h"
#include "session/session.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace tandemo {

namespace {

/// Why the CSV cannot be written, with the way round a file that is there.
void complainOfCsv(const QString& why)
{
    complain(why + (why.endsWith(QLatin1String("there already")) ? " (--force replaces it)" : ""));
}

/// A command prints its own words: Qt's warnings about the session it runs in (no runtime
/// folder, no display) are no news to a script.
void onlyCriticalMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "tandemo: %s\n", qPrintable(message));
}

/// Why a file cannot be compared, or nothing when it can be opened for reading.
QString unreadable(const QString& path)
{
    const RegularFile file = RegularFile::open(path);
    if (file.isOpen())
        return {};
    const QString reason = file.wasNotAFile() ? QStringLiteral("not a regular file")
                                              : QString::fromLocal8Bit(strerror(file.openError()));
    return QStringLiteral("cannot read %1: %2").arg(printableName(path), reason);
}

/// Which of the files has no video (or sound) that can be decoded, and what it lacks.
QString lacking(const QStringList& files, bool sound)
{
    const std::atomic_bool never{false};
    QStringList without;
    for (const QString& file : files) {
        const bool has = sound ? readSound(file, 0, 0.5, 8000, never).has_value()
                               : VideoDecoder(file, never, VideoDecoder::Detail::Rough).isOpen();
        if (!has)
            without << printableName(file);
    }
    if (without.isEmpty())
        return {};
    return QStringLiteral("%1 has no %2 that can be decoded")
        .arg(without.join(QStringLiteral(" and ")), sound ? "sound" : "video");
}

int measure(Session& session, const CommandLine& line)
{
    Comparison& comparison = session.comparison();
    CommandRun run("Measuring", [&comparison] {
        if (comparison.isMeasuring())
            comparison.toggleMeasuring();
    });
    run.showProgress(&comparison, &Comparison::measuringProgressed);
    QObject::connect(
        &comparison, &Comparison::measured, &comparison, [&](Comparison::Measured outcome) {
            switch (outcome) {
            case Comparison::Measured::Complete:
                break;
            case Comparison::Measured::NoFrames:
                complain("no frames to compare");
                return run.end(kNothingFound);
            case Comparison::Measured::Unreadable: {
                const QString why = lacking(line.files, false);
                complain(
                    QStringLiteral("cannot measure the difference: %1")
                        .arg(why.isEmpty() ? QStringLiteral("the videos cannot be decoded") : why));
                return run.end(kCannot);
            }
            case Comparison::Measured::Stopped:
                return run.end(kInterrupted);
            }
            const QList<QualitySample>& samples = comparison.results();
            const QByteArray csv = measurementsAsCsv(samples).toUtf8();
            if (line.csvFile == QLatin1String("-")) {
                std::fwrite(csv.constData(), 1, std::size_t(csv.size()), stdout);
            } else if (!line.csvFile.isEmpty()) {
                const QString why = writeNewFile(line.csvFile, csv, line.replaceCsv, line.files);
                if (!why.isEmpty()) {
                    complainOfCsv(why);
                    return run.end(kCannot);
                }
            }
            if (line.csvFile != QLatin1String("-"))
                std::fputs(qPrintable(measurementsSummary(samples)), stdout);
            run.end(kDone);
        });
    return run.exec([&session] { perform(session, 0, {PlayerCommand::MeasureDifference}); });
}

int align(Session& session, const CommandLine& line)
{
    Comparison& comparison = session.comparison();
    const bool byPicture = line.alignBy == "picture";
    CommandRun run("Aligning", [&comparison] { comparison.cancelAlignment(); });
    run.showProgress(&comparison, &Comparison::alignmentProgressed);
    QObject::connect(&comparison, &Comparison::alignmentCancelled, &comparison,
                     [&run] { run.end(kInterrupted); });
    QObject::connect(
        &comparison, &Comparison::alignmentFinished, &comparison,
        [&](Comparison::Aligned outcome, double secondAhead) {
            switch (outcome) {
            case Comparison::Aligned::Done: {
                // No "-0.0000" for a match at the same moment.
                if (std::abs(secondAhead) < 0.00005)
                    secondAhead = 0;
                // Takes that drift apart: and B's seconds to one of A's.
                const double rate = session.link().rateOf(comparison.pane(1));
                if (rate != 1.0)
                    std::printf("%.4f %.5f\n", secondAhead, rate);
                else
                    std::printf("%.4f\n", secondAhead);
                return run.end(kDone);
            }
            case Comparison::Aligned::NoClearMatch:
                std::puts("no clear match");
                return run.end(kNothingFound);
            case Comparison::Aligned::NothingToCompare: {
                const QString why = lacking(line.files, !byPicture);
                complain(QStringLiteral("nothing to align by: %1")
                             .arg(!why.isEmpty() ? why
                                  : byPicture    ? QStringLiteral("too few pictures to compare")
                                                 : QStringLiteral("too little sound to compare")));
                // A file without what is asked for cannot be aligned; one that has too little
                // of it was read, but nothing could be found.
                return run.end(why.isEmpty() ? kNothingFound : kCannot);
            }
            }
        });
    return run.exec([&session, byPicture] {
        perform(session, 0,
                {byPicture ? PlayerCommand::AlignByPicture : PlayerCommand::AlignBySound});
    });
}

int exportComparison(Session& session, const CommandLine& line)
{
    Comparison& comparison = session.comparison();
    CommandRun run("Exporting", [&comparison] { comparison.cancelExport(); });
    run.showProgress(&comparison, &Comparison::exportProgressed);
    QObject::connect(&comparison, &Comparison::exportFinished, &comparison,
                     [&](ComparisonExport::Outcome outcome, const QString& detail) {
                         switch (outcome) {
                         case ComparisonExport::Outcome::Done:
                             std::puts(qPrintable(printableName(detail)));
                             return run.end(kDone);
                         case ComparisonExport::Outcome::Stopped:
                             return run.end(kInterrupted);
                         case ComparisonExport::Outcome::Failed:
                             complain(QStringLiteral("cannot export: %1").arg(detail));
                             return run.end(kCannot);
                         }
                     });
    ExportLayout layout = ExportLayout::SideBySide;
    exportLayoutNamed(line.exportLayout, &layout);
    // Both heard, as the window starts.
    return run.exec([&] { comparison.exportTo(layout, line.exportFile); });
}

} // namespace

int runComparisonCommand(const CommandLine& line, int argc, char* argv[])
{
    if (line.action == CommandLine::Action::BadUsage) {
        complain(line.usageError + " (see tandemo --help)");
        return kCannot;
    }
    for (const QString& file : line.files) {
        if (const QString why = unreadable(file); !why.isEmpty()) {
            complain(why);
            return kCannot;
        }
    }
    if (line.action == CommandLine::Action::Measure && !line.csvFile.isEmpty() &&
        line.csvFile != QLatin1String("-")) {
        if (const QString why = refusalToWrite(line.csvFile, line.replaceCsv, line.files);
            !why.isEmpty()) {
            complainOfCsv(why);
            return kCannot;
        }
    }
    qInstallMessageHandler(onlyCriticalMessages);
    // An export burns the names in with Qt's fonts, which need Qt's GUI, on no display.
    const bool exporting = line.action == CommandLine::Action::Export;
    if (exporting)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app(exporting ? new QGuiApplication(argc, argv)
                                                          : new QCoreApplication(argc, argv));
    // The command says what went wrong in its own words.
    keepLibavQuiet(/*errorsOnly=*/true);
    Session session;
    FilePane first(line.files.value(0));
    FilePane second(line.files.value(1));
    session.add(&first);
    session.add(&second);

    int status = kCannot;
    switch (line.action) {
    case CommandLine::Action::Measure:
        status = measure(session, line);
        break;
    case CommandLine::Action::Export:
        status = exportComparison(session, line);
        break;
    default:
        status = align(session, line);
        break;
    }
    return status;
}

} // namespace tandemo
