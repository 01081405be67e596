#pragma once

#include <QByteArray>
#include <QPoint>

#include <optional>

namespace tandemo {

/// The hot spot of the first image of a Windows cursor (.cur) file, read from its directory
/// header; nothing for data that is not a cursor file.
std::optional<QPoint> cursorHotSpot(const QByteArray& bytes);

} // namespace tandemo
