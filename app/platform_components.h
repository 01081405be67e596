#pragma once

#include "pair/player_link.h"
#include "pair/start_together.h"
#include "playback/mpv_player.h"
#include "playback/wipe_view.h"
#include "window/component_factory.h"

#include <QList>
#include <QPointer>

namespace tandemo {

/// The real components: the video players (linkable to each other), the Qt open dialog and the
/// skin engine. It owns the link between the players and what starts them together, and routes
/// files dropped on a player (the first plays there, the second in the other player) and the
/// players' asks for the wipe view.
class PlatformComponents : public ComponentFactory {
public:
    explicit PlatformComponents(MpvPlayerOptions playerOptions = {})
        : m_playerOptions(std::move(playerOptions))
    {
        m_startTogether.followLink(&m_link);
    }

    MediaPlayer* createMediaPlayer(QWidget* frame) override;
    CommonDialog* createCommonDialog(QWidget* window) override;
    SkinFramework* createSkinFramework(QWidget* window) override;

    /// The wipe view of the first two players, while it is shown.
    WipeView* wipeView() const { return m_wipeView; }
    /// Shows the wipe view (asked for in `origin`, if named), or closes it.
    void toggleWipeView(MpvPlayer* origin = nullptr);

private:
    void playDropped(MediaPlayer* target, const QStringList& files);

    MpvPlayerOptions m_playerOptions;
    PlayerLink m_link;
    StartTogether m_startTogether;
    QList<QPointer<MediaPlayer>> m_players;
    QPointer<WipeView> m_wipeView;
};

} // namespace tandemo
