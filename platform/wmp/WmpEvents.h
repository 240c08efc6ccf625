#pragma once
// The player's events. A sink is advised to the player's connection point for IWMPEvents2 (direct
// calls), or, when the player does not offer that point, to the one for the dispinterface
// _WMPOCXEvents (calls through IDispatch::Invoke with the DISPIDs below). The program's sink turns
// each event into a window message; the events it acts on are CD media change, media change (rip
// progress), playlist change, play state, and the device events.
//
// The event methods return nothing. Strings and objects are lent for the duration of the call.

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Variant.h"
#include "platform/wmp/WmpIds.h"
#include "platform/wmp/WmpLibrary.h"
#include "platform/wmp/WmpSync.h"

// The player-core events, in the slot order the program's message table follows (slots 3 to 47
// after the three IUnknown slots).
class IWMPEvents : public IUnknown {
public:
    virtual void OpenStateChange(long NewState) = 0;
    virtual void PlayStateChange(long NewState) = 0;
    virtual void AudioLanguageChange(long LangID) = 0;
    virtual void StatusChange() = 0;
    virtual void ScriptCommand(BSTR scType, BSTR Param) = 0;
    virtual void NewStream() = 0;
    virtual void Disconnect(long Result) = 0;
    virtual void Buffering(VARIANT_BOOL Start) = 0;
    virtual void Error() = 0;
    virtual void Warning(long WarningType, long Param, BSTR Description) = 0;
    virtual void EndOfStream(long Result) = 0;
    virtual void PositionChange(double oldPosition, double newPosition) = 0;
    virtual void MarkerHit(long MarkerNum) = 0;
    virtual void DurationUnitChange(long NewDurationUnit) = 0;
    virtual void CdromMediaChange(long CdromNum) = 0;
    virtual void PlaylistChange(IDispatch* Playlist, WMPPlaylistChangeEventType change) = 0;
    virtual void CurrentPlaylistChange(WMPPlaylistChangeEventType change) = 0;
    virtual void CurrentPlaylistItemAvailable(BSTR bstrItemName) = 0;
    virtual void MediaChange(IDispatch* Item) = 0;
    virtual void CurrentMediaItemAvailable(BSTR bstrItemName) = 0;
    virtual void CurrentItemChange(IDispatch* pdispMedia) = 0;
    virtual void MediaCollectionChange() = 0;
    virtual void MediaCollectionAttributeStringAdded(BSTR bstrAttribName, BSTR bstrAttribVal) = 0;
    virtual void MediaCollectionAttributeStringRemoved(BSTR bstrAttribName, BSTR bstrAttribVal) = 0;
    virtual void MediaCollectionAttributeStringChanged(BSTR bstrAttribName, BSTR bstrOldAttribVal,
                                                       BSTR bstrNewAttribVal) = 0;
    virtual void PlaylistCollectionChange() = 0;
    virtual void PlaylistCollectionPlaylistAdded(BSTR bstrPlaylistName) = 0;
    virtual void PlaylistCollectionPlaylistRemoved(BSTR bstrPlaylistName) = 0;
    virtual void PlaylistCollectionPlaylistSetAsDeleted(BSTR bstrPlaylistName,
                                                        VARIANT_BOOL varfIsDeleted) = 0;
    virtual void ModeChange(BSTR ModeName, VARIANT_BOOL NewValue) = 0;
    virtual void MediaError(IDispatch* pMediaObject) = 0;
    virtual void OpenPlaylistSwitch(IDispatch* pItem) = 0;
    virtual void DomainChange(BSTR strDomain) = 0;
    virtual void SwitchedToPlayerApplication() = 0;
    virtual void SwitchedToControl() = 0;
    virtual void PlayerDockedStateChange() = 0;
    virtual void PlayerReconnect() = 0;
    virtual void Click(short nButton, short nShiftState, long fX, long fY) = 0;
    virtual void DoubleClick(short nButton, short nShiftState, long fX, long fY) = 0;
    virtual void KeyDown(short nKeyCode, short nShiftState) = 0;
    virtual void KeyPress(short nKeyAscii) = 0;
    virtual void KeyUp(short nKeyCode, short nShiftState) = 0;
    virtual void MouseDown(short nButton, short nShiftState, long fX, long fY) = 0;
    virtual void MouseMove(short nButton, short nShiftState, long fX, long fY) = 0;
    virtual void MouseUp(short nButton, short nShiftState, long fX, long fY) = 0;
};

// Adds the device events (slots 48 to 53).
class IWMPEvents2 : public IWMPEvents {
public:
    virtual void DeviceConnect(IWMPSyncDevice* pDevice) = 0;
    virtual void DeviceDisconnect(IWMPSyncDevice* pDevice) = 0;
    virtual void DeviceStatusChange(IWMPSyncDevice* pDevice, WMPDeviceStatus NewStatus) = 0;
    virtual void DeviceSyncStateChange(IWMPSyncDevice* pDevice, WMPSyncState NewState) = 0;
    virtual void DeviceSyncError(IWMPSyncDevice* pDevice, IDispatch* pMedia) = 0;
    virtual void CreatePartnershipComplete(IWMPSyncDevice* pDevice, HRESULT hrResult) = 0;
};

// The same events as a dispinterface: no methods of its own, everything goes through Invoke.
class _WMPOCXEvents : public IDispatch {};

OLLIVANE_DEFINE_IID(IWMPEvents, OLLIVANE_IID_IWMPEvents);
OLLIVANE_DEFINE_IID(IWMPEvents2, OLLIVANE_IID_IWMPEvents2);
inline constexpr IID DIID__WMPOCXEvents = MakeGuid(OLLIVANE_DIID_WMPOCXEvents);
OLLIVANE_BIND_IID(_WMPOCXEvents, DIID__WMPOCXEvents);

// Member ids of _WMPOCXEvents. Arguments arrive in reverse order in DISPPARAMS (the last argument
// first): VT_I4 for long and for the enumerations, VT_R8 for double, VT_BOOL for VARIANT_BOOL,
// VT_I2 for short, VT_BSTR for strings, VT_DISPATCH for items and playlists, VT_UNKNOWN for a device
// (the receiver queries it for IWMPSyncDevice), and VT_ERROR (scode) for an HRESULT.
inline constexpr DISPID DISPID_WMPEVENT_OPENSTATECHANGE = 5001;
inline constexpr DISPID DISPID_WMPEVENT_STATUSCHANGE = 5002;
inline constexpr DISPID DISPID_WMPEVENT_PLAYSTATECHANGE = 5101;
inline constexpr DISPID DISPID_WMPEVENT_AUDIOLANGUAGECHANGE = 5102;
inline constexpr DISPID DISPID_WMPEVENT_ENDOFSTREAM = 5201;
inline constexpr DISPID DISPID_WMPEVENT_POSITIONCHANGE = 5202;
inline constexpr DISPID DISPID_WMPEVENT_MARKERHIT = 5203;
inline constexpr DISPID DISPID_WMPEVENT_DURATIONUNITCHANGE = 5204;
inline constexpr DISPID DISPID_WMPEVENT_SCRIPTCOMMAND = 5301;
inline constexpr DISPID DISPID_WMPEVENT_DISCONNECT = 5401;
inline constexpr DISPID DISPID_WMPEVENT_BUFFERING = 5402;
inline constexpr DISPID DISPID_WMPEVENT_NEWSTREAM = 5403;
inline constexpr DISPID DISPID_WMPEVENT_ERROR = 5501;
inline constexpr DISPID DISPID_WMPEVENT_WARNING = 5601;
inline constexpr DISPID DISPID_WMPEVENT_CDROMMEDIACHANGE = 5701;
inline constexpr DISPID DISPID_WMPEVENT_PLAYLISTCHANGE = 5801;
inline constexpr DISPID DISPID_WMPEVENT_MEDIACHANGE = 5802;
inline constexpr DISPID DISPID_WMPEVENT_CURRENTMEDIAITEMAVAILABLE = 5803;
inline constexpr DISPID DISPID_WMPEVENT_CURRENTPLAYLISTCHANGE = 5804;
inline constexpr DISPID DISPID_WMPEVENT_CURRENTPLAYLISTITEMAVAILABLE = 5805;
inline constexpr DISPID DISPID_WMPEVENT_CURRENTITEMCHANGE = 5806;
inline constexpr DISPID DISPID_WMPEVENT_MEDIACOLLECTIONCHANGE = 5807;
inline constexpr DISPID DISPID_WMPEVENT_MEDIACOLLECTIONATTRIBUTESTRINGADDED = 5808;
inline constexpr DISPID DISPID_WMPEVENT_MEDIACOLLECTIONATTRIBUTESTRINGREMOVED = 5809;
inline constexpr DISPID DISPID_WMPEVENT_PLAYLISTCOLLECTIONCHANGE = 5810;
inline constexpr DISPID DISPID_WMPEVENT_PLAYLISTCOLLECTIONPLAYLISTADDED = 5811;
inline constexpr DISPID DISPID_WMPEVENT_PLAYLISTCOLLECTIONPLAYLISTREMOVED = 5812;
inline constexpr DISPID DISPID_WMPEVENT_PLAYLISTCOLLECTIONPLAYLISTSETASDELETED = 5818;
inline constexpr DISPID DISPID_WMPEVENT_MODECHANGE = 5819;
inline constexpr DISPID DISPID_WMPEVENT_MEDIACOLLECTIONATTRIBUTESTRINGCHANGED = 5820;
inline constexpr DISPID DISPID_WMPEVENT_MEDIAERROR = 5821;
inline constexpr DISPID DISPID_WMPEVENT_DOMAINCHANGE = 5822;
inline constexpr DISPID DISPID_WMPEVENT_OPENPLAYLISTSWITCH = 5823;
inline constexpr DISPID DISPID_WMPEVENT_SWITCHEDTOPLAYERAPPLICATION = 6501;
inline constexpr DISPID DISPID_WMPEVENT_SWITCHEDTOCONTROL = 6502;
inline constexpr DISPID DISPID_WMPEVENT_PLAYERDOCKEDSTATECHANGE = 6503;
inline constexpr DISPID DISPID_WMPEVENT_PLAYERRECONNECT = 6504;
inline constexpr DISPID DISPID_WMPEVENT_CLICK = 6505;
inline constexpr DISPID DISPID_WMPEVENT_DOUBLECLICK = 6506;
inline constexpr DISPID DISPID_WMPEVENT_KEYDOWN = 6507;
inline constexpr DISPID DISPID_WMPEVENT_KEYPRESS = 6508;
inline constexpr DISPID DISPID_WMPEVENT_KEYUP = 6509;
inline constexpr DISPID DISPID_WMPEVENT_MOUSEDOWN = 6510;
inline constexpr DISPID DISPID_WMPEVENT_MOUSEMOVE = 6511;
inline constexpr DISPID DISPID_WMPEVENT_MOUSEUP = 6512;
inline constexpr DISPID DISPID_WMPEVENT_DEVICECONNECT = 6513;
inline constexpr DISPID DISPID_WMPEVENT_DEVICEDISCONNECT = 6514;
inline constexpr DISPID DISPID_WMPEVENT_DEVICESTATUSCHANGE = 6515;
inline constexpr DISPID DISPID_WMPEVENT_DEVICESYNCSTATECHANGE = 6516;
inline constexpr DISPID DISPID_WMPEVENT_DEVICESYNCERROR = 6517;
inline constexpr DISPID DISPID_WMPEVENT_CREATEPARTNERSHIPCOMPLETE = 6518;
