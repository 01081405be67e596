#include "session/player_link.h"

#include "engine/playback_engine.h"

#include <algorithm>
#include <cmath>

namespace tandemo {

PlayerLink::PlayerLink(QObject* parent)
    : QObject(parent)
{
    m_stepKeeper.setInterval(kStepCheckMs);
    connect(&m_stepKeeper, &QTimer::timeout, this, &PlayerLink::keepInStep);
}

void PlayerLink::setLinked(bool linked, PlaybackEngine* origin)
{
    if (linked == m_linked)
        return;
    m_linked = linked;
    if (linked) {
        resetOffset(origin);
        m_stepKeeper.start();
    } else {
        m_stepKeeper.stop();
        releaseNudges();
    }
    emit linkedChanged(linked);
}

void PlayerLink::releaseNudges()
{
    for (const QPointer<PlaybackEngine>& engine : m_engines) {
        if (engine)
            engine->setSpeedNudge(1.0);
    }
}

void PlayerLink::keepInStep()
{
    PlaybackEngine* lead = m_engines.isEmpty() ? nullptr : m_engines.first().data();
    if (!lead)
        return;
    for (const QPointer<PlaybackEngine>& follower : m_engines) {
        if (!follower || follower == lead)
            continue;
        const bool bothPlaying =
            !lead->isIdle() && !lead->isPaused() && !follower->isIdle() && !follower->isPaused();
        // Videos of different lengths loop at different moments: there is no step to keep.
        const bool sameLength = std::abs(lead->duration() - follower->duration()) < 0.1;
        const double behind = lead->position() - m_offsets.value(lead) -
                              (follower->position() - m_offsets.value(follower));
        const double fps = follower->frameRate();
        const double halfFrame = fps > 0 ? 0.5 / fps : 0.02;
        // More than a second apart is a loop restart or a seek under way, not drift.
        if (!m_linked || !bothPlaying || !sameLength || std::abs(behind) > 1.0 ||
            std::abs(behind) < halfFrame) {
            follower->setSpeedNudge(1.0);
            continue;
        }
        // Close the gap over about a second, within the largest nudge.
        follower->setSpeedNudge(1.0 + std::clamp(behind, -kLargestNudge, kLargestNudge));
    }
}

void PlayerLink::add(PlaybackEngine* engine)
{
    m_engines.append(engine);
}

void PlayerLink::remove(PlaybackEngine* engine)
{
    m_offsets.remove(engine);
    m_engines.removeIf(
        [engine](const QPointer<PlaybackEngine>& e) { return !e || e.data() == engine; });
}

QList<transport::Target> PlayerLink::targetsOf(PlaybackEngine* origin) const
{
    QList<transport::Target> targets{{origin, 0}};
    if (!m_linked)
        return targets;
    const double originOffset = m_offsets.value(origin);
    for (const QPointer<PlaybackEngine>& engine : m_engines) {
        if (engine && engine != origin)
            targets.append({engine, m_offsets.value(engine) - originOffset});
    }
    return targets;
}

double PlayerLink::offsetOf(const PlaybackEngine* engine) const
{
    for (const QPointer<PlaybackEngine>& other : m_engines) {
        if (other && other != engine)
            return m_offsets.value(engine) - m_offsets.value(other);
    }
    return 0;
}

void PlayerLink::moveAlone(PlaybackEngine* engine, double seconds)
{
    const PlaybackEngine* other = nullptr;
    for (const QPointer<PlaybackEngine>& each : m_engines) {
        if (each && each != engine) {
            other = each;
            break;
        }
    }
    if (!m_linked || !other)
        return;
    m_offsets[engine] = m_offsets.value(other) + seconds - other->position();
    emit offsetChanged();
}

void PlayerLink::linkWithOffset(PlaybackEngine* engine, double seconds, PlaybackEngine* origin)
{
    if (!m_linked) {
        m_linked = true;
        m_stepKeeper.start();
        emit linkedChanged(true);
    }
    m_offsets.clear();
    m_offsets[engine] = seconds;
    emit offsetChanged();
    if (origin)
        bringTogetherAt(*origin);
}

void PlayerLink::resetOffset(PlaybackEngine* origin)
{
    if (!m_offsets.isEmpty()) {
        m_offsets.clear();
        emit offsetChanged();
    }
    if (m_linked && origin)
        bringTogetherAt(*origin);
}

void PlayerLink::bringTogetherAt(PlaybackEngine& origin)
{
    if (origin.isIdle())
        return;
    const QList<transport::Target> targets = targetsOf(&origin);
    for (const transport::Target& target : targets.mid(1)) {
        if (target.engine->isIdle())
            continue;
        transport::seekWithin(*target.engine, origin.position() + target.offset);
        if (origin.isPaused())
            target.engine->pause();
        else
            target.engine->play();
    }
}

} // namespace tandemo
