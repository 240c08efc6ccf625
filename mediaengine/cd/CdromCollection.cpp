#include "mediaengine/cd/CdromCollection.h"

#include "mediaengine/cd/CdDrives.h"
#include "mediaengine/cd/Cdrom.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/EngineFaults.h"

CCdromCollection::CCdromCollection(std::shared_ptr<CCdDrives> drives, std::shared_ptr<CRipSessions> rips,
                                   std::shared_ptr<CEngineFaults> faults, int majorVersion)
    : m_drives(std::move(drives)), m_rips(std::move(rips)), m_faults(std::move(faults)),
      m_majorVersion(majorVersion) {}

HRESULT CCdromCollection::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPCdromCollection>(),
                             ComInterfaceVia<IDispatch, IWMPCdromCollection>());
}

HRESULT CCdromCollection::get_count(long* count) {
    if (!count) {
        return E_POINTER;
    }
    if (m_faults->FailsPrecisely(EngineObject::CdromCollection, "get_count")) {
        return E_FAIL;
    }
    *count = m_drives->Count();
    return S_OK;
}

HRESULT CCdromCollection::item(long index, IWMPCdrom** drive) {
    if (!drive) {
        return E_POINTER;
    }
    *drive = nullptr;
    if (m_faults->Fails(EngineObject::CdromCollection, "item")) {
        return E_FAIL;
    }
    if (index < 0 || index >= m_drives->Count()) {
        return E_INVALIDARG;
    }
    return ReturnObject<IWMPCdrom>(
        MakeComObject<CCdrom>(m_drives, m_rips, m_faults, m_majorVersion, m_drives->Letter(int(index))),
        drive);
}
