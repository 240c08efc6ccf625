#include "mediaengine/library/PlaylistCollection.h"

HRESULT CPlaylistCollection::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPPlaylistCollection>(),
                             ComInterfaceVia<IDispatch, IWMPPlaylistCollection>());
}
