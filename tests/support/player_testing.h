#pragma once

#include "platform/mpv/mpv_player.h"

#include <QImage>
#include <QString>
#include <QTest>

namespace tandemo::testing {

/// Generous bound for anything a player does: a slow CI machine must never fail by luck.
inline constexpr int kPlayerTimeoutMs = 30000;

inline QString mediaPath(const QString& name)
{
    return QStringLiteral(TANDEMO_TEST_MEDIA_DIR "/") + name;
}

/// A real player with sound going nowhere, on the given render path.
inline MpvPlayerOptions quietPlayerOptions(std::optional<RenderPath> path = std::nullopt)
{
    MpvPlayerOptions options;
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
    const auto uniformAround = [&](int x, int y) {
        const QColor centre = reference.pixelColor(x, y);
        for (int dy = -kRadius; dy <= kRadius; ++dy) {
            for (int dx = -kRadius; dx <= kRadius; ++dx) {
                if (colourDistance(reference.pixelColor(x + dx, y + dy), centre) > 3)
                    return false;
            }
        }
        return true;
    };

    const double scaleX = target.width() / reference.width();
    const double scaleY = target.height() / reference.height();
    int largest = 0;
    int compared = 0;
    const int stepX = std::max(1, reference.width() / 24);
    const int stepY = std::max(1, reference.height() / 24);
    for (int y = kRadius; y < reference.height() - kRadius; y += stepY) {
        for (int x = kRadius; x < reference.width() - kRadius; x += stepX) {
            if (!uniformAround(x, y))
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

} // namespace tandemo::testing
