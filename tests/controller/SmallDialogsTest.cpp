// The wait, progress and timed notice windows on virtual time: their texts, window order, the
// five-second timer, the Cancel rule and the keys they swallow.

#include "controller/AutoCloseDlg.h"
#include "controller/AutoCloseDlg2.h"
#include "controller/WaitDlg.h"
#include "platform/Platform.h"
#include "platform/messages/ScriptedModalService.h"
#include "platform/messages/VirtualMessageLoop.h"
#include "platform/windows/WindowTable.h"
#include "resources/StringTable.h"
#include "ui/StatusDlg.h"
#include "ui/window/DialogUnits.h"
#include "ui/window/WidgetWindow.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct Counter : IWindowProc {
    int messages = 0;
    LRESULT WindowProc(HWND, UINT, WPARAM, LPARAM) override {
        ++messages;
        return 0;
    }
};

class DialogTest : public ::testing::Test {
protected:
    CWindowTable windows;
    CVirtualMessageLoop loop;
    CScriptedModalService modal;
    CPlatform services{.loop = &loop, .windows = &windows, .modal = &modal};
    CPlatformScope scope{services};
    QWidget mainWidget;
    CWidgetWindow mainWindow;
    Counter mainProc;
    HWND main = nullptr;

    void SetUp() override {
        mainWidget.setWindowTitle(QStringLiteral("Ollivane"));
        mainWidget.resize(600, 500);
        main = mainWindow.Bind(&mainWidget, &mainProc);
        modal.Answer(0); // really run the one modal window a test opens
    }

    // Runs `during` inside the modal run of `dialog`, once its window shows. Should the dialog fail
    // to end, a watchdog ends it with -99 so the test fails instead of hanging.
    static void During(CDialog& dialog, std::function<void()> during) {
        QTimer::singleShot(0, [&dialog, during = std::move(during)] {
            // Tied to the window, the watchdog dies with it.
            QTimer::singleShot(3000, dialog.Window(), [&dialog] { dialog.EndDialog(-99); });
            during();
        });
    }
};

QString Text(const CDialog& dialog, int id) {
    auto* label = qobject_cast<QLabel*>(dialog.GetDlgItem(id));
    return label ? label->text() : QStringLiteral("<none>");
}

TEST_F(DialogTest, CountdownReturns1AfterFiveSecondsOfVirtualTime) {
    CAutoCloseDlg dialog;
    bool stillOpenAt4999 = false;
    QString title, text;
    QSize size;
    bool topmost = false;
    During(dialog, [&] {
        title = dialog.Window()->windowTitle();
        text = Text(dialog, CAutoCloseDlg::IDC_TEXT);
        size = dialog.Window()->size();
        topmost = dialog.Window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        loop.Advance(4999);
        stillOpenAt4999 = dialog.Window() && dialog.Window()->isVisible();
        loop.Advance(1);
    });
    EXPECT_EQ(dialog.DoModal(main), 1);
    EXPECT_TRUE(stillOpenAt4999);
    EXPECT_EQ(title, LoadString(1102));
    EXPECT_EQ(text, LoadString(315));
    EXPECT_EQ(size, QSize(DluX(155), DluY(66)));
    EXPECT_TRUE(topmost);
    EXPECT_FALSE(dialog.HasWindow());
    EXPECT_EQ(modal.History().back().name, QStringLiteral("CAutoCloseDlg"));
    EXPECT_EQ(loop.Now(), 5000u);
}

TEST_F(DialogTest, CountdownButtonReturns2AndKillsTheTimer) {
    CAutoCloseDlg dialog;
    HWND hwnd = nullptr;
    During(dialog, [&] {
        hwnd = dialog.GetSafeHwnd();
        EXPECT_TRUE(loop.IsTimerArmed(hwnd, CAutoCloseDlg::kTimerId));
        auto* button = qobject_cast<QPushButton*>(dialog.GetDlgItem(IDCANCEL));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QStringLiteral("キャンセル"));
        QTest::mouseClick(button, Qt::LeftButton);
    });
    EXPECT_EQ(dialog.DoModal(main), 2);
    EXPECT_FALSE(loop.IsTimerArmed(hwnd, CAutoCloseDlg::kTimerId));
    // A late timer message for the window that is gone finds nobody.
    EXPECT_EQ(SendMessage(hwnd, WM_TIMER, CAutoCloseDlg::kTimerId, 0), 0);
    loop.Advance(10000);
}

TEST_F(DialogTest, KeysCannotDismissTheTimedNoticesUnlessTheButtonHasTheFocus) {
    for (const bool focusButton : {false, true}) {
        modal.Answer(0);
        CAutoCloseDlg2 notice;
        QString text;
        During(notice, [&] {
            text = Text(notice, CAutoCloseDlg::IDC_TEXT);
            QWidget* button = notice.GetDlgItem(IDCANCEL);
            if (focusButton) {
                button->setFocus();
            } else {
                button->clearFocus();
            }
            QWidget* target = focusButton ? button : notice.Window();
            for (auto key :
                 {Qt::Key_Escape, Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down, Qt::Key_F1}) {
                QTest::keyClick(target, key);
            }
            if (!focusButton) {
                QTest::keyClick(target, Qt::Key_Return);
            }
            EXPECT_TRUE(notice.Window() && notice.Window()->isVisible());
            if (focusButton) {
                QTest::keyClick(target, Qt::Key_Return);
            } else {
                loop.Advance(5000);
            }
        });
        EXPECT_EQ(notice.DoModal(main), focusButton ? 2 : 1) << focusButton;
        EXPECT_EQ(text, LoadString(1720));
    }
}

TEST_F(DialogTest, ProgressCancelShowsText800AndGreysTheButton) {
    CStatusDlg status;
    ASSERT_TRUE(status.Create(main));
    QDialog* window = status.Window();
    EXPECT_EQ(window->windowTitle(), LoadString(1102));
    EXPECT_EQ(window->size(), QSize(DluX(187), DluY(83)));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    auto* bar = qobject_cast<QProgressBar*>(status.GetDlgItem(CStatusDlg::IDC_PROGRESS));
    auto* cancel = qobject_cast<QPushButton*>(status.GetDlgItem(IDCANCEL));
    ASSERT_TRUE(bar && cancel);
    EXPECT_FALSE(bar->isVisible());
    status.SetRange(0, 100);
    EXPECT_TRUE(bar->isVisible());
    status.SetMessage(LoadString(1802));
    status.SetPos(40);
    EXPECT_EQ(bar->value(), 40);

    QTest::keyClick(window, Qt::Key_Escape); // Escape never cancels
    EXPECT_FALSE(status.Cancelled());

    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(status.Cancelled());
    EXPECT_EQ(Text(status, CStatusDlg::IDC_MESSAGE), LoadString(800));
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_TRUE(window->isVisible()); // the owner closes it
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_TRUE(status.Cancelled());

    status.SetRange(0, 0);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(status.Destroy());
    EXPECT_FALSE(status.Cancelled());
    EXPECT_FALSE(status.Destroy()); // closing twice is harmless
}

TEST_F(DialogTest, ProgressWithoutWindowOnlyRemembersCaptionAndMessage) {
    CStatusDlg status;
    status.SetCaption(QStringLiteral("取り込み"));
    status.SetMessage(QStringLiteral("待機"));
    status.SetRange(0, 100);
    status.SetPos(50);
    EXPECT_EQ(status.Caption(), QStringLiteral("取り込み"));
    EXPECT_EQ(status.Message(), QStringLiteral("待機"));
    ASSERT_TRUE(status.Create(main));
    EXPECT_EQ(status.Window()->windowTitle(), QStringLiteral("取り込み"));
    EXPECT_TRUE(status.Message().isEmpty()); // the window starts with a clear message
}

TEST_F(DialogTest, ProgressUpdatesDispatchAtMostOnePendingMessage) {
    CStatusDlg status;
    ASSERT_TRUE(status.Create(main));
    const HWND hwnd = status.GetSafeHwnd();
    PostMessage(hwnd, WM_NULL, 0, 0);
    PostMessage(hwnd, WM_NULL, 0, 0);
    PostMessage(main, WM_NULL, 0, 0); // another window's message is never taken
    status.SetPos(10);
    EXPECT_TRUE(loop.DispatchOnePending(hwnd)); // one of the two is left
    EXPECT_FALSE(loop.DispatchOnePending(hwnd));
    EXPECT_EQ(mainProc.messages, 0);
}

TEST_F(DialogTest, WaitWindowDisablesItsOwnerWhileItExists) {
    CWaitDlg wait;
    ASSERT_TRUE(wait.Create(main));
    EXPECT_FALSE(mainWidget.isEnabled());
    EXPECT_TRUE(wait.Window()->isEnabled());
    EXPECT_TRUE(wait.Window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(wait.Window()->size(), QSize(DluX(150), DluY(22)));
    EXPECT_EQ(GetForegroundWindow(), wait.GetSafeHwnd());

    PostMessage(wait.GetSafeHwnd(), WM_NULL, 0, 0);
    PostMessage(wait.GetSafeHwnd(), WM_NULL, 0, 0);
    wait.SetText(LoadString(803));
    EXPECT_EQ(Text(wait, CWaitDlg::IDC_TEXT), LoadString(803));
    EXPECT_TRUE(loop.DispatchOnePending(wait.GetSafeHwnd()));
    EXPECT_FALSE(loop.DispatchOnePending(wait.GetSafeHwnd()));

    QTest::keyClick(wait.Window(), Qt::Key_Escape);
    EXPECT_TRUE(wait.Window()->isVisible());

    EXPECT_TRUE(wait.Destroy());
    EXPECT_TRUE(mainWidget.isEnabled());
    EXPECT_FALSE(wait.Destroy());
    wait.SetText(QStringLiteral("x")); // no window: remembered only
    EXPECT_EQ(wait.Text(), QStringLiteral("x"));
}

} // namespace
