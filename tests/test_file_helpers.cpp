#include "fakes/fake_services.h"
#include "fs/checked_count.h"
#include "fs/file_helpers.h"
#include "platform/file_names.h"
#include "platform/immediate_exit.h"
#include "platform/pictures_folder.h"
#include "platform/posix_file_system.h"
#include "platform/staged_file.h"
#include "platform/wildcard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

void touch(const QString& path)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

QStringList namesOf(const FileList& list)
{
    QStringList names;
    for (std::int32_t i = 1; i <= list.upperIndex(); ++i)
        names << list.at(i);
    return names;
}

} // namespace

class TestFileHelpers : public QObject {
    Q_OBJECT

private slots:
    void listsGrowInStepsAndAreCutToTheCount_data()
    {
        QTest::addColumn<int>("files");
        for (const int files : {1, 100, 101, 150, 151})
            QTest::addRow("%d files", files) << files;
    }

    void listsGrowInStepsAndAreCutToTheCount()
    {
        QFETCH(int, files);
        QTemporaryDir folder;
        for (int i = 0; i < files; ++i)
            touch(folder.filePath(QString("clip%1.avi").arg(i, 4, 10, QChar('0'))));
        PosixFileSystem fileSystem;
        const FileList list = ListFiles(fileSystem, folder.path(), "*.*");
        QCOMPARE(list.lowerIndex(), 1);
        QCOMPARE(list.upperIndex(), files);
        QCOMPARE(list.at(1), QString("clip0000.avi"));
        QCOMPARE(list.at(files), QString("clip%1.avi").arg(files - 1, 4, 10, QChar('0')));
    }

    void emptyFolderMissingFolderAndNoMatchGiveOneEmptyName()
    {
        QTemporaryDir folder;
        touch(folder.filePath("readme.txt"));
        PosixFileSystem fileSystem;
        for (const QString& path : {folder.filePath("none"), folder.path()}) {
            const FileList list = ListFiles(fileSystem, path, "*.avi");
            QCOMPARE(list.lowerIndex(), 0);
            QCOMPARE(list.upperIndex(), 0);
            QCOMPARE(list.at(0), QString());
        }
        QVERIFY_THROWS_EXCEPTION(Failure, ListFiles(fileSystem, folder.path(), "*.avi").at(1));
    }

    void hiddenFilesAreListedFoldersAndLinksToFoldersAreNot()
    {
        QTemporaryDir folder;
        touch(folder.filePath(".hidden.mp4"));
        touch(folder.filePath("b.mp4"));
        QVERIFY(QDir(folder.path()).mkdir("a-folder.mp4"));
        QVERIFY(QFile::link(folder.filePath("a-folder.mp4"), folder.filePath("c-link-to-folder")));
        QVERIFY(QFile::link(folder.filePath("gone"), folder.filePath("d-dangling")));
        QVERIFY(QFile::link(folder.filePath("b.mp4"), folder.filePath("e-link-to-file")));
        QVERIFY(mkfifo(QFile::encodeName(folder.filePath("f-pipe")).constData(), 0600) == 0);

        PosixFileSystem fileSystem;
        const QStringList expected{".hidden.mp4", "b.mp4", "e-link-to-file"};
        QCOMPARE(namesOf(ListFiles(fileSystem, folder.path(), "*.*")), expected);
        // With or without the trailing separator, the same list.
        QCOMPARE(namesOf(ListFiles(fileSystem, folder.path() + "/", "*.*")), expected);
    }

    void listingOrderIgnoresLetterCase()
    {
        QTemporaryDir folder;
        for (const char* name : {"b.avi", "A.avi", "C.avi", "a2.avi", "_x.avi", "B.AVI"})
            touch(folder.filePath(name));
        PosixFileSystem fileSystem;
        QCOMPARE(namesOf(ListFiles(fileSystem, folder.path(), "*.avi")),
                 QStringList({"A.avi", "a2.avi", "B.AVI", "b.avi", "C.avi", "_x.avi"}));
    }

    void wildcardsFollowTheClassicRules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::newRow("*.* no dot") << "README"
                                    << "*.*" << true;
        QTest::newRow("*.* dotted") << "a.b.c"
                                    << "*.*" << true;
        QTest::newRow("* anything") << ".hidden"
                                    << "*" << true;
        QTest::newRow("case ignored") << "CLIP.AVI"
                                      << "*.avi" << true;
        QTest::newRow("other extension") << "clip.avi.txt"
                                         << "*.avi" << false;
        QTest::newRow("? one") << "a1.mp4"
                               << "a?.mp4" << true;
        QTest::newRow("? not none") << "a.mp4"
                                    << "a?.mp4" << false;
        QTest::newRow("stem.* without ext") << "o"
                                            << "o.*" << true;
        QTest::newRow("exact") << "o.cjs"
                               << "o.cjs" << true;
        QTest::newRow("exact differs") << "o.cjsx"
                                       << "o.cjs" << false;
        QTest::newRow("stars backtrack") << "aXbXc"
                                         << "a*b*c" << true;
        QTest::newRow("non-ascii case") << "ÉTÉ.mpg"
                                        << "été.*" << true;
    }

    void wildcardsFollowTheClassicRules()
    {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(matchesWildcard(name, pattern), matches);
    }

    void isFileAnswersWithoutEverFailing()
    {
        QTemporaryDir folder;
        const QString file = folder.filePath("locked.avi");
        touch(file);
        QVERIFY(chmod(QFile::encodeName(file).constData(), 0) == 0);
        QVERIFY(QFile::link(folder.filePath("gone"), folder.filePath("dangling")));

        PosixFileSystem fileSystem;
        QVERIFY(IsFile(fileSystem, file)); // no read access is needed for the query
        QVERIFY(!IsFile(fileSystem, folder.path()));
        QVERIFY(!IsFile(fileSystem, folder.filePath("missing")));
        QVERIFY(!IsFile(fileSystem, folder.filePath("dangling")));
        QVERIFY(!IsFile(fileSystem, QString()));

        QVERIFY(FileExists(fileSystem, file));
        QVERIFY(!FileExists(fileSystem, QString()));
        QVERIFY(!FileExists(fileSystem, folder.filePath("missing")));

        FakeFileSystem broken;
        broken.addFile("/x/a");
        broken.faults.failOn("openForQuery");
        broken.faults.failOn("modificationTime");
        QVERIFY(!IsFile(broken, "/x/a"));
        QVERIFY(!FileExists(broken, "/x/a"));
    }

    void unreadableFolderFailsTowardsTheCaller()
    {
        FakeFileSystem fileSystem;
        fileSystem.addFolder("/opt/tandemo/Samples", /*unreadable=*/true);
        fileSystem.addFile("/opt/tandemo/Samples/a.avi");
        QVERIFY_THROWS_EXCEPTION(Failure, ListFiles(fileSystem, "/opt/tandemo/Samples", "*.*"));
    }

    void namesThatDoNotOpenAsFilesAreSkipped()
    {
        FakeFileSystem fileSystem;
        fileSystem.addFile("/s/a.avi");
        fileSystem.addFile("/s/b.avi");
        fileSystem.faults.failOn("openForQuery", 1);
        QCOMPARE(namesOf(ListFiles(fileSystem, "/s", "*.*")), QStringList({"b.avi"}));
    }

    void fileNamesKeepTheirBytesThroughText()
    {
        // Every byte string comes back as it was, and valid UTF-8 reads as the text it is.
        QRandomGenerator random(20261208);
        for (int round = 0; round < 2000; ++round) {
            QByteArray bytes(random.bounded(1, 24), Qt::Uninitialized);
            for (char& byte : bytes)
                byte = char(random.bounded(1, 256));
            QCOMPARE(encodeFileName(decodeFileName(bytes)), bytes);
        }
        for (const char* text : {"plain.avi",
                                 "\xc3\xbcnic\xc3\xb8"
                                 "de.mp4",
                                 "\xf0\x9f\x8e\xac.mp4"})
            QCOMPARE(decodeFileName(text), QString::fromUtf8(text));
        // Invalid forms are kept byte by byte: stray continuation, overlong, encoded surrogate.
        for (const char* bytes :
             {"a\x80", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe9t\xe9"}) {
            const QString name = decodeFileName(bytes);
            QVERIFY(!name.contains(QChar::ReplacementCharacter));
            QCOMPARE(encodeFileName(name), QByteArray(bytes));
        }

        // Listed and opened by those bytes, and found again from Qt's lossy picture of them.
        QTemporaryDir folder;
        const QByteArray path = encodeFileName(folder.path()) + "/\xe9t\xe9.avi";
        QVERIFY(::close(::creat(path.constData(), 0644)) == 0);
        PosixFileSystem fileSystem;
        const FileList list = ListFiles(fileSystem, folder.path(), "*.AVI");
        QCOMPARE(list.upperIndex(), 1);
        QCOMPARE(encodeFileName(folder.path() + "/" + list.at(1)), path);
        QVERIFY(FileExists(fileSystem, folder.path() + "/" + list.at(1)));
        QCOMPARE(encodeFileName(recoverFileName(QFile::decodeName(path))), path);
        QCOMPARE(recoverFileName(folder.path() + "/\ufffdnone"), folder.path() + "/\ufffdnone");
        const QUrl dropped("file://" + QString::fromLatin1(path.toPercentEncoding("/")));
        QCOMPARE(encodeFileName(localFileFromUrl(dropped)), path);
        QCOMPARE(localFileFromUrl(QUrl("https://example.com/a.avi")), QString());
    }

    void picturesGoToAFolderOfTheirOwnNeverTheHomeFolder()
    {
        QTemporaryDir home;
        QVERIFY(QDir(home.path()).mkpath("config"));
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", oldHome);
            qunsetenv("XDG_CONFIG_HOME");
        });
        const auto name = [&](const QByteArray& folder) {
            QFile dirs(home.filePath("config/user-dirs.dirs"));
            QVERIFY(dirs.open(QIODevice::WriteOnly | QIODevice::Truncate));
            dirs.write("XDG_PICTURES_DIR=\"" + folder + "\"\n");
        };

        name("$HOME/Shots");
        QCOMPARE(picturesFolder(), home.filePath("Shots"));
        QVERIFY(QFileInfo(home.filePath("Shots")).isDir());
        // A pipe, a file or the home folder itself in its place: ~/Pictures instead.
        QVERIFY(mkfifo(encodeFileName(home.filePath("pipe")).constData(), 0600) == 0);
        for (const QByteArray& named :
             {QByteArray("$HOME/pipe"), QByteArray("$HOME/config/user-dirs.dirs"),
              QByteArray("$HOME/")}) {
            name(named);
            QCOMPARE(picturesFolder(), home.filePath("Pictures"));
        }
        // A relative name would be made in the working folder: ~/Pictures instead.
        QTemporaryDir working;
        const QString wasWorking = QDir::currentPath();
        QVERIFY(QDir::setCurrent(working.path()));
        name("Shots");
        const QString chosen = picturesFolder();
        QVERIFY(QDir::setCurrent(wasWorking));
        QCOMPARE(chosen, home.filePath("Pictures"));
        QVERIFY(QDir(working.path()).isEmpty());
        // And when that is no folder either, none at all.
        QVERIFY(QDir(home.filePath("Pictures")).removeRecursively());
        touch(home.filePath("Pictures"));
        QCOMPARE(picturesFolder(), QString());
    }

    void aFileHalfWrittenWhenTheProgramEndsAtOnceIsRemoved()
    {
        // The window closes while a frame or an export is written in the background: the
        // process ends without unwinding, and what was staged goes with it.
        QTemporaryDir folder;
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            StagedFile staged(folder.path(), "export.mp4");
            QFile partial(staged.path());
            if (!staged.isValid() || !partial.open(QIODevice::WriteOnly) ||
                partial.write("partial") != 7)
                _exit(3);
            partial.flush();
            ImmediateExit().endProcess();
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());
    }

    void countsOverflowInsteadOfWrapping()
    {
        constexpr std::int32_t largest = std::numeric_limits<std::int32_t>::max();
        QCOMPARE(checkedAdd(largest - 1, 1), largest);
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, checkedAdd(largest, 1));
        FileList list(1, 100);
        list.setUpperIndex(150);
        list.set(150, "last");
        list.setUpperIndex(101);
        QCOMPARE(list.upperIndex(), 101);
        QVERIFY_THROWS_EXCEPTION(Failure, list.at(150));
    }
};

QTEST_MAIN(TestFileHelpers)
#include "test_file_helpers.moc"
