#pragma once

#include <QImage>
#include <QString>

namespace tandemo {

/// Saves a picture as a new PNG file at `destination`, never over or through anything there:
/// written beside it privately and put in place only when whole. False (and nothing left) when
/// that fails.
bool savePicture(const QImage& picture, const QString& destination);

} // namespace tandemo
