#include "platform/platform_components.h"

#include "platform/qt_common_dialog.h"
#include "platform/skin_engine.h"

namespace tandemo {

MediaPlayer* PlatformComponents::createMediaPlayer(QWidget* frame)
{
    return MpvPlayer::create(frame, m_playerOptions, &m_link);
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
