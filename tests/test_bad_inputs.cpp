// Whatever lies on the disk, fed through the real players, adapters and handlers: the program
// keeps running, reports only what it reports for good files' failures, reaches no network, and
// the players take the next good file.
#include "fs/file_helpers.h"
#include "platform/file_names.h"
#include "support/bad_input_testing.h"
#include "window/sample_videos.h"
#include "window/start_up.h"

#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

class TestBadInputs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Run once on each render path: the one asked for is the one the players use.
        checkAskedRenderPath();
    }

    void badVideosLeaveThePlayersUsable()
    {
        QTemporaryDir program;
        RealFiles files(program.path());
        RealPlayerComponents components;
        Form1 form(components);
        form.show();
        auto& left = *qobject_cast<VideoPlayer*>(form.MediaPlayer1());
        auto& right = *qobject_cast<VideoPlayer*>(form.MediaPlayer2());
        right.settings().setMode("loop", true);
        QVERIFY(playsAGoodFileNext(right));

        for (const QString& name : entriesOf(kCorpus + "/videos")) {
            if (name == "playlist.avi" || name == "index.wmv")
                continue; // the network test gives these, with a listener to point at
            const QString path = kCorpus + "/videos/" + name;
            settle(left, path);
            QVERIFY2(playsAGoodFileNext(left), qPrintable(name));

            // As the only file of the samples folder: the same, through the menu command.
            QDir(program.path()).removeRecursively();
            QDir().mkpath(program.path() + "/Samples");
            QVERIFY(QFile::link(path, program.path() + "/Samples/" + name));
            Sample_Click(form, files.services);
            QVERIFY2(files.fakes.messageBox.shown.isEmpty(), qPrintable(name));
            QVERIFY2(playsAGoodFileNext(left), qPrintable(name));
        }
        // The other pane played on through all of it (its position is 0 at each loop restart).
        QVERIFY(!right.engine().isIdle() && !right.engine().isPaused());
        QTRY_VERIFY_WITH_TIMEOUT(right.engine().position() > 0, kPlayerTimeoutMs);
    }

    void oddNamesOpenAsLocalFiles()
    {
        PlatformComponents components(quietPlayerOptions());
        Form1 form(components);
        form.show();
        auto& player = *qobject_cast<VideoPlayer*>(form.MediaPlayer1());
        for (const QString& name : entriesOf(kCorpus + "/names")) {
            QSignalSpy frames(&player, &VideoPlayer::frameRendered);
            player.setURL(kCorpus + "/names/" + name);
            QVERIFY2(QTest::qWaitFor([&] { return frames.count() > 3; }, kPlayerTimeoutMs),
                     qPrintable(name));
        }
        // A name that is not valid UTF-8 is listed by its own bytes, and plays.
        PosixFileSystem fileSystem;
        const FileList listed = ListFiles(fileSystem, kCorpus + "/names-bytes", "*.*");
        QCOMPARE(listed.upperIndex(), 1);
        QCOMPARE(encodeFileName(listed.at(1)), QByteArray("latin1-\xe9t\xe9.mp4"));
        QVERIFY(plays(player, kCorpus + "/names-bytes/" + listed.at(1)));
    }

    void referencesInsideAFileNeverReachTheNetwork()
    {
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        QTemporaryDir folder;
        QStringList disguised;
        for (const QString name : {"playlist.avi", "index.wmv"}) {
            QFile source(kCorpus + "/videos/" + name);
            QVERIFY(source.open(QIODevice::ReadOnly));
            QFile target(folder.filePath(name));
            QVERIFY(target.open(QIODevice::WriteOnly));
            target.write(
                source.readAll().replace("PORT", QByteArray::number(listener.serverPort())));
            disguised << target.fileName();
        }
        // Names that look like addresses are files too.
        disguised << QString("http://127.0.0.1:%1/direct.mp4").arg(listener.serverPort());

        PlatformComponents components(quietPlayerOptions());
        Form1 form(components);
        form.show();
        auto& player = *qobject_cast<VideoPlayer*>(form.MediaPlayer1());
        for (const QString& path : disguised) {
            QSignalSpy failed(&player.engine(), &PlaybackEngine::fileFailed);
            player.setURL(path);
            QVERIFY2(QTest::qWaitFor([&] { return failed.count() > 0; }, kPlayerTimeoutMs),
                     qPrintable(path));
            QVERIFY2(!listener.hasPendingConnections(), qPrintable(path));
        }
        QVERIFY(playsAGoodFileNext(player));
        QCoreApplication::processEvents();
        QVERIFY(!listener.hasPendingConnections());
    }

    void hundredThousandSamplesAreListedInOrder()
    {
        PosixFileSystem fileSystem;
        const FileList list = ListFiles(fileSystem, kCorpus + "/many/Samples", "*.*");
        QCOMPARE(list.upperIndex(), 100'000);
        QCOMPARE(list.at(1), QString("clip000000.avi"));
        QCOMPARE(list.at(77'777), QString("clip077776.avi"));
        QCOMPARE(list.at(100'000), QString("clip099999.avi"));

        RealFiles files(kCorpus + "/many");
        FakeWindow window;
        Sample_Click(window.form, files.services);
        QCOMPARE(static_cast<FakePlayer*>(window.form.MediaPlayer1())->urlWrites,
                 QStringList({kCorpus + "/many/Samples/clip000000.avi"}));
        QCOMPARE(static_cast<FakePlayer*>(window.form.MediaPlayer2())->urlWrites,
                 QStringList({kCorpus + "/many/Samples/clip000001.avi"}));
    }

    void brokenSkinsAreReportedOnceAndStartUpGoesOn()
    {
        for (const QString& name : entriesOf(kCorpus + "/skins")) {
            RealFiles files(kCorpus + "/skins/" + name);
            RealPlayerComponents components;
            Form1 form(components);
            Form_Load(form, files.services);
            QVERIFY2(files.fakes.messageBox.labels() == QList<int>({102}), qPrintable(name));
            QCOMPARE(form.windowTitle(), QString("Tandemo Software"));
            QVERIFY(form.MediaPlayer2()->settings().getMode("loop"));
            QVERIFY(!static_cast<SkinEngine*>(form.SkinFramework1())->scheme());
        }
    }

    void brokenCursorFilesAreReportedOnce()
    {
        for (const QString& name : entriesOf(kCorpus + "/cursors")) {
            RealFiles files(kCorpus + "/cursors/" + name);
            FakeWindow window;
            Form_Load(window.form, files.services);
            // Another picture format is a picture all the same.
            const bool picture = name == "png-image";
            QVERIFY2(files.fakes.messageBox.labels() == (picture ? QList<int>() : QList<int>{108}),
                     qPrintable(name + ": " + QString::number(files.fakes.messageBox.shown.size()) +
                                " reports"));
            QCOMPARE(bool(window.form.mouseIcon()), picture);
            if (!picture)
                QVERIFY(files.fakes.messageBox.shown[0].prompt.startsWith("Invalid picture\r\n"));
        }
    }
};

QTEST_MAIN(TestBadInputs)
#include "test_bad_inputs.moc"
