// A binary CD-Text file as a drive reads it from the lead-in: whole 18-byte packs with their CRC.
#include "mediaengine/disc/CdTextFile.h"

#include <QList>
#include <QStringList>
#include <gtest/gtest.h>
#include <iconv.h>

namespace {

QByteArray ToCp932(const QString& text) {
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 2 + 4, '\0');
    iconv_t cd = iconv_open("CP932", "UTF-8");
    char* inPtr = in.data();
    size_t inLeft = size_t(in.size());
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    EXPECT_NE(rc, size_t(-1)) << text.toStdString();
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

// The packs of one MS-JIS (Japanese) block holding the album title and one title per track, as a
// writer lays them out: each string in Shift_JIS followed by two NULs, the strings run on through
// the packs' 12-byte payloads, then the three size-information packs.
QByteArray JapaneseTitlePacks(const QStringList& albumThenTracks) {
    QList<QByteArray> packs;
    int sequence = 0;
    auto addPack = [&](uchar type, uchar track, uchar flags, const QByteArray& payload) {
        QByteArray pack(18, '\0');
        pack[0] = char(type);
        pack[1] = char(track);
        pack[2] = char(sequence++);
        pack[3] = char(flags);
        pack.replace(4, 12, payload.leftJustified(12, '\0', true));
        const quint16 crc = CCdTextFile::PackCrc(reinterpret_cast<const uchar*>(pack.constData()));
        pack[16] = char(crc >> 8);
        pack[17] = char(crc & 0xFF);
        packs.append(pack);
    };

    struct Byte {
        int track;
        int position; // characters of its string before it
        char value;
    };
    QList<Byte> stream;
    for (int track = 0; track < albumThenTracks.size(); ++track) {
        const QByteArray bytes = ToCp932(albumThenTracks[track]) + QByteArray(2, '\0');
        for (int i = 0; i < bytes.size(); ++i) {
            stream.append({track, i / 2, bytes[i]});
        }
    }
    for (qsizetype at = 0; at < stream.size(); at += 12) {
        QByteArray payload;
        for (qsizetype i = at; i < qMin(at + 12, stream.size()); ++i) {
            payload.append(stream[i].value);
        }
        // Double-byte, block 0, the characters of the first string before this pack (at most 15).
        addPack(0x80, uchar(stream[at].track), uchar(0x80 | qMin(stream[at].position, 15)), payload);
    }
    const int titlePacks = int(packs.size());

    QByteArray info(36, '\0');
    info[0] = char(0x80); // MS-JIS
    info[1] = 1;          // first track
    info[2] = char(albumThenTracks.size() - 1);
    info[4] = char(titlePacks);      // packs of type 0x80
    info[4 + 15] = 3;                // packs of type 0x8F
    info[20] = char(titlePacks + 2); // last sequence number of block 0
    info[28] = 0x69;                 // Japanese
    for (int part = 0; part < 3; ++part) {
        addPack(0x8F, uchar(part), 0x80, info.mid(part * 12, 12));
    }
    QByteArray file;
    for (const QByteArray& pack : packs) {
        file += pack;
    }
    return file;
}

TEST(CdTextFile, EveryTitleOfADoubleByteBlockStaysWithItsTrack) {
    // Half-width characters among the double-byte ones give strings of odd length: "?" after the
    // kana, a whole title in ASCII. Each ends where its own terminator stands, wherever that is.
    const QStringList titles = {QStringLiteral("道の歌"),        QStringLiteral("春の風"),
                                QStringLiteral("道をたずねる?"), QStringLiteral("夜明けのうた"),
                                QStringLiteral("ABC"),           QStringLiteral("ｻｸﾗ 2"),
                                QStringLiteral("雨上がりの街")};
    ASSERT_EQ(ToCp932(titles[2]).size() % 2, 1);
    ASSERT_EQ(ToCp932(titles[4]).size() % 2, 1);
    const QByteArray packs = JapaneseTitlePacks(titles);
    // With and without the 4-byte header a drive's answer begins with.
    const QByteArray header = QByteArray(1, char((packs.size() + 2) >> 8)) +
                              QByteArray(1, char((packs.size() + 2) & 0xFF)) + QByteArray(2, '\0');
    for (const QByteArray& file : {packs, header + packs}) {
        CCdTextFile text;
        QString error;
        ASSERT_TRUE(text.Parse(file, true, &error)) << error.toStdString();
        EXPECT_EQ(text.Language(), 0x69);
        EXPECT_EQ(text.Album(), titles[0]);
        for (int track = 1; track < titles.size(); ++track) {
            EXPECT_EQ(text.Title(track), titles[track]) << "track " << track;
        }
        EXPECT_EQ(text.Title(int(titles.size())), QString()) << "no title beyond the last track";

        DiscInfo info;
        for (int number = 1; number < titles.size(); ++number) {
            info.tracks.append(DiscTrack{.number = number, .title = QStringLiteral("Track")});
        }
        text.ApplyTo(&info);
        EXPECT_EQ(info.album, titles[0]);
        for (const DiscTrack& track : info.tracks) {
            EXPECT_EQ(track.title, titles[track.number]) << "track " << track.number;
        }
    }
}

} // namespace
