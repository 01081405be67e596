#include "fakes/fake_services.h"
#include "fakes/fake_window.h"
#include "platform/cursor_file.h"
#include "platform/posix_file_system.h"
#include "platform/qt_application_object.h"
#include "platform/qt_picture_loader.h"
#include "playback/media_player.h"
#include "window/application_icon.h"
#include "window/form1.h"
#include "window/start_up.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

bool loops(MediaPlayer* player)
{
    return player->settings().getMode("loop");
}

/// A Windows cursor file: Qt writes an icon, whose header becomes a cursor's with a hot spot.
QByteArray cursorFileBytes(QPoint hotSpot)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int i = 0; i < 32; ++i)
        image.setPixelColor(i, i, Qt::black);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image))
        return {};
    QByteArray bytes = buffer.data();
    bytes[2] = 2; // type: cursor
    bytes[10] = static_cast<char>(hotSpot.x());
    bytes[11] = 0;
    bytes[12] = static_cast<char>(hotSpot.y());
    bytes[13] = 0;
    return bytes;
}

} // namespace

class TestStartUp : public QObject {
    Q_OBJECT

private slots:
    void everyStepRunsOnceInItsPlace()
    {
        // Skin and cursor beside the program, and the draw that opens the home page: every step
        // has something to do.
        Timeline timeline;
        FakeWindow window;
        window.fakes.fileSystem.addFile("/opt/tandemo/x/o.cjs");
        window.fakes.fileSystem.addFile("/opt/tandemo/HAND-M.CUR");
        window.fakes.random.draw = 0.065;
        window.form.MediaPlayer1()->setObjectName("MediaPlayer1");
        window.form.MediaPlayer2()->setObjectName("MediaPlayer2");
        Form_Load(window.form, window.services());

        QCOMPARE(timeline.events, (QStringList{
                                      "listFiles /opt/tandemo/x o.cjs",
                                      "BackColor=8000000f",
                                      "skin LoadSkin /opt/tandemo/x/o.cjs []",
                                      "skin Options=1",
                                      "skin SkinDialogs=1",
                                      "skin SkinMenus=1",
                                      QString("skin ApplyWindow %1").arg(window.form.winId()),
                                      "Caption=Tandemo Software",
                                      "Icon",
                                      "App.Title=Tandemo",
                                      "modificationTime /opt/tandemo/HAND-M.CUR",
                                      "LoadPicture /opt/tandemo/HAND-M.CUR",
                                      "Randomize",
                                      "Rnd",
                                      "open https://www.quillmark.com/",
                                      "MediaPlayer1 loop 1",
                                      "MediaPlayer2 loop 1",
                                  }));
        QVERIFY(window.form.mouseIcon());
        QVERIFY(window.fakes.messageBox.shown.isEmpty());
    }

    void sequenceWithNothingBesideTheProgram()
    {
        FakeWindow window;
        Form_Load(window.form, window.services());

        QVERIFY(window.fakes.messageBox.shown.isEmpty());
        QCOMPARE(window.form.windowTitle(), QString("Tandemo Software"));
        QCOMPARE(window.fakes.application.title(), QString("Tandemo"));
        // The application's own icon, not the platform's placeholder.
        QCOMPARE(window.form.windowIcon().availableSizes(),
                 (QList<QSize>{{32, 32}, {48, 48}, {128, 128}, {256, 256}}));
        QCOMPARE(window.form.windowIcon().pixmap(48).toImage(),
                 applicationIcon().pixmap(48).toImage());
        QVERIFY(!window.form.mouseIcon());
        QCOMPARE(window.fakes.random.seeded, 1);
        QVERIFY(window.fakes.web.opened.isEmpty());
        QVERIFY(loops(window.form.MediaPlayer1()));
        QVERIFY(loops(window.form.MediaPlayer2()));
        QVERIFY(window.fakes.pictures.loaded.isEmpty());
    }

    void cursorFileBecomesTheMouseIconWithoutChangingThePointer()
    {
        FakeWindow window;
        window.fakes.fileSystem.addFile("/opt/tandemo/HAND-M.CUR");
        Form_Load(window.form, window.services());

        QCOMPARE(window.fakes.pictures.loaded, QStringList({"/opt/tandemo/HAND-M.CUR"}));
        QVERIFY(window.form.mouseIcon());
        QCOMPARE(window.form.mouseIcon()->hotSpot(), QPoint(5, 3));
        QCOMPARE(window.form.mousePointer(), short(0));
    }

    void eachFailingStepIsReportedAndTheRestRuns_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QList<int>>("labels");
        QTest::addColumn<bool>("firstLoops");
        QTest::addColumn<bool>("secondLoops");
        QTest::newRow("skin") << "skin" << QList<int>{102} << true << true;
        QTest::newRow("title") << "title" << QList<int>{104} << true << true;
        QTest::newRow("cursor test") << "cursor test" << QList<int>{106} << true << true;
        QTest::newRow("cursor load") << "cursor load" << QList<int>{108} << true << true;
        QTest::newRow("browser") << "browser" << QList<int>{110} << true << true;
        QTest::newRow("first player") << "first player" << QList<int>{128} << false << true;
        QTest::newRow("second player") << "second player" << QList<int>{130} << true << false;
    }

    void eachFailingStepIsReportedAndTheRestRuns()
    {
        QFETCH(QString, fault);
        QFETCH(QList<int>, labels);
        QFETCH(bool, firstLoops);
        QFETCH(bool, secondLoops);

        FakeWindow window;
        window.fakes.fileSystem.addFile("/opt/tandemo/HAND-M.CUR");
        if (fault == "skin") {
            window.fakes.fileSystem.addFile("/opt/tandemo/x/o.cjs");
            static_cast<FakeSkin*>(window.form.SkinFramework1())->faults.failOn("LoadSkin");
        } else if (fault == "title") {
            window.fakes.application.faults.failOn("setTitle");
        } else if (fault == "cursor test") {
            window.fakes.application.faults.failOn("folder", 2); // building the path to test
        } else if (fault == "cursor load") {
            window.fakes.pictures.faults.failOn("LoadPicture", 1, "Invalid picture");
        } else if (fault == "browser") {
            window.fakes.random.draw = 0.065; // draws 7
            window.fakes.web.faults.failOn("openMinimised", 1, "File not found");
        } else if (fault == "first player") {
            static_cast<FakePlayer*>(window.form.MediaPlayer1())->faults.failOn("setMode");
        } else if (fault == "second player") {
            static_cast<FakePlayer*>(window.form.MediaPlayer2())->faults.failOn("setMode");
        }
        Form_Load(window.form, window.services());

        QCOMPARE(window.fakes.messageBox.labels(), labels);
        QVERIFY(window.fakes.messageBox.shown[0].prompt.contains(
            "\r\nin DuoReel2016/11/03.Form1.Form_Load at line "));
        QCOMPARE(window.form.windowTitle(), QString("Tandemo Software"));
        QCOMPARE(loops(window.form.MediaPlayer1()), firstLoops);
        QCOMPARE(loops(window.form.MediaPlayer2()), secondLoops);
        // A failing test of the cursor file runs the load all the same.
        QCOMPARE(bool(window.form.mouseIcon()), fault != "cursor load");
    }

    void onlyTheDrawOfSevenOpensTheHomePage()
    {
        FakeServices fakes;
        QList<int> launched;
        // Each number from the bottom and from the top of its hundredth of the range.
        for (int draw = 1; draw <= 100; ++draw) {
            for (const double within : {0.0001, 0.0099}) {
                fakes.random.draw = (draw - 1) / 100.0 + within;
                const qsizetype before = fakes.web.opened.size();
                RandomHomePageVisit(fakes.services);
                if (fakes.web.opened.size() > before)
                    launched << draw;
            }
        }
        QCOMPARE(launched, QList<int>({7, 7}));
        QCOMPARE(fakes.web.opened.size(), 2);
        QCOMPARE(fakes.web.opened.constFirst(), QString("https://www.quillmark.com/"));
        QCOMPARE(fakes.random.seeded, 200);
        // The edges of the range: 0 draws 1, just under 1 draws 100.
        fakes.random.draw = 0.0;
        RandomHomePageVisit(fakes.services);
        fakes.random.draw = 0.999999;
        RandomHomePageVisit(fakes.services);
        QCOMPARE(fakes.web.opened.size(), 2);
    }

    void titleIsCutAtLeastOnce()
    {
        QCOMPARE(appTitleFrom("Tandemo Software"), QString("Tandemo"));
        QCOMPARE(appTitleFrom("a b c"), QString("a b"));
        const QString longCaption = "one two three four five six seven eight nine ten eleven";
        QCOMPARE(appTitleFrom(longCaption), QString("one two three four five six seven eight"));
        QVERIFY_THROWS_EXCEPTION(Failure, appTitleFrom("NoBlankAtAll"));
        // Cut until at most 40 characters are left; a blank in front leaves nothing.
        QCOMPARE(appTitleFrom(QString(40, 'x') + " y"), QString(40, 'x'));
        QVERIFY_THROWS_EXCEPTION(Failure, appTitleFrom(QString(41, 'x') + " y"));
        QCOMPARE(appTitleFrom(" Tandemo"), QString());
    }

    void applicationTitleLeavesTheCaptionAlone()
    {
        FakeWindow window;
        QtApplicationObject application;
        PlatformServices services{
            window.fakes.messageBox, window.fakes.fileSystem, application,
            window.fakes.pictures,   window.fakes.random,     window.fakes.web,
            window.fakes.process};
        window.form.setWindowTitle("Tandemo Software");
        window.form.show();
        SetAppTitle(services);
        QCOMPARE(application.title(), QString("Tandemo"));
        QCOMPARE(window.form.windowTitle(), QString("Tandemo Software"));
        QCOMPARE(window.form.windowHandle()->title(), QString("Tandemo Software"));
        QFile comm("/proc/self/comm");
        QVERIFY(comm.open(QIODevice::ReadOnly));
        QCOMPARE(comm.readAll().trimmed(), QByteArray("Tandemo"));
    }

    void realCursorFileLoadsWithItsHotSpot()
    {
        const QByteArray bytes = cursorFileBytes(QPoint(7, 9));
        QCOMPARE(cursorHotSpot(bytes), std::optional<QPoint>(QPoint(7, 9)));
        QTemporaryDir folder;
        QFile file(folder.filePath("HAND-M.CUR"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        QtPictureLoader loader;
        const Picture picture = loader.LoadPicture(file.fileName());
        QCOMPARE(picture.image.size(), QSize(32, 32));
        QCOMPARE(picture.hotSpot, QPoint(7, 9));
    }

    void garbageCursorFileIsReportedAtItsLine()
    {
        QTemporaryDir folder;
        QFile file(folder.filePath("HAND-M.CUR"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(3000, 'z'));
        file.close();

        FakeWindow window;
        window.fakes.application.programFolder = folder.path();
        PosixFileSystem fileSystem;
        QtPictureLoader pictures;
        PlatformServices services{
            window.fakes.messageBox, fileSystem,       window.fakes.application, pictures,
            window.fakes.random,     window.fakes.web, window.fakes.process};
        Form_Load(window.form, services);

        QCOMPARE(window.fakes.messageBox.labels(), QList<int>({108}));
        QVERIFY(window.fakes.messageBox.shown[0].prompt.startsWith(
            "Invalid picture\r\nin DuoReel2016/11/03.Form1.Form_Load at line 108"));
        QVERIFY(!window.form.mouseIcon());
        QVERIFY(loops(window.form.MediaPlayer2()));
    }
};

QTEST_MAIN(TestStartUp)
#include "test_start_up.moc"
