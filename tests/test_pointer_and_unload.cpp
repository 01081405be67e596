#include "fakes/fake_components.h"
#include "fakes/fake_services.h"
#include "window/form1.h"
#include "window/form1_events.h"
#include "window/picture_box.h"
#include "window/shutdown_and_pointer.h"

#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

class TestPointerAndUnload : public QObject {
    Q_OBJECT

private slots:
    void busyPointerStaysEverythingElseResets()
    {
        FakeComponents components;
        Form1 form(components);
        for (const short style : {short(11), short(99), short(0), short(5)}) {
            form.setMousePointer(style);
            Form_MouseMove(form);
            QCOMPARE(form.mousePointer(), style == 11 ? short(11) : short(0));
        }
        QCOMPARE(form.clientArea()->cursor().shape(), Qt::ArrowCursor);
    }

    void onlyMovesOverTheBareClientAreaReachTheHandler()
    {
        FakeComponents components;
        FakeServices fakes;
        Form1 form(components);
        connectEventHandlers(form, fakes.services);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy moves(&form, &Form1::clientMouseMoved);

        form.setMousePointer(99);
        QTest::mouseMove(form.Picture1(), form.Picture1()->rect().center());
        QTest::mouseMove(form.MediaPlayer2(), QPoint(5, 5));
        QCOMPARE(moves.count(), 0);
        QCOMPARE(form.mousePointer(), short(99));

        // The gap at the window's left edge, beside the first frame.
        QTest::mouseMove(form.clientArea(), QPoint(2, form.clientArea()->height() / 2));
        QTRY_COMPARE(moves.count(), 1);
        QCOMPARE(form.mousePointer(), short(0));
    }

    void closingTheWindowEndsTheProgram()
    {
        FakeComponents components;
        FakeServices fakes;
        Form1 form(components);
        connectEventHandlers(form, fakes.services);
        form.show();
        QVERIFY(form.close());
        QCOMPARE(fakes.process.ended, 1);
        QVERIFY(fakes.messageBox.shown.isEmpty());
    }
};

QTEST_MAIN(TestPointerAndUnload)
#include "test_pointer_and_unload.moc"
