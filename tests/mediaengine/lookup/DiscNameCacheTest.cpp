#include "mediaengine/lookup/DiscNameCache.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kId = QStringLiteral("5GC2xPukEmCEOLJDB.a3MaCV0.Y-");

DiscNames Names() {
    DiscNames names;
    names.album = QStringLiteral("アルバム");
    names.albumArtist = QStringLiteral("歌手");
    names.tracks = {{QStringLiteral("一"), QStringLiteral("歌手")},
                    {QStringLiteral("二"), QStringLiteral("客演")}};
    names.source = QStringLiteral("MusicBrainz release r1");
    return names;
}

QString EmptyDatabase(const CTempDir& dir) {
    const QString file = dir.File(QStringLiteral("library.db"));
    QFile(file).open(QIODevice::WriteOnly); // an empty file is an empty database
    return file;
}

} // namespace

TEST(DiscNameCache, KeepsAnswersAcrossOpensAndAsksAgainADayAfterNotFound) {
    CTempDir dir;
    const QString file = EmptyDatabase(dir);
    const QDateTime asked = QDateTime::fromSecsSinceEpoch(1800000000, Qt::UTC);
    {
        CDiscNameCache cache;
        ASSERT_TRUE(cache.Open(file));
        ASSERT_TRUE(cache.Store(kId, Names(), asked));
        ASSERT_TRUE(cache.Store(QStringLiteral("unknown"), std::nullopt, asked));
    }
    CDiscNameCache cache;
    ASSERT_TRUE(cache.Open(file));
    const auto found = cache.Find(kId, asked.addYears(3));
    ASSERT_TRUE(found && found->found);
    EXPECT_EQ(found->names, Names());

    const auto notFound = cache.Find(QStringLiteral("unknown"), asked.addSecs(23 * 3600));
    ASSERT_TRUE(notFound);
    EXPECT_FALSE(notFound->found);
    EXPECT_FALSE(cache.Find(QStringLiteral("unknown"), asked.addSecs(24 * 3600)));
    EXPECT_FALSE(cache.Find(QStringLiteral("unknown"), asked.addSecs(-60))) << "a clock set back asks again";
    EXPECT_FALSE(cache.Find(QStringLiteral("never asked"), asked));
}

TEST(DiscNameCache, AFileThatIsNoDatabaseIsLeftAloneAndNothingIsCached) {
    CTempDir dir;
    const QString file = dir.File(QStringLiteral("library.db"));
    QFile bad(file);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(4096, 'x'));
    bad.close();
    CDiscNameCache cache;
    QString error;
    EXPECT_FALSE(cache.Open(file, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(cache.Store(kId, Names()));
    EXPECT_FALSE(cache.Find(kId));
    QFile check(file);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray(4096, 'x'));
    EXPECT_FALSE(CDiscNameCache().Open(dir.File(QStringLiteral("missing.db"))))
        << "the library makes the file";
}
