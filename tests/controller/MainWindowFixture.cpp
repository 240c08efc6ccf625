#include "tests/controller/MainWindowFixture.h"

#include "platform/com/ComBSTR.h"
#include "platform/files/Volumes.h"
#include "platform/registry/Registry.h"
#include "resources/StringTable.h"
#include "source/PlayerContext.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QThread>

namespace {
const QString kPrefs = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");
const QString kSettings = QStringLiteral("Software\\Korvel\\Tessaly");

QStringList FilesBelow(const QString& dir) {
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files.append(QDir(dir).relativeFilePath(it.next()));
    }
    files.sort();
    return files;
}
} // namespace

void CMainWindowFixture::SetUp() {
    CEngineFixture::SetUp();
    if (HasFatalFailure()) {
        return;
    }
    CPlatform services = CPlatform::Current();
    services.modal = &m_modal;
    services.system = &m_system;
    m_windowScope = std::make_unique<CPlatformScope>(services);
    // The player installed, as the application's start-up checked.
    m_sandbox->Registry().SetDword(HKEY_CURRENT_USER, kSettings, QStringLiteral("First"), 0);
    m_sandbox->Registry().SetDword(HKEY_CURRENT_USER, kSettings, QStringLiteral("AutoSync"), 0);
}

void CMainWindowFixture::TearDown() {
    Finish();
    // A copy worker left in its write goes on once its hold is released: it must be gone before
    // the sandbox it writes into.
    for (int i = 0; i < 1000 && CDAPAcc::AbandonedTransfersRunning() > 0; ++i) {
        QThread::msleep(10);
    }
    EXPECT_EQ(CDAPAcc::AbandonedTransfersRunning(), 0) << "a copy worker still runs";
    m_loop.Pump();
    m_windowScope.reset();
    CEngineFixture::TearDown();
}

void CMainWindowFixture::InsertDisc(int tracks, double seconds, const QString& name) {
    TestDisc disc;
    disc.album = QStringLiteral("夏の記憶");
    disc.artist = QStringLiteral("山田花子");
    for (int i = 0; i < tracks; ++i) {
        disc.tracks.append({.seconds = seconds, .title = QStringLiteral("曲その%1").arg(i + 1)});
    }
    Insert(QLatin1Char('D'), MakeDisc(disc, name));
}

bool CMainWindowFixture::Start(const QString& version) {
    RegisterEngine(version);
    m_dlg = std::make_unique<CQuendaDlg>();
    m_dlg->show();
    const bool ended = m_dlg->OnInitDialog();
    m_loop.Pump();
    // The fixture's helpers (drives, library, the engine's test interface) reach the window's player.
    m_player = PlayerContext().Player();
    return !ended;
}

void CMainWindowFixture::Finish() {
    m_player = nullptr;
    if (m_dlg) {
        m_dlg->OnDestroy();
        m_dlg.reset();
    }
}

void CMainWindowFixture::Run(DWORD ms, DWORD step) {
    RunUntil([] { return false; }, ms, step);
}

bool CMainWindowFixture::RunUntil(const std::function<bool()>& done, DWORD maxMs, DWORD step) {
    for (DWORD passed = 0;; passed += step) {
        m_loop.Pump();
        if (done()) {
            return true;
        }
        if (passed >= maxMs) {
            return false;
        }
        // Work the engine's threads hand over arrives in real time. While the player rips, virtual
        // time keeps pace with the wall clock, so the rip's polls see the progress it really makes.
        const bool ripping = m_ripAtWallClock && m_dlg && m_dlg->GetSyncState() == SYNC_RIPPING;
        m_loop.WaitForPosted(ripping ? int(step) : 1);
        m_loop.Pump();
        m_loop.Advance(step);
    }
}

bool CMainWindowFixture::RunUntilReady(DWORD maxMs) {
    return RunUntil([this] { return m_dlg->GetSyncState() == SYNC_WAIT; }, maxMs);
}

bool CMainWindowFixture::RunJob(DWORD maxMs) {
    const int jobs = m_dlg->JobLog().Jobs();
    Command(IDC_TRANSFER);
    return RunUntil(
        [&] { return m_dlg->JobLog().Jobs() > jobs && !m_dlg->JobLog().Running() && !m_dlg->IsJobRunning(); },
        maxMs);
}

void CMainWindowFixture::Command(int id, WORD code) {
    ::SendMessage(m_dlg->Handle(), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code), 0);
}

std::vector<std::string> CMainWindowFixture::Notices() const {
    static const UINT ids[] = {500,  501,  703,  704,  705,  706,  723,  1102, 1707,
                               1708, 1709, 1712, 1719, 1720, 1721, 1722, 1725, 315};
    std::vector<std::string> out;
    for (const auto& shown : m_modal.History()) {
        if (shown.name == QStringLiteral("CAutoCloseDlg2")) {
            out.push_back("1720/1102");
            continue;
        }
        if (shown.name != QStringLiteral("MessageBox")) {
            continue;
        }
        UINT text = 0;
        UINT caption = 0;
        for (UINT id : ids) {
            text = LoadString(id) == shown.text ? id : text;
            caption = LoadString(id) == shown.caption ? id : caption;
        }
        out.push_back(std::to_string(text) + "/" + std::to_string(caption));
    }
    return out;
}

QStringList CMainWindowFixture::ModalNames() const {
    QStringList names;
    for (const auto& shown : m_modal.History()) {
        names.append(shown.name);
    }
    return names;
}

QString CMainWindowFixture::CardHost() const {
    return Host(QStringLiteral("E:\\音声データ"));
}

QStringList CMainWindowFixture::CardFiles() const {
    return FilesBelow(CardHost());
}

QStringList CMainWindowFixture::MusicFiles() const {
    return FilesBelow(Host(QStringLiteral("C:\\Users\\user\\Music")));
}

long CMainWindowFixture::LibraryCount(const QString& attribute, const QString& value) const {
    IWMPMediaCollection* library = PlayerContext().Library();
    if (!library) {
        return -1;
    }
    ComPtr<IWMPPlaylist> list;
    if (FAILED(library->getByAttribute(CComBSTR(attribute), CComBSTR(value), &list)) || !list) {
        return -1;
    }
    return Count(list.Get());
}

std::optional<DWORD> CMainWindowFixture::Pref(const QString& name) const {
    return m_sandbox->Registry().GetDword(HKEY_CURRENT_USER, kPrefs, name);
}

std::optional<QString> CMainWindowFixture::PrefText(const QString& name) const {
    return m_sandbox->Registry().GetString(HKEY_CURRENT_USER, kPrefs, name);
}

void CMainWindowFixture::SetAutoSync(DWORD value) {
    m_sandbox->Registry().SetDword(HKEY_CURRENT_USER, kSettings, QStringLiteral("AutoSync"), value);
}

void CMainWindowFixture::SetFreeBytes(QChar letter, quint64 bytes) {
    CVolumes& volumes = m_sandbox->Volumes();
    // Well below the host's own free space, which also bounds a limited drive's free space.
    const quint64 big = quint64(1) << 30;
    volumes.SetCapacity(letter, big);
    ULONGLONG available = 0;
    ULONGLONG total = 0;
    ULONGLONG free = 0;
    ASSERT_TRUE(GetDiskFreeSpaceEx(QString(letter) + QStringLiteral(":\\"), &available, &total, &free));
    const quint64 used = total - free;
    const quint64 cluster = CVolumes::kClusterBytes;
    volumes.SetCapacity(letter, used + (bytes + cluster - 1) / cluster * cluster);
}

QStringList CMainWindowFixture::RipEarlierRips(const QString& version) {
    CreatePlayer(version);
    ComPtr<IWMPCdromRip> rip;
    const ComPtr<IWMPCdrom> drive = Drive(0);
    if (drive && SUCCEEDED(drive.As(&rip)) && rip) {
        EXPECT_EQ(rip->startRip(), S_OK);
    } else {
        ComPtr<IWMPPlayerServices> services;
        EXPECT_EQ(m_player.As(&services), S_OK);
        EXPECT_EQ(services->setTaskPane(CComBSTR(QStringLiteral("CopyFromCD?AutoCopy:0"))), S_OK);
    }
    EXPECT_TRUE(WaitForRipEnd());
    m_loop.Pump();
    ReleasePlayer();
    m_loop.Pump();
    return MusicFiles();
}

QString CMainWindowFixture::Toc() const {
    return Info(CdPlaylist(0).Get(), QStringLiteral("TOC"));
}

void CMainWindowFixture::SetEngineFaults(const MediaEngineFaults& faults) {
    ASSERT_EQ(Test()->SetFaults(faults), S_OK);
}

bool CMainWindowFixture::RunUntilState(int32_t state, DWORD maxMs) {
    return RunUntil([&] { return m_dlg->GetSyncState() == state; }, maxMs);
}

void CMainWindowFixture::RequestEndDuringARipThatWillNotStop() {
    const QString toc = Toc();
    MediaEngineFaults deaf;
    deaf.stallAtTrack = 2;
    deaf.failingCalls = {QStringLiteral("stopRip"), QStringLiteral("eject")};
    SetEngineFaults(deaf);
    m_ripAtWallClock = false;
    Command(IDC_TRANSFER);
    ASSERT_TRUE(RunUntil([&] { return LibraryCount(QStringLiteral("TOC"), toc) >= 1; }));
    m_dlg->RequestEnd();
}

LRESULT CMainWindowFixture::SendEvent(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessage(m_dlg->Handle(), message, wParam, lParam);
}
