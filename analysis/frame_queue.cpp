#include "analysis/frame_queue.h"

namespace tandemo {

void FrameQueue::push(Entry entry)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_closed || m_entries.size() < m_capacity; });
    if (m_closed)
        return;
    m_entries.push_back(std::move(entry));
    m_changed.notify_all();
}

FrameQueue::Entry FrameQueue::pop()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_closed || !m_entries.empty(); });
    if (m_entries.empty())
        return {};
    Entry entry = std::move(m_entries.front());
    m_entries.pop_front();
    m_changed.notify_all();
    return entry;
}

void FrameQueue::close()
{
    const std::lock_guard lock(m_mutex);
    m_closed = true;
    m_changed.notify_all();
}

} // namespace tandemo
