#pragma once

#include "playback/wipe_view.h"

#include <QColor>
#include <QImage>

namespace tandemo::testing {

/// The colour the wipe view shows at a point of the video (in the video's own pixels).
inline QColor shownAt(WipeView& wipe, QSize video, QPointF point)
{
    const QImage image = wipe.grab(wipe.pictureRect()).toImage();
    const QSizeF drawn = QSizeF(video).scaled(wipe.pictureRect().size(), Qt::KeepAspectRatio);
    const QPointF origin((wipe.pictureRect().width() - drawn.width()) / 2,
                         (wipe.pictureRect().height() - drawn.height()) / 2);
    const QPointF at = origin + QPointF(point.x() * drawn.width() / video.width(),
                                        point.y() * drawn.height() / video.height());
    return image.pixelColor((at * image.devicePixelRatio()).toPoint());
}

} // namespace tandemo::testing
