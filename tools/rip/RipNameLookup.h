#pragma once
// Names for a disc the rip tool is about to rip, as the player would find them: the disc's own
// text first; what it lacks from the engine's cache of answers, else from the metadata services
// (unless switched off, or the player's preferences keep it offline). Says where they came from.

#include "mediaengine/disc/DiscInfo.h"
#include "mediaengine/lookup/LookupSettings.h"

#include <QString>

class CRipNameLookup {
public:
    // Fills the empty album, artist, titles and track artists of `disc`; `cacheFile` is the
    // engine's library database (used only when it exists). Returns one line for the user.
    static QString Fill(DiscInfo* disc, bool online, const QString& cacheFile,
                        const LookupSettings& settings);
};
