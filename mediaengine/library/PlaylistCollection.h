#pragma once
// The library's playlists. The program only holds it; the playlists themselves are library entries
// with "MediaType" "playlist", reached through the media collection.

#include "mediaengine/core/NoDispatch.h"
#include "platform/wmp/Wmp.h"

class CPlaylistCollection : public IWMPPlaylistCollection {
public:
    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_NO_DISPATCH
};
