#pragma once

#include "session/transport_rules.h"

#include <QString>
#include <QStringList>

namespace tandemo {

/// Where a frame of `video` at `seconds` is saved: a PNG in `folder` named after the video and
/// the time, such as "take 2-1m04.920s.png", never over a file that is there or in `taken`. A
/// tag says how the frame was shown ("take 2 mirrored-1m04.920s.png").
QString savedFramePath(const QString& folder, const QString& video, double seconds,
                       const QStringList& taken = {}, const QString& tag = {});

/// Each target that plays a file saves the frame it shows into `folder` (a mirrored one is
/// named so); returns the paths asked for. The engines report each as saved or not.
QStringList saveFrames(const QList<transport::Target>& targets, const QString& folder);

} // namespace tandemo
