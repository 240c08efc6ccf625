// Where ripped files go and what they are called.
#include "mediaengine/rip/RipFileNamer.h"

#include <QDir>
#include <QList>
#include <gtest/gtest.h>

namespace {

const QString kPattern0 = QStringLiteral("*TrackNumber;*SongTitle;Artist;Album;Genre;Bitrate");
const QString kPattern1 = QStringLiteral("*SongTitle;TrackNumber;Artist;Album;Genre;Bitrate");
const QString kPattern2 = QStringLiteral("*Artist;*Album;*SongTitle;TrackNumber;Genre;Bitrate");

DiscInfo Album() {
    DiscInfo disc;
    disc.album = QStringLiteral("ひだまりの記憶");
    disc.artist = QStringLiteral("青空楽団");
    disc.tracks = {{.number = 1, .title = QStringLiteral("春の風")},
                   {.number = 2, .title = QStringLiteral("夜明けのうた"), .artist = QStringLiteral("ゲスト")},
                   {.number = 12, .title = QStringLiteral("またあした")}};
    return disc;
}

RipPreferences Preferences(const QString& detail, const QString& separator = QStringLiteral(" ")) {
    RipPreferences preferences;
    preferences.recordFolder = QStringLiteral("/music");
    preferences.fileDetail = detail;
    preferences.separator = separator;
    return preferences;
}

TEST(RipFileNamer, NamesFilesAfterTheMarkedFieldsInTheirOrder) {
    struct Case {
        QString detail;
        QString separator;
        int track;
        QString expected;
    };
    const QList<Case> cases = {
        {kPattern0, " ", 1, "/music/青空楽団/ひだまりの記憶/01 春の風.mp3"},
        {kPattern0, " ", 12, "/music/青空楽団/ひだまりの記憶/12 またあした.mp3"},
        {kPattern1, " ", 1, "/music/青空楽団/ひだまりの記憶/春の風.mp3"},
        {kPattern2, " ", 1, "/music/青空楽団/ひだまりの記憶/青空楽団 ひだまりの記憶 春の風.mp3"},
        // A track's own artist names its file; the folder stays the album artist's.
        {kPattern2, " ", 2, "/music/青空楽団/ひだまりの記憶/ゲスト ひだまりの記憶 夜明けのうた.mp3"},
        {kPattern0, "-", 2, "/music/青空楽団/ひだまりの記憶/02-夜明けのうた.mp3"},
        {kPattern0, "", 2, "/music/青空楽団/ひだまりの記憶/02夜明けのうた.mp3"},
        {"*SongTitle;*Bitrate;*Genre", "_", 1, "/music/青空楽団/ひだまりの記憶/春の風_128kbps.mp3"},
        // Nothing marked: the player's default pattern.
        {"TrackNumber;SongTitle", " ", 1, "/music/青空楽団/ひだまりの記憶/01 春の風.mp3"},
        // A separator that is no name character is made safe with the rest.
        {kPattern0, ":", 1, "/music/青空楽団/ひだまりの記憶/01_春の風.mp3"},
    };
    for (const Case& c : cases) {
        const CRipFileNamer namer(Preferences(c.detail, c.separator), Album());
        EXPECT_EQ(namer.TargetFiles({c.track}).value(c.track), c.expected)
            << c.detail.toStdString() << " [" << c.separator.toStdString() << "] " << c.track;
    }
}

TEST(RipFileNamer, MissingArtistAlbumAndTitleGetPlaceholders) {
    DiscInfo disc;
    disc.tracks = {{.number = 3}};
    EXPECT_EQ(CRipFileNamer(Preferences(kPattern0), disc).TargetFiles({3}).value(3),
              QStringLiteral("/music/不明なアーティスト/不明なアルバム/03.mp3"));
    EXPECT_EQ(
        CRipFileNamer(Preferences(kPattern2), disc).TargetFiles({3}).value(3),
        QStringLiteral("/music/不明なアーティスト/不明なアルバム/不明なアーティスト 不明なアルバム.mp3"));
    EXPECT_EQ(CRipFileNamer(Preferences(kPattern1), disc).TargetFiles({3}).value(3),
              QStringLiteral("/music/不明なアーティスト/不明なアルバム/03.mp3"));
    // A name with nothing usable in it counts as missing.
    disc.artist = QStringLiteral(" ... ");
    disc.album = QStringLiteral("???");
    const CRipFileNamer namer(Preferences(kPattern0), disc);
    EXPECT_EQ(namer.ArtistFolder(), CRipFileNamer::UnknownArtist());
    EXPECT_EQ(namer.AlbumFolder(), QStringLiteral("___"));
}

TEST(RipFileNamer, UnsafeNamesBecomeSafeKeepingJapanese) {
    struct Case {
        QString text;
        QString expected;
    };
    const QList<Case> cases = {
        {R"(a\b/c:d*e?f"g<h>i|j)", "a_b_c_d_e_f_g_h_i_j"},
        {QStringLiteral("tab\there\nnew\x7F\u0085"), "tab_here_new__"},
        {"Trailing dots...", "Trailing dots"},
        {"  blanks and dots . . ", "blanks and dots"},
        {"CON", "CON_"},
        {"con", "con_"},
        {"Nul.txt", "Nul_.txt"},
        {"COM1", "COM1_"},
        {"lpt9", "lpt9_"},
        {"CON.", "CON_"},
        {"COM10", "COM10"},
        {"CONSOLE", "CONSOLE"},
        {"...", ""},
        {QStringLiteral("夜明け: 前/後"), QStringLiteral("夜明け_ 前_後")},
        {QStringLiteral("全角／スラッシュ？"), QStringLiteral("全角／スラッシュ？")},
        {QStringLiteral("ｱｰﾃｨｽﾄ情報なし"), QStringLiteral("ｱｰﾃｨｽﾄ情報なし")},
        {QString(QChar(0xD800)) + "x", "_x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CRipFileNamer::SafeName(c.text), c.expected) << c.text.toStdString();
    }
}

TEST(RipFileNamer, LongNamesAreCutOnCharacterBoundsWithinTheFileSystemLimits) {
    // 255 bytes of UTF-8 is the host's limit for one name, 255 code units the Windows one.
    const QString japanese = QString(300, QChar(0x3042));
    EXPECT_EQ(CRipFileNamer::SafeName(japanese), QString(85, QChar(0x3042)));
    EXPECT_EQ(CRipFileNamer::SafeName(QString(300, 'a')), QString(255, 'a'));
    QString emoji;
    for (int i = 0; i < 100; ++i) {
        emoji += QString::fromUcs4(U"\U0001F3B5");
    }
    const QString cut = CRipFileNamer::SafeName(emoji);
    EXPECT_EQ(cut.size(), 2 * 63); // 63 four-byte characters, no half pair
    EXPECT_TRUE(cut.back().isLowSurrogate());
    // Cutting may leave a trailing blank or dot, which goes too.
    EXPECT_EQ(CRipFileNamer::SafeName(QString(254, 'a') + " b", 255, 255), QString(254, 'a'));
}

TEST(RipFileNamer, WholePathsStayWithinMaxPathAndFoldersAreSharedByAllTracks) {
    DiscInfo disc = Album();
    disc.album = QString(80, QChar(0x30A2));
    disc.artist = QString(80, QChar(0x30A4));
    for (DiscTrack& track : disc.tracks) {
        track.title = QString(80, QChar(0x66F2)) + QString::number(track.number);
    }
    disc.tracks[0].title = QStringLiteral("短い");
    RipPreferences preferences = Preferences(kPattern0);
    preferences.windowsFolderLength = 60;
    const QMap<int, QString> files = CRipFileNamer(preferences, disc).TargetFiles({1, 2, 12});
    QString folder;
    for (const QString& file : files) {
        const QString relative = file.mid(QStringLiteral("/music/").size());
        EXPECT_LE(60 + 1 + relative.size(), 259) << file.toStdString();
        const QString fileFolder = relative.section('/', 0, 1);
        EXPECT_TRUE(folder.isEmpty() || folder == fileFolder);
        folder = fileFolder;
    }
    EXPECT_TRUE(files.value(1).endsWith(QStringLiteral("/01 短い.mp3")));
    EXPECT_TRUE(files.value(12).section('/', -1).startsWith(QStringLiteral("12 曲曲")));
}

TEST(RipFileNamer, TracksWithTheSameNameGetNumberedFiles) {
    DiscInfo disc = Album();
    disc.tracks = {{.number = 1, .title = QStringLiteral("Interlude")},
                   {.number = 2, .title = QStringLiteral("interlude")},
                   {.number = 3, .title = QStringLiteral("Interlude")}};
    const QMap<int, QString> files = CRipFileNamer(Preferences(kPattern1), disc).TargetFiles({1, 2, 3});
    EXPECT_TRUE(files.value(1).endsWith("/Interlude.mp3"));
    EXPECT_TRUE(files.value(2).endsWith("/interlude (2).mp3"));
    EXPECT_TRUE(files.value(3).endsWith("/Interlude (3).mp3"));
}

} // namespace
