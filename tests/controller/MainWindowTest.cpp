// The main window on a sandbox with the real engine: its start-up, what it lets the user do in each
// situation and what its status says, the focus and key rules, the drag band, the system menu, and
// opening the destination.
#include "platform/files/Volumes.h"
#include "platform/registry/Registry.h"
#include "platform/windows/WindowTable.h"
#include "player/PlayerMessages.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "source/SetAsideJournal.h"
#include "tests/controller/MainWindowFixture.h"
#include "ui/ColorButton.h"
#include "ui/MyComboBox.h"
#include "ui/ReportCtrl.h"
#include "ui/StaticEx.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QTimer>

namespace {

using MainWindow = CMainWindowFixture;

// The enabled controls among the window's seven, in a fixed order, by id.
std::vector<int> EnabledControls(CQuendaDlg& dlg) {
    std::vector<int> enabled;
    for (int id : {IDC_CD_COMBO, IDC_TRACK_LIST, IDC_ALBUM_BUTTON, IDC_DEST_COMBO, IDC_OPEN_DEST,
                   IDC_TRANSFER, IDC_CLOSE}) {
        const bool on =
            id == IDC_TRACK_LIST ? dlg.TrackList()->IsListEnabled() : dlg.Control(id)->isEnabled();
        if (on) {
            enabled.push_back(id);
        }
    }
    return enabled;
}

TEST_F(MainWindow, StartsWithItsControlsTextsAndTheDiscsTracks) {
    InsertDisc(3);
    SetRipPreferences(QStringLiteral("C:\\Users\\user\\Music"), 192000);
    ASSERT_TRUE(Start());

    EXPECT_EQ(m_dlg->windowTitle(), QStringLiteral("Ollivane"));
    EXPECT_EQ(m_windows.Get(m_dlg->Handle()).title, QStringLiteral("Ollivane"));
    for (int id : {1041, 1006, 1016, 1007, 1012, 1014, 2, 1004, 1005, 1010, 1011, 1018, 1044}) {
        EXPECT_NE(m_dlg->Control(id), nullptr) << id;
    }
    auto text = [&](int id) { return qobject_cast<QAbstractButton*>(m_dlg->Control(id))->text(); };
    EXPECT_EQ(text(IDC_OPEN_DEST), LoadString(209));
    EXPECT_EQ(text(IDC_TRANSFER), LoadString(1206));
    EXPECT_EQ(text(IDC_CLOSE), LoadString(208));
    EXPECT_EQ(text(IDC_ALBUM_BUTTON), LoadString(1213));
    EXPECT_EQ(m_dlg->StatusText()->GetTextColor(), 0x1200EBu);
    EXPECT_EQ(m_dlg->StatusText()->FontDescription().pixelSize(), 15);

    // The disc's tracks, two columns sized from the list's client width (the length column no
    // narrower than a length needs).
    CReportCtrl* list = m_dlg->TrackList();
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->GetItemText(0, 0), QStringLiteral("曲その1"));
    const int w = list->contentsRect().width();
    const int length = list->header()->sectionSize(1);
    EXPECT_GE(length, w - (w / 25) * 23);
    EXPECT_GE(length, QFontMetrics(list->font()).horizontalAdvance(QStringLiteral("0:00:00")));
    EXPECT_EQ(list->header()->sectionSize(0), qMin((w / 25) * 22, w - w / 25 - length));
    EXPECT_EQ(list->GetCheckMode(), CReportCtrl::CHECK_MULTIPLE);
    EXPECT_TRUE(list->IsEditable());
    EXPECT_TRUE(list->GetCheck(0) && list->GetCheck(2));

    // The wait window has gone, the window is enabled, the two permanent timers run, the focus is
    // on Close, and our rip preferences are in force.
    EXPECT_TRUE(m_dlg->isEnabled());
    for (HWND window : m_windows.TopLevel()) {
        EXPECT_NE(m_windows.Get(window).title, LoadString(803));
    }
    EXPECT_TRUE(m_dlg->IsTimerArmed(kReadinessTimer));
    EXPECT_TRUE(m_dlg->IsTimerArmed(kPlayerWatchTimer));
    EXPECT_FALSE(m_dlg->IsTimerArmed(kEndOfJobTimer));
    EXPECT_EQ(m_dlg->focusWidget(), m_dlg->Control(IDC_CLOSE));
    EXPECT_EQ(Pref(QStringLiteral("MP3RecordRate")), 128000u);
    EXPECT_EQ(m_dlg->BitRate(), 128000u);
    EXPECT_TRUE(m_modal.History().empty()) << "no message at a normal start";

    Finish();
    EXPECT_EQ(Pref(QStringLiteral("MP3RecordRate")), 192000u) << "the user's rate is back";
}

// One machine as the window finds it at its start.
struct StartCase {
    const char* name;
    std::function<void(CMainWindowFixture&)> machine;
    std::vector<UINT> status; // the texts the status is made of, joined by a line break
    std::vector<int> enabled;
};

class MainWindowAtStart : public CMainWindowFixture, public ::testing::WithParamInterface<StartCase> {
public:
    // The fixture's sandbox, for the cases' machine set-up.
    CSandbox& Sandbox() { return *m_sandbox; }
    using CMainWindowFixture::InsertDisc;
    using CMainWindowFixture::TakeOut;
};

const StartCase kStartCases[] = {
    {"NoDriveNoCard",
     [](CMainWindowFixture& f) {
         auto& box = static_cast<MainWindowAtStart&>(f).Sandbox();
         box.Volumes().RemoveDrive(QLatin1Char('D'));
         box.Volumes().SetPresent(QLatin1Char('E'), false);
     },
     {1901, 1902},
     {IDC_CLOSE}},
    {"DiscNoCard",
     [](CMainWindowFixture& f) {
         auto& self = static_cast<MainWindowAtStart&>(f);
         self.InsertDisc(2);
         self.Sandbox().Volumes().SetPresent(QLatin1Char('E'), false);
     },
     {1902},
     {IDC_CD_COMBO, IDC_TRACK_LIST, IDC_ALBUM_BUTTON, IDC_CLOSE}},
    {"EmptyDriveAndCard",
     [](CMainWindowFixture& f) { static_cast<MainWindowAtStart&>(f).TakeOut(QLatin1Char('D')); },
     {1900},
     {IDC_CD_COMBO, IDC_DEST_COMBO, IDC_OPEN_DEST, IDC_CLOSE}},
    {"DiscAndCardBeforeReady",
     [](CMainWindowFixture& f) { static_cast<MainWindowAtStart&>(f).InsertDisc(2); },
     {},
     {IDC_CD_COMBO, IDC_TRACK_LIST, IDC_ALBUM_BUTTON, IDC_DEST_COMBO, IDC_OPEN_DEST, IDC_CLOSE}},
};

TEST_P(MainWindowAtStart, StatusTextAndEnabledControlsFollowDriveAndCard) {
    GetParam().machine(*this);
    ASSERT_TRUE(Start());
    QStringList parts;
    for (UINT id : GetParam().status) {
        parts.append(LoadString(id));
    }
    EXPECT_EQ(m_dlg->StatusText()->text(), parts.join(QLatin1Char('\n')));
    EXPECT_EQ(EnabledControls(*m_dlg), GetParam().enabled);
}

INSTANTIATE_TEST_SUITE_P(Machines, MainWindowAtStart, ::testing::ValuesIn(kStartCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindow, WhenReadyEverythingIsLiveAndAutoSyncKeepsTheDestinationPickerOff) {
    InsertDisc(2);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    EXPECT_EQ(m_dlg->StatusText()->text(), LoadString(1903));
    EXPECT_EQ(EnabledControls(*m_dlg),
              (std::vector<int>{IDC_CD_COMBO, IDC_TRACK_LIST, IDC_ALBUM_BUTTON, IDC_DEST_COMBO, IDC_OPEN_DEST,
                                IDC_TRANSFER, IDC_CLOSE}));
    SetAutoSync(1);
    m_dlg->UpdateStatus();
    EXPECT_FALSE(m_dlg->Control(IDC_DEST_COMBO)->isEnabled());
    m_dlg->SetSyncState(SYNC_INIT);
    m_dlg->UpdateStatus();
    EXPECT_FALSE(m_dlg->Control(IDC_DEST_COMBO)->isEnabled());
}

TEST_F(MainWindow, TheWindowIsReadyOnTheFourthPollThatFindsBothSidesReady) {
    InsertDisc(2);
    ASSERT_TRUE(Start());
    // Polls at 2, 4 and 6 seconds count; the fourth, at 8 seconds, makes the window ready.
    Run(7900);
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_INIT);
    EXPECT_EQ(m_dlg->ReadyCount(), 3);
    Run(200);
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_WAIT);

    // The card goes: back to the start of the count; it comes back: four more polls.
    // (The first poll after it reads the card's capacity and finds it gone.)
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), false);
    Run(4000);
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_INIT);
    EXPECT_EQ(m_dlg->ReadyCount(), 0);
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), true);
    Run(6000);
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_INIT);
    Run(2000);
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_WAIT);
}

TEST_F(MainWindow, ACdDrivePluggedInWhileTheWindowWaitsIsListedOnItsNextPoll) {
    InsertDisc(3);
    const CVolumes::Drive drive = *m_sandbox->Volumes().DriveOf(QLatin1Char('D'));
    ASSERT_TRUE(m_sandbox->Volumes().RemoveDrive(QLatin1Char('D')));
    ASSERT_TRUE(Start());
    EXPECT_TRUE(m_dlg->StatusText()->text().startsWith(LoadString(IDS_STATUS_NO_DRIVE)));
    Run(3000);

    // Plugged in: the host's watch puts the drive into the volume table. The window's next
    // readiness poll lists it; the disc opens once the engine's media poll has taken the drive
    // into its CD-ROM collection, at the latest on the poll after.
    ASSERT_TRUE(m_sandbox->Volumes().SetDrive(drive));
    Run(2000);
    EXPECT_GE(m_dlg->Source().GetState(), 1);
    EXPECT_EQ(m_dlg->Source().GetDriveRoot(), QStringLiteral("D:"));
    EXPECT_FALSE(m_dlg->StatusText()->text().contains(LoadString(IDS_STATUS_NO_DRIVE)));
    Run(2000);
    EXPECT_EQ(m_dlg->Source().GetState(), 2);
    EXPECT_EQ(m_dlg->TrackList()->GetItemCount(), 3);

    // Pulled out again: the window asks for a drive once more.
    ASSERT_TRUE(m_sandbox->Volumes().RemoveDrive(QLatin1Char('D')));
    Run(2000);
    EXPECT_EQ(m_dlg->Source().GetState(), 0);
    EXPECT_TRUE(m_dlg->StatusText()->text().startsWith(LoadString(IDS_STATUS_NO_DRIVE)));
}

TEST_F(MainWindow, FocusRuleAndKeys) {
    InsertDisc(2);
    ASSERT_TRUE(Start());
    QWidget* close = m_dlg->Control(IDC_CLOSE);

    // Transfer is disabled before the window is ready: the focus goes to Close instead.
    m_dlg->ApplyFocusRule(IDC_TRANSFER);
    EXPECT_EQ(m_dlg->focusWidget(), close);
    // An id outside the four buttons does nothing.
    m_dlg->TrackList()->setFocus();
    m_dlg->ApplyFocusRule(IDC_CD_COMBO);
    EXPECT_EQ(m_dlg->focusWidget(), m_dlg->TrackList());

    // Escape and F1 are consumed; Enter on the track list does nothing and is consumed.
    EXPECT_TRUE(m_dlg->PreTranslateKey(VK_ESCAPE));
    EXPECT_TRUE(m_dlg->PreTranslateKey(VK_F1));
    EXPECT_TRUE(m_dlg->PreTranslateKey(VK_RETURN));
    EXPECT_FALSE(m_dlg->IsEnded());
    EXPECT_FALSE(m_dlg->PreTranslateKey(VK_TAB));

    // With an edit open, Enter and Escape go to the edit box.
    ASSERT_TRUE(m_dlg->TrackList()->StartEdit(0, 0));
    EXPECT_FALSE(m_dlg->PreTranslateKey(VK_ESCAPE));
    EXPECT_FALSE(m_dlg->PreTranslateKey(VK_RETURN));
    m_dlg->TrackList()->EndEdit(false);

    // A real key press reaches the rules whichever control has the focus: Escape never closes.
    QTest::keyClick(m_dlg->TrackList(), Qt::Key_Escape);
    EXPECT_FALSE(m_dlg->IsEnded());
    EXPECT_TRUE(m_dlg->isVisible());
    // Enter on the focused Close button closes the window.
    close->setFocus();
    QTest::keyClick(close, Qt::Key_Return);
    EXPECT_TRUE(m_dlg->IsEnded());
}

TEST_F(MainWindow, TheTopBandDragsTheWindow) {
    InsertDisc(1);
    ASSERT_TRUE(Start());
    const int w = m_dlg->width();
    EXPECT_EQ(m_dlg->OnNcHitTest(QPoint(0, 0)), HTCAPTION);
    EXPECT_EQ(m_dlg->OnNcHitTest(QPoint(w - 1, 27)), HTCAPTION);
    EXPECT_EQ(m_dlg->OnNcHitTest(QPoint(0, 28)), HTCLIENT);
    EXPECT_EQ(m_dlg->OnNcHitTest(QPoint(w / 2, m_dlg->height() - 1)), HTCLIENT);
    // Through the window's own message too, with the point packed as Windows packs it.
    EXPECT_EQ(::SendMessage(m_dlg->Handle(), WM_NCHITTEST, 0, MAKEWPARAM(5, 10)), HTCAPTION);
}

TEST_F(MainWindow, AClickOnTheWindowCommitsAnEditedTitle) {
    InsertDisc(2);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    CReportCtrl* list = m_dlg->TrackList();
    ASSERT_TRUE(list->StartEdit(1, 0));
    list->EditBox()->setText(QStringLiteral("新しい題"));
    ::SendMessage(m_dlg->Handle(), WM_LBUTTONDOWN, 0, 0);
    EXPECT_FALSE(list->IsEditing());
    EXPECT_EQ(list->GetItemText(1, 0), QStringLiteral("新しい題"));
    EXPECT_EQ(Name(Item(CdPlaylist(0).Get(), 1).Get()), QStringLiteral("新しい題")) << "the disc's title";

    // A real click on the window's surface below the band does the same.
    ASSERT_TRUE(list->StartEdit(0, 0));
    list->EditBox()->setText(QStringLiteral("別の題"));
    QTest::mouseClick(m_dlg.get(), Qt::RightButton, {}, QPoint(m_dlg->width() - 5, m_dlg->height() - 3));
    EXPECT_FALSE(list->IsEditing());
    EXPECT_EQ(list->GetItemText(0, 0), QStringLiteral("別の題"));

    // Close drops an open edit.
    ASSERT_TRUE(list->StartEdit(0, 0));
    list->EditBox()->setText(QStringLiteral("捨てる題"));
    Command(IDC_CLOSE);
    EXPECT_EQ(list->GetItemText(0, 0), QStringLiteral("別の題"));
    EXPECT_TRUE(m_dlg->IsEnded());
}

TEST_F(MainWindow, SystemMenuAboutBoxAutoPlayAndTheIconWhenMinimised) {
    InsertDisc(1);
    ASSERT_TRUE(Start());
    for (WPARAM command : {WPARAM(16), WPARAM(17), WPARAM(31)}) {
        m_modal.Clear();
        ::SendMessage(m_dlg->Handle(), WM_SYSCOMMAND, command, 0);
        EXPECT_EQ(ModalNames(), QStringList{QStringLiteral("CAboutDlg")}) << command;
    }
    m_modal.Clear();
    ::SendMessage(m_dlg->Handle(), WM_SYSCOMMAND, 32, 0);
    EXPECT_TRUE(ModalNames().isEmpty());

    // The about box really runs: its template, and OK closes it.
    m_modal.Answer(0);
    QTimer::singleShot(0, [] {
        if (QWidget* about = QApplication::activeModalWidget()) {
            QTest::keyClick(about, Qt::Key_Return);
        }
    });
    ::SendMessage(m_dlg->Handle(), WM_SYSCOMMAND, 16, 0);
    EXPECT_EQ(m_modal.History().back().answer, IDOK);

    // The system menu opens on the band; its about item sends command 16.
    m_modal.Clear();
    m_modal.Answer(IDM_ABOUTBOX);
    QTest::mouseClick(m_dlg.get(), Qt::RightButton, {}, QPoint(40, 10));
    EXPECT_EQ(ModalNames(), (QStringList{QStringLiteral("SystemMenu"), QStringLiteral("CAboutDlg")}));

    // AutoPlay is refused while the window runs.
    EXPECT_EQ(
        ::SendMessage(m_dlg->Handle(), RegisterWindowMessage(QStringLiteral("QueryCancelAutoPlay")), 0, 0),
        1);

    // Minimised, the window shows its icon in the middle.
    QImage image(m_dlg->size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        m_dlg->PaintWindow(painter, true);
    }
    const QColor corner = image.pixelColor(1, 1);
    int differing = 0;
    const QPoint centre = image.rect().center();
    for (int dy = -8; dy <= 8; ++dy) {
        for (int dx = -8; dx <= 8; ++dx) {
            differing += image.pixelColor(centre + QPoint(dx, dy)) != corner ? 1 : 0;
        }
    }
    EXPECT_GT(differing, 100) << "the icon is drawn in the centre";
}

TEST_F(MainWindow, TheAlbumButtonRenamesTheDiscWhileTheWindowWaits) {
    InsertDisc(2);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    int32_t stateDuring = -1;
    std::vector<int> enabledDuring;
    m_modal.Answer(0); // really run the dialog
    QTimer::singleShot(0, [&] {
        stateDuring = m_dlg->GetSyncState();
        enabledDuring = EnabledControls(*m_dlg);
        QWidget* album = QApplication::activeModalWidget();
        ASSERT_NE(album, nullptr);
        auto* name = album->findChild<QLineEdit*>(QStringLiteral("1042"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("旅の歌"));
        QTest::mouseClick(album->findChild<QWidget*>(QStringLiteral("1")), Qt::LeftButton);
    });
    Command(IDC_ALBUM_BUTTON);
    EXPECT_EQ(stateDuring, SYNC_SETTINGS);
    EXPECT_TRUE(enabledDuring.empty());
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_WAIT);
    EXPECT_EQ(qobject_cast<QLabel*>(m_dlg->Control(IDC_ALBUM_TEXT))->text(), QStringLiteral("旅の歌"));
    EXPECT_EQ(Name(CdPlaylist(0).Get()), QStringLiteral("旅の歌"));
    EXPECT_EQ(m_dlg->focusWidget(), m_dlg->Control(IDC_ALBUM_BUTTON));
    EXPECT_TRUE(m_dlg->Control(IDC_TRANSFER)->isEnabled());
}

TEST_F(MainWindow, AStandAlonePlayerOpenedMeanwhileIsClosedWithNotice705) {
    InsertDisc(1);
    ASSERT_TRUE(Start());
    const HWND player = m_windows.Create({.title = QStringLiteral("Windows Media Player"), .visible = true});
    Run(3000);
    EXPECT_EQ(Notices(), std::vector<std::string>{"705/500"});
    EXPECT_GE(m_windows.Get(player).closeRequests, 1);
    EXPECT_TRUE(m_dlg->IsTimerArmed(kPlayerWatchTimer)) << "the watch goes on";
}

// The shell that cannot open anything.
class CNoShell : public CSimSystemServices {
public:
    std::intptr_t ShellOpen(const QString& path) override {
        openedFolders << path;
        return 2;
    }
};

TEST_F(MainWindow, OpenDestinationShowsTheCardOrSaysItCannot) {
    InsertDisc(1);
    ASSERT_TRUE(Start());
    Command(IDC_OPEN_DEST);
    EXPECT_EQ(m_system.openedFolders, QStringList{QStringLiteral("E:\\")});
    EXPECT_TRUE(Notices().empty());
    EXPECT_EQ(m_dlg->focusWidget(), m_dlg->Control(IDC_OPEN_DEST));

    // No card: the shell is not asked about an empty path.
    m_system.openedFolders.clear();
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), false);
    Run(2000);
    Command(IDC_OPEN_DEST);
    EXPECT_TRUE(m_system.openedFolders.isEmpty());
    EXPECT_EQ(Notices(), std::vector<std::string>{"723/501"});

    // The shell fails.
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), true);
    Run(2000);
    m_modal.Clear();
    CNoShell shell;
    CPlatform services = CPlatform::Current();
    services.system = &shell;
    CPlatformScope scope(services);
    Command(IDC_OPEN_DEST);
    EXPECT_EQ(shell.openedFolders, QStringList{QStringLiteral("E:\\")});
    EXPECT_EQ(Notices(), std::vector<std::string>{"723/501"});
}

struct FailedStart {
    const char* name;
    std::function<void(CMainWindowFixture&)> machine;
    std::string notice;
};

// A start after a run that was cut short in a job: the earlier rips that cannot go back wait in the
// work folder, and the user is told where.
const QString kWorkFolder = QStringLiteral("C:\\Users\\user\\Documents\\Orlen");
const QString kEarlierRip = QStringLiteral("C:\\Users\\user\\Music\\Artist\\Album\\01 a.mp3");

class MainWindowAfterACutShortRun;
struct LeftBehind {
    const char* name;
    void (*leave)(MainWindowAfterACutShortRun&);
    bool notice;
};

class MainWindowAfterACutShortRun : public CMainWindowFixture,
                                    public ::testing::WithParamInterface<LeftBehind> {
public:
    using CMainWindowFixture::Host;
    void Write(const QString& winPath, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(Host(winPath)).path());
        QFile file(Host(winPath));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QByteArray Read(const QString& winPath) const {
        QFile file(Host(winPath));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

const LeftBehind kLeftBehind[] = {
    {"Nothing", [](MainWindowAfterACutShortRun&) {}, false},
    {"AnEmptyWorkFolder", [](MainWindowAfterACutShortRun& f) { QDir().mkpath(f.Host(kWorkFolder)); }, false},
    {"ADamagedJournal",
     [](MainWindowAfterACutShortRun& f) {
         f.Write(kWorkFolder + QStringLiteral("\\01 a.mp3"), "earlier rip");
         f.Write(kWorkFolder + QStringLiteral("\\Orlen.journal"), "Ollivane set-aside journal 1 00\n{\"cut");
     },
     true},
    {"AnEarlierRipWhosePlaceAnotherFileTook",
     [](MainWindowAfterACutShortRun& f) {
         f.Write(kWorkFolder + QStringLiteral("\\01 a.mp3"), "earlier rip");
         f.Write(kEarlierRip, "the user's new file");
         CSetAsideJournal journal;
         journal.SetWorkFolder(kWorkFolder);
         journal.Append({.path = kEarlierRip, .workName = QStringLiteral("01 a.mp3")});
         ASSERT_TRUE(journal.Save());
     },
     true},
};

TEST_P(MainWindowAfterACutShortRun, EarlierRipsThatCouldNotGoBackAreReportedWithTheirFolderAndKept) {
    InsertDisc(1);
    GetParam().leave(*this);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(Start());
    const std::vector<CScriptedModalService::Shown>& shown = m_modal.History();
    ASSERT_EQ(shown.size(), GetParam().notice ? 1u : 0u);
    if (GetParam().notice) {
        const QString folder = QDir::toNativeSeparators(Host(kWorkFolder));
        EXPECT_EQ(shown[0].text, LoadString(IDS_EARLIER_RIPS_KEPT).arg(folder));
        EXPECT_TRUE(shown[0].text.endsWith(QLatin1Char('\n') + folder));
        EXPECT_EQ(shown[0].caption, LoadString(IDS_CAPTION_WARNING));
        EXPECT_EQ(shown[0].type, UINT(MB_OK | MB_ICONWARNING | MB_TOPMOST));
        // Kept: the earlier rip still waits there, and the file that took its place is untouched.
        EXPECT_EQ(Read(kWorkFolder + QStringLiteral("\\01 a.mp3")), QByteArray("earlier rip"));
    }
    if (QFileInfo::exists(Host(kEarlierRip))) {
        EXPECT_EQ(Read(kEarlierRip), QByteArray("the user's new file"));
    }
    EXPECT_TRUE(m_dlg->IsTimerArmed(kReadinessTimer)) << "the window runs on";
    EXPECT_EQ(m_system.waitCursorDepth, 0);
}

INSTANTIATE_TEST_SUITE_P(Start, MainWindowAfterACutShortRun, ::testing::ValuesIn(kLeftBehind),
                         [](const auto& info) { return std::string(info.param.name); });

class MainWindowStartFails : public CMainWindowFixture, public ::testing::WithParamInterface<FailedStart> {
public:
    CWindowTable& Windows() { return m_windows; }
    MediaEngineConfig& Config() { return m_config; }
};

const FailedStart kFailedStarts[] = {
    {"HiddenPlayerWindow",
     [](CMainWindowFixture& f) {
         static_cast<MainWindowStartFails&>(f).Windows().Create(
             {.title = QStringLiteral("Windows Media Player"), .visible = false});
     },
     "704/500"},
    {"PlayerCannotBeMade",
     [](CMainWindowFixture& f) {
         static_cast<MainWindowStartFails&>(f).Config().faults.failingCalls = {
             QStringLiteral("get_controls")};
     },
     "706/500"},
    {"PlayerWithoutLibrary",
     [](CMainWindowFixture& f) {
         static_cast<MainWindowStartFails&>(f).Config().faults.failingCalls = {
             QStringLiteral("get_mediaCollection")};
     },
     "703/500"},
};

TEST_P(MainWindowStartFails, TheWindowEndsWithItsNoticeAndThePreferencesAreAsTheyWere) {
    InsertDisc(1);
    const auto detail = PrefText(QStringLiteral("CDRecordFileDetail"));
    GetParam().machine(*this);
    EXPECT_FALSE(Start());
    EXPECT_TRUE(m_dlg->IsEnded());
    EXPECT_EQ(Notices(), std::vector<std::string>{GetParam().notice});
    EXPECT_FALSE(m_dlg->IsTimerArmed(kReadinessTimer));
    EXPECT_EQ(m_system.waitCursorDepth, 0);
    Finish();
    EXPECT_EQ(PrefText(QStringLiteral("CDRecordFileDetail")), detail);
    EXPECT_EQ(Pref(QStringLiteral("MP3RecordRate")), 128000u) << "the fixture's own value";
}

INSTANTIATE_TEST_SUITE_P(Checks, MainWindowStartFails, ::testing::ValuesIn(kFailedStarts),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
