#pragma once
// One entry of the library. It answers from the library while the entry exists, and from what it
// last saw once the entry has been removed (a caller may still read the path of what it removed).
// Writes go to the library only; the file's tag is written through newMedia.

#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/EngineItem.h"
#include "mediaengine/core/NoDispatch.h"
#include "mediaengine/library/Library.h"
#include "platform/wmp/Wmp.h"

#include <memory>

class CEngineFaults;

class CLibraryMedia : public IWMPMedia, public IEngineItem {
public:
    CLibraryMedia(std::shared_ptr<CEngineFaults> faults, std::shared_ptr<CLibrary> library, qint64 id);

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
    qint64 LibraryId() const override { return m_id; }

private:
    bool FailsPrecisely(const char* call) const;
    // The entry as it is now, or as it was last seen.
    const LibraryEntry& Entry();

    std::shared_ptr<CEngineFaults> m_faults;
    std::shared_ptr<CLibrary> m_library;
    qint64 m_id;
    LibraryEntry m_lastSeen;
};
