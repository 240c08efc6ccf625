#pragma once
// A sink for the player's events that writes down what arrived, in order, and on which thread. It
// can be advised to the IWMPEvents2 point (direct calls) or to the _WMPOCXEvents point (Invoke).

#include "platform/com/Com.h"
#include "platform/wmp/Wmp.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <thread>
#include <vector>

struct RecordedEvent {
    QString name;            // "CdromMediaChange", "MediaChange", ...
    long value = 0;          // drive index, change type, status, state, HRESULT
    ComPtr<IUnknown> object; // the playlist, item or device, kept for later questions
    ComPtr<IUnknown> media;  // DeviceSyncError: the item that failed (none when the player names none)
    QString status;          // MediaChange: the item's "Status" when the event arrived
    QString trackNumber;     // MediaChange: the item's "WM/TrackNumber"
    bool onUiThread = false;
    bool viaDispatch = false;
};

class CEventRecorder : public IWMPEvents2, public _WMPOCXEvents {
public:
    HRESULT QueryInterface(const IID& riid, void** object) override;
    ULONG AddRef() override = 0;
    ULONG Release() override = 0;

    // A sink that answers only IDispatch, as a script host's would.
    bool dispatchOnly = false;
    std::vector<RecordedEvent> events;
    std::thread::id uiThread = std::this_thread::get_id();
    // Called with each event as it arrives, while the engine waits for the sink to return.
    std::function<void(const RecordedEvent&)> onEvent;

    QStringList Names() const;
    int Count(const QString& name) const;

    // IDispatch of _WMPOCXEvents
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(const IID&, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID member, const IID&, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                   UINT*) override;

    void CdromMediaChange(long CdromNum) override;
    void PlaylistChange(IDispatch* Playlist, WMPPlaylistChangeEventType change) override;
    void MediaChange(IDispatch* Item) override;
    void MediaCollectionChange() override;
    void DeviceConnect(IWMPSyncDevice* pDevice) override;
    void DeviceDisconnect(IWMPSyncDevice* pDevice) override;
    void DeviceStatusChange(IWMPSyncDevice* pDevice, WMPDeviceStatus NewStatus) override;
    void DeviceSyncStateChange(IWMPSyncDevice* pDevice, WMPSyncState NewState) override;
    void DeviceSyncError(IWMPSyncDevice* pDevice, IDispatch* pMedia) override;
    void CreatePartnershipComplete(IWMPSyncDevice* pDevice, HRESULT hrResult) override;

    // The rest are never fired by the engine; arriving anyway is recorded by name.
    void OpenStateChange(long) override { Record(QStringLiteral("OpenStateChange"), 0, nullptr); }
    void PlayStateChange(long) override { Record(QStringLiteral("PlayStateChange"), 0, nullptr); }
    void AudioLanguageChange(long) override {}
    void StatusChange() override {}
    void ScriptCommand(BSTR, BSTR) override {}
    void NewStream() override {}
    void Disconnect(long) override {}
    void Buffering(VARIANT_BOOL) override {}
    void Error() override {}
    void Warning(long, long, BSTR) override {}
    void EndOfStream(long) override {}
    void PositionChange(double, double) override {}
    void MarkerHit(long) override {}
    void DurationUnitChange(long) override {}
    void CurrentPlaylistChange(WMPPlaylistChangeEventType) override {}
    void CurrentPlaylistItemAvailable(BSTR) override {}
    void CurrentMediaItemAvailable(BSTR) override {}
    void CurrentItemChange(IDispatch*) override {}
    void MediaCollectionAttributeStringAdded(BSTR, BSTR) override {}
    void MediaCollectionAttributeStringRemoved(BSTR, BSTR) override {}
    void MediaCollectionAttributeStringChanged(BSTR, BSTR, BSTR) override {}
    void PlaylistCollectionChange() override {}
    void PlaylistCollectionPlaylistAdded(BSTR) override {}
    void PlaylistCollectionPlaylistRemoved(BSTR) override {}
    void PlaylistCollectionPlaylistSetAsDeleted(BSTR, VARIANT_BOOL) override {}
    void ModeChange(BSTR, VARIANT_BOOL) override {}
    void MediaError(IDispatch*) override {}
    void OpenPlaylistSwitch(IDispatch*) override {}
    void DomainChange(BSTR) override {}
    void SwitchedToPlayerApplication() override {}
    void SwitchedToControl() override {}
    void PlayerDockedStateChange() override {}
    void PlayerReconnect() override {}
    void Click(short, short, long, long) override {}
    void DoubleClick(short, short, long, long) override {}
    void KeyDown(short, short) override {}
    void KeyPress(short) override {}
    void KeyUp(short, short) override {}
    void MouseDown(short, short, long, long) override {}
    void MouseMove(short, short, long, long) override {}
    void MouseUp(short, short, long, long) override {}

private:
    RecordedEvent& Record(const QString& name, long value, IUnknown* object);
    void Notify();
    bool m_inDispatch = false;
};
