#pragma once

#include "session/comparison_look.h"

#include <QImage>

class QPainter;
class QRect;

namespace tandemo {

/// The difference picture: for each channel, mid-grey plus the gain times how far the two differ.
/// Both pictures are of one size.
QImage differencePicture(const QImage& first, const QImage& second, int gain);

/// Draws the two frames as the look says, at `origin`, clipped to `picture`.
void paintComparison(QPainter& painter, const QRect& picture, const QImage& first,
                     const QImage& second, const ComparisonLook& look);

} // namespace tandemo
