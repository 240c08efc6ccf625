#pragma once
// Mirrors other programs' top-level windows into the window table, so EnumWindows, FindWindow,
// SetForegroundWindow and WM_CLOSE reach them as they reach a foreign window on Windows. The table
// is brought up to date before every enumeration; a window that went away loses its handle, and a
// window that comes back gets a new one. The program's own windows (by process id) are left out:
// the table has them already.

#include "platform/win/WinTypes.h"
#include "platform/windows/ForeignWindowSource.h"

#include <cstdint>
#include <map>
#include <memory>

class CWindowTable;

class CForeignWindows {
public:
    CForeignWindows(CWindowTable& table, IForeignWindowSource& source, std::int64_t ownPid);
    // Takes the mirrored windows out of the table again and stops the refresh.
    ~CForeignWindows();
    CForeignWindows(const CForeignWindows&) = delete;
    CForeignWindows& operator=(const CForeignWindows&) = delete;

    void Refresh();
    // The handle of a source window, null when it is not mirrored.
    HWND Handle(std::uint32_t id) const;

private:
    CWindowTable& m_table;
    IForeignWindowSource& m_source;
    std::int64_t m_ownPid;
    std::map<std::uint32_t, HWND> m_handles;
    // Cleared on destruction, so a raise or close request that outlives us does nothing.
    std::shared_ptr<IForeignWindowSource*> m_alive;
};
