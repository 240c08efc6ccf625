#pragma once
// The event sink advised to the player: each event becomes its window message (PlayerMessages.h),
// sent synchronously to the target window, so the window's handler has run when the event call
// returns. Events the program has no use for (new stream, disconnect, warnings, end of stream,
// duration unit, playlist set as deleted, mouse and keyboard) are dropped. Without a target window
// every event is dropped.
//
// Reached directly through IWMPEvents2, or through Invoke when advised to the _WMPOCXEvents
// dispinterface. Created through CComObject<CWMPEventDispatch>; UI thread only.

#include "platform/com/Dispatch.h"
#include "platform/wmp/WmpEvents.h"

class CWMPEventDispatch : public IWMPEvents2, public _WMPOCXEvents {
public:
    CWMPEventDispatch();
    virtual ~CWMPEventDispatch();

    // _WMPOCXEvents and IDispatch give the dispinterface, IWMPEvents2 the direct one. IWMPEvents is
    // not answered by its own id.
    HRESULT QueryInterface(const IID& riid, void** object) override;
    ULONG AddRef() override = 0;
    ULONG Release() override = 0;

    // The receiver of the messages; null drops every event from then on.
    void SetTargetWindow(HWND target) { m_target = target; }
    HWND TargetWindow() const { return m_target; }

    // IDispatch of _WMPOCXEvents: no type information and no names.
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(const IID& riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    // Calls the event method of the member id with the arguments of the block (last argument first).
    // E_POINTER without a block, DISP_E_NONAMEDARGS with named arguments, DISP_E_BADPARAMCOUNT or
    // DISP_E_TYPEMISMATCH (with *argError set) when the arguments do not fit the event: nothing is
    // sent then. Otherwise DISP_E_MEMBERNOTFOUND, for every member, called or not.
    HRESULT Invoke(DISPID member, const IID& riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argError) override;

    // IWMPEvents
    void OpenStateChange(long NewState) override;
    void PlayStateChange(long NewState) override;
    void AudioLanguageChange(long LangID) override;
    void StatusChange() override;
    void ScriptCommand(BSTR scType, BSTR Param) override;
    void NewStream() override;
    void Disconnect(long Result) override;
    void Buffering(VARIANT_BOOL Start) override;
    void Error() override;
    void Warning(long WarningType, long Param, BSTR Description) override;
    void EndOfStream(long Result) override;
    void PositionChange(double oldPosition, double newPosition) override;
    void MarkerHit(long MarkerNum) override;
    void DurationUnitChange(long NewDurationUnit) override;
    void CdromMediaChange(long CdromNum) override;
    void PlaylistChange(IDispatch* Playlist, WMPPlaylistChangeEventType change) override;
    void CurrentPlaylistChange(WMPPlaylistChangeEventType change) override;
    void CurrentPlaylistItemAvailable(BSTR bstrItemName) override;
    void MediaChange(IDispatch* Item) override;
    void CurrentMediaItemAvailable(BSTR bstrItemName) override;
    void CurrentItemChange(IDispatch* pdispMedia) override;
    void MediaCollectionChange() override;
    void MediaCollectionAttributeStringAdded(BSTR bstrAttribName, BSTR bstrAttribVal) override;
    void MediaCollectionAttributeStringRemoved(BSTR bstrAttribName, BSTR bstrAttribVal) override;
    void MediaCollectionAttributeStringChanged(BSTR bstrAttribName, BSTR bstrOldAttribVal,
                                               BSTR bstrNewAttribVal) override;
    void PlaylistCollectionChange() override;
    void PlaylistCollectionPlaylistAdded(BSTR bstrPlaylistName) override;
    void PlaylistCollectionPlaylistRemoved(BSTR bstrPlaylistName) override;
    void PlaylistCollectionPlaylistSetAsDeleted(BSTR bstrPlaylistName, VARIANT_BOOL varfIsDeleted) override;
    void ModeChange(BSTR ModeName, VARIANT_BOOL NewValue) override;
    void MediaError(IDispatch* pMediaObject) override;
    void OpenPlaylistSwitch(IDispatch* pItem) override;
    void DomainChange(BSTR strDomain) override;
    void SwitchedToPlayerApplication() override;
    void SwitchedToControl() override;
    void PlayerDockedStateChange() override;
    void PlayerReconnect() override;
    void Click(short nButton, short nShiftState, long fX, long fY) override;
    void DoubleClick(short nButton, short nShiftState, long fX, long fY) override;
    void KeyDown(short nKeyCode, short nShiftState) override;
    void KeyPress(short nKeyAscii) override;
    void KeyUp(short nKeyCode, short nShiftState) override;
    void MouseDown(short nButton, short nShiftState, long fX, long fY) override;
    void MouseMove(short nButton, short nShiftState, long fX, long fY) override;
    void MouseUp(short nButton, short nShiftState, long fX, long fY) override;

    // IWMPEvents2
    void DeviceConnect(IWMPSyncDevice* pDevice) override;
    void DeviceDisconnect(IWMPSyncDevice* pDevice) override;
    void DeviceStatusChange(IWMPSyncDevice* pDevice, WMPDeviceStatus NewStatus) override;
    void DeviceSyncStateChange(IWMPSyncDevice* pDevice, WMPSyncState NewState) override;
    void DeviceSyncError(IWMPSyncDevice* pDevice, IDispatch* pMedia) override;
    void CreatePartnershipComplete(IWMPSyncDevice* pDevice, HRESULT hrResult) override;

    // A position in seconds as a whole number of seconds, truncated toward zero; NaN gives 0 and
    // values beyond the range of a message parameter are held at its ends.
    static LPARAM Seconds(double position);
    // A 16-bit flag sign-extended into a message parameter: VARIANT_TRUE gives all bits set.
    static WPARAM Flag(VARIANT_BOOL value);

    // Objects of this class alive in the process (tests check that shutdown frees them).
    static int LiveCount();

private:
    void Send(UINT message, WPARAM wParam, LPARAM lParam) const;
    // Invoke's dispatch by member id, once the argument block is known to be well formed.
    HRESULT InvokeEvent(DISPID member, const DISPPARAMS& params, UINT* argError);

    HWND m_target = nullptr;
};
