#pragma once

#include "app/platform_components.h"
#include "playback/video_player.h"
#include "support/player_testing.h"
#include "window/form1.h"

#include <QSignalSpy>
#include <QTest>

namespace tandemo::testing {

/// The window with its two real players, both looping.
struct Window {
    Window()
        : components(quietPlayerOptions())
        , form(components)
    {
        form.show();
        left().settings().setMode("loop", true);
        right().settings().setMode("loop", true);
    }
    VideoPlayer& left() { return *qobject_cast<VideoPlayer*>(form.MediaPlayer1()); }
    VideoPlayer& right() { return *qobject_cast<VideoPlayer*>(form.MediaPlayer2()); }

    /// Both play their clips.
    bool play(const QString& leftClip, const QString& rightClip)
    {
        QSignalSpy leftFrames(&left(), &VideoPlayer::frameRendered);
        QSignalSpy rightFrames(&right(), &VideoPlayer::frameRendered);
        left().setURL(mediaPath(leftClip));
        right().setURL(mediaPath(rightClip));
        return QTest::qWaitFor(
            [&] {
                return leftFrames.count() > 3 && rightFrames.count() > 3 &&
                       left().engine().duration() > 0 && right().engine().duration() > 0;
            },
            kPlayerTimeoutMs);
    }

    static bool paused(VideoPlayer& player) { return player.engine().isPaused(); }

    /// Pauses both from the left pane, linked, once both play (a new file in a linked pane may
    /// still be waiting to start with the other).
    bool pauseBoth()
    {
        if (!QTest::qWaitFor([&] { return !paused(left()) && !paused(right()); }, kPlayerTimeoutMs))
            return false;
        left().actions().togglePlayPause();
        return QTest::qWaitFor([&] { return paused(left()) && paused(right()); }, kPlayerTimeoutMs);
    }
    static double at(VideoPlayer& player) { return player.engine().position(); }

    PlatformComponents components;
    Form1 form;
};

} // namespace tandemo::testing
