#include "mediaengine/library/QueryPlaylist.h"

#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/EngineFaults.h"
#include "mediaengine/core/MediaText.h"
#include "mediaengine/library/LibraryMedia.h"

CQueryPlaylist::CQueryPlaylist(std::shared_ptr<CEngineFaults> faults, std::shared_ptr<CLibrary> library,
                               QString name, std::shared_ptr<const CLibrarySelection> selection)
    : m_faults(std::move(faults)), m_library(std::move(library)), m_name(std::move(name)),
      m_selection(std::move(selection)) {}

CQueryPlaylist::~CQueryPlaylist() {
    m_library->Release(std::move(m_selection));
}

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

void CQueryPlaylist::Trim() {
    if (m_trimmedVersion == m_selection->Version()) {
        return;
    }
    m_trimmedVersion = m_selection->Version();
    m_trimmed.clear();
    for (qsizetype i = 0; i < m_selection->Size(); ++i) {
        if (!m_removed.contains(m_selection->At(i))) {
            m_trimmed.append(m_selection->At(i));
        }
    }
}

qsizetype CQueryPlaylist::Count() {
    if (m_removed.isEmpty()) {
        return m_selection->Size();
    }
    Trim();
    return m_trimmed.size();
}

qint64 CQueryPlaylist::At(qsizetype position) {
    if (m_removed.isEmpty()) {
        return m_selection->At(position);
    }
    Trim();
    return m_trimmed.at(position);
}

bool CQueryPlaylist::Holds(qint64 id) {
    return !m_removed.contains(id) && m_selection->Contains(id);
}

HRESULT CQueryPlaylist::get_count(long* count) {
    if (!count) {
        return E_POINTER;
    }
    if (FailsPrecisely("get_count")) {
        return E_FAIL;
    }
    *count = long(Count());
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
    if (index < 0 || index >= Count()) {
        return E_INVALIDARG;
    }
    return ReturnObject<IWMPMedia>(MakeComObject<CLibraryMedia>(m_faults, m_library, At(index)), item);
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
    if (!id || !Holds(id)) {
        return E_INVALIDARG;
    }
    m_removed.insert(id);
    m_trimmedVersion = kStale;
    return S_OK;
}
