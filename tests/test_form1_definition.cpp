#include "fakes/fake_components.h"
#include "window/form1.h"
#include "window/picture_box.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace tandemo;

namespace {

bool nearlyEqual(const TwipsRect& actual, const TwipsRect& expected, double tolerance)
{
    return std::abs(actual.left - expected.left) <= tolerance &&
           std::abs(actual.top - expected.top) <= tolerance &&
           std::abs(actual.width - expected.width) <= tolerance &&
           std::abs(actual.height - expected.height) <= tolerance;
}

} // namespace

class TestForm1Definition : public QObject {
    Q_OBJECT
private slots:
    void init() { m_form = std::make_unique<Form1>(m_components); }
    void cleanup() { m_form.reset(); }

    void controlsHaveTheirNamesAndContainers()
    {
        Form1& form = *m_form;
        QCOMPARE(form.objectName(), "Form1");
        QCOMPARE(form.Picture1()->objectName(), "Picture1");
        QCOMPARE(form.Picture2()->objectName(), "Picture2");
        QCOMPARE(form.MediaPlayer1()->objectName(), "MediaPlayer1");
        QCOMPARE(form.MediaPlayer2()->objectName(), "MediaPlayer2");
        QCOMPARE(form.CommonDialog1()->objectName(), "CommonDialog1");
        QCOMPARE(form.SkinFramework1()->objectName(), "SkinFramework1");

        QCOMPARE(form.Picture1()->parentWidget(), form.clientArea());
        QCOMPARE(form.Picture2()->parentWidget(), form.clientArea());
        QCOMPARE(form.MediaPlayer1()->parentWidget(), form.Picture1());
        QCOMPARE(form.MediaPlayer2()->parentWidget(), form.Picture2());
        // The invisible components live on the window and die with it.
        QCOMPARE(form.CommonDialog1()->parent(), &form);
        QCOMPARE(form.SkinFramework1()->parent(), &form);

        QCOMPARE(form.findChild<QObject*>("MediaPlayer1"), form.MediaPlayer1());
        QCOMPARE(form.findChild<QAction*>("Sample"), form.Sample());
    }

    void geometryIsTheDesignGeometry()
    {
        Form1& form = *m_form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        const TwipsScale scale = form.scale();
        // Rounding to whole pixels may move an edge by up to half a pixel.
        const double tolerance = scale.twipsPerPixelX();
        QVERIFY(
            nearlyEqual(form.controlGeometry(*form.Picture1()), {120, 120, 6405, 6945}, tolerance));
        QVERIFY(nearlyEqual(form.controlGeometry(*form.Picture2()), {6570, 120, 6405, 6945},
                            tolerance));
        QVERIFY(
            nearlyEqual(form.controlGeometry(*form.MediaPlayer1()), {0, 0, 2175, 3345}, tolerance));
        QVERIFY(
            nearlyEqual(form.controlGeometry(*form.MediaPlayer2()), {0, 0, 2175, 3345}, tolerance));

        QCOMPARE(form.clientArea()->size(), scale.toPixels(8910, 7200));
        if (qFuzzyCompare(form.screen()->logicalDotsPerInchX(), 96.0)) {
            QCOMPARE(form.clientArea()->size(), QSize(594, 480));
            QCOMPARE(form.Picture1()->geometry(), QRect(8, 8, 427, 463));
            QCOMPARE(form.Picture2()->geometry(), QRect(438, 8, 427, 463));
            // Players sit at the top-left corner of the frame's client area, inside its border.
            QCOMPARE(form.MediaPlayer1()->geometry(),
                     QRect(form.Picture1()->clientOrigin(), QSize(145, 223)));
        }
    }

    void windowOpensCentredOnItsScreen()
    {
        Form1& form = *m_form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPoint screenCentre = form.screen()->availableGeometry().center();
        const QPoint windowCentre = form.geometry().center();
        QVERIFY2((screenCentre - windowCentre).manhattanLength() <= 4,
                 qPrintable(QString("window centre %1,%2 screen centre %3,%4")
                                .arg(windowCentre.x())
                                .arg(windowCentre.y())
                                .arg(screenCentre.x())
                                .arg(screenCentre.y())));
    }

    void windowPropertiesAreTheDesignedOnes()
    {
        Form1& form = *m_form;
        QCOMPARE(form.windowTitle(), "Form1");
        QCOMPARE(form.mousePointer(), short(0));
        QCOMPARE(form.backColour(), OleColour::fromRgb(255, 255, 255));
        QVERIFY(form.windowFlags() & Qt::WindowMinMaxButtonsHint);
        QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(form.windowFlags() & Qt::MSWindowsFixedSizeDialogHint));

        const QFont font = form.font();
        QCOMPARE(font.family(), "Arial");
        QCOMPARE(font.pointSize(), 9);
        QCOMPARE(font.weight(), QFont::Bold);
        QVERIFY(!font.italic());
        QVERIFY(!font.underline());
        QVERIFY(!font.strikeOut());

        for (PictureBox* frame : {form.Picture1(), form.Picture2()}) {
            QCOMPARE(frame->backColour().value(), 0x80000005u);
            QCOMPARE(frame->foreColour().value(), 0x80000008u);
        }
    }

    void marginsAndGapAreWhite()
    {
        Form1& form = *m_form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QImage client = form.clientArea()->grab().toImage();
        const QRect left = form.Picture1()->geometry();
        const QRect right = form.Picture2()->geometry();
        const QPoint samples[] = {{2, 2},
                                  {2, left.center().y()},
                                  {left.center().x(), 2},
                                  {(left.right() + right.left()) / 2 + 1, left.center().y()}};
        for (const QPoint& point : samples)
            QCOMPARE(client.pixelColor(point), QColor(Qt::white));
    }

    void menuBarHoldsThreePlainCommands()
    {
        Form1& form = *m_form;
        const QList<QAction*> actions = form.menuBar()->actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions[0], form.Select1());
        QCOMPARE(actions[1], form.Select2());
        QCOMPARE(actions[2], form.Sample());
        QCOMPARE(actions[0]->text(), "Select Video #1");
        QCOMPARE(actions[1]->text(), "Select Video #2");
        QCOMPARE(actions[2]->text(), "Load Sample/Example Videos");
        for (QAction* action : actions) {
            QVERIFY(action->menu() == nullptr);
            QVERIFY(action->shortcut().isEmpty());
            QVERIFY(!action->isCheckable());
            QVERIFY(!action->text().contains(u'&'));
            QVERIFY(action->isEnabled());
            QVERIFY(action->isVisible());
        }
    }

    void menuCommandsActWhenClicked()
    {
        Form1& form = *m_form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (QAction* action : {form.Select1(), form.Select2(), form.Sample()}) {
            QSignalSpy triggered(action, &QAction::triggered);
            const QPoint centre = form.menuBar()->actionGeometry(action).center();
            QTest::mouseClick(form.menuBar(), Qt::LeftButton, {}, centre);
            QCOMPARE(triggered.count(), 1);
        }
    }

    void tabOrderStartsWithTheRightPane()
    {
        Form1& form = *m_form;
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget(), form.Picture2());

        const QList<QWidget*> expected{form.MediaPlayer2(), form.Picture1(), form.MediaPlayer1(),
                                       form.Picture2()};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

    void iconIsATransparentPlaceholder()
    {
        const QIcon icon = m_form->windowIcon();
        QVERIFY(!icon.isNull());
        const QImage image = icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(32, 32));
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                QCOMPARE(qAlpha(image.pixel(x, y)), 0);
        }
    }

    void pointerStyleSelectsTheShape()
    {
        Form1& form = *m_form;
        form.setMousePointer(Form1::BusyPointer);
        QCOMPARE(form.clientArea()->cursor().shape(), Qt::WaitCursor);
        form.setMousePointer(Form1::DefaultPointer);
        QCOMPARE(form.mousePointer(), short(0));
        QCOMPARE(form.clientArea()->cursor().shape(), Qt::ArrowCursor);
    }

private:
    testing::FakeComponents m_components;
    std::unique_ptr<Form1> m_form;
};

QTEST_MAIN(TestForm1Definition)
#include "test_form1_definition.moc"
