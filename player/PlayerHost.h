#pragma once
// The hidden player control inside the main window, and the references the main window holds on
// it: the host window (an "AtlAxWin80" child of the main window), the program's site object, the
// player, its transport, and the event connection with its cookie. The main window calls
// CreatePlayer and ConnectPlayerEvents from its initialisation, the play-state rule from its
// play-state message, WatchPlayerWindows from its timer 5004, and ShutdownPlayer from its
// destruction. The player context (the CD and destination sides' references) is taken from
// HostWindow() once the player exists.
//
// The stand-alone player application must stay closed while the program runs: a visible window
// of it is asked to close (the request is posted, so a program that does not answer never blocks
// ours), and a network dialog it pops up is brought to the front.
//
// UI thread only.

#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoints.h"
#include "platform/container/AxWindow.h"
#include "platform/wmp/Wmp.h"
#include "player/RemoteHost.h"
#include "player/WMPEventDispatch.h"

#include <QString>
#include <functional>
#include <memory>

template <class T> class CComObject;

class CPlayerHost {
public:
    // The stand-alone player's main window title, compared whole and case-sensitively.
    static const QString& PlayerWindowTitle();
    // A dialog of the player whose title holds this is raised by the watch.
    static const QString& NetworkDialogMark();
    // The main window's timer that runs WatchPlayerWindows, and its period.
    static constexpr UINT_PTR kWatchTimerId = 5004;
    static constexpr UINT kWatchIntervalMs = 3000;

    CPlayerHost();
    // Runs ShutdownPlayer when the owner has not.
    ~CPlayerHost();
    CPlayerHost(const CPlayerHost&) = delete;
    CPlayerHost& operator=(const CPlayerHost&) = delete;

    // Creates the host window over the main window's client area (hidden), the site, and the player
    // control in remote mode, and takes the player and controls references. False when any step
    // fails (LastResult() tells the code); nothing is undone then, ShutdownPlayer frees what exists.
    // A visible stand-alone player window is asked to close in every case.
    bool CreatePlayer(HWND mainWindow);
    // Creates the event sink with target as its window and advises it to the player's IWMPEvents2
    // point, or to its _WMPOCXEvents point when the first is not offered. False when there is no
    // player or no point takes the sink; the sink is then let go.
    bool ConnectPlayerEvents(HWND target);
    // The play-state message's rule: the hidden player stops whenever it starts playing (3) or
    // becomes ready (10); any other state is left alone. True when stop was called.
    bool OnPlayStateChange(long newState);
    // Tears down in a fixed order: the sink's window is cleared and the sink unadvised; then
    // releaseUsers runs (the CD and destination sides and the player context let go of their
    // references); then the player is closed, the controls, player and site are released, and the
    // host window with the control is deleted. Harmless to call again.
    void ShutdownPlayer(const std::function<void()>& releaseUsers = {});

    // The first top-level window (in the system's order) titled exactly as the stand-alone player;
    // null when none. A hidden one counts: the player is running.
    static HWND FindPlayerWindow();

    struct WatchResult {
        bool closedPlayer = false;   // a visible player window was asked to close
        HWND raisedDialog = nullptr; // a player network dialog brought to the front
    };
    // One round of the watch: a visible player window is asked to close and showNotice(705, 500)
    // tells the user; then the first titled top-level window owned by a window whose title holds
    // the player's name is raised when its title holds "ネット" (unless it or its owner is titled
    // as string 102).
    static WatchResult WatchPlayerWindows(const std::function<void(UINT textId, UINT captionId)>& showNotice);

    // The references, for the main window and the player context; null until created.
    CAxWindow* HostWindow() const { return m_hostWindow.get(); }
    IWMPPlayer* Player() const { return m_player.Get(); }
    IWMPControls* Controls() const { return m_controls.Get(); }
    CComObject<CRemoteHost>* RemoteHost() const { return m_remoteHost.Get(); }
    IConnectionPoint* EventConnectionPoint() const { return m_eventPoint.Get(); }
    DWORD AdviseCookie() const { return m_adviseCookie; }
    // The code of the step that failed last in CreatePlayer or ConnectPlayerEvents; S_OK otherwise.
    HRESULT LastResult() const { return m_lastResult; }

private:
    HRESULT CreateHostAndControl(HWND mainWindow);
    HRESULT TakePlayerReferences();
    // Asks a visible stand-alone player window to close; true when there was one.
    static bool ClosePlayerWindow();

    std::unique_ptr<CAxWindow> m_hostWindow;
    ComPtr<CComObject<CRemoteHost>> m_remoteHost;
    ComPtr<IWMPPlayer> m_player;
    ComPtr<IWMPControls> m_controls;
    ComPtr<IConnectionPoint> m_eventPoint;
    DWORD m_adviseCookie = 0;
    // Kept only to clear its window before it is unadvised; the connection point owns it.
    ComPtr<CComObject<CWMPEventDispatch>> m_sink;
    HRESULT m_lastResult = S_OK;
};
