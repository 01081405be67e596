#include "fakes/fake_services.h"
#include "fakes/fake_window.h"
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
        FakeWindow window;
        for (const short style : {short(11), short(99), short(0), short(5)}) {
            window.form.setMousePointer(style);
            Form_MouseMove(window.form);
            QCOMPARE(window.form.mousePointer(), style == 11 ? short(11) : short(0));
        }
        QCOMPARE(window.form.clientArea()->cursor().shape(), Qt::ArrowCursor);
    }

    void onlyMovesOverTheBareClientAreaReachTheHandler()
    {
        FakeWindow window;
        connectEventHandlers(window.form, window.services());
        window.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));
        QSignalSpy moves(&window.form, &Form1::clientMouseMoved);

        window.form.setMousePointer(99);
        QTest::mouseMove(window.form.Picture1(), window.form.Picture1()->rect().center());
        QTest::mouseMove(window.form.MediaPlayer2(), QPoint(5, 5));
        QCOMPARE(moves.count(), 0);
        QCOMPARE(window.form.mousePointer(), short(99));

        // The gap at the window's left edge, beside the first frame.
        QTest::mouseMove(window.form.clientArea(),
                         QPoint(2, window.form.clientArea()->height() / 2));
        QTRY_COMPARE(moves.count(), 1);
        QCOMPARE(window.form.mousePointer(), short(0));
    }

    void closingTheWindowEndsTheProgram()
    {
        FakeWindow window;
        connectEventHandlers(window.form, window.services());
        window.form.show();
        QVERIFY(window.form.close());
        QCOMPARE(window.fakes.process.ended, 1);
        QVERIFY(window.fakes.messageBox.shown.isEmpty());
    }
};

QTEST_MAIN(TestPointerAndUnload)
#include "test_pointer_and_unload.moc"
