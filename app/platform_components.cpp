#include "app/platform_components.h"

#include "platform/qt_common_dialog.h"
#include "skin/skin_engine.h"

#include <utility>

namespace tandemo {

MediaPlayer* PlatformComponents::createMediaPlayer(QWidget* frame)
{
    MediaPlayer* player = MpvPlayer::create(frame, m_playerOptions, &m_link);
    m_players.append(player);
    if (auto* mpv = qobject_cast<MpvPlayer*>(player)) {
        m_startTogether.watch(&mpv->engine());
        QObject::connect(mpv, &MpvPlayer::filesDropped, mpv,
                         [this, player](const QStringList& files) { playDropped(player, files); });
        QObject::connect(&mpv->actions(), &PlayerActions::wipeViewRequested, mpv,
                         [this, mpv] { toggleWipeView(mpv); });
    }
    return player;
}

void PlatformComponents::playDropped(MediaPlayer* target, const QStringList& files)
{
    // Further files are ignored: there are only two panes.
    target->setURL(files.constFirst());
    if (files.size() < 2)
        return;
    for (const QPointer<MediaPlayer>& other : m_players) {
        if (other && other != target) {
            other->setURL(files[1]);
            return;
        }
    }
}

void PlatformComponents::toggleWipeView(MpvPlayer* origin)
{
    if (m_wipeView) {
        std::exchange(m_wipeView, nullptr)->dismiss();
        return;
    }
    QList<MpvPlayer*> players;
    for (const QPointer<MediaPlayer>& player : m_players) {
        if (auto* mpv = qobject_cast<MpvPlayer*>(player.data()))
            players << mpv;
    }
    if (players.size() >= 2)
        m_wipeView = new WipeView(*players[0], *players[1], origin);
}

CommonDialog* PlatformComponents::createCommonDialog(QWidget* window)
{
    return new QtCommonDialog(window);
}

SkinFramework* PlatformComponents::createSkinFramework(QWidget* window)
{
    return new SkinEngine(window);
}

} // namespace tandemo
