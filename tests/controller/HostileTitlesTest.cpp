// Titles are disc data, written by whoever made the disc or its CUE sheet. Whatever they hold
// (climbing paths, separators, drive letters, control characters, 300 characters, bytes that are
// neither UTF-8 nor Shift_JIS, device names, trailing dots), a whole job writes only into the rip
// folder's <artist>\<album> tree and the card's album folder, copies every ticked track whole, and
// ends as a plain job does.
#include "resources/StringIds.h"
#include "source/AlbumDlg.h"
#include "source/SetAsideJournal.h"
#include "tests/controller/MainWindowFixture.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMap>
#include <QScopeGuard>
#include <QSet>
#include <QTest>
#include <QTimer>

namespace {

// Texts as the disc holds them: \xNN is the byte NN, \\ one backslash (TestDisc::escapes).
struct HostileDisc {
    const char* name;
    QString album;
    QString artist;
    QStringList titles;
    QString encoding = QStringLiteral("utf-8");
    bool cdTextFile = false;
};

void PrintTo(const HostileDisc& disc, std::ostream* out) {
    *out << disc.name;
}

const QList<HostileDisc> kDiscs = {
    {"Plain",
     QStringLiteral("夏の記憶"),
     QStringLiteral("山田花子"),
     {QStringLiteral("曲その1"), QStringLiteral("曲その2")}},
    {"ClimbingPaths",
     QStringLiteral("../../../../../../escape"),
     QStringLiteral(R"(..\\..\\..\\..\\..\\out)"),
     {QStringLiteral("../../../../../../../x"), QStringLiteral(R"(..\\..\\..\\..\\..\\..\\y)"),
      QStringLiteral("/etc/passwd"), QStringLiteral(R"(C:\\Users\\user\\Documents\\z)"),
      QStringLiteral(R"(E:\\音声データ\\..\\..\\w)"), QStringLiteral(R"(\\\\server\\share\\v)")}},
    {"DrivesAndStreams",
     QStringLiteral("C:"),
     QStringLiteral("E:.."),
     {QStringLiteral("a:b"), QStringLiteral("x.mp3:stream"), QStringLiteral("E:"), QStringLiteral("*?<>|")}},
    {"DotsAndBlanks",
     QStringLiteral(".."),
     QStringLiteral("."),
     {QStringLiteral(".."), QStringLiteral("..."), QStringLiteral(". ."), QStringLiteral("x. . "),
      QStringLiteral("  .."), QStringLiteral("   ")}},
    {"DeviceNames",
     QStringLiteral("CON"),
     QStringLiteral("NUL.txt"),
     {QStringLiteral("COM1"), QStringLiteral("aux.mp3"), QStringLiteral("PRN "), QStringLiteral("lpt9.x"),
      QStringLiteral("CON")}},
    {"ControlCharacters",
     QStringLiteral(R"(a\x01b\x1bc\x7f)"),
     QStringLiteral(R"(\x09)"),
     {QStringLiteral(R"(\x01)"), QStringLiteral(R"(\x0b\x0c)"), QStringLiteral(R"(tab\x09here)"),
      QStringLiteral(R"(\x1f/\x1f)"), QStringLiteral(R"(\x7f..\x7f)")}},
    {"ThreeHundredCharacters",
     QStringLiteral("長").repeated(300),
     QStringLiteral("a").repeated(300),
     {QStringLiteral("x").repeated(300), QStringLiteral("曲/").repeated(150),
      QStringLiteral(".").repeated(299) + QStringLiteral("a"), QStringLiteral("../").repeated(100)}},
    {"InvalidUtf8",
     QStringLiteral(R"(\xff\xfe../\xc0\xaf..)"),
     QStringLiteral(R"(\xed\xa0\x80)"),
     {QStringLiteral(R"(\xf8\x88\x80\x80\x80)"), QStringLiteral(R"(\xe3\x81)"),
      QStringLiteral(R"(\xc0\xae\xc0\xae/\xc0\xae\xc0\xae/x)"), QStringLiteral(R"(\xc0\xaf\xc1\x9c)"),
      QStringLiteral("正しい曲")}},
    // Shift_JIS whose second bytes are "\" (表, ソ) next to broken sequences.
    {"BrokenShiftJis",
     QStringLiteral(R"(\x95\\\x8e\xa6\\..\\..)"),
     QStringLiteral(R"(\x83\\\x83\\)"),
     {QStringLiteral(R"(\x83\x65\x83\x58\x83)"), QStringLiteral(R"(\x81\\..\\..\\)"),
      QStringLiteral(R"(\x82)"), QStringLiteral(R"(\xa0\xfd\xfe\xff)")},
     QStringLiteral("shift_jis")},
    // Binary CD-Text may hold line breaks and quotation marks, which a CUE line cannot; its
    // Japanese block is read on a Japanese desktop. Its strings are whole double-byte units.
    {"CdTextFile",
     QStringLiteral(R"(..\x0d\x0a//..)"),
     QStringLiteral("../../"),
     {QStringLiteral(R"(\x0d\x0a)"), QStringLiteral(R"(..\\..\\xy)"), QStringLiteral("CON."),
      QStringLiteral(R"(\x95\\\x83\\)"), QStringLiteral("\"quoted\"")},
     QStringLiteral("utf-8"),
     true},
};

// Every file below `root`, relative to it, with its bytes' hash.
QMap<QString, QByteArray> FilesBelow(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(QDir(root).relativeFilePath(path),
                     file.open(QIODevice::ReadOnly)
                         ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                         : QByteArray());
    }
    return files;
}

// Runs whole jobs and watches every file that appears below the test's folder (the sandbox and
// what lies around it) while they run.
class WatchedJobs : public CMainWindowFixture {
protected:
    void SetUp() override {
        CMainWindowFixture::SetUp();
        m_root = QFileInfo(m_dir).absolutePath();
    }

    // Runs one job of a disc of `tracks` tracks, all ticked, and checks where its files went.
    void RunWatchedJob(int tracks) {
        m_modal.Clear();
        const QMap<QString, QByteArray> before = FilesBelow(m_root);
        QMap<QString, QByteArray> seen;
        auto look = [&] {
            const QMap<QString, QByteArray> now = FilesBelow(m_root);
            for (auto it = now.cbegin(); it != now.cend(); ++it) {
                seen.insert(it.key(), it.value());
            }
        };
        const int jobs = m_dlg->JobLog().Jobs();
        Command(IDC_TRANSFER);
        ASSERT_TRUE(RunUntil([&] {
            look();
            return m_dlg->JobLog().Jobs() > jobs && !m_dlg->JobLog().Running() && !m_dlg->IsJobRunning();
        }));
        look();

        const QString music = Relative(QStringLiteral("C:\\Users\\user\\Music"));
        const QString card = Relative(QStringLiteral("E:\\音声データ"));
        // The job's own record of what it set aside, under a fixed name in the work folder.
        const QString journal = Relative(QStringLiteral("C:\\Users\\user\\Documents\\Orlen")) +
                                QLatin1Char('/') + CSetAsideJournal::kJournalName;
        QSet<QString> ripFolders;
        QSet<QString> cardFolders;
        QSet<QByteArray> ripped;
        QStringList elsewhere;
        for (auto it = seen.cbegin(); it != seen.cend(); ++it) {
            const QString& path = it.key();
            if (before.contains(path)) {
                continue;
            }
            const qsizetype depth = path.count(QLatin1Char('/'));
            if (path.startsWith(music + QLatin1Char('/')) && depth == music.count(QLatin1Char('/')) + 3) {
                ripFolders.insert(path.section(QLatin1Char('/'), 0, -2));
                if (path.endsWith(QStringLiteral(".mp3"))) {
                    ripped.insert(it.value());
                }
            } else if (path.startsWith(card + QLatin1Char('/')) &&
                       depth == card.count(QLatin1Char('/')) + 2) {
                cardFolders.insert(path.section(QLatin1Char('/'), 0, -2));
            } else if (!path.startsWith(journal)) {
                elsewhere << path;
            }
        }
        // Rips only in one <artist>/<album> folder of the rip folder, copies only in one album
        // folder of the card, nothing anywhere else.
        EXPECT_TRUE(elsewhere.isEmpty()) << elsewhere.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(ripFolders.size(), 1) << Joined(ripFolders.values());
        ASSERT_EQ(cardFolders.size(), 1) << Joined(cardFolders.values());

        // One file per track, each a whole copy of its rip.
        EXPECT_EQ(Notices(), std::vector<std::string>{"1720/1102"});
        EXPECT_EQ(ripped.size(), tracks);
        const QMap<QString, QByteArray> onCard = FilesBelow(QDir(m_root).filePath(*cardFolders.begin()));
        EXPECT_EQ(onCard.size(), tracks) << Joined(onCard.keys());
        QSet<QByteArray> copied;
        for (auto it = onCard.cbegin(); it != onCard.cend(); ++it) {
            EXPECT_TRUE(ripped.contains(it.value())) << it.key().toStdString() << " is no whole rip";
            copied.insert(it.value());
        }
        EXPECT_EQ(copied, ripped);

        // Back to idle with nothing of the job left.
        EXPECT_EQ(m_dlg->GetSyncState(), SYNC_INIT);
        EXPECT_TRUE(MusicFiles().isEmpty()) << Joined(MusicFiles());
        EXPECT_FALSE(QFileInfo::exists(Host(QStringLiteral("C:\\Users\\user\\Documents\\Orlen"))));
    }

    QString Relative(const QString& winPath) const { return QDir(m_root).relativeFilePath(Host(winPath)); }
    static std::string Joined(const QStringList& list) { return list.join(QLatin1Char(' ')).toStdString(); }

    QString m_root;
};

class HostileTitles : public WatchedJobs, public ::testing::WithParamInterface<HostileDisc> {};

TEST_P(HostileTitles, AJobWritesOnlyIntoTheRipTreeAndTheCardsAlbumFolder) {
    const HostileDisc& hostile = GetParam();
    const QLocale locale;
    if (hostile.cdTextFile) {
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    }
    const auto restore = qScopeGuard([&] { QLocale::setDefault(locale); });
    TestDisc disc;
    disc.escapes = true;
    disc.album = hostile.album;
    disc.artist = hostile.artist;
    disc.encoding = hostile.encoding;
    disc.cdTextFile = hostile.cdTextFile;
    for (const QString& title : hostile.titles) {
        disc.tracks.append({.seconds = 1.0, .title = title});
    }
    Insert(QLatin1Char('D'), MakeDisc(disc, QStringLiteral("hostile")));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady()) << "the disc is listed whatever its titles";
    RunWatchedJob(int(hostile.titles.size()));
}

INSTANTIATE_TEST_SUITE_P(Titles, HostileTitles, ::testing::ValuesIn(kDiscs),
                         [](const auto& info) { return std::string(info.param.name); });

using AlbumName = WatchedJobs;

// The user names the album in the album dialog.
TEST_F(AlbumName, WhateverTheUserTypesTheJobWritesOnlyIntoItsFolders) {
    InsertDisc(2, 1.0);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    const QStringList names = {
        QStringLiteral("../../../../x"), QStringLiteral("..\\..\\..\\y"), QStringLiteral(".."),
        QStringLiteral("C:\\Users"),     QStringLiteral("E:..\\z"),       QStringLiteral("NUL.txt"),
        QStringLiteral("a\x01b\tc\x7f"), QStringLiteral("名前. . ."),     QStringLiteral("/").repeated(300)};
    for (const QString& typed : names) {
        SCOPED_TRACE(typed.toStdString());
        m_modal.Answer(0); // really run the dialog
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("1042"));
            ASSERT_NE(name, nullptr);
            name->setText(typed);
            QTest::mouseClick(dialog->findChild<QWidget*>(QStringLiteral("1")), Qt::LeftButton);
        });
        Command(IDC_ALBUM_BUTTON);
        // The field holds as many units as the dialog allows.
        ASSERT_EQ(Name(CdPlaylist(0).Get()), typed.left(CAlbumDlg::kNameLimit));
        // Each job finds a card without the album folders of the names before.
        ASSERT_TRUE(QDir(CardHost()).removeRecursively());
        RunWatchedJob(2);
        if (HasFatalFailure()) {
            return;
        }
        ASSERT_TRUE(RunUntilReady());
    }
}

} // namespace
