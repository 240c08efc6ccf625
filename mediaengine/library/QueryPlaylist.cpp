#include "mediaengine/library/QueryPlaylist.h"

#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/EngineFaults.h"
#include "mediaengine/core/MediaText.h"
#include "mediaengine/library/LibraryMedia.h"

CQueryPlaylist::CQueryPlaylist(std::shared_ptr<CEngineFaults> faults, std::shared_ptr<CLibrary> library,
                               QString name, Predicate predicate)
    : m_faults(std::move(faults)), m_library(std::move(library)), m_name(std::move(name)),
      m_predicate(std::move(predicate)) {}

HRESULT CQueryPlaylist::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPPlaylist>(),
                             ComInterfaceVia<IDispatch, IWMPPlaylist>(), ComInterface<IEngineItem>());
}

QString CQueryPlaylist::IdentityKey() const {
    return QStringLiteral("list:%1").arg(quintptr(this));
}

bool CQueryPlaylist::FailsPrecisely(const char* call) const {
    return m_faults->FailsPrecisely(EngineObject::QueryPlaylist, call);
}

const QList<qint64>& CQueryPlaylist::Members() {
    if (m_seenGeneration != m_library->Generation()) {
        m_seenGeneration = m_library->Generation();
        m_members = m_library->Matching([this](const LibraryEntry& entry) {
            return !m_removed.contains(entry.id) && m_predicate(entry);
        });
    }
    return m_members;
}

HRESULT CQueryPlaylist::get_count(long* count) {
    if (!count) {
        return E_POINTER;
    }
    if (FailsPrecisely("get_count")) {
        return E_FAIL;
    }
    *count = long(Members().size());
    return S_OK;
}

HRESULT CQueryPlaylist::get_name(BSTR* name) {
    if (FailsPrecisely("get_name")) {
        return E_FAIL;
    }
    return ReturnText(m_name, name);
}

HRESULT CQueryPlaylist::put_name(BSTR name) {
    if (FailsPrecisely("put_name")) {
        return E_FAIL;
    }
    m_name = BstrToQString(name);
    return S_OK;
}

HRESULT CQueryPlaylist::get_Item(long index, IWMPMedia** item) {
    if (!item) {
        return E_POINTER;
    }
    *item = nullptr;
    if (m_faults->Fails(EngineObject::QueryPlaylist, "get_Item")) {
        return E_FAIL;
    }
    const QList<qint64>& members = Members();
    if (index < 0 || index >= members.size()) {
        return E_INVALIDARG;
    }
    return ReturnObject<IWMPMedia>(MakeComObject<CLibraryMedia>(m_faults, m_library, members[index]), item);
}

HRESULT CQueryPlaylist::getItemInfo(BSTR attribute, BSTR* value) {
    if (FailsPrecisely("getItemInfo")) {
        return E_FAIL;
    }
    const QString name = BstrToQString(attribute);
    if (name.compare(QLatin1String("name"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("Title"), Qt::CaseInsensitive) == 0) {
        return ReturnText(m_name, value);
    }
    return ReturnText(QString(), value);
}

HRESULT CQueryPlaylist::get_isIdentical(IWMPPlaylist* other, VARIANT_BOOL* identical) {
    if (FailsPrecisely("get_isIdentical")) {
        return E_FAIL;
    }
    return CMediaText::Identical(this, other, identical);
}

HRESULT CQueryPlaylist::removeItem(IWMPMedia* item) {
    if (!item) {
        return E_POINTER;
    }
    if (m_faults->Fails(EngineObject::QueryPlaylist, "removeItem")) {
        return E_FAIL;
    }
    void* out = nullptr;
    if (FAILED(item->QueryInterface(IID_IEngineItem, &out)) || !out) {
        return E_INVALIDARG;
    }
    ComPtr<IEngineItem> engineItem;
    engineItem.Attach(static_cast<IEngineItem*>(out));
    const qint64 id = engineItem->LibraryId();
    if (!id || !Members().contains(id)) {
        return E_INVALIDARG;
    }
    m_removed.insert(id);
    m_members.removeAll(id);
    return S_OK;
}
