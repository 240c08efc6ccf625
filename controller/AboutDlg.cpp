#include "controller/AboutDlg.h"

#include "platform/system/LinkedLibraries.h"
#include "resources/ProgramVersion.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/Bitmaps.h"
#include "ui/window/DialogUnits.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

CAboutDlg::CAboutDlg() : CDialog(IDD) {}

CAboutDlg::~CAboutDlg() {
    DestroyWindow();
}

int CAboutDlg::DoModal(HWND parent) {
    return CDialog::DoModal(parent, QStringLiteral("CAboutDlg"));
}

QString CAboutDlg::LibraryLines() {
    QStringList lines;
    for (const CLinkedLibraries::Library& library : CLinkedLibraries::Instance().All()) {
        const QString version = library.version.isEmpty() ? QStringLiteral("?") : library.version;
        lines << QStringLiteral("%1 %2（%3）").arg(library.name, version, library.licence);
    }
    return lines.join(QLatin1Char('\n'));
}

QString CAboutDlg::LicenceTextsPlace() {
    // Installed, the notices sit in share/doc/ollivane beside the hive's share/ollivane.
    const QString docs =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/doc/ollivane"));
    if (QFileInfo(docs + QStringLiteral("/THIRD-PARTY-NOTICES")).isFile()) {
        return QDir::toNativeSeparators(docs);
    }
    return QStringLiteral("https://www.gnu.org/licenses/gpl-3.0.html");
}

bool CAboutDlg::OnInitDialog() {
    auto* icon = new QLabel(Window());
    icon->setGeometry(DluRect(10, 10, 22, 22));
    icon->setPixmap(LoadAppIcon().pixmap(32, 32));
    Window()->setWindowIcon(LoadAppIcon());

    auto setText = [this](int id, const QString& text) {
        if (auto* label = qobject_cast<QLabel*>(GetDlgItem(id))) {
            label->setText(text);
        }
    };
    setText(IDC_VERSION, LoadString(IDS_ABOUT_VERSION).arg(LoadString(IDS_APP_TITLE), ProgramVersion()));
    setText(IDC_COPYRIGHT, LoadString(IDS_ABOUT_COPYRIGHT));
    setText(IDC_LICENCE, LoadString(IDS_ABOUT_LICENCE));
    setText(IDC_LIBRARIES_HEADING, LoadString(IDS_ABOUT_LIBRARIES));
    setText(IDC_LIBRARIES, LibraryLines());
    setText(IDC_TEXTS_AT, LoadString(IDS_ABOUT_TEXTS_AT).arg(LicenceTextsPlace()));
    // The figures can be copied into a bug report.
    for (int id : {IDC_VERSION, IDC_LIBRARIES, IDC_TEXTS_AT}) {
        if (auto* label = qobject_cast<QLabel*>(GetDlgItem(id))) {
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        }
    }
    CenterWindow();
    return true;
}

bool CAboutDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(LOWORD(wParam));
        *result = 0;
        return true;
    }
    return false;
}
