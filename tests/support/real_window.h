#pragma once

#include "app/platform_components.h"
#include "fakes/fake_services.h"
#include "platform/posix_file_system.h"
#include "platform/qt_message_box.h"
#include "playback/video_player.h"
#include "support/player_testing.h"
#include "video/video_surface.h"
#include "window/form1.h"
#include "window/form1_events.h"

#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace tandemo::testing {

/// The window with real players, wired to real dialogs and file system; the program's folder is
/// a temporary one.
struct RealWindow {
    RealWindow()
        : components(quietPlayerOptions())
        , form(components)
    {
        fakes.application.programFolder = folder.path();
        messageBox.setWindow(&form);
        connectEventHandlers(form, services);
        // The real message box is modal: any that opens is noted and closed, so that a test can
        // tell that none was shown.
        boxWatch.setInterval(20);
        QObject::connect(&boxWatch, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxesShown << box->text();
                box->accept();
            }
        });
        boxWatch.start();
        form.show();
    }

    VideoPlayer& left() { return *qobject_cast<VideoPlayer*>(form.MediaPlayer1()); }
    VideoPlayer& right() { return *qobject_cast<VideoPlayer*>(form.MediaPlayer2()); }

    QColor centreColour(VideoPlayer& player)
    {
        const QImage window = form.grab().toImage();
        QWidget* video = player.videoSurface().widget();
        return window.pixelColor(video->mapTo(&form, video->rect().center()));
    }

    /// Waits until the left pane shows red and the right one blue.
    bool showsRedLeftAndBlueRight()
    {
        return QTest::qWaitFor(
            [&] {
                return colourDistance(centreColour(left()), Qt::red) <= 8 &&
                       colourDistance(centreColour(right()), Qt::blue) <= 8;
            },
            kPlayerTimeoutMs);
    }

    /// Waits until the player has drawn a few frames of its video and moved on in it.
    static bool playing(VideoPlayer& player)
    {
        QSignalSpy frames(&player, &VideoPlayer::frameRendered);
        const double start = player.engine().position();
        return QTest::qWaitFor(
            [&] { return frames.count() > 3 && player.engine().position() != start; },
            kPlayerTimeoutMs);
    }

    QTemporaryDir folder;
    QStringList boxesShown;
    QTimer boxWatch;
    FakeServices fakes;
    QtMessageBox messageBox;
    PosixFileSystem fileSystem;
    PlatformServices services{messageBox,   fileSystem, fakes.application, fakes.pictures,
                              fakes.random, fakes.web,  fakes.process};
    PlatformComponents components;
    Form1 form;
};

} // namespace tandemo::testing
