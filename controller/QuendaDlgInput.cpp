// The user's direct commands (open the destination, Close, the system menu), the keys, the mouse
// on the window's own surface and the drag band, and the window's painting.
#include "controller/AboutDlg.h"
#include "controller/QuendaDlg.h"
#include "controller/WindowMover.h"
#include "platform/Platform.h"
#include "platform/messages/ModalService.h"
#include "platform/system/SystemServices.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/Bitmaps.h"
#include "ui/ColorButton.h"
#include "ui/MyComboBox.h"
#include "ui/ReportCtrl.h"
#include "ui/window/VirtualKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

LRESULT CQuendaDlg::OnOpenDestination(WPARAM, LPARAM) {
    BeginWaitCursor();
    EndEditCommitting();
    if (m_syncState == SYNC_INIT || m_syncState == SYNC_SETTINGS || m_syncState == SYNC_WAIT) {
        ApplyFocusRule(IDC_OPEN_DEST);
        const QString root = m_dap.GetDriveRoot();
        // A player entry has no drive: there is nothing the file manager could show.
        if (root.isEmpty() || ShellExecute(Handle(), QStringLiteral("open"), root + QLatin1Char('\\'),
                                           QString(), QString(), SW_SHOWNORMAL) <= kShellOpenFailed) {
            EndWaitCursor();
            ShowNotice(IDS_ERR_CANNOT_OPEN, IDS_CAPTION_ERROR);
            return 0;
        }
    }
    EndWaitCursor();
    return 0;
}

LRESULT CQuendaDlg::OnClose(WPARAM, LPARAM) {
    // Close is live only while no job runs; a command that arrives otherwise is refused.
    if (!m_close->isEnabled()) {
        return 0;
    }
    m_trackList->EndEdit(false);
    EndWindow(IDCANCEL);
    return 0;
}

LRESULT CQuendaDlg::OnCloseRequest(WPARAM, LPARAM) {
    return OnClose(0, 0);
}

LRESULT CQuendaDlg::OnSysCommand(WPARAM wParam, LPARAM) {
    switch (wParam & 0xFFF0) {
    case IDM_ABOUTBOX:
        ShowAboutBox();
        break;
    case SC_CLOSE:
        ::SendMessage(Handle(), WM_CLOSE, 0, 0);
        break;
    case SC_MINIMIZE:
        showMinimized();
        break;
    case SC_RESTORE:
        showNormal();
        break;
    case SC_MOVE:
        m_mover->Start();
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CQuendaDlg::OnTrackMenuCommand(WPARAM wParam, LPARAM) {
    m_trackList->OnMenuCommand(LOWORD(wParam));
    return 0;
}

LRESULT CQuendaDlg::OnIgnore(WPARAM, LPARAM) {
    return 0;
}

LRESULT CQuendaDlg::OnQueryDragIcon(WPARAM, LPARAM) {
    // The window's own icon is what a minimised window is dragged by.
    return static_cast<LRESULT>(windowIcon().cacheKey());
}

LRESULT CQuendaDlg::OnLButtonDown(WPARAM, LPARAM) {
    // A click on the window's surface ends an edit of a title, keeping what was typed.
    EndEditCommitting();
    return 0;
}

LRESULT CQuendaDlg::OnNcHitTest(const QPoint& client) const {
    const bool inside = client.x() >= 0 && client.y() >= 0 && client.x() < width() && client.y() < height();
    const LRESULT hit = inside ? HTCLIENT : HTNOWHERE;
    if (hit == HTCLIENT && client.x() <= width() && client.y() <= kDragBandHeight - 1) {
        return HTCAPTION;
    }
    return hit;
}

bool CQuendaDlg::PreTranslateKey(UINT vk) {
    const bool editing = m_trackList->IsEditing();
    switch (vk) {
    case VK_RETURN:
        if (editing) {
            return false; // the edit box takes it
        }
        for (int id : {IDC_OPEN_DEST, IDC_TRANSFER, IDC_CLOSE, IDC_ALBUM_BUTTON}) {
            QWidget* button = Control(id);
            if (button && focusWidget() == button) {
                // Only a live button: a disabled one does nothing, as a click on it would.
                if (button->isEnabled()) {
                    ::SendMessage(Handle(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
                }
                break;
            }
        }
        return true;
    case VK_ESCAPE:
        return !editing; // never closes the window
    case VK_F1:
        return true; // no help
    default:
        return false;
    }
}

bool CQuendaDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        // A key a control ignores comes here again for its parent: the rules consume or leave a
        // key the same way each time, and act only when they consume it.
        if (const UINT vk = VirtualKeyOf(static_cast<QKeyEvent*>(event)); vk != 0 && PreTranslateKey(vk)) {
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonPress && isEnabled() &&
               (watched == m_cdCombo || watched == m_destinationCombo)) {
        // The list is about to drop down: the drives are listed again first.
        auto* combo = static_cast<QWidget*>(watched);
        if (combo->isEnabled()) {
            ::SendMessage(Handle(), WM_COMMAND,
                          MAKEWPARAM(static_cast<WORD>(combo->objectName().toInt()), CBN_DROPDOWN), 0);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CQuendaDlg::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (OnNcHitTest(at) == HTCAPTION) {
        if (event->button() == Qt::RightButton) {
            ShowSystemMenu(event->globalPosition().toPoint());
        } else if (event->button() == Qt::LeftButton) {
            // The window manager moves the window when it can; otherwise it follows the mouse.
            if (!windowHandle() || !windowHandle()->startSystemMove()) {
                m_dragging = true;
                m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
            }
        }
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        ::SendMessage(Handle(), event->button() == Qt::LeftButton ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, 0, 0);
    }
    QDialog::mousePressEvent(event);
}

void CQuendaDlg::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CQuendaDlg::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}

void CQuendaDlg::PaintWindow(QPainter& painter, bool iconic) const {
    if (!iconic) {
        return; // the background picture and the controls paint themselves
    }
    const QRect client = rect();
    painter.fillRect(client, palette().window());
    const int side = qMin(32, qMin(client.width(), client.height()));
    const QRect icon(client.center().x() - side / 2 + 1, client.center().y() - side / 2 + 1, side, side);
    windowIcon().paint(&painter, icon);
}

void CQuendaDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    PaintWindow(painter, isMinimized());
}

void CQuendaDlg::ShowSystemMenu(const QPoint& globalPos) {
    // A window's own menu: restore, move, minimise, close, then the about item.
    QMenu menu(this);
    auto add = [&menu](UINT textId, WPARAM command, bool enabled) {
        QAction* action = menu.addAction(LoadString(textId));
        action->setData(QVariant::fromValue<qulonglong>(command));
        action->setEnabled(enabled);
    };
    const bool minimised = isMinimized();
    add(IDS_SYSMENU_RESTORE, SC_RESTORE, minimised);
    add(IDS_SYSMENU_MOVE, SC_MOVE, !minimised);
    add(IDS_SYSMENU_MINIMIZE, SC_MINIMIZE, !minimised);
    add(IDS_BTN_CLOSE, SC_CLOSE, m_close->isEnabled());
    if (const QString about = LoadString(IDS_ABOUT_MENU_ITEM); !about.isEmpty()) {
        menu.addSeparator();
        menu.addAction(about)->setData(QVariant::fromValue<qulonglong>(IDM_ABOUTBOX));
    }
    IModalService* modal = CPlatform::Current().modal;
    auto run = [&menu, globalPos]() -> int {
        QAction* picked = menu.exec(globalPos);
        return picked ? static_cast<int>(picked->data().toULongLong()) : 0;
    };
    const int command =
        RunModal([&] { return modal ? modal->RunModal(QStringLiteral("SystemMenu"), run) : run(); });
    if (command != 0) {
        ::SendMessage(Handle(), WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
    }
}

void CQuendaDlg::ShowAboutBox() {
    CAboutDlg about;
    RunModal([&] { return about.DoModal(Handle()); });
}
