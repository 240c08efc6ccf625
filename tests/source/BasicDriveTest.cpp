// The drive base: the drive a combo box entry names, and the progress window either side opens.

#include "source/BasicDrive.h"
#include "resources/StringTable.h"
#include "ui/MyComboBox.h"
#include "ui/StatusDlg.h"

#include <QDialog>
#include <QProgressBar>
#include <gtest/gtest.h>

namespace {
class CTestDrive : public CBasicDrive {
public:
    CTestDrive() : CBasicDrive(QStringLiteral("Test")) {}
    bool Attach(CMyComboBox* comboBox) override {
        SetComboBox(comboBox);
        return comboBox != nullptr;
    }
    void Detach() override { SetComboBox(nullptr); }
    void Refresh(bool, bool) override {}
};
} // namespace

TEST(BasicDrive, DriveRootComesFromTheTrailingLetterInParentheses) {
    const struct {
        const char* label;
        const char* root;
    } cases[] = {
        {"CD ドライブ (E:)", "E:"},
        {"MYDISC (D:)", "D:"},
        {"smile :) (F:)", "F:"}, // a ":)" inside the volume label names no drive
        {"weird (Q:) label (G:)", "G:"},
        {":)", ""},
        {"(E:)", "E:"},
        {"", ""},
        {"no drive here", ""},
        {"MYDISC (D:) ", ""},
        {"MYDISC (d:)", ""},
        {"MYDISC D:)", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CBasicDrive::DriveRootOf(QString::fromUtf8(c.label)), QString::fromUtf8(c.root)) << c.label;
    }
}

TEST(BasicDrive, SelectionOfTheComboBox) {
    CTestDrive drive;
    EXPECT_EQ(drive.GetSelection(), -1);
    EXPECT_EQ(drive.GetSelectionText(), QString());
    EXPECT_EQ(drive.GetDriveRoot(), QString());
    EXPECT_EQ(drive.Name(), QStringLiteral("Test"));
    EXPECT_EQ(drive.GetState(), 0);

    auto combo = std::make_unique<CMyComboBox>();
    ASSERT_TRUE(drive.Attach(combo.get()));
    combo->addItem(QStringLiteral("CD ドライブ (D:)"));
    combo->addItem(QStringLiteral("MYDISC (E:)"));
    combo->Select(QStringLiteral("MYDISC (E:)"), 1);
    EXPECT_EQ(drive.GetSelection(), 1);
    EXPECT_EQ(drive.GetDriveRoot(), QStringLiteral("E:"));
    // The combo box may go before the drive object.
    combo.reset();
    EXPECT_EQ(drive.GetSelection(), -1);
    EXPECT_EQ(drive.GetDriveRoot(), QString());
}

TEST(BasicDrive, ProgressWindowOpensWithTheTitleAndClosesAway) {
    CTestDrive drive;
    drive.SetProgressPos(5); // nothing to move yet
    drive.CloseProgress();
    EXPECT_FALSE(drive.IsProgressShown());

    ASSERT_TRUE(drive.OpenProgress(true));
    ASSERT_NE(drive.Progress(), nullptr);
    EXPECT_TRUE(drive.IsProgressShown());
    QDialog* window = drive.Progress()->Window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), LoadString(1102));
    EXPECT_FALSE(drive.Progress()->GetDlgItem(IDCANCEL)->isEnabled());

    drive.Progress()->SetRange(0, 300);
    drive.SetProgressPos(120);
    auto* bar = qobject_cast<QProgressBar*>(drive.Progress()->GetDlgItem(CStatusDlg::IDC_PROGRESS));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value(), 120);

    // Opening again keeps the one window.
    CStatusDlg* first = drive.Progress();
    ASSERT_TRUE(drive.OpenProgress(false));
    EXPECT_EQ(drive.Progress(), first);

    drive.CloseProgress();
    EXPECT_FALSE(drive.IsProgressShown());
    EXPECT_EQ(drive.Progress(), nullptr);
}
