#include "player/WMPEventDispatch.h"

#include "platform/com/ComPtr.h"

#include <string_view>

namespace {

// What each member takes, first argument first: l long (or enumeration), r double, b 16-bit
// boolean, i short, s string, d object (IDispatch), u device, h result code.
std::string_view Signature(DISPID member, bool* known) {
    *known = true;
    switch (member) {
    case DISPID_WMPEVENT_STATUSCHANGE:
    case DISPID_WMPEVENT_NEWSTREAM:
    case DISPID_WMPEVENT_ERROR:
    case DISPID_WMPEVENT_MEDIACOLLECTIONCHANGE:
    case DISPID_WMPEVENT_PLAYLISTCOLLECTIONCHANGE:
    case DISPID_WMPEVENT_SWITCHEDTOPLAYERAPPLICATION:
    case DISPID_WMPEVENT_SWITCHEDTOCONTROL:
    case DISPID_WMPEVENT_PLAYERDOCKEDSTATECHANGE:
    case DISPID_WMPEVENT_PLAYERRECONNECT:
        return "";
    case DISPID_WMPEVENT_OPENSTATECHANGE:
    case DISPID_WMPEVENT_PLAYSTATECHANGE:
    case DISPID_WMPEVENT_AUDIOLANGUAGECHANGE:
    case DISPID_WMPEVENT_ENDOFSTREAM:
    case DISPID_WMPEVENT_MARKERHIT:
    case DISPID_WMPEVENT_DURATIONUNITCHANGE:
    case DISPID_WMPEVENT_DISCONNECT:
    case DISPID_WMPEVENT_CDROMMEDIACHANGE:
    case DISPID_WMPEVENT_CURRENTPLAYLISTCHANGE:
        return "l";
    case DISPID_WMPEVENT_POSITIONCHANGE:
        return "rr";
    case DISPID_WMPEVENT_SCRIPTCOMMAND:
    case DISPID_WMPEVENT_MEDIACOLLECTIONATTRIBUTESTRINGADDED:
    case DISPID_WMPEVENT_MEDIACOLLECTIONATTRIBUTESTRINGREMOVED:
        return "ss";
    case DISPID_WMPEVENT_BUFFERING:
        return "b";
    case DISPID_WMPEVENT_WARNING:
        return "lls";
    case DISPID_WMPEVENT_PLAYLISTCHANGE:
        return "dl";
    case DISPID_WMPEVENT_MEDIACHANGE:
    case DISPID_WMPEVENT_CURRENTITEMCHANGE:
    case DISPID_WMPEVENT_MEDIAERROR:
    case DISPID_WMPEVENT_OPENPLAYLISTSWITCH:
        return "d";
    case DISPID_WMPEVENT_CURRENTMEDIAITEMAVAILABLE:
    case DISPID_WMPEVENT_CURRENTPLAYLISTITEMAVAILABLE:
    case DISPID_WMPEVENT_PLAYLISTCOLLECTIONPLAYLISTADDED:
    case DISPID_WMPEVENT_PLAYLISTCOLLECTIONPLAYLISTREMOVED:
    case DISPID_WMPEVENT_DOMAINCHANGE:
        return "s";
    case DISPID_WMPEVENT_PLAYLISTCOLLECTIONPLAYLISTSETASDELETED:
    case DISPID_WMPEVENT_MODECHANGE:
        return "sb";
    case DISPID_WMPEVENT_MEDIACOLLECTIONATTRIBUTESTRINGCHANGED:
        return "sss";
    case DISPID_WMPEVENT_CLICK:
    case DISPID_WMPEVENT_DOUBLECLICK:
    case DISPID_WMPEVENT_MOUSEDOWN:
    case DISPID_WMPEVENT_MOUSEMOVE:
    case DISPID_WMPEVENT_MOUSEUP:
        return "iill";
    case DISPID_WMPEVENT_KEYDOWN:
    case DISPID_WMPEVENT_KEYUP:
        return "ii";
    case DISPID_WMPEVENT_KEYPRESS:
        return "i";
    case DISPID_WMPEVENT_DEVICECONNECT:
    case DISPID_WMPEVENT_DEVICEDISCONNECT:
        return "u";
    case DISPID_WMPEVENT_DEVICESTATUSCHANGE:
    case DISPID_WMPEVENT_DEVICESYNCSTATECHANGE:
        return "ul";
    case DISPID_WMPEVENT_DEVICESYNCERROR:
        return "ud";
    case DISPID_WMPEVENT_CREATEPARTNERSHIPCOMPLETE:
        return "uh";
    default:
        *known = false;
        return "";
    }
}

bool IsIntegral(VARTYPE vt) {
    return vt == VT_I4 || vt == VT_I2 || vt == VT_UI4;
}

bool IsObject(VARTYPE vt) {
    return vt == VT_DISPATCH || vt == VT_UNKNOWN;
}

// Whether a value can stand for an argument of that kind (a device is checked when it is taken).
bool Fits(char kind, const VARIANT& v) {
    switch (kind) {
    case 'l':
        return IsIntegral(v.vt);
    case 'r':
        return v.vt == VT_R8 || IsIntegral(v.vt);
    case 'b':
        return v.vt == VT_BOOL;
    case 'i':
        return v.vt == VT_I2;
    case 's':
        return v.vt == VT_BSTR;
    case 'd':
        return v.vt == VT_DISPATCH;
    case 'u':
        return IsObject(v.vt);
    case 'h':
        return v.vt == VT_ERROR || v.vt == VT_I4;
    default:
        return false;
    }
}

// The arguments of one call, by position from the first; only read once they were checked.
class CArguments {
public:
    explicit CArguments(const DISPPARAMS& params) : m_params(params) {}
    const VARIANT& At(UINT first) const { return m_params.rgvarg[m_params.cArgs - 1 - first]; }
    long Long(UINT i) const {
        const VARIANT& v = At(i);
        return v.vt == VT_I2 ? long(v.iVal) : v.vt == VT_UI4 ? long(v.ulVal) : long(v.lVal);
    }
    double Double(UINT i) const { return At(i).vt == VT_R8 ? At(i).dblVal : double(Long(i)); }
    VARIANT_BOOL Bool(UINT i) const { return At(i).boolVal; }
    short Short(UINT i) const { return At(i).iVal; }
    BSTR String(UINT i) const { return At(i).bstrVal; }
    IDispatch* Object(UINT i) const { return At(i).pdispVal; }
    HRESULT Result(UINT i) const { return At(i).vt == VT_ERROR ? At(i).scode : At(i).lVal; }
    // The device an argument names, with a reference held for the call; false when the value is an
    // object that is no device.
    bool Device(UINT i, ComPtr<IWMPSyncDevice>* device) const {
        IUnknown* object = At(i).punkVal;
        if (!object) {
            return true;
        }
        void* out = nullptr;
        if (FAILED(object->QueryInterface(IID_IWMPSyncDevice, &out)) || !out) {
            return false;
        }
        device->Attach(static_cast<IWMPSyncDevice*>(out));
        return true;
    }

private:
    const DISPPARAMS& m_params;
};

} // namespace

HRESULT CWMPEventDispatch::GetTypeInfoCount(UINT* /*count*/) {
    return E_NOTIMPL;
}

HRESULT CWMPEventDispatch::GetTypeInfo(UINT /*index*/, LCID /*lcid*/, ITypeInfo** /*info*/) {
    return E_NOTIMPL;
}

HRESULT CWMPEventDispatch::GetIDsOfNames(const IID& /*riid*/, LPOLESTR* /*names*/, UINT /*count*/,
                                         LCID /*lcid*/, DISPID* /*ids*/) {
    return E_NOTIMPL;
}

HRESULT CWMPEventDispatch::Invoke(DISPID member, const IID& /*riid*/, LCID /*lcid*/, WORD /*flags*/,
                                  DISPPARAMS* params, VARIANT* /*result*/, EXCEPINFO* /*exception*/,
                                  UINT* argError) {
    if (!params) {
        return E_POINTER;
    }
    if (params->cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }
    return InvokeEvent(member, *params, argError);
}

HRESULT CWMPEventDispatch::InvokeEvent(DISPID member, const DISPPARAMS& params, UINT* argError) {
    bool known = false;
    const std::string_view signature = Signature(member, &known);
    if (!known) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params.cArgs != signature.size() || (params.cArgs != 0 && !params.rgvarg)) {
        return DISP_E_BADPARAMCOUNT;
    }
    const CArguments args(params);
    auto mismatch = [&](UINT first) {
        if (argError) {
            *argError = params.cArgs - 1 - first; // position in the block, which runs last first
        }
        return DISP_E_TYPEMISMATCH;
    };
    ComPtr<IWMPSyncDevice> device;
    for (UINT i = 0; i < params.cArgs; ++i) {
        if (!Fits(signature[i], args.At(i)) || (signature[i] == 'u' && !args.Device(i, &device))) {
            return mismatch(i);
        }
    }

    switch (member) {
    case DISPID_WMPEVENT_OPENSTATECHANGE:
        OpenStateChange(args.Long(0));
        break;
    case DISPID_WMPEVENT_STATUSCHANGE:
        StatusChange();
        break;
    case DISPID_WMPEVENT_PLAYSTATECHANGE:
        PlayStateChange(args.Long(0));
        break;
    case DISPID_WMPEVENT_AUDIOLANGUAGECHANGE:
        AudioLanguageChange(args.Long(0));
        break;
    case DISPID_WMPEVENT_ENDOFSTREAM:
        EndOfStream(args.Long(0));
        break;
    case DISPID_WMPEVENT_POSITIONCHANGE:
        PositionChange(args.Double(0), args.Double(1));
        break;
    case DISPID_WMPEVENT_MARKERHIT:
        MarkerHit(args.Long(0));
        break;
    case DISPID_WMPEVENT_DURATIONUNITCHANGE:
        DurationUnitChange(args.Long(0));
        break;
    case DISPID_WMPEVENT_SCRIPTCOMMAND:
        ScriptCommand(args.String(0), args.String(1));
        break;
    case DISPID_WMPEVENT_DISCONNECT:
        Disconnect(args.Long(0));
        break;
    case DISPID_WMPEVENT_BUFFERING:
        Buffering(args.Bool(0));
        break;
    case DISPID_WMPEVENT_NEWSTREAM:
        NewStream();
        break;
    case DISPID_WMPEVENT_ERROR:
        Error();
        break;
    case DISPID_WMPEVENT_WARNING:
        Warning(args.Long(0), args.Long(1), args.String(2));
        break;
    case DISPID_WMPEVENT_CDROMMEDIACHANGE:
        CdromMediaChange(args.Long(0));
        break;
    case DISPID_WMPEVENT_PLAYLISTCHANGE:
        PlaylistChange(args.Object(0), static_cast<WMPPlaylistChangeEventType>(args.Long(1)));
        break;
    case DISPID_WMPEVENT_MEDIACHANGE:
        MediaChange(args.Object(0));
        break;
    case DISPID_WMPEVENT_CURRENTMEDIAITEMAVAILABLE:
        CurrentMediaItemAvailable(args.String(0));
        break;
    case DISPID_WMPEVENT_CURRENTPLAYLISTCHANGE:
        CurrentPlaylistChange(static_cast<WMPPlaylistChangeEventType>(args.Long(0)));
        break;
    case DISPID_WMPEVENT_CURRENTPLAYLISTITEMAVAILABLE:
        CurrentPlaylistItemAvailable(args.String(0));
        break;
    case DISPID_WMPEVENT_CURRENTITEMCHANGE:
        CurrentItemChange(args.Object(0));
        break;
    case DISPID_WMPEVENT_MEDIACOLLECTIONCHANGE:
        MediaCollectionChange();
        break;
    case DISPID_WMPEVENT_MEDIACOLLECTIONATTRIBUTESTRINGADDED:
        MediaCollectionAttributeStringAdded(args.String(0), args.String(1));
        break;
    case DISPID_WMPEVENT_MEDIACOLLECTIONATTRIBUTESTRINGREMOVED:
        MediaCollectionAttributeStringRemoved(args.String(0), args.String(1));
        break;
    case DISPID_WMPEVENT_PLAYLISTCOLLECTIONCHANGE:
        PlaylistCollectionChange();
        break;
    case DISPID_WMPEVENT_PLAYLISTCOLLECTIONPLAYLISTADDED:
        PlaylistCollectionPlaylistAdded(args.String(0));
        break;
    case DISPID_WMPEVENT_PLAYLISTCOLLECTIONPLAYLISTREMOVED:
        PlaylistCollectionPlaylistRemoved(args.String(0));
        break;
    case DISPID_WMPEVENT_PLAYLISTCOLLECTIONPLAYLISTSETASDELETED:
        PlaylistCollectionPlaylistSetAsDeleted(args.String(0), args.Bool(1));
        break;
    case DISPID_WMPEVENT_MODECHANGE:
        ModeChange(args.String(0), args.Bool(1));
        break;
    case DISPID_WMPEVENT_MEDIACOLLECTIONATTRIBUTESTRINGCHANGED:
        MediaCollectionAttributeStringChanged(args.String(0), args.String(1), args.String(2));
        break;
    case DISPID_WMPEVENT_MEDIAERROR:
        MediaError(args.Object(0));
        break;
    case DISPID_WMPEVENT_DOMAINCHANGE:
        DomainChange(args.String(0));
        break;
    case DISPID_WMPEVENT_OPENPLAYLISTSWITCH:
        OpenPlaylistSwitch(args.Object(0));
        break;
    case DISPID_WMPEVENT_SWITCHEDTOPLAYERAPPLICATION:
        SwitchedToPlayerApplication();
        break;
    case DISPID_WMPEVENT_SWITCHEDTOCONTROL:
        SwitchedToControl();
        break;
    case DISPID_WMPEVENT_PLAYERDOCKEDSTATECHANGE:
        PlayerDockedStateChange();
        break;
    case DISPID_WMPEVENT_PLAYERRECONNECT:
        PlayerReconnect();
        break;
    case DISPID_WMPEVENT_CLICK:
        Click(args.Short(0), args.Short(1), args.Long(2), args.Long(3));
        break;
    case DISPID_WMPEVENT_DOUBLECLICK:
        DoubleClick(args.Short(0), args.Short(1), args.Long(2), args.Long(3));
        break;
    case DISPID_WMPEVENT_KEYDOWN:
        KeyDown(args.Short(0), args.Short(1));
        break;
    case DISPID_WMPEVENT_KEYPRESS:
        KeyPress(args.Short(0));
        break;
    case DISPID_WMPEVENT_KEYUP:
        KeyUp(args.Short(0), args.Short(1));
        break;
    case DISPID_WMPEVENT_MOUSEDOWN:
        MouseDown(args.Short(0), args.Short(1), args.Long(2), args.Long(3));
        break;
    case DISPID_WMPEVENT_MOUSEMOVE:
        MouseMove(args.Short(0), args.Short(1), args.Long(2), args.Long(3));
        break;
    case DISPID_WMPEVENT_MOUSEUP:
        MouseUp(args.Short(0), args.Short(1), args.Long(2), args.Long(3));
        break;
    case DISPID_WMPEVENT_DEVICECONNECT:
        DeviceConnect(device.Get());
        break;
    case DISPID_WMPEVENT_DEVICEDISCONNECT:
        DeviceDisconnect(device.Get());
        break;
    case DISPID_WMPEVENT_DEVICESTATUSCHANGE:
        DeviceStatusChange(device.Get(), static_cast<WMPDeviceStatus>(args.Long(1)));
        break;
    case DISPID_WMPEVENT_DEVICESYNCSTATECHANGE:
        DeviceSyncStateChange(device.Get(), static_cast<WMPSyncState>(args.Long(1)));
        break;
    case DISPID_WMPEVENT_DEVICESYNCERROR:
        DeviceSyncError(device.Get(), args.Object(1));
        break;
    case DISPID_WMPEVENT_CREATEPARTNERSHIPCOMPLETE:
        CreatePartnershipComplete(device.Get(), args.Result(1));
        break;
    default:
        break;
    }
    return DISP_E_MEMBERNOTFOUND;
}
