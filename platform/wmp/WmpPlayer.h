#pragma once
// The player object itself. As in the player's own hierarchy, IWMPPlayer and IWMPPlayer4 both
// extend IWMPCore (IWMPPlayer4 through IWMPCore3; the intermediate IWMPCore2 adds nothing the
// program calls and is folded away). The hosting code holds IWMPPlayer, the CD and destination
// sides hold IWMPPlayer4.

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"
#include "platform/wmp/WmpCdrom.h"
#include "platform/wmp/WmpIds.h"
#include "platform/wmp/WmpLibrary.h"

// Transport: the program only stops the hidden player when it starts playing a disc on its own.
class IWMPControls : public IDispatch {
public:
    virtual HRESULT stop() = 0;
};

// What every player interface offers: close, version text ("10.0..." or "11.0..."; the number
// before the first "." is the major version), and the ways into transport, library and drives.
class IWMPCore : public IDispatch {
public:
    virtual HRESULT close() = 0;
    virtual HRESULT get_controls(IWMPControls** controls) = 0;
    virtual HRESULT get_mediaCollection(IWMPMediaCollection** library) = 0;
    virtual HRESULT get_playlistCollection(IWMPPlaylistCollection** playlists) = 0;
    virtual HRESULT get_versionInfo(BSTR* version) = 0;
    virtual HRESULT get_cdromCollection(IWMPCdromCollection** drives) = 0;
};

// Adds a second handle on a file, used to rewrite a ripped file's tags.
class IWMPCore3 : public IWMPCore {
public:
    virtual HRESULT newMedia(BSTR url, IWMPMedia** item) = 0;
};

// The control's main automation interface, as the hosting code queries it from the control.
class IWMPPlayer : public IWMPCore {};

// The interface of the process-wide player context.
class IWMPPlayer4 : public IWMPCore3 {};

// Player 10's way to start a rip: the task-pane text "CopyFromCD?AutoCopy:<drive index>".
class IWMPPlayerServices : public IUnknown {
public:
    virtual HRESULT setTaskPane(BSTR task) = 0;
};

OLLIVANE_DEFINE_IID(IWMPControls, OLLIVANE_IID_IWMPControls);
OLLIVANE_DEFINE_IID(IWMPCore, OLLIVANE_IID_IWMPCore);
OLLIVANE_DEFINE_IID(IWMPCore3, OLLIVANE_IID_IWMPCore3);
OLLIVANE_DEFINE_IID(IWMPPlayer, OLLIVANE_IID_IWMPPlayer);
OLLIVANE_DEFINE_IID(IWMPPlayer4, OLLIVANE_IID_IWMPPlayer4);
OLLIVANE_DEFINE_IID(IWMPPlayerServices, OLLIVANE_IID_IWMPPlayerServices);

// Play states reported by PlayStateChange.
enum WMPPlayState {
    wmppsUndefined = 0,
    wmppsStopped = 1,
    wmppsPaused = 2,
    wmppsPlaying = 3,
    wmppsScanForward = 4,
    wmppsScanReverse = 5,
    wmppsBuffering = 6,
    wmppsWaiting = 7,
    wmppsMediaEnded = 8,
    wmppsTransitioning = 9,
    wmppsReady = 10,
    wmppsReconnecting = 11,
    wmppsLast = 12,
};
