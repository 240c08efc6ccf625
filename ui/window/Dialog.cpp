#include "ui/window/Dialog.h"

#include "platform/Platform.h"
#include "platform/messages/MessageLoop.h"
#include "platform/messages/ModalService.h"
#include "ui/window/VirtualKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

// The Qt side of a CDialog: it turns clicks, key presses and the close box into the messages the
// dialog class handles, and counts the events it is inside so the window is never deleted under
// its own feet.
class CDialogWidget : public QDialog {
public:
    CDialogWidget(CDialog* owner, QWidget* parent) : QDialog(parent), m_dialog(owner) {}

    int depth = 0;
    bool destroying = false;

    void Detach() { m_dialog = nullptr; }

    void WatchChildren() {
        installEventFilter(this);
        for (QWidget* child : findChildren<QWidget*>()) {
            child->installEventFilter(this);
            if (auto* button = qobject_cast<QAbstractButton*>(child)) {
                const int id = child->objectName().toInt();
                connect(button, &QAbstractButton::clicked, this, [this, id] {
                    if (m_dialog) {
                        m_dialog->Send(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
                    }
                });
            }
        }
    }

protected:
    bool event(QEvent* e) override {
        ++depth;
        const bool r = QDialog::event(e);
        --depth;
        return r;
    }

    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::KeyPress && m_dialog) {
            const UINT vk = VirtualKeyOf(static_cast<QKeyEvent*>(e));
            if (vk != 0 && m_dialog->PreTranslateKey(vk)) {
                return true;
            }
        }
        return QDialog::eventFilter(watched, e);
    }

    void keyPressEvent(QKeyEvent* e) override {
        const UINT vk = VirtualKeyOf(e);
        if (m_dialog && (vk == VK_ESCAPE || vk == VK_RETURN)) {
            // The dialog manager's own handling: Escape is the Cancel command, Enter the default one.
            m_dialog->HandleKeyFallback(vk);
            return;
        }
        QDialog::keyPressEvent(e);
    }

    void closeEvent(QCloseEvent* e) override {
        if (destroying || !m_dialog) {
            QDialog::closeEvent(e);
            return;
        }
        // The close box asks the dialog; only the dialog's own code closes it.
        e->ignore();
        m_dialog->Send(WM_CLOSE, 0, 0);
    }

    void reject() override {
        // QDialog reaches reject() for Escape and the close box; both were routed above.
        if (destroying || !m_dialog) {
            QDialog::reject();
        }
    }

private:
    CDialog* m_dialog;
};

CDialog::CDialog(UINT templateId) : m_templateId(templateId) {}

CDialog::~CDialog() {
    DestroyWindow();
}

QDialog* CDialog::Window() const {
    return m_widget.data();
}

QWidget* CDialog::GetDlgItem(int id) const {
    return ::GetDlgItem(m_widget.data(), id);
}

bool CDialog::MakeWindow(HWND owner, bool modal) {
    if (m_widget) {
        return false;
    }
    if (!m_template.Load(m_templateId)) {
        return false;
    }
    m_owner = owner;
    m_ended = false;
    m_result = 0;
    // The window has no Qt parent: an owner that is disabled while the dialog shows (the wait
    // window's) must not disable the dialog with it. The owner is kept for centring.
    auto* widget = new CDialogWidget(this, nullptr);
    Qt::WindowFlags flags = Qt::Dialog;
    if (m_template.HasTitleBar()) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    } else {
        flags |= Qt::FramelessWindowHint;
        // A window without a caption still shows its edge, as a dialog frame does.
        widget->setObjectName(QStringLiteral("dialog%1").arg(m_templateId));
        widget->setStyleSheet(QStringLiteral("#dialog%1 { border: 1px solid #808080; }").arg(m_templateId));
    }
    if (m_template.Topmost()) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    widget->setWindowFlags(flags);
    widget->setModal(modal);
    widget->setWindowTitle(m_template.Caption());
    m_template.Build(widget);
    widget->WatchChildren();
    m_widget = widget;
    m_window.Bind(widget, this, owner, false);
    if (!OnInitDialog()) {
        DestroyWindow();
        return false;
    }
    return true;
}

bool CDialog::Create(HWND owner) {
    if (!MakeWindow(owner, false)) {
        return false;
    }
    if (m_widget && !m_ended) {
        m_widget->show();
        m_window.SyncFromWidget();
    }
    return m_widget != nullptr;
}

int CDialog::DoModal(HWND owner, const QString& name) {
    auto run = [this, owner]() -> int {
        if (!MakeWindow(owner, true)) {
            return -1;
        }
        if (!m_ended && m_widget) {
            m_inModalLoop = true;
            QPointer<CDialogWidget> widget = m_widget;
            // exec() shows the window and pumps events (and with them the message layer's timers)
            // until EndDialog; it returns at once if the window went away meanwhile.
            widget->exec();
            m_inModalLoop = false;
        }
        const int result = m_result;
        DestroyWindow();
        return result;
    };
    IModalService* modal = CPlatform::Current().modal;
    return modal ? modal->RunModal(name, run) : run();
}

void CDialog::EndDialog(int result) {
    if (m_ended) {
        return;
    }
    m_ended = true;
    m_result = result;
    if (m_widget) {
        m_widget->done(result);
        m_window.SyncFromWidget();
    }
}

bool CDialog::DestroyWindow() {
    if (!m_widget) {
        return false;
    }
    OnDestroy();
    CDialogWidget* widget = m_widget.data();
    m_widget.clear();
    m_window.Unbind();
    widget->Detach();
    widget->destroying = true;
    widget->hide();
    if (widget->depth > 0 || m_inModalLoop) {
        widget->deleteLater(); // we are inside one of its own events
    } else {
        delete widget;
    }
    return true;
}

LRESULT CDialog::WindowProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnMessage(message, wParam, lParam, &result)) {
        return result;
    }
    if (message == WM_CLOSE) {
        // As the dialog manager does: closing a dialog is its Cancel command.
        return Send(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    return 0;
}

bool CDialog::PreTranslateKey(UINT) {
    return false;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) {
    return false;
}

void CDialog::HandleKeyFallback(UINT vk) {
    if (vk == VK_ESCAPE) {
        Send(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
    }
    if (auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
        button && m_widget && button->window() == m_widget && button->isEnabled()) {
        button->click();
        return;
    }
    for (QPushButton* button : m_widget ? m_widget->findChildren<QPushButton*>() : QList<QPushButton*>{}) {
        if (button->isDefault() && button->isEnabled()) {
            button->click();
            return;
        }
    }
    Send(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

LRESULT CDialog::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    if (HWND hwnd = GetSafeHwnd()) {
        return ::SendMessage(hwnd, message, wParam, lParam);
    }
    return WindowProc(nullptr, message, wParam, lParam);
}

void CDialog::CenterWindow() {
    if (!m_widget) {
        return;
    }
    QRect area;
    QWidget* owner = m_owner ? CWidgetWindow::WidgetOf(m_owner) : nullptr;
    if (owner && owner->isVisible()) {
        area = QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size());
    } else if (QScreen* screen = m_widget->screen() ? m_widget->screen() : QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isValid()) {
        QRect frame = m_widget->frameGeometry();
        frame.moveCenter(area.center());
        m_widget->move(frame.topLeft());
    }
}

void CDialog::SetTopmost(bool topmost) {
    if (!m_widget) {
        return;
    }
    // Changing window flags hides a shown window; keep its visibility as it was.
    const bool visible = m_widget->isVisible();
    m_widget->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (visible) {
        m_widget->show();
    }
}

void CDialog::BringToForeground() {
    if (HWND hwnd = GetSafeHwnd()) {
        ::SetForegroundWindow(hwnd);
    } else if (m_widget) {
        m_widget->raise();
        m_widget->activateWindow();
    }
}

bool CDialog::ButtonOnlyKeys(UINT vk, int buttonId) {
    switch (vk) {
    case VK_RETURN:
        // The window's own focus child counts, whether or not the window is active right now.
        if (QWidget* button = GetDlgItem(buttonId);
            button && m_widget && m_widget->focusWidget() == button && button->isEnabled()) {
            Send(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(buttonId), BN_CLICKED), 0);
        }
        return true;
    case VK_ESCAPE:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_F1:
        return true;
    default:
        return false;
    }
}

bool CDialog::DispatchOnePending() {
    IMessageLoop* loop = CPlatform::Current().loop;
    HWND hwnd = GetSafeHwnd();
    return loop && hwnd && loop->DispatchOnePending(hwnd);
}
