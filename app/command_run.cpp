#include "app/command_run.h"

#include "platform/staged_file.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace tandemo {

namespace {

// A stop is passed from its handler to the event loop through a pipe: the handler may do
// nothing else safely.
int g_interruptPipe[2] = {-1, -1};

void onInterrupt(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_interruptPipe[1], &byte, 1);
}

/// The results are written out in full, or the command failed.
int withResultsWritten(int status)
{
    if (status == kInterrupted || status == kCannot)
        return status;
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        complain(QStringLiteral("cannot write the results: %1")
                     .arg(QString::fromLocal8Bit(strerror(errno ? errno : EIO))));
        return kCannot;
    }
    return status;
}

} // namespace

void complain(const QString& message)
{
    std::fprintf(stderr, "tandemo: %s\n", qPrintable(message));
}

CommandRun::CommandRun(const char* what, std::function<void()> cancel)
    : m_what(what)
    , m_cancel(std::move(cancel))
    , m_showsProgress(::isatty(STDERR_FILENO))
{
    if (g_interruptPipe[0] < 0 && ::pipe2(g_interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* interrupt = new QSocketNotifier(g_interruptPipe[0], QSocketNotifier::Read, &m_context);
    QObject::connect(interrupt, &QSocketNotifier::activated, &m_context, [this] {
        m_cancel();
        clearProgress();
        complain("stopped");
        end(kInterrupted);
    });
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, onInterrupt);
}

CommandRun::~CommandRun()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, SIG_DFL);
}

void CommandRun::show(double share)
{
    if (m_showsProgress)
        std::fprintf(stderr, "\r%s: %3d %%", m_what, int(share * 100));
}

void CommandRun::clearProgress()
{
    if (m_showsProgress)
        std::fputs("\r\033[K", stderr);
}

void CommandRun::end(int status)
{
    clearProgress();
    QCoreApplication::exit(status);
}

int CommandRun::exec(const std::function<void()>& start)
{
    start();
    const int status = QCoreApplication::exec();
    // What a stopped export had written goes, even while its thread is still on its way out.
    if (status == kInterrupted)
        removeAllStagedNow();
    return withResultsWritten(status);
}

} // namespace tandemo
