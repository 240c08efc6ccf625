#pragma once
// The command line of ollivane-rip: `ollivane-rip [options] IMAGE_OR_DEVICE OUTDIR`. Parsing only
// checks the form of what was typed; whether the disc, the tracks and the folder are usable is
// decided once the disc is open.

#include <QList>
#include <QString>
#include <QStringList>

struct RipToolOptions {
    QString source;      // a .cue image or a device node
    QString outDir;      // host folder that takes the place of the player's rip folder
    QList<int> tracks;   // ascending, each once; empty: every audio track of the disc
    int bitrateKbps = 0; // 0: the player's preference
    int encoders = 0;    // 0: one per core
    bool quiet = false;
    bool lookup = true; // --no-lookup: names only from the disc, nothing asked of the network
    bool help = false;
};

class CRipCommandLine {
public:
    // MPEG-1 layer III rates that --bitrate accepts.
    static const QList<int>& Bitrates();
    // Fills `options` from the arguments after the program name. False with a one-line reason.
    static bool Parse(const QStringList& arguments, RipToolOptions* options, QString* error);
    // "1,3-5" -> 1 3 4 5 (ascending, each once). Numbers are 1..99, a range ascends.
    static bool ParseTrackList(const QString& text, QList<int>* tracks, QString* error);
    static QString Usage();
};
