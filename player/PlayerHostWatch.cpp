#include "player/PlayerHost.h"

#include "platform/messages/MessageLoop.h"
#include "platform/windows/WindowTable.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

const QString& CPlayerHost::PlayerWindowTitle() {
    static const QString title = QStringLiteral("Windows Media Player");
    return title;
}

const QString& CPlayerHost::NetworkDialogMark() {
    static const QString mark = QStringLiteral("ネット");
    return mark;
}

HWND CPlayerHost::FindPlayerWindow() {
    HWND found = nullptr;
    EnumWindows([&found](HWND hwnd) {
        QString title;
        GetWindowText(hwnd, &title);
        if (title == PlayerWindowTitle()) {
            found = hwnd;
            return FALSE;
        }
        return TRUE;
    });
    return found;
}

bool CPlayerHost::ClosePlayerWindow() {
    const HWND player = FindPlayerWindow();
    if (!player || !IsWindowVisible(player)) {
        return false;
    }
    // Posted, not sent: another program that does not answer must not hold up ours.
    PostMessage(player, WM_CLOSE, 0, 0);
    return true;
}

CPlayerHost::WatchResult
CPlayerHost::WatchPlayerWindows(const std::function<void(UINT textId, UINT captionId)>& showNotice) {
    WatchResult result;
    if (ClosePlayerWindow()) {
        result.closedPlayer = true;
        if (showNotice) {
            showNotice(IDS_WARN_PLAYER_CLOSED, IDS_CAPTION_WARNING);
        }
    }

    HWND dialog = nullptr;
    QString dialogTitle;
    QString ownerTitle;
    EnumWindows([&](HWND hwnd) {
        QString title;
        GetWindowText(hwnd, &title);
        const HWND owner = GetParent(hwnd);
        if (title.isEmpty() || !IsWindow(owner)) {
            return TRUE;
        }
        QString ownersTitle;
        GetWindowText(owner, &ownersTitle);
        if (!ownersTitle.contains(PlayerWindowTitle())) {
            return TRUE;
        }
        dialog = hwnd;
        dialogTitle = title;
        ownerTitle = ownersTitle;
        return FALSE;
    });
    if (!dialog) {
        return result;
    }
    QString ignored;
    if (LoadString(IDS_IGNORED_PLAYER_DIALOG, ignored) && (dialogTitle == ignored || ownerTitle == ignored)) {
        return result;
    }
    if (dialogTitle.contains(NetworkDialogMark())) {
        SetForegroundWindow(dialog);
        result.raisedDialog = dialog;
    }
    return result;
}
