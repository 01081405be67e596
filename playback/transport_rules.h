#pragma once

#include <QList>

namespace tandemo {

class PlaybackEngine;

/// What a transport action does to the engines it reaches: the engine it was made on (`origin`)
/// and, while players are linked, the others too (see PlayerLink::targetsOf).
namespace transport {

/// The seconds the arrow keys seek by.
inline constexpr double kSeekStepSeconds = 5.0;

/// All play, or all pause, as the origin was paused or playing. Paused linked engines each stop
/// on a frame of their own; once the origin has stopped, the others are brought to its moment.
void playPause(PlaybackEngine& origin, const QList<PlaybackEngine*>& targets);
void stop(const QList<PlaybackEngine*>& targets);
/// Each to the same time, kept inside its own video.
void seekTo(const QList<PlaybackEngine*>& targets, double seconds);
/// Each to the origin's position moved by `seconds`.
void seekBy(PlaybackEngine& origin, const QList<PlaybackEngine*>& targets, double seconds);
void stepFrame(const QList<PlaybackEngine*>& targets, bool forward);
void setSpeed(const QList<PlaybackEngine*>& targets, double speed);

/// Seeks one engine to a time kept inside its video (short of its very end, which would end or
/// restart it), exactly, so that linked engines show the same moment.
void seekWithin(PlaybackEngine& engine, double seconds);

} // namespace transport

} // namespace tandemo
