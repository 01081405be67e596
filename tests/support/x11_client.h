#pragma once

// A small X11 client for driving another program's windows the way a window manager does.

#include <QElapsedTimer>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include <poll.h>

namespace tandemo::testing {

class X11Client {
public:
    X11Client()
        : m_connection(xcb_connect(nullptr, nullptr), &xcb_disconnect)
    {
        if (isConnected())
            m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection.get())).data->root;
    }

    bool isConnected() const { return !xcb_connection_has_error(m_connection.get()); }

    xcb_atom_t atom(const char* name)
    {
        const xcb_intern_atom_cookie_t cookie =
            xcb_intern_atom(m_connection.get(), 0, uint16_t(std::strlen(name)), name);
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(m_connection.get(), cookie, nullptr), &std::free);
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    /// Starts watching for top-level windows being mapped; call before starting the program.
    void watchMappedWindows()
    {
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection.get(), m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection.get());
    }

    /// Whether a window manager runs: it alone redirects the root window's children. (Asked
    /// without selecting anything, which could keep a manager that starts meanwhile out.)
    bool hasWindowManager()
    {
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> reply(
            xcb_get_window_attributes_reply(
                m_connection.get(), xcb_get_window_attributes(m_connection.get(), m_root), nullptr),
            &std::free);
        return reply && (reply->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);
    }

    /// The process id a window declares (_NET_WM_PID), or 0.
    uint32_t processOf(xcb_window_t window)
    {
        const xcb_get_property_cookie_t cookie = xcb_get_property(
            m_connection.get(), 0, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 0, 1);
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(m_connection.get(), cookie, nullptr), &std::free);
        if (!reply || xcb_get_property_value_length(reply.get()) != 4)
            return 0;
        return *static_cast<uint32_t*>(xcb_get_property_value(reply.get()));
    }

    /// Waits until a top-level window of the process is mapped; watchMappedWindows() first.
    std::optional<xcb_window_t> waitForMappedWindow(uint32_t pid, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            while (auto* event = xcb_poll_for_event(m_connection.get())) {
                std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(event, &std::free);
                if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
                    continue;
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (!map->override_redirect && processOf(map->window) == pid)
                    return map->window;
            }
            pollfd descriptor{xcb_get_file_descriptor(m_connection.get()), POLLIN, 0};
            poll(&descriptor, 1, 10);
        }
        return std::nullopt;
    }

    /// Asks the window to close as a window manager does: a WM_DELETE_WINDOW message.
    bool sendDeleteWindow(xcb_window_t window)
    {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = atom("WM_PROTOCOLS");
        event.data.data32[0] = atom("WM_DELETE_WINDOW");
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_connection.get(), 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&event));
        // A round trip: the server has handled the message once it answers the next request.
        std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> reply(
            xcb_get_input_focus_reply(m_connection.get(), xcb_get_input_focus(m_connection.get()),
                                      nullptr),
            &std::free);
        return reply != nullptr;
    }

private:
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> m_connection;
    xcb_window_t m_root = 0;
};

} // namespace tandemo::testing
