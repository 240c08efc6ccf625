#include "mediaengine/cd/CdMedia.h"

#include "mediaengine/cd/CdDrives.h"
#include "mediaengine/cd/CdPlaylist.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/MediaText.h"

CCdMedia::CCdMedia(std::weak_ptr<CCdDrives> drives, EngineContext context, std::shared_ptr<CCdDisc> disc,
                   int position)
    : m_drives(std::move(drives)), m_context(std::move(context)), m_disc(std::move(disc)),
      m_position(position) {}

HRESULT CCdMedia::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPMedia>(),
                             ComInterfaceVia<IDispatch, IWMPMedia>(), ComInterface<IEngineItem>());
}

bool CCdMedia::Fails(const char* call) const {
    return m_context.faults->Fails(EngineObject::CdItem, call);
}

bool CCdMedia::FailsPrecisely(const char* call) const {
    return m_context.faults->FailsPrecisely(EngineObject::CdItem, call);
}

QString CCdMedia::IdentityKey() const {
    return QStringLiteral("cd:%1:%2").arg(quintptr(m_disc.get())).arg(m_position);
}

HRESULT CCdMedia::get_isIdentical(IWMPMedia* other, VARIANT_BOOL* identical) {
    if (FailsPrecisely("get_isIdentical")) {
        return E_FAIL;
    }
    return CMediaText::Identical(this, other, identical);
}

HRESULT CCdMedia::get_sourceURL(BSTR* url) {
    if (FailsPrecisely("get_sourceURL")) {
        return E_FAIL;
    }
    return ReturnText(QStringLiteral("wmpcd://%1/%2").arg(m_disc->Letter()).arg(m_position + 1), url);
}

HRESULT CCdMedia::get_name(BSTR* name) {
    if (FailsPrecisely("get_name")) {
        return E_FAIL;
    }
    return ReturnText(m_disc->Attribute(m_position, QStringLiteral("Title")), name);
}

HRESULT CCdMedia::put_name(BSTR name) {
    if (Fails("put_name")) {
        return E_FAIL;
    }
    m_disc->SetAttribute(m_position, QStringLiteral("Title"), BstrToQString(name));
    m_disc->MarkWritten(m_position, QStringLiteral("Title"));
    NotifyRenamed();
    return S_OK;
}

void CCdMedia::NotifyRenamed() const {
    const auto drives = m_drives.lock();
    if (!drives) {
        return;
    }
    // Renaming a track is a change of the CD playlist that holds it, while this disc is still in.
    const ComPtr<CCdPlaylist> playlist = drives->Playlist(m_disc->Letter());
    if (playlist && playlist->Disc() == m_disc) {
        const ComPtr<IWMPPlaylist> changed(playlist.Get());
        m_context.events->Fire(
            [changed](IEngineEvents& events) { events.FirePlaylistChange(changed.Get(), wmplcNameChange); });
    }
}

HRESULT CCdMedia::get_duration(double* seconds) {
    if (!seconds) {
        return E_POINTER;
    }
    if (FailsPrecisely("get_duration")) {
        return E_FAIL;
    }
    *seconds = m_disc->Track(m_position).seconds;
    return S_OK;
}

HRESULT CCdMedia::get_durationString(BSTR* text) {
    if (FailsPrecisely("get_durationString")) {
        return E_FAIL;
    }
    return ReturnText(CMediaText::Duration(m_disc->Track(m_position).seconds), text);
}

HRESULT CCdMedia::getItemInfo(BSTR attribute, BSTR* value) {
    if (Fails("getItemInfo")) {
        return E_FAIL;
    }
    const QString name = BstrToQString(attribute);
    if (name.compare(QLatin1String("SourceURL"), Qt::CaseInsensitive) == 0) {
        return get_sourceURL(value);
    }
    if (name.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) {
        return get_name(value);
    }
    return ReturnText(m_disc->Attribute(m_position, name), value);
}

HRESULT CCdMedia::setItemInfo(BSTR attribute, BSTR value) {
    if (Fails("setItemInfo")) {
        return E_FAIL;
    }
    const QString name = BstrToQString(attribute);
    if (name.isEmpty() || name.compare(QLatin1String("Status"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("Duration"), Qt::CaseInsensitive) == 0) {
        return E_INVALIDARG; // the engine's own
    }
    if (name.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) {
        return put_name(value);
    }
    m_disc->SetAttribute(m_position, name, BstrToQString(value));
    m_disc->MarkWritten(m_position, name);
    return S_OK;
}
