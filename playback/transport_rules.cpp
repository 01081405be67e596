#include "playback/transport_rules.h"

#include "playback/playback_engine.h"

#include <QPointer>

#include <algorithm>

namespace tandemo::transport {

namespace {
// How far short of its end a seek stops: at the very end a video would end or start again.
constexpr double kShortOfTheEnd = 0.1;
} // namespace

void playPause(PlaybackEngine& origin, const QList<PlaybackEngine*>& targets)
{
    const bool play = origin.isIdle() || origin.isPaused();
    for (PlaybackEngine* engine : targets) {
        if (play)
            engine->play();
        else if (!engine->isIdle())
            engine->pause();
    }
    if (play || targets.size() < 2)
        return;
    QList<QPointer<PlaybackEngine>> others;
    for (PlaybackEngine* engine : targets) {
        if (engine != &origin)
            others << engine;
    }
    QObject::connect(
        &origin, &PlaybackEngine::pausedChanged, &origin,
        [&origin, others](bool paused) {
            if (!paused)
                return;
            for (const QPointer<PlaybackEngine>& engine : others) {
                if (engine)
                    seekWithin(*engine, origin.position());
            }
        },
        Qt::SingleShotConnection);
}

void stop(const QList<PlaybackEngine*>& targets)
{
    for (PlaybackEngine* engine : targets) {
        if (!engine->isIdle())
            engine->stop();
    }
}

void seekTo(const QList<PlaybackEngine*>& targets, double seconds)
{
    for (PlaybackEngine* engine : targets)
        seekWithin(*engine, seconds);
}

void seekBy(PlaybackEngine& origin, const QList<PlaybackEngine*>& targets, double seconds)
{
    seekTo(targets, std::max(0.0, origin.position() + seconds));
}

void stepFrame(const QList<PlaybackEngine*>& targets, bool forward)
{
    for (PlaybackEngine* engine : targets) {
        if (!engine->isIdle())
            engine->stepFrame(forward);
    }
}

void setSpeed(const QList<PlaybackEngine*>& targets, double speed)
{
    for (PlaybackEngine* engine : targets)
        engine->setSpeed(speed);
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

} // namespace tandemo::transport
