#pragma once
// Everything that runs modally (message boxes, the countdown, the album dialog) goes through this
// service, so that tests can see what would be shown and answer it without a screen.

#include "platform/win/WinTypes.h"

#include <QString>
#include <functional>

// With the message box's type: the box stays above other windows.
inline constexpr UINT MB_TOPMOST = 0x40000;

class IModalService {
public:
    virtual ~IModalService() = default;
    // Returns IDOK, IDCANCEL, IDYES or IDNO as MessageBox does.
    virtual int MessageBox(HWND owner, const QString& text, const QString& caption, UINT type) = 0;
    // Runs a modal window. `run` shows it and pumps messages until it ends, returning its result;
    // a scripted service may return an answer instead of calling `run`. `name` identifies the
    // dialog to a script (for example "CAutoCloseDlg").
    virtual int RunModal(const QString& name, const std::function<int()>& run) = 0;
};

int MessageBox(HWND owner, const QString& text, const QString& caption, UINT type);
