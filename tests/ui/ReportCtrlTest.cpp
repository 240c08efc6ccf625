// The track list: clicks on check boxes and titles, in-place editing with its keys and limit, the
// disabled look that ignores input, the pop-up menu, and the chosen-track snapshot.

#include "ui/ReportCtrl.h"
#include "platform/Platform.h"
#include "platform/messages/ScriptedModalService.h"
#include "platform/messages/VirtualMessageLoop.h"
#include "platform/windows/WindowTable.h"
#include "ui/MyHeader.h"
#include "ui/TrackRenamer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Parent : IWindowProc {
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Message> seen;
    CReportCtrl* list = nullptr;
    LRESULT WindowProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back({message, wParam, lParam});
        // The main window hands the menu's commands to the list.
        if (message == WM_COMMAND && list) {
            list->OnMenuCommand(LOWORD(wParam));
        }
        return 0;
    }
    int Count(UINT message) const {
        return static_cast<int>(
            std::count_if(seen.begin(), seen.end(), [&](auto& m) { return m.message == message; }));
    }
};

struct Renamer : ITrackRenamer {
    std::vector<std::pair<int, QString>> calls;
    bool succeed = true;
    bool RenameTrack(int trackNumber, const QString& title) override {
        calls.emplace_back(trackNumber, title);
        return succeed;
    }
};

// Types text as key presses carrying the characters (QTest's helpers take ASCII only).
void Type(QWidget* widget, const QString& text) {
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

const char* const kTitles[] = {"さくら", "夜明けのうた", "Blue Moon", "川の流れのように", "ふるさと"};

class ReportCtrlTest : public ::testing::Test {
protected:
    CWindowTable windows;
    CVirtualMessageLoop loop;
    CScriptedModalService modal;
    CPlatform services{.loop = &loop, .windows = &windows, .modal = &modal};
    CPlatformScope scope{services};
    Parent parent;
    Renamer renamer;
    HWND parentHwnd = nullptr;
    CReportCtrl list;

    void SetUp() override {
        parentHwnd = windows.Create({.title = QStringLiteral("main"), .proc = &parent});
        parent.list = &list;
        list.BindWindow(parentHwnd);
        list.resize(400, 200);
        list.SetBkColor(0x3E3E3E);
        list.SetTextColor(0xFFFFFF);
        const int w = list.viewport()->width();
        list.InsertColumn(0, QStringLiteral("タイトル"), (w / 25) * 22);
        list.InsertColumn(1, QStringLiteral("長さ"), w - (w / 25) * 23, Qt::AlignRight);
        list.SetEditable(true);
        list.SetCheckMode(CReportCtrl::CHECK_MULTIPLE);
        list.SetRenamer(&renamer);
        for (int i = 0; i < 5; ++i) {
            list.InsertItem(i, QString::fromUtf8(kTitles[i]));
            list.SetItemText(i, 1, QStringLiteral("%1:00").arg(3 + i));
            list.SetCheck(i, true);
        }
        list.SetCellBackColor(-1, -1, 0x3E3E3E, false);
        list.SetCellTextColor(-1, -1, 0xFFFFFF, false);
        list.EnableList(true);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }

    QRect Row(int row) { return list.visualItemRect(list.topLevelItem(row)); }
    QPoint CheckBox(int row) { return QPoint(Row(row).left() + 8, Row(row).center().y()); }
    QPoint Title(int row) { return QPoint(Row(row).left() + 50, Row(row).center().y()); }
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(list.viewport(), button, {}, at);
    }
};

TEST_F(ReportCtrlTest, ClickOnCheckBoxTogglesSelectsAndNotifiesTheParent) {
    Click(CheckBox(2));
    EXPECT_FALSE(list.GetCheck(2));
    EXPECT_EQ(list.GetStateFlags(2),
              CReportCtrl::RC_ITEM_SELECTED | CReportCtrl::RC_ITEM_UNCHECKED | CReportCtrl::RC_ITEM_FOCUSED);
    ASSERT_EQ(parent.Count(CReportCtrl::WM_RC_CHECKCHANGED), 1);
    EXPECT_EQ(parent.seen.back().wParam, 2u);
    EXPECT_EQ(parent.seen.back().lParam, static_cast<LPARAM>(WM_LBUTTONDOWN));
    EXPECT_FALSE(list.IsEditing()); // a check change never opens the editor

    Click(CheckBox(2));
    EXPECT_TRUE(list.GetCheck(2));
    EXPECT_EQ(parent.Count(CReportCtrl::WM_RC_CHECKCHANGED), 2);
}

TEST_F(ReportCtrlTest, EditorOpensOnlyOnTheTitleOfTheAlreadySelectedRow) {
    Click(Title(1));
    EXPECT_EQ(list.GetSelectedRow(), 1);
    EXPECT_FALSE(list.IsEditing());
    EXPECT_EQ(parent.Count(CReportCtrl::WM_RC_CHECKCHANGED), 0);

    // The length column of the selected row does not edit either.
    Click(QPoint(Row(1).left() + list.columnWidth(0) + 10, Row(1).center().y()));
    EXPECT_FALSE(list.IsEditing());

    Click(Title(1));
    ASSERT_TRUE(list.IsEditing());
    EXPECT_EQ(list.EditRow(), 1);
    EXPECT_EQ(list.EditColumn(), 0);
    EXPECT_TRUE(list.EditBox()->isVisible());
    EXPECT_EQ(list.EditBox()->text(), QString::fromUtf8(kTitles[1]));
    EXPECT_EQ(list.EditBox()->selectedText(), QString::fromUtf8(kTitles[1]));
}

TEST_F(ReportCtrlTest, EscapeEndsTheEditWithoutRenaming) {
    ASSERT_TRUE(list.StartEdit(3, 0));
    Type(list.EditBox(), QStringLiteral("新しい"));
    QTest::keyClick(list.EditBox(), Qt::Key_Escape);
    EXPECT_FALSE(list.IsEditing());
    EXPECT_FALSE(list.EditBox()->isVisible());
    EXPECT_TRUE(renamer.calls.empty());
    EXPECT_EQ(list.GetItemText(3, 0), QString::fromUtf8(kTitles[3]));
    EXPECT_EQ(parent.Count(CReportCtrl::WM_RC_EDITCOMMITTED), 0);
}

TEST_F(ReportCtrlTest, EnterCommitsThroughTheRenamerAndUndoesAFailedRename) {
    int editedRow = -1;
    list.SetTitleEditedHandler([&](int row) { editedRow = row; });
    ASSERT_TRUE(list.StartEdit(0, 0));
    list.EditBox()->setText(QStringLiteral("桜"));
    QTest::keyClick(list.EditBox(), Qt::Key_Return);
    EXPECT_EQ(editedRow, 0);
    ASSERT_EQ(renamer.calls.size(), 1u);
    EXPECT_EQ(renamer.calls[0], std::make_pair(1, QStringLiteral("桜")));
    EXPECT_EQ(list.GetItemText(0, 0), QStringLiteral("桜"));
    ASSERT_EQ(parent.Count(CReportCtrl::WM_RC_EDITCOMMITTED), 1);
    EXPECT_EQ(parent.seen.back().wParam, 0u);
    EXPECT_EQ(parent.seen.back().lParam, 0);

    renamer.succeed = false;
    renamer.calls.clear();
    ASSERT_TRUE(list.StartEdit(2, 0));
    list.EditBox()->setText(QString());
    EXPECT_TRUE(list.EndEdit(true));
    // The empty title is offered; it fails, so the old title is put back in the same way.
    ASSERT_EQ(renamer.calls.size(), 2u);
    EXPECT_EQ(renamer.calls[0], std::make_pair(3, QString()));
    EXPECT_EQ(renamer.calls[1], std::make_pair(3, QStringLiteral("Blue Moon")));
    EXPECT_EQ(list.GetItemText(2, 0), QStringLiteral("Blue Moon"));
    EXPECT_EQ(parent.Count(CReportCtrl::WM_RC_EDITCOMMITTED), 1);
}

// The owner learns of a rename at once and may fill the list anew inside the call: the edit that
// caused it must leave the new rows alone, whichever row it was and however many rows come back.
TEST_F(ReportCtrlTest, ARenameThatRefillsTheListInsideTheCallLeavesTheNewRowsAlone) {
    struct Refiller : ITrackRenamer {
        CReportCtrl* list = nullptr;
        int rows = 0;
        bool RenameTrack(int, const QString& title) override {
            list->DeleteItems(CReportCtrl::RC_ITEM_ALL);
            for (int i = 0; i < rows; ++i) {
                list->InsertItem(i, QStringLiteral("%1 from the owner").arg(i));
            }
            return !title.isEmpty();
        }
    } refiller;
    refiller.list = &list;
    list.SetRenamer(&refiller);
    for (const int rows : {5, 2, 0}) {
        SCOPED_TRACE(rows);
        refiller.rows = rows;
        if (list.GetItemCount() == 0) {
            list.InsertItem(0, QStringLiteral("again"));
        }
        const int row = list.GetItemCount() - 1;
        ASSERT_TRUE(list.StartEdit(row, 0));
        list.EditBox()->setText(QStringLiteral("typed"));
        QTest::keyClick(list.EditBox(), Qt::Key_Return);
        EXPECT_FALSE(list.IsEditing());
        ASSERT_EQ(list.GetItemCount(), rows);
        for (int i = 0; i < rows; ++i) {
            EXPECT_EQ(list.GetItemText(i, 0), QStringLiteral("%1 from the owner").arg(i));
        }
    }
    list.SetRenamer(&renamer);
}

TEST_F(ReportCtrlTest, TitleEditIsLimitedTo23CharactersButALongerTitleIsNotCut) {
    ASSERT_TRUE(list.StartEdit(0, 0));
    list.EditBox()->clear();
    Type(list.EditBox(), QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬねの"));
    EXPECT_EQ(list.EditBox()->text().size(), CReportCtrl::kTitleLimit);
    list.EndEdit(false);

    const QString longTitle = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"); // 30 characters from the disc
    list.SetItemText(4, 0, longTitle);
    ASSERT_TRUE(list.StartEdit(4, 0));
    EXPECT_EQ(list.EditBox()->text(), longTitle);
    QTest::keyClick(list.EditBox(), Qt::Key_End);
    QTest::keyClicks(list.EditBox(), QStringLiteral("xyz"));
    EXPECT_EQ(list.EditBox()->text(), longTitle); // it cannot grow
    EXPECT_FALSE(list.EndEdit(true));
    EXPECT_TRUE(renamer.calls.empty());
}

TEST_F(ReportCtrlTest, EditKeysMoveBetweenRowsAndTabStaysOnTheTitle) {
    ASSERT_TRUE(list.StartEdit(1, 0));
    QTest::keyClick(list.EditBox(), Qt::Key_Down);
    EXPECT_EQ(list.EditRow(), 2);
    QTest::keyClick(list.EditBox(), Qt::Key_Up);
    QTest::keyClick(list.EditBox(), Qt::Key_Up);
    EXPECT_EQ(list.EditRow(), 0);
    QTest::keyClick(list.EditBox(), Qt::Key_Up); // the first row: the edit stays where it is
    EXPECT_EQ(list.EditRow(), 0);
    list.EditBox()->setText(QStringLiteral("春"));
    QTest::keyClick(list.EditBox(), Qt::Key_Tab);
    EXPECT_EQ(list.EditRow(), 0);
    EXPECT_EQ(list.EditColumn(), 0);
    EXPECT_EQ(list.GetItemText(0, 0), QStringLiteral("春")); // Tab committed
}

TEST_F(ReportCtrlTest, PressOnTheHeaderEndsTheEditCommitting) {
    ASSERT_TRUE(list.StartEdit(1, 0));
    list.EditBox()->setText(QStringLiteral("朝"));
    QTest::mouseClick(list.Header()->viewport(), Qt::LeftButton, {}, QPoint(20, 8));
    EXPECT_FALSE(list.IsEditing());
    EXPECT_EQ(list.GetItemText(1, 0), QStringLiteral("朝"));
    EXPECT_EQ(list.SortColumn(), -1); // no sort header: a column click sorts nothing
    EXPECT_EQ(parent.Count(CReportCtrl::WM_RC_SORTED), 0);
}

TEST_F(ReportCtrlTest, DisabledListIgnoresClicksAndKeys) {
    Click(Title(0));
    list.EnableList(false);
    for (int r = 0; r < list.GetItemCount(); ++r) {
        EXPECT_EQ(list.GetCellTextColor(r, 0), CReportCtrl::kDisabledText);
        EXPECT_EQ(list.GetCellTextColor(r, 1), CReportCtrl::kDisabledText);
    }
    EXPECT_EQ(list.focusPolicy(), Qt::NoFocus);
    parent.seen.clear();

    Click(CheckBox(3));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, CheckBox(3));
    Click(Title(2), Qt::RightButton);
    Click(Title(0)); // would open the editor on the selected row
    EXPECT_TRUE(list.GetCheck(3));
    EXPECT_EQ(list.GetSelectedRow(), 0);
    EXPECT_FALSE(list.IsEditing());
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_EQ(list.GetSelectedRow(), 0);
    EXPECT_TRUE(list.GetCheck(0));
    EXPECT_TRUE(parent.seen.empty());
    EXPECT_TRUE(modal.History().empty());

    list.EnableList(true);
    EXPECT_EQ(list.GetCellTextColor(4, 1), CReportCtrl::kEnabledText);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.GetSelectedRow(), 1);
}

TEST_F(ReportCtrlTest, RightClickMenuOnlyAwayFromTheCheckBoxAndItsCommandsComeBack) {
    Click(QPoint(5, Row(1).center().y()), Qt::RightButton);
    EXPECT_TRUE(modal.History().empty());

    modal.Answer(CReportCtrl::ID_TRACK_TOGGLE);
    Click(Title(1), Qt::RightButton);
    ASSERT_EQ(modal.History().size(), 1u);
    EXPECT_EQ(modal.History()[0].name, QStringLiteral("Menu134"));
    EXPECT_EQ(parent.Count(WM_COMMAND), 1);
    EXPECT_FALSE(list.GetCheck(1)); // 32775 toggled the selected row

    modal.Answer(CReportCtrl::ID_TRACK_EDIT);
    Click(Title(3), Qt::RightButton);
    EXPECT_TRUE(list.IsEditing());
    EXPECT_EQ(list.EditRow(), 3);
    list.EndEdit(false);

    // A right click in the length column shows no menu.
    Click(QPoint(Row(2).left() + list.columnWidth(0) + 10, Row(2).center().y()), Qt::RightButton);
    EXPECT_EQ(modal.History().size(), 2u);
}

TEST_F(ReportCtrlTest, SingleCheckModeKeepsOneRowChecked) {
    list.SetCheckMode(CReportCtrl::CHECK_SINGLE);
    for (int r = 0; r < 5; ++r) {
        list.SetCheck(r, false);
    }
    list.SetCheck(3, true);
    list.SetCheck(1, true); // checking a row unchecks the rows after it
    EXPECT_FALSE(list.GetCheck(3));
    list.SetCheck(3, true);
    Click(CheckBox(4)); // a click leaves the clicked row as the only one
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(list.GetCheck(r), r == 4) << r;
    }
}

TEST_F(ReportCtrlTest, DeleteItemsByStateMask) {
    list.SetCheck(1, false);
    list.SetCheck(3, false);
    EXPECT_EQ(list.DeleteItems(CReportCtrl::RC_ITEM_UNCHECKED), 2);
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetItemText(1, 0), QStringLiteral("Blue Moon"));
    EXPECT_EQ(list.DeleteItems(CReportCtrl::RC_ITEM_ALL), 3);
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST(ReportCtrlSnapshot, OnlyTheFirst99RowsSetBitsAndOtherBitsKeepTheirValues) {
    CReportCtrl list;
    list.InsertColumn(0, QStringLiteral("タイトル"), 200);
    for (int i = 0; i < 120; ++i) {
        list.InsertItem(i, QStringLiteral("曲 %1").arg(i + 1));
        list.SetCheck(i, i % 3 == 0 || i >= 99);
    }
    list.SnapshotChecks(false);
    for (int n = 1; n <= 99; ++n) {
        EXPECT_EQ(list.IsTrackChosen(n), (n - 1) % 3 == 0) << n;
    }
    EXPECT_FALSE(list.IsTrackChosen(0));
    EXPECT_FALSE(list.IsTrackChosen(100));
    EXPECT_EQ(list.ChosenTracks()[12] & 0xF8, 0); // bits 99..103 are never written by rows

    list.SnapshotChecks(true);
    for (int n = 1; n <= 99; ++n) {
        EXPECT_TRUE(list.IsTrackChosen(n)) << n;
    }
    EXPECT_FALSE(list.IsTrackChosen(0));
    EXPECT_FALSE(list.IsTrackChosen(100));

    // Fewer rows: bits past the last row keep what they held.
    list.DeleteItems(CReportCtrl::RC_ITEM_ALL);
    for (int i = 0; i < 10; ++i) {
        list.InsertItem(i, QStringLiteral("曲"));
        list.SetCheck(i, false);
    }
    list.SnapshotChecks(false);
    for (int n = 1; n <= 10; ++n) {
        EXPECT_FALSE(list.IsTrackChosen(n));
    }
    EXPECT_TRUE(list.IsTrackChosen(11));
    EXPECT_TRUE(list.IsTrackChosen(99));
}

} // namespace
