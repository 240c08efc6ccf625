#pragma once
// The identifiers the metadata services know a disc by, computed from its table of contents with
// libdiscid: the MusicBrainz disc id, the CDDB (freedb) disc id and the forms of the TOC each
// service's query takes. Only the leading run of audio tracks counts, as on an enhanced CD.

#include "mediaengine/disc/DiscInfo.h"

#include <QList>
#include <QString>

struct DiscIds {
    QString musicBrainz; // 28 characters; empty when the TOC cannot make one
    QString cddb;        // 8 hexadecimal digits
    int firstTrack = 0;  // disc numbers of the first and last audio track
    int lastTrack = 0;
    int leadOut = 0;    // sector address (logical + 150) of the audio session's end
    QList<int> offsets; // sector addresses (logical + 150) of the audio tracks' starts

    bool IsValid() const { return !musicBrainz.isEmpty(); }
    int TrackCount() const { return int(offsets.size()); }
    // The "toc" parameter of a MusicBrainz TOC lookup: first+last+lead-out+offsets.
    QString MusicBrainzToc() const;
    // The arguments of a CDDB "query" command: id, track count, offsets, length in seconds.
    QString CddbQueryArguments() const;

    // Empty ids when the disc has no audio track or libdiscid refuses the layout.
    static DiscIds Of(const DiscInfo& info);
};
