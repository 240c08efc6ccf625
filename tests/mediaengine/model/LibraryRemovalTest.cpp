// A removal with the delete flag deletes the file it removed, and only that file: another file that
// stands at the same path by the time the deletion comes round stays.
#include "platform/files/Volumes.h"
#include "tests/support/engine/EngineFixture.h"
#include "tests/support/engine/TestMp3.h"

#include <QFile>
#include <QFileInfo>

namespace {

using LibraryRemoval = CEngineFixture;

const QString kMusic = QStringLiteral("C:\\Users\\user\\Music");

QString HostOf(const QString& win) {
    QString host;
    EXPECT_EQ(ToHostPath(win, &host), ERROR_SUCCESS);
    return host;
}

QByteArray Read(const QString& host) {
    QFile file(host);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

enum class Meanwhile {
    Nothing,          // the removed file is still there: it goes
    WrittenAnew,      // deleted by someone else and a new file written at the path
    MovedAwayAndNew,  // moved away (the program keeps it) and another file moved into its place
    ReplacedWhileRead // a reader holds the old file; the path gets a new file before it lets go
};

TEST_F(LibraryRemoval, DeletesOnlyTheFileItRemoved) {
    const struct {
        const char* name;
        Meanwhile meanwhile;
    } cases[] = {
        {"nothing", Meanwhile::Nothing},
        {"written anew", Meanwhile::WrittenAnew},
        {"moved away, another moved in", Meanwhile::MovedAwayAndNew},
        {"replaced while read", Meanwhile::ReplacedWhileRead},
    };
    CreatePlayer();
    const ComPtr<IWMPMediaCollection> library = Library();
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString win = kMusic + QStringLiteral("\\track%1.mp3").arg(++n);
        const QString host = HostOf(win);
        ASSERT_TRUE(CTestMp3::Write(host, 0.5, 128, QStringLiteral("題"), QStringLiteral("盤"), n));
        ComPtr<IWMPMedia> item;
        ASSERT_EQ(library->add(CComBSTR(win), &item), S_OK);
        const QByteArray removed = Read(host);

        std::unique_ptr<QFile> reader;
        if (c.meanwhile == Meanwhile::ReplacedWhileRead) {
            reader = std::make_unique<QFile>(host);
            ASSERT_TRUE(reader->open(QIODevice::ReadOnly));
        }
        ASSERT_EQ(library->remove(item.Get(), VARIANT_TRUE), S_OK);
        const QString kept = host + QStringLiteral(".kept");
        const QByteArray other = "another file at the same path";
        switch (c.meanwhile) {
        case Meanwhile::Nothing:
            break;
        case Meanwhile::WrittenAnew: {
            ASSERT_TRUE(QFile::remove(host));
            QFile file(host);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(other);
            break;
        }
        case Meanwhile::MovedAwayAndNew:
        case Meanwhile::ReplacedWhileRead: {
            if (c.meanwhile == Meanwhile::MovedAwayAndNew) {
                ASSERT_TRUE(QFile::rename(host, kept));
            }
            QFile file(host + QStringLiteral(".new"));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(other);
            file.close();
            ASSERT_EQ(
                ::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(host).constData()),
                0);
            break;
        }
        }
        m_loop.Pump();
        reader.reset();
        m_loop.Advance(5000);
        m_loop.Pump();

        EXPECT_EQ(Test()->PendingDeletions(), 0);
        if (c.meanwhile == Meanwhile::Nothing) {
            EXPECT_FALSE(QFileInfo::exists(host));
        } else {
            EXPECT_EQ(Read(host), other);
        }
        if (c.meanwhile == Meanwhile::MovedAwayAndNew) {
            EXPECT_EQ(Read(kept), removed);
        }
    }
}

} // namespace
