#pragma once
// One rip as the object model asks for it: which disc, which tracks, and the player preferences
// read from the registry when the rip starts.

#include "mediaengine/disc/DiscInfo.h"

#include <QList>
#include <QString>
#include <functional>

struct RipPreferences {
    QString recordFolder; // host path of "CDRecordPath"
    QString fileDetail;   // "CDRecordFileDetail", e.g. "*TrackNumber;*SongTitle;Artist;Album;Genre;Bitrate"
    QString separator;    // "CDRecordFileSeparator"
    int bitrate = 128000; // "MP3RecordRate", bits per second, constant bit rate
    // Length of "CDRecordPath" as the program writes it (a Windows path). Names are shortened so a
    // whole file path stays within MAX_PATH; 0 takes the length of recordFolder instead.
    int windowsFolderLength = 0;
};

struct RipRequest {
    QString source;    // what CDiscReader::Open takes
    DiscInfo disc;     // titles as the player shows them (the user may have renamed)
    QList<int> tracks; // track numbers to rip, ascending
    RipPreferences preferences;
    // Encoder threads; 0 takes one per core. A second thread reads the disc ahead of them.
    int encoders = 0;
    // Audio read ahead of the encoders, in bytes; 0 takes the default (64 MiB).
    qint64 readAheadBytes = 0;
};

// Progress of a rip. Called on the rip's worker threads, one call at a time and in track order, as
// a rip of one track after the other would make them: a later track's progress is held back until
// every earlier track is done or has failed. Receivers hand work to the UI thread.
struct RipCallbacks {
    std::function<void(int track, int percent)> progress; // 0..100, per track
    std::function<void(int track, const QString& hostFile, qint64 bytes)> trackDone;
    std::function<void(int track, const QString& reason)> trackFailed; // nothing of it is left on disk
    std::function<void(bool stopped)> finished;                        // last call of a rip
};

// Faults that tests ask for.
struct RipFaults {
    int stallAtTrack = 0;        // the rip stops making progress inside this track (0: never)
    int zeroSizeTrack = 0;       // this track is written as an empty file (0: never)
    int unreadableSector = -1;   // reading this sector fails as on a scratched disc (-1: never)
    bool unreadableDisc = false; // every read fails, as in a drive that cannot read its disc
};
