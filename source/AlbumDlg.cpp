#include "source/AlbumDlg.h"

#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "source/CDROMAcc.h"
#include "ui/LengthLimit.h"
#include "ui/window/VirtualKeys.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

const MessageMapEntry<CAlbumDlg> CAlbumDlg::kMessageMap[] = {
    {WM_COMMAND, IDOK, &CAlbumDlg::OnOK},
    {WM_COMMAND, IDCANCEL, &CAlbumDlg::OnCancel},
};

CAlbumDlg::CAlbumDlg(CCDROMAcc* cd) : CDialog(IDD), m_cd(cd) {}

int CAlbumDlg::DoModal(HWND owner) {
    return CDialog::DoModal(owner, QStringLiteral("CAlbumDlg"));
}

QLineEdit* CAlbumDlg::NameField() const {
    return qobject_cast<QLineEdit*>(GetDlgItem(IDC_NAME));
}

QPushButton* CAlbumDlg::OkButton() const {
    return qobject_cast<QPushButton*>(GetDlgItem(IDOK));
}

QPushButton* CAlbumDlg::CancelButton() const {
    return qobject_cast<QPushButton*>(GetDlgItem(IDCANCEL));
}

bool CAlbumDlg::OnInitDialog() {
    Window()->setWindowTitle(LoadString(IDS_ALBUM_DLG_CAPTION));
    if (auto* label = qobject_cast<QLabel*>(GetDlgItem(IDC_LABEL))) {
        label->setText(LoadString(IDS_ALBUM_DLG_LABEL));
    }
    QLineEdit* name = NameField();
    if (!name) {
        return false;
    }
    QString title = m_cd ? m_cd->GetAlbumTitle() : QString();
    title.replace(CCDROMAcc::kNoAlbumName, QStringLiteral("情報なし"));
    name->setValidator(new CLengthLimit(name, kNameLimit, title.size()));
    name->setText(title);
    QObject::connect(name, &QLineEdit::textChanged, Window(), [this] { UpdateDefaultButton(); });
    UpdateDefaultButton();
    CenterWindow();
    name->setFocus();
    name->selectAll();
    return true;
}

void CAlbumDlg::UpdateDefaultButton() {
    QLineEdit* name = NameField();
    QPushButton* ok = OkButton();
    QPushButton* cancel = CancelButton();
    if (!name || !ok || !cancel) {
        return;
    }
    const bool empty = name->text().isEmpty();
    if (empty && ok->isEnabled()) {
        ok->setDefault(false);
        ok->setEnabled(false);
        cancel->setDefault(true);
    } else if (!empty && !ok->isEnabled()) {
        ok->setDefault(true);
        ok->setEnabled(true);
        cancel->setDefault(false);
    }
}

bool CAlbumDlg::PreTranslateKey(UINT vk) {
    if (vk == VK_RETURN) {
        QWidget* focus = Window() ? Window()->focusWidget() : nullptr;
        if (focus && focus == OkButton() && focus->isEnabled()) {
            Send(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return true;
        }
        if (focus && focus == CancelButton()) {
            Send(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return true;
        }
        return false; // the default button answers
    }
    return vk == VK_F1; // no help here
}

bool CAlbumDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return RouteMessage(this, kMessageMap, message, wParam, lParam, result);
}

LRESULT CAlbumDlg::OnOK(WPARAM, LPARAM) {
    const QLineEdit* name = NameField();
    if (!name || name->text().isEmpty()) {
        return 0; // an empty name is never confirmed
    }
    if (m_cd) {
        m_cd->SetAlbumTitle(name->text());
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT CAlbumDlg::OnCancel(WPARAM, LPARAM) {
    EndDialog(IDCANCEL);
    return 0;
}
