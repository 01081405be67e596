#pragma once

#include <QMetaObject>

#include <atomic>

namespace tandemo {

/// Lets a callback on one of mpv's threads ask for a handler to run on the receiver's (GUI)
/// thread. Wakeups that come while one is already queued are folded into it, so a busy engine
/// cannot flood the event queue. Keep it as a member of the receiver: a queued call for a receiver
/// that is gone is dropped with it.
class QueuedWakeup {
public:
    template <typename Receiver> void post(Receiver* receiver, void (Receiver::*handler)())
    {
        if (m_queued.exchange(true))
            return;
        QMetaObject::invokeMethod(
            receiver,
            [this, receiver, handler] {
                m_queued = false;
                (receiver->*handler)();
            },
            Qt::QueuedConnection);
    }

private:
    std::atomic_bool m_queued = false;
};

} // namespace tandemo
