#include "platform/platform_components.h"

#include "platform/qt_common_dialog.h"
#include "platform/style_sheet_skin.h"

namespace tandemo {

MediaPlayer* PlatformComponents::createMediaPlayer(QWidget* frame)
{
    return MpvPlayer::create(frame, m_playerOptions);
}

CommonDialog* PlatformComponents::createCommonDialog(QWidget* window)
{
    return new QtCommonDialog(window);
}

SkinFramework* PlatformComponents::createSkinFramework(QWidget* window)
{
    return new StyleSheetSkin(window);
}

} // namespace tandemo
