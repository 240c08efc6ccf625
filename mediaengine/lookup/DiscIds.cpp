#include "mediaengine/lookup/DiscIds.h"

#include <QStringList>
#include <discid/discid.h>
#include <memory>

namespace {
constexpr int kLeadIn = 150;       // logical sector 0 is at 00:02:00
constexpr int kSessionGap = 11400; // lead-out, lead-in and pregap between the sessions of a CD-Extra
} // namespace

QString DiscIds::MusicBrainzToc() const {
    QStringList parts{QString::number(firstTrack), QString::number(lastTrack), QString::number(leadOut)};
    for (int offset : offsets) {
        parts << QString::number(offset);
    }
    return parts.join(QLatin1Char('+'));
}

QString DiscIds::CddbQueryArguments() const {
    QStringList parts{cddb, QString::number(offsets.size())};
    for (int offset : offsets) {
        parts << QString::number(offset);
    }
    parts << QString::number(leadOut / 75);
    return parts.join(QLatin1Char(' '));
}

DiscIds DiscIds::Of(const DiscInfo& info) {
    DiscIds ids;
    int index = 0;
    while (index < info.tracks.size() && !info.tracks[index].audio) {
        ++index; // a data track in front (a mixed-mode disc) is not among the audio tracks
    }
    const int firstIndex = index;
    while (index < info.tracks.size() && info.tracks[index].audio) {
        ++index;
    }
    const int count = index - firstIndex;
    if (count <= 0 || count > 99) {
        return ids;
    }
    const DiscTrack& last = info.tracks[index - 1];
    int leadOut = last.firstSector + last.sectorCount;
    if (index < info.tracks.size()) {
        // A data session follows: the audio session ended a session gap before it.
        const int dataStart = info.tracks[index].firstSector - kSessionGap;
        if (dataStart > last.firstSector) {
            leadOut = dataStart;
        }
    }
    int offsets[100] = {};
    offsets[0] = leadOut + kLeadIn;
    for (int i = 0; i < count; ++i) {
        offsets[i + 1] = info.tracks[firstIndex + i].firstSector + kLeadIn;
    }
    const int first = info.tracks[firstIndex].number;
    const int lastNumber = first + count - 1;
    std::unique_ptr<DiscId, void (*)(DiscId*)> disc(discid_new(), discid_free);
    // libdiscid wants offsets[n] for track n: a disc starting at track 1 is the common case.
    int shifted[100] = {};
    shifted[0] = offsets[0];
    for (int i = 0; i < count && first + i < 100; ++i) {
        shifted[first + i] = offsets[i + 1];
    }
    if (!disc || lastNumber > 99 || !discid_put(disc.get(), first, lastNumber, shifted)) {
        return ids;
    }
    ids.musicBrainz = QString::fromLatin1(discid_get_id(disc.get()));
    ids.cddb = QString::fromLatin1(discid_get_freedb_id(disc.get()));
    ids.firstTrack = first;
    ids.lastTrack = lastNumber;
    ids.leadOut = offsets[0];
    for (int i = 0; i < count; ++i) {
        ids.offsets << offsets[i + 1];
    }
    return ids;
}
