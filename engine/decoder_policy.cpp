#include "engine/decoder_policy.h"

#include "engine/mpv_options.h"

#include <QThread>

#include <utility>

namespace tandemo {

DecoderPolicy::DecoderPolicy(bool cpuDecoding, std::shared_ptr<PanesPlaying> panes)
    : m_cpuDecoding(cpuDecoding)
    , m_panes(std::move(panes))
{
}

DecoderPolicy::~DecoderPolicy()
{
    setPlaying(false);
}

void DecoderPolicy::setPlaying(bool playing)
{
    if (playing != m_playing && m_panes) {
        if (playing)
            m_panes->join();
        else
            m_panes->leave();
    }
    m_playing = playing;
}

int DecoderPolicy::threadsFor(QSize video) const
{
    const int others = m_panes ? m_panes->count() - (m_playing ? 1 : 0) : 0;
    return decoderThreadsFor(QThread::idealThreadCount(), video, others > 0);
}

bool DecoderPolicy::loopFilterShows(QSize stored, std::int64_t rotation) const
{
    const bool turned = rotation % 180 == 90;
    return loopFilterVisible(m_area, turned ? stored.transposed() : stored, m_zoom, m_scaledToFit);
}

bool DecoderPolicy::skipsLoopFilter(QSize stored, std::int64_t rotation) const
{
    return m_cpuDecoding && !loopFilterShows(stored, rotation);
}

std::optional<const char*> DecoderPolicy::setPictureArea(QSize pixels)
{
    // A picture of a pane's size is scaled faster by one thread than by several: handing out
    // its slices costs more than it saves. A larger one is shared out.
    const auto paneSized = [](QSize area) {
        return qint64(area.width()) * area.height() <= 1280 * 720;
    };
    const bool changes = m_area.isEmpty() || paneSized(pixels) != paneSized(m_area);
    m_area = pixels;
    if (!changes)
        return std::nullopt;
    return paneSized(pixels) ? "1" : "0";
}

} // namespace tandemo
