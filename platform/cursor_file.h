#pragma once

#include <QByteArray>
#include <QPoint>

#include <optional>

namespace tandemo {

/// The hot spot of the first image of a Windows cursor (.cur) file, read from its directory
/// header; nothing for data that is not a cursor file.
std::optional<QPoint> cursorHotSpot(const QByteArray& bytes);

/// For icon and cursor files, whether every image their directory lists lies inside the data (a
/// cut-off file fails this); true for data of other kinds.
bool iconImagesAreComplete(const QByteArray& bytes);

} // namespace tandemo
