#include "tests/destination/DestinationFixture.h"

#include "platform/files/Volumes.h"
#include "source/PlayerContext.h"
#include "tests/support/engine/TestMp3.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

void CDestinationFixture::TearDown() {
    m_dap.reset();
    m_combo.reset();
    PlayerContext().ReleasePlayer();
    CEngineFixture::TearDown();
}

void CDestinationFixture::Start(const QString& version) {
    CreatePlayer(version);
    ASSERT_TRUE(PlayerContext().AttachPlayer(m_host->m_hWnd));
    m_combo = std::make_unique<CMyComboBox>();
    m_dap = std::make_unique<CDAPAcc>();
    ASSERT_TRUE(m_dap->Attach(m_combo.get()));
    ASSERT_TRUE(m_dap->SetCapacityControls(&m_used, &m_free));
}

void CDestinationFixture::WriteDevices(const QByteArray& ini) {
    QFile file(QDir(m_sandbox->EngineDir()).filePath(QStringLiteral("devices.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(ini);
}

void CDestinationFixture::AddCard(QChar letter, const QString& label, std::optional<quint64> capacity,
                                  bool present) {
    CVolumes::Drive drive;
    drive.letter = letter;
    drive.type = DRIVE_REMOVABLE;
    drive.label = label;
    drive.root = QDir(m_dir).filePath(QStringLiteral("drives/") + letter);
    drive.capacity = capacity;
    drive.present = present;
    ASSERT_TRUE(QDir().mkpath(drive.root));
    ASSERT_TRUE(m_sandbox->Volumes().SetDrive(drive));
}

void CDestinationFixture::AddFixedDrive(QChar letter) {
    CVolumes::Drive drive;
    drive.letter = letter;
    drive.type = DRIVE_FIXED;
    drive.label = QStringLiteral("DATA");
    drive.root = QDir(m_dir).filePath(QStringLiteral("drives/") + letter);
    ASSERT_TRUE(QDir().mkpath(drive.root));
    ASSERT_TRUE(m_sandbox->Volumes().SetDrive(drive));
}

QString CDestinationFixture::DriveHost(QChar letter, const QString& relative) const {
    const QString root = QDir(m_dir).filePath(QStringLiteral("drives/") + letter);
    return relative.isEmpty() ? root : QDir(root).filePath(relative);
}

QStringList CDestinationFixture::Tree(const QString& hostFolder) {
    QStringList names;
    QDirIterator it(hostFolder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(QDir(hostFolder).relativeFilePath(it.next()));
    names.sort();
    return names;
}

QStringList CDestinationFixture::ComboItems() const {
    QStringList items;
    for (int i = 0; i < m_combo->count(); ++i)
        items.append(m_combo->itemText(i));
    return items;
}

QString CDestinationFixture::RipPath(const QString& album, int track, const QString& title,
                                     const QString& artist) {
    return QStringLiteral("C:\\Users\\user\\Music\\%1\\%2\\%3 %4.mp3")
        .arg(artist, album)
        .arg(track, 2, 10, QLatin1Char('0'))
        .arg(title);
}

ComPtr<IWMPPlaylist> CDestinationFixture::RipAlbum(const QString& album, const QStringList& titles,
                                                   double seconds, const QString& artist) {
    const ComPtr<IWMPMediaCollection> library = Library();
    for (int i = 0; i < titles.size(); ++i) {
        const QString path = RipPath(album, i + 1, titles.at(i), artist);
        const QString host = QDir(m_dir).filePath(QStringLiteral("drives/C/") +
                                                  path.mid(3).replace(QLatin1Char('\\'), QLatin1Char('/')));
        EXPECT_TRUE(QDir().mkpath(QFileInfo(host).path()));
        EXPECT_TRUE(CTestMp3::Write(host, seconds, 128, titles.at(i), album, i + 1)) << host.toStdString();
        EXPECT_EQ(library->add(CComBSTR(path), nullptr), S_OK) << path.toStdString();
    }
    ComPtr<IWMPPlaylist> playlist;
    EXPECT_EQ(library->getByAlbum(CComBSTR(album), &playlist), S_OK);
    return playlist;
}

void CDestinationFixture::ReadyOn(QChar letter) {
    m_dap->Refresh(true, true);
    const QList<CDevInfo>& list = m_dap->Destinations();
    int entry = -1;
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).path == QString(letter) + QLatin1Char(':'))
            entry = i;
    }
    ASSERT_GE(entry, 0) << "no card in " << QString(letter).toStdString();
    m_combo->Select(list.at(entry).name, entry);
    ASSERT_TRUE(m_dap->Prepare());
    ASSERT_EQ(m_dap->GetState(), CDAPAcc::kReady);
}
