// The library's live answers follow each change by itself: an entry that comes, goes, moves to
// another album or TOC, or gets another track number is in exactly the answers it matches, in
// track order; an answer nobody holds is not kept; a change the database refused changes nothing.
#include "mediaengine/library/Library.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

using Attributes = QMap<QString, QString>;

QList<qint64> Ids(const CLibrarySelection& selection) {
    QList<qint64> ids;
    for (qsizetype i = 0; i < selection.Size(); ++i) {
        ids.append(selection.At(i));
    }
    return ids;
}

class LiveSelection : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = QDir(m_tmp.Path()).filePath(QStringLiteral("library.db"));
        QString error;
        ASSERT_TRUE(m_library.Open(m_file, &error)) << error.toStdString();
    }
    qint64 Put(const QString& url, const Attributes& attributes) {
        qint64 id = 0;
        EXPECT_EQ(m_library.Put(url, attributes, &id), S_OK);
        return id;
    }

    CTempDir m_tmp;
    QString m_file;
    CLibrary m_library;
};

TEST_F(LiveSelection, EveryChangeMovesTheEntryBetweenTheAnswersItMatches) {
    const auto albumA = m_library.ByAlbum(QStringLiteral("盤A"));
    const auto albumB = m_library.ByAlbum(QStringLiteral("盤B"));
    const auto tocA = m_library.ByAttribute(QStringLiteral("TOC"), QStringLiteral("3+96+ab"));
    const qint64 three =
        Put(QStringLiteral("C:\\m\\3.mp3"), {{QStringLiteral("WM/AlbumTitle"), QStringLiteral("盤A")},
                                             {QStringLiteral("WM/TrackNumber"), QStringLiteral("3")},
                                             {QStringLiteral("TOC"), QStringLiteral("3+96+AB")}});
    const qint64 one =
        Put(QStringLiteral("C:\\m\\1.mp3"), {{QStringLiteral("Album"), QStringLiteral("盤A")},
                                             {QStringLiteral("WM/TrackNumber"), QStringLiteral("1/3")},
                                             {QStringLiteral("TOC"), QStringLiteral("3+96+ab")}});
    const qint64 untitled =
        Put(QStringLiteral("C:\\m\\x.mp3"), {{QStringLiteral("Album"), QStringLiteral("盤A")}});
    EXPECT_EQ(Ids(*albumA), (QList<qint64>{untitled, one, three})) << "no track number comes first";
    EXPECT_EQ(Ids(*tocA), (QList<qint64>{one, three})) << "a TOC in another case is the same TOC";

    // Another track number: the entry moves within its answers.
    ASSERT_EQ(m_library.SetAttribute(three, QStringLiteral("wm/tracknumber"), QStringLiteral("0")), S_OK);
    EXPECT_EQ(Ids(*tocA), (QList<qint64>{three, one}));
    // "WM/AlbumTitle" stands before "Album": set, the entry leaves 盤A; emptied, it comes back.
    ASSERT_EQ(m_library.SetAttribute(one, QStringLiteral("WM/AlbumTitle"), QStringLiteral("盤B")), S_OK);
    EXPECT_EQ(Ids(*albumA), (QList<qint64>{three, untitled}));
    EXPECT_EQ(Ids(*albumB), (QList<qint64>{one}));
    ASSERT_EQ(m_library.SetAttribute(one, QStringLiteral("WM/AlbumTitle"), QString()), S_OK);
    EXPECT_TRUE(albumB->IsEmpty());
    EXPECT_EQ(Ids(*albumA), (QList<qint64>{three, untitled, one}))
        << "equal track numbers keep the order the entries were added in";
    // Added again with another TOC: the same entry, out of the old TOC's answer.
    EXPECT_EQ(Put(QStringLiteral("c:\\M\\3.MP3"), {{QStringLiteral("TOC"), QStringLiteral("9+1")}}), three);
    EXPECT_EQ(Ids(*tocA), (QList<qint64>{one}));
    EXPECT_EQ(Ids(*m_library.ByAttribute(QStringLiteral("toc"), QStringLiteral("9+1"))),
              (QList<qint64>{three}));
    ASSERT_EQ(m_library.Remove(one), S_OK);
    EXPECT_TRUE(tocA->IsEmpty());
    EXPECT_EQ(Ids(*albumA), (QList<qint64>{three, untitled}));
    EXPECT_EQ(m_library.FindByUrl(QStringLiteral("C:\\M\\1.mp3")), 0);
    EXPECT_EQ(m_library.FindByUrl(QStringLiteral("c:\\m\\X.MP3")), untitled);

    // An attribute first asked for after its entries came is found all the same.
    EXPECT_EQ(Ids(*m_library.ByAttribute(QStringLiteral("Title"), QStringLiteral("none"))), QList<qint64>{});
    ASSERT_EQ(m_library.SetAttribute(untitled, QStringLiteral("Artist"), QStringLiteral("誰か")), S_OK);
    EXPECT_EQ(Ids(*m_library.ByAttribute(QStringLiteral("ARTIST"), QStringLiteral("誰か"))),
              (QList<qint64>{untitled}));
}

TEST_F(LiveSelection, AnAnswerLetGoOfIsNotKeptAndOneHeldStaysLive) {
    const auto held = m_library.ByAttribute(QStringLiteral("TOC"), QStringLiteral("1+2"));
    for (int n = 0; n < 3; ++n) {
        auto passing = m_library.ByAttribute(QStringLiteral("TOC"), QStringLiteral("1+2"));
        EXPECT_EQ(passing, held) << "one answer per value";
        m_library.Release(std::move(passing));
    }
    auto gone = m_library.ByAttribute(QStringLiteral("TOC"), QStringLiteral("7+7"));
    const std::weak_ptr<const CLibrarySelection> watch = gone;
    m_library.Release(std::move(gone));
    EXPECT_TRUE(watch.expired()) << "an empty answer nobody holds goes";

    const qint64 id = Put(QStringLiteral("C:\\m\\a.mp3"), {{QStringLiteral("TOC"), QStringLiteral("1+2")}});
    EXPECT_EQ(Ids(*held), (QList<qint64>{id}));
}

TEST_F(LiveSelection, AChangeTheDatabaseRefusesLeavesTheAnswersAsTheyWere) {
    const qint64 id = Put(QStringLiteral("C:\\m\\a.mp3"), {{QStringLiteral("TOC"), QStringLiteral("1+2")}});
    const auto toc = m_library.ByAttribute(QStringLiteral("TOC"), QStringLiteral("1+2"));
    const auto other = m_library.ByAttribute(QStringLiteral("TOC"), QStringLiteral("5+5"));
    // Another program holds the database's write lock longer than the library waits for it.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(m_file).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(m_library.Put(QStringLiteral("C:\\m\\a.mp3"), {{QStringLiteral("TOC"), QStringLiteral("5+5")}},
                            nullptr),
              E_FAIL);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(Ids(*toc), (QList<qint64>{id}));
    EXPECT_TRUE(other->IsEmpty());
    EXPECT_EQ(m_library.Size(), 1);
}

} // namespace
