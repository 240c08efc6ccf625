#pragma once
// One track of the disc in a CD drive, as an item of that drive's CD playlist.

#include "mediaengine/cd/CdDisc.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/EngineContext.h"
#include "mediaengine/core/EngineItem.h"
#include "mediaengine/core/NoDispatch.h"
#include "platform/wmp/Wmp.h"

#include <memory>

class CCdDrives;

class CCdMedia : public IWMPMedia, public IEngineItem {
public:
    CCdMedia(std::weak_ptr<CCdDrives> drives, EngineContext context, std::shared_ptr<CCdDisc> disc,
             int position);

    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_COUNTED
    OLLIVANE_NO_DISPATCH

    HRESULT get_isIdentical(IWMPMedia* other, VARIANT_BOOL* identical) override;
    HRESULT get_sourceURL(BSTR* url) override;
    HRESULT get_name(BSTR* name) override;
    HRESULT put_name(BSTR name) override;
    HRESULT get_duration(double* seconds) override;
    HRESULT get_durationString(BSTR* text) override;
    HRESULT getItemInfo(BSTR attribute, BSTR* value) override;
    HRESULT setItemInfo(BSTR attribute, BSTR value) override;

    QString IdentityKey() const override;
    qint64 LibraryId() const override { return 0; }

    int Position() const { return m_position; }

private:
    bool Fails(const char* call) const;
    bool FailsPrecisely(const char* call) const;
    void NotifyRenamed() const;

    std::weak_ptr<CCdDrives> m_drives;
    EngineContext m_context;
    std::shared_ptr<CCdDisc> m_disc;
    int m_position;
};
