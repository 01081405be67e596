#include "engine/core_settings.h"

#include "engine/mpv_options.h"

namespace tandemo {

CoreSettings::CoreSettings(CorePair& cores, CoreDecoding& decoding)
    : m_cores(cores)
    , m_decoding(decoding)
{
}

void CoreSettings::setSpeed(double speed)
{
    m_speed = speed;
    applySpeed();
}

void CoreSettings::setSpeedNudge(double factor)
{
    if (factor == m_speedNudge)
        return;
    m_speedNudge = factor;
    applySpeed();
}

void CoreSettings::applySpeed()
{
    m_cores.setOnBoth("speed", QByteArray::number(playingSpeed(), 'f', 4).constData());
}

void CoreSettings::setVolume(int volume)
{
    m_cores.setOnBoth("volume", QByteArray::number(volume).constData());
}

void CoreSettings::setMute(bool mute)
{
    m_muted = mute;
    applyMute();
}

void CoreSettings::setSilenced(bool silenced)
{
    m_silenced = silenced;
    applyMute();
}

void CoreSettings::applyMute()
{
    m_cores.setOnBoth("mute", m_muted || m_silenced ? "yes" : "no");
}

void CoreSettings::setView(const ViewZoom& view)
{
    m_view = view;
    m_decoding.policy().setZoom(view.zoom);
    m_cores.setOnBoth("video-zoom", QByteArray::number(view.zoom, 'f', 4).constData());
    m_cores.setOnBoth("video-pan-x", QByteArray::number(view.panX, 'f', 5).constData());
    m_cores.setOnBoth("video-pan-y", QByteArray::number(view.panY, 'f', 5).constData());
    updateLoopFilter();
}

void CoreSettings::setAspectOverride(double aspect, std::int64_t rotation)
{
    // -1 is mpv's "as the file says". The aspect asked for is the upright picture's; mpv applies
    // it to the decoded one, before it is turned upright.
    if (aspect > 0 && rotation % 180 == 90)
        aspect = 1 / aspect;
    const QByteArray value = aspect > 0 ? QByteArray::number(aspect, 'f', 6) : "-1";
    m_cores.setOnBoth("video-aspect-override", value.constData());
}

void CoreSettings::setScaledToFit(bool scaled)
{
    m_decoding.policy().setScaledToFit(scaled);
    m_cores.setOnBoth("video-unscaled", scaled ? "no" : kSmallPicturesUnscaled);
    updateLoopFilter();
}

void CoreSettings::setPictureArea(QSize pixels)
{
    if (const std::optional<const char*> threads = m_decoding.policy().setPictureArea(pixels))
        m_cores.setOnBoth("zimg-threads", *threads);
    updateLoopFilter();
}

void CoreSettings::updateLoopFilter()
{
    m_decoding.updateLoopFilter({&m_cores.shown(), &m_cores.waiting()});
}

} // namespace tandemo
