#pragma once

#include "ui/component_factory.h"

namespace tandemo {

/// The real components: the video player, the Qt open dialog and the style-sheet skin engine.
class PlatformComponents : public ComponentFactory {
public:
    MediaPlayer* createMediaPlayer(QWidget* frame) override;
    CommonDialog* createCommonDialog(QWidget* window) override;
    SkinFramework* createSkinFramework(QWidget* window) override;
};

} // namespace tandemo
