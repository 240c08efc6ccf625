#include "source/PlayerContext.h"

#include "platform/com/ComBSTR.h"
#include "platform/container/AxWindow.h"

CPlayerContext& CPlayerContext::Instance() {
    static CPlayerContext context;
    return context;
}

bool CPlayerContext::AttachPlayer(HWND host) {
    ReleasePlayer();
    if (!host) {
        return false;
    }
    ComPtr<IUnknown> control;
    if (FAILED(AtlAxGetControl(host, &control)) || !control) {
        return false;
    }
    ComPtr<IWMPPlayer4> player;
    if (FAILED(control.As(&player)) || !player) {
        return false;
    }
    ComPtr<IWMPMediaCollection> library;
    if (FAILED(player->get_mediaCollection(&library)) || !library) {
        return false;
    }
    CComBSTR version;
    if (FAILED(player->get_versionInfo(&version)) || version.IsEmpty()) {
        return false;
    }
    // The player is the host window's; a context that could not be set up holds nothing and
    // closes nothing.
    m_host = host;
    m_player = std::move(player);
    m_library = std::move(library);
    m_majorVersion = MajorVersionOf(version.ToQString());
    return true;
}

void CPlayerContext::ReleasePlayer() {
    m_library = nullptr;
    m_host = nullptr;
    m_majorVersion = -1;
    if (m_player) {
        m_player->close();
        m_player = nullptr;
    }
}

int CPlayerContext::MajorVersionOf(const QString& version) {
    int value = 0;
    for (const QChar c : version) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            break;
        }
        value = value * 10 + (c.unicode() - u'0');
        if (value > 99999) {
            break; // no player has such a version; keep the number small
        }
    }
    return value;
}
