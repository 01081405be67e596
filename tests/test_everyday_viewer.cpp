// The viewer as a new user meets it, in the real window with real players: full screen and back,
// the focused pane marked, the keys panel, and a transport bar that fits its pane.
#include "playback/keys_panel.h"
#include "playback/transport_bar.h"
#include "playback/wipe_view.h"
#include "session/player_keys.h"
#include "support/real_window.h"
#include "window/picture_box.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSlider>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

namespace {

struct Layout {
    QRect window;
    QRect picture1, picture2, player1, player2;
    bool operator==(const Layout&) const = default;
};

Layout layoutOf(Form1& form)
{
    return {form.geometry(), form.Picture1()->geometry(), form.Picture2()->geometry(),
            form.MediaPlayer1()->geometry(), form.MediaPlayer2()->geometry()};
}

QWidget* picture(VideoPlayer& player)
{
    return player.videoSurface().widget();
}

/// Whether the bar's top edge is drawn in the desktop's highlight colour, as it looks.
bool markedAsFocused(TransportBar& bar)
{
    const QImage image = bar.grab().toImage();
    const QColor highlight = bar.palette().color(QPalette::Highlight);
    return colourDistance(image.pixelColor(image.width() / 2, 0), highlight) <= 8;
}

/// The widgets of the bar the user can see, and none squeezed below its least size or outside
/// the part of the pane that shows (the frame, within the window's client area).
QStringList partsOutOfReach(Form1& form, VideoPlayer& player)
{
    QStringList out;
    const QRect client = form.clientArea()->rect();
    QWidget* frame = player.parentWidget();
    const QRect pane = QRect(frame->mapTo(form.clientArea(), QPoint(0, 0)), frame->size()) & client;
    for (QWidget* part :
         player.transportBar().findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!part->isVisibleTo(&form) || part->inherits("QMenu"))
            continue;
        const QRect at(part->mapTo(form.clientArea(), QPoint(0, 0)), part->size());
        if (!pane.contains(at) || part->width() < part->minimumSizeHint().width())
            out << part->objectName();
    }
    return out;
}

} // namespace

class TestEverydayViewer : public QObject {
    Q_OBJECT

private slots:
    void fullScreenAndBackLeavesTheWindowAsItWas()
    {
        RealWindow window;
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));
        window.left().setURL(mediaPath("red.mp4"));
        window.right().setURL(mediaPath("blue.mp4"));
        QVERIFY(window.showsRedLeftAndBlueRight());
        const Layout before = layoutOf(window.form);
        const QRect screen = window.form.screen()->geometry();

        // F11 puts the panes on the whole screen, edge to edge: the window's model of its
        // controls is laid out as for any other size, the panes fill the screen over it.
        QTest::keyClick(&window.right(), Qt::Key_F11);
        QTRY_COMPARE(window.form.geometry(), screen);
        QVERIFY(window.form.menuBar()->isHidden());
        QTRY_COMPARE(window.form.clientArea()->size(), screen.size());
        QTRY_COMPARE(window.form.controlGeometry(*window.form.Picture1()).width,
                     window.form.ScaleWidth() / 2 - 10);
        QCOMPARE(window.form.controlGeometry(*window.form.MediaPlayer2()).height,
                 window.form.ScaleHeight() - 13);
        const auto fullScreenItem = [](VideoPlayer& player) {
            const std::unique_ptr<QMenu> menu = player.createContextMenu();
            for (const QAction* action : menu->actions()) {
                if (action->text() == "Full Screen\tF11")
                    return action->isChecked() ? 1 : 0;
            }
            return -1;
        };
        QCOMPARE(fullScreenItem(window.left()), 1);

        // The bars and the pointer hide while the pointer rests, and come back when it moves.
        QTRY_VERIFY_WITH_TIMEOUT(!window.left().transportBar().isVisible() &&
                                     !window.right().transportBar().isVisible(),
                                 FullScreen::kHideBarsAfterMs * 5);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
        const QRect half(0, 0, screen.width() / 2 - 1, screen.height());
        QTRY_VERIFY(std::abs(window.form.Picture1()->geometry().width() - half.width()) <= 1 &&
                    window.form.Picture1()->geometry().topLeft() == QPoint(0, 0));
        QCOMPARE(window.left().geometry(), window.form.Picture1()->rect());
        QCOMPARE(window.form.Picture2()->geometry().right(), screen.width() - 1);
        // No white margin along the top and left edges: black bars, red picture, blue picture.
        const QImage shown = window.form.grab().toImage();
        QStringList white;
        for (int x = 0; x < shown.width(); x += 4) {
            if (shown.pixelColor(x, 0).lightness() > 200)
                white << QString("(%1, 0)").arg(x);
        }
        for (int y = 0; y < shown.height(); y += 4) {
            if (shown.pixelColor(0, y).lightness() > 200)
                white << QString("(0, %1)").arg(y);
        }
        QVERIFY2(white.isEmpty(), qPrintable(white.mid(0, 8).join(' ')));
        QTest::mouseMove(window.form.windowHandle(), QPoint(200, 200));
        QTRY_VERIFY(window.left().transportBar().isVisible());
        QVERIFY(!QGuiApplication::overrideCursor());

        // A double-click on a picture brings the window back exactly as it was.
        QTest::mouseDClick(picture(window.left()), Qt::LeftButton);
        QTRY_COMPARE(layoutOf(window.form), before);
        QVERIFY(!window.form.menuBar()->isHidden());
        QCOMPARE(fullScreenItem(window.left()), 0);

        // In the wipe view, Esc leaves full screen first and the view next; the picture takes
        // the room of the bar full screen hides.
        QTest::keyClick(&window.left(), Qt::Key_W);
        QTRY_VERIFY(window.components.wipeView());
        WipeView& wipe = *window.components.wipeView();
        QTest::keyClick(&wipe, Qt::Key_F);
        QTRY_COMPARE(wipe.size(), screen.size());
        QTRY_VERIFY_WITH_TIMEOUT(wipe.transportBar().isHidden(), FullScreen::kHideBarsAfterMs * 5);
        QCOMPARE(wipe.pictureRect(), wipe.rect());
        QTest::keyClick(&wipe, Qt::Key_Escape);
        QTRY_COMPARE(layoutOf(window.form), before);
        QVERIFY(window.components.wipeView());
        QTest::keyClick(&wipe, Qt::Key_Escape);
        QTRY_VERIFY(!window.components.wipeView());
        QCOMPARE(layoutOf(window.form), before);
    }

    void theFocusedPaneIsMarkedAndTakesTheKeys()
    {
        RealWindow window;
        window.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window.form));
        TransportBar& leftBar = window.left().transportBar();
        TransportBar& rightBar = window.right().transportBar();

        // The right pane's frame has the focus first; its player's keys are live there.
        QVERIFY(window.form.Picture2()->hasFocus());
        QTRY_VERIFY(markedAsFocused(rightBar) && !markedAsFocused(leftBar));
        QTest::keyClick(window.form.Picture2(), Qt::Key_I);
        QVERIFY(window.right().actions().factsShown());

        // A click anywhere in the other pane, the picture or the bar, moves the keys and mark.
        QTest::mouseClick(picture(window.left()), Qt::LeftButton);
        QVERIFY(window.left().hasFocus());
        QVERIFY(markedAsFocused(leftBar) && !markedAsFocused(rightBar));
        QTest::mouseClick(rightBar.playPauseButton(), Qt::LeftButton);
        QVERIFY(window.right().hasFocus());
        QVERIFY(markedAsFocused(rightBar) && !markedAsFocused(leftBar));

        // Tab follows the designed order: the right player, then the left frame.
        QTest::keyClick(&window.right(), Qt::Key_Tab);
        QVERIFY(window.form.Picture1()->hasFocus());
        QVERIFY(markedAsFocused(leftBar) && !markedAsFocused(rightBar));

        // F1 shows every key and gesture over the window; any key closes it, focus back.
        QTest::keyClick(window.form.Picture1(), Qt::Key_F1);
        auto* panel = window.form.findChild<KeysPanel*>();
        QVERIFY(panel && panel->isVisible() && panel->hasFocus());
        QCOMPARE(panel->geometry(), window.form.rect());
        // Every row of the one list, the menu's commands without a key too, each wholly inside
        // the window at its first size (and at scale 2), wrapped rather than cut; the top says
        // how to close it.
        QCOMPARE(window.form.clientArea()->size(), QSize(594, 480));
        QVERIFY(panel->title().text().contains("Any key or a click closes this"));
        QCOMPARE(panel->rows().size(), playerKeys().size());
        QVERIFY(panel->rows().constLast().keys->text() == plainKeys(playerKeys().constLast()));
        QStringList outside;
        for (int row = 0; row < panel->rows().size(); ++row) {
            const KeysPanel::Row& shown = panel->rows()[row];
            QCOMPARE(shown.keys->text(), plainKeys(playerKeys()[row]));
            QCOMPARE(shown.does->text(), playerKeys()[row].does);
            for (QLabel* label : {shown.keys, shown.does}) {
                const QRect at(label->mapTo(&window.form, QPoint()), label->size());
                if (!label->isVisible() || !window.form.rect().contains(at) ||
                    label->heightForWidth(label->width()) > label->height())
                    outside << label->text();
            }
        }
        QVERIFY2(outside.isEmpty(), qPrintable(outside.join(" | ")));
        const double pointSize = panel->rows().constFirst().does->font().pointSizeF();
        QVERIFY2(pointSize >= 7, qPrintable(QString::number(pointSize)));
        QTest::keyClick(panel, Qt::Key_Escape);
        QTRY_VERIFY(!window.form.findChild<KeysPanel*>());
        QVERIFY(window.form.Picture1()->hasFocus());
        QVERIFY(!window.components.wipeView()); // the Esc went to the panel alone
    }

    void everyControlOfTheBarStaysInItsPane()
    {
        RealWindow window;
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));
        window.left().setURL(mediaPath("red.mp4"));
        window.right().setURL(mediaPath("large.avi")); // over a minute: a longer time to show
        QVERIFY(RealWindow::playing(window.right()));

        // At the designed size the volume pops up from the mute button.
        QCOMPARE(window.form.clientArea()->size(), QSize(594, 480));
        for (VideoPlayer* player : {&window.left(), &window.right()}) {
            TransportBar& bar = player->transportBar();
            QTRY_COMPARE(partsOutOfReach(window.form, *player), QStringList());
            QVERIFY(bar.volumeInPopup() && bar.muteButton()->menu());
            QVERIFY(bar.timeText().contains(" / "));
            // Linked with an offset, and saying something long, it still fits.
            bar.setOffset(-12.345);
            bar.setStatus("Saved a frame with a long name-1m04.920s.png");
            QTRY_COMPARE(partsOutOfReach(window.form, *player), QStringList());
            QCOMPARE(bar.findChild<QWidget*>("offset")->isVisible(), true);
            bar.setStatus({});
            bar.setOffset(0);
        }
        // The pop-up's slider sets the volume.
        QSlider* popup = window.left().transportBar().popupVolumeSlider();
        popup->triggerAction(QSlider::SliderPageStepAdd);
        QCOMPARE(window.left().settings().volume(), popup->value());
        QCOMPARE(window.left().transportBar().volumeSlider()->value(), popup->value());

        // With room enough, the slider is back in the bar.
        window.form.resize(1280, 700);
        QTRY_VERIFY(!window.left().transportBar().volumeInPopup() &&
                    window.left().transportBar().volumeSlider()->isVisible());
        QCOMPARE(partsOutOfReach(window.form, window.left()), QStringList());
    }
};

QTEST_MAIN(TestEverydayViewer)
#include "test_everyday_viewer.moc"
