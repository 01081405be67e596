#include "engine/mpv_engine.h"

#include "engine/mpv_options.h"

#include <mpv/client.h>

#include <cmath>

// How the engine loops a file through its two cores, and decodes what its pane can show.

namespace tandemo {

void MpvEngine::setLoop(bool loop)
{
    m_loop.setLooping(loop);
}

void MpvEngine::tellLoopWhereShownIs()
{
    m_loop.shownAt(m_shown.duration - m_shown.position, frameDuration(*this),
                   m_speed * m_speedNudge);
}

std::optional<double> MpvEngine::shownFrameLasts() const
{
    // Waiting is not being held: paused, or paused by the core until it has read more of the
    // file (a loaded machine, a slow disk).
    if (m_file.isEmpty() || m_shown.idle || m_shown.paused || !m_shown.loaded ||
        m_shown.waitingForData)
        return std::nullopt;
    const std::optional<double> next = m_frameTimes.times().frameStart(m_shown.position, 1);
    const double toNext = next ? *next - m_shown.position : frameDuration(*this);
    return toNext / (m_speed * m_speedNudge);
}

void MpvEngine::openAgainWhenStalled(int times)
{
    // Opened again from its name: the file as it is now, or a clear failure. Twice without
    // moving on, and the file is taken for one that cannot be played.
    if (times > 2)
        failToOpen(QStringLiteral("playback stalled"));
    else
        openAgain();
}

void MpvEngine::giveUpWaitingCore()
{
    // The core stays (it may not be destroyed while a context of another view holds it), idle.
    m_loop.giveUpWaiting();
}

void MpvEngine::setPictureArea(QSize pixels)
{
    if (const std::optional<const char*> threads = m_decoding.policy().setPictureArea(pixels))
        setPropertyAsync("zimg-threads", *threads);
    updateLoopFilter();
}

} // namespace tandemo
