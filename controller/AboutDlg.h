#pragma once
// The about box (dialog 100), opened from the main window's system menu: the program's icon, name
// and version, its licence, the libraries it runs with at their run-time versions and where the
// licence texts are, and OK. Enter and Escape both close it.

#include "ui/window/Dialog.h"

class CAboutDlg : public CDialog {
public:
    static constexpr UINT IDD = 100;
    static constexpr int IDC_VERSION = 1100;
    static constexpr int IDC_COPYRIGHT = 1101;
    static constexpr int IDC_LICENCE = 1102;
    static constexpr int IDC_LIBRARIES_HEADING = 1103;
    static constexpr int IDC_LIBRARIES = 1104;
    static constexpr int IDC_TEXTS_AT = 1105;

    CAboutDlg();
    ~CAboutDlg() override;

    int DoModal(HWND parent);

    // One line per linked library: name, version and licence.
    static QString LibraryLines();
    // The folder with the licence and the libraries' notices beside the installed program, or the
    // licence's address when the program runs from somewhere else.
    static QString LicenceTextsPlace();

protected:
    bool OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
