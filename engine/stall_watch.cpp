#include "engine/stall_watch.h"

#include <utility>

namespace tandemo {

StallWatch::StallWatch(FrameLasts frameLasts, QObject* parent)
    : QObject(parent)
    , m_frameLasts(std::move(frameLasts))
{
    m_since.start();
    m_check.setInterval(kCheckMs);
    connect(&m_check, &QTimer::timeout, this, &StallWatch::check);
    m_check.start();
}

void StallWatch::moved()
{
    m_since.restart();
    m_stalls = 0;
}

void StallWatch::check()
{
    const std::optional<double> lasts = m_frameLasts();
    if (!lasts) {
        m_since.restart();
        return;
    }
    if (m_since.elapsed() < (kStalledSeconds + *lasts) * 1000)
        return;
    m_since.restart();
    emit stalled(++m_stalls);
}

} // namespace tandemo
