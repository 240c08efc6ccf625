#pragma once
// Other programs' top-level windows on an X11 display, as an EWMH window manager lists them
// (_NET_CLIENT_LIST_STACKING, else _NET_CLIENT_LIST): title from _NET_WM_NAME (else WM_NAME),
// class from WM_CLASS, owner from WM_TRANSIENT_FOR, process from _NET_WM_PID, visible unless
// withdrawn. Raising and closing go to the window manager (_NET_ACTIVE_WINDOW, _NET_CLOSE_WINDOW).
// Without a connection (a Wayland session, no display, a display that cannot be opened) the list
// is empty and requests do nothing.

#include "platform/windows/ForeignWindowSource.h"

#include <QByteArray>
#include <QString>
#include <memory>

class CX11WindowList : public IForeignWindowSource {
public:
    // Connects to the named display (as in $DISPLAY); an empty name connects to nothing.
    explicit CX11WindowList(const QByteArray& display);
    ~CX11WindowList() override;
    CX11WindowList(const CX11WindowList&) = delete;
    CX11WindowList& operator=(const CX11WindowList&) = delete;

    // The list for this session: $DISPLAY, unless the session is a Wayland one, where an X11
    // display shows only some programs' windows.
    static std::unique_ptr<CX11WindowList> ForSession();

    bool Connected() const;
    std::vector<SForeignWindow> List() override;
    void Activate(std::uint32_t id) override;
    void Close(std::uint32_t id) override;

private:
    struct SConnection;
    std::unique_ptr<SConnection> m_x;
};
