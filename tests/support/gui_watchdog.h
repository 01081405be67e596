#pragma once

#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace tandemo::testing {

/// Ends the test program with a message when the GUI thread stops turning its event loop for
/// `limit`: a frozen window must fail the test, not hang it until the test runner's timeout.
class GuiWatchdog {
public:
    explicit GuiWatchdog(std::chrono::seconds limit = std::chrono::seconds(30))
        : m_limit(limit)
    {
        m_beat.setInterval(50);
        QObject::connect(&m_beat, &QTimer::timeout, [this] { m_lastBeat = now(); });
        m_beat.start();
        m_lastBeat = now();
        m_thread = std::thread([this] { watch(); });
    }
    ~GuiWatchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    GuiWatchdog(const GuiWatchdog&) = delete;
    GuiWatchdog& operator=(const GuiWatchdog&) = delete;

private:
    static long long now()
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    void watch()
    {
        std::unique_lock lock(m_mutex);
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(200), [this] { return m_stop; })) {
            const long long stalled = now() - m_lastBeat;
            if (stalled > std::chrono::milliseconds(m_limit).count()) {
                std::fprintf(stderr, "FAIL: the GUI thread has not run for %lld ms\n", stalled);
                std::fflush(stderr);
                std::_Exit(3);
            }
        }
    }

    std::chrono::seconds m_limit;
    QTimer m_beat;
    std::atomic<long long> m_lastBeat{0};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace tandemo::testing
