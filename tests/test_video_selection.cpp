#include "fakes/fake_services.h"
#include "fakes/fake_window.h"
#include "platform/qt_common_dialog.h"
#include "support/dialog_testing.h"
#include "window/form1.h"
#include "window/video_selection.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

const QString kFilter = "All Supported Video (*.mpg;*.mpeg;*.avi;*.wmv)|*.mpg;*.mpeg;*.avi;*.wmv";

} // namespace

class TestVideoSelection : public QObject {
    Q_OBJECT

private slots:
    void chosenFileGoesToItsSideOnly()
    {
        FakeWindow window;
        window.dialog().answer = "/videos/left clip.AVI";
        Select1_Click(window.form, window.services());
        window.dialog().answer = "/videos/right.txt";
        Select2_Click(window.form, window.services());

        QCOMPARE(window.player1().urlWrites, QStringList({"/videos/left clip.AVI"}));
        // Neither extension nor existence is checked: the player gets the name unchanged.
        QCOMPARE(window.player2().urlWrites, QStringList({"/videos/right.txt"}));
        QVERIFY(window.fakes.messageBox.shown.isEmpty());
    }

    void dialogIsSetAfreshInOrderEachTime()
    {
        FakeWindow window;
        FakeDialog& dialog = window.dialog();
        dialog.answer = "/a.mpg";
        Select1_Click(window.form, window.services());
        dialog.log.clear();
        dialog.answer = "/a.mpg";
        Select1_Click(window.form, window.services());

        const QStringList expected{"FileName=",         "DialogTitle=Select Video",
                                   "Filter=" + kFilter, "ShowOpen",
                                   "FileName?",         "FileName?"};
        QCOMPARE(dialog.log, expected);
        // The same file chosen twice is written twice.
        QCOMPARE(window.player1().urlWrites, QStringList({"/a.mpg", "/a.mpg"}));
    }

    void cancelChangesNothing()
    {
        FakeWindow window;
        window.player2().setURL("/playing.wmv");
        window.dialog().answer = QString();
        Select2_Click(window.form, window.services());
        QCOMPARE(window.player2().urlWrites, QStringList({"/playing.wmv"}));
        QVERIFY(window.fakes.messageBox.shown.isEmpty());
    }

    void failingStepIsReportedAndTheHandlerGoesOn_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("occurrence");
        QTest::addColumn<int>("label");
        QTest::addColumn<QStringList>("written");
        const QStringList chosen{"/v.avi"};
        QTest::newRow("clear name") << "FileName" << 1 << 100 << chosen;
        QTest::newRow("title") << "DialogTitle" << 1 << 102 << chosen;
        QTest::newRow("filter") << "Filter" << 1 << 104 << chosen;
        QTest::newRow("show") << "ShowOpen" << 1 << 106 << QStringList();
        // A failing test runs its body, which ends the handler.
        QTest::newRow("read name") << "FileName?" << 1 << 108 << QStringList();
        QTest::newRow("take name") << "FileName?" << 2 << 110 << QStringList({""});
        QTest::newRow("write url") << "setURL" << 1 << 116 << QStringList();
    }

    void failingStepIsReportedAndTheHandlerGoesOn()
    {
        QFETCH(QString, operation);
        QFETCH(int, occurrence);
        QFETCH(int, label);
        QFETCH(QStringList, written);

        FakeWindow window;
        window.dialog().answer = "/v.avi";
        if (operation == "setURL")
            window.player2().faults.failOn(operation, occurrence, "Permission denied");
        else
            window.dialog().faults.failOn(operation, occurrence, "Permission denied");
        Select2_Click(window.form, window.services());

        QCOMPARE(window.fakes.messageBox.labels(), QList<int>({label}));
        QVERIFY(window.fakes.messageBox.shown[0].prompt.startsWith(
            "Permission denied\r\nin DuoReel2016/11/03.Form1.Select2_Click at line "));
        QCOMPARE(window.player2().urlWrites, written);
        QVERIFY(window.player1().urlWrites.isEmpty());
    }

    void select1ReportsItsLowerCaseLocation()
    {
        FakeWindow window;
        window.dialog().faults.failOn("ShowOpen");
        Select1_Click(window.form, window.services());
        QVERIFY(window.fakes.messageBox.shown.at(0).prompt.contains(
            "\r\nin DuoReel2016/11/03.Form1.select1_click at line 106\r\r"));
    }

    void realDialogShowsTitleFilterAndMatchesAnyCase()
    {
        QTemporaryDir folder;
        for (const char* name : {"CLIP.AVI", "movie.Mpeg", "b.wmv", "notes.txt", "c.mp4"}) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QWidget window;
        QtCommonDialog dialog(&window);
        dialog.setDialogTitle("Select Video");
        dialog.setFilter(kFilter);
        dialog.setFileName(folder.filePath("typed name.txt"));

        QString title;
        QStringList filters;
        QStringList listed;
        QTimer::singleShot(0, [&] {
            QFileDialog* shown = openFileDialog();
            QVERIFY(shown);
            title = shown->windowTitle();
            auto* types = shown->findChild<QComboBox*>("fileTypeCombo");
            QVERIFY(types);
            for (int i = 0; i < types->count(); ++i)
                filters << types->itemText(i);
            auto* model = shown->findChild<QFileSystemModel*>();
            QVERIFY(model);
            const QModelIndex root = model->index(folder.path());
            QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(root), 3, 10000);
            for (int row = 0; row < model->rowCount(root); ++row)
                listed << model->index(row, 0, root).data().toString();
            static_cast<QDialog*>(shown)->accept();
        });
        dialog.ShowOpen();

        QCOMPARE(title, QString("Select Video"));
        QCOMPARE(filters, QStringList({"All Supported Video (*.mpg;*.mpeg;*.avi;*.wmv)"}));
        listed.sort();
        QCOMPARE(listed, QStringList({"CLIP.AVI", "b.wmv", "movie.Mpeg"}));
        // A name typed into the dialog comes back as given, as a full path.
        QCOMPARE(dialog.FileName(), folder.filePath("typed name.txt"));
    }

    void realDialogCancelLeavesTheNameEmpty()
    {
        QWidget window;
        QtCommonDialog dialog(&window);
        dialog.setFileName("/tmp/something.avi");
        QTimer::singleShot(0, [] {
            QFileDialog* shown = openFileDialog();
            QVERIFY(shown);
            static_cast<QDialog*>(shown)->reject();
        });
        dialog.ShowOpen();
        QVERIFY(dialog.FileName().isEmpty());
    }
};

QTEST_MAIN(TestVideoSelection)
#include "test_video_selection.moc"
