#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace tandemo::testing {

/// How a run of the program ended: its exit status (-1: it did not end, or died of a signal)
/// and what it wrote.
struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

/// The program's environment with no display of any kind to reach.
inline QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    return environment;
}

/// Waits for a started program and collects how it ended.
inline Outcome outcomeOf(QProcess& program)
{
    if (!program.waitForFinished(120000) || program.exitStatus() != QProcess::NormalExit)
        return {};
    return {program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
            QString::fromUtf8(program.readAllStandardError())};
}

/// Runs the program with no display of any kind to reach.
inline Outcome run(const QStringList& arguments)
{
    QProcess program;
    program.setProcessEnvironment(withoutDisplay());
    program.start(TANDEMO_PROGRAM, arguments);
    return outcomeOf(program);
}

} // namespace tandemo::testing
