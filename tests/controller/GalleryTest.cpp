// Renders every small control and dialog in its states, offscreen, so anyone can look at them (into
// the build tree; scripts/screenshots sends them to docs/screenshots/ with OLLIVANE_SCREENSHOT_DIR): the grey
// buttons, the track list enabled, disabled and editing with Japanese titles, the status text, and the
// progress, wait and notice windows.

#include "controller/AutoCloseDlg.h"
#include "controller/AutoCloseDlg2.h"
#include "controller/WaitDlg.h"
#include "platform/Platform.h"
#include "platform/messages/ScriptedModalService.h"
#include "platform/messages/VirtualMessageLoop.h"
#include "platform/windows/WindowTable.h"
#include "resources/StringTable.h"
#include "tests/support/Screenshot.h"
#include "ui/Bitmaps.h"
#include "ui/ColorButton.h"
#include "ui/ColorRef.h"
#include "ui/MyComboBox.h"
#include "ui/ReportCtrl.h"
#include "ui/StaticEx.h"
#include "ui/StatusDlg.h"
#include "ui/window/DialogUnits.h"
#include "ui/window/Fonts.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QSaveFile>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const char* const kTitles[] = {
    "さくら（独唱）", "夜明けのうた",           "Blue Moon",        "川の流れのように",
    "ふるさと",       "見上げてごらん夜の星を", "上を向いて歩こう", "とても長いタイトルが入った曲の名前です"};
const char* const kLengths[] = {"4:12", "3:58", "5:01", "4:45", "2:59", "3:33", "3:05", "6:20"};

class Gallery : public ::testing::Test {
protected:
    CWindowTable windows;
    CVirtualMessageLoop loop;
    CScriptedModalService modal;
    CPlatform services{.loop = &loop, .windows = &windows, .modal = &modal};
    CPlatformScope scope{services};

    static void SetUpTestSuite() { InstallFontSubstitutes(); }

    void Shot(const QImage& image, const QString& name) {
        ASSERT_FALSE(image.isNull()) << name.toStdString();
        EXPECT_GT(ColourCount(image), 4) << name.toStdString();
        SaveScreenshot(image, name);
    }

    static void SetUpList(CReportCtrl& list, HWND parent) {
        list.BindWindow(parent);
        list.resize(DluX(280), DluY(120));
        list.SetBkColor(0x3E3E3E);
        list.SetTextColor(0xFFFFFF);
        QFont font(QStringLiteral("MS UI Gothic"));
        font.setPixelSize(12);
        list.setFont(font);
        const int w = list.viewport()->width();
        list.InsertColumn(0, LoadString(210), (w / 25) * 22);
        list.InsertColumn(1, LoadString(212), w - (w / 25) * 23, Qt::AlignRight);
        list.SetEditable(true);
        list.SetCheckMode(CReportCtrl::CHECK_MULTIPLE);
        list.EnableList(true);
        list.EnableList(false);
        for (int i = 0; i < 8; ++i) {
            list.InsertItem(i, QString::fromUtf8(kTitles[i]));
            list.SetItemText(i, 1, QString::fromLatin1(kLengths[i]));
            list.SetCheck(i, i != 2 && i != 5);
        }
        list.SetCellBackColor(-1, -1, 0x3E3E3E, false);
        list.SetCellTextColor(-1, -1, 0xFFFFFF, false);
        list.setCurrentItem(list.topLevelItem(0));
    }
};

TEST_F(Gallery, JapaneseTextHasAFontWithItsGlyphs) {
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    for (UINT id : {208u, 315u, 800u, 803u, 1720u, 1903u}) {
        const QString text = LoadString(id);
        for (QChar ch : text) {
            if (!ch.isSpace()) {
                EXPECT_TRUE(metrics.inFont(ch)) << id << " U+" << std::hex << static_cast<int>(ch.unicode());
            }
        }
    }
}

TEST_F(Gallery, Buttons) {
    const QSize size(DluX(64), DluY(18));
    const struct {
        const char* label;
        UINT state;
    } states[] = {{"normal", 0},
                  {"focused", CColorButton::ODS_FOCUS},
                  {"pressed", CColorButton::ODS_SELECTED | CColorButton::ODS_FOCUS},
                  {"disabled", CColorButton::ODS_DISABLED}};
    const UINT captions[] = {1206, 208, 209, 1213};
    QImage panel(20 + 4 * (size.width() + 12), 30 + 4 * (size.height() + 10), QImage::Format_RGB32);
    panel.fill(QColor(0x3E, 0x3E, 0x3E));
    QPainter p(&panel);
    QFont small(QStringLiteral("MS UI Gothic"));
    small.setPixelSize(12);
    for (int col = 0; col < 4; ++col) {
        p.setPen(Qt::white);
        p.setFont(small);
        p.drawText(QRect(10 + col * (size.width() + 12), 6, size.width(), 16), Qt::AlignCenter,
                   QString::fromLatin1(states[col].label));
        for (int row = 0; row < 4; ++row) {
            CColorButton button(LoadString(captions[row]));
            button.setFont(small);
            button.resize(size);
            QImage face(size, QImage::Format_RGB32);
            QPainter fp(&face);
            fp.setFont(button.font());
            button.DrawItem(fp, button.rect(), states[col].state);
            fp.end();
            p.drawImage(10 + col * (size.width() + 12), 26 + row * (size.height() + 10), face);
        }
    }
    p.end();
    Shot(panel, QStringLiteral("buttons.png"));
}

TEST_F(Gallery, TrackList) {
    QWidget main;
    main.setAutoFillBackground(true);
    QPalette pal = main.palette();
    pal.setColor(QPalette::Window, QColor(0x3E, 0x3E, 0x3E));
    main.setPalette(pal);
    HWND parent = windows.Create({.title = QStringLiteral("Ollivane")});
    CReportCtrl list(&main);
    SetUpList(list, parent);
    main.resize(list.size() + QSize(16, 16));
    list.move(8, 8);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));

    Shot(main.grab().toImage(), QStringLiteral("tracklist-disabled.png"));
    list.EnableList(true);
    list.setFocus();
    Shot(main.grab().toImage(), QStringLiteral("tracklist-enabled.png"));
    ASSERT_TRUE(list.StartEdit(3, 0));
    list.EditBox()->setText(QStringLiteral("川の流れのように（ライブ）"));
    Shot(main.grab().toImage(), QStringLiteral("tracklist-editing.png"));
    list.EndEdit(false);
}

TEST_F(Gallery, StatusTextAndPickers) {
    QWidget main;
    main.resize(DluX(200), DluY(120));
    main.setAutoFillBackground(true);
    QPalette pal = main.palette();
    pal.setColor(QPalette::Window, QColor(0x3E, 0x3E, 0x3E));
    main.setPalette(pal);
    CMyComboBox drives(&main);
    drives.addItems({QStringLiteral("D: (CD ドライブ)"), QStringLiteral("F: (CD ドライブ)")});
    drives.Select(QStringLiteral("D: (CD ドライブ)"), 0);
    drives.setGeometry(DluRect(6, 4, 120, 12));
    auto* status = new CStaticEx(&main);
    status->setGeometry(DluRect(6, 20, 188, 96));
    status->SetFontHeight(15);
    status->SetTextColor(0x1200EB);
    status->SetWindowText(LoadString(1901) + QStringLiteral("\n") + LoadString(1902));
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    Shot(main.grab().toImage(), QStringLiteral("status-text.png"));
}

TEST_F(Gallery, ProgressWindow) {
    CStatusDlg status;
    ASSERT_TRUE(status.Create(nullptr));
    status.SetMessage(LoadString(1801) + QStringLiteral(" (3/8)..."));
    status.SetRange(0, 100);
    status.SetPos(0);
    Shot(status.Window()->grab().toImage(), QStringLiteral("progress-0.png"));
    status.SetMessage(LoadString(1802));
    status.SetPos(40);
    Shot(status.Window()->grab().toImage(), QStringLiteral("progress-40.png"));
    QTest::mouseClick(status.GetDlgItem(IDCANCEL), Qt::LeftButton);
    ASSERT_TRUE(status.Cancelled());
    Shot(status.Window()->grab().toImage(), QStringLiteral("progress-cancelled.png"));
    status.Destroy();
}

TEST_F(Gallery, WaitWindow) {
    CWaitDlg wait;
    ASSERT_TRUE(wait.Create(nullptr));
    wait.SetText(LoadString(803));
    Shot(wait.Window()->grab().toImage(), QStringLiteral("wait.png"));
    wait.Destroy();
}

TEST_F(Gallery, TimedNotices) {
    CAutoCloseDlg countdown;
    CAutoCloseDlg2 done;
    for (CAutoCloseDlg* dialog : {&countdown, static_cast<CAutoCloseDlg*>(&done)}) {
        modal.Answer(0);
        QImage shot;
        QTimer::singleShot(0, [&] {
            shot = dialog->Window()->grab().toImage();
            loop.Advance(CAutoCloseDlg::kTimeoutMs);
        });
        EXPECT_EQ(dialog->DoModal(nullptr), 1);
        Shot(shot,
             dialog == &countdown ? QStringLiteral("countdown.png") : QStringLiteral("transfer-done.png"));
    }
}

TEST_F(Gallery, Icon) {
    Shot(LoadAppIcon().pixmap(64, 64).toImage(), QStringLiteral("icon.png"));
}

} // namespace
