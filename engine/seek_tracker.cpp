#include "engine/seek_tracker.h"

namespace tandemo {

std::uint64_t SeekTracker::sent(double target)
{
    m_target = target;
    m_stage = Stage::Sent;
    return ++m_lastId;
}

void SeekTracker::replied(std::uint64_t id, bool taken)
{
    if (id != m_lastId || m_stage != Stage::Sent)
        return;
    // A seek refused (no file any more, say) never restarts: nothing is under way.
    if (taken)
        m_stage = Stage::Taken;
    else
        forget();
}

void SeekTracker::restarted()
{
    if (m_stage == Stage::Taken)
        m_stage = Stage::Restarted;
}

void SeekTracker::positionTold()
{
    // mpv may tell of the restart before the position it restarted at.
    if (m_stage == Stage::Restarted)
        forget();
}

void SeekTracker::forget()
{
    m_stage = Stage::None;
    m_target.reset();
}

} // namespace tandemo
