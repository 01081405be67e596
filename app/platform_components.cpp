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
        if (auto* player = qobject_cast<MediaPlayer*>(m_session.panes().view(pane)))
            player->setURL(file);
    });
    Comparison& comparison = m_session.comparison();
    QObject::connect(&comparison, &Comparison::shownChanged,
                     [this](bool shown) { showWipeView(shown); });
    QObject::connect(&comparison, &Comparison::scopeChanged, [this] { showScopes(); });
    QObject::connect(&comparison, &Comparison::measurementsCopied,
                     [](const QString& csv) { QGuiApplication::clipboard()->setText(csv); });
}

MediaPlayer* PlatformComponents::createMediaPlayer(QWidget* frame)
{
    MediaPlayer* player = VideoPlayer::create(frame, m_playerOptions, &m_session);
    if (auto* mpv = qobject_cast<VideoPlayer*>(player)) {
        m_session.add(&mpv->engine(), &mpv->actions(), mpv);
        QObject::connect(mpv, &VideoPlayer::filesDropped, mpv,
                         [this, mpv](const QStringList& files) {
                             m_session.dropOn(m_session.paneOf(&mpv->engine()), files);
                         });
        if (!m_fullScreen)
            m_fullScreen = new FullScreen(*frame->window(), m_session.panes(), frame->window());
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

void PlatformComponents::showScopes()
{
    Comparison& comparison = m_session.comparison();
    if (!comparison.scope()) {
        delete m_scopes;
        return;
    }
    auto* first = qobject_cast<QWidget*>(m_session.panes().view(0));
    if (first && !m_scopes)
        m_scopes = new ScopePanel(*first->window(), comparison,
                                  {qobject_cast<ComparedPlayer*>(m_session.panes().view(0)),
                                   qobject_cast<ComparedPlayer*>(m_session.panes().view(1))});
}

void PlatformComponents::showWipeView(bool shown)
{
    if (!shown) {
        if (m_wipeView)
            std::exchange(m_wipeView, nullptr)->dismiss();
        return;
    }
    auto* first = qobject_cast<VideoPlayer*>(m_session.panes().view(0));
    auto* second = qobject_cast<VideoPlayer*>(m_session.panes().view(1));
    if (first && second && !m_wipeView)
        m_wipeView = new WipeView(*first, *second, m_session.comparison());
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
