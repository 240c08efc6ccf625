#pragma once
// One destination in the destination list: a portable player the media player reports as a
// synchronisation device, or a removable drive with a card in it. A value, copied in and out of
// the list; an index into the list holds only until the next refresh.

#include <QString>

class CDevInfo {
public:
    // What the combo box shows.
    QString name;
    // "E:" for a drive entry; empty for a player entry.
    QString path;
    // The player's "SerialNumber" item for a player entry; empty for a drive entry.
    QString serial;
    // The player's device index for a player entry; for a drive entry the index of the player
    // device found on that drive, or -1. Replaced by the partnership index once selected.
    long index = -1;

    bool IsDrive() const { return !path.isEmpty(); }
};
