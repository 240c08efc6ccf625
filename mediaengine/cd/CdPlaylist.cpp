#include "mediaengine/cd/CdPlaylist.h"

#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/MediaText.h"

CCdPlaylist::CCdPlaylist(std::weak_ptr<CCdDrives> drives, EngineContext context,
                         std::shared_ptr<CCdDisc> disc)
    : m_drives(std::move(drives)), m_context(std::move(context)), m_disc(std::move(disc)) {
    for (int i = 0; i < m_disc->TrackCount(); ++i) {
        m_items.push_back(MakeComObject<CCdMedia>(m_drives, m_context, m_disc, i));
    }
}

HRESULT CCdPlaylist::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPPlaylist>(),
                             ComInterfaceVia<IDispatch, IWMPPlaylist>(), ComInterface<IEngineItem>());
}

bool CCdPlaylist::Fails(const char* call) const {
    return m_context.faults->Fails(EngineObject::CdPlaylist, call);
}

bool CCdPlaylist::FailsPrecisely(const char* call) const {
    return m_context.faults->FailsPrecisely(EngineObject::CdPlaylist, call);
}

QString CCdPlaylist::IdentityKey() const {
    return QStringLiteral("cdlist:%1").arg(quintptr(m_disc.get()));
}

ComPtr<CCdMedia> CCdPlaylist::Item(int position) const {
    if (position < 0 || position >= int(m_items.size())) {
        return nullptr;
    }
    return m_items[std::size_t(position)];
}

HRESULT CCdPlaylist::get_count(long* count) {
    if (!count) {
        return E_POINTER;
    }
    if (FailsPrecisely("get_count")) {
        return E_FAIL;
    }
    *count = long(m_items.size());
    return S_OK;
}

HRESULT CCdPlaylist::get_name(BSTR* name) {
    if (FailsPrecisely("get_name")) {
        return E_FAIL;
    }
    return ReturnText(m_disc->Name(), name);
}

HRESULT CCdPlaylist::put_name(BSTR name) {
    if (Fails("put_name")) {
        return E_FAIL;
    }
    if (!m_disc->HasDisc()) {
        return E_FAIL; // an empty drive has no album to name
    }
    m_disc->NameAlbum(BstrToQString(name));
    const ComPtr<IWMPPlaylist> self(this); // held until the event is told
    m_context.events->Fire(
        [self](IEngineEvents& events) { events.FirePlaylistChange(self.Get(), wmplcNameChange); });
    return S_OK;
}

HRESULT CCdPlaylist::get_Item(long index, IWMPMedia** item) {
    if (!item) {
        return E_POINTER;
    }
    *item = nullptr;
    if (Fails("get_Item")) {
        return E_FAIL;
    }
    const ComPtr<CCdMedia> found = Item(int(index));
    if (!found) {
        return E_INVALIDARG;
    }
    return ReturnObject<IWMPMedia>(found, item);
}

HRESULT CCdPlaylist::getItemInfo(BSTR attribute, BSTR* value) {
    if (Fails("getItemInfo")) {
        return E_FAIL;
    }
    const QString name = BstrToQString(attribute);
    if (name.compare(QLatin1String("TOC"), Qt::CaseInsensitive) == 0) {
        return ReturnText(m_disc->Toc(), value);
    }
    if (name.compare(QLatin1String("name"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("Title"), Qt::CaseInsensitive) == 0) {
        return ReturnText(m_disc->Name(), value);
    }
    if (name.compare(QLatin1String("Album"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("WM/AlbumTitle"), Qt::CaseInsensitive) == 0) {
        return ReturnText(m_disc->Album(), value);
    }
    if (name.compare(QLatin1String("WM/AlbumArtist"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("Artist"), Qt::CaseInsensitive) == 0) {
        return ReturnText(m_disc->AlbumArtist(), value);
    }
    return ReturnText(QString(), value);
}

HRESULT CCdPlaylist::get_isIdentical(IWMPPlaylist* other, VARIANT_BOOL* identical) {
    if (FailsPrecisely("get_isIdentical")) {
        return E_FAIL;
    }
    return CMediaText::Identical(this, other, identical);
}

HRESULT CCdPlaylist::removeItem(IWMPMedia*) {
    if (FailsPrecisely("removeItem")) {
        return E_FAIL;
    }
    return E_NOTIMPL;
}
