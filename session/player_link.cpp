#include "session/player_link.h"

#include "engine/playback_engine.h"

#include <algorithm>
#include <cmath>

namespace tandemo {

PlayerLink::PlayerLink(const Panes& panes, QObject* parent)
    : QObject(parent)
    , m_panes(panes)
{
    connect(&panes, &Panes::removed, this, [this](const PlaybackEngine* engine) {
        m_offsets.remove(engine);
        m_rates.remove(engine);
    });
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
    for (PlaybackEngine* engine : m_panes.engines())
        engine->setSpeedNudge(1.0);
}

void PlayerLink::keepInStep()
{
    PlaybackEngine* lead = m_panes.engine(0);
    if (!lead)
        return;
    if (!m_linked) {
        releaseNudges();
        return;
    }
    const QList<transport::Target> targets = targetsOf(lead);
    for (const transport::Target& target : targets.mid(1)) {
        PlaybackEngine* follower = target.engine;
        const bool bothPlaying =
            !lead->isIdle() && !lead->isPaused() && !follower->isIdle() && !follower->isPaused();
        // Videos of different lengths loop at different moments: there is no step to keep.
        const bool sameLength =
            std::abs(lead->duration() * target.rate - follower->duration()) < 0.1;
        const double behind = target.at(lead->position()) - follower->position();
        const double fps = follower->frameRate();
        const double halfFrame = fps > 0 ? 0.5 / fps : 0.02;
        // More than a second apart is a loop restart or a seek under way, not drift.
        if (!bothPlaying || !sameLength || std::abs(behind) > 1.0 || std::abs(behind) < halfFrame) {
            follower->setSpeedNudge(target.rate);
            continue;
        }
        // Close the gap over about a second, within the largest nudge, at the video's own pace.
        follower->setSpeedNudge(target.rate *
                                (1.0 + std::clamp(behind, -kLargestNudge, kLargestNudge)));
    }
}

QList<transport::Target> PlayerLink::targetsOf(PlaybackEngine* origin) const
{
    QList<transport::Target> targets{{origin, 0}};
    if (!m_linked)
        return targets;
    // At the origin's moment p the reference is at (p - its offset) / its rate.
    const double originOffset = m_offsets.value(origin);
    const double originRate = rate(origin);
    for (PlaybackEngine* engine : m_panes.engines()) {
        if (engine == origin)
            continue;
        const double scale = rate(engine) / originRate;
        targets.append({engine, m_offsets.value(engine) - scale * originOffset, scale});
    }
    return targets;
}

const PlaybackEngine* PlayerLink::otherThan(const PlaybackEngine* engine) const
{
    for (const PlaybackEngine* other : m_panes.engines()) {
        if (other != engine)
            return other;
    }
    return nullptr;
}

double PlayerLink::offsetOf(const PlaybackEngine* engine) const
{
    const PlaybackEngine* other = otherThan(engine);
    if (!other)
        return 0;
    return m_offsets.value(engine) - rateOf(engine) * m_offsets.value(other);
}

double PlayerLink::rateOf(const PlaybackEngine* engine) const
{
    const PlaybackEngine* other = otherThan(engine);
    return other ? rate(engine) / rate(other) : 1.0;
}

void PlayerLink::moveAlone(PlaybackEngine* engine, double seconds)
{
    const PlaybackEngine* other = otherThan(engine);
    if (!m_linked || !other)
        return;
    const double reference = (other->position() - m_offsets.value(other)) / rate(other);
    m_offsets[engine] = seconds - rate(engine) * reference;
    emit offsetChanged();
}

void PlayerLink::linkWithOffset(PlaybackEngine* engine, double seconds, PlaybackEngine* origin)
{
    linkWithDrift(engine, seconds, 1.0, origin);
}

void PlayerLink::linkWithDrift(PlaybackEngine* engine, double seconds, double rate,
                               PlaybackEngine* origin)
{
    if (!m_linked) {
        m_linked = true;
        m_stepKeeper.start();
        emit linkedChanged(true);
    }
    m_offsets.clear();
    m_rates.clear();
    m_offsets[engine] = seconds;
    if (rate != 1.0)
        m_rates[engine] = rate;
    emit offsetChanged();
    if (origin)
        bringTogetherAt(*origin);
    keepInStep();
}

void PlayerLink::resetOffset(PlaybackEngine* origin)
{
    if (!m_offsets.isEmpty() || !m_rates.isEmpty()) {
        m_offsets.clear();
        m_rates.clear();
        keepInStep();
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
        transport::seekWithin(*target.engine, target.at(origin.position()));
        if (origin.isPaused())
            target.engine->pause();
        else
            target.engine->play();
    }
}

} // namespace tandemo
