#pragma once

// Shared by the tests that feed the bad-input corpus (tests/make-bad-inputs) to the real players.
#include "app/platform_components.h"
#include "fakes/fake_services.h"
#include "fakes/fake_window.h"
#include "platform/posix_file_system.h"
#include "platform/qt_picture_loader.h"
#include "playback/video_player.h"
#include "skin/skin_engine.h"
#include "support/player_testing.h"
#include "video/video_surface.h"
#include "window/form1.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

namespace tandemo::testing {

/// The corpus, made by make-bad-inputs.
inline const QString kCorpus = QStringLiteral(TANDEMO_BAD_INPUTS_DIR);

inline QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

/// Fake dialogs and boxes, the real file system and picture loader, the program in `folder`.
struct RealFiles {
    explicit RealFiles(const QString& folder) { fakes.application.programFolder = folder; }
    FakeServices fakes;
    PosixFileSystem fileSystem;
    QtPictureLoader pictures;
    PlatformServices services{fakes.messageBox, fileSystem, fakes.application, pictures,
                              fakes.random,     fakes.web,  fakes.process};
};

/// Real players and skin engine; fake dialog.
class RealPlayerComponents : public FakeComponents {
public:
    MediaPlayer* createMediaPlayer(QWidget* frame) override
    {
        return VideoPlayer::create(frame, quietPlayerOptions());
    }
    SkinFramework* createSkinFramework(QWidget* window) override { return new SkinEngine(window); }
};

/// Gives the player a file and waits until the engine has either shown a frame of it or given
/// up on it, whichever comes first.
inline void settle(VideoPlayer& player, const QString& path)
{
    QSignalSpy frames(&player, &VideoPlayer::frameRendered);
    QSignalSpy failed(&player.engine(), &PlaybackEngine::fileFailed);
    QSignalSpy idle(&player.engine(), &PlaybackEngine::idleChanged);
    player.setURL(path);
    (void)QTest::qWaitFor(
        [&] { return frames.count() > 0 || failed.count() > 0 || player.engine().isIdle(); },
        kPlayerTimeoutMs);
}

/// Plays the file and waits for a few frames of it.
inline bool plays(VideoPlayer& player, const QString& path)
{
    QSignalSpy frames(&player, &VideoPlayer::frameRendered);
    player.setURL(path);
    return QTest::qWaitFor([&] { return frames.count() > 3; }, kPlayerTimeoutMs);
}

inline QColor centreOf(VideoPlayer& player)
{
    const QImage frame = player.videoSurface().grabFrame();
    return frame.pixelColor(frame.rect().center());
}

/// A shown window with two real players.
struct PlayerWindow {
    PlayerWindow()
        : components(quietPlayerOptions())
        , form(components)
    {
        form.resize(800, 500);
        form.show();
    }
    VideoPlayer& left() { return *qobject_cast<VideoPlayer*>(form.MediaPlayer1()); }
    VideoPlayer& right() { return *qobject_cast<VideoPlayer*>(form.MediaPlayer2()); }

    PlatformComponents components;
    Form1 form;
};

inline void dropOn(QWidget& target, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint middle = target.rect().center();
    QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    QDropEvent dropped(QPointF(middle), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &dropped);
}

inline bool playsAGoodFileNext(VideoPlayer& player)
{
    QSignalSpy frames(&player, &VideoPlayer::frameRendered);
    player.setURL(mediaPath("loop.mp4"));
    return QTest::qWaitFor([&] { return frames.count() > 3 && player.engine().position() > 0.1; },
                           kPlayerTimeoutMs);
}

/// Checks, once per test program, that the players use the render path the run asks for.
inline void checkAskedRenderPath()
{
    PlayerWindow window;
    const QByteArray asked = qgetenv("TANDEMO_TEST_RENDER_PATH");
    if (!asked.isEmpty())
        QCOMPARE(renderPathName(window.left().renderPath()).toLower().toLatin1(), asked);
}

} // namespace tandemo::testing
