#pragma once
// A window procedure that writes down every message it gets, with the string and object arguments
// of the player's event messages read while they are lent (the handler's only chance).

#include "platform/com/Com.h"
#include "platform/windows/WindowProc.h"
#include "platform/wmp/Wmp.h"

#include <QString>
#include <functional>
#include <vector>

struct LoggedMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    QString wText;                 // wParam read as a BSTR, where the message carries one
    QString lText;                 // lParam read as a BSTR (or the pair's "old|new")
    ComPtr<IWMPSyncDevice> device; // wParam as a device, for the device messages
};

class CMessageLog : public IWindowProc {
public:
    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Player event messages only (0x800..0x8FF); timers and the rest are left out.
    std::vector<LoggedMessage> messages;
    // Runs after the message was written down.
    std::function<void(const LoggedMessage&)> onMessage;

    int Count(UINT message) const;
};
