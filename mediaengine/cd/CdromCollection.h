#pragma once
// Every CD drive of the volume table, in letter order.

#include "mediaengine/core/NoDispatch.h"
#include "platform/wmp/Wmp.h"

#include <memory>

class CEngine;

class CCdromCollection : public IWMPCdromCollection {
public:
    explicit CCdromCollection(std::shared_ptr<CEngine> engine);

    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_NO_DISPATCH

    HRESULT get_count(long* count) override;
    HRESULT item(long index, IWMPCdrom** drive) override;

private:
    std::shared_ptr<CEngine> m_engine;
};
