#include "tests/source/FakePlayer.h"

#include "platform/com/ComBSTR.h"

namespace {
HRESULT Text(const QString& text, BSTR* out) {
    if (!out) {
        return E_POINTER;
    }
    *out = CComBSTR(text).Detach();
    return S_OK;
}

template <class I, class T> HRESULT Give(const ComPtr<T>& object, I** out) {
    if (!out) {
        return E_POINTER;
    }
    *out = object.Get();
    if (*out) {
        (*out)->AddRef();
    }
    return *out ? S_OK : E_FAIL;
}
} // namespace

HRESULT CFakeMedia::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPMedia>(),
                             ComInterfaceVia<IDispatch, IWMPMedia>());
}

HRESULT CFakeMedia::get_isIdentical(IWMPMedia* other, VARIANT_BOOL* identical) {
    *identical = other == this ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CFakeMedia::get_sourceURL(BSTR* url) {
    return Text(QString(), url);
}

HRESULT CFakeMedia::get_name(BSTR* name) {
    return Text(m_track.title, name);
}

HRESULT CFakeMedia::put_name(BSTR name) {
    m_track.title = BstrToQString(name);
    return S_OK;
}

HRESULT CFakeMedia::get_duration(double* seconds) {
    *seconds = m_track.seconds;
    return S_OK;
}

HRESULT CFakeMedia::get_durationString(BSTR* text) {
    return Text(m_track.durationText, text);
}

HRESULT CFakeMedia::getItemInfo(BSTR attribute, BSTR* value) {
    const QString name = BstrToQString(attribute);
    if (name == QLatin1String("Title")) {
        // A track without a title answers an empty text, as the player does for any missing one.
        return Text(m_track.title.isNull() ? QString() : m_track.title, value);
    }
    return Text(m_attributes.value(name), value);
}

HRESULT CFakeMedia::setItemInfo(BSTR attribute, BSTR value) {
    m_attributes.insert(BstrToQString(attribute), BstrToQString(value));
    return S_OK;
}

CFakePlaylist::CFakePlaylist(const FakeDisc& disc) : m_name(disc.name) {
    for (const FakeTrack& track : disc.tracks) {
        m_items.emplace_back(new CComObject<CFakeMedia>(track));
        m_unreadable.push_back(track.unreadable);
    }
}

HRESULT CFakePlaylist::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPPlaylist>(),
                             ComInterfaceVia<IDispatch, IWMPPlaylist>());
}

HRESULT CFakePlaylist::get_count(long* count) {
    *count = long(m_items.size());
    return S_OK;
}

HRESULT CFakePlaylist::get_name(BSTR* name) {
    return Text(m_name, name);
}

HRESULT CFakePlaylist::put_name(BSTR name) {
    m_name = BstrToQString(name);
    return S_OK;
}

HRESULT CFakePlaylist::get_Item(long index, IWMPMedia** item) {
    *item = nullptr;
    if (index < 0 || index >= long(m_items.size()) || m_unreadable[std::size_t(index)]) {
        return E_FAIL;
    }
    return Give(m_items[std::size_t(index)], item);
}

HRESULT CFakePlaylist::getItemInfo(BSTR, BSTR* value) {
    return Text(QString(), value);
}

HRESULT CFakePlaylist::get_isIdentical(IWMPPlaylist* other, VARIANT_BOOL* identical) {
    *identical = other == this ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CFakePlaylist::removeItem(IWMPMedia*) {
    return E_NOTIMPL;
}

CFakeCdrom::CFakeCdrom(const FakeDisc& disc) : m_playlist(new CComObject<CFakePlaylist>(disc)) {}

HRESULT CFakeCdrom::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPCdrom>(),
                             ComInterface<IWMPCdromCollection>(), ComInterfaceVia<IDispatch, IWMPCdrom>());
}

HRESULT CFakeCdrom::get_driveSpecifier(BSTR* drive) {
    return Text(QStringLiteral("D:"), drive);
}

HRESULT CFakeCdrom::get_playlist(IWMPPlaylist** playlist) {
    return Give(m_playlist, playlist);
}

HRESULT CFakeCdrom::get_count(long* count) {
    *count = 1;
    return S_OK;
}

HRESULT CFakeCdrom::item(long index, IWMPCdrom** drive) {
    *drive = nullptr;
    if (index != 0) {
        return E_INVALIDARG;
    }
    *drive = this;
    (*drive)->AddRef();
    return S_OK;
}

HRESULT CFakeLibrary::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPMediaCollection>(),
                             ComInterfaceVia<IDispatch, IWMPMediaCollection>());
}

CFakePlayer::CFakePlayer(const FakeDisc& disc)
    : m_version(disc.version), m_cdrom(new CComObject<CFakeCdrom>(disc)),
      m_library(new CComObject<CFakeLibrary>()) {}

HRESULT CFakePlayer::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPPlayer4>(),
                             ComInterfaceVia<IWMPCore, IWMPPlayer4>(),
                             ComInterfaceVia<IDispatch, IWMPPlayer4>());
}

HRESULT CFakePlayer::get_mediaCollection(IWMPMediaCollection** library) {
    return Give(m_library, library);
}

HRESULT CFakePlayer::get_versionInfo(BSTR* version) {
    return Text(m_version, version);
}

HRESULT CFakePlayer::get_cdromCollection(IWMPCdromCollection** drives) {
    if (!drives) {
        return E_POINTER;
    }
    *drives = m_cdrom.Get();
    m_cdrom->AddRef();
    return S_OK;
}
