#pragma once
// An X11 client for tests that plays the other programs and their window manager: it makes
// windows, sets the properties EWMH clients and managers set, and reads the client messages a
// manager receives.

#include <xcb/xcb.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QThread>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

class CX11TestClient {
public:
    explicit CX11TestClient(const QByteArray& display) : m_c(xcb_connect(display.constData(), nullptr)) {
        if (!xcb_connection_has_error(m_c)) {
            m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        }
    }
    ~CX11TestClient() { xcb_disconnect(m_c); }
    CX11TestClient(const CX11TestClient&) = delete;
    CX11TestClient& operator=(const CX11TestClient&) = delete;

    bool Connected() const { return m_root != 0; }
    xcb_window_t Root() const { return m_root; }

    xcb_atom_t Atom(const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_c, xcb_intern_atom(m_c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : 0;
        std::free(reply);
        return atom;
    }

    xcb_window_t NewWindow(bool map = true) {
        const xcb_window_t w = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, w, m_root, 0, 0, 50, 50, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        if (map) {
            xcb_map_window(m_c, w);
        }
        return w;
    }
    void Destroy(xcb_window_t w) { xcb_destroy_window(m_c, w); }

    void Set(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, const QByteArray& bytes) {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, w, property, type, 8,
                            static_cast<std::uint32_t>(bytes.size()), bytes.constData());
    }
    void Set32(xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
               const std::vector<std::uint32_t>& values) {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, w, property, type, 32,
                            static_cast<std::uint32_t>(values.size()), values.data());
    }
    // A window with a UTF-8 title, published as the manager's only client.
    xcb_window_t PublishWindow(const QByteArray& utf8Title) {
        const xcb_window_t w = NewWindow();
        Set(w, Atom("_NET_WM_NAME"), Atom("UTF8_STRING"), utf8Title);
        Set32(m_root, Atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, {w});
        Sync();
        return w;
    }
    // Receives what other clients send to the manager (only one client may).
    void BecomeWindowManager() {
        const std::uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
        xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &redirect);
        Sync();
    }
    // Waits until the server has handled every request so far.
    void Sync() { std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); }

    // The client messages received within timeoutMs, up to `wanted`.
    std::vector<xcb_client_message_event_t> ClientMessages(std::size_t wanted, int timeoutMs = 1000) {
        std::vector<xcb_client_message_event_t> messages;
        QElapsedTimer timer;
        timer.start();
        while (messages.size() < wanted && timer.elapsed() < timeoutMs) {
            xcb_generic_event_t* event = xcb_poll_for_event(m_c);
            if (!event) {
                QThread::msleep(5);
                continue;
            }
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                messages.push_back(*reinterpret_cast<xcb_client_message_event_t*>(event));
            }
            std::free(event);
        }
        return messages;
    }

private:
    xcb_connection_t* m_c;
    xcb_window_t m_root = 0;
};
