#pragma once

#include "playback/video_player.h"
#include "video/video_surface.h"
#include "window/form1.h"

#include <QImage>
#include <QSignalSpy>
#include <QString>
#include <QTest>

namespace tandemo::testing {

/// Generous bound for anything a player does: a slow CI machine must never fail by luck.
inline constexpr int kPlayerTimeoutMs = 30000;

inline QString mediaPath(const QString& name)
{
    return QStringLiteral(TANDEMO_TEST_MEDIA_DIR "/") + name;
}

/// A real player with sound going nowhere, on the given render path; unless given, the path
/// TANDEMO_TEST_RENDER_PATH names ("opengl" or "software"), else the one the machine would use.
inline VideoPlayerOptions quietPlayerOptions(std::optional<RenderPath> path = std::nullopt)
{
    VideoPlayerOptions options;
    const QByteArray forced = qgetenv("TANDEMO_TEST_RENDER_PATH");
    if (!path && forced == "opengl")
        path = RenderPath::OpenGL;
    else if (!path && forced == "software")
        path = RenderPath::Software;
    options.renderPath = path;
    options.engine.audioOutput = false;
    return options;
}

/// Largest difference of one colour channel between two colours.
inline int colourDistance(QColor a, QColor b)
{
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

} // namespace tandemo::testing

namespace tandemo::testing {

/// Whether the picture is of one colour (within 3) for `radius` pixels around a point.
inline bool uniformAround(const QImage& picture, int x, int y, int radius)
{
    const QColor centre = picture.pixelColor(x, y);
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            if (colourDistance(picture.pixelColor(x + dx, y + dy), centre) > 3)
                return false;
        }
    }
    return true;
}

/// Where a video of `video` size is drawn in an area of `area` size: unscaled and centred when it
/// fits, else shrunk to fit with its aspect kept.
inline QRectF videoRect(QSize area, QSize video)
{
    QSizeF drawn = video;
    if (video.width() > area.width() || video.height() > area.height())
        drawn = QSizeF(video).scaled(area, Qt::KeepAspectRatio);
    return {QPointF((area.width() - drawn.width()) / 2, (area.height() - drawn.height()) / 2),
            drawn};
}

/// Compares a drawn picture with ffmpeg's decode of the same video, drawn into `target` of the
/// picture. Only points well inside areas of one colour count, so that scaling and the exact
/// placement of edges don't matter; orientation and colour do. Returns the largest channel
/// difference found (255 when too few points could be compared), and in `worst` where it was.
inline int compareWithReference(const QImage& picture, const QImage& reference, QRectF target,
                                QString* worst = nullptr)
{
    constexpr int kRadius = 6;

    const double scaleX = target.width() / reference.width();
    const double scaleY = target.height() / reference.height();
    int largest = 0;
    int compared = 0;
    const int stepX = std::max(1, reference.width() / 24);
    const int stepY = std::max(1, reference.height() / 24);
    for (int y = kRadius; y < reference.height() - kRadius; y += stepY) {
        for (int x = kRadius; x < reference.width() - kRadius; x += stepX) {
            if (!uniformAround(reference, x, y, kRadius))
                continue;
            const QPoint at(int(target.left() + (x + 0.5) * scaleX),
                            int(target.top() + (y + 0.5) * scaleY));
            if (!picture.rect().contains(at))
                return 255;
            ++compared;
            const QColor expected = reference.pixelColor(x, y);
            const QColor actual = picture.pixelColor(at);
            const int distance = colourDistance(actual, expected);
            if (distance > largest) {
                largest = distance;
                if (worst)
                    *worst = QString("at %1,%2 expected %3 got %4")
                                 .arg(x)
                                 .arg(y)
                                 .arg(expected.name(), actual.name());
            }
        }
    }
    return compared > 50 ? largest : 255;
}

/// Largest difference between a picture of the player's video and ffmpeg's own decode of `clip`, a
/// still test pattern of `videoSize`; written to the test log as well.
inline int differenceFromFfmpeg(const QImage& picture, const QString& clip, QSize videoSize)
{
    const QImage reference(mediaPath(clip + ".png"));
    if (reference.isNull())
        return 255;
    QString worst;
    const int difference =
        compareWithReference(picture, reference, videoRect(picture.size(), videoSize), &worst);
    qInfo("%s in %dx%d: largest difference %d (%s)", qPrintable(clip), picture.width(),
          picture.height(), difference, qPrintable(worst));
    return difference;
}

inline int differenceFromFfmpeg(VideoPlayer& player, const QString& clip, QSize videoSize)
{
    return differenceFromFfmpeg(player.videoSurface().grabFrame(), clip, videoSize);
}

/// What the window system shows of a widget: what reached the screen, not a fresh paint.
inline QImage shownOnScreen(QWidget& widget)
{
    const QPoint inWindow = widget.mapTo(widget.window(), QPoint(0, 0));
    return widget.screen()
        ->grabWindow(widget.window()->winId(), inWindow.x(), inWindow.y(), widget.width(),
                     widget.height())
        .toImage();
}

/// Plays a red clip in the window's left player and a blue one in its right player, and tells
/// whether the grabbed window shows red in the middle of the left pane and blue in the right.
inline bool showsRedLeftAndBlueRight(Form1& form, QString* seen)
{
    auto* left = qobject_cast<VideoPlayer*>(form.MediaPlayer1());
    auto* right = qobject_cast<VideoPlayer*>(form.MediaPlayer2());
    if (!left || !right)
        return false;
    QSignalSpy leftFrames(left, &VideoPlayer::frameRendered);
    QSignalSpy rightFrames(right, &VideoPlayer::frameRendered);
    left->setURL(mediaPath("red.mp4"));
    right->setURL(mediaPath("blue.mp4"));
    const bool playing = QTest::qWaitFor(
        [&] {
            return leftFrames.count() > 3 && rightFrames.count() > 3 &&
                   left->engine().position() > 0.2 && right->engine().position() > 0.2;
        },
        kPlayerTimeoutMs);
    if (!playing)
        return false;

    const QImage window = form.grab().toImage();
    const auto centreOf = [&](VideoPlayer* player) {
        QWidget* video = player->videoSurface().widget();
        return window.pixelColor(video->mapTo(&form, video->rect().center()));
    };
    *seen = centreOf(left).name() + " left, " + centreOf(right).name() + " right";
    return colourDistance(centreOf(left), Qt::red) <= 8 &&
           colourDistance(centreOf(right), Qt::blue) <= 8;
}

} // namespace tandemo::testing
