#include "support/mpv_probe.h"

#include "engine/mpv_engine.h"
#include "playback/video_player.h"

#include <mpv/client.h>

namespace tandemo::testing {

MpvEngine& mpvEngineOf(VideoPlayer& player)
{
    return *qobject_cast<MpvEngine*>(&player.engine());
}

double mpvDouble(mpv_handle* core, const char* property)
{
    double value = -1;
    mpv_get_property(core, property, MPV_FORMAT_DOUBLE, &value);
    return value;
}

bool mpvFlag(mpv_handle* core, const char* property)
{
    int value = 0;
    mpv_get_property(core, property, MPV_FORMAT_FLAG, &value);
    return value != 0;
}

double mpvDouble(VideoPlayer& player, const char* property)
{
    return mpvDouble(mpvEngineOf(player).handle(), property);
}

bool mpvFlag(VideoPlayer& player, const char* property)
{
    return mpvFlag(mpvEngineOf(player).handle(), property);
}

QString mpvText(VideoPlayer& player, const char* property)
{
    char* value = nullptr;
    mpv_get_property(mpvEngineOf(player).handle(), property, MPV_FORMAT_STRING, &value);
    const QString text = QString::fromUtf8(value);
    mpv_free(value);
    return text;
}

} // namespace tandemo::testing
