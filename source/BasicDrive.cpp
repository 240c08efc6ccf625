#include "source/BasicDrive.h"

#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/MyComboBox.h"
#include "ui/StatusDlg.h"
#include "ui/window/WidgetWindow.h"

CBasicDrive::CBasicDrive(QString name) : m_name(std::move(name)) {}

CBasicDrive::~CBasicDrive() {
    CloseProgress();
}

CMyComboBox* CBasicDrive::ComboBox() const {
    return m_comboBox.data();
}

void CBasicDrive::SetComboBox(CMyComboBox* comboBox) {
    m_comboBox = comboBox;
}

int CBasicDrive::GetSelection() const {
    return m_comboBox ? m_comboBox->currentIndex() : -1;
}

QString CBasicDrive::GetSelectionText() const {
    return m_comboBox ? m_comboBox->WindowText() : QString();
}

QString CBasicDrive::GetDriveRoot() const {
    return DriveRootOf(GetSelectionText());
}

QString CBasicDrive::DriveRootOf(const QString& label) {
    const qsizetype n = label.size();
    if (n < 4 || !label.endsWith(QLatin1String(":)")) || label.at(n - 4) != QLatin1Char('(')) {
        return QString();
    }
    const QChar letter = label.at(n - 3);
    if (letter < QLatin1Char('A') || letter > QLatin1Char('Z')) {
        return QString();
    }
    return QString(letter) + QLatin1Char(':');
}

bool CBasicDrive::OpenProgress(bool disableButton) {
    if (!m_progress) {
        // The main window owns it: the window the drive's combo box sits in.
        QWidget* main = m_comboBox ? m_comboBox->window() : nullptr;
        auto progress = std::make_unique<CStatusDlg>();
        if (!progress->Create(CWidgetWindow::HandleOf(main))) {
            return false;
        }
        m_progress = std::move(progress);
    }
    m_progress->SetCaption(LoadString(IDS_APP_TITLE));
    m_progress->Show();
    if (disableButton) {
        m_progress->DisableCancel();
    }
    m_progressShown = true;
    return true;
}

void CBasicDrive::SetProgressPos(int position) {
    if (m_progress) {
        m_progress->SetPos(position);
    }
}

void CBasicDrive::CloseProgress() {
    m_progressShown = false;
    if (!m_progress) {
        return;
    }
    // The window's own destruction repaints its owner at once; what it covered is drawn again.
    m_progress->Destroy();
    m_progress.reset();
}
