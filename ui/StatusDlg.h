#pragma once
// The progress window of a rip or a copy: a message, a progress bar and Cancel. It is modeless;
// the work that owns it polls Cancelled() and closes it when the work ends.

#include "ui/window/Dialog.h"
#include "ui/window/MessageMap.h"

class CStatusDlg : public CDialog {
public:
    static constexpr UINT IDD = 130;
    static constexpr int IDC_MESSAGE = 1021;
    static constexpr int IDC_PROGRESS = 1022;
    static constexpr int kStep = 10;

    CStatusDlg();
    ~CStatusDlg() override;

    bool Create(HWND owner);
    // Remembered, and shown as the title when the window exists; empty means the program's name.
    void SetCaption(const QString& caption);
    // Remembered, and shown at once when the window exists.
    void SetMessage(const QString& text);
    // A range of (0, 0) hides the bar; any other range shows it.
    void SetRange(int low, int high);
    void SetPos(int value);
    bool Cancelled() const { return m_cancelled != 0; }
    // For work that cannot be stopped.
    void DisableCancel();
    // Shows the window (it may have been hidden).
    void Show();
    // Lets the window take input (or not).
    void EnableWindow(bool enable);
    // Lets the messages waiting for the window run, so it paints while its owner is busy.
    void PumpPending();
    // Clears the cancelled flag, enables the owner, closes the window; false when there was none.
    bool Destroy();

    QString Caption() const { return m_caption; }
    QString Message() const { return m_message; }

protected:
    bool OnInitDialog() override;
    bool PreTranslateKey(UINT vk) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    LRESULT OnCancel(WPARAM, LPARAM);
    static const MessageMapEntry<CStatusDlg> kMessageMap[];

    QString m_caption;
    QString m_message;
    int m_cancelled = 0;
};
