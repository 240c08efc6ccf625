// The CD source's windows as the user sees them, rendered offscreen: the track list of the demo
// disc with the drive, album and total read-outs, the rip progress window part way, and the album
// name dialog. Each picture is checked for whole texts. They go into the build tree; the
// screenshots script sends them to docs/screenshots/ (OLLIVANE_SCREENSHOT_DIR) and puts the real
// demo disc in the drive (OLLIVANE_DEMO_DISC, a .cue beside its .bin).

#include "resources/StringTable.h"
#include "source/AlbumDlg.h"
#include "tests/source/CdSourceFixture.h"
#include "tests/support/Screenshot.h"
#include "ui/StatusDlg.h"
#include "ui/window/Fonts.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSet>
#include <QVBoxLayout>

namespace {

class CdScreens : public CCdSourceTest {
protected:
    void SetUp() override {
        CCdSourceTest::SetUp();
        InstallFontSubstitutes();
    }

    // A one-line text fits its control's width.
    static void ExpectFits(const QWidget* widget, const QString& text, int spare = 0) {
        const int needed = QFontMetrics(widget->font()).horizontalAdvance(text);
        EXPECT_LE(needed + spare, widget->width()) << text.toStdString();
    }
};

TEST_F(CdScreens, TrackListOfTheDemoDisc) {
    InsertDemoDisc();
    StartPlayer();
    // The CD source's controls as the main window lays them out, on its dark background.
    QWidget panel;
    panel.setStyleSheet(QStringLiteral("background-color: #3E3E3E;"));
    panel.resize(460, 330);
    auto* layout = new QVBoxLayout(&panel);
    // The fixture owns the controls: they leave the panel before it goes, whatever happens.
    struct Lend {
        std::vector<QWidget*> widgets;
        ~Lend() {
            for (QWidget* w : widgets) {
                w->setParent(nullptr);
            }
        }
    } lend{{m_combo.get(), m_album.get(), m_list.get(), m_total.get()}};
    for (QWidget* w : lend.widgets) {
        w->setParent(&panel);
    }
    m_album->SetFontHeight(16);
    m_total->SetFontHeight(14);
    m_total->setAlignment(Qt::AlignRight);
    layout->addWidget(m_combo.get());
    layout->addWidget(m_album.get());
    layout->addWidget(m_list.get(), 1);
    layout->addWidget(m_total.get());
    m_list->SetBkColor(CCDROMAcc::kTrackBackColor);
    m_list->SetTextColor(CCDROMAcc::kTrackTextColor);
    panel.show();
    const int w = m_list->viewport()->width();
    m_list->header()->resizeSection(0, (w / 25) * 22);
    m_list->header()->resizeSection(1, w - (w / 25) * 23);
    ASSERT_TRUE(OpenLikeTheWindow());
    m_list->EnableList(true);
    // White on the dark background, as the read-outs are in the main window.
    m_album->ResetTextColor();
    m_album->SetTextColor(0xFFFFFF);
    m_total->SetTextColor(0xFFFFFF);

    ASSERT_EQ(m_list->GetItemCount(), 10);
    EXPECT_EQ(m_album->text(), CEngineFixture::kDemoAlbum);
    for (int row = 0; row < 10; ++row) {
        EXPECT_EQ(m_list->GetItemText(row, 0), CEngineFixture::kDemoTitles.at(row));
        // The check box, the title and the cell's margins fit the title column.
        const int needed = CReportCtrl::kStateImageWidth + 8 +
                           QFontMetrics(m_list->font()).horizontalAdvance(m_list->GetItemText(row, 0));
        EXPECT_LE(needed, m_list->columnWidth(0)) << row;
        EXPECT_LE(QFontMetrics(m_list->font()).horizontalAdvance(m_list->GetItemText(row, 1)) + 8,
                  m_list->columnWidth(1));
    }
    ExpectFits(m_album.get(), m_album->text());
    ExpectFits(m_total.get(), m_total->text());
    ExpectFits(m_combo.get(), m_combo->currentText(), 24);
    const QImage image = panel.grab().toImage();
    EXPECT_GT(ColourCount(image), 20);
    SaveScreenshot(image, QStringLiteral("cd-tracklist.png"));
}

TEST_F(CdScreens, RipProgressPartWay) {
    InsertDemoDisc();
    m_config.faults.stallAtTrack = 1; // the picture shows the values given here, nothing else
    StartPlayer();
    ASSERT_TRUE(OpenLikeTheWindow());
    ASSERT_EQ(m_cd->StartRip(), 0);
    ASSERT_EQ(m_cd->RipProgress(350), 350);
    CStatusDlg* progress = m_cd->Progress();
    ASSERT_NE(progress, nullptr);
    const QString text = progress->Message();
    EXPECT_EQ(text, LoadString(1801) + QStringLiteral("(4/10)....."));
    const QWidget* label = progress->GetDlgItem(CStatusDlg::IDC_MESSAGE);
    ASSERT_NE(label, nullptr);
    const QRect needed = QFontMetrics(label->font()).boundingRect(label->rect(), Qt::TextWordWrap, text);
    EXPECT_LE(needed.height(), label->height());
    EXPECT_LE(needed.width(), label->width());
    const QImage image = progress->Window()->grab().toImage();
    EXPECT_GT(ColourCount(image), 20);
    SaveScreenshot(image, QStringLiteral("cd-rip-progress.png"));
    m_cd->StopOrEject(false);
    EXPECT_TRUE(WaitForRipEnd());
    m_cd->CloseProgress();
}

TEST_F(CdScreens, AlbumNameDialog) {
    InsertDemoDisc();
    StartPlayer();
    ASSERT_TRUE(OpenLikeTheWindow());
    CAlbumDlg dialog(m_cd.get());
    ASSERT_TRUE(dialog.Create(m_main));
    EXPECT_EQ(dialog.NameField()->text(), CEngineFixture::kDemoAlbum);
    const auto* label = dialog.GetDlgItem(CAlbumDlg::IDC_LABEL);
    ExpectFits(label, LoadString(1202));
    ExpectFits(dialog.NameField(), CEngineFixture::kDemoAlbum, 8);
    ExpectFits(dialog.OkButton(), dialog.OkButton()->text(), 8);
    ExpectFits(dialog.CancelButton(), dialog.CancelButton()->text(), 8);
    dialog.NameField()->deselect();
    const QImage image = dialog.Window()->grab().toImage();
    EXPECT_GT(ColourCount(image), 20);
    SaveScreenshot(image, QStringLiteral("album-dialog.png"));
}

} // namespace
