#pragma once

// Watches patches of the screen from a thread and an X connection of its own: each time a patch
// changes, a new picture has reached the X server there. Being apart from the program's GUI
// thread, it sees the pictures when the window system has them, not when they were drawn.

#include <QElapsedTimer>
#include <QPoint>

#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tandemo::bench {

class ScreenWatch {
public:
    /// Watches a 16x16 patch around each point (in screen coordinates); times are read from
    /// `clock`, in nanoseconds.
    ScreenWatch(std::vector<QPoint> points, const QElapsedTimer& clock)
        : m_points(std::move(points))
        , m_clock(clock)
        , m_changes(m_points.size())
        , m_levels(m_points.size())
        , m_thread([this] { watch(); })
    {
    }
    ~ScreenWatch()
    {
        m_stop = true;
        m_thread.join();
    }
    ScreenWatch(const ScreenWatch&) = delete;
    ScreenWatch& operator=(const ScreenWatch&) = delete;

    /// When the patch around each point changed.
    std::vector<qint64> changes(std::size_t point) const
    {
        const std::lock_guard lock(m_mutex);
        return m_changes[point];
    }
    /// The patch's mean green level (0 to 255) after each of those changes.
    std::vector<int> levels(std::size_t point) const
    {
        const std::lock_guard lock(m_mutex);
        return m_levels[point];
    }

private:
    void watch()
    {
        const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
            xcb_connect(nullptr, nullptr), &xcb_disconnect);
        if (xcb_connection_has_error(connection.get()))
            return;
        const xcb_window_t root =
            xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data->root;
        std::vector<std::string> last(m_points.size());
        while (!m_stop) {
            for (std::size_t i = 0; i < m_points.size(); ++i) {
                const QPoint at = m_points[i] - QPoint(8, 8);
                const xcb_get_image_cookie_t cookie =
                    xcb_get_image(connection.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, root,
                                  std::int16_t(at.x()), std::int16_t(at.y()), 16, 16, ~0u);
                xcb_get_image_reply_t* reply =
                    xcb_get_image_reply(connection.get(), cookie, nullptr);
                if (!reply)
                    continue;
                const qint64 now = m_clock.nsecsElapsed();
                std::string patch(reinterpret_cast<const char*>(xcb_get_image_data(reply)),
                                  std::size_t(xcb_get_image_data_length(reply)));
                std::free(reply);
                if (patch != last[i]) {
                    const std::lock_guard lock(m_mutex);
                    m_changes[i].push_back(now);
                    m_levels[i].push_back(meanGreen(patch));
                }
                last[i] = std::move(patch);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }

    /// Pixels come as 32 bits each, blue first.
    static int meanGreen(const std::string& patch)
    {
        long sum = 0;
        const std::size_t pixels = patch.size() / 4;
        for (std::size_t p = 0; p < pixels; ++p)
            sum += static_cast<unsigned char>(patch[p * 4 + 1]);
        return pixels ? int(sum / long(pixels)) : 0;
    }

    const std::vector<QPoint> m_points;
    const QElapsedTimer& m_clock;
    mutable std::mutex m_mutex;
    std::vector<std::vector<qint64>> m_changes;
    std::vector<std::vector<int>> m_levels;
    std::atomic_bool m_stop = false;
    std::thread m_thread;
};

} // namespace tandemo::bench
