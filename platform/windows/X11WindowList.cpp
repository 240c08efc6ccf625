#include "platform/windows/X11WindowList.h"

#include <xcb/xcb.h>

#include <QtGlobal>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Enough for any window list and any title; a property read asks for this many 32-bit units.
constexpr std::uint32_t kMaxPropertyUnits = 1u << 16;

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

QString Text(const xcb_get_property_reply_t* reply, xcb_atom_t utf8) {
    if (!reply || reply->format != 8) {
        return QString();
    }
    const char* data = static_cast<const char*>(xcb_get_property_value(reply));
    const int size = xcb_get_property_value_length(reply);
    // Old clients set WM_NAME as Latin-1 STRING.
    return reply->type == utf8 ? QString::fromUtf8(data, size) : QString::fromLatin1(data, size);
}

std::uint32_t FirstCard32(const xcb_get_property_reply_t* reply, bool* present = nullptr) {
    const bool has = reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4;
    if (present) {
        *present = has;
    }
    return has ? *static_cast<const std::uint32_t*>(xcb_get_property_value(reply)) : 0;
}

} // namespace

struct CX11WindowList::SConnection {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t clientListStacking = 0;
    xcb_atom_t clientList = 0;
    xcb_atom_t netWmName = 0;
    xcb_atom_t utf8 = 0;
    xcb_atom_t netWmPid = 0;
    xcb_atom_t wmState = 0;
    xcb_atom_t activeWindow = 0;
    xcb_atom_t closeWindow = 0;

    ~SConnection() {
        if (c) {
            xcb_disconnect(c);
        }
    }

    Reply<xcb_get_property_reply_t> Take(xcb_get_property_cookie_t cookie) const {
        return Reply<xcb_get_property_reply_t>(xcb_get_property_reply(c, cookie, nullptr));
    }
    xcb_get_property_cookie_t Ask(xcb_window_t window, xcb_atom_t property) const {
        return xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxPropertyUnits);
    }
    std::vector<xcb_window_t> Windows(xcb_atom_t list) const {
        const Reply<xcb_get_property_reply_t> reply = Take(Ask(root, list));
        if (!reply || reply->format != 32) {
            return {};
        }
        const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
        return std::vector<xcb_window_t>(ids, ids + xcb_get_property_value_length(reply.get()) / 4);
    }
    void SendToWindowManager(xcb_window_t window, xcb_atom_t type, std::uint32_t d0, std::uint32_t d1) const {
        xcb_client_message_event_t event;
        std::memset(&event, 0, sizeof(event));
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = type;
        event.data.data32[0] = d0;
        event.data.data32[1] = d1;
        xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(c);
    }
};

CX11WindowList::CX11WindowList(const QByteArray& display) {
    if (display.isEmpty()) {
        return;
    }
    auto x = std::make_unique<SConnection>();
    int screenNumber = 0;
    x->c = xcb_connect(display.constData(), &screenNumber);
    if (xcb_connection_has_error(x->c)) {
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x->c));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
        return;
    }
    x->root = screens.data->root;

    const struct {
        const char* name;
        xcb_atom_t* atom;
    } atoms[] = {{"_NET_CLIENT_LIST_STACKING", &x->clientListStacking},
                 {"_NET_CLIENT_LIST", &x->clientList},
                 {"_NET_WM_NAME", &x->netWmName},
                 {"UTF8_STRING", &x->utf8},
                 {"_NET_WM_PID", &x->netWmPid},
                 {"WM_STATE", &x->wmState},
                 {"_NET_ACTIVE_WINDOW", &x->activeWindow},
                 {"_NET_CLOSE_WINDOW", &x->closeWindow}};
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (const auto& a : atoms) {
        cookies.push_back(xcb_intern_atom(x->c, 0, static_cast<std::uint16_t>(std::strlen(a.name)), a.name));
    }
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(x->c, cookies[i], nullptr));
        if (!reply) {
            return;
        }
        *atoms[i].atom = reply->atom;
    }
    m_x = std::move(x);
}

CX11WindowList::~CX11WindowList() = default;

std::unique_ptr<CX11WindowList> CX11WindowList::ForSession() {
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                         qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    return std::make_unique<CX11WindowList>(wayland ? QByteArray() : qgetenv("DISPLAY"));
}

bool CX11WindowList::Connected() const {
    return m_x != nullptr;
}

std::vector<SForeignWindow> CX11WindowList::List() {
    if (!m_x) {
        return {};
    }
    // The stacking list runs bottom to top; the plain list is the fallback of simpler managers.
    std::vector<xcb_window_t> ids = m_x->Windows(m_x->clientListStacking);
    if (ids.empty()) {
        ids = m_x->Windows(m_x->clientList);
    }
    std::reverse(ids.begin(), ids.end());

    // Every question goes out before the first answer is awaited: one round trip for the list.
    struct SAsked {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t netName, name, cls, transientFor, pid, state;
    };
    std::vector<SAsked> asked;
    asked.reserve(ids.size());
    for (const xcb_window_t id : ids) {
        asked.push_back({xcb_get_window_attributes(m_x->c, id), m_x->Ask(id, m_x->netWmName),
                         m_x->Ask(id, XCB_ATOM_WM_NAME), m_x->Ask(id, XCB_ATOM_WM_CLASS),
                         m_x->Ask(id, XCB_ATOM_WM_TRANSIENT_FOR), m_x->Ask(id, m_x->netWmPid),
                         m_x->Ask(id, m_x->wmState)});
    }

    std::vector<SForeignWindow> windows;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const SAsked& a = asked[i];
        const Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(m_x->c, a.attributes, nullptr));
        const auto netName = m_x->Take(a.netName);
        const auto name = m_x->Take(a.name);
        const auto cls = m_x->Take(a.cls);
        const auto transientFor = m_x->Take(a.transientFor);
        const auto pid = m_x->Take(a.pid);
        const auto state = m_x->Take(a.state);
        if (!attributes || ids[i] == 0) {
            continue; // gone since the list was read
        }
        SForeignWindow w;
        w.id = ids[i];
        w.title = Text(netName.get(), m_x->utf8);
        if (w.title.isEmpty()) {
            w.title = Text(name.get(), m_x->utf8);
        }
        // WM_CLASS holds the instance name, then the class name, each ended by a NUL.
        const QString instanceAndClass = Text(cls.get(), m_x->utf8);
        w.className = instanceAndClass.section(QChar(0), 1, 1);
        w.owner = FirstCard32(transientFor.get());
        w.pid = FirstCard32(pid.get());
        bool hasState = false;
        const std::uint32_t wmState = FirstCard32(state.get(), &hasState);
        constexpr std::uint32_t kWithdrawnState = 0;
        w.visible = hasState ? wmState != kWithdrawnState : attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        windows.push_back(w);
    }
    // Errors for windows that went away arrive as events; nobody else reads them.
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_x->c)) {
        std::free(event);
    }
    if (xcb_connection_has_error(m_x->c)) {
        m_x.reset(); // the display went away: from now on there is nothing to see
        return {};
    }
    return windows;
}

void CX11WindowList::Activate(std::uint32_t id) {
    if (m_x) {
        constexpr std::uint32_t kFromPager = 2; // a request on the user's behalf, not a program's own
        m_x->SendToWindowManager(id, m_x->activeWindow, kFromPager, XCB_CURRENT_TIME);
    }
}

void CX11WindowList::Close(std::uint32_t id) {
    if (m_x) {
        constexpr std::uint32_t kFromPager = 2;
        m_x->SendToWindowManager(id, m_x->closeWindow, XCB_CURRENT_TIME, kFromPager);
    }
}
