#pragma once
// The timed notice before an automatic transfer: it closes itself after five seconds (result 1)
// unless the user presses Cancel (result 2). The keyboard cannot dismiss it unless Cancel has the
// focus.

#include "ui/window/Dialog.h"
#include "ui/window/MessageMap.h"

class CAutoCloseDlg : public CDialog {
public:
    static constexpr UINT IDD = 133;
    static constexpr int IDC_TEXT = 1038;
    static constexpr UINT_PTR kTimerId = 5006;
    static constexpr UINT kTimeoutMs = 5000;
    static constexpr int kTimedOut = 1;
    static constexpr int kButtonPressed = 2;

    CAutoCloseDlg();
    ~CAutoCloseDlg() override;

    // Runs the notice modally; 1 when its time ran out, 2 when its button was pressed.
    int DoModal(HWND parent);
    UINT Timeout() const { return m_timeout; }

protected:
    CAutoCloseDlg(UINT templateId, UINT textId, const QString& name);

    bool OnInitDialog() override;
    bool PreTranslateKey(UINT vk) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnDestroy() override;

private:
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnButton(WPARAM, LPARAM);
    static const MessageMapEntry<CAutoCloseDlg> kMessageMap[];

    UINT m_textId;
    QString m_name;
    UINT m_timeout = kTimeoutMs;
    UINT_PTR m_timer = 0;
    HWND m_timerWindow = nullptr;
};
