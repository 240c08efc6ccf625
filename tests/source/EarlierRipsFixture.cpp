#include "tests/source/EarlierRipsFixture.h"

#include "platform/com/ComBSTR.h"
#include "platform/files/FileOps.h"
#include "platform/files/Volumes.h"
#include "source/PlayerContext.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

const QString CEarlierRipsTest::kMusic = QStringLiteral("C:\\Users\\user\\Music");
const QString CEarlierRipsTest::kDocuments = QStringLiteral("C:\\Users\\user\\Documents");
const QString CEarlierRipsTest::kWork = QStringLiteral("C:\\Users\\user\\Documents\\Orlen");
const QString CEarlierRipsTest::kOther = QStringLiteral("C:\\Users\\user\\Other");

void CEarlierRipsTest::OpenDisc(const QString& version) {
    Insert(QLatin1Char('D'),
           MakeShortDisc(
               3, {QStringLiteral("はじまりの朝"), QStringLiteral("雨のち晴れ"), QStringLiteral("さよなら")},
               QStringLiteral("夏の記憶"), QStringLiteral("山田花子")));
    StartPlayer(version);
    ASSERT_TRUE(OpenLikeTheWindow());
    m_toc = Info(CdPlaylist(0).Get(), QStringLiteral("TOC"));
    ASSERT_FALSE(m_toc.isEmpty());
}

void CEarlierRipsTest::RipEarlier(const QString& album) {
    const ComPtr<IWMPPlaylist> cd = CdPlaylist(0);
    const long count = Count(cd.Get());
    QStringList before;
    for (long i = 0; i < count; ++i) {
        before << Info(Item(cd.Get(), i).Get(), QStringLiteral("WM/AlbumTitle"));
        if (!album.isEmpty()) {
            Item(cd.Get(), i)->setItemInfo(CComBSTR(QStringLiteral("WM/AlbumTitle")), CComBSTR(album));
        }
    }
    ComPtr<IWMPCdromRip> rip;
    ASSERT_EQ(Drive(0).As(&rip), S_OK);
    ASSERT_EQ(rip->startRip(), S_OK);
    ASSERT_TRUE(WaitForRipEnd());
    for (long i = 0; i < count; ++i) {
        Item(cd.Get(), i)->setItemInfo(CComBSTR(QStringLiteral("WM/AlbumTitle")), CComBSTR(before.at(i)));
    }
}

void CEarlierRipsTest::MakeEarlierRips() {
    // Ripped at another rate, so the job's rips of the same paths differ from them in every byte
    // count: a mix-up of the two shows.
    SetRipPreferences(kMusic, 192000);
    RipEarlier();
    RipEarlier(QStringLiteral("夏の記憶 ライブ"));
    SetRipPreferences(kMusic);
    QStringList paths = LibraryPaths();
    ASSERT_EQ(paths.size(), 6);
    // One rip of the second album is moved out of the tree, one to the top of the rip folder.
    const ComPtr<IWMPMediaCollection> library = Library();
    ASSERT_TRUE(CreateDirectory(kOther, nullptr));
    ComPtr<IWMPPlaylist> list;
    ASSERT_EQ(library->getByAttribute(CComBSTR(QStringLiteral("TOC")), CComBSTR(Toc()), &list), S_OK);
    QList<ComPtr<IWMPMedia>> moving;
    for (long i = 0; i < Count(list.Get()); ++i) {
        const ComPtr<IWMPMedia> item = Item(list.Get(), i);
        if (Info(item.Get(), QStringLiteral("SourceURL")).contains(QStringLiteral("ライブ")) &&
            Info(item.Get(), QStringLiteral("WM/TrackNumber")) != QStringLiteral("1")) {
            moving << item;
        }
    }
    ASSERT_EQ(moving.size(), 2);
    const QString targets[] = {kOther + QStringLiteral("\\03 さよなら.mp3"),
                               kMusic + QStringLiteral("\\02 雨のち晴れ.mp3")};
    for (int i = 0; i < 2; ++i) {
        const QString from = Info(moving.at(i).Get(), QStringLiteral("SourceURL"));
        ASSERT_EQ(library->remove(moving.at(i).Get(), VARIANT_FALSE), S_OK);
        ASSERT_TRUE(MoveFileEx(from, targets[i], 0));
        ComPtr<IWMPMedia> added;
        ASSERT_EQ(library->add(CComBSTR(targets[i]), &added), S_OK);
    }
    m_loop.Pump();
    paths = LibraryPaths();
    ASSERT_EQ(paths.size(), 6);
    m_earlier.clear();
    for (const QString& path : paths) {
        m_earlier.insert(path, Bytes(path));
        ASSERT_FALSE(m_earlier.value(path).isEmpty()) << path.toStdString();
    }
}

void CEarlierRipsTest::PrepareJob() {
    ASSERT_TRUE(m_cd->PruneMissingFiles());
    ASSERT_TRUE(m_cd->SetAsideEarlierRips(kMusic));
    ASSERT_TRUE(m_cd->CheckAlbumOrder());
    ASSERT_TRUE(m_cd->PrepareTrackTags(0));
    ASSERT_TRUE(m_cd->CopyTagsToLibrary());
    ASSERT_TRUE(m_cd->TakeAlbumSnapshot());
}

void CEarlierRipsTest::StartRip() {
    ASSERT_EQ(m_cd->StartRip(), 0);
}

QMap<QString, QByteArray> CEarlierRipsTest::FilesUnder(const QString& folder, int* leftTemporaries) const {
    QMap<QString, QByteArray> files;
    if (leftTemporaries) {
        *leftTemporaries = 0;
    }
    QDirIterator it(Host(folder), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString host = it.next();
        if (QFileInfo(host).fileName().startsWith(QStringLiteral("~rip-")) && leftTemporaries) {
            ++*leftTemporaries;
            continue;
        }
        QString win;
        EXPECT_EQ(FromHostPath(host, &win), ERROR_SUCCESS);
        QFile file(host);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        files.insert(win, file.readAll());
    }
    return files;
}

QByteArray CEarlierRipsTest::Bytes(const QString& path) const {
    QFile file(Host(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString CEarlierRipsTest::Toc() const {
    return m_toc;
}

QStringList CEarlierRipsTest::LibraryPaths() const {
    ComPtr<IWMPPlaylist> list;
    EXPECT_EQ(Library()->getByAttribute(CComBSTR(QStringLiteral("TOC")), CComBSTR(Toc()), &list), S_OK);
    QStringList paths;
    for (long i = 0; i < Count(list.Get()); ++i) {
        paths << Info(Item(list.Get(), i).Get(), QStringLiteral("SourceURL"));
    }
    paths.sort();
    return paths;
}

namespace {

void CopyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (QFileInfo(source).isDir()) {
            QDir().mkpath(target);
        } else {
            QDir().mkpath(QFileInfo(target).path());
            // A file may go while the tree is walked (the player renames its finished rips).
            QFile::copy(source, target);
        }
    }
}

} // namespace

QString CEarlierRipsTest::SaveImage(const QString& name) const {
    const QString image = m_tmp.File(QStringLiteral("image-") + name);
    CopyTree(m_dir, image);
    return image;
}

void CEarlierRipsTest::RestartOn(const QString& image) {
    m_cd.reset();
    PlayerContext().ReleasePlayer();
    ReleasePlayer();
    m_loop.Pump();
    m_registration.reset();
    ASSERT_EQ(MediaEngineLiveObjects(), 0) << "the player's library would still be open";
    QDir(m_dir).removeRecursively();
    CopyTree(image, m_dir);
    StartPlayer();
}

void CEarlierRipsTest::ExpectEarlierRipsBack(int* playerTemporaries) const {
    for (auto it = m_earlier.begin(); it != m_earlier.end(); ++it) {
        EXPECT_EQ(Bytes(it.key()), it.value()) << "not back as it was: " << it.key().toStdString();
    }
    EXPECT_EQ(LibraryPaths(), QStringList(m_earlier.keys()));
    QStringList inTree;
    for (const QString& path : m_earlier.keys()) {
        if (path.startsWith(kMusic + QLatin1Char('\\'))) {
            inTree << path;
        }
    }
    EXPECT_EQ(QStringList(FilesUnder(kMusic, playerTemporaries).keys()), inTree);
    EXPECT_FALSE(PathFileExists(kWork));
}

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const QStringList& list, std::ostream* out) {
    *out << "{";
    for (const QString& text : list) {
        *out << "\n  " << text.toStdString();
    }
    *out << " }";
}
