#pragma once

#include "playback/full_screen.h"
#include "playback/scope_panel.h"
#include "playback/video_player.h"
#include "playback/wipe_view.h"
#include "session/session.h"
#include "window/component_factory.h"

#include <QList>
#include <QPointer>

namespace tandemo {

/// The real components: the video players, the Qt open dialog and the skin engine. The players
/// share one session, which it builds and joins them to; it opens the files the session routes,
/// shows the wipe view while the session's comparison is on, and full screen as the players ask.
class PlatformComponents : public ComponentFactory {
public:
    explicit PlatformComponents(VideoPlayerOptions playerOptions = {});

    MediaPlayer* createMediaPlayer(QWidget* frame) override;
    CommonDialog* createCommonDialog(QWidget* window) override;
    SkinFramework* createSkinFramework(QWidget* window) override;

    Session& session() { return m_session; }
    /// The wipe view of the first two players, while it is shown; the scopes, while shown.
    WipeView* wipeView() const { return m_wipeView; }
    ScopePanel* scopePanel() const { return m_scopes; }
    /// Shows the wipe view, as if asked for in the first pane, or closes it.
    void toggleWipeView();
    /// The players' window on the whole screen, once a player is made.
    FullScreen* fullScreen() const { return m_fullScreen; }

private:
    void showWipeView(bool shown);
    void showScopes();

    VideoPlayerOptions m_playerOptions;
    Session m_session;
    QPointer<WipeView> m_wipeView;
    QPointer<ScopePanel> m_scopes;
    QPointer<FullScreen> m_fullScreen;
};

} // namespace tandemo
