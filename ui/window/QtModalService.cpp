#include "ui/window/QtModalService.h"

#include "ui/window/WidgetWindow.h"

#include <QMessageBox>
#include <QPushButton>

int CQtModalService::MessageBox(HWND owner, const QString& text, const QString& caption, UINT type) {
    QMessageBox box(CWidgetWindow::WidgetOf(owner));
    box.setWindowTitle(caption);
    box.setText(text);
    if (type & MB_TOPMOST) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    switch (type & 0xF0) {
    case MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    // The buttons speak Japanese like the rest of the program.
    std::vector<std::pair<QPushButton*, int>> buttons;
    auto add = [&](const QString& label, QMessageBox::ButtonRole role, int result) {
        buttons.emplace_back(box.addButton(label, role), result);
    };
    switch (type & 0xF) {
    case MB_OKCANCEL:
        add(QStringLiteral("OK"), QMessageBox::AcceptRole, IDOK);
        add(QStringLiteral("キャンセル"), QMessageBox::RejectRole, IDCANCEL);
        break;
    case MB_YESNO:
        add(QStringLiteral("はい(&Y)"), QMessageBox::YesRole, IDYES);
        add(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole, IDNO);
        break;
    default:
        add(QStringLiteral("OK"), QMessageBox::AcceptRole, IDOK);
        break;
    }
    box.exec();
    for (const auto& [button, result] : buttons) {
        if (box.clickedButton() == button) {
            return result;
        }
    }
    // Closed by the title bar or Escape.
    return (type & 0xF) == MB_YESNO ? IDNO : ((type & 0xF) == MB_OK ? IDOK : IDCANCEL);
}

int CQtModalService::RunModal(const QString&, const std::function<int()>& run) {
    return run ? run() : IDCANCEL;
}
