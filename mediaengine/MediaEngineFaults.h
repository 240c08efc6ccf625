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
    // Calls that fail with E_FAIL, named as in the contract: "startRip", "getByAttribute", "getDevice"...
    QSet<QString> failingCalls;
};
