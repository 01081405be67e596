#pragma once

#include "pair/player_pair.h"
#include "playback/full_screen.h"
#include "playback/mpv_player.h"
#include "playback/wipe_view.h"
#include "window/component_factory.h"

#include <QList>
#include <QPointer>

namespace tandemo {

/// The real components: the video players, the Qt open dialog and the skin engine. The players
/// share one pair, which it builds and joins them to; it opens the files the pair routes, and
/// shows the wipe view and full screen the players ask for.
class PlatformComponents : public ComponentFactory {
public:
    explicit PlatformComponents(MpvPlayerOptions playerOptions = {});

    MediaPlayer* createMediaPlayer(QWidget* frame) override;
    CommonDialog* createCommonDialog(QWidget* window) override;
    SkinFramework* createSkinFramework(QWidget* window) override;

    PlayerPair& pair() { return m_pair; }
    /// The wipe view of the first two players, while it is shown.
    WipeView* wipeView() const { return m_wipeView; }
    /// Shows the wipe view (asked for in `origin`, if named), or closes it.
    void toggleWipeView(MpvPlayer* origin = nullptr);
    /// The players' window on the whole screen, once a player is made.
    FullScreen* fullScreen() const { return m_fullScreen; }

private:
    MpvPlayerOptions m_playerOptions;
    PlayerPair m_pair;
    QList<QPointer<MediaPlayer>> m_players;
    QPointer<WipeView> m_wipeView;
    QPointer<FullScreen> m_fullScreen;
};

} // namespace tandemo
