#pragma once
// Faults the program's tests can ask the engine for, through its configuration or its test
// interface (IMediaEngineTest).

#include <QSet>
#include <QString>

struct MediaEngineFaults {
    // The rip stops making progress inside this track (1-based, 0: never).
    int stallAtTrack = 0;
    // This track is ripped to a file of size 0 (1-based, 0: never).
    int zeroSizeTrack = 0;
    // Reading this sector of the disc fails as on a scratched disc (logical address, -1: never).
    int unreadableSector = -1;
    // Every read of the disc fails, as in a drive that reports a disc it cannot read.
    bool unreadableDisc = false;
    // Calls that fail with E_FAIL, named as in the contract. A plain name ("startRip",
    // "getByAttribute", "getDevice", "getItemInfo"...) fails that call on every kind of object that
    // has always offered it as a fault. "<kind>.<call>" fails it on one kind of object alone, for
    // every call of the contract: "cdItem.getItemInfo", "queryPlaylist.get_count",
    // "device.get_status", "device.isIdentical"... The kinds are player, cdroms (the CD-ROM
    // collection), cdrom, cdPlaylist, cdItem, library (the media collection), queryPlaylist (a
    // library query's answer), libraryItem, fileItem (made by newMedia), playlists (the playlist
    // collection) and device; "playlist.<call>" names both kinds of playlist and "item.<call>" the
    // three kinds of media item.
    QSet<QString> failingCalls;
    // Devices (by device id) whose synchronisation fails: once one starts synchronising, the engine
    // reports DeviceSyncError for it on the next turn and its synchronisation stops.
    QSet<QString> syncErrorDevices;
};
