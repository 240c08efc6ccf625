#pragma once
// The "starting, please wait" window shown while the main window sets itself up: topmost, without
// a title, and its owner stays disabled while it exists.

#include "ui/window/Dialog.h"

class CWaitDlg : public CDialog {
public:
    static constexpr UINT IDD = 132;
    static constexpr int IDC_TEXT = 1030;

    CWaitDlg();
    ~CWaitDlg() override;

    // Disables the owner (if any) and opens the window.
    bool Create(HWND owner);
    // Shows the text at once; remembered when the window does not exist.
    void SetText(const QString& text);
    QString Text() const { return m_text; }
    // Enables the owner again (if any) and closes the window; false when there was none.
    bool Destroy();

protected:
    bool OnInitDialog() override;
    bool PreTranslateKey(UINT vk) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    QString m_text;
    HWND m_disabledOwner = nullptr;
};
