#pragma once
// The player's CD drives: the program lists them by drive specifier, reads a disc's tracks through
// the drive's playlist, ejects a stalled disc, and (player 11 and later) starts and stops a rip.

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"
#include "platform/wmp/WmpIds.h"
#include "platform/wmp/WmpLibrary.h"

// One CD drive.
class IWMPCdrom : public IDispatch {
public:
    // "X:"
    virtual HRESULT get_driveSpecifier(BSTR* drive) = 0;
    // One item per track in track order; empty (or failing) when the drive holds no readable disc.
    virtual HRESULT get_playlist(IWMPPlaylist** playlist) = 0;
    virtual HRESULT eject() = 0;
};

// Every CD drive of the machine.
class IWMPCdromCollection : public IDispatch {
public:
    virtual HRESULT get_count(long* count) = 0;
    virtual HRESULT item(long index, IWMPCdrom** drive) = 0;
};

// The rip of one drive (player 11 and later), asked of the drive object. The whole disc is ripped,
// whatever is ticked, under the player's rip preferences.
class IWMPCdromRip : public IUnknown {
public:
    virtual HRESULT startRip() = 0;
    virtual HRESULT stopRip() = 0;
};

OLLIVANE_DEFINE_IID(IWMPCdrom, OLLIVANE_IID_IWMPCdrom);
OLLIVANE_DEFINE_IID(IWMPCdromCollection, OLLIVANE_IID_IWMPCdromCollection);
OLLIVANE_DEFINE_IID(IWMPCdromRip, OLLIVANE_IID_IWMPCdromRip);

// State of a drive's rip.
enum WMPRipState {
    wmprsUnknown = 0,
    wmprsRipping = 1,
    wmprsStopped = 2,
};
