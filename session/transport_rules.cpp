#include "session/transport_rules.h"

#include "engine/playback_engine.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace tandemo::transport {

namespace {
// How far short of its end a seek stops: at the very end a video would end or start again.
constexpr double kShortOfTheEnd = 0.1;
// How long a linked pause waits for the origin to report it before it lets the others be.
constexpr int kPauseHoldMs = 3000;
constexpr char kPauseHold[] = "linkedPauseHold";

/// Drops the wait of an earlier linked pause of the origin: it belongs to that pause only.
void dropPauseHold(PlaybackEngine& origin)
{
    delete origin.findChild<QObject*>(QLatin1String(kPauseHold), Qt::FindDirectChildrenOnly);
}
} // namespace

QList<Target> alone(PlaybackEngine& origin)
{
    return {Target{&origin, 0}};
}

void playPause(const QList<Target>& targets)
{
    PlaybackEngine& origin = *targets.constFirst().engine;
    dropPauseHold(origin);
    const bool play = origin.isIdle() || origin.isPaused();
    for (const Target& target : targets) {
        if (play)
            target.engine->play();
        else if (!target.engine->isIdle())
            target.engine->pause();
    }
    if (play || targets.size() < 2)
        return;
    QList<std::pair<QPointer<PlaybackEngine>, Target>> others;
    for (const Target& target : targets.mid(1))
        others.append({target.engine, target});
    // The wait lives as long as this pause's report may take, and no longer: a report that
    // never comes must not move the others at some later, unrelated pause.
    auto* hold = new QObject(&origin);
    hold->setObjectName(QLatin1String(kPauseHold));
    QTimer::singleShot(kPauseHoldMs, hold, [hold] { delete hold; });
    QObject::connect(&origin, &PlaybackEngine::pausedChanged, hold,
                     [&origin, others, hold](bool paused) {
                         delete hold;
                         if (!paused)
                             return;
                         // The origin may still show one more frame after it reports the pause
                         // (one already on its way to the screen): it is held at the moment it
                         // reported, as the others are.
                         const double moment = origin.position();
                         seekWithin(origin, moment);
                         for (const auto& [engine, target] : others) {
                             if (engine)
                                 seekWithin(*engine, target.at(moment));
                         }
                     });
}

void stop(const QList<Target>& targets)
{
    for (const Target& target : targets) {
        if (!target.engine->isIdle())
            target.engine->stop();
    }
}

void seekTo(const QList<Target>& targets, double seconds)
{
    // The others show the frame covering their moment, as after a linked step (an exact seek to
    // a moment inside a frame would show the next one).
    seekWithin(*targets.constFirst().engine, targets.constFirst().at(seconds));
    for (const Target& target : targets.mid(1))
        seekWithin(*target.engine, frameShowingAt(*target.engine, target.at(seconds)));
}

void seekBy(const QList<Target>& targets, double seconds)
{
    const PlaybackEngine& origin = *targets.constFirst().engine;
    seekTo(targets, std::max(0.0, origin.destination() + seconds));
}

void stepFrame(const QList<Target>& targets, bool forward)
{
    PlaybackEngine& origin = *targets.constFirst().engine;
    if (origin.isIdle())
        return;
    const double fps = origin.frameRate();
    // In a passage a step wraps around as playing does: past its last frame to its first, and
    // back from its first to its last.
    if (const std::optional<Passage> passage = origin.passage(); passage && fps > 0) {
        const double showing = frameShowingAt(origin, origin.destination());
        const double half = 0.5 / fps;
        const double wrapped = forward && showing + 1 / fps >= passage->end - half ? passage->start
                               : !forward && showing - 1 / fps < passage->start - half
                                   ? frameShowingAt(origin, passage->end - 1 / fps)
                                   : -1;
        if (wrapped >= 0) {
            for (const Target& target : targets) {
                target.engine->pause();
                seekWithin(*target.engine, frameShowingAt(*target.engine, target.at(wrapped)));
            }
            return;
        }
    }
    // The origin's next frame starts one of its frames from the one it shows now.
    const double moment =
        fps > 0 ? frameShowingAt(origin, origin.destination()) + (forward ? 1 : -1) / fps : -1;
    origin.stepFrame(forward);
    for (const Target& target : targets.mid(1)) {
        PlaybackEngine& other = *target.engine;
        if (other.isIdle())
            continue;
        if (moment < 0) {
            other.stepFrame(forward); // no rate known: a frame of its own
            continue;
        }
        other.pause();
        seekWithin(other, frameShowingAt(other, target.at(std::max(0.0, moment))));
    }
}

void setSpeed(const QList<Target>& targets, double speed)
{
    for (const Target& target : targets)
        target.engine->setSpeed(speed);
}

void setPassage(const QList<Target>& targets, std::optional<Passage> passage)
{
    for (const Target& target : targets) {
        PlaybackEngine& engine = *target.engine;
        if (!passage || engine.isIdle()) {
            engine.setPassage(std::nullopt);
            continue;
        }
        const double duration = engine.duration();
        const auto within = [duration](double seconds) {
            return duration > 0 ? std::clamp(seconds, 0.0, duration) : std::max(seconds, 0.0);
        };
        const Passage own{within(target.at(passage->start)), within(target.at(passage->end))};
        // A passage wholly outside this video leaves it looping as a whole.
        engine.setPassage(own.end > own.start ? std::optional(own) : std::nullopt);
    }
}

Passage passageMarked(const PlaybackEngine& origin, double seconds, bool start)
{
    const double duration = origin.duration();
    Passage passage = origin.passage().value_or(Passage{0, duration});
    if (start) {
        passage.start = seconds;
        if (passage.end <= seconds)
            passage.end = duration;
    } else {
        passage.end = seconds;
        if (passage.start >= seconds)
            passage.start = 0;
    }
    return passage;
}

void seekWithin(PlaybackEngine& engine, double seconds)
{
    if (engine.isIdle())
        return;
    const double duration = engine.duration();
    const double last = std::max(0.0, duration - kShortOfTheEnd);
    const double target = duration > 0 ? std::clamp(seconds, 0.0, last) : std::max(seconds, 0.0);
    engine.seekTo(target, /*exact=*/true);
}

double frameShowingAt(const PlaybackEngine& engine, double seconds)
{
    return engine.frameStartAt(seconds);
}

namespace {

constexpr double kZoomPerStep = 0.25; // four wheel steps double the size
constexpr double kLargestZoom = 4;    // 16 times

/// The picture's size in the pane at zoom 0: as it is, shrunk to fit when larger.
QSizeF fitted(QSizeF video, QSizeF pane)
{
    if (video.isEmpty() || pane.isEmpty())
        return pane;
    if (video.width() > pane.width() || video.height() > pane.height())
        return video.scaled(pane, Qt::KeepAspectRatio);
    return video;
}

} // namespace

ViewZoom zoomAround(const ViewZoom& view, QPointF pointer, QSizeF pane, QSizeF video, double steps)
{
    const QSizeF shown = fitted(video, pane);
    const QPointF fromCentre = pointer - QPointF(pane.width() / 2, pane.height() / 2);
    const double scale = std::exp2(view.zoom);
    // The pointer's point of the picture, as a fraction of the picture from its centre.
    const double u = fromCentre.x() / (scale * shown.width()) - view.panX;
    const double v = fromCentre.y() / (scale * shown.height()) - view.panY;
    ViewZoom zoomed;
    zoomed.zoom = std::clamp(view.zoom + steps * kZoomPerStep, 0.0, kLargestZoom);
    if (zoomed.zoom == 0)
        return zoomed; // the whole picture again, centred
    const double newScale = std::exp2(zoomed.zoom);
    zoomed.panX = fromCentre.x() / (newScale * shown.width()) - u;
    zoomed.panY = fromCentre.y() / (newScale * shown.height()) - v;
    return zoomed;
}

QPointF pictureAt(const ViewZoom& view, QPointF pointer, QSizeF pane, QSizeF video)
{
    const QSizeF shown = fitted(video, pane);
    const QPointF fromCentre = pointer - QPointF(pane.width() / 2, pane.height() / 2);
    const double scale = std::exp2(view.zoom);
    return {fromCentre.x() / (scale * shown.width()) - view.panX + 0.5,
            fromCentre.y() / (scale * shown.height()) - view.panY + 0.5};
}

ViewZoom pixelForPixel(const ViewZoom& view, QPointF pointer, QSizeF pane, QSizeF video)
{
    const QSizeF shown = fitted(video, pane);
    if (video.isEmpty() || shown.isEmpty())
        return view;
    const double zoom = std::log2(video.width() / shown.width());
    return zoomAround(view, pointer, pane, video, (zoom - view.zoom) / kZoomPerStep);
}

ViewZoom panBy(const ViewZoom& view, QPointF delta, QSizeF pane, QSizeF video)
{
    const QSizeF shown = fitted(video, pane);
    const double scale = std::exp2(view.zoom);
    ViewZoom panned = view;
    panned.panX = std::clamp(view.panX + delta.x() / (scale * shown.width()), -0.5, 0.5);
    panned.panY = std::clamp(view.panY + delta.y() / (scale * shown.height()), -0.5, 0.5);
    return panned;
}

void setView(const QList<Target>& targets, const ViewZoom& view)
{
    for (const Target& target : targets)
        target.engine->setView(view);
}

} // namespace tandemo::transport
