#include "window/twips.h"

#include <QTest>

using tandemo::TwipsRect;
using tandemo::TwipsScale;

class TestTwips : public QObject {
    Q_OBJECT
private slots:
    void convertsAtCommonDpis_data()
    {
        QTest::addColumn<double>("dpi");
        QTest::addColumn<double>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("96 dpi, client width") << 96.0 << 8910.0 << 594;
        QTest::newRow("96 dpi, client height") << 96.0 << 7200.0 << 480;
        QTest::newRow("96 dpi, frame offset") << 96.0 << 120.0 << 8;
        QTest::newRow("96 dpi, half pixel rounds up") << 96.0 << 7.5 << 1;
        QTest::newRow("96 dpi, below half rounds down") << 96.0 << 7.0 << 0;
        QTest::newRow("120 dpi, 12 twips a pixel") << 120.0 << 8910.0 << 743;
        QTest::newRow("144 dpi, 10 twips a pixel") << 144.0 << 7200.0 << 720;
        QTest::newRow("negative stays negative") << 96.0 << -150.0 << -10;
    }
    void convertsAtCommonDpis()
    {
        QFETCH(double, dpi);
        QFETCH(double, twips);
        QFETCH(int, pixels);
        const TwipsScale scale(dpi, dpi);
        QCOMPARE(scale.toPixelsX(twips), pixels);
        QCOMPARE(scale.toPixelsY(twips), pixels);
    }

    void rectanglesKeepNeighboursAdjacent()
    {
        // Two controls that touch in twips must touch in pixels, whatever the rounding.
        const TwipsScale scale(96, 96);
        const QRect left = scale.toPixels(TwipsRect{120, 120, 4445, 7185});
        const QRect right = scale.toPixels(TwipsRect{4565, 120, 4441, 7185});
        QCOMPARE(left.x() + left.width(), right.x());
        QCOMPARE(left, QRect(8, 8, 296, 479));
    }

    void convertsBackToTwips()
    {
        const TwipsScale scale(96, 96);
        QCOMPARE(scale.toTwips(QRect(8, 8, 427, 463)), (TwipsRect{120, 120, 6405, 6945}));
        QCOMPARE(scale.twipsPerPixelX(), 15.0);
    }

    void unusableDpiFallsBackTo96()
    {
        const TwipsScale scale(0, -1);
        QCOMPARE(scale.twipsPerPixelX(), 15.0);
        QCOMPARE(scale.twipsPerPixelY(), 15.0);
    }
};

QTEST_APPLESS_MAIN(TestTwips)
#include "test_twips.moc"
