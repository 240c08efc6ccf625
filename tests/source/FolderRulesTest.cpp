// Which files lie in the rip folder's tree, which folders hold nothing worth keeping, and which
// folders the clean-up after a job removes.

#include "platform/files/FileOps.h"
#include "source/CDROMAcc.h"
#include "source/RipFolderTree.h"
#include "tests/source/EarlierRipsFixture.h"
#include "ui/text/TextRules.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace {

TEST(RipFolderTree, WhichFilesLieInTheTree) {
    const struct {
        const char* ripFolder;
        const char* path;
        bool inTree;    // LiesInRipTree: set aside through the work folder
        bool deletable; // a file the clean-up may delete as a rip of the job
    } cases[] = {
        {R"(C:\Music)", R"(C:\Music\Artist\Album\01.wma)", true, true},
        {R"(C:\Music)", R"(C:\Music\Album\01.wma)", false, false},
        {R"(D:\Music)", R"(D:\Other\A\B\01.wma)", false, false},
        {R"(C:\Music)", R"(D:\Other\A\B\01.wma)", false, false},
        {R"(C:\Music)", R"(C:\Music\A\B\C\01.wma)", true, true},
        // The plain prefix of the tree rule: C:\Music lies in C:\Mus's tree, but its files are never
        // the job's to delete.
        {R"(C:\Mus)", R"(C:\Music\A\B\x.wma)", true, false},
        {R"(C:\Mus)", R"(C:\Music\A\x.wma)", false, false},
        {R"(C:\Music)", R"(C:\Musical\A\B\x.wma)", true, false},
        // A trailing separator or the drive's root as rip folder.
        {R"(C:\Music\)", R"(C:\Music\Artist\Album\01.wma)", true, true},
        {R"(C:\)", R"(C:\Artist\Album\01.wma)", true, true},
        {R"(C:\Music)", R"(C:\Music\Artist\..\..\Other\01.wma)", true, false},
        {"", R"(C:\Music\Artist\Album\01.wma)", false, false},
        {R"(C:\Music)", "", false, false},
    };
    for (const auto& c : cases) {
        const QString ripFolder = QString::fromUtf8(c.ripFolder);
        const QString path = QString::fromUtf8(c.path);
        EXPECT_EQ(CCDROMAcc::LiesInRipTree(ripFolder, path), c.inTree) << c.ripFolder << " " << c.path;
        EXPECT_EQ(CRipFolderTree(ripFolder).HoldsFile(path), c.deletable) << c.ripFolder << " " << c.path;
    }
}

TEST(RipFolderTree, OnlyFoldersInsideTheRipFolderAreCleanedUp) {
    const CRipFolderTree tree(QStringLiteral("C:\\Music"));
    EXPECT_TRUE(tree.HoldsFolder(QStringLiteral("C:\\Music\\Artist")));
    EXPECT_TRUE(tree.HoldsFolder(QStringLiteral("C:\\Music\\Artist\\Album")));
    EXPECT_FALSE(tree.HoldsFolder(QStringLiteral("C:\\Music")));
    EXPECT_FALSE(tree.HoldsFolder(QStringLiteral("C:\\Music\\")));
    EXPECT_FALSE(tree.HoldsFolder(QStringLiteral("C:\\Musicals\\Artist")));
    EXPECT_FALSE(tree.HoldsFolder(QStringLiteral("C:\\")));
    EXPECT_FALSE(tree.HoldsFolder(QStringLiteral("C:\\Music\\..")));
    EXPECT_FALSE(tree.HoldsFolder(QStringLiteral("C:\\Music\\Artist\\..\\..")));
    EXPECT_FALSE(tree.HoldsFolder(QStringLiteral("C:\\Music\\\\Artist")));
    EXPECT_FALSE(CRipFolderTree(QString()).HoldsFolder(QStringLiteral("C:\\Music\\Artist")));
}

class FolderContent : public CEngineFixture {
protected:
    void Make(const QString& folder, const QStringList& names) {
        ASSERT_TRUE(QDir().mkpath(Host(folder)));
        for (const QString& name : names) {
            if (name.endsWith(QLatin1Char('\\'))) {
                ASSERT_TRUE(QDir().mkpath(Host(folder + QLatin1Char('\\') + name.chopped(1))));
                continue;
            }
            QFile file(Host(folder + QLatin1Char('\\') + name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("x");
        }
    }
    QStringList Entries(const QString& folder) const {
        return QDir(Host(folder))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
};

TEST_F(FolderContent, PicturesAndTheShellsFilesAreNoContentAndGoWithTheFolder) {
    const struct {
        QStringList names; // a name ending in "\" is a sub-folder
        bool other;
    } cases[] = {
        {{}, false},
        {{QStringLiteral("Folder.jpg"), QStringLiteral("Thumbs.db")}, false},
        {{QStringLiteral("AlbumArt_{1}_Large.JPEG"), QStringLiteral("desktop.ini"), QStringLiteral("x.Jpg")},
         false},
        {{QStringLiteral("Folder.jpg"), QStringLiteral("notes.txt")}, true},
        {{QStringLiteral("thumbs.db")}, true}, // the names are compared exactly
        {{QStringLiteral("Desktop.ini")}, true},
        {{QStringLiteral("jpg")}, true}, // no extension at all
        {{QStringLiteral(".jpg")}, true},
        {{QStringLiteral("Scans\\")}, true}, // any sub-folder
        {{QStringLiteral("01.mp3"), QStringLiteral("Folder.jpg")}, true},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString folder = QStringLiteral("C:\\Users\\user\\Music\\case%1").arg(n++);
        ASSERT_NO_FATAL_FAILURE(Make(folder, c.names));
        EXPECT_EQ(CCDROMAcc::FolderHasOtherContent(folder), c.other) << c.names.join(u',').toStdString();
        // DeleteFilesIn takes every file and leaves sub-folders.
        CCDROMAcc::DeleteFilesIn(folder);
        const bool hasFolder = !c.names.filter(QStringLiteral("\\")).isEmpty();
        EXPECT_EQ(Entries(folder), hasFolder ? QStringList{QStringLiteral("Scans")} : QStringList());
    }
    // A folder that is not there cannot be searched: it holds nothing.
    EXPECT_FALSE(CCDROMAcc::FolderHasOtherContent(QStringLiteral("C:\\Users\\user\\Music\\none")));
    CCDROMAcc::DeleteFilesIn(QStringLiteral("C:\\Users\\user\\Music\\none"));
}

// The folders of a job without earlier rips, with what else the user or the shell put there.
struct CleanUpCase {
    const char* name;
    QStringList album;  // more files in the album folder
    QStringList artist; // more files in the artist folder
    QStringList albumAfter;
    bool artistStays;
};

void PrintTo(const CleanUpCase& c, std::ostream* out) {
    *out << c.name;
}

class JobFolders : public CEarlierRipsTest, public ::testing::WithParamInterface<CleanUpCase> {};

TEST_P(JobFolders, EmptiedFoldersGoAndOtherContentStays) {
    const CleanUpCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(OpenDisc());
    ASSERT_NO_FATAL_FAILURE(PrepareJob());
    ASSERT_NO_FATAL_FAILURE(StartRip());
    ASSERT_TRUE(WaitForRipEnd());
    const QStringList rips = LibraryPaths();
    ASSERT_EQ(rips.size(), 3);
    const QString albumFolder = FolderOf(rips.first(), true);
    const QString artistFolder = FolderOf(albumFolder, true);
    ASSERT_EQ(FolderOf(artistFolder, true), kMusic);
    auto make = [this](const QString& folder, const QStringList& names) {
        for (const QString& name : names) {
            QFile file(Host(folder + QLatin1Char('\\') + name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("x");
        }
    };
    ASSERT_NO_FATAL_FAILURE(make(albumFolder, c.album));
    ASSERT_NO_FATAL_FAILURE(make(artistFolder, c.artist));

    m_cd->RemoveRippedTracks();
    EXPECT_TRUE(LibraryPaths().isEmpty());
    const QDir album(Host(albumFolder));
    EXPECT_EQ(album.exists(), !c.albumAfter.isEmpty());
    EXPECT_EQ(album.entryList(QDir::Files | QDir::Hidden), c.albumAfter);
    EXPECT_EQ(QDir(Host(artistFolder)).exists(), c.artistStays);
    if (c.artistStays) {
        EXPECT_EQ(QDir(Host(artistFolder)).entryList(QDir::Files | QDir::Hidden), c.artist);
    }
    // The rip folder itself always stays, empty or not.
    EXPECT_TRUE(QDir(Host(kMusic)).exists());
    EXPECT_FALSE(PathFileExists(kWork));
}

INSTANTIATE_TEST_SUITE_P(
    CleanUp, JobFolders,
    ::testing::Values(
        CleanUpCase{
            "OnlyPictures", {QStringLiteral("Folder.jpg"), QStringLiteral("Thumbs.db")}, {}, {}, false},
        CleanUpCase{"ArtistHoldsOnlyThumbs",
                    {QStringLiteral("Folder.jpg")},
                    {QStringLiteral("Thumbs.db")},
                    {},
                    false},
        // A text file keeps the album folder, and the artist folder is not looked at.
        CleanUpCase{"AlbumHoldsText",
                    {QStringLiteral("Folder.jpg"), QStringLiteral("notes.txt")},
                    {QStringLiteral("Thumbs.db")},
                    {QStringLiteral("Folder.jpg"), QStringLiteral("notes.txt")},
                    true},
        CleanUpCase{
            "ArtistHoldsMore", {QStringLiteral("Folder.jpg")}, {QStringLiteral("bio.txt")}, {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

// An album folder of the user's that stood before the job with only their cover in it: the job
// rips into it, and its clean-up leaves the folder and the cover as they were.
class UsersFolders : public CEarlierRipsTest {
protected:
    // Rips the disc and takes the job away again; the album folder its rips took.
    QString OneJob() {
        PrepareJob();
        StartRip();
        EXPECT_TRUE(WaitForRipEnd());
        const QStringList rips = LibraryPaths();
        EXPECT_EQ(rips.size(), 3);
        m_cd->RemoveRippedTracks();
        return rips.isEmpty() ? QString() : FolderOf(rips.first(), true);
    }
};

TEST_F(UsersFolders, AFolderThatStoodBeforeTheJobStaysWithTheUsersCover) {
    ASSERT_NO_FATAL_FAILURE(OpenDisc());
    const QString albumFolder = OneJob();
    ASSERT_FALSE(albumFolder.isEmpty());
    const QString artistFolder = FolderOf(albumFolder, true);
    ASSERT_FALSE(QDir(Host(albumFolder)).exists()) << "the first job's own folders went";

    // The user makes the folders and puts a cover into each, long before the next job.
    ASSERT_TRUE(QDir().mkpath(Host(albumFolder)));
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-3600);
    for (const QString& folder : {albumFolder, artistFolder}) {
        QFile cover(Host(folder + QStringLiteral("\\Folder.jpg")));
        ASSERT_TRUE(cover.open(QIODevice::WriteOnly));
        cover.write("the user's cover");
        ASSERT_TRUE(cover.flush());
        ASSERT_TRUE(cover.setFileTime(before, QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(OneJob(), albumFolder);
    EXPECT_TRUE(LibraryPaths().isEmpty());
    for (const QString& folder : {albumFolder, artistFolder}) {
        EXPECT_EQ(QDir(Host(folder)).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("Folder.jpg")})
            << folder.toStdString();
    }
}

} // namespace
