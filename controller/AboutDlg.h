#pragma once
// The about box (dialog 100), opened from the main window's system menu: the program's icon, name
// and version, and OK. Enter and Escape both close it.

#include "ui/window/Dialog.h"

class CAboutDlg : public CDialog {
public:
    static constexpr UINT IDD = 100;
    static constexpr int IDC_VERSION = 1100;

    CAboutDlg();
    ~CAboutDlg() override;

    int DoModal(HWND parent);

protected:
    bool OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
