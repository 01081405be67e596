#include "fakes/fake_services.h"
#include "fakes/fake_window.h"
#include "window/form1.h"
#include "window/form1_events.h"
#include "window/pane_layout.h"
#include "window/picture_box.h"

#include <QMoveEvent>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

struct Layout {
    TwipsRect picture1, picture2, player1, player2;
    friend bool operator==(const Layout&, const Layout&) = default;
};

Layout layoutOf(const Form1& form)
{
    return {form.controlGeometry(*form.Picture1()), form.controlGeometry(*form.Picture2()),
            form.controlGeometry(*form.MediaPlayer1()), form.controlGeometry(*form.MediaPlayer2())};
}

/// The layout the formulas give for a client area of W x H twips, in single precision.
Layout expectedFor(float W, float H)
{
    const float picture1Width = W / 2 - 10;
    return {{120, 120, picture1Width, H - 15},
            {picture1Width + 120 + 7, 120, W / 2 - 14, H - 15},
            {0, 0, W / 2 - 10, H - 13},
            {0, 0, W / 2 - 10, H - 13}};
}

/// Lays the window out for a client area of the given size in pixels, without showing it.
void resizeClient(Form1& form, QSize pixels)
{
    form.clientArea()->resize(pixels);
    Form_Resize(form);
}

/// Notes on the timeline each move and resize of the window's frames and players.
class GeometryWatcher : public QObject {
public:
    explicit GeometryWatcher(Form1& form)
    {
        for (QWidget* control : QList<QWidget*>{form.Picture1(), form.Picture2(),
                                                form.MediaPlayer1(), form.MediaPlayer2()})
            control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const auto* control = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Resize)
            Timeline::note(control->objectName() + " size");
        else if (event->type() == QEvent::Move && static_cast<QMoveEvent*>(event)->pos() !=
                                                      static_cast<QMoveEvent*>(event)->oldPos())
            Timeline::note(control->objectName() + " left");
        return false;
    }
};

} // namespace

class TestPaneLayout : public QObject {
    Q_OBJECT

private slots:
    void framesThenPlayersChangeInTheDesignedOrder()
    {
        FakeWindow window;
        window.form.MediaPlayer1()->setObjectName("MediaPlayer1");
        window.form.MediaPlayer2()->setObjectName("MediaPlayer2");
        window.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));
        const GeometryWatcher watcher(window.form);
        Timeline timeline;
        window.form.clientArea()->resize(window.form.clientArea()->size() + QSize(40, 30));
        Form_Resize(window.form);
        QCOMPARE(timeline.events,
                 (QStringList{"Picture1 size", "Picture1 size", "Picture2 size", "Picture2 left",
                              "Picture2 size", "MediaPlayer1 size", "MediaPlayer1 size",
                              "MediaPlayer2 size", "MediaPlayer2 size"}));
    }

    void designSizeGivesTheDesignedFigures()
    {
        FakeWindow window;
        resizeClient(window.form, QSize(594, 480)); // 8910 x 7200 twips at 96 DPI
        QCOMPARE(window.form.ScaleWidth(), 8910.0f);
        QCOMPARE(window.form.ScaleHeight(), 7200.0f);

        const Layout layout = layoutOf(window.form);
        QCOMPARE(layout.picture1, TwipsRect({120, 120, 4445, 7185}));
        QCOMPARE(layout.picture2, TwipsRect({4572, 120, 4441, 7185}));
        QCOMPARE(layout.player1, TwipsRect({0, 0, 4445, 7187}));
        QCOMPARE(layout.player2, TwipsRect({0, 0, 4445, 7187}));

        // Whole pixels come from rounding each edge once: 120 twips is 8 px, 4565 is 304.33.
        QCOMPARE(window.form.Picture1()->geometry(), QRect(8, 8, 296, 479));
        QCOMPARE(window.form.Picture2()->geometry(), QRect(305, 8, 296, 479));
    }

    void everySizeFollowsTheFormulas()
    {
        FakeWindow window;
        for (int width = 2; width <= 2560; width += 37) {
            for (int height = 1; height <= 1600; height += 53) {
                resizeClient(window.form, QSize(width, height));
                const Layout expected = expectedFor(width * 15.0f, height * 15.0f);
                QVERIFY2(layoutOf(window.form) == expected,
                         qPrintable(QString("%1x%2").arg(width).arg(height)));
            }
        }
    }

    void tooSmallClientLeavesTheLayoutAsItWas()
    {
        FakeWindow window;
        resizeClient(window.form, QSize(400, 300));
        const Layout before = layoutOf(window.form);
        QTest::failOnWarning(QRegularExpression(".*"));
        for (const QSize tiny : {QSize(0, 0), QSize(1, 300), QSize(400, 0), QSize(0, 500)}) {
            resizeClient(window.form, tiny);
            QCOMPARE(layoutOf(window.form), before);
        }
        // Large enough again: the formulas apply once more.
        resizeClient(window.form, QSize(2, 1));
        QCOMPARE(layoutOf(window.form), expectedFor(30, 15));
    }

    void showingAndResizingTheWindowLaysItOut()
    {
        FakeWindow window;
        connectEventHandlers(window.form, window.services());
        window.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));
        const auto followsClientSize = [&] {
            return layoutOf(window.form) ==
                   expectedFor(window.form.ScaleWidth(), window.form.ScaleHeight());
        };
        QVERIFY(followsClientSize());

        window.form.resize(900, 700);
        QTRY_VERIFY(window.form.clientArea()->width() > 800);
        QVERIFY(followsClientSize());

        window.form.showMaximized();
        QTRY_VERIFY(window.form.isMaximized());
        QVERIFY(followsClientSize());
        // Restored, the layout is that of the restored size, with no trace of the maximised one.
        window.form.showNormal();
        QTRY_COMPARE(window.form.clientArea()->width(), 900);
        QVERIFY(followsClientSize());
    }
};

QTEST_MAIN(TestPaneLayout)
#include "test_pane_layout.moc"
