#include "window/ole_colour.h"
#include "window/picture_box.h"
#include "window/system_colours.h"

#include <QApplication>
#include <QTest>

using tandemo::OleColour;
using tandemo::SystemColour;

class TestColours : public QObject {
    Q_OBJECT
private slots:
    void tellsRgbFromSystemColours()
    {
        const OleColour buttonFace(0x8000000Fu);
        QVERIFY(buttonFace.isSystemColour());
        QCOMPARE(buttonFace.systemIndex(), 15u);
        QCOMPARE(OleColour::fromSystem(SystemColour::ButtonFace), buttonFace);

        // RGB values keep red in the low byte, as the window definition stores them.
        const OleColour orange = OleColour::fromRgb(255, 128, 0);
        QVERIFY(!orange.isSystemColour());
        QCOMPARE(orange.value(), 0x000080FFu);
        QCOMPARE(int(orange.red()), 255);
        QCOMPARE(int(orange.green()), 128);
        QCOMPARE(int(orange.blue()), 0);
        QCOMPARE(OleColour::fromRgb(255, 255, 255).value(), 0x00FFFFFFu);
    }

    void resolvesSystemColoursThroughThePalette()
    {
        QPalette palette;
        palette.setColor(QPalette::Active, QPalette::Base, QColor(1, 2, 3));
        palette.setColor(QPalette::Active, QPalette::Text, QColor(4, 5, 6));
        palette.setColor(QPalette::Active, QPalette::Button, QColor(7, 8, 9));
        palette.setColor(QPalette::Active, QPalette::Window, QColor(10, 11, 12));

        using tandemo::resolveColour;
        QCOMPARE(resolveColour(OleColour::fromSystem(SystemColour::Window), palette),
                 QColor(1, 2, 3));
        QCOMPARE(resolveColour(OleColour::fromSystem(SystemColour::WindowText), palette),
                 QColor(4, 5, 6));
        QCOMPARE(resolveColour(OleColour(0x8000000Fu), palette), QColor(7, 8, 9));
        QCOMPARE(resolveColour(OleColour::fromRgb(200, 100, 50), palette), QColor(200, 100, 50));
        // An index without a Qt role falls back to the window background rather than black.
        QCOMPARE(resolveColour(OleColour(0x80000063u), palette), QColor(10, 11, 12));
    }

    void pictureBoxPaintsItsColours()
    {
        tandemo::PictureBox box;
        QCOMPARE(box.backColour(), OleColour::fromSystem(SystemColour::Window));
        QCOMPARE(box.foreColour(), OleColour::fromSystem(SystemColour::WindowText));
        QVERIFY(box.autoFillBackground());
        QCOMPARE(box.palette().color(QPalette::Window),
                 QApplication::palette().color(QPalette::Base));

        // A system colour follows the desktop when its palette changes.
        const QPalette original = QApplication::palette();
        QPalette dark = original;
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        QApplication::setPalette(dark);
        // A running application sends this to every child widget; a test has no running loop.
        QEvent changed(QEvent::ApplicationPaletteChange);
        QCoreApplication::sendEvent(&box, &changed);
        QCOMPARE(box.palette().color(QPalette::Window), QColor(30, 30, 30));
        QApplication::setPalette(original);

        box.setBackColour(OleColour::fromRgb(0, 0, 255));
        QCOMPARE(box.palette().color(QPalette::Window), QColor(0, 0, 255));
        box.resize(40, 40);
        const QImage image = box.grab().toImage();
        QCOMPARE(image.pixelColor(20, 20), QColor(0, 0, 255));
    }
};

QTEST_MAIN(TestColours)
#include "test_colours.moc"
