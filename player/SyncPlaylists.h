#pragma once
// The synchronisation marks the player keeps on the playlists of its library. Every playlist entry
// carries one attribute per partnership ("Sync01" to "Sync16", decimal text); a value above 0 makes
// the player copy that playlist to the device of that partnership on its own. The program wants no
// such copy, so it writes "0" wherever a mark is set (or missing) for the device it uses.
//
// Bound while the destination side is attached to the player: the playlist collection is held, the
// media collection is borrowed from the player context (not counted). UI thread only.

#include "platform/com/ComPtr.h"
#include "platform/wmp/Wmp.h"

#include <QString>

class CSyncPlaylists {
public:
    // Lowest and highest partnership index a device can hold.
    static constexpr long kFirstPartnership = 1;
    static constexpr long kLastPartnership = 16;

    CSyncPlaylists() = default;
    ~CSyncPlaylists();
    CSyncPlaylists(const CSyncPlaylists&) = delete;
    CSyncPlaylists& operator=(const CSyncPlaylists&) = delete;

    // False when either is missing, or when the player gives no playlist collection. A previous
    // binding is let go first, whatever the outcome.
    bool Bind(IWMPCore* player, IWMPMediaCollection* mediaCollection);
    // Forgets the media collection and releases the playlist collection. Harmless when not bound.
    void Unbind();
    bool IsBound() const { return m_mediaCollection != nullptr; }

    // Sets the mark of this partnership to "0" on every library playlist whose mark is empty or
    // above 0; marks of other partnerships stay as they are. E_FAIL when not bound or when the
    // playlists cannot be listed, E_INVALIDARG for an index outside 1..16 (nothing is touched);
    // otherwise the result of the last player call made. A playlist that cannot be fetched or read
    // is skipped.
    HRESULT ClearSyncMarks(long partnershipIndex);

    // "Sync01".."Sync16" for a partnership index; empty for any other index.
    static QString SyncAttributeName(long partnershipIndex);

private:
    ComPtr<IWMPPlaylistCollection> m_playlistCollection;
    IWMPMediaCollection* m_mediaCollection = nullptr; // borrowed
};
