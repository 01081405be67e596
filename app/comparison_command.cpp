#include "app/comparison_command.h"

#include "analysis/libav_handles.h"
#include "analysis/sound_reader.h"
#include "analysis/video_decoder.h"
#include "app/command_run.h"
#include "app/each_rendition.h"
#include "platform/file_names.h"
#include "platform/new_file.h"
#include "platform/regular_file.h"
#include "session/file_pane.h"
#include "session/perform.h"
#include "session/session.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>

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

void print(const QByteArray& text)
{
    std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
}

/// Each rendition at the offset and pace given (or found), the one showing linked so.
void alignAll(Session& session, const CommandLine& line,
              const QList<RenditionAlignment>& found = {})
{
    const int count = int(line.files.size()) - 1;
    for (int i = 0; i < count; ++i) {
        const RenditionAlignment each =
            found.value(i, {Comparison::Aligned::Done, line.offset, line.pace, {}});
        session.renditions().setAlignment(1, i, {each.offset, each.rate});
    }
    session.link().setLinked(false);
    session.renditions().show(1, 0);
    const Renditions::Alignment first = session.renditions().alignmentOf(1, 0);
    session.link().linkWithDrift(session.comparison().pane(1), first.offset, first.rate, nullptr);
}

/// Prints each rendition's figures (as a summary, a line of JSON, or CSV) and returns the status:
/// 0 when every one was measured, 1 when one had no frames to compare or could not be aligned,
/// 2 when one could not be decoded or the CSV not written.
int reportMeasurements(Session& session, const CommandLine& line,
                       const QList<RenditionAlignment>& aligned)
{
    const QList<RenditionMeasurement>& results = session.comparison().allResults();
    const bool several = results.size() > 1;
    int status = kDone;
    QString summaries;
    for (int i = 0; i < results.size(); ++i) {
        const RenditionMeasurement& result = results[i];
        const QString name = printableName(line.files.value(i + 1));
        const Renditions::Alignment alignment = session.renditions().alignmentOf(1, i);
        if (i < aligned.size() && aligned[i].outcome != Comparison::Aligned::Done) {
            complain(QStringLiteral("%1: cannot be aligned: %2").arg(name, aligned[i].why));
            status = std::max(status, int(kNothingFound));
            continue;
        }
        if (line.json) {
            // Named as given, not as the file held open while it was measured.
            RenditionMeasurement named = result;
            named.path = line.files.value(i + 1);
            print(measurementAsJson(line.files.value(0), named, alignment.offset, alignment.rate) +
                  '\n');
        }
        if (!result.compared) {
            complain(QStringLiteral("%1: cannot measure the difference: %2").arg(name, result.why));
            status = kCannot;
        } else if (result.samples.isEmpty()) {
            complain(QStringLiteral("%1: no frames to compare").arg(name));
            status = std::max(status, int(kNothingFound));
        } else if (several) {
            summaries += name + ":\n";
            for (const QString& text :
                 measurementsSummary(result.samples).split('\n', Qt::SkipEmptyParts))
                summaries += QStringLiteral("  ") + text + u'\n';
        } else {
            summaries += measurementsSummary(result.samples);
        }
    }
    if (!line.csvFile.isEmpty()) {
        const QByteArray csv =
            (several ? measurementsAsCsv(results) : measurementsAsCsv(results.value(0).samples))
                .toUtf8();
        if (line.csvFile == QLatin1String("-")) {
            print(csv);
        } else if (const QString why = writeNewFile(line.csvFile, csv, line.replaceCsv, line.files);
                   !why.isEmpty()) {
            complainOfCsv(why);
            return kCannot;
        }
    }
    if (!line.json && line.csvFile != QLatin1String("-"))
        print(summaries.toUtf8());
    return status;
}

int measure(Session& session, const CommandLine& line)
{
    Comparison& comparison = session.comparison();
    CommandRun run("Measuring", [&comparison] {
        if (comparison.isMeasuring())
            comparison.toggleMeasuring();
        comparison.cancelAlignment();
    });
    run.showProgress(&comparison, &Comparison::measuringProgressed);
    QList<RenditionAlignment> aligned;
    QObject::connect(
        &comparison, &Comparison::measured, &comparison, [&](Comparison::Measured outcome) {
            if (outcome == Comparison::Measured::Stopped)
                return run.end(kInterrupted);
            if (comparison.allResults().isEmpty()) {
                const QString why = lacking(line.files.mid(0, 1), false);
                complain(
                    QStringLiteral("cannot measure the difference: %1")
                        .arg(why.isEmpty() ? QStringLiteral("the videos cannot be decoded") : why));
                return run.end(kCannot);
            }
            run.end(reportMeasurements(session, line, aligned));
        });
    const auto start = [&session] { perform(session, 0, {PlayerCommand::MeasureDifference}); };
    if (line.alignFirstBy.isEmpty()) {
        alignAll(session, line);
        return run.exec(start);
    }
    return run.exec([&] {
        alignEachRendition(session, line, run, [&, start](const QList<RenditionAlignment>& found) {
            aligned = found;
            alignAll(session, line, found);
            start();
        });
    });
}

int align(Session& session, const CommandLine& line)
{
    Comparison& comparison = session.comparison();
    CommandRun run("Aligning", [&comparison] { comparison.cancelAlignment(); });
    run.showProgress(&comparison, &Comparison::alignmentProgressed);
    const bool several = line.files.size() > 2;
    return run.exec([&] {
        alignEachRendition(session, line, run, [&](const QList<RenditionAlignment>& found) {
            int status = kDone;
            for (int i = 0; i < found.size(); ++i) {
                const RenditionAlignment& each = found[i];
                const QString file = line.files.value(i + 1);
                const bool done = each.outcome == Comparison::Aligned::Done;
                const bool cannot = each.outcome == Comparison::Aligned::NothingToCompare;
                if (!done)
                    status = std::max(status, int(cannot ? kCannot : kNothingFound));
                if (line.json) {
                    QJsonObject object{{"reference", line.files.value(0)}, {"file", file}};
                    if (done) {
                        object.insert("offset", each.offset);
                        object.insert("pace", each.rate);
                    } else {
                        object.insert("error", each.why);
                    }
                    print(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
                    continue;
                }
                if (cannot || (!done && each.why != QLatin1String("no clear match"))) {
                    complain(QStringLiteral("%1nothing to align by: %2")
                                 .arg(several ? printableName(file) + ": " : QString(), each.why));
                    continue;
                }
                // Takes that drift apart: and the rendition's seconds to one of the reference's.
                const QByteArray figures =
                    !done ? QByteArray("no clear match")
                    : each.rate != 1.0
                        ? QString::asprintf("%.4f %.5f", each.offset, each.rate).toUtf8()
                        : QString::asprintf("%.4f", each.offset).toUtf8();
                print((several ? printableName(file).toUtf8() + ": " : QByteArray()) + figures +
                      '\n');
            }
            run.end(status);
        });
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
    const auto start = [&comparison, layout, &line] {
        comparison.exportTo(layout, line.exportFile);
    };
    if (line.alignFirstBy.isEmpty()) {
        alignAll(session, line);
        return run.exec(start);
    }
    return run.exec([&] {
        alignEachRendition(session, line, run, [&, start](const QList<RenditionAlignment>& found) {
            if (found.value(0).outcome != Comparison::Aligned::Done) {
                complain(QStringLiteral("cannot be aligned: %1").arg(found.value(0).why));
                return run.end(found.value(0).outcome == Comparison::Aligned::NothingToCompare
                                   ? kCannot
                                   : kNothingFound);
            }
            alignAll(session, line, found);
            start();
        });
    });
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
    // A chain that cannot take a side's pictures is refused before anything is done.
    for (int i = 0; i < line.files.size(); ++i) {
        const QString& chain = i == 0 ? line.leftFilter : line.rightFilter;
        if (const QString why = filterProblem(RegularFile::open(line.files[i]), chain);
            !why.isEmpty()) {
            complain(QStringLiteral("--%1-filter: %2").arg(i == 0 ? "left" : "right", why));
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
    first.setPictureFilter(line.leftFilter);
    second.setPictureFilter(line.rightFilter);
    // HDR videos are compared as they are shown: mapped to the standard range.
    ToneMapping& toneMapping = session.toneMapping();
    toneMapping.setChosenPeak(line.hdrPeak);
    first.setToneMap(toneMapping.chainFor(first.file()));
    second.setToneMap(toneMapping.chainFor(second.file()));
    session.renditions().hold(1, line.files.mid(1));

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
