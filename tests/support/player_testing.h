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

/// Compares a drawn picture with ffmpeg's decode of the same video, placed at `offset` in the
/// picture. Only points well inside areas of one colour count, so that scaling and the exact
/// placement of edges don't matter; orientation and colour do. Returns the largest channel
/// difference found, and in `worst` where it was.
inline int compareWithReference(const QImage& picture, const QImage& reference, QPoint offset,
                                QString* worst = nullptr)
{
    constexpr int kRadius = 4;
    const auto uniformAround = [&](int x, int y) {
        const QRgb centre = reference.pixel(x, y);
        for (int dy = -kRadius; dy <= kRadius; ++dy) {
            for (int dx = -kRadius; dx <= kRadius; ++dx) {
                if (colourDistance(reference.pixelColor(x + dx, y + dy), QColor(centre)) > 3)
                    return false;
            }
        }
        return true;
    };

    int largest = 0;
    int compared = 0;
    const int stepX = std::max(1, reference.width() / 24);
    const int stepY = std::max(1, reference.height() / 24);
    for (int y = kRadius; y < reference.height() - kRadius; y += stepY) {
        for (int x = kRadius; x < reference.width() - kRadius; x += stepX) {
            if (!uniformAround(x, y))
                continue;
            const QPoint at = QPoint(x, y) + offset;
            if (!picture.rect().contains(at))
                return 255;
            ++compared;
            const int distance = colourDistance(picture.pixelColor(at), reference.pixelColor(x, y));
            if (distance > largest) {
                largest = distance;
                if (worst)
                    *worst =
                        QString("at %1,%2 expected %3 got %4")
                            .arg(x)
                            .arg(y)
                            .arg(reference.pixelColor(x, y).name(), picture.pixelColor(at).name());
            }
        }
    }
    return compared > 50 ? largest : 255;
}

/// Where a video of `video` size sits when shown unscaled and centred in `area`.
inline QPoint centredOffset(QSize area, QSize video)
{
    return {(area.width() - video.width()) / 2, (area.height() - video.height()) / 2};
}

} // namespace tandemo::testing
