#pragma once
// A player that reports a disc exactly as a test describes it: more tracks than a CD holds, a
// length text of its own, items that cannot be read. Registered under the player's class id, it is
// created in a host window like the real one, so the CD source meets it through the same calls.

#include "mediaengine/core/NoDispatch.h"
#include "platform/com/Com.h"
#include "platform/wmp/Wmp.h"

#include <QMap>
#include <QString>
#include <vector>

struct FakeTrack {
    QString title; // null: the item has no "Title"
    double seconds = 0;
    QString durationText;
    bool unreadable = false; // the playlist cannot hand this item out
};

struct FakeDisc {
    QString version = QStringLiteral("11.0.5721.5145");
    QString name = QStringLiteral("Fake");
    std::vector<FakeTrack> tracks;
};

class CFakeMedia : public IWMPMedia {
public:
    explicit CFakeMedia(FakeTrack track) : m_track(std::move(track)) {}
    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_NO_DISPATCH
    HRESULT get_isIdentical(IWMPMedia* other, VARIANT_BOOL* identical) override;
    HRESULT get_sourceURL(BSTR* url) override;
    HRESULT get_name(BSTR* name) override;
    HRESULT put_name(BSTR name) override;
    HRESULT get_duration(double* seconds) override;
    HRESULT get_durationString(BSTR* text) override;
    HRESULT getItemInfo(BSTR attribute, BSTR* value) override;
    HRESULT setItemInfo(BSTR attribute, BSTR value) override;

private:
    FakeTrack m_track;
    QMap<QString, QString> m_attributes;
};

class CFakePlaylist : public IWMPPlaylist {
public:
    explicit CFakePlaylist(const FakeDisc& disc);
    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_NO_DISPATCH
    HRESULT get_count(long* count) override;
    HRESULT get_name(BSTR* name) override;
    HRESULT put_name(BSTR name) override;
    HRESULT get_Item(long index, IWMPMedia** item) override;
    HRESULT getItemInfo(BSTR attribute, BSTR* value) override;
    HRESULT get_isIdentical(IWMPPlaylist* other, VARIANT_BOOL* identical) override;
    HRESULT removeItem(IWMPMedia* item) override;

private:
    QString m_name;
    std::vector<ComPtr<IWMPMedia>> m_items;
    std::vector<bool> m_unreadable;
};

class CFakeCdrom : public IWMPCdrom, public IWMPCdromCollection {
public:
    explicit CFakeCdrom(const FakeDisc& disc);
    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_NO_DISPATCH
    HRESULT get_driveSpecifier(BSTR* drive) override;
    HRESULT get_playlist(IWMPPlaylist** playlist) override;
    HRESULT eject() override { return S_OK; }
    HRESULT get_count(long* count) override;
    HRESULT item(long index, IWMPCdrom** drive) override;

private:
    ComPtr<IWMPPlaylist> m_playlist;
};

class CFakeLibrary : public IWMPMediaCollection {
public:
    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_NO_DISPATCH
    HRESULT add(BSTR, IWMPMedia**) override { return E_NOTIMPL; }
    HRESULT getByAlbum(BSTR, IWMPPlaylist**) override { return E_NOTIMPL; }
    HRESULT getByAttribute(BSTR, BSTR, IWMPPlaylist**) override { return E_NOTIMPL; }
    HRESULT remove(IWMPMedia*, VARIANT_BOOL) override { return E_NOTIMPL; }
};

class CFakePlayer : public IWMPPlayer4 {
public:
    explicit CFakePlayer(const FakeDisc& disc);
    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_NO_DISPATCH
    HRESULT close() override { return S_OK; }
    HRESULT get_controls(IWMPControls**) override { return E_NOTIMPL; }
    HRESULT get_mediaCollection(IWMPMediaCollection** library) override;
    HRESULT get_playlistCollection(IWMPPlaylistCollection**) override { return E_NOTIMPL; }
    HRESULT get_versionInfo(BSTR* version) override;
    HRESULT get_cdromCollection(IWMPCdromCollection** drives) override;
    HRESULT newMedia(BSTR, IWMPMedia**) override { return E_NOTIMPL; }

private:
    QString m_version;
    ComPtr<CComObject<CFakeCdrom>> m_cdrom;
    ComPtr<CComObject<CFakeLibrary>> m_library;
};
