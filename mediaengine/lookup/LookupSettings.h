#pragma once
// Where and how the disc lookup asks: the servers (the public ones, or those the environment
// names: OLLIVANE_MUSICBRAINZ_URL, the server's root, and OLLIVANE_CDDB_URL, the full address of
// the CDDB HTTP script), the User-Agent, the time it may take in all and the largest answer read.

#include <QString>

struct LookupSettings {
    QString musicBrainzRoot; // requests go to <root>/ws/2/...
    QString cddbUrl;
    QString userAgent;
    int timeoutMs = 10000;            // for the whole lookup, both services together
    qint64 maxReplyBytes = 1 << 20;   // a disc's answer is a few kilobytes
    int musicBrainzIntervalMs = 1000; // the service allows one request per second

    // The defaults with the environment's servers.
    static LookupSettings FromEnvironment();
    // False when the player's preferences forbid going online: "MetadataRetrieval" 0 or
    // "ForceOnline" 0 under HKCU\Software\Microsoft\MediaPlayer\Preferences. A missing value
    // leaves the player's default, which looks up.
    static bool OnlineAllowed();
};
