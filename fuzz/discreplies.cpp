// The answers of the disc metadata services: MusicBrainz's JSON, a CDDB server's query and read
// replies, and the cache's own form. Every input goes to every parser.
#include "fuzz/support/FuzzScratch.h"
#include "mediaengine/lookup/CddbReply.h"
#include "mediaengine/lookup/MusicBrainzReply.h"

#include <QRegularExpression>

namespace {

void CheckName(const QString& text) {
    CFuzzScratch::Check(text.size() <= DiscNames::kMaxLength, "a name longer than the limit");
    CFuzzScratch::Check(text.isValidUtf16(), "a name in broken UTF-16");
    for (QChar c : text) {
        CFuzzScratch::Check(c.category() != QChar::Other_Control, "a control character in a name");
    }
}

void CheckNames(const DiscNames& names, int trackCount) {
    CFuzzScratch::Check(trackCount < 0 || names.tracks.size() == trackCount,
                        "names for another number of tracks");
    CheckName(names.album);
    CheckName(names.albumArtist);
    for (const TrackNames& track : names.tracks) {
        CheckName(track.title);
        CheckName(track.artist);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFuzzScratch::Get();
    const QByteArray bytes = CFuzzScratch::Bytes(data, size);
    for (const int count : {1, 3, 12}) {
        for (const QString& id : {QString(), QStringLiteral("5GC2xPukEmCEOLJDB.a3MaCV0.Y-")}) {
            const MusicBrainzReply reply = MusicBrainzReply::Parse(bytes, id, count, {"JP", "Jpan"});
            if (reply.outcome == MusicBrainzReply::Outcome::Found) {
                CheckNames(reply.names, count);
            }
        }
        const CddbReply entry = CddbReply::ParseEntry(bytes, count);
        if (entry.outcome == CddbReply::Outcome::Found) {
            CheckNames(entry.names, count);
        }
    }
    static const QRegularExpression safe(QStringLiteral("^[a-z]+/[0-9a-f]{8}$"));
    const CddbReply query = CddbReply::ParseQuery(bytes);
    CFuzzScratch::Check(query.outcome != CddbReply::Outcome::Found || !query.matches.isEmpty(),
                        "found without a match");
    for (const CddbMatch& match : query.matches) {
        CFuzzScratch::Check(safe.match(match.category + QLatin1Char('/') + match.discId).hasMatch(),
                            "a match that cannot go into a read command as it is");
    }
    if (const std::optional<DiscNames> cached = DiscNames::FromJson(bytes)) {
        CheckNames(*cached, -1);
    }
    return 0;
}
