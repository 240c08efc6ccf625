#include "mediaengine/disc/CdTextFile.h"

#include "mediaengine/disc/CdTextDecoder.h"

#include <QList>
#include <QLocale>
#include <array>

namespace {

constexpr int kPackBytes = 18;
constexpr int kBlocks = 8;
constexpr uchar kTitle = 0x80;
constexpr uchar kPerformer = 0x81;
constexpr uchar kSizeInfo = 0x8F;
constexpr uchar kMsJis = 0x80;
constexpr uchar kJapanese = 0x69;

struct Block {
    bool present = false;
    bool doubleByte = false;
    int charset = -1;
    QByteArray text[2]; // titles, performers: the packs' payloads in order
    int firstTrack[2] = {-1, -1};
};

// The strings of one pack type: each ends with a NUL (two in double-byte text); a tab repeats the
// previous string. Double-byte text may hold single-byte characters (a half-width "?" among kanji),
// so a string there can end at any byte, not only at an even one: no byte of a Shift_JIS character
// is NUL, so the first NUL ends the string and a second one right after it belongs to the same end.
QList<QByteArray> SplitStrings(const QByteArray& text, bool doubleByte) {
    QList<QByteArray> strings;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\0') {
            continue;
        }
        QByteArray s = text.mid(start, i - start);
        if ((s == "\t" || s == "\t\t") && !strings.isEmpty()) {
            s = strings.last();
        }
        strings.append(s);
        if (doubleByte && i + 1 < text.size() && text[i + 1] == '\0') {
            ++i;
        }
        start = i + 1;
    }
    return strings;
}

} // namespace

bool CCdTextFile::UserPrefersJapanese() {
    return QLocale().language() == QLocale::Japanese;
}

bool CCdTextFile::Parse(const QByteArray& bytes, bool preferJapanese, QString* error) {
    m_text.clear();
    m_language = 0;
    QByteArray packs = bytes;
    // A file written from a drive's answer starts with the answer's length (of what follows it)
    // and two reserved bytes; some writers end it with one NUL.
    if (packs.size() >= 4) {
        const int length = (uchar(packs[0]) << 8) | uchar(packs[1]);
        const bool header = uchar(packs[2]) == 0 && uchar(packs[3]) == 0 && (length - 2) % kPackBytes == 0 &&
                            length >= 2 + kPackBytes;
        if (header) {
            if (length + 2 > packs.size()) {
                *error = QStringLiteral("the file is truncated (%1 of %2 bytes)")
                             .arg(packs.size())
                             .arg(length + 2);
                return false;
            }
            packs = packs.mid(4, length - 2);
        }
    }
    if (packs.size() % kPackBytes == 1 && packs.endsWith('\0')) {
        packs.chop(1);
    }
    if (packs.isEmpty() || packs.size() % kPackBytes != 0) {
        *error = QStringLiteral("the file is truncated or no CD-Text (%1 bytes, not whole packs)")
                     .arg(bytes.size());
        return false;
    }

    std::array<Block, kBlocks> blocks;
    std::array<int, kBlocks> languages{};
    const auto* data = reinterpret_cast<const uchar*>(packs.constData());
    const int count = static_cast<int>(packs.size() / kPackBytes);
    for (int p = 0; p < count; ++p) {
        const uchar* pack = data + p * kPackBytes;
        if (pack[0] < 0x80 || pack[0] > 0x8F) {
            *error = QStringLiteral("pack %1 is no CD-Text (type %2)")
                         .arg(p)
                         .arg(pack[0], 2, 16, QLatin1Char('0'));
            return false;
        }
        if (CCdTextFile::PackCrc(pack) != ((quint16(pack[16]) << 8) | pack[17])) {
            *error = QStringLiteral("pack %1 is damaged (bad CRC)").arg(p);
            return false;
        }
        Block& block = blocks[(pack[3] >> 4) & 0x07];
        block.present = true;
        block.doubleByte = block.doubleByte || (pack[3] & 0x80) != 0;
        if (pack[0] == kTitle || pack[0] == kPerformer) {
            const int kind = pack[0] == kTitle ? 0 : 1;
            if (block.firstTrack[kind] < 0) {
                block.firstTrack[kind] = pack[1] & 0x7F;
            }
            block.text[kind].append(reinterpret_cast<const char*>(pack + 4), 12);
        } else if (pack[0] == kSizeInfo && (pack[1] & 0x7F) == 0) {
            // The first of the three size packs starts with the character set; the third ends with the
            // language of each block.
            block.charset = pack[4];
        } else if (pack[0] == kSizeInfo && (pack[1] & 0x7F) == 2) {
            for (int b = 0; b < kBlocks; ++b) {
                languages[b] = pack[8 + b]; // bytes 28 to 35 of the size information
            }
        }
    }

    int chosen = -1;
    for (int b = 0; b < kBlocks && chosen < 0; ++b) {
        if (blocks[b].present && preferJapanese &&
            (blocks[b].charset == kMsJis || languages[b] == kJapanese)) {
            chosen = b;
        }
    }
    for (int b = 0; b < kBlocks && chosen < 0; ++b) {
        if (blocks[b].present) {
            chosen = b;
        }
    }
    const Block& block = blocks[chosen];
    m_language = languages[chosen];
    const bool msJis = block.charset == kMsJis;
    for (int kind = 0; kind < 2; ++kind) {
        const QList<QByteArray> strings = SplitStrings(block.text[kind], block.doubleByte || msJis);
        for (int i = 0; i < strings.size(); ++i) {
            QString text;
            if (!msJis || !CCdTextDecoder::DecodeCp932(strings[i], &text)) {
                text = CCdTextDecoder::FromBytes(strings[i]);
            }
            Entry& entry = m_text[qMax(0, block.firstTrack[kind]) + i];
            (kind == 0 ? entry.title : entry.performer) = text.trimmed();
        }
    }
    return true;
}

void CCdTextFile::ApplyTo(DiscInfo* info) const {
    if (!Album().isEmpty()) {
        info->album = Album();
    }
    if (!Performer().isEmpty()) {
        info->artist = Performer();
    }
    for (DiscTrack& track : info->tracks) {
        if (!Title(track.number).isEmpty()) {
            track.title = Title(track.number);
        }
        if (!TrackPerformer(track.number).isEmpty()) {
            track.artist = TrackPerformer(track.number);
        }
    }
}

// CRC-16 CCITT (x^16 + x^12 + x^5 + 1) over a pack's first 16 bytes, stored inverted.
quint16 CCdTextFile::PackCrc(const uchar* pack) {
    quint16 crc = 0;
    for (int i = 0; i < 16; ++i) {
        crc ^= quint16(pack[i]) << 8;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) != 0 ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
        }
    }
    return quint16(~crc);
}
