// The main window in its states as the user sees them, rendered offscreen: no drive and no card, a
// disc but no card, ready, ripping and copying with their progress windows, done (with and without
// the timed notice), the countdown, the album dialog and an error notice. A window that the main
// window opens is drawn over it where it stands, with a plain frame and its title. Every text of the
// window is checked to fit whole. The pictures go into the build tree; scripts/screenshots sends
// them to docs/screenshots/ (OLLIVANE_SCREENSHOT_DIR) with the real demo disc in the drive
// (OLLIVANE_DEMO_DISC).
#include "controller/AutoCloseDlg.h"
#include "controller/WaitDlg.h"
#include "platform/files/CopyFaults.h"
#include "platform/files/Volumes.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "tests/controller/MainWindowFixture.h"
#include "tests/support/Screenshot.h"
#include "ui/ColorButton.h"
#include "ui/MyComboBox.h"
#include "ui/ReportCtrl.h"
#include "ui/StaticEx.h"
#include "ui/StatusDlg.h"
#include "ui/window/Fonts.h"
#include "ui/window/QtModalService.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QSaveFile>
#include <QTimer>

namespace {

// A window as a window manager would frame it: a title bar with its title, a thin edge.
QImage Framed(QWidget* window) {
    const QImage client = window->grab().toImage();
    constexpr int kTitle = 24;
    QImage framed(client.width() + 2, client.height() + kTitle + 1, QImage::Format_ARGB32);
    framed.fill(QColor(0x70, 0x70, 0x78));
    QPainter p(&framed);
    p.fillRect(QRect(1, 1, client.width(), kTitle - 1), QColor(0xE8, 0xE8, 0xEC));
    QFont font = window->font();
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(8, 1, client.width() - 16, kTitle - 1), Qt::AlignVCenter | Qt::AlignLeft,
               window->windowTitle());
    p.drawImage(1, kTitle, client);
    return framed;
}

class MainScreens : public CMainWindowFixture {
protected:
    void SetUp() override {
        CMainWindowFixture::SetUp();
        InstallFontSubstitutes();
    }

    // The window as it stands, with the windows it opened drawn over it.
    QImage Picture(const std::vector<QWidget*>& over = {}) {
        QApplication::processEvents();
        QImage image = m_dlg->grab().toImage();
        QPainter p(&image);
        for (QWidget* window : over) {
            const QImage framed = Framed(window);
            // Centred on the main window, as the dialogs place themselves.
            p.drawImage((image.width() - framed.width()) / 2, (image.height() - framed.height()) / 2, framed);
        }
        return image;
    }

    void Save(const QImage& image, const QString& name) {
        EXPECT_GT(ColourCount(image), 50) << name.toStdString();
        SaveScreenshot(image, name);
    }

    // Every text of the window fits its control whole.
    void ExpectTextsWhole() {
        auto* status = m_dlg->StatusText();
        const QFontMetrics statusFont(status->font());
        const QStringList lines = status->text().split(QLatin1Char('\n'));
        for (const QString& line : lines) {
            EXPECT_LE(statusFont.horizontalAdvance(line), status->width()) << line.toStdString();
        }
        EXPECT_LE(lines.size() * statusFont.lineSpacing(), status->height()) << status->text().toStdString();
        for (int id : {IDC_ALBUM_TEXT, IDC_TOTAL_SIZE, IDC_CAPACITY, IDC_FREE}) {
            auto* label = qobject_cast<QLabel*>(m_dlg->Control(id));
            EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width()) << id;
        }
        for (int id : {IDC_ALBUM_BUTTON, IDC_OPEN_DEST, IDC_TRANSFER, IDC_CLOSE}) {
            auto* button = qobject_cast<QAbstractButton*>(m_dlg->Control(id));
            QString text = button->text();
            text.remove(QLatin1Char('&'));
            EXPECT_LE(QFontMetrics(button->font()).horizontalAdvance(text) + 8, button->width()) << id;
        }
        for (int id : {IDC_CD_COMBO, IDC_DEST_COMBO}) {
            auto* combo = qobject_cast<QComboBox*>(m_dlg->Control(id));
            EXPECT_LE(QFontMetrics(combo->font()).horizontalAdvance(combo->currentText()) + 24,
                      combo->width())
                << id;
        }
        CReportCtrl* list = m_dlg->TrackList();
        for (int row = 0; row < list->GetItemCount(); ++row) {
            EXPECT_LE(CReportCtrl::kStateImageWidth + 8 +
                          QFontMetrics(list->font()).horizontalAdvance(list->GetItemText(row, 0)),
                      list->columnWidth(0))
                << row;
            EXPECT_LE(QFontMetrics(list->font()).horizontalAdvance(list->GetItemText(row, 1)) + 8,
                      list->columnWidth(1))
                << row;
        }
    }

    // Runs the next modal window of `name` for real, drawing it over the window once it shows and
    // then closing it as its close box would.
    void ShootModal(const QString& file) {
        m_modal.Answer(0);
        QTimer::singleShot(300, [this, file] {
            QWidget* window = QApplication::activeModalWidget();
            ASSERT_NE(window, nullptr);
            Save(Picture({window}), file);
            window->close();
        });
    }
};

TEST_F(MainScreens, NoDriveAndNoCard) {
    m_sandbox->Volumes().RemoveDrive(QLatin1Char('D'));
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), false);
    ASSERT_TRUE(Start());
    ExpectTextsWhole();
    Save(Picture(), QStringLiteral("main-no-drive-no-card.png"));
}

TEST_F(MainScreens, DiscButNoCard) {
    InsertDemoDisc();
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), false);
    ASSERT_TRUE(Start());
    ExpectTextsWhole();
    Save(Picture(), QStringLiteral("main-disc-no-card.png"));
}

TEST_F(MainScreens, ReadyAndAnErrorNotice) {
    InsertDemoDisc();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    m_dlg->TrackList()->SelectItem(0);
    ExpectTextsWhole();
    Save(Picture(), QStringLiteral("main-ready.png"));

    // Nothing ticked: the error notice, as the product shows it.
    for (int row = 0; row < m_dlg->TrackList()->GetItemCount(); ++row) {
        m_dlg->TrackList()->SetCheck(row, false);
    }
    CQtModalService real;
    CPlatform services = CPlatform::Current();
    services.modal = &real;
    CPlatformScope scope(services);
    QTimer::singleShot(300, [this] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        Save(Picture({box}), QStringLiteral("main-notice-1721.png"));
        box->close();
    });
    Command(IDC_TRANSFER);
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_WAIT);
}

TEST_F(MainScreens, TheCountdownBeforeAnAutomaticStart) {
    SetAutoSync(1);
    InsertDemoDisc();
    ASSERT_TRUE(Start());
    ShootModal(QStringLiteral("main-countdown.png"));
    ASSERT_TRUE(RunUntilReady());
    EXPECT_FALSE(m_dlg->IsJobRunning()) << "closed as Cancel: no job";
}

TEST_F(MainScreens, TheAlbumDialog) {
    InsertDemoDisc();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    ShootModal(QStringLiteral("main-album-dialog.png"));
    Command(IDC_ALBUM_BUTTON);
}

TEST_F(MainScreens, RippingCopyingAndDone) {
    InsertDemoDisc();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    CCopyFaults faults;
    faults.HoldBefore(QLatin1Char('E'), 4, ::GetTickCount() + 600000);
    Command(IDC_TRANSFER);

    // Ripping: once the rip's window shows a track under way.
    ASSERT_TRUE(RunUntil([&] {
        return m_dlg->Source().Progress() &&
               m_dlg->Source().Progress()->Message().contains(QStringLiteral("/10)"));
    }));
    ExpectTextsWhole();
    for (int id : {IDC_ALBUM_BUTTON, IDC_TRANSFER, IDC_CLOSE, IDC_OPEN_DEST, IDC_CD_COMBO, IDC_DEST_COMBO}) {
        EXPECT_FALSE(m_dlg->Control(id)->isEnabled()) << id;
    }
    Save(Picture({m_dlg->Source().Progress()->Window()}), QStringLiteral("main-ripping.png"));

    // Copying: the fourth file is held; its window shows how far the copy is.
    ASSERT_TRUE(RunUntil([&] { return faults.IsHeld() && m_dlg->Destination().Progress(); }));
    Run(1000);
    Save(Picture({m_dlg->Destination().Progress()->Window()}), QStringLiteral("main-copying.png"));
    faults.Release();

    // Done: the timed notice over the hint to put in another disc, then the hint alone.
    ShootModal(QStringLiteral("main-done-notice.png"));
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }));
    EXPECT_EQ(m_dlg->StatusText()->text(), LoadString(IDS_STATUS_NEXT_CD));
    ExpectTextsWhole();
    Save(Picture(), QStringLiteral("main-done.png"));
}

// The job has failed but the player will not stop its rip: the window without a title says the
// job is being stopped, over the main window, until the rip has ended.
TEST_F(MainScreens, WaitingForARipThatWillNotStop) {
    InsertDisc(4);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    MediaEngineFaults deaf;
    deaf.zeroSizeTrack = 1;
    deaf.stallAtTrack = 3;
    deaf.failingCalls = {QStringLiteral("stopRip"), QStringLiteral("eject")};
    SetEngineFaults(deaf);
    Command(IDC_TRANSFER);
    ASSERT_TRUE(RunUntil([&] { return m_dlg->IsStopWaitShown(); }));
    // The wait window is a top-level window of its own, found by its text control.
    QWidget* wait = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const auto* text = window->findChild<QLabel*>(QString::number(CWaitDlg::IDC_TEXT));
        if (window->isVisible() && text && text->text() == LoadString(IDS_CANCELLING)) {
            wait = window;
        }
    }
    ASSERT_NE(wait, nullptr);
    QImage image = Picture();
    {
        const QImage over = wait->grab().toImage();
        QPainter p(&image);
        // In logical pixels: at a scale factor above 1 both images carry their device pixel ratio.
        const QSizeF room = image.deviceIndependentSize() - over.deviceIndependentSize();
        p.drawImage(QPointF(room.width() / 2, room.height() / 2), over);
    }
    Save(image, QStringLiteral("main-stop-wait.png"));

    // The stop reaches the rip at last; the job ends and the window goes.
    SetEngineFaults({});
    ComPtr<IWMPCdromRip> rip;
    ASSERT_EQ(Drive(0).As(&rip), S_OK);
    ASSERT_EQ(rip->stopRip(), S_OK);
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }));
    EXPECT_FALSE(m_dlg->IsStopWaitShown());
}

} // namespace
