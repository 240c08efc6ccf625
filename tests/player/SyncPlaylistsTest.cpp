// The synchronisation marks of the library's playlists: set marks of one partnership cleared to
// "0", everything else left as it was, and a bad index or a failing library refused.
#include "player/SyncPlaylists.h"
#include "platform/files/Volumes.h"
#include "tests/support/engine/EngineFixture.h"
#include "tests/support/engine/TestMp3.h"

#include <QFile>

namespace {

const QString kMusic = QStringLiteral("C:\\Users\\user\\Music");

class SyncMarks : public CEngineFixture {
protected:
    void SetUp() override {
        CEngineFixture::SetUp();
        CreatePlayer();
        m_library = Library();
    }
    void TearDown() override {
        m_marks.Unbind();
        m_library = nullptr;
        CEngineFixture::TearDown();
    }
    // A playlist file in the library with the given marks ("" leaves a mark empty).
    ComPtr<IWMPMedia> Playlist(const QString& name, const QMap<QString, QString>& marks) {
        QFile file(Host(kMusic + QLatin1Char('\\') + name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#EXTM3U\n");
        file.close();
        ComPtr<IWMPMedia> item;
        EXPECT_EQ(m_library->add(CComBSTR(kMusic + QLatin1Char('\\') + name), &item), S_OK);
        for (auto it = marks.begin(); it != marks.end(); ++it) {
            EXPECT_EQ(item->setItemInfo(CComBSTR(it.key()), CComBSTR(it.value())), S_OK);
        }
        return item;
    }
    void SetFaults(const QSet<QString>& calls) {
        MediaEngineFaults faults;
        faults.failingCalls = calls;
        Test()->SetFaults(faults);
    }

    ComPtr<IWMPMediaCollection> m_library;
    CSyncPlaylists m_marks;
};

TEST_F(SyncMarks, SetMarksOfThePartnershipBecomeZeroAndNothingElseChanges) {
    struct Row {
        const char* file;
        QString sync03;
        QString expected;
    } rows[] = {
        {"two.wpl", QStringLiteral("2"), QStringLiteral("0")},
        {"zero.wpl", QStringLiteral("0"), QStringLiteral("0")},
        {"negative.wpl", QStringLiteral("-1"), QStringLiteral("-1")},
        {"empty.wpl", QString(), QStringLiteral("0")},
        {"padded.m3u", QStringLiteral("007"), QStringLiteral("0")},
        {"words.m3u", QStringLiteral("never"), QStringLiteral("never")},
    };
    std::vector<ComPtr<IWMPMedia>> items;
    for (const Row& row : rows) {
        items.push_back(
            Playlist(QString::fromUtf8(row.file), {{QStringLiteral("Sync01"), QStringLiteral("5")},
                                                   {QStringLiteral("Sync02"), QStringLiteral("1")},
                                                   {QStringLiteral("Sync03"), row.sync03}}));
    }
    // A song carrying a mark is no playlist: left alone.
    ASSERT_TRUE(CTestMp3::Write(Host(kMusic + QStringLiteral("\\song.mp3")), 0.5, 128, QStringLiteral("歌"),
                                QStringLiteral("盤"), 1));
    ComPtr<IWMPMedia> song;
    ASSERT_EQ(m_library->add(CComBSTR(kMusic + QStringLiteral("\\song.mp3")), &song), S_OK);
    ASSERT_EQ(song->setItemInfo(CComBSTR(QStringLiteral("Sync03")), CComBSTR(QStringLiteral("2"))), S_OK);

    ASSERT_TRUE(m_marks.Bind(m_player.Get(), m_library.Get()));
    EXPECT_EQ(m_marks.ClearSyncMarks(3), S_OK);
    for (std::size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(rows[i].file);
        EXPECT_EQ(Info(items[i].Get(), QStringLiteral("Sync03")), rows[i].expected);
        EXPECT_EQ(Info(items[i].Get(), QStringLiteral("Sync01")), QStringLiteral("5"));
        EXPECT_EQ(Info(items[i].Get(), QStringLiteral("Sync02")), QStringLiteral("1"));
        EXPECT_EQ(Info(items[i].Get(), QStringLiteral("Sync04")), QStringLiteral("0"));
    }
    EXPECT_EQ(Info(song.Get(), QStringLiteral("Sync03")), QStringLiteral("2"));

    // The last partnership works too, by its two-digit name.
    ASSERT_EQ(items[1]->setItemInfo(CComBSTR(QStringLiteral("Sync16")), CComBSTR(QStringLiteral("1"))), S_OK);
    EXPECT_EQ(m_marks.ClearSyncMarks(16), S_OK);
    EXPECT_EQ(Info(items[1].Get(), QStringLiteral("Sync16")), QStringLiteral("0"));
}

TEST_F(SyncMarks, AnIndexOutsideTheTableTouchesNothing) {
    const ComPtr<IWMPMedia> item =
        Playlist(QStringLiteral("a.wpl"), {{QStringLiteral("Sync01"), QStringLiteral("3")}});
    ASSERT_TRUE(m_marks.Bind(m_player.Get(), m_library.Get()));
    for (long index : {0L, -1L, 17L, 100000L}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(m_marks.ClearSyncMarks(index), E_INVALIDARG);
    }
    EXPECT_EQ(Info(item.Get(), QStringLiteral("Sync01")), QStringLiteral("3"));
    EXPECT_EQ(CSyncPlaylists::SyncAttributeName(1), QStringLiteral("Sync01"));
    EXPECT_EQ(CSyncPlaylists::SyncAttributeName(16), QStringLiteral("Sync16"));
    EXPECT_TRUE(CSyncPlaylists::SyncAttributeName(0).isEmpty());
    EXPECT_TRUE(CSyncPlaylists::SyncAttributeName(17).isEmpty());
}

TEST_F(SyncMarks, BindingAndAFailingLibraryAreReportedAsFailures) {
    const ComPtr<IWMPMedia> item =
        Playlist(QStringLiteral("a.wpl"), {{QStringLiteral("Sync02"), QStringLiteral("3")}});
    EXPECT_EQ(m_marks.ClearSyncMarks(2), E_FAIL) << "not bound";
    EXPECT_FALSE(m_marks.Bind(nullptr, m_library.Get()));
    EXPECT_FALSE(m_marks.Bind(m_player.Get(), nullptr));
    EXPECT_FALSE(m_marks.IsBound());

    SetFaults({QStringLiteral("get_playlistCollection")});
    EXPECT_FALSE(m_marks.Bind(m_player.Get(), m_library.Get()));
    SetFaults({});
    ASSERT_TRUE(m_marks.Bind(m_player.Get(), m_library.Get()));

    SetFaults({QStringLiteral("getByAttribute")});
    EXPECT_EQ(m_marks.ClearSyncMarks(2), E_FAIL);
    // A playlist that cannot be read is skipped; the result is that of the last call.
    SetFaults({QStringLiteral("getItemInfo")});
    EXPECT_EQ(m_marks.ClearSyncMarks(2), E_FAIL);
    SetFaults({});
    EXPECT_EQ(Info(item.Get(), QStringLiteral("Sync02")), QStringLiteral("3"));

    m_marks.Unbind();
    EXPECT_EQ(m_marks.ClearSyncMarks(2), E_FAIL);
    ASSERT_TRUE(m_marks.Bind(m_player.Get(), m_library.Get()));
    EXPECT_EQ(m_marks.ClearSyncMarks(2), S_OK);
    EXPECT_EQ(Info(item.Get(), QStringLiteral("Sync02")), QStringLiteral("0"));
}

} // namespace
