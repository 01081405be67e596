#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tandemo {

/// A moment as the user writes it down: a time, a frame number, or both.
struct WrittenMoment {
    std::optional<double> seconds;
    std::optional<qint64> frame;
};

/// "0:01:04.920, frame 1948" (the frame left out while it is not known).
QString momentText(double seconds, std::optional<qint64> frame);
/// Reads a time ("0:01:04.920", "1:04.92", "64.92") and/or a frame ("frame 1948"), as
/// momentText writes them or a person types them; none when the text is neither.
std::optional<WrittenMoment> readMoment(const QString& text);

} // namespace tandemo
