#include "ui/window/WidgetWindow.h"

#include "platform/Platform.h"

#include <map>

namespace {
std::map<HWND, QPointer<QWidget>>& Widgets() {
    static std::map<HWND, QPointer<QWidget>> widgets;
    return widgets;
}
} // namespace

HWND CWidgetWindow::Bind(QWidget* widget, IWindowProc* proc, HWND parent, bool child) {
    Unbind();
    CWindowTable* table = CPlatform::Current().windows;
    if (!table || !widget) {
        return nullptr;
    }
    m_widget = widget;
    CWindowTable::Window record;
    record.title = widget->windowTitle();
    record.className = QString::fromLatin1(widget->metaObject()->className());
    record.owner = parent;
    record.child = child;
    record.visible = widget->isVisible();
    record.client = RECT{0, 0, widget->width(), widget->height()};
    record.proc = proc;
    QPointer<QWidget> guarded = widget;
    record.onForeground = [guarded] {
        if (guarded) {
            guarded->raise();
            guarded->activateWindow();
        }
    };
    m_hwnd = table->Create(record);
    Widgets()[m_hwnd] = widget;
    QObject::connect(widget, &QObject::destroyed, [hwnd = m_hwnd] {
        Widgets().erase(hwnd);
        if (CWindowTable* t = CPlatform::Current().windows) {
            t->Destroy(hwnd);
        }
    });
    return m_hwnd;
}

void CWidgetWindow::Unbind() {
    if (!m_hwnd) {
        return;
    }
    Widgets().erase(m_hwnd);
    if (CWindowTable* table = CPlatform::Current().windows) {
        table->Destroy(m_hwnd);
    }
    m_hwnd = nullptr;
}

void CWidgetWindow::SyncFromWidget() {
    CWindowTable* table = CPlatform::Current().windows;
    if (!table || !m_hwnd || !m_widget) {
        return;
    }
    table->SetTitle(m_hwnd, m_widget->windowTitle());
    table->SetVisible(m_hwnd, m_widget->isVisible());
    table->SetClientRect(m_hwnd, RECT{0, 0, m_widget->width(), m_widget->height()});
}

QWidget* CWidgetWindow::WidgetOf(HWND hwnd) {
    auto it = Widgets().find(hwnd);
    return it == Widgets().end() ? nullptr : it->second.data();
}

HWND CWidgetWindow::HandleOf(const QWidget* widget) {
    if (!widget) {
        return nullptr;
    }
    for (const auto& [hwnd, bound] : Widgets()) {
        if (bound.data() == widget) {
            return hwnd;
        }
    }
    return nullptr;
}
