// Mouse buttons, keys and the pop-up menu of the track list.

#include "ui/ReportCtrl.h"
#include "ui/window/PopupMenu.h"
#include "ui/window/VirtualKeys.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace {

UINT ButtonMessage(Qt::MouseButton button, bool doubleClick) {
    switch (button) {
    case Qt::LeftButton:
        return doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
    case Qt::RightButton:
        return doubleClick ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN;
    case Qt::MiddleButton:
        return doubleClick ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN;
    default:
        return 0;
    }
}

} // namespace

void CReportCtrl::ShowMenu(const QPoint& globalPos) {
    CPopupMenu menu;
    if (!menu.Load(IDR_TRACK_MENU)) {
        return;
    }
    const UINT command = menu.Track(this, globalPos);
    if (command == 0) {
        return;
    }
    // The menu's owner is the main window, which hands the list's commands back to the list.
    if (m_parent) {
        ::SendMessage(m_parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 0), 0);
    } else {
        OnMenuCommand(command);
    }
}

bool CReportCtrl::OnMenuCommand(UINT id) {
    switch (id) {
    case ID_TRACK_EDIT:
        StartEdit(GetSelectedRow(), m_menuColumn);
        return true;
    case ID_TRACK_TOGGLE:
        if (const int row = GetSelectedRow(); row >= 0) {
            SetCheck(row, !GetCheck(row));
            viewport()->update();
        }
        return true;
    case ID_TRACK_MENU_CANCEL:
        return true;
    default:
        return false;
    }
}

LRESULT CReportCtrl::WindowProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND) {
        return OnMenuCommand(LOWORD(wParam)) ? 0 : 1;
    }
    return 0;
}

void CReportCtrl::OnMouseButton(UINT message, QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    const int row = index.isValid() ? index.row() : -1;
    const int column = index.isValid() ? index.column() : -1;
    const bool wasChecked = row >= 0 && GetCheck(row);
    const bool wasEditing = IsEditing();
    const bool wasSelectedAndFocused =
        row >= 0 &&
        (GetStateFlags(row) & (RC_ITEM_SELECTED | RC_ITEM_FOCUSED)) == (RC_ITEM_SELECTED | RC_ITEM_FOCUSED);
    EndEdit(true);

    if (message == WM_RBUTTONDOWN) {
        QTreeWidget::mousePressEvent(event);
        if (column != 0) {
            return;
        }
        m_menuColumn = 0;
        if ((m_checkMode == CHECK_NONE || pos.x() >= kStateImageWidth) && row >= 0) {
            ShowMenu(event->globalPosition().toPoint());
        }
        return;
    }

    // The list view's own handling: selection, and a click on a check box toggles it.
    if (message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK) {
        QTreeWidget::mouseDoubleClickEvent(event);
    } else {
        QTreeWidget::mousePressEvent(event);
    }
    if ((message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) && row >= 0 && column == 0 &&
        m_checkMode != CHECK_NONE) {
        const QRect cell = CellRect(row, 0);
        if (pos.x() >= cell.left() && pos.x() < cell.left() + kStateImageWidth) {
            SetCheckRaw(row, !wasChecked);
        }
    }

    bool checkChanged = false;
    if (row >= 0 && m_checkMode != CHECK_NONE && GetCheck(row) != wasChecked) {
        checkChanged = true;
        if (m_checkMode == CHECK_SINGLE && GetCheck(row)) {
            for (int r = 0; r < topLevelItemCount(); ++r) {
                if (r != row) {
                    SetCheckRaw(r, false);
                }
            }
        }
        if (m_checkMode != CHECK_REPORT_ONLY) {
            SelectOnly(row);
            Notify(WM_RC_CHECKCHANGED, static_cast<WPARAM>(row), static_cast<LPARAM>(message));
        }
        viewport()->update();
    }

    if ((message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) && m_editable && !checkChanged &&
        !wasEditing && wasSelectedAndFocused && column == 0) {
        scrollToItem(topLevelItem(row));
        StartEdit(row, 0);
    }
}

void CReportCtrl::mousePressEvent(QMouseEvent* event) {
    if (!m_enabled) {
        event->accept();
        return;
    }
    if (const UINT message = ButtonMessage(event->button(), false)) {
        OnMouseButton(message, event);
    } else {
        QTreeWidget::mousePressEvent(event);
    }
}

void CReportCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!m_enabled) {
        event->accept();
        return;
    }
    if (const UINT message = ButtonMessage(event->button(), true)) {
        OnMouseButton(message, event);
    } else {
        QTreeWidget::mouseDoubleClickEvent(event);
    }
}

void CReportCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_enabled) {
        event->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void CReportCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (!m_enabled && event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void CReportCtrl::keyPressEvent(QKeyEvent* event) {
    if (!m_enabled) {
        event->accept();
        return;
    }
    const UINT vk = VirtualKeyOf(event);
    if (IsEditing() && OnEditKey(vk)) {
        return;
    }
    if (!IsEditing() && vk == VK_APPS) {
        const int row = GetSelectedRow();
        if (row >= 0) {
            m_menuColumn = 0;
            const QRect cell = CellRect(row, 0);
            ShowMenu(viewport()->mapToGlobal(cell.topLeft() + QPoint(16, cell.height())));
        }
        return;
    }
    if (!IsEditing() && vk == VK_SPACE) {
        // The list view's own key: Space ticks or unticks the focused row.
        if (QTreeWidgetItem* item = currentItem(); item && m_checkMode != CHECK_NONE) {
            const int row = indexOfTopLevelItem(item);
            SetCheck(row, !GetCheck(row));
            viewport()->update();
        }
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CReportCtrl::wheelEvent(QWheelEvent* event) {
    EndEdit(true);
    QTreeWidget::wheelEvent(event);
}

void CReportCtrl::scrollContentsBy(int dx, int dy) {
    EndEdit(true);
    QTreeWidget::scrollContentsBy(dx, dy);
}
