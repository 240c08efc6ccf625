#pragma once
// Every CD drive of the volume table, in letter order.

#include "mediaengine/core/NoDispatch.h"
#include "platform/wmp/Wmp.h"

#include <memory>

class CCdDrives;
class CEngineFaults;
class CRipSessions;

class CCdromCollection : public IWMPCdromCollection {
public:
    CCdromCollection(std::shared_ptr<CCdDrives> drives, std::shared_ptr<CRipSessions> rips,
                     std::shared_ptr<CEngineFaults> faults, int majorVersion);

    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_NO_DISPATCH

    HRESULT get_count(long* count) override;
    HRESULT item(long index, IWMPCdrom** drive) override;

private:
    std::shared_ptr<CCdDrives> m_drives;
    std::shared_ptr<CRipSessions> m_rips;
    std::shared_ptr<CEngineFaults> m_faults;
    int m_majorVersion;
};
