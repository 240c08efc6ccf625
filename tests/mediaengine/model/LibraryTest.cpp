// The library: kept in a database that outlives the player, queried through live playlists, fed by
// add, cleared by remove (the file going only once nobody reads it), and tags written into files.
#include "platform/files/Volumes.h"
#include "tests/support/engine/EngineFixture.h"
#include "tests/support/engine/TestMp3.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

using LibraryTest = CEngineFixture;

const QString kMusic = QStringLiteral("C:\\Users\\user\\Music");

// Writes a tagged MP3 below the user's music folder; returns its Windows path.
QString MakeMp3(CEngineFixture& f, const QString& name, const QString& title, const QString& album, int track,
                const QString& toc = QString()) {
    const QString win = kMusic + QStringLiteral("\\") + name;
    QString host;
    ToHostPath(kMusic, &host);
    host += QLatin1Char('/') + name;
    EXPECT_TRUE(CTestMp3::Write(host, 0.5, 128, title, album, track, toc));
    (void)f;
    return win;
}

ComPtr<IWMPMedia> Add(IWMPMediaCollection* library, const QString& path, HRESULT expected = S_OK) {
    ComPtr<IWMPMedia> item;
    EXPECT_EQ(library->add(CComBSTR(path), &item), expected) << path.toStdString();
    return item;
}

TEST_F(LibraryTest, SurvivesARestartOfThePlayer) {
    CreatePlayer();
    const QString path =
        MakeMp3(*this, QStringLiteral("残る.mp3"), QStringLiteral("残る歌"), QStringLiteral("記録"), 4);
    Add(Library().Get(), path);
    ASSERT_EQ(Library()->getByAlbum(CComBSTR(QStringLiteral("記録")), nullptr), E_POINTER);
    ReleasePlayer();

    CreatePlayer();
    ComPtr<IWMPPlaylist> album;
    ASSERT_EQ(Library()->getByAlbum(CComBSTR(QStringLiteral("記録")), &album), S_OK);
    ASSERT_EQ(Count(album.Get()), 1);
    const ComPtr<IWMPMedia> item = Item(album.Get(), 0);
    CComBSTR url;
    ASSERT_EQ(item->get_sourceURL(&url), S_OK);
    EXPECT_EQ(url.ToQString(), path);
    EXPECT_EQ(Name(item.Get()), QStringLiteral("残る歌"));
    EXPECT_EQ(Info(item.Get(), QStringLiteral("WM/TrackNumber")), QStringLiteral("4"));
    EXPECT_EQ(Info(item.Get(), QStringLiteral("Bitrate")), QStringLiteral("128000"));
}

TEST_F(LibraryTest, ADamagedDatabaseIsReportedAndLeftAsItIs) {
    const QString file = QDir(m_sandbox->EngineDir()).filePath(QStringLiteral("library.db"));
    QByteArray garbage("This is not a database, but somebody's notes.\n");
    garbage.append(QByteArray(4096, '\x5a'));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(garbage);
    }
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    CreatePlayer();
    ComPtr<IWMPMediaCollection> library;
    EXPECT_EQ(m_player->get_mediaCollection(&library), HRESULT_FROM_WIN32(ERROR_FILE_CORRUPT));
    EXPECT_FALSE(library);
    EXPECT_FALSE(Test()->LibraryError().isEmpty());
    EXPECT_EQ(Count(CdPlaylist(0).Get()), 3) << "the drives work without a library";
    ComPtr<IWMPCdromRip> rip;
    ASSERT_EQ(Drive(0).As(&rip), S_OK);
    EXPECT_EQ(rip->startRip(), E_FAIL) << "no library to rip into";
    ReleasePlayer();
    QFile in(file);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), garbage);
}

TEST_F(LibraryTest, AddReadsTheTagAndRefreshesTheSameEntry) {
    CreatePlayer();
    const ComPtr<IWMPMediaCollection> library = Library();
    const QString path =
        MakeMp3(*this, QStringLiteral("a.mp3"), QStringLiteral("最初の題"), QStringLiteral("盤"), 2);
    const ComPtr<IWMPMedia> first = Add(library.Get(), path);
    ASSERT_TRUE(first);
    EXPECT_EQ(Name(first.Get()), QStringLiteral("最初の題"));
    EXPECT_EQ(Info(first.Get(), QStringLiteral("Album")), QStringLiteral("盤"));
    EXPECT_EQ(Info(first.Get(), QStringLiteral("MediaType")), QStringLiteral("audio"));
    EXPECT_EQ(Info(first.Get(), QStringLiteral("FileType")), QStringLiteral("mp3"));
    EXPECT_EQ(Info(first.Get(), QStringLiteral("FileSize")), QString::number(QFileInfo(Host(path)).size()));

    // Rewritten on disk and added again: the one entry follows the file.
    MakeMp3(*this, QStringLiteral("a.mp3"), QStringLiteral("次の題"), QStringLiteral("盤"), 2);
    const ComPtr<IWMPMedia> again = Add(library.Get(), path);
    VARIANT_BOOL same = VARIANT_FALSE;
    ASSERT_EQ(first->get_isIdentical(again.Get(), &same), S_OK);
    EXPECT_EQ(same, VARIANT_TRUE);
    EXPECT_EQ(Name(first.Get()), QStringLiteral("次の題"));
    ComPtr<IWMPPlaylist> album;
    ASSERT_EQ(library->getByAlbum(CComBSTR(QStringLiteral("盤")), &album), S_OK);
    EXPECT_EQ(Count(album.Get()), 1);

    Add(library.Get(), kMusic + QStringLiteral("\\missing.mp3"), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    Add(library.Get(), QStringLiteral("relative.mp3"), HRESULT_FROM_WIN32(ERROR_BAD_PATHNAME));
}

TEST_F(LibraryTest, NewMediaWritesTheTagIntoTheFile) {
    CreatePlayer();
    const QString path =
        MakeMp3(*this, QStringLiteral("b.mp3"), QStringLiteral("旧題"), QStringLiteral("旧盤"), 1);
    const ComPtr<IWMPMedia> inLibrary = Add(Library().Get(), path);
    ComPtr<IWMPMedia> file;
    ASSERT_EQ(m_player->newMedia(CComBSTR(path), &file), S_OK);
    EXPECT_EQ(Name(file.Get()), QStringLiteral("旧題"));
    ASSERT_EQ(file->put_name(CComBSTR(QStringLiteral("新しい題"))), S_OK);
    ASSERT_EQ(
        file->setItemInfo(CComBSTR(QStringLiteral("WM/AlbumTitle")), CComBSTR(QStringLiteral("新しい盤"))),
        S_OK);
    ASSERT_EQ(file->setItemInfo(CComBSTR(QStringLiteral("WM/AlbumArtist")),
                                CComBSTR(QStringLiteral("ｱｰﾃｨｽﾄ情報なし"))),
              S_OK);
    EXPECT_EQ(file->setItemInfo(CComBSTR(QStringLiteral("FileSize")), CComBSTR(QStringLiteral("1"))),
              E_INVALIDARG);

    const Mp3Facts facts = CTestMp3::Read(Host(path));
    EXPECT_EQ(facts.title, QStringLiteral("新しい題"));
    EXPECT_EQ(facts.album, QStringLiteral("新しい盤"));
    EXPECT_EQ(facts.albumArtist, QStringLiteral("ｱｰﾃｨｽﾄ情報なし"));
    EXPECT_EQ(facts.bitrateKbps, 128) << "the audio is untouched";
    EXPECT_EQ(Name(inLibrary.Get()), QStringLiteral("旧題"))
        << "the library learns of it when the file is added";
    Add(Library().Get(), path);
    EXPECT_EQ(Name(inLibrary.Get()), QStringLiteral("新しい題"));

    ComPtr<IWMPMedia> none;
    EXPECT_EQ(m_player->newMedia(CComBSTR(kMusic + QStringLiteral("\\none.mp3")), &none),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

TEST_F(LibraryTest, RemoveDeletesTheFileOnlyAfterItsReadersAndOnlyWhenAsked) {
    CreatePlayer();
    const ComPtr<IWMPMediaCollection> library = Library();
    const QString kept =
        MakeMp3(*this, QStringLiteral("kept.mp3"), QStringLiteral("k"), QStringLiteral("x"), 1);
    const QString gone =
        MakeMp3(*this, QStringLiteral("gone.mp3"), QStringLiteral("g"), QStringLiteral("x"), 2);
    const QString read =
        MakeMp3(*this, QStringLiteral("read.mp3"), QStringLiteral("r"), QStringLiteral("x"), 3);
    const QString back =
        MakeMp3(*this, QStringLiteral("back.mp3"), QStringLiteral("b"), QStringLiteral("x"), 4);
    const ComPtr<IWMPMedia> keptItem = Add(library.Get(), kept);
    const ComPtr<IWMPMedia> goneItem = Add(library.Get(), gone);
    const ComPtr<IWMPMedia> readItem = Add(library.Get(), read);
    const ComPtr<IWMPMedia> backItem = Add(library.Get(), back);

    ASSERT_EQ(library->remove(keptItem.Get(), VARIANT_FALSE), S_OK);
    ASSERT_EQ(library->remove(goneItem.Get(), VARIANT_TRUE), S_OK);
    EXPECT_TRUE(QFileInfo::exists(Host(gone))) << "the caller may still copy it away";
    CComBSTR url;
    ASSERT_EQ(goneItem->get_sourceURL(&url), S_OK);
    EXPECT_EQ(url.ToQString(), gone) << "a removed item still tells where its file was";
    EXPECT_EQ(library->remove(goneItem.Get(), VARIANT_TRUE), E_INVALIDARG) << "already out of the library";

    QFile reader(Host(read));
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    ASSERT_EQ(library->remove(readItem.Get(), VARIANT_TRUE), S_OK);
    ASSERT_EQ(library->remove(backItem.Get(), VARIANT_TRUE), S_OK);
    Add(library.Get(), back); // taken back before its deletion came round
    m_loop.Pump();
    EXPECT_TRUE(QFileInfo::exists(Host(kept)));
    EXPECT_FALSE(QFileInfo::exists(Host(gone)));
    EXPECT_TRUE(QFileInfo::exists(Host(read))) << "still being read";
    EXPECT_TRUE(QFileInfo::exists(Host(back)));
    EXPECT_EQ(Test()->PendingDeletions(), 1);
    reader.close();
    m_loop.Advance(kMediaPollMs);
    EXPECT_FALSE(QFileInfo::exists(Host(read)));
    EXPECT_EQ(Test()->PendingDeletions(), 0);

    ComPtr<IWMPPlaylist> album;
    ASSERT_EQ(library->getByAlbum(CComBSTR(QStringLiteral("x")), &album), S_OK);
    ASSERT_EQ(Count(album.Get()), 1);
    EXPECT_EQ(Name(Item(album.Get(), 0).Get()), QStringLiteral("b"));
}

TEST_F(LibraryTest, QueriesStayCurrentAndRemoveItemTrimsOnlyThatPlaylist) {
    CreatePlayer();
    const ComPtr<IWMPMediaCollection> library = Library();
    const QString toc = QStringLiteral("3+96+6270+12345");
    ComPtr<IWMPPlaylist> live;
    ASSERT_EQ(library->getByAttribute(CComBSTR(QStringLiteral("TOC")), CComBSTR(toc), &live), S_OK);
    ASSERT_EQ(Count(live.Get()), 0);
    // Added out of order; listed by track number.
    Add(library.Get(),
        MakeMp3(*this, QStringLiteral("3.mp3"), QStringLiteral("三"), QStringLiteral("盤"), 3, toc));
    Add(library.Get(),
        MakeMp3(*this, QStringLiteral("other.mp3"), QStringLiteral("他"), QStringLiteral("盤"), 1));
    Add(library.Get(),
        MakeMp3(*this, QStringLiteral("1.mp3"), QStringLiteral("一"), QStringLiteral("盤"), 1, toc));
    EXPECT_EQ(Count(live.Get()), 2);
    Add(library.Get(),
        MakeMp3(*this, QStringLiteral("2.mp3"), QStringLiteral("二"), QStringLiteral("盤"), 2, toc));
    ASSERT_EQ(Count(live.Get()), 3);
    EXPECT_EQ(Name(Item(live.Get(), 0).Get()), QStringLiteral("一"));
    EXPECT_EQ(Name(Item(live.Get(), 1).Get()), QStringLiteral("二"));
    EXPECT_EQ(Name(Item(live.Get(), 2).Get()), QStringLiteral("三"));

    ComPtr<IWMPPlaylist> second;
    ASSERT_EQ(library->getByAttribute(CComBSTR(QStringLiteral("TOC")), CComBSTR(toc), &second), S_OK);
    ASSERT_EQ(live->removeItem(Item(live.Get(), 1).Get()), S_OK);
    EXPECT_EQ(Count(live.Get()), 2);
    EXPECT_EQ(Name(Item(live.Get(), 1).Get()), QStringLiteral("三"));
    EXPECT_EQ(Count(second.Get()), 3) << "other queries keep it";
    Add(library.Get(), kMusic + QStringLiteral("\\2.mp3"));
    EXPECT_EQ(Count(live.Get()), 2) << "taken out of this playlist for good";

    ASSERT_EQ(library->remove(Item(second.Get(), 0).Get(), VARIANT_FALSE), S_OK);
    EXPECT_EQ(Count(live.Get()), 1);
    EXPECT_EQ(Count(second.Get()), 2);
    ComPtr<IWMPMedia> foreign;
    ASSERT_EQ(m_player->newMedia(CComBSTR(kMusic + QStringLiteral("\\other.mp3")), &foreign), S_OK);
    EXPECT_EQ(live->removeItem(foreign.Get()), E_INVALIDARG);
}

TEST_F(LibraryTest, PlaylistEntriesCarryTheSynchronisationMarks) {
    CreatePlayer();
    QString host;
    ToHostPath(kMusic, &host);
    for (const char* name : {"通勤.wpl", "散歩.m3u"}) {
        QFile file(host + QLatin1Char('/') + QString::fromUtf8(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#EXTM3U\n");
    }
    const ComPtr<IWMPMediaCollection> library = Library();
    Add(library.Get(), kMusic + QStringLiteral("\\通勤.wpl"));
    Add(library.Get(), kMusic + QStringLiteral("\\散歩.m3u"));
    ComPtr<IWMPPlaylist> playlists;
    ASSERT_EQ(library->getByAttribute(CComBSTR(QStringLiteral("MediaType")),
                                      CComBSTR(QStringLiteral("playlist")), &playlists),
              S_OK);
    ASSERT_EQ(Count(playlists.Get()), 2);
    const ComPtr<IWMPMedia> first = Item(playlists.Get(), 0);
    EXPECT_EQ(Name(first.Get()), QStringLiteral("通勤"));
    EXPECT_EQ(Info(first.Get(), QStringLiteral("Sync01")), QStringLiteral("0"));
    EXPECT_EQ(Info(first.Get(), QStringLiteral("Sync16")), QStringLiteral("0"));
    ASSERT_EQ(first->setItemInfo(CComBSTR(QStringLiteral("Sync03")), CComBSTR(QStringLiteral("2"))), S_OK);
    ReleasePlayer();
    CreatePlayer();
    ComPtr<IWMPPlaylist> again;
    ASSERT_EQ(Library()->getByAttribute(CComBSTR(QStringLiteral("MediaType")),
                                        CComBSTR(QStringLiteral("playlist")), &again),
              S_OK);
    EXPECT_EQ(Info(Item(again.Get(), 0).Get(), QStringLiteral("Sync03")), QStringLiteral("2"));
    EXPECT_EQ(Info(Item(again.Get(), 1).Get(), QStringLiteral("Sync03")), QStringLiteral("0"));
}

} // namespace
