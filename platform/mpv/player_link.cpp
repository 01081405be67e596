#include "platform/mpv/player_link.h"

#include "platform/mpv/mpv_player.h"

#include <algorithm>
#include <cmath>

namespace tandemo {

namespace {
// How often the players' positions are compared, and the largest change of speed used to bring
// one back into step (a few per cent is not heard, with mpv's pitch correction).
constexpr int kStepCheckMs = 500;
constexpr double kLargestNudge = 0.05;
} // namespace

PlayerLink::PlayerLink(QObject* parent)
    : QObject(parent)
{
    m_stepKeeper.setInterval(kStepCheckMs);
    connect(&m_stepKeeper, &QTimer::timeout, this, &PlayerLink::keepInStep);
}

void PlayerLink::setLinked(bool linked)
{
    if (linked == m_linked)
        return;
    m_linked = linked;
    if (linked) {
        m_stepKeeper.start();
    } else {
        m_stepKeeper.stop();
        releaseNudges();
    }
    emit linkedChanged(linked);
}

void PlayerLink::releaseNudges()
{
    for (const QPointer<MpvPlayer>& player : m_players) {
        if (player)
            player->engine().setSpeedNudge(1.0);
    }
}

void PlayerLink::keepInStep()
{
    MpvPlayer* leader = m_players.isEmpty() ? nullptr : m_players.first().data();
    if (!leader)
        return;
    MpvEngine& lead = leader->engine();
    for (const QPointer<MpvPlayer>& player : m_players) {
        if (!player || player == leader)
            continue;
        MpvEngine& follower = player->engine();
        const bool bothPlaying =
            !lead.isIdle() && !lead.isPaused() && !follower.isIdle() && !follower.isPaused();
        // Videos of different lengths loop at different moments: there is no step to keep.
        const bool sameLength = std::abs(lead.duration() - follower.duration()) < 0.1;
        const double behind = lead.position() - follower.position();
        const double fps = follower.frameRate();
        const double halfFrame = fps > 0 ? 0.5 / fps : 0.02;
        if (!bothPlaying || !sameLength || std::abs(behind) > 1.0 || std::abs(behind) < halfFrame) {
            follower.setSpeedNudge(1.0);
            continue;
        }
        // Close the gap over about a second, within the largest nudge.
        follower.setSpeedNudge(1.0 + std::clamp(behind, -kLargestNudge, kLargestNudge));
    }
}

void PlayerLink::add(MpvPlayer* player)
{
    m_players.append(player);
}

void PlayerLink::remove(MpvPlayer* player)
{
    m_players.removeIf([player](const QPointer<MpvPlayer>& p) { return !p || p == player; });
}

QList<MpvPlayer*> PlayerLink::targetsOf(MpvPlayer* origin) const
{
    if (!m_linked)
        return {origin};
    QList<MpvPlayer*> targets{origin};
    for (const QPointer<MpvPlayer>& player : m_players) {
        if (player && player != origin)
            targets.append(player);
    }
    return targets;
}

MpvPlayer* PlayerLink::other(const MpvPlayer* player) const
{
    for (const QPointer<MpvPlayer>& candidate : m_players) {
        if (candidate && candidate != player)
            return candidate;
    }
    return nullptr;
}

} // namespace tandemo
