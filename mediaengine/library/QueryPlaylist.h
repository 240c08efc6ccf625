#pragma once
// The answer to a library query (getByAttribute, getByAlbum): a playlist that stays current as the
// library changes. Entries that come to match appear, removed ones disappear, in the order of their
// "WM/TrackNumber". removeItem drops an entry from this playlist only; it does not come back.

#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/EngineItem.h"
#include "mediaengine/core/NoDispatch.h"
#include "mediaengine/library/Library.h"
#include "platform/wmp/Wmp.h"

#include <QList>
#include <QSet>
#include <functional>
#include <memory>

class CEngineFaults;

class CQueryPlaylist : public IWMPPlaylist, public IEngineItem {
public:
    using Predicate = std::function<bool(const LibraryEntry&)>;

    CQueryPlaylist(std::shared_ptr<CEngineFaults> faults, std::shared_ptr<CLibrary> library, QString name,
                   Predicate predicate);

    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_COUNTED
    OLLIVANE_NO_DISPATCH

    HRESULT get_count(long* count) override;
    HRESULT get_name(BSTR* name) override;
    HRESULT put_name(BSTR name) override;
    HRESULT get_Item(long index, IWMPMedia** item) override;
    HRESULT getItemInfo(BSTR attribute, BSTR* value) override;
    HRESULT get_isIdentical(IWMPPlaylist* other, VARIANT_BOOL* identical) override;
    HRESULT removeItem(IWMPMedia* item) override;

    QString IdentityKey() const override;
    qint64 LibraryId() const override { return 0; }

private:
    const QList<qint64>& Members();
    bool FailsPrecisely(const char* call) const;

    std::shared_ptr<CEngineFaults> m_faults;
    std::shared_ptr<CLibrary> m_library;
    QString m_name;
    Predicate m_predicate;
    QSet<qint64> m_removed;
    QList<qint64> m_members;
    quint64 m_seenGeneration = 0;
};
