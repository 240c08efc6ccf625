#pragma once
// The window messages the player's events arrive as (see WMPEventDispatch.h), numbered from
// WM_USER + 0x400. The player-core events use 0x800..0x826, the device events 0x84C..0x851; the
// numbers 0x803, 0x809, 0x80B..0x80D and 0x816..0x818 are never sent.
//
// Strings (wParam or lParam) are the player's BSTRs and objects are its IDispatch or
// IWMPSyncDevice pointers, lent for the duration of the message: a handler that keeps one takes its
// own copy or reference. Boolean flags arrive sign-extended (true = all bits set).

#include "platform/com/Bstr.h"
#include "platform/win/WinTypes.h"

inline constexpr UINT WM_WMPEVENT_FIRST = WM_USER + 0x400; // 0x800

inline constexpr UINT WM_WMP_AUDIOLANGUAGECHANGE = WM_WMPEVENT_FIRST + 0x00;          // LangID
inline constexpr UINT WM_WMP_BUFFERING = WM_WMPEVENT_FIRST + 0x01;                    // Start (flag)
inline constexpr UINT WM_WMP_CDROMMEDIACHANGE = WM_WMPEVENT_FIRST + 0x02;             // drive index
inline constexpr UINT WM_WMP_CURRENTITEMCHANGE = WM_WMPEVENT_FIRST + 0x04;            // media (object)
inline constexpr UINT WM_WMP_CURRENTMEDIAITEMAVAILABLE = WM_WMPEVENT_FIRST + 0x05;    // item name
inline constexpr UINT WM_WMP_CURRENTPLAYLISTCHANGE = WM_WMPEVENT_FIRST + 0x06;        // change
inline constexpr UINT WM_WMP_CURRENTPLAYLISTITEMAVAILABLE = WM_WMPEVENT_FIRST + 0x07; // item name
inline constexpr UINT WM_WMP_DOMAINCHANGE = WM_WMPEVENT_FIRST + 0x08;                 // domain
inline constexpr UINT WM_WMP_ERROR = WM_WMPEVENT_FIRST + 0x0A;
inline constexpr UINT WM_WMP_MARKERHIT = WM_WMPEVENT_FIRST + 0x0E;                           // marker number
inline constexpr UINT WM_WMP_MEDIACHANGE = WM_WMPEVENT_FIRST + 0x0F;                         // item (object)
inline constexpr UINT WM_WMP_MEDIACOLLECTIONATTRIBUTESTRINGADDED = WM_WMPEVENT_FIRST + 0x10; // name, value
// name, address of WMPStringChange (old and new value)
inline constexpr UINT WM_WMP_MEDIACOLLECTIONATTRIBUTESTRINGCHANGED = WM_WMPEVENT_FIRST + 0x11;
inline constexpr UINT WM_WMP_MEDIACOLLECTIONATTRIBUTESTRINGREMOVED = WM_WMPEVENT_FIRST + 0x12; // name, value
inline constexpr UINT WM_WMP_MEDIACOLLECTIONCHANGE = WM_WMPEVENT_FIRST + 0x13;
inline constexpr UINT WM_WMP_MEDIAERROR = WM_WMPEVENT_FIRST + 0x14;         // media (object)
inline constexpr UINT WM_WMP_MODECHANGE = WM_WMPEVENT_FIRST + 0x15;         // mode name, value (flag)
inline constexpr UINT WM_WMP_OPENPLAYLISTSWITCH = WM_WMPEVENT_FIRST + 0x19; // item (object)
inline constexpr UINT WM_WMP_OPENSTATECHANGE = WM_WMPEVENT_FIRST + 0x1A;    // new state
inline constexpr UINT WM_WMP_PLAYERDOCKEDSTATECHANGE = WM_WMPEVENT_FIRST + 0x1B;
inline constexpr UINT WM_WMP_PLAYERRECONNECT = WM_WMPEVENT_FIRST + 0x1C;
inline constexpr UINT WM_WMP_PLAYLISTCHANGE = WM_WMPEVENT_FIRST + 0x1D; // playlist (object), change
inline constexpr UINT WM_WMP_PLAYLISTCOLLECTIONCHANGE = WM_WMPEVENT_FIRST + 0x1E;
inline constexpr UINT WM_WMP_PLAYLISTCOLLECTIONPLAYLISTADDED = WM_WMPEVENT_FIRST + 0x1F;   // name
inline constexpr UINT WM_WMP_PLAYLISTCOLLECTIONPLAYLISTREMOVED = WM_WMPEVENT_FIRST + 0x20; // name
inline constexpr UINT WM_WMP_PLAYSTATECHANGE = WM_WMPEVENT_FIRST + 0x21;                   // new state
inline constexpr UINT WM_WMP_POSITIONCHANGE = WM_WMPEVENT_FIRST + 0x22; // old, new (whole seconds)
inline constexpr UINT WM_WMP_SCRIPTCOMMAND = WM_WMPEVENT_FIRST + 0x23;  // type, parameter
inline constexpr UINT WM_WMP_STATUSCHANGE = WM_WMPEVENT_FIRST + 0x24;
inline constexpr UINT WM_WMP_SWITCHEDTOCONTROL = WM_WMPEVENT_FIRST + 0x25;
inline constexpr UINT WM_WMP_SWITCHEDTOPLAYERAPPLICATION = WM_WMPEVENT_FIRST + 0x26;

inline constexpr UINT WM_WMP_CREATEPARTNERSHIPCOMPLETE = WM_WMPEVENT_FIRST + 0x4C; // device, HRESULT
inline constexpr UINT WM_WMP_DEVICECONNECT = WM_WMPEVENT_FIRST + 0x4D;             // device
inline constexpr UINT WM_WMP_DEVICEDISCONNECT = WM_WMPEVENT_FIRST + 0x4E;          // device
inline constexpr UINT WM_WMP_DEVICESTATUSCHANGE = WM_WMPEVENT_FIRST + 0x4F;        // device, status
inline constexpr UINT WM_WMP_DEVICESYNCERROR = WM_WMPEVENT_FIRST + 0x50;           // device, media (object)
inline constexpr UINT WM_WMP_DEVICESYNCSTATECHANGE = WM_WMPEVENT_FIRST + 0x51;     // device, new state

// lParam of WM_WMP_MEDIACOLLECTIONATTRIBUTESTRINGCHANGED.
struct WMPStringChange {
    BSTR oldValue = nullptr;
    BSTR newValue = nullptr;
};
