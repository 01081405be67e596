// The real window with the real players, dialog and file system, driven through its menu.
#include "app/platform_components.h"
#include "fakes/fake_services.h"
#include "platform/posix_file_system.h"
#include "platform/qt_message_box.h"
#include "playback/transport_bar.h"
#include "playback/video_player.h"
#include "support/dialog_testing.h"
#include "support/player_testing.h"
#include "support/real_window.h"
#include "video/video_surface.h"
#include "window/form1.h"
#include "window/form1_events.h"
#include "window/picture_box.h"
#include "window/start_up.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

class TestWindowEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The user's configuration, where nothing may be written.
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    }

    void selectVideo2PlaysTheChosenFileOnTheRightOnly()
    {
        RealWindow window;
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));
        window.left().setURL(mediaPath("red.mp4"));
        QVERIFY(RealWindow::playing(window.left()));

        const QString chosen = mediaPath("clip.avi");
        QTimer::singleShot(0, [&] {
            QFileDialog* dialog = openFileDialog();
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QString("Select Video"));
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(chosen);
            static_cast<QDialog*>(dialog)->accept();
        });
        window.form.Select2()->trigger();

        QCOMPARE(window.right().URL(), chosen);
        QVERIFY(RealWindow::playing(window.right()));
        QCOMPARE(window.left().URL(), mediaPath("red.mp4"));
        QVERIFY(RealWindow::playing(window.left()));
        // The dialog kept no history: nothing was written to the user's configuration.
        QCOMPARE(
            QDir(m_config.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
    }

    void samplesPlayLeftAndRightAndKeepPlayingThroughResizes()
    {
        RealWindow window;
        // Found and played whatever the letter case of the folder's name.
        QDir(window.folder.path()).mkdir("samples");
        // Named so that the red clip is listed first.
        QVERIFY(QFile::copy(mediaPath("red.mp4"), window.folder.filePath("samples/A red.mp4")));
        QVERIFY(QFile::copy(mediaPath("blue.mp4"), window.folder.filePath("samples/b blue.mp4")));
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));

        window.form.Sample()->trigger();
        QVERIFY(RealWindow::playing(window.left()));
        QVERIFY(RealWindow::playing(window.right()));
        QVERIFY(window.showsRedLeftAndBlueRight());

        window.form.resize(900, 640);
        QTRY_COMPARE(window.form.clientArea()->width(), 900);
        const float W = window.form.ScaleWidth();
        const float H = window.form.ScaleHeight();
        QCOMPARE(window.form.controlGeometry(*window.form.Picture2()),
                 TwipsRect({W / 2 - 10 + 127, 120, W / 2 - 14, H - 15}));
        QCOMPARE(window.form.controlGeometry(*window.form.MediaPlayer1()),
                 TwipsRect({0, 0, W / 2 - 10, H - 13}));
        QVERIFY(RealWindow::playing(window.left()));
        QVERIFY(RealWindow::playing(window.right()));
        QVERIFY(window.showsRedLeftAndBlueRight());
        QVERIFY2(window.boxesShown.isEmpty(), qPrintable(window.boxesShown.join(" | ")));
    }

    void aSkinSavedInCapitalsSkinsTheWindowButNotThePlayersInsides()
    {
        RealWindow window;
        QVERIFY(QDir(window.folder.path()).mkdir("X"));
        QVERIFY(QFile::copy(QStringLiteral(TANDEMO_SOURCE_DIR "/resources/skins/graphite.cjs"),
                            window.folder.filePath("X/O.CJS")));
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));
        TransportBar& bar = window.left().transportBar();
        const QImage barBefore = bar.grab().toImage();
        const QColor menuBefore = QMenu(&window.left()).palette().color(QPalette::Window);

        Form_Load(window.form, window.services);
        QVERIFY2(window.boxesShown.isEmpty(), qPrintable(window.boxesShown.join(" | ")));
        // The window took the skin...
        QCOMPARE(window.form.clientArea()->palette().color(QPalette::Window), QColor("#2b2f33"));
        QCOMPARE(window.form.menuBar()->grab().toImage().pixelColor(1, 1), QColor("#3a3f45"));
        // ...and the player's own controls look as they did: the skin's style lines for buttons
        // and sliders are drawn on none of them, and its menus keep the desktop's colours.
        QCOMPARE(bar.grab().toImage(), barBefore);
        QMenu menu(&window.left());
        menu.ensurePolished();
        QCOMPARE(menu.palette().color(QPalette::Window), menuBefore);
        QVERIFY(!bar.findChild<QLabel*>()->property("BackColor").isValid());
        QApplication::setPalette(QPalette(), "QDialog"); // the skin reached the dialogs
    }

    void theWindowsBoldFontStaysOutOfTheMenuBarAndThePlayers()
    {
        RealWindow window;
        QCOMPARE(window.form.font().family(), QString("Arial"));
        QVERIFY(window.form.font().bold());
        for (QWidget* drawn : {static_cast<QWidget*>(window.form.menuBar()),
                               static_cast<QWidget*>(&window.left().transportBar()),
                               static_cast<QWidget*>(&window.right().transportBar())}) {
            QCOMPARE(drawn->font(), QApplication::font(drawn));
            QVERIFY(!drawn->font().bold());
        }
    }

    void aBarShowsPlayAndPauseWithTheSameTwoIcons()
    {
        // A new icon at every press would cache pictures of its own each time, and memory would
        // creep with every play and pause.
        TransportBar bar;
        const auto icons = [&] {
            return QList<qint64>{bar.playPauseButton()->icon().cacheKey(),
                                 bar.muteButton()->icon().cacheKey()};
        };
        bar.setPlaying(false);
        bar.setMuted(false);
        const QList<qint64> first = icons();
        for (int i = 0; i < 3; ++i) {
            bar.setPlaying(true);
            bar.setMuted(true);
            QVERIFY(icons() != first);
            bar.setPlaying(false);
            bar.setMuted(false);
            QCOMPARE(icons(), first);
        }
    }

    void aPausedBarShowsTheTimeToTheMillisecondWhereThereIsRoom()
    {
        TransportBar bar;
        bar.resize(700, bar.sizeHint().height());
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        bar.setDuration(3);
        bar.setPosition(1.24);
        bar.setPlaying(false);
        QCOMPARE(bar.timeText(), "0:01.240 / 0:03");
        bar.setPlaying(true); // moving on, whole seconds are enough
        QCOMPARE(bar.timeText(), "0:01 / 0:03");
        // Narrower, the milliseconds give way before anything else.
        bar.setPlaying(false);
        int width = 700;
        while (bar.timeText().contains('.') && width > 100) {
            width -= 4;
            bar.resize(width, bar.height());
            QCoreApplication::processEvents();
        }
        QCOMPARE(bar.timeText(), "0:01 / 0:03");
        QVERIFY(!bar.volumeInPopup());
    }

private:
    QTemporaryDir m_config;
};

QTEST_MAIN(TestWindowEndToEnd)
#include "test_window_end_to_end.moc"
