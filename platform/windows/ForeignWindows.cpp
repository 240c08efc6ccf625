#include "platform/windows/ForeignWindows.h"

#include "platform/windows/WindowTable.h"

#include <set>

CForeignWindows::CForeignWindows(CWindowTable& table, IForeignWindowSource& source, std::int64_t ownPid)
    : m_table(table), m_source(source), m_ownPid(ownPid),
      m_alive(std::make_shared<IForeignWindowSource*>(&source)) {
    m_table.SetRefresh([this] { Refresh(); });
}

CForeignWindows::~CForeignWindows() {
    m_table.SetRefresh({});
    *m_alive = nullptr;
    for (const auto& [id, hwnd] : m_handles) {
        m_table.Destroy(hwnd);
    }
}

HWND CForeignWindows::Handle(std::uint32_t id) const {
    const auto it = m_handles.find(id);
    return it == m_handles.end() ? nullptr : it->second;
}

void CForeignWindows::Refresh() {
    std::vector<SForeignWindow> windows = m_source.List();
    std::erase_if(windows, [this](const SForeignWindow& w) {
        return w.id == 0 || (m_ownPid != 0 && w.pid == m_ownPid);
    });

    std::set<std::uint32_t> listed;
    for (const SForeignWindow& w : windows) {
        listed.insert(w.id);
    }
    for (auto it = m_handles.begin(); it != m_handles.end();) {
        if (listed.count(it->first) == 0 || !m_table.Exists(it->second)) {
            m_table.Destroy(it->second);
            it = m_handles.erase(it);
        } else {
            ++it;
        }
    }

    // New windows are created back to front, so the table's order follows the source's.
    for (auto w = windows.rbegin(); w != windows.rend(); ++w) {
        if (m_handles.count(w->id) != 0) {
            continue;
        }
        CWindowTable::Window record;
        record.className = w->className;
        const std::uint32_t id = w->id;
        const std::shared_ptr<IForeignWindowSource*> alive = m_alive;
        record.onForeground = [alive, id] {
            if (*alive) {
                (*alive)->Activate(id);
            }
        };
        record.onClose = [alive, id] {
            if (*alive) {
                (*alive)->Close(id);
            }
        };
        m_handles[id] = m_table.Create(record);
    }

    // Titles, visibility and owners change while a window lives; owners are set once every
    // window has its handle.
    for (const SForeignWindow& w : windows) {
        const HWND hwnd = m_handles[w.id];
        m_table.SetTitle(hwnd, w.title);
        m_table.SetVisible(hwnd, w.visible);
        m_table.SetOwner(hwnd, Handle(w.owner));
    }
}
