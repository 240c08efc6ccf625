#pragma once
// The player as both drive objects see it: the hosted player, its library and its major version.
// One record for the whole process, set up once the player control exists and let go before the
// control goes. UI thread only.

#include "platform/com/ComPtr.h"
#include "platform/win/WinTypes.h"
#include "platform/wmp/Wmp.h"

#include <QString>

class CPlayerContext {
public:
    static CPlayerContext& Instance();

    // Takes the player from the control host window `host` (the control's own answer to
    // "WM_ATLGETCONTROL"), its library and its version. False for a null host or when the player,
    // its library or its version text cannot be had; the context then holds nothing.
    bool AttachPlayer(HWND host);
    // Lets the library go, forgets the host, closes the player and lets it go.
    void ReleasePlayer();

    HWND Host() const { return m_host; }
    IWMPPlayer4* Player() const { return m_player.Get(); }
    IWMPMediaCollection* Library() const { return m_library.Get(); }
    // The number before the first "." of the version text; -1 when unknown. Several steps differ
    // from 11 on.
    int MajorVersion() const { return m_majorVersion; }

    // The leading number of a version text ("11.0.5721.5145" is 11); 0 when it has none.
    static int MajorVersionOf(const QString& version);

private:
    CPlayerContext() = default;

    HWND m_host = nullptr;
    ComPtr<IWMPPlayer4> m_player;
    ComPtr<IWMPMediaCollection> m_library;
    int m_majorVersion = -1;
};

// The process-wide player context.
inline CPlayerContext& PlayerContext() {
    return CPlayerContext::Instance();
}
