// The set-aside journal: what it writes reads back exactly, anything else is refused, and every
// earlier rip gets a name of its own in the work folder.

#include "source/SetAsideJournal.h"

#include "platform/files/FileOps.h"
#include "tests/support/engine/EngineFixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kWork = QStringLiteral("C:\\Users\\user\\Documents\\Orlen");

class SetAsideJournalTest : public CEngineFixture {
protected:
    void SetUp() override {
        CEngineFixture::SetUp();
        ASSERT_TRUE(CreateDirectory(kWork, nullptr));
        m_journal.SetWorkFolder(kWork);
    }
    void WriteFile(const QString& winPath, const QByteArray& bytes) {
        QFile file(Host(winPath));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray ReadFile(const QString& winPath) {
        QFile file(Host(winPath));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // A journal whose header is right for whatever payload it carries.
    static QByteArray Signed(const QByteArray& payload) {
        return "Ollivane set-aside journal 1 " +
               QCryptographicHash::hash(payload, QCryptographicHash::Sha256).toHex() + '\n' + payload;
    }

    CSetAsideJournal m_journal;
};

QList<SetAsideEntry> SampleEntries() {
    return {{QStringLiteral("C:\\Users\\user\\Music\\山田花子\\夏の記憶\\01 はじまりの朝.mp3"),
             QStringLiteral("01 はじまりの朝.mp3")},
            {QStringLiteral("C:\\Users\\user\\Music\\山田花子\\夏の記憶 (2)\\01 はじまりの朝.mp3"),
             QStringLiteral("01 はじまりの朝 (2).mp3")},
            {QStringLiteral("C:\\Users\\user\\Other\\It's & {more}.mp3"), QString()}};
}

SetAsideJob SampleJob() {
    return {.ripFolder = QStringLiteral("C:\\Users\\user\\Music"),
            .toc = QStringLiteral("3+96+2F3+4C6+64A"),
            .album = QStringLiteral("夏の記憶"),
            .kept = {QStringLiteral("C:\\Users\\user\\Music\\x.wma")},
            .started = QDateTime(QDate(2026, 12, 10), QTime(13, 52, 26, 123), Qt::UTC)};
}

} // namespace

TEST_F(SetAsideJournalTest, WhatIsSavedLoadsBackAndAnEmptyJournalIsDeleted) {
    m_journal.SetEntries(SampleEntries());
    m_journal.SetJob(SampleJob());
    ASSERT_TRUE(m_journal.Save());
    EXPECT_FALSE(PathFileExists(m_journal.JournalPath() + QStringLiteral(".new")));

    CSetAsideJournal read;
    read.SetWorkFolder(kWork);
    ASSERT_EQ(read.Load(), CSetAsideJournal::LoadStatus::Loaded);
    EXPECT_EQ(read.Entries(), SampleEntries());
    ASSERT_TRUE(read.Job().has_value());
    EXPECT_EQ(*read.Job(), SampleJob());

    // Without a job the journal carries the entries alone.
    read.EndJob();
    ASSERT_TRUE(read.Save());
    CSetAsideJournal again;
    again.SetWorkFolder(kWork);
    ASSERT_EQ(again.Load(), CSetAsideJournal::LoadStatus::Loaded);
    EXPECT_EQ(again.Entries(), SampleEntries());
    EXPECT_FALSE(again.Job().has_value());

    again.Clear();
    ASSERT_TRUE(again.Save());
    EXPECT_FALSE(PathFileExists(again.JournalPath()));
    EXPECT_EQ(again.Load(), CSetAsideJournal::LoadStatus::Missing);
    // Deleting a journal that is not there is no failure either.
    EXPECT_TRUE(again.Save());
}

TEST_F(SetAsideJournalTest, ATruncatedOrAlteredJournalIsRefusedAndTheHeldListStays) {
    const QByteArray good = CSetAsideJournal::Serialize(SampleEntries(), SampleJob());
    QList<SetAsideEntry> entries;
    std::optional<SetAsideJob> job;
    ASSERT_TRUE(CSetAsideJournal::Parse(good, &entries, &job));

    // Cut short anywhere.
    for (qsizetype size = 0; size < good.size(); ++size)
        EXPECT_FALSE(CSetAsideJournal::Parse(good.left(size), &entries, &job)) << size;
    // One byte changed anywhere in the header or the data.
    for (qsizetype at = 0; at < good.size(); at += 7) {
        QByteArray bad = good;
        bad[at] = char(bad[at] ^ 0x20);
        EXPECT_FALSE(CSetAsideJournal::Parse(bad, &entries, &job)) << at;
    }

    // Well signed but not what the program writes: never acted on.
    const char* const payloads[] = {
        R"({"entries":[{"path":"C:\\a\\b.mp3","work":"..\\..\\evil.mp3"}]})",
        R"({"entries":[{"path":"C:\\a\\b.mp3","work":"sub\\b.mp3"}]})",
        R"({"entries":[{"path":"relative\\b.mp3","work":"b.mp3"}]})",
        R"({"entries":[{"path":"C:\\","work":"b.mp3"}]})",
        R"({"entries":[{"path":"C:\\a\\b.mp3","work":"Orlen.journal"}]})",
        R"({"entries":[{"path":"C:\\a\\b.mp3","work":"b.mp3"},{"path":"C:\\c\\b.mp3","work":"B.MP3"}]})",
        R"({"entries":[{"path":"C:\\a\\b.mp3"}]})",
        R"({"entries":[{"path":7,"work":""}]})",
        R"({"entries":{}})",
        R"({"entries":[],"job":{"ripFolder":"C:\\Music","toc":"1","album":"x"}})",
        R"({"entries":[],"job":{"ripFolder":"C:\\Music","toc":"1","album":"x","kept":[]}})",
        R"({"entries":[],"job":{"ripFolder":"C:\\Music","toc":"1","album":"x","kept":[],"started":"yesterday"}})",
        R"({"entries":[],"job":"C:\\Music"})",
        R"([])",
        R"(not json)",
    };
    for (const char* payload : payloads)
        EXPECT_FALSE(CSetAsideJournal::Parse(Signed(payload), &entries, &job)) << payload;
    EXPECT_TRUE(CSetAsideJournal::Parse(Signed(R"({"entries":[{"path":"C:\\a\\b.mp3","work":"b.mp3"}]})"),
                                        &entries, &job));

    // Loading a corrupt file leaves what the journal object holds alone.
    WriteFile(m_journal.JournalPath(), good.left(good.size() / 2));
    m_journal.SetEntries({{QStringLiteral("C:\\keep\\me.mp3"), QStringLiteral("me.mp3")}});
    EXPECT_EQ(m_journal.Load(), CSetAsideJournal::LoadStatus::Corrupt);
    ASSERT_EQ(m_journal.Entries().size(), 1);
    EXPECT_EQ(m_journal.Entries().first().path, QStringLiteral("C:\\keep\\me.mp3"));
}

TEST_F(SetAsideJournalTest, ACorruptJournalIsKeptAsideUnderAnotherName) {
    const QByteArray first = "Ollivane set-aside journal 1 cut";
    const QByteArray second = "garbage";
    WriteFile(m_journal.JournalPath(), first);
    EXPECT_EQ(m_journal.KeepAside(), QStringLiteral("Orlen.journal.bad"));
    WriteFile(m_journal.JournalPath(), second);
    EXPECT_EQ(m_journal.KeepAside(), QStringLiteral("Orlen.journal.bad2"));

    EXPECT_FALSE(PathFileExists(m_journal.JournalPath()));
    EXPECT_EQ(ReadFile(kWork + QStringLiteral("\\Orlen.journal.bad")), first);
    EXPECT_EQ(ReadFile(kWork + QStringLiteral("\\Orlen.journal.bad2")), second);
    EXPECT_EQ(m_journal.Load(), CSetAsideJournal::LoadStatus::Missing);
}

TEST_F(SetAsideJournalTest, EveryEarlierRipGetsANameOfItsOwn) {
    const QString name = QStringLiteral("01 はじまりの朝.mp3");
    EXPECT_EQ(m_journal.UniqueWorkName(name), name);
    m_journal.Append({QStringLiteral("C:\\Music\\A\\B\\") + name, name});
    // The same name from another folder, and again from a third.
    const QString second = m_journal.UniqueWorkName(name);
    EXPECT_EQ(second, QStringLiteral("01 はじまりの朝 (2).mp3"));
    m_journal.Append({QStringLiteral("C:\\Music\\A\\C\\") + name, second});
    EXPECT_EQ(m_journal.UniqueWorkName(name.toUpper()), QStringLiteral("01 はじまりの朝 (3).MP3"));

    // A file already in the work folder (left over from before) is never replaced.
    WriteFile(kWork + QStringLiteral("\\02 x.mp3"), "old");
    EXPECT_EQ(m_journal.UniqueWorkName(QStringLiteral("02 x.mp3")), QStringLiteral("02 x (2).mp3"));
    // The journal's own names are never given away; a name without extension still counts up.
    EXPECT_EQ(m_journal.UniqueWorkName(QStringLiteral("Orlen.journal")), QStringLiteral("rip"));
    WriteFile(kWork + QStringLiteral("\\rip"), "x");
    EXPECT_EQ(m_journal.UniqueWorkName(QStringLiteral("Orlen.journal.bad")), QStringLiteral("rip (2)"));
}

TEST_F(SetAsideJournalTest, LeftoversOfCutShortWorkAreRemovedAndNothingElse) {
    WriteFile(m_journal.JournalPath() + QStringLiteral(".new"), "half a journal");
    WriteFile(kWork + QStringLiteral("\\.~ollivane-123456"), "half a copy");
    WriteFile(kWork + QStringLiteral("\\01 x.mp3"), "an earlier rip");
    m_journal.RemoveStaleTemporaries();
    EXPECT_EQ(QDir(Host(kWork)).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("01 x.mp3")});
}
