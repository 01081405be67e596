#include "fakes/fake_services.h"
#include "fakes/fake_window.h"
#include "window/form1.h"
#include "window/sample_videos.h"

#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

} // namespace

class TestSampleVideos : public QObject {
    Q_OBJECT

private slots:
    void firstTwoFilesGoLeftAndRight_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QStringList>("right");
        const QString dir = "/opt/tandemo/Samples/";
        QTest::newRow("none") << QStringList() << QStringList() << QStringList();
        QTest::newRow("one") << QStringList{"a.avi"} << QStringList{dir + "a.avi"} << QStringList();
        QTest::newRow("two") << QStringList{"b.wmv", "A.mpg"} << QStringList{dir + "A.mpg"}
                             << QStringList{dir + "b.wmv"};
        QTest::newRow("three") << QStringList{"c.avi", "b.avi", "a.avi"}
                               << QStringList{dir + "a.avi"} << QStringList{dir + "b.avi"};
        // Whatever the listing delivers first goes left, video or not, hidden or not.
        QTest::newRow("not a video first")
            << QStringList{".notes", "z.avi"} << QStringList{dir + ".notes"}
            << QStringList{dir + "z.avi"};
    }

    void firstTwoFilesGoLeftAndRight()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, left);
        QFETCH(QStringList, right);
        FakeWindow window;
        window.fakes.fileSystem.addFolder("/opt/tandemo/Samples");
        window.fakes.fileSystem.addFolder("/opt/tandemo/Samples/sub.avi");
        for (const QString& file : files)
            window.fakes.fileSystem.addFile("/opt/tandemo/Samples/" + file, file.startsWith('.'));
        Sample_Click(window.form, window.services());

        QCOMPARE(window.player1().urlWrites, left);
        QCOMPARE(window.player2().urlWrites, right);
        QVERIFY(window.fakes.messageBox.shown.isEmpty());
    }

    void missingFolderDoesNothing()
    {
        FakeWindow window;
        Sample_Click(window.form, window.services());
        QVERIFY(window.player1().urlWrites.isEmpty());
        QVERIFY(window.player2().urlWrites.isEmpty());
        QVERIFY(window.fakes.messageBox.shown.isEmpty());
    }

    void failedListingIsReportedOnceAndEndsTheHandler()
    {
        FakeWindow window;
        window.fakes.fileSystem.addFolder("/opt/tandemo/Samples", /*unreadable=*/true);
        window.fakes.fileSystem.addFile("/opt/tandemo/Samples/a.avi");
        Sample_Click(window.form, window.services());
        QCOMPARE(window.fakes.messageBox.labels(), QList<int>({100}));
        QVERIFY(window.fakes.messageBox.shown[0].prompt.startsWith(
            "Permission denied\r\nin DuoReel2016/11/03.Form1.Sample_Click at line 100\r\r"));
        QVERIFY(window.player1().urlWrites.isEmpty());
    }

    void failedWriteIsReportedAndTheLoopGoesOn()
    {
        FakeWindow window;
        window.fakes.fileSystem.addFile("/opt/tandemo/Samples/a.avi");
        window.fakes.fileSystem.addFile("/opt/tandemo/Samples/b.avi");
        window.player1().faults.failOn("setURL", 1, "Automation error");
        window.player2().faults.failOn("setURL", 2, "Automation error");
        Sample_Click(window.form, window.services());
        QCOMPARE(window.fakes.messageBox.labels(), QList<int>({106}));
        QCOMPARE(window.player2().urlWrites, QStringList({"/opt/tandemo/Samples/b.avi"}));

        Sample_Click(window.form, window.services());
        QCOMPARE(window.fakes.messageBox.labels(), QList<int>({106, 110}));
        QCOMPARE(window.player1().urlWrites, QStringList({"/opt/tandemo/Samples/a.avi"}));
    }

    void runningItAgainRestartsBoth()
    {
        FakeWindow window;
        window.fakes.fileSystem.addFile("/opt/tandemo/Samples/a.avi");
        window.fakes.fileSystem.addFile("/opt/tandemo/Samples/b.avi");
        Sample_Click(window.form, window.services());
        Sample_Click(window.form, window.services());
        QCOMPARE(window.player1().urlWrites.size(), 2);
        QCOMPARE(window.player2().urlWrites.size(), 2);
        // The listing is read once per run.
        QCOMPARE(window.fakes.fileSystem.faults.count("listFiles"), 2);
    }
};

QTEST_MAIN(TestSampleVideos)
#include "test_sample_videos.moc"
