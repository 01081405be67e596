#include "fakes/fake_services.h"
#include "platform/qt_message_box.h"
#include "window/error_report.h"
#include "window/error_trap.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

class TestErrorReport : public QObject {
    Q_OBJECT

private slots:
    void reportTextIsExact_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("label");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("expected");
        const QString tail = "\r\rPlease email screenshot of this message to support@quillmark.com";
        QTest::newRow("load 108")
            << "File not found" << 108 << error_location::kFormLoad
            << "File not found\r\nin DuoReel2016/11/03.Form1.Form_Load at line 108" + tail;
        QTest::newRow("empty description")
            << "" << 100 << error_location::kSampleClick
            << "\r\nin DuoReel2016/11/03.Form1.Sample_Click at line 100" + tail;
        QTest::newRow("select1 in lower case")
            << "Overflow" << 116 << error_location::kSelect1Click
            << "Overflow\r\nin DuoReel2016/11/03.Form1.select1_click at line 116" + tail;
        QTest::newRow("select2 capitalised")
            << "x" << 102 << error_location::kSelect2Click
            << "x\r\nin DuoReel2016/11/03.Form1.Select2_Click at line 102" + tail;
    }

    void reportTextIsExact()
    {
        QFETCH(QString, description);
        QFETCH(int, label);
        QFETCH(QString, location);
        QFETCH(QString, expected);
        QCOMPARE(errorReportText(description, label, location), expected);
    }

    void reportIsAWarningBoxWithOneButton()
    {
        FakeMessageBox box;
        ReportError(box, "Bad", 104, error_location::kFormLoad);
        QCOMPARE(box.shown.size(), 1);
        QCOMPARE(box.shown[0].style, 48);
        QCOMPARE(box.shown[0].title, QString("Application Error"));
        QCOMPARE(box.shown[0].prompt, errorReportText("Bad", 104, error_location::kFormLoad));
    }

    // Several failing steps each give their own box, in order, and the steps after each
    // failure still run; shared labels report the same number.
    void trapReportsEachFailureAndGoesOn()
    {
        FakeMessageBox box;
        QStringList ran;
        ErrorTrap trap(box, error_location::kFormLoad);
        trap.step(102, [&] { throw Failure("first"); });
        trap.step(104, [&] { ran << "caption"; });
        trap.step(104, [&] { throw Failure("second"); });
        trap.step(104, [&] { ran << "title"; });
        trap.step(106, [&] { throw std::overflow_error("ignored text"); });
        trap.step(108, [&] { ran << "after"; });

        QCOMPARE(ran, QStringList({"caption", "title", "after"}));
        QCOMPARE(box.labels(), QList<int>({102, 104, 106}));
        QVERIFY(box.shown[0].prompt.startsWith("first\r\n"));
        QVERIFY(box.shown[1].prompt.startsWith("second\r\n"));
        QVERIFY(box.shown[2].prompt.startsWith("Overflow\r\n"));
    }

    void failingTestOfAConditionalRunsItsBody()
    {
        FakeMessageBox box;
        ErrorTrap trap(box, error_location::kFormLoad);
        bool bodyRan = false;
        if (trap.test(106, []() -> bool { throw Failure("cannot tell"); }))
            bodyRan = true;
        QVERIFY(bodyRan);
        QCOMPARE(box.labels(), QList<int>({106}));

        // A test that answers normally is obeyed and reports nothing.
        QVERIFY(!trap.test(106, [] { return false; }));
        QCOMPARE(box.shown.size(), 1);
    }

    void boxThatCannotBeShownIsNotCaughtByTheSameTrap()
    {
        FakeMessageBox box;
        box.faults.failOn("show", 1, "no display");
        ErrorTrap trap(box, error_location::kSampleClick);
        QVERIFY_THROWS_EXCEPTION(Failure, trap.step(100, [] { throw Failure("listing"); }));
    }

    void qtBoxShowsTitleIconOneButtonAndLineBreaks()
    {
        QtMessageBox adapter;
        const QString prompt = errorReportText("File not found", 108, error_location::kFormLoad);
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttons = 0;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(shown);
            title = shown->windowTitle();
            text = shown->text();
            icon = shown->icon();
            buttons = shown->buttons().size();
            modal = shown->isModal();
            shown->button(QMessageBox::Ok)->click();
        });
        adapter.show(prompt, 48, "Application Error");

        QCOMPARE(title, QString("Application Error"));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, 1);
        QVERIFY(modal);
        QCOMPARE(text,
                 QString("File not found\nin DuoReel2016/11/03.Form1.Form_Load at line 108\n\n"
                         "Please email screenshot of this message to support@quillmark.com"));
        QVERIFY(!text.contains(u'\r'));
    }
};

QTEST_MAIN(TestErrorReport)
#include "test_error_report.moc"
