#include "tests/source/CdSourceFixture.h"

#include "platform/container/ControlFactoryRegistration.h"
#include "platform/files/Volumes.h"
#include "source/PlayerContext.h"
#include "ui/text/TextRules.h"

#include <QDir>
#include <QFile>

void CCdSourceTest::SetUp() {
    CEngineFixture::SetUp();
    m_combo = std::make_unique<CMyComboBox>();
    m_list = std::make_unique<CReportCtrl>();
    m_list->resize(400, 300);
    // The main window's two columns: title and length.
    m_list->InsertColumn(0, QStringLiteral("タイトル"), 300);
    m_list->InsertColumn(1, QStringLiteral("長さ"), 80, Qt::AlignRight);
    m_list->SetEditable(true);
    m_total = std::make_unique<CStaticEx>();
    m_album = std::make_unique<CStaticEx>();
}

void CCdSourceTest::TearDown() {
    m_cd.reset();
    PlayerContext().ReleasePlayer();
    m_list.reset();
    m_combo.reset();
    m_total.reset();
    m_album.reset();
    CEngineFixture::TearDown();
}

void CCdSourceTest::StartPlayer(const QString& version) {
    CreatePlayer(version);
    ASSERT_TRUE(PlayerContext().AttachPlayer(m_host->m_hWnd));
    m_cd = std::make_unique<CCDROMAcc>();
    ASSERT_TRUE(m_cd->Attach(m_combo.get()));
    ASSERT_TRUE(m_cd->SetDisplayControls(m_list.get(), m_total.get(), m_album.get()));
}

void CCdSourceTest::StartFakePlayer(const FakeDisc& disc) {
    m_registration.reset(); // it puts back what it replaced: gone before the next one comes
    m_registration = std::make_unique<CControlFactoryRegistration>(
        QString::fromUtf16(kWmpPlayerClsidText), [disc](IUnknown** control) {
            *control = static_cast<IWMPPlayer4*>(new CComObject<CFakePlayer>(disc));
            (*control)->AddRef();
            return S_OK;
        });
    // The disc's root as the system shows an audio CD.
    m_sandbox->Volumes().SetPresent(QLatin1Char('D'), true);
    QFile(DriveFolder(QLatin1Char('D')) + QStringLiteral("/Track01.cda")).open(QIODevice::WriteOnly);
    AtlAxWinInit();
    m_host = std::make_unique<CAxWindow>();
    ASSERT_TRUE(m_host->Create(m_main, RECT{0, 0, 640, 480}));
    ASSERT_EQ(m_host->CreateControl(reinterpret_cast<LPCOLESTR>(kWmpPlayerClsidText)), S_OK);
    ASSERT_TRUE(PlayerContext().AttachPlayer(m_host->m_hWnd));
    m_cd = std::make_unique<CCDROMAcc>();
    ASSERT_TRUE(m_cd->Attach(m_combo.get()));
    ASSERT_TRUE(m_cd->SetDisplayControls(m_list.get(), m_total.get(), m_album.get()));
}

bool CCdSourceTest::OpenLikeTheWindow(DWORD bitRate) {
    m_cd->Refresh(true, true);
    const bool open = m_cd->OpenDisc(true);
    m_cd->FillTrackList(bitRate, true);
    m_cd->ShowAlbumTitle();
    return open;
}

void CCdSourceTest::AddCdDrive(QChar letter, const QString& label) {
    CVolumes::Drive drive;
    drive.letter = letter;
    drive.type = DRIVE_CDROM;
    drive.label = label;
    drive.fileSystem = QStringLiteral("CDFS");
    drive.root = QDir(m_dir).filePath(QStringLiteral("drives/") + letter);
    QDir().mkpath(drive.root);
    drive.present = !label.isEmpty();
    m_sandbox->Volumes().SetDrive(drive);
}

QString CCdSourceTest::DriveFolder(QChar letter) const {
    return m_sandbox->Volumes().DriveOf(letter)->root;
}

void CCdSourceTest::CheckMedia() {
    if (m_player) {
        Test()->CheckMedia();
    }
    m_loop.Pump();
}

QString CCdSourceTest::MakeShortDisc(int count, const QStringList& titles, const QString& album,
                                     const QString& artist, const QString& name) {
    TestDisc disc;
    disc.album = album;
    disc.artist = artist;
    for (int i = 0; i < count; ++i) {
        // Five sectors a track keeps a disc of many tracks small and quick to rip.
        disc.tracks.append({.sectors = 5, .title = i < titles.size() ? titles.at(i) : QString()});
    }
    return MakeDisc(disc, name);
}

QStringList CCdSourceTest::ComboItems() const {
    QStringList items;
    for (int i = 0; i < m_combo->count(); ++i) {
        items << m_combo->itemText(i);
    }
    return items;
}

QStringList CCdSourceTest::Titles() const {
    QStringList titles;
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        titles << m_list->GetItemText(row, 0);
    }
    return titles;
}
