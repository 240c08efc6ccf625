#include "mediaengine/cd/CdromCollection.h"

#include "mediaengine/cd/Cdrom.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/Engine.h"

CCdromCollection::CCdromCollection(std::shared_ptr<CEngine> engine) : m_engine(std::move(engine)) {}

HRESULT CCdromCollection::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPCdromCollection>(),
                             ComInterfaceVia<IDispatch, IWMPCdromCollection>());
}

HRESULT CCdromCollection::get_count(long* count) {
    if (!count) {
        return E_POINTER;
    }
    if (m_engine->Faults().FailsPrecisely(EngineObject::CdromCollection, "get_count")) {
        return E_FAIL;
    }
    *count = m_engine->CdDriveCount();
    return S_OK;
}

HRESULT CCdromCollection::item(long index, IWMPCdrom** drive) {
    if (!drive) {
        return E_POINTER;
    }
    *drive = nullptr;
    if (m_engine->Faults().Fails(EngineObject::CdromCollection, "item")) {
        return E_FAIL;
    }
    if (index < 0 || index >= m_engine->CdDriveCount()) {
        return E_INVALIDARG;
    }
    return ReturnObject<IWMPCdrom>(MakeComObject<CCdrom>(m_engine, m_engine->CdDriveLetter(int(index))),
                                   drive);
}
