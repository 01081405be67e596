#pragma once

#include "platform/mpv/mpv_player.h"
#include "platform/mpv/player_link.h"
#include "ui/component_factory.h"

namespace tandemo {

/// The real components: the video players (linkable to each other), the Qt open dialog and the
/// skin engine.
class PlatformComponents : public ComponentFactory {
public:
    explicit PlatformComponents(MpvPlayerOptions playerOptions = {})
        : m_playerOptions(std::move(playerOptions))
    {
    }

    MediaPlayer* createMediaPlayer(QWidget* frame) override;
    CommonDialog* createCommonDialog(QWidget* window) override;
    SkinFramework* createSkinFramework(QWidget* window) override;

private:
    MpvPlayerOptions m_playerOptions;
    // The players of the window can be linked to each other.
    PlayerLink m_link;
};

} // namespace tandemo
