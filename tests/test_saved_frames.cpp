// Saving frames: the names they are saved under, and on a real player, as a hostile folder or a
// full disk would have it: one save at a time, whole or not at all, never through a link planted
// at its name.
#include "fakes/linked_pair.h"
#include "platform/file_names.h"
#include "playback/transport_bar.h"
#include "playback/video_player.h"
#include "session/saved_frames.h"
#include "support/linked_window.h"
#include "support/player_testing.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <sys/resource.h>

using namespace tandemo;
using namespace tandemo::testing;

class TestSavedFrames : public QObject {
    Q_OBJECT

private slots:
    void framesAreSavedUnderNamesOfTheirOwn()
    {
        QTemporaryDir folder;
        LinkedPair pair;
        pair.left.fileName = "/videos/take.one.mp4";
        pair.right.fileName = "/videos/take.one.mp4"; // the same file, at another time
        pair.left.reportPaused(3723.5);
        pair.right.reportPaused(64.92);
        const auto saved = [](FakeEngine& engine) {
            const QStringList commands = engine.takeCommands();
            return commands.isEmpty() ? QString() : commands.constFirst().mid(5);
        };

        // Alone, the origin's frame only.
        QCOMPARE(saveFrames(pair.targetsOf(pair.left), folder.path()),
                 QStringList{folder.filePath("take.one-1h02m03.500s.png")});
        QCOMPARE(saved(pair.left), folder.filePath("take.one-1h02m03.500s.png"));
        QVERIFY(saved(pair.right).isEmpty());

        // Linked, each pane's; a name taken on disk or by the other pane is not used again.
        QFile(folder.filePath("take.one-1m04.920s.png")).open(QIODevice::WriteOnly);
        pair.link.setLinked(true);
        pair.left.reportPaused(64.92);
        saveFrames(pair.targetsOf(pair.right), folder.path());
        QCOMPARE(saved(pair.right), folder.filePath("take.one-1m04.920s (2).png"));
        QCOMPARE(saved(pair.left), folder.filePath("take.one-1m04.920s (3).png"));

        // Nothing of a pane without a file.
        pair.right.reportIdle();
        QCOMPARE(saveFrames(pair.targetsOf(pair.left), folder.path()).size(), 1);
        QVERIFY(saved(pair.right).isEmpty());
        // Without a pictures folder the engine is asked for no file, and reports a failure.
        QCOMPARE(saveFrames(pair.targetsOf(pair.left), QString()), QStringList{QString()});

        // A name too long for the file system is shortened, copies included, by whole
        // characters; control characters become "_"; and a message prints them escaped.
        const QString longName = "/videos/" + QString(124, QChar(0x00e9)) + "\x1b[2J.mp4";
        const QString path = savedFramePath(folder.path(), longName, 64.92);
        const QString copy = savedFramePath(folder.path(), longName, 64.92, {path});
        QVERIFY2(encodeFileName(QFileInfo(copy).fileName()).size() <= 255, qPrintable(copy));
        QCOMPARE(QFileInfo(path).fileName(), QString(116, QChar(0x00e9)) + "-1m04.920s.png");
        QCOMPARE(QFileInfo(copy).fileName(), QString(116, QChar(0x00e9)) + "-1m04.920s (2).png");
        QCOMPARE(QFileInfo(savedFramePath(folder.path(), "/v/a\x1b[2J\nb.mp4", 0)).fileName(),
                 QString("a_[2J_b-0m00.000s.png"));
        QCOMPARE(printableName("a\x1b[2J\x7f.mp4"), QString("a\\x1b[2J\\x7f.mp4"));
    }

    void aSaveIsWholeOneAtATimeAndNeverWritesThroughALink()
    {
        QTemporaryDir folder;
        Window window;
        QVERIFY(window.play("bars-360.mp4", "red.mp4"));
        VideoPlayer& left = window.left();
        PlaybackEngine& engine = left.engine();
        left.actions().togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(Window::paused(left), kPlayerTimeoutMs);
        const auto pictures = [&] {
            return QDir(folder.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        };
        QSignalSpy saved(&engine, &PlaybackEngine::frameSaved);
        QSignalSpy refused(&engine, &PlaybackEngine::frameSaveRefused);

        // A held key: one save runs, the presses meanwhile are refused, and the bar says so.
        for (int i = 0; i < 20; ++i)
            engine.saveFrame(folder.filePath(QString("held %1.png").arg(i)));
        QCOMPARE(refused.count(), 19);
        QCOMPARE(left.transportBar().status(), QString("Still saving the last frame"));
        QTRY_COMPARE_WITH_TIMEOUT(saved.count(), 1, kPlayerTimeoutMs);
        QCOMPARE(saved.takeFirst(), (QVariantList{folder.filePath("held 0.png"), true}));
        QCOMPARE(pictures(), QStringList{"held 0.png"});
        QCOMPARE(QImage(folder.filePath("held 0.png")).size(), QSize(640, 360));

        // A link planted at the name after it was chosen: nothing is written through it, the
        // link stays, and the save is reported as failed.
        QTemporaryDir elsewhere;
        QFile victim(elsewhere.filePath("victim.txt"));
        QVERIFY(victim.open(QIODevice::WriteOnly) && victim.write("keep") == 4);
        victim.close();
        QVERIFY(QFile::link(victim.fileName(), folder.filePath("planted.png")));
        engine.saveFrame(folder.filePath("planted.png"));
        QTRY_COMPARE_WITH_TIMEOUT(saved.count(), 1, kPlayerTimeoutMs);
        QCOMPARE(saved.takeFirst(), (QVariantList{folder.filePath("planted.png"), false}));
        QCOMPARE(QFileInfo(folder.filePath("planted.png")).symLinkTarget(), victim.fileName());
        QVERIFY(victim.open(QIODevice::ReadOnly));
        QCOMPARE(victim.readAll(), QByteArray("keep"));
        QCOMPARE(left.transportBar().status(), QString("Cannot save the frame"));

        // A disk that fills up while the picture is written (files may grow to 2 KiB here): a
        // failure, with nothing left behind.
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        const auto restore = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &before); });
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = before;
        small.rlim_cur = 2048;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        engine.saveFrame(folder.filePath("full.png"));
        QTRY_COMPARE_WITH_TIMEOUT(saved.count(), 1, kPlayerTimeoutMs);
        QCOMPARE(saved.takeFirst(), (QVariantList{folder.filePath("full.png"), false}));
        QCOMPARE(pictures(), (QStringList{"held 0.png", "planted.png"}));
    }
};

QTEST_MAIN(TestSavedFrames)
#include "test_saved_frames.moc"
