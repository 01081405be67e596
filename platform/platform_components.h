#pragma once

#include "platform/mpv/mpv_player.h"
#include "ui/component_factory.h"

namespace tandemo {

/// The real components: the video player, the Qt open dialog and the style-sheet skin engine.
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
};

} // namespace tandemo
