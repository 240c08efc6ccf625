#pragma once
// The playlist of a CD drive: one item per audio track of the disc in it, in track order; empty
// and named "ドライブにディスクがありません" when the drive holds no readable disc. Its "TOC"
// attribute identifies the disc. Renaming it names the album and fires PlaylistChange (name change).

#include "mediaengine/cd/CdDisc.h"
#include "mediaengine/cd/CdMedia.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/EngineContext.h"
#include "mediaengine/core/EngineItem.h"
#include "mediaengine/core/NoDispatch.h"
#include "platform/com/ComPtr.h"
#include "platform/wmp/Wmp.h"

#include <memory>
#include <vector>

class CCdDrives;

class CCdPlaylist : public IWMPPlaylist, public IEngineItem {
public:
    CCdPlaylist(std::weak_ptr<CCdDrives> drives, EngineContext context, std::shared_ptr<CCdDisc> disc);

    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_COUNTED
    OLLIVANE_NO_DISPATCH

    HRESULT get_count(long* count) override;
    HRESULT get_name(BSTR* name) override;
    HRESULT put_name(BSTR name) override;
    HRESULT get_Item(long index, IWMPMedia** item) override;
    HRESULT getItemInfo(BSTR attribute, BSTR* value) override;
    HRESULT get_isIdentical(IWMPPlaylist* other, VARIANT_BOOL* identical) override;
    // A CD playlist always lists the whole disc.
    HRESULT removeItem(IWMPMedia* item) override;

    QString IdentityKey() const override;
    qint64 LibraryId() const override { return 0; }

    const std::shared_ptr<CCdDisc>& Disc() const { return m_disc; }
    // The item object of a position (the same object every time); null out of range.
    ComPtr<CCdMedia> Item(int position) const;

private:
    bool Fails(const char* call) const;
    bool FailsPrecisely(const char* call) const;

    std::weak_ptr<CCdDrives> m_drives;
    EngineContext m_context;
    std::shared_ptr<CCdDisc> m_disc;
    std::vector<ComPtr<CCdMedia>> m_items;
};
