#include "player/WMPEventDispatch.h"

#include "platform/com/InterfaceTable.h"
#include "platform/windows/WindowTable.h"
#include "player/PlayerMessages.h"

#include <cmath>
#include <limits>

namespace {
int g_live = 0;

WPARAM W(long value) {
    return static_cast<WPARAM>(static_cast<LPARAM>(value));
}
LPARAM L(long value) {
    return static_cast<LPARAM>(value);
}
template <class T> WPARAM WPtr(T* p) {
    return reinterpret_cast<WPARAM>(p);
}
template <class T> LPARAM LPtr(T* p) {
    return reinterpret_cast<LPARAM>(p);
}
} // namespace

CWMPEventDispatch::CWMPEventDispatch() {
    ++g_live;
}

CWMPEventDispatch::~CWMPEventDispatch() {
    --g_live;
}

int CWMPEventDispatch::LiveCount() {
    return g_live;
}

HRESULT CWMPEventDispatch::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<_WMPOCXEvents>(), ComInterface<IWMPEvents2>(),
                             ComInterfaceVia<IDispatch, _WMPOCXEvents>());
}

LPARAM CWMPEventDispatch::Seconds(double position) {
    // Positions are 32-bit values to the window; anything outside is held at the ends.
    constexpr double lowest = std::numeric_limits<LONG>::min();
    constexpr double highest = std::numeric_limits<LONG>::max();
    if (std::isnan(position)) {
        return 0;
    }
    const double whole = std::trunc(position);
    if (whole <= lowest) {
        return static_cast<LPARAM>(std::numeric_limits<LONG>::min());
    }
    if (whole >= highest) {
        return static_cast<LPARAM>(std::numeric_limits<LONG>::max());
    }
    return static_cast<LPARAM>(static_cast<LONG>(whole));
}

WPARAM CWMPEventDispatch::Flag(VARIANT_BOOL value) {
    return static_cast<WPARAM>(static_cast<LPARAM>(static_cast<short>(value)));
}

void CWMPEventDispatch::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (m_target) {
        ::SendMessage(m_target, message, wParam, lParam);
    }
}

// --- IWMPEvents ----------------------------------------------------------------------------------

void CWMPEventDispatch::OpenStateChange(long NewState) {
    Send(WM_WMP_OPENSTATECHANGE, W(NewState), 0);
}

void CWMPEventDispatch::PlayStateChange(long NewState) {
    Send(WM_WMP_PLAYSTATECHANGE, W(NewState), 0);
}

void CWMPEventDispatch::AudioLanguageChange(long LangID) {
    Send(WM_WMP_AUDIOLANGUAGECHANGE, W(LangID), 0);
}

void CWMPEventDispatch::StatusChange() {
    Send(WM_WMP_STATUSCHANGE, 0, 0);
}

void CWMPEventDispatch::ScriptCommand(BSTR scType, BSTR Param) {
    Send(WM_WMP_SCRIPTCOMMAND, WPtr(scType), LPtr(Param));
}

void CWMPEventDispatch::NewStream() {}

void CWMPEventDispatch::Disconnect(long /*Result*/) {}

void CWMPEventDispatch::Buffering(VARIANT_BOOL Start) {
    Send(WM_WMP_BUFFERING, Flag(Start), 0);
}

void CWMPEventDispatch::Error() {
    Send(WM_WMP_ERROR, 0, 0);
}

void CWMPEventDispatch::Warning(long /*WarningType*/, long /*Param*/, BSTR /*Description*/) {}

void CWMPEventDispatch::EndOfStream(long /*Result*/) {}

void CWMPEventDispatch::PositionChange(double oldPosition, double newPosition) {
    Send(WM_WMP_POSITIONCHANGE, static_cast<WPARAM>(Seconds(oldPosition)), Seconds(newPosition));
}

void CWMPEventDispatch::MarkerHit(long MarkerNum) {
    Send(WM_WMP_MARKERHIT, W(MarkerNum), 0);
}

void CWMPEventDispatch::DurationUnitChange(long /*NewDurationUnit*/) {}

void CWMPEventDispatch::CdromMediaChange(long CdromNum) {
    Send(WM_WMP_CDROMMEDIACHANGE, W(CdromNum), 0);
}

void CWMPEventDispatch::PlaylistChange(IDispatch* Playlist, WMPPlaylistChangeEventType change) {
    Send(WM_WMP_PLAYLISTCHANGE, WPtr(Playlist), L(change));
}

void CWMPEventDispatch::CurrentPlaylistChange(WMPPlaylistChangeEventType change) {
    Send(WM_WMP_CURRENTPLAYLISTCHANGE, W(change), 0);
}

void CWMPEventDispatch::CurrentPlaylistItemAvailable(BSTR bstrItemName) {
    Send(WM_WMP_CURRENTPLAYLISTITEMAVAILABLE, WPtr(bstrItemName), 0);
}

void CWMPEventDispatch::MediaChange(IDispatch* Item) {
    Send(WM_WMP_MEDIACHANGE, WPtr(Item), 0);
}

void CWMPEventDispatch::CurrentMediaItemAvailable(BSTR bstrItemName) {
    Send(WM_WMP_CURRENTMEDIAITEMAVAILABLE, WPtr(bstrItemName), 0);
}

void CWMPEventDispatch::CurrentItemChange(IDispatch* pdispMedia) {
    Send(WM_WMP_CURRENTITEMCHANGE, WPtr(pdispMedia), 0);
}

void CWMPEventDispatch::MediaCollectionChange() {
    Send(WM_WMP_MEDIACOLLECTIONCHANGE, 0, 0);
}

void CWMPEventDispatch::MediaCollectionAttributeStringAdded(BSTR bstrAttribName, BSTR bstrAttribVal) {
    Send(WM_WMP_MEDIACOLLECTIONATTRIBUTESTRINGADDED, WPtr(bstrAttribName), LPtr(bstrAttribVal));
}

void CWMPEventDispatch::MediaCollectionAttributeStringRemoved(BSTR bstrAttribName, BSTR bstrAttribVal) {
    Send(WM_WMP_MEDIACOLLECTIONATTRIBUTESTRINGREMOVED, WPtr(bstrAttribName), LPtr(bstrAttribVal));
}

void CWMPEventDispatch::MediaCollectionAttributeStringChanged(BSTR bstrAttribName, BSTR bstrOldAttribVal,
                                                              BSTR bstrNewAttribVal) {
    WMPStringChange change{bstrOldAttribVal, bstrNewAttribVal};
    Send(WM_WMP_MEDIACOLLECTIONATTRIBUTESTRINGCHANGED, WPtr(bstrAttribName), LPtr(&change));
}

void CWMPEventDispatch::PlaylistCollectionChange() {
    Send(WM_WMP_PLAYLISTCOLLECTIONCHANGE, 0, 0);
}

void CWMPEventDispatch::PlaylistCollectionPlaylistAdded(BSTR bstrPlaylistName) {
    Send(WM_WMP_PLAYLISTCOLLECTIONPLAYLISTADDED, WPtr(bstrPlaylistName), 0);
}

void CWMPEventDispatch::PlaylistCollectionPlaylistRemoved(BSTR bstrPlaylistName) {
    Send(WM_WMP_PLAYLISTCOLLECTIONPLAYLISTREMOVED, WPtr(bstrPlaylistName), 0);
}

void CWMPEventDispatch::PlaylistCollectionPlaylistSetAsDeleted(BSTR /*bstrPlaylistName*/,
                                                               VARIANT_BOOL /*varfIsDeleted*/) {}

void CWMPEventDispatch::ModeChange(BSTR ModeName, VARIANT_BOOL NewValue) {
    Send(WM_WMP_MODECHANGE, WPtr(ModeName), static_cast<LPARAM>(Flag(NewValue)));
}

void CWMPEventDispatch::MediaError(IDispatch* pMediaObject) {
    Send(WM_WMP_MEDIAERROR, WPtr(pMediaObject), 0);
}

void CWMPEventDispatch::OpenPlaylistSwitch(IDispatch* pItem) {
    Send(WM_WMP_OPENPLAYLISTSWITCH, WPtr(pItem), 0);
}

void CWMPEventDispatch::DomainChange(BSTR strDomain) {
    Send(WM_WMP_DOMAINCHANGE, WPtr(strDomain), 0);
}

void CWMPEventDispatch::SwitchedToPlayerApplication() {
    Send(WM_WMP_SWITCHEDTOPLAYERAPPLICATION, 0, 0);
}

void CWMPEventDispatch::SwitchedToControl() {
    Send(WM_WMP_SWITCHEDTOCONTROL, 0, 0);
}

void CWMPEventDispatch::PlayerDockedStateChange() {
    Send(WM_WMP_PLAYERDOCKEDSTATECHANGE, 0, 0);
}

void CWMPEventDispatch::PlayerReconnect() {
    Send(WM_WMP_PLAYERRECONNECT, 0, 0);
}

void CWMPEventDispatch::Click(short, short, long, long) {}
void CWMPEventDispatch::DoubleClick(short, short, long, long) {}
void CWMPEventDispatch::KeyDown(short, short) {}
void CWMPEventDispatch::KeyPress(short) {}
void CWMPEventDispatch::KeyUp(short, short) {}
void CWMPEventDispatch::MouseDown(short, short, long, long) {}
void CWMPEventDispatch::MouseMove(short, short, long, long) {}
void CWMPEventDispatch::MouseUp(short, short, long, long) {}

// --- IWMPEvents2 ---------------------------------------------------------------------------------

void CWMPEventDispatch::DeviceConnect(IWMPSyncDevice* pDevice) {
    Send(WM_WMP_DEVICECONNECT, WPtr(pDevice), 0);
}

void CWMPEventDispatch::DeviceDisconnect(IWMPSyncDevice* pDevice) {
    Send(WM_WMP_DEVICEDISCONNECT, WPtr(pDevice), 0);
}

void CWMPEventDispatch::DeviceStatusChange(IWMPSyncDevice* pDevice, WMPDeviceStatus NewStatus) {
    Send(WM_WMP_DEVICESTATUSCHANGE, WPtr(pDevice), L(NewStatus));
}

void CWMPEventDispatch::DeviceSyncStateChange(IWMPSyncDevice* pDevice, WMPSyncState NewState) {
    Send(WM_WMP_DEVICESYNCSTATECHANGE, WPtr(pDevice), L(NewState));
}

void CWMPEventDispatch::DeviceSyncError(IWMPSyncDevice* pDevice, IDispatch* pMedia) {
    Send(WM_WMP_DEVICESYNCERROR, WPtr(pDevice), LPtr(pMedia));
}

void CWMPEventDispatch::CreatePartnershipComplete(IWMPSyncDevice* pDevice, HRESULT hrResult) {
    Send(WM_WMP_CREATEPARTNERSHIPCOMPLETE, WPtr(pDevice), L(hrResult));
}
