#include "tests/player/MessageLog.h"

#include "player/PlayerMessages.h"

#include <algorithm>

namespace {
QString Text(std::uintptr_t value) {
    return BstrToQString(reinterpret_cast<BSTR>(value));
}
} // namespace

LRESULT CMessageLog::WindowProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message < WM_WMPEVENT_FIRST || message > WM_WMPEVENT_FIRST + 0xFF) {
        return 0;
    }
    LoggedMessage m{message, wParam, lParam, {}, {}, {}};
    switch (message) {
    case WM_WMP_SCRIPTCOMMAND:
    case WM_WMP_MEDIACOLLECTIONATTRIBUTESTRINGADDED:
    case WM_WMP_MEDIACOLLECTIONATTRIBUTESTRINGREMOVED:
        m.wText = Text(wParam);
        m.lText = Text(static_cast<std::uintptr_t>(lParam));
        break;
    case WM_WMP_MEDIACOLLECTIONATTRIBUTESTRINGCHANGED: {
        m.wText = Text(wParam);
        const auto* change = reinterpret_cast<const WMPStringChange*>(lParam);
        m.lText = BstrToQString(change->oldValue) + QLatin1Char('|') + BstrToQString(change->newValue);
        break;
    }
    case WM_WMP_CURRENTPLAYLISTITEMAVAILABLE:
    case WM_WMP_CURRENTMEDIAITEMAVAILABLE:
    case WM_WMP_DOMAINCHANGE:
    case WM_WMP_PLAYLISTCOLLECTIONPLAYLISTADDED:
    case WM_WMP_PLAYLISTCOLLECTIONPLAYLISTREMOVED:
    case WM_WMP_MODECHANGE:
        m.wText = Text(wParam);
        break;
    case WM_WMP_CREATEPARTNERSHIPCOMPLETE:
    case WM_WMP_DEVICECONNECT:
    case WM_WMP_DEVICEDISCONNECT:
    case WM_WMP_DEVICESTATUSCHANGE:
    case WM_WMP_DEVICESYNCERROR:
    case WM_WMP_DEVICESYNCSTATECHANGE:
        m.device = reinterpret_cast<IWMPSyncDevice*>(wParam);
        break;
    default:
        break;
    }
    messages.push_back(m);
    if (onMessage) {
        onMessage(messages.back());
    }
    return 0;
}

int CMessageLog::Count(UINT message) const {
    return int(std::count_if(messages.begin(), messages.end(),
                             [message](const LoggedMessage& m) { return m.message == message; }));
}
