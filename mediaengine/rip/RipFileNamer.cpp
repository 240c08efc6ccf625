#include "mediaengine/rip/RipFileNamer.h"

#include <QDir>
#include <QSet>
#include <QStringList>

namespace {

constexpr int kMaxPath = 260; // including the terminating NUL
const QString kExtension = QStringLiteral(".mp3");
const QString kDefaultDetail = QStringLiteral("*TrackNumber;*SongTitle;Artist;Album;Genre;Bitrate");

bool IsReservedCharacter(char32_t c) {
    switch (c) {
    case '\\':
    case '/':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
        return true;
    default:
        return c < 0x20 || (c >= 0x7F && c <= 0x9F);
    }
}

bool IsReservedDeviceName(const QString& name) {
    QString base = name.section(QLatin1Char('.'), 0, 0);
    while (base.endsWith(QLatin1Char(' '))) {
        base.chop(1);
    }
    base = base.toUpper();
    static const QSet<QString> names = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                        QStringLiteral("NUL")};
    if (names.contains(base)) {
        return true;
    }
    return base.size() == 4 &&
           (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))) &&
           base[3] >= QLatin1Char('1') && base[3] <= QLatin1Char('9');
}

void TrimEnds(QString* text) {
    while (text->startsWith(QLatin1Char(' '))) {
        text->remove(0, 1);
    }
    while (text->endsWith(QLatin1Char(' ')) || text->endsWith(QLatin1Char('.'))) {
        text->chop(1);
    }
}

// Cuts `text` after whole characters so it keeps at most `maxUnits` UTF-16 units and `maxBytes`
// UTF-8 bytes.
QString Cut(const QString& text, int maxUnits, int maxBytes) {
    int units = 0;
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const int charUnits = pair ? 2 : 1;
        const char32_t c = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        const int charBytes = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (units + charUnits > maxUnits || bytes + charBytes > maxBytes) {
            break;
        }
        units += charUnits;
        bytes += charBytes;
        i += charUnits;
    }
    return text.left(i);
}

} // namespace

CRipFileNamer::CRipFileNamer(RipPreferences preferences, DiscInfo disc)
    : m_preferences(std::move(preferences)), m_disc(std::move(disc)) {}

QString CRipFileNamer::UnknownArtist() {
    return QStringLiteral("不明なアーティスト");
}

QString CRipFileNamer::UnknownAlbum() {
    return QStringLiteral("不明なアルバム");
}

QString CRipFileNamer::SafeName(const QString& text, int maxUnits, int maxBytes) {
    QString name;
    name.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            name += c;
            name += text[++i];
        } else if (c.isSurrogate() || IsReservedCharacter(c.unicode())) {
            name += QLatin1Char('_'); // a lone surrogate cannot be stored by any file system
        } else {
            name += c;
        }
    }
    TrimEnds(&name);
    name = Cut(name, maxUnits, maxBytes);
    TrimEnds(&name);
    if (IsReservedDeviceName(name)) {
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        name.insert(dot < 0 ? name.size() : dot, QLatin1Char('_'));
    }
    return name;
}

const DiscTrack* CRipFileNamer::Track(int number) const {
    for (const DiscTrack& track : m_disc.tracks) {
        if (track.number == number) {
            return &track;
        }
    }
    return nullptr;
}

QString CRipFileNamer::ArtistFolder() const {
    const QString name = SafeName(m_disc.artist);
    return name.isEmpty() ? UnknownArtist() : name;
}

QString CRipFileNamer::AlbumFolder() const {
    const QString name = SafeName(m_disc.album);
    return name.isEmpty() ? UnknownAlbum() : name;
}

QString CRipFileNamer::FieldValue(const QString& field, int number) const {
    const DiscTrack* track = Track(number);
    if (field == QLatin1String("TrackNumber")) {
        return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
    }
    if (field == QLatin1String("SongTitle")) {
        return track != nullptr ? track->title : QString();
    }
    if (field == QLatin1String("Artist")) {
        const QString artist = track != nullptr && !track->artist.isEmpty() ? track->artist : m_disc.artist;
        return artist.isEmpty() ? UnknownArtist() : artist;
    }
    if (field == QLatin1String("Album")) {
        return m_disc.album.isEmpty() ? UnknownAlbum() : m_disc.album;
    }
    if (field == QLatin1String("Bitrate")) {
        return QStringLiteral("%1kbps").arg(m_preferences.bitrate / 1000);
    }
    return QString(); // Genre and anything unknown: a disc carries no such data
}

QString CRipFileNamer::FileStem(int track) const {
    QStringList marked;
    for (const QString& item : m_preferences.fileDetail.split(QLatin1Char(';'))) {
        const QString field = item.trimmed();
        if (field.startsWith(QLatin1Char('*'))) {
            marked << field.mid(1).trimmed();
        }
    }
    if (marked.isEmpty()) {
        for (const QString& item : kDefaultDetail.split(QLatin1Char(';'))) {
            if (item.startsWith(QLatin1Char('*'))) {
                marked << item.mid(1);
            }
        }
    }
    QStringList values;
    for (const QString& field : marked) {
        const QString value = FieldValue(field, track).trimmed();
        if (!value.isEmpty()) {
            values << value;
        }
    }
    const QString stem =
        SafeName(values.join(m_preferences.separator), 255 - kExtension.size(), 255 - kExtension.size());
    return stem.isEmpty() ? QStringLiteral("%1").arg(track, 2, 10, QLatin1Char('0')) : stem;
}

QMap<int, QString> CRipFileNamer::TargetFiles(const QList<int>& tracks) const {
    const int folderLength =
        m_preferences.windowsFolderLength > 0
            ? m_preferences.windowsFolderLength
            : static_cast<int>(QDir::toNativeSeparators(m_preferences.recordFolder).size());
    // <folder>\<artist>\<album>\<stem>.mp3 within MAX_PATH - 1 units.
    const int budget = kMaxPath - 1 - folderLength - 3 - static_cast<int>(kExtension.size());

    QMap<int, QString> stems;
    int longestStem = 0;
    for (const int number : tracks) {
        stems.insert(number, FileStem(number));
        longestStem = qMax(longestStem, static_cast<int>(stems[number].size()));
    }
    // The folders are the same for every track: shorten them first, keeping room for the names.
    QString artist = ArtistFolder();
    QString album = AlbumFolder();
    const int reserve = qMin(longestStem, qMax(budget / 2, 1));
    while (artist.size() + album.size() > budget - reserve && qMax(artist.size(), album.size()) > 1) {
        QString* longer = artist.size() >= album.size() ? &artist : &album;
        const QString fallback = longer == &artist ? UnknownArtist() : UnknownAlbum();
        *longer = SafeName(longer->left(longer->size() - 1));
        if (longer->isEmpty()) {
            *longer = fallback.left(1);
        }
    }
    const int stemBudget = qMax(budget - static_cast<int>(artist.size() + album.size()), 2);
    const QString folder = artist + QLatin1Char('/') + album + QLatin1Char('/');

    QMap<int, QString> files;
    QSet<QString> taken;
    for (const int number : tracks) {
        const QString stem = stems[number];
        QString unique = SafeName(stem, stemBudget, 255 - static_cast<int>(kExtension.size()));
        if (unique.isEmpty()) {
            unique = QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
        }
        // Two tracks may share a name (two "Interlude"s); FAT ignores case.
        for (int n = 2; taken.contains(unique.toCaseFolded()); ++n) {
            const QString suffix = QStringLiteral(" (%1)").arg(n);
            const int room = static_cast<int>(suffix.size() + kExtension.size());
            unique =
                SafeName(stem, qMax(stemBudget - static_cast<int>(suffix.size()), 1), 255 - room) + suffix;
        }
        taken.insert(unique.toCaseFolded());
        files.insert(number, QDir(m_preferences.recordFolder).filePath(folder + unique + kExtension));
    }
    return files;
}
