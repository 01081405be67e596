#pragma once

#include "compose/comparison_look.h"
#include "engine/playback_engine.h"

#include <QImage>

class QPainter;
class QRect;
class QRectF;

namespace tandemo {

/// The difference picture: for each channel, mid-grey plus the gain times how far the two differ.
/// Both pictures are of one size.
QImage differencePicture(const QImage& first, const QImage& second, int gain);

/// Draws the two frames as the look says, at `origin`, clipped to `picture`. `video` is where the
/// first video lies in it (the divider is drawn across the video only, not the bars beside it);
/// empty when not known.
void paintComparison(QPainter& painter, const QRect& picture, const QImage& first,
                     const QImage& second, const ComparisonLook& look, const QRectF& video = {});

/// Where a video of `size`, scaled to fit `area` and zoomed and panned as `view` says, lies.
QRectF shownVideoRect(const QRectF& area, QSize size, const ViewZoom& view);

} // namespace tandemo
