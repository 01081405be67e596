// What the command line writes, and where it must not: the CSV never through a link, over one of
// the videos or over a file that is there (unless told), whole or not at all; results lost on
// standard output are a failure; a stopped export leaves nothing behind.
#include "support/player_testing.h"
#include "support/program_run.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <unistd.h>

using namespace tandemo::testing;

namespace {

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

/// What the program leaves in a folder besides `kept`: partial files, staging folders.
QStringList leftIn(const QString& folder, const QStringList& kept = {})
{
    QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                              QDir::NoDotAndDotDot);
    for (const QString& name : kept)
        left.removeAll(name);
    return left;
}

} // namespace

class TestCommandOutputs : public QObject {
    Q_OBJECT

private:
    const QString a = mediaPath("red.mp4");
    const QString b = mediaPath("blue.mp4");

private slots:
    void theCsvIsNeverWrittenOverOrThroughAnything()
    {
        QTemporaryDir folder;
        const QString there = folder.filePath("there.csv");
        writeFile(there, "keep me");
        // A file that is there stays unless told otherwise; --force replaces it whole.
        Outcome outcome = run({"--measure", a, b, "--csv", there});
        QCOMPARE(outcome.status, 2);
        QVERIFY2(outcome.err.contains("there.csv is there already"), qPrintable(outcome.err));
        QCOMPARE(contentsOf(there), "keep me");
        QCOMPARE(run({"--measure", a, b, "--csv=" + there, "--force"}).status, 0);
        QVERIFY(contentsOf(there).startsWith("frame,time,psnr,ssim,") &&
                contentsOf(there).contains("\n0,0.000,"));

        // A link is never written through, whether its target is there or not.
        const QString target = folder.filePath("target.txt");
        writeFile(target, "the target");
        QVERIFY(QFile::link(target, folder.filePath("link.csv")));
        QVERIFY(QFile::link(folder.filePath("nowhere.txt"), folder.filePath("dangling.csv")));
        for (const QString link : {"link.csv", "dangling.csv"}) {
            outcome = run({"--measure", a, b, "--csv", folder.filePath(link), "--force"});
            QCOMPARE(outcome.status, 2);
            QVERIFY2(outcome.err.contains("is a symbolic link"), qPrintable(outcome.err));
        }
        QCOMPARE(contentsOf(target), "the target");
        QVERIFY(!QFile::exists(folder.filePath("nowhere.txt")));

        // Nor over one of the videos, by any name, even when told to replace.
        const QString copy = folder.filePath("copy.mp4");
        QVERIFY(QFile::copy(b, copy));
        const QString sameFile = folder.filePath("same.csv");
        QCOMPARE(::link(qPrintable(copy), qPrintable(sameFile)), 0); // a second name
        outcome = run({"--measure", a, copy, "--csv", sameFile, "--force"});
        QCOMPARE(outcome.status, 2);
        QVERIFY2(outcome.err.contains("is one of the videos"), qPrintable(outcome.err));
        QCOMPARE(contentsOf(copy), contentsOf(b));

        // "-" is standard output: the CSV there, and no file of that name.
        QTemporaryDir elsewhere;
        QProcess program;
        program.setProcessEnvironment(withoutDisplay());
        program.setWorkingDirectory(elsewhere.path());
        program.start(TANDEMO_PROGRAM, {"--measure", a, b, "--csv", "-"});
        outcome = outcomeOf(program);
        QCOMPARE(outcome.status, 0);
        QVERIFY(outcome.out.startsWith("frame,time,psnr,ssim,"));
        QVERIFY(leftIn(elsewhere.path()).isEmpty());
        QCOMPARE(leftIn(folder.path(), {"there.csv", "target.txt", "link.csv", "dangling.csv",
                                        "copy.mp4", "same.csv"}),
                 QStringList());
    }

    void aFailedWriteLeavesWhatWasThereAndSaysWhy()
    {
        // A file limit stands in for a full disk: the write fails part of the way.
        QTemporaryDir folder;
        const QString there = folder.filePath("there.csv");
        writeFile(there, "keep me");
        QProcess program;
        program.setProcessEnvironment(withoutDisplay());
        program.start("sh", {"-c", "trap '' XFSZ; ulimit -f 1; exec \"$0\" \"$@\"", TANDEMO_PROGRAM,
                             "--measure", mediaPath("steady.mkv"), mediaPath("steady-blip.mkv"),
                             "--csv", there, "--force"});
        const Outcome outcome = outcomeOf(program);
        QCOMPARE(outcome.status, 2);
        QVERIFY2(outcome.err.contains("cannot write") && outcome.err.contains("File too large"),
                 qPrintable(outcome.err));
        QCOMPARE(contentsOf(there), "keep me");
        QCOMPARE(leftIn(folder.path()), QStringList{"there.csv"});
    }

    void resultsLostOnStandardOutputAreAFailure()
    {
        for (const QStringList& arguments :
             {QStringList{"--measure", a, b}, QStringList{"--align", a, a}}) {
            QProcess program;
            program.setProcessEnvironment(withoutDisplay());
            program.setStandardOutputFile("/dev/full");
            program.start(TANDEMO_PROGRAM, arguments);
            const Outcome outcome = outcomeOf(program);
            QCOMPARE(outcome.status, 2);
            QVERIFY2(outcome.err.contains("No space left on device"), qPrintable(outcome.err));
        }
        // Standard output closed altogether.
        QProcess program;
        program.setProcessEnvironment(withoutDisplay());
        program.start("sh", {"-c", "exec \"$0\" \"$@\" >&-", TANDEMO_PROGRAM, "--measure", a, b});
        const Outcome outcome = outcomeOf(program);
        QCOMPARE(outcome.status, 2);
        QVERIFY2(outcome.err.contains("cannot write the results"), qPrintable(outcome.err));
    }

    void aStoppedExportLeavesNothingBehind_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("a lost terminal") << int(SIGHUP);
        QTest::newRow("Ctrl-C") << int(SIGINT);
    }
    void aStoppedExportLeavesNothingBehind()
    {
        QFETCH(int, signal);
        QTemporaryDir folder;
        QProcess program;
        program.setProcessEnvironment(withoutDisplay());
        program.start(TANDEMO_PROGRAM, {"--export", "difference", mediaPath("drift-a.mp4"),
                                        mediaPath("drift-a.mp4"), folder.filePath("out.mp4")});
        QVERIFY(program.waitForStarted());
        // Stopped once it has started writing beside the new file's name.
        QTRY_VERIFY_WITH_TIMEOUT(!leftIn(folder.path()).isEmpty(), 60000);
        ::kill(pid_t(program.processId()), signal);
        const Outcome outcome = outcomeOf(program);
        QCOMPARE(outcome.status, 130);
        QCOMPARE(leftIn(folder.path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCommandOutputs)
#include "test_command_outputs.moc"
