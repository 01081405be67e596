#include "platform/mpv/player_link.h"

#include "platform/mpv/mpv_player.h"

namespace tandemo {

void PlayerLink::setLinked(bool linked)
{
    if (linked == m_linked)
        return;
    m_linked = linked;
    emit linkedChanged(linked);
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
