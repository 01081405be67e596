#include "app/platform_components.h"

#include "platform/qt_common_dialog.h"
#include "skin/skin_engine.h"

#include <utility>

namespace tandemo {

PlatformComponents::PlatformComponents(MpvPlayerOptions playerOptions)
    : m_playerOptions(std::move(playerOptions))
{
    QObject::connect(&m_pair, &PlayerPair::openRequested, [this](int pane, const QString& file) {
        if (MediaPlayer* player = m_players.value(pane))
            player->setURL(file);
    });
}

MediaPlayer* PlatformComponents::createMediaPlayer(QWidget* frame)
{
    MediaPlayer* player = MpvPlayer::create(frame, m_playerOptions, &m_pair);
    const int pane = int(m_players.size());
    m_players.append(player);
    if (auto* mpv = qobject_cast<MpvPlayer*>(player)) {
        m_pair.add(&mpv->engine());
        QObject::connect(mpv, &MpvPlayer::filesDropped, mpv,
                         [this, pane](const QStringList& files) { m_pair.dropOn(pane, files); });
        QObject::connect(&mpv->actions(), &PlayerActions::wipeViewRequested, mpv,
                         [this, mpv] { toggleWipeView(mpv); });
        if (!m_fullScreen)
            m_fullScreen = new FullScreen(*frame->window(), frame->window());
        QObject::connect(&mpv->actions(), &PlayerActions::fullScreenRequested, m_fullScreen,
                         &FullScreen::setOn);
        QObject::connect(m_fullScreen, &FullScreen::changed, mpv,
                         [mpv](bool on) { mpv->actions().setFullScreen(on); });
    }
    return player;
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
        m_wipeView = new WipeView(*players[0], *players[1], m_pair, origin);
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
