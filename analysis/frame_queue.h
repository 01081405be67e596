#pragma once

#include "analysis/libav_handles.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

namespace tandemo {

/// Pictures handed from one thread to another, a few at a time: the giver waits while the queue
/// is full, the taker while it is empty, until the giver closes it.
class FrameQueue {
public:
    /// A picture and its time, in seconds.
    struct Entry {
        LibavFrame frame;
        double seconds = 0;
    };

    explicit FrameQueue(std::size_t capacity)
        : m_capacity(capacity)
    {
    }

    /// Adds a picture, waiting for room; dropped once the queue is closed.
    void push(Entry entry);
    /// The next picture, waiting for one; an empty entry once the queue is closed and empty.
    Entry pop();
    /// No more pictures come: the taker is told once it has the ones given.
    void close();

private:
    const std::size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Entry> m_entries;
    bool m_closed = false;
};

} // namespace tandemo
