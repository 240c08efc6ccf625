#pragma once
// The answer to a library query (getByAttribute, getByAlbum): a playlist that stays current as the
// library changes. Entries that come to match appear, removed ones disappear, in the order of their
// "WM/TrackNumber". removeItem drops an entry from this playlist only; it does not come back.
//
// It reads the library's selection for its query, which each change of the library updates; only a
// playlist trimmed by removeItem keeps a list of its own, taken again when its selection changed.

#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/EngineItem.h"
#include "mediaengine/core/NoDispatch.h"
#include "mediaengine/library/Library.h"
#include "platform/wmp/Wmp.h"

#include <QList>
#include <QSet>
#include <memory>

class CEngineFaults;

class CQueryPlaylist : public IWMPPlaylist, public IEngineItem {
public:
    CQueryPlaylist(std::shared_ptr<CEngineFaults> faults, std::shared_ptr<CLibrary> library, QString name,
                   std::shared_ptr<const CLibrarySelection> selection);
    ~CQueryPlaylist() override;
    CQueryPlaylist(const CQueryPlaylist&) = delete;
    CQueryPlaylist& operator=(const CQueryPlaylist&) = delete;

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
    qsizetype Count();
    qint64 At(qsizetype position);
    bool Holds(qint64 id);
    // The list of a trimmed playlist, up to date.
    void Trim();
    bool FailsPrecisely(const char* call) const;

    std::shared_ptr<CEngineFaults> m_faults;
    std::shared_ptr<CLibrary> m_library;
    QString m_name;
    std::shared_ptr<const CLibrarySelection> m_selection;
    QSet<qint64> m_removed;
    QList<qint64> m_trimmed;
    static constexpr quint64 kStale = ~quint64(0);
    quint64 m_trimmedVersion = kStale;
};
