#pragma once

#include <QObject>

#include <functional>

namespace tandemo {

/// The exit statuses of a command that needs no screen.
enum CommandStatus : int {
    kDone = 0,
    kNothingFound = 1,
    kCannot = 2,
    kInterrupted = 130,
};

/// Says what went wrong, on standard error, in the program's name.
void complain(const QString& message);

/// Runs the work of one command to its end, the same way for every command: its progress shown
/// on a terminal (a script's log gets no carriage returns), Ctrl-C, a stop or a lost terminal
/// cancelling it (and removing what it had written), and its results written out in full or
/// the command failed. Needs the application object; one at a time.
class CommandRun {
public:
    /// `what` is shown before the progress ("Measuring"); `cancel` stops the work under way,
    /// which then reports as it ends.
    CommandRun(const char* what, std::function<void()> cancel);
    ~CommandRun();
    CommandRun(const CommandRun&) = delete;
    CommandRun& operator=(const CommandRun&) = delete;

    /// Shows the share done as `sender` tells it with `progressed(double)`.
    template <typename Sender, typename Signal>
    void showProgress(const Sender* sender, Signal progressed)
    {
        QObject::connect(sender, progressed, sender, [this](double share) { show(share); });
    }
    /// The work ended: the command returns `status`.
    void end(int status);
    /// Starts the work and returns the command's status once it has ended.
    int exec(const std::function<void()>& start);

private:
    void show(double share);
    void clearProgress();

    const char* m_what;
    std::function<void()> m_cancel;
    bool m_showsProgress;
    QObject m_context;
};

} // namespace tandemo
