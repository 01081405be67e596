#include "app/comparison_command.h"

#include "analysis/libav_handles.h"
#include "platform/file_names.h"
#include "platform/regular_file.h"
#include "session/file_pane.h"
#include "session/perform.h"
#include "session/session.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace tandemo {

namespace {

constexpr int kDone = 0;
constexpr int kNothingFound = 1;
constexpr int kCannot = 2;
constexpr int kInterrupted = 130;

// Ctrl-C is passed from its handler to the event loop through a pipe: the handler may do
// nothing else safely.
int g_interruptPipe[2] = {-1, -1};

void onInterrupt(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_interruptPipe[1], &byte, 1);
}

void complain(const QString& message)
{
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

/// Shows how far the work has come, on a terminal only: a script's log gets no carriage returns.
class Progress {
public:
    explicit Progress(const char* what)
        : m_what(what)
        , m_shown(::isatty(STDERR_FILENO))
    {
    }
    void show(double share)
    {
        if (m_shown)
            std::fprintf(stderr, "\r%s: %3d %%", m_what, int(share * 100));
    }
    void end()
    {
        if (m_shown)
            std::fputs("\r\033[K", stderr);
    }

private:
    const char* m_what;
    bool m_shown;
};

int measure(Session& session, const QString& csvFile)
{
    Comparison& comparison = session.comparison();
    Progress progress("Measuring");
    QObject::connect(&comparison, &Comparison::measuringProgressed, qApp,
                     [&progress](double share) { progress.show(share); });
    QObject::connect(&comparison, &Comparison::measured, qApp, [&](Comparison::Measured outcome) {
        progress.end();
        switch (outcome) {
        case Comparison::Measured::Complete:
            break;
        case Comparison::Measured::NoFrames:
            complain("no frames to compare");
            return qApp->exit(kNothingFound);
        case Comparison::Measured::Unreadable:
            complain("cannot measure the difference of these videos");
            return qApp->exit(kCannot);
        case Comparison::Measured::Stopped:
            return qApp->exit(kInterrupted);
        }
        const QList<QualitySample>& samples = comparison.results();
        if (!csvFile.isEmpty()) {
            QFile csv(csvFile);
            if (!csv.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                csv.write(measurementsAsCsv(samples).toUtf8()) < 0 || !csv.flush()) {
                complain(QStringLiteral("cannot write %1: %2")
                             .arg(printableName(csvFile), csv.errorString()));
                return qApp->exit(kCannot);
            }
        }
        std::fputs(qPrintable(measurementsSummary(samples)), stdout);
        qApp->exit(kDone);
    });
    perform(session, 0, {PlayerCommand::MeasureDifference});
    return QCoreApplication::exec();
}

int align(Session& session, const QString& by)
{
    Comparison& comparison = session.comparison();
    Progress progress("Aligning");
    QObject::connect(&comparison, &Comparison::alignmentProgressed, qApp,
                     [&progress](double share) { progress.show(share); });
    QObject::connect(&comparison, &Comparison::alignmentCancelled, qApp,
                     [] { qApp->exit(kInterrupted); });
    QObject::connect(&comparison, &Comparison::alignmentFinished, qApp,
                     [&](Comparison::Aligned outcome, double secondAhead) {
                         progress.end();
                         switch (outcome) {
                         case Comparison::Aligned::Done: {
                             // Takes that drift apart: and B's seconds to one of A's.
                             const double rate = session.link().rateOf(comparison.pane(1));
                             if (rate != 1.0)
                                 std::printf("%.4f %.5f\n", secondAhead, rate);
                             else
                                 std::printf("%.4f\n", secondAhead);
                             return qApp->exit(kDone);
                         }
                         case Comparison::Aligned::NoClearMatch:
                             std::puts("no clear match");
                             return qApp->exit(kNothingFound);
                         case Comparison::Aligned::NothingToCompare:
                             complain(QStringLiteral("nothing to align by: no %1 in both files")
                                          .arg(by == "picture" ? "video" : "sound"));
                             return qApp->exit(kNothingFound);
                         }
                     });
    perform(session, 0,
            {by == "picture" ? PlayerCommand::AlignByPicture : PlayerCommand::AlignBySound});
    return QCoreApplication::exec();
}

int exportComparison(Session& session, const CommandLine& line)
{
    Comparison& comparison = session.comparison();
    Progress progress("Exporting");
    QObject::connect(&comparison, &Comparison::exportProgressed, qApp,
                     [&progress](double share) { progress.show(share); });
    QObject::connect(&comparison, &Comparison::exportFinished, qApp,
                     [&](ComparisonExport::Outcome outcome, const QString& detail) {
                         progress.end();
                         switch (outcome) {
                         case ComparisonExport::Outcome::Done:
                             std::puts(qPrintable(printableName(detail)));
                             return qApp->exit(kDone);
                         case ComparisonExport::Outcome::Stopped:
                             return qApp->exit(kInterrupted);
                         case ComparisonExport::Outcome::Failed:
                             complain(QStringLiteral("cannot export: %1").arg(detail));
                             return qApp->exit(kCannot);
                         }
                     });
    ExportLayout layout = ExportLayout::SideBySide;
    exportLayoutNamed(line.exportLayout, &layout);
    // Both heard, as the window starts.
    comparison.exportTo(layout, line.exportFile);
    return QCoreApplication::exec();
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
    // An export burns the names in with Qt's fonts, which need Qt's GUI, on no display.
    const bool exporting = line.action == CommandLine::Action::Export;
    if (exporting)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app(exporting ? new QGuiApplication(argc, argv)
                                                          : new QCoreApplication(argc, argv));
    keepLibavQuiet();
    Session session;
    FilePane first(line.files.value(0));
    FilePane second(line.files.value(1));
    session.add(&first);
    session.add(&second);

    // Ctrl-C stops the work under way; the event loop then ends as it reports.
    if (::pipe2(g_interruptPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto* interrupt = new QSocketNotifier(g_interruptPipe[0], QSocketNotifier::Read, app.get());
        QObject::connect(interrupt, &QSocketNotifier::activated, app.get(), [&session] {
            Comparison& comparison = session.comparison();
            if (comparison.isMeasuring())
                comparison.toggleMeasuring();
            comparison.cancelAlignment();
            comparison.cancelExport();
            std::fputs("\n", stderr);
            complain("stopped");
            qApp->exit(kInterrupted);
        });
        std::signal(SIGINT, onInterrupt);
        std::signal(SIGTERM, onInterrupt);
    }
    switch (line.action) {
    case CommandLine::Action::Measure:
        return measure(session, line.csvFile);
    case CommandLine::Action::Export:
        return exportComparison(session, line);
    default:
        return align(session, line.alignBy);
    }
}

} // namespace tandemo
