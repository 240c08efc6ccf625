#include "mediaengine/library/LibraryMedia.h"

#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/EngineFaults.h"
#include "mediaengine/core/MediaText.h"

CLibraryMedia::CLibraryMedia(std::shared_ptr<CEngineFaults> faults, std::shared_ptr<CLibrary> library,
                             qint64 id)
    : m_faults(std::move(faults)), m_library(std::move(library)), m_id(id) {
    Entry();
}

bool CLibraryMedia::FailsPrecisely(const char* call) const {
    return m_faults->FailsPrecisely(EngineObject::LibraryItem, call);
}

HRESULT CLibraryMedia::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPMedia>(),
                             ComInterfaceVia<IDispatch, IWMPMedia>(), ComInterface<IEngineItem>());
}

const LibraryEntry& CLibraryMedia::Entry() {
    if (const LibraryEntry* entry = m_library->Find(m_id)) {
        m_lastSeen = *entry;
    }
    return m_lastSeen;
}

QString CLibraryMedia::IdentityKey() const {
    return QStringLiteral("lib:%1:%2").arg(quintptr(m_library.get())).arg(m_id);
}

HRESULT CLibraryMedia::get_isIdentical(IWMPMedia* other, VARIANT_BOOL* identical) {
    if (FailsPrecisely("get_isIdentical")) {
        return E_FAIL;
    }
    return CMediaText::Identical(this, other, identical);
}

HRESULT CLibraryMedia::get_sourceURL(BSTR* url) {
    if (FailsPrecisely("get_sourceURL")) {
        return E_FAIL;
    }
    return ReturnText(Entry().url, url);
}

HRESULT CLibraryMedia::get_name(BSTR* name) {
    if (FailsPrecisely("get_name")) {
        return E_FAIL;
    }
    return ReturnText(Entry().Get(QStringLiteral("Title")), name);
}

HRESULT CLibraryMedia::put_name(BSTR name) {
    if (m_faults->Fails(EngineObject::LibraryItem, "put_name")) {
        return E_FAIL;
    }
    return m_library->SetAttribute(m_id, QStringLiteral("Title"), BstrToQString(name));
}

HRESULT CLibraryMedia::get_duration(double* seconds) {
    if (!seconds) {
        return E_POINTER;
    }
    if (FailsPrecisely("get_duration")) {
        return E_FAIL;
    }
    *seconds = Entry().Get(QStringLiteral("Duration")).toDouble();
    return S_OK;
}

HRESULT CLibraryMedia::get_durationString(BSTR* text) {
    if (FailsPrecisely("get_durationString")) {
        return E_FAIL;
    }
    return ReturnText(CMediaText::Duration(Entry().Get(QStringLiteral("Duration")).toDouble()), text);
}

HRESULT CLibraryMedia::getItemInfo(BSTR attribute, BSTR* value) {
    if (m_faults->Fails(EngineObject::LibraryItem, "getItemInfo")) {
        return E_FAIL;
    }
    const QString name = BstrToQString(attribute);
    if (name.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) {
        return get_name(value);
    }
    return ReturnText(Entry().Get(name), value);
}

HRESULT CLibraryMedia::setItemInfo(BSTR attribute, BSTR value) {
    if (m_faults->Fails(EngineObject::LibraryItem, "setItemInfo")) {
        return E_FAIL;
    }
    QString name = BstrToQString(attribute);
    if (name.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) {
        name = QStringLiteral("Title");
    }
    return m_library->SetAttribute(m_id, name, BstrToQString(value));
}
