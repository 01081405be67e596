#include "fakes/fake_components.h"
#include "fakes/fake_services.h"
#include "window/form1.h"
#include "window/sample_videos.h"

#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

FakePlayer& player1(Form1& form)
{
    return static_cast<FakePlayer&>(*form.MediaPlayer1());
}
FakePlayer& player2(Form1& form)
{
    return static_cast<FakePlayer&>(*form.MediaPlayer2());
}

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
        FakeComponents components;
        FakeServices fakes;
        fakes.fileSystem.addFolder("/opt/tandemo/Samples");
        fakes.fileSystem.addFolder("/opt/tandemo/Samples/sub.avi");
        for (const QString& file : files)
            fakes.fileSystem.addFile("/opt/tandemo/Samples/" + file, file.startsWith('.'));
        Form1 form(components);
        Sample_Click(form, fakes.services);

        QCOMPARE(player1(form).urlWrites, left);
        QCOMPARE(player2(form).urlWrites, right);
        QVERIFY(fakes.messageBox.shown.isEmpty());
    }

    void missingFolderDoesNothing()
    {
        FakeComponents components;
        FakeServices fakes;
        Form1 form(components);
        Sample_Click(form, fakes.services);
        QVERIFY(player1(form).urlWrites.isEmpty());
        QVERIFY(player2(form).urlWrites.isEmpty());
        QVERIFY(fakes.messageBox.shown.isEmpty());
    }

    void failedListingIsReportedOnceAndEndsTheHandler()
    {
        FakeComponents components;
        FakeServices fakes;
        fakes.fileSystem.addFolder("/opt/tandemo/Samples", /*unreadable=*/true);
        fakes.fileSystem.addFile("/opt/tandemo/Samples/a.avi");
        Form1 form(components);
        Sample_Click(form, fakes.services);
        QCOMPARE(fakes.messageBox.labels(), QList<int>({100}));
        QVERIFY(fakes.messageBox.shown[0].prompt.startsWith(
            "Permission denied\r\nin DuoReel2016/11/03.Form1.Sample_Click at line 100\r\r"));
        QVERIFY(player1(form).urlWrites.isEmpty());
    }

    void failedWriteIsReportedAndTheLoopGoesOn()
    {
        FakeComponents components;
        FakeServices fakes;
        fakes.fileSystem.addFile("/opt/tandemo/Samples/a.avi");
        fakes.fileSystem.addFile("/opt/tandemo/Samples/b.avi");
        Form1 form(components);
        player1(form).faults.failOn("setURL", 1, "Automation error");
        player2(form).faults.failOn("setURL", 2, "Automation error");
        Sample_Click(form, fakes.services);
        QCOMPARE(fakes.messageBox.labels(), QList<int>({106}));
        QCOMPARE(player2(form).urlWrites, QStringList({"/opt/tandemo/Samples/b.avi"}));

        Sample_Click(form, fakes.services);
        QCOMPARE(fakes.messageBox.labels(), QList<int>({106, 110}));
        QCOMPARE(player1(form).urlWrites, QStringList({"/opt/tandemo/Samples/a.avi"}));
    }

    void runningItAgainRestartsBoth()
    {
        FakeComponents components;
        FakeServices fakes;
        fakes.fileSystem.addFile("/opt/tandemo/Samples/a.avi");
        fakes.fileSystem.addFile("/opt/tandemo/Samples/b.avi");
        Form1 form(components);
        Sample_Click(form, fakes.services);
        Sample_Click(form, fakes.services);
        QCOMPARE(player1(form).urlWrites.size(), 2);
        QCOMPARE(player2(form).urlWrites.size(), 2);
        // The listing is read once per run.
        QCOMPARE(fakes.fileSystem.faults.count("listFiles"), 2);
    }
};

QTEST_MAIN(TestSampleVideos)
#include "test_sample_videos.moc"
