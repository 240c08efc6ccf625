#pragma once
// The player's library: media items, playlists (query results that stay current as the library
// changes) and the media collection that answers the queries.

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Variant.h"
#include "platform/wmp/WmpIds.h"

class IWMPMedia;
class IWMPPlaylist;

// One item: a CD track, a ripped file, or a playlist entry of the library. The program reads and
// writes its attributes ("Title", "WM/TrackNumber", "Status", "SelectedForRip", "Sync01"...),
// names tracks, and finds the ripped file through the source URL.
class IWMPMedia : public IDispatch {
public:
    virtual HRESULT get_isIdentical(IWMPMedia* other, VARIANT_BOOL* identical) = 0;
    virtual HRESULT get_sourceURL(BSTR* url) = 0;
    virtual HRESULT get_name(BSTR* name) = 0;
    virtual HRESULT put_name(BSTR name) = 0;
    // Seconds.
    virtual HRESULT get_duration(double* seconds) = 0;
    // The player's own "m:ss" text.
    virtual HRESULT get_durationString(BSTR* text) = 0;
    virtual HRESULT getItemInfo(BSTR attribute, BSTR* value) = 0;
    virtual HRESULT setItemInfo(BSTR attribute, BSTR value) = 0;
};

// An ordered list of items: the CD's tracks, or the result of a library query (an album). The
// program counts, walks and trims it, reads its "TOC" and "name" attributes and renames the CD.
class IWMPPlaylist : public IDispatch {
public:
    virtual HRESULT get_count(long* count) = 0;
    virtual HRESULT get_name(BSTR* name) = 0;
    virtual HRESULT put_name(BSTR name) = 0;
    virtual HRESULT get_Item(long index, IWMPMedia** item) = 0;
    virtual HRESULT getItemInfo(BSTR attribute, BSTR* value) = 0;
    virtual HRESULT get_isIdentical(IWMPPlaylist* other, VARIANT_BOOL* identical) = 0;
    virtual HRESULT removeItem(IWMPMedia* item) = 0;
};

// The library's playlists. The program only takes and holds it while device synchronisation is
// bound; it calls nothing on it.
class IWMPPlaylistCollection : public IDispatch {};

// The library. The program finds a disc's rips by "TOC" or album, prunes and removes rips (with
// or without their file), and adds files back.
class IWMPMediaCollection : public IDispatch {
public:
    virtual HRESULT add(BSTR url, IWMPMedia** item) = 0;
    virtual HRESULT getByAlbum(BSTR album, IWMPPlaylist** playlist) = 0;
    virtual HRESULT getByAttribute(BSTR attribute, BSTR value, IWMPPlaylist** playlist) = 0;
    // deleteFile VARIANT_TRUE also deletes the item's file from the disk.
    virtual HRESULT remove(IWMPMedia* item, VARIANT_BOOL deleteFile) = 0;
};

OLLIVANE_DEFINE_IID(IWMPMedia, OLLIVANE_IID_IWMPMedia);
OLLIVANE_DEFINE_IID(IWMPPlaylist, OLLIVANE_IID_IWMPPlaylist);
OLLIVANE_DEFINE_IID(IWMPPlaylistCollection, OLLIVANE_IID_IWMPPlaylistCollection);
OLLIVANE_DEFINE_IID(IWMPMediaCollection, OLLIVANE_IID_IWMPMediaCollection);

// Change kinds reported by PlaylistChange and CurrentPlaylistChange.
enum WMPPlaylistChangeEventType {
    wmplcUnknown = 0,
    wmplcClear = 1,
    wmplcInfoChange = 2,
    wmplcMove = 3,
    wmplcDelete = 4,
    wmplcInsert = 5,
    wmplcAppend = 6,
    wmplcPrivate = 7,
    wmplcNameChange = 8, // the program re-reads the disc when the CD playlist is renamed
    wmplcMorph = 9,
    wmplcSort = 10,
    wmplcLast = 11,
};
