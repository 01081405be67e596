// The window as a desktop with a window manager shows it: the manager's frame counts.
#include "fakes/fake_window.h"
#include "support/player_testing.h"
#include "support/x11_client.h"

#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using namespace tandemo;
using namespace tandemo::testing;

class TestWindowManager : public QObject {
    Q_OBJECT

private slots:
    void theFramedWindowOpensCentred()
    {
        // A plain manager that frames windows with a title bar and places them where asked.
        QTemporaryDir home;
        QFile settings(home.filePath("twmrc"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        // The X server's own font only: the test machine has no others for X.
        settings.write("UsePPosition \"on\"\nRandomPlacement\nNoGrabServer\n");
        for (const char* font :
             {"TitleFont", "MenuFont", "IconFont", "ResizeFont", "IconManagerFont"})
            settings.write(QByteArray(font) + " \"fixed\"\n");
        settings.close();
        QProcess manager;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", "C");
        manager.setProcessEnvironment(environment);
        manager.start("twm", {"-f", settings.fileName()});
        QVERIFY(manager.waitForStarted());
        X11Client client;
        QVERIFY(QTest::qWaitFor([&] { return client.hasWindowManager(); }, kPlayerTimeoutMs));

        FakeWindow window;
        window.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));
        const QRect available = window.form.screen()->availableGeometry();
        const auto framedAndCentred = [&] {
            const QRect framed = window.form.frameGeometry();
            return framed.height() > window.form.height() &&
                   std::abs(framed.center().x() - available.center().x()) <= 1 &&
                   std::abs(framed.center().y() - available.center().y()) <= 1;
        };
        const bool centred = QTest::qWaitFor(framedAndCentred, kPlayerTimeoutMs);
        QVERIFY2(centred, qPrintable(QString("frame %1,%2 %3x%4 on %5x%6, window %7,%8 %9x%10")
                                         .arg(window.form.frameGeometry().x())
                                         .arg(window.form.frameGeometry().y())
                                         .arg(window.form.frameGeometry().width())
                                         .arg(window.form.frameGeometry().height())
                                         .arg(available.width())
                                         .arg(available.height())
                                         .arg(window.form.geometry().x())
                                         .arg(window.form.geometry().y())
                                         .arg(window.form.width())
                                         .arg(window.form.height())));
        manager.terminate();
        manager.waitForFinished();
    }
};

QTEST_MAIN(TestWindowManager)
#include "test_window_manager.moc"
