#include "engine/mpv_engine.h"
#include "engine/render_context.h"

#include <algorithm>

// What the engine tells of the file it plays, from what its core showing last reported.

namespace tandemo {

double MpvEngine::frameRate() const
{
    return m_shown.containerFps > 0 ? m_shown.containerFps : std::max(m_shown.measuredFps, 0.0);
}

double MpvEngine::frameStartAt(double seconds) const
{
    if (const std::optional<FrameAt> frame = m_frameTimes.times().frameAt(seconds))
        return frame->seconds;
    return PlaybackEngine::frameStartAt(seconds);
}

QSize MpvEngine::videoSize() const
{
    // Where the renderer turns the picture upright, the size reported is the picture's before.
    return m_shown.rotation % 180 == 90 ? m_shown.videoSize.transposed() : m_shown.videoSize;
}

MediaFacts MpvEngine::facts() const
{
    if (m_shown.idle)
        return {};
    MediaFacts facts{m_file,      m_shown.storedSize, m_shown.codec,
                     frameRate(), m_shown.bitRate,    m_shown.position};
    // Where the player has measured none (a short clip, paused at once), the file's own average
    // over its length tells as much.
    if (facts.bitRate <= 0 && m_shown.duration > 0 && m_opened.size() > 0)
        facts.bitRate = double(m_opened.size()) * 8 / m_shown.duration;
    // The frame showing, as the file's own timestamps count it; a time past the last frame (a
    // step beyond the end) is that frame's.
    if (const std::optional<FrameAt> frame = m_frameTimes.times().frameAt(m_shown.position)) {
        facts.frame = frame->number;
        facts.position = frame->seconds;
    }
    return facts;
}

std::unique_ptr<RenderContext> MpvEngine::softwareRenderContext()
{
    std::unique_ptr<RenderContext> context = RenderContext::software(*this);
    // The software view draws on a thread of its own, ahead of time, and shows frames when due:
    // drawing then no longer makes them late, by a varying few milliseconds.
    if (context) {
        m_decoding.setHandedOverAheadMs(kHandedOverAheadMs);
        m_loop.setHandedOverAheadMs(kHandedOverAheadMs);
        m_decoding.handOverAhead(m_shown.core.get(), true);
    }
    return context;
}

std::unique_ptr<RenderContext> MpvEngine::openGLRenderContext(const OpenGLSetUp& setUp)
{
    return RenderContext::openGL(*this, setUp);
}

std::unique_ptr<PlayerEngine> createPlayerEngine(const EngineOptions& options, QString* error)
{
    return MpvEngine::create(options, error);
}

} // namespace tandemo
