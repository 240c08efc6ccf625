#pragma once
// Small readers and writers for the player's items and playlists: a failing call is an absent
// value, as the CD source treats it.

#include "platform/com/ComPtr.h"
#include "platform/wmp/Wmp.h"

#include <QString>

namespace media_info {

// The attribute `name` of an item or a playlist; false (and *value empty) when the call fails.
bool Read(IWMPMedia* item, const QString& name, QString* value);
bool Read(IWMPPlaylist* list, const QString& name, QString* value);
bool Write(IWMPMedia* item, const QString& name, const QString& value);
bool ReadName(IWMPMedia* item, QString* name);
bool WriteName(IWMPMedia* item, const QString& name);
// Item count; -1 when the call fails or there is no list.
long Count(IWMPPlaylist* list);
ComPtr<IWMPMedia> Item(IWMPPlaylist* list, long index);
// Attribute values are text; numbers among them read as decimal: a leading sign and digits, 0
// when there are none (as the player's own "12" or "" reads).
long Decimal(const QString& text);
// "WM/TrackNumber" of an item; 0 when missing or unreadable.
long TrackNumberOf(IWMPMedia* item);

} // namespace media_info
