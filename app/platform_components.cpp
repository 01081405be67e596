#include "app/platform_components.h"

#include "engine/decoder_policy.h"
#include "platform/qt_common_dialog.h"
#include "skin/skin_engine.h"

#include <QClipboard>
#include <QGuiApplication>

#include <utility>

namespace tandemo {

PlatformComponents::PlatformComponents(VideoPlayerOptions playerOptions)
    : m_playerOptions(std::move(playerOptions))
{
    // The window's panes share the machine's cores: each decodes knowing how many others play.
    if (!m_playerOptions.engine.panesPlaying)
        m_playerOptions.engine.panesPlaying = std::make_shared<PanesPlaying>();
    QObject::connect(&m_session, &Session::openRequested, [this](int pane, const QString& file) {
        if (MediaPlayer* player = m_players.value(pane))
            player->setURL(file);
    });
    Comparison& comparison = m_session.comparison();
    QObject::connect(&comparison, &Comparison::shownChanged,
                     [this](bool shown) { showWipeView(shown); });
    QObject::connect(&comparison, &Comparison::measurementsCopied,
                     [](const QString& csv) { QGuiApplication::clipboard()->setText(csv); });
}

MediaPlayer* PlatformComponents::createMediaPlayer(QWidget* frame)
{
    MediaPlayer* player = VideoPlayer::create(frame, m_playerOptions, &m_session);
    const int pane = int(m_players.size());
    m_players.append(player);
    if (auto* mpv = qobject_cast<VideoPlayer*>(player)) {
        m_session.add(&mpv->engine(), &mpv->actions());
        QObject::connect(mpv, &VideoPlayer::filesDropped, mpv,
                         [this, pane](const QStringList& files) { m_session.dropOn(pane, files); });
        if (!m_fullScreen)
            m_fullScreen = new FullScreen(*frame->window(), frame->window());
        m_fullScreen->addPane(frame, mpv);
        QObject::connect(&mpv->actions(), &PlayerActions::fullScreenRequested, m_fullScreen,
                         &FullScreen::setOn);
        QObject::connect(m_fullScreen, &FullScreen::changed, mpv,
                         [mpv](bool on) { mpv->actions().setFullScreen(on); });
    }
    return player;
}

void PlatformComponents::toggleWipeView()
{
    Comparison& comparison = m_session.comparison();
    comparison.setShown(!comparison.isShown());
}

void PlatformComponents::showWipeView(bool shown)
{
    if (!shown) {
        if (m_wipeView)
            std::exchange(m_wipeView, nullptr)->dismiss();
        return;
    }
    QList<VideoPlayer*> players;
    for (const QPointer<MediaPlayer>& player : m_players) {
        if (auto* mpv = qobject_cast<VideoPlayer*>(player.data()))
            players << mpv;
    }
    if (players.size() >= 2 && !m_wipeView)
        m_wipeView = new WipeView(*players[0], *players[1], m_session.comparison());
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
