#pragma once

#include "engine/playback_engine.h"

#include <QList>
#include <QPointF>
#include <QSizeF>

namespace tandemo {

class PlaybackEngine;

/// What a transport action does to the engines it reaches: the engine it was made on (the
/// origin, always first) and, while players are linked, the others too (PlayerLink::targetsOf).
namespace transport {

/// The seconds the arrow keys seek by.
inline constexpr double kSeekStepSeconds = 5.0;

/// An engine an action reaches, and where it stands against the origin: the moment it shows
/// is the origin's moment plus `offset` seconds, where its video runs at the origin's pace; a
/// video that runs at another pace (another transfer of the film, a recorder whose clock runs
/// fast) goes `rate` of its seconds to one of the origin's.
struct Target {
    PlaybackEngine* engine = nullptr;
    double offset = 0;
    double rate = 1;
    /// Its moment at the origin's moment `seconds`.
    double at(double seconds) const { return seconds * rate + offset; }
};

/// The origin alone.
QList<Target> alone(PlaybackEngine& origin);

/// All play, or all pause, as the origin was paused or playing. Paused linked engines each stop
/// on a frame of their own; once the origin has stopped, all are held at the moment it reported.
void playPause(const QList<Target>& targets);
void stop(const QList<Target>& targets);
/// Each to the origin's time `seconds` (plus its offset), kept inside its own video.
void seekTo(const QList<Target>& targets, double seconds);
/// Each to the origin's position moved by `seconds`.
void seekBy(const QList<Target>& targets, double seconds);
/// The origin one of its own frames on or back; the others to their frame showing at the
/// origin's new moment, so that videos of different frame rates stay at one moment. In a
/// passage, a step past its last frame goes to its first, and back from its first to its last.
void stepFrame(const QList<Target>& targets, bool forward);
void setSpeed(const QList<Target>& targets, double speed);

/// Each loops the origin's passage (given in the origin's times) at its own moments, with its
/// offset, kept inside its video; none: each loops its whole file again.
void setPassage(const QList<Target>& targets, std::optional<Passage> passage);
/// The origin's passage after its start (or its end) was marked at `seconds`: the other end
/// stays where it is when it is on its side of the mark, else it goes to the file's end (or its
/// start).
Passage passageMarked(const PlaybackEngine& origin, double seconds, bool start);

/// Seeks one engine to a time kept inside its video (short of its very end, which would end or
/// restart it), exactly, so that linked engines show the same moment.
void seekWithin(PlaybackEngine& engine, double seconds);

/// The start of the engine's frame that is showing at `seconds`, for a steady frame rate.
double frameShowingAt(const PlaybackEngine& engine, double seconds);

/// The view after `steps` wheel steps (positive zooms in) at `pointer`, a point of the pane of
/// `pane` size: the point of the picture under the pointer stays there. Never smaller than the
/// whole picture, at most 16 times.
ViewZoom zoomAround(const ViewZoom& view, QPointF pointer, QSizeF pane, QSizeF video, double steps);
/// The point of the picture under `pointer`, as a fraction of the picture's width and height from
/// its top left (outside 0 to 1: beside the picture).
QPointF pictureAt(const ViewZoom& view, QPointF pointer, QSizeF pane, QSizeF video);
/// The view that shows one pixel of the video on one pixel of the pane (`pointer` and `pane` in
/// the pane's pixels), the point under the pointer staying there; the whole picture for a video
/// that is shown at its own size already.
ViewZoom pixelForPixel(const ViewZoom& view, QPointF pointer, QSizeF pane, QSizeF video);
/// The view after the picture was dragged by `delta` pixels.
ViewZoom panBy(const ViewZoom& view, QPointF delta, QSizeF pane, QSizeF video);
/// Every target shows the view.
void setView(const QList<Target>& targets, const ViewZoom& view);

} // namespace transport

} // namespace tandemo
