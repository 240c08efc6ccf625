#pragma once
// The library as the program reaches it: queries that answer live playlists, adding a file (its
// tags read with TagLib) and removing an entry, with or without its file.

#include "mediaengine/core/NoDispatch.h"
#include "platform/wmp/Wmp.h"

#include <memory>

class CEngineLibrary;

class CMediaCollection : public IWMPMediaCollection {
public:
    explicit CMediaCollection(std::shared_ptr<CEngineLibrary> library);

    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_NO_DISPATCH

    // Adds the file at url (a Windows path), or refreshes its entry from the file's tag.
    HRESULT add(BSTR url, IWMPMedia** item) override;
    // Entries whose "WM/AlbumTitle" or "Album" is album.
    HRESULT getByAlbum(BSTR album, IWMPPlaylist** playlist) override;
    // Entries whose attribute has that value (compared without regard to case).
    HRESULT getByAttribute(BSTR attribute, BSTR value, IWMPPlaylist** playlist) override;
    // With deleteFile the file goes too, once no reader has it open any more.
    HRESULT remove(IWMPMedia* item, VARIANT_BOOL deleteFile) override;

private:
    std::shared_ptr<CEngineLibrary> m_service;
};
