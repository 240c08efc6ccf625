// The main window as a desktop window: its menu on the title band (restore, move, minimise, close,
// about) and what each does on the frameless window; the about box with the licence and the
// libraries at their run-time versions; the contrast of the red texts on the background picture;
// the captions of the figures; notices above other windows. Pictures of the menu and the about box
// go where the other screenshots go.
#include "controller/AboutDlg.h"
#include "controller/MainBackground.h"
#include "mediaengine/about/EngineLibraries.h"
#include "platform/system/LinkedLibraries.h"
#include "resources/ProgramVersion.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "tests/controller/MainWindowFixture.h"
#include "tests/support/Screenshot.h"
#include "ui/ReportCtrl.h"
#include "ui/StaticEx.h"
#include "ui/window/Fonts.h"
#include "ui/window/QtModalService.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <cdio/version.h>
#include <cmath>
#include <lame/lame.h>
#include <sqlite3.h>

namespace {

using WindowConventions = CMainWindowFixture;

// Relative luminance and contrast ratio as the accessibility guidelines define them.
double Luminance(QColor c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double Contrast(QColor a, QColor b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor FromColorRef(COLORREF c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// A window's rectangle in the pixels of a picture of it (twice as many on a 2x screen).
QRect InPixels(const QRect& logical, const QImage& picture) {
    const qreal ratio = picture.devicePixelRatio();
    return QRectF(QPointF(logical.topLeft()) * ratio, QSizeF(logical.size()) * ratio).toRect();
}

// The lowest contrast between a colour and the background picture's pixels under a control.
double LowestContrastBehind(CQuendaDlg& dlg, int id, QColor text) {
    const QImage picture = qobject_cast<QLabel*>(dlg.Control(IDC_BACKGROUND))->pixmap().toImage();
    const QRect area = InPixels(dlg.Control(id)->geometry(), picture);
    double lowest = 1e9;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            lowest = std::min(lowest, Contrast(text, picture.pixelColor(x, y)));
        }
    }
    return lowest;
}

struct MenuItem {
    QString text; // empty: a separator
    bool enabled;
};

// Opens the band's menu for real and reads it; `command` is what the user then picks (0: none).
std::vector<MenuItem> OpenMenu(CQuendaDlg& dlg, CScriptedModalService& modal, QImage* picture = nullptr) {
    std::vector<MenuItem> items;
    modal.Answer(0);
    QTimer::singleShot(100, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            items.push_back({action->isSeparator() ? QString() : action->text(), action->isEnabled()});
        }
        if (picture) {
            *picture = dlg.grab().toImage();
            QPainter p(picture);
            p.drawImage(dlg.mapFromGlobal(menu->pos()), menu->grab().toImage());
        }
        menu->close();
    });
    QTest::mouseClick(&dlg, Qt::RightButton, {}, QPoint(40, 10));
    return items;
}

TEST_F(WindowConventions, TheBandsMenuHoldsTheWindowCommandsAndTheyWorkOnTheFramelessWindow) {
    InsertDisc(1);
    ASSERT_TRUE(Start());
    m_dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));

    QImage picture;
    const std::vector<MenuItem> items = OpenMenu(*m_dlg, m_modal, &picture);
    const std::vector<std::pair<QString, bool>> expected = {{QStringLiteral("元のサイズに戻す(&R)"), false},
                                                            {QStringLiteral("移動(&M)"), true},
                                                            {QStringLiteral("最小化(&N)"), true},
                                                            {QStringLiteral("閉じる(&C)"), true},
                                                            {QString(), true},
                                                            {LoadString(IDS_ABOUT_MENU_ITEM), true}};
    ASSERT_EQ(items.size(), expected.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].text, expected[i].first) << i;
        if (!items[i].text.isEmpty()) {
            EXPECT_EQ(items[i].enabled, expected[i].second) << items[i].text.toStdString();
        }
    }
    ASSERT_FALSE(picture.isNull());
    SaveScreenshot(picture, QStringLiteral("main-system-menu.png"));

    // Minimise, and back: the menu then offers only to restore and to close.
    ::SendMessage(m_dlg->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(m_dlg->isMinimized());
    const std::vector<MenuItem> minimised = OpenMenu(*m_dlg, m_modal);
    ASSERT_GE(minimised.size(), 4u);
    EXPECT_TRUE(minimised[0].enabled);
    EXPECT_FALSE(minimised[1].enabled);
    EXPECT_FALSE(minimised[2].enabled);
    ::SendMessage(m_dlg->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(m_dlg->isMinimized());
    EXPECT_TRUE(m_dlg->isVisible());

    // Move: the arrows move the window, Escape puts it back, Enter keeps where it went; while the
    // move lasts no key reaches the window's own rules.
    const QPoint origin = m_dlg->pos();
    ::SendMessage(m_dlg->Handle(), WM_SYSCOMMAND, SC_MOVE, 0);
    QTest::keyClick(m_dlg.get(), Qt::Key_Right);
    QTest::keyClick(m_dlg.get(), Qt::Key_Right);
    QTest::keyClick(m_dlg.get(), Qt::Key_Up);
    EXPECT_EQ(m_dlg->pos(), origin + QPoint(2 * 8, -8));
    QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
    EXPECT_EQ(m_dlg->pos(), origin);
    EXPECT_FALSE(m_dlg->IsEnded());

    ::SendMessage(m_dlg->Handle(), WM_SYSCOMMAND, SC_MOVE, 0);
    QTest::keyClick(m_dlg.get(), Qt::Key_Down);
    QTest::keyClick(m_dlg.get(), Qt::Key_Return);
    EXPECT_EQ(m_dlg->pos(), origin + QPoint(0, 8));
    EXPECT_TRUE(m_modal.History().empty() || m_modal.History().back().name == QStringLiteral("SystemMenu"))
        << "Enter ended the move and pressed no button";
    QTest::keyClick(m_dlg.get(), Qt::Key_Left);
    EXPECT_EQ(m_dlg->pos(), origin + QPoint(0, 8)) << "the move has ended";

    // With the mouse: the window follows it until a click.
    ::SendMessage(m_dlg->Handle(), WM_SYSCOMMAND, SC_MOVE, 0);
    const QPoint start = m_dlg->pos();
    QTest::mouseMove(m_dlg.get(), QPoint(100, 100));
    QTest::mouseMove(m_dlg.get(), QPoint(130, 120));
    const QPoint followed = m_dlg->pos();
    EXPECT_EQ(followed - start, QPoint(30, 20));
    QTest::mouseClick(m_dlg.get(), Qt::LeftButton, {}, QPoint(130, 120) - (followed - start));
    QTest::mouseMove(m_dlg.get(), QPoint(10, 300));
    EXPECT_EQ(m_dlg->pos(), followed) << "the click ended the move";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Close from the menu ends the window as the Close button does.
    ::SendMessage(m_dlg->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(m_dlg->IsEnded());
}

TEST_F(WindowConventions, TheAboutBoxNamesTheProgramItsLicenceAndTheLibrariesAsTheyRun) {
    InstallFontSubstitutes();
    CEngineLibraries::Register();
    InsertDisc(1);
    ASSERT_TRUE(Start());

    QString version, licence, libraries, texts;
    m_modal.Answer(0);
    QTimer::singleShot(100, [&] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(about, nullptr);
        auto text = [about](int id) {
            return about->findChild<QLabel*>(QString::number(id), Qt::FindDirectChildrenOnly)->text();
        };
        version = text(CAboutDlg::IDC_VERSION);
        licence = text(CAboutDlg::IDC_LICENCE);
        libraries = text(CAboutDlg::IDC_LIBRARIES);
        texts = text(CAboutDlg::IDC_TEXTS_AT);
        // Every text fits its place whole, wrapped where the template lets it wrap.
        for (QLabel* label : about->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (label->text().isEmpty()) {
                continue;
            }
            const QRect needed =
                label->fontMetrics().boundingRect(QRect(0, 0, label->width(), 10000),
                                                  int(label->alignment()) | Qt::TextWordWrap, label->text());
            EXPECT_LE(needed.height(), label->height()) << label->text().toStdString();
            if (!label->wordWrap()) {
                EXPECT_LE(needed.width(), label->width()) << label->text().toStdString();
            }
        }
        SaveScreenshot(about->grab().toImage(), QStringLiteral("about.png"));
        QTest::keyClick(about, Qt::Key_Return);
    });
    ::SendMessage(m_dlg->Handle(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_EQ(m_modal.History().back().answer, IDOK);

    EXPECT_EQ(version, QStringLiteral("Ollivane バージョン ") + ProgramVersion());
    EXPECT_TRUE(ProgramVersion().startsWith(QStringLiteral("0.")));
    EXPECT_TRUE(licence.contains(QStringLiteral("GNU 一般公衆利用許諾書")) &&
                licence.contains(QStringLiteral("バージョン 3")))
        << licence.toStdString();
    // The versions the libraries report at run time, not the ones the headers name.
    for (const QString& expected :
         {QStringLiteral("Qt %1（LGPL-3.0-only）").arg(QLatin1String(qVersion())),
          QStringLiteral("libcdio %1（GPL-3.0-or-later）")
              .arg(QString::fromLatin1(cdio_version_string).section(QLatin1Char(' '), 0, 0)),
          QStringLiteral("LAME %1（").arg(QLatin1String(get_lame_version())),
          QStringLiteral("SQLite %1（public domain）").arg(QLatin1String(sqlite3_libversion())),
          QStringLiteral("libcdio-paranoia "), QStringLiteral("TagLib "), QStringLiteral("libsndfile "),
          QStringLiteral("libdiscid ")}) {
        EXPECT_TRUE(libraries.contains(expected)) << expected.toStdString() << "\nin\n"
                                                  << libraries.toStdString();
    }
    EXPECT_FALSE(libraries.contains(QStringLiteral(" ?（"))) << "every library told its version";
    EXPECT_FALSE(texts.isEmpty());
}

TEST_F(WindowConventions, TheRedTextsAreReadableOnTheBackgroundAndTheListKeepsItsColours) {
    InsertDisc(2);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady()); // the status asks for 転送
    const QColor red = FromColorRef(m_dlg->StatusText()->GetTextColor());
    EXPECT_EQ(red, QColor(235, 0, 18));
    // The status text and the album title (red when the drive holds no disc) on their plates.
    EXPECT_GE(LowestContrastBehind(*m_dlg, IDC_STATUS_TEXT, red), 4.5);
    EXPECT_GE(LowestContrastBehind(*m_dlg, IDC_ALBUM_TEXT, red), 4.5);
    // The captions and figures in white on the dark face.
    for (int id : {IDC_CAPACITY_CAPTION, IDC_FREE_CAPTION, IDC_CAPACITY, IDC_FREE, IDC_TOTAL_CAPTION,
                   IDC_TOTAL_SIZE}) {
        EXPECT_GE(LowestContrastBehind(*m_dlg, id, Qt::white), 4.5) << id;
    }

    // Rendered: the status text is drawn in its red, and the pixels round it are the plate's.
    const QImage shot = m_dlg->grab().toImage();
    const QRect status = InPixels(m_dlg->StatusText()->geometry(), shot);
    int redPixels = 0;
    for (int y = status.top(); y <= status.bottom(); ++y) {
        for (int x = status.left(); x <= status.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            redPixels += c.red() > 150 && c.green() < 110 && c.blue() < 110 ? 1 : 0; // glyphs, edges too
        }
    }
    EXPECT_GT(redPixels, 50) << "the status text is drawn in its colour";
    EXPECT_EQ(shot.pixelColor(status.right() - 2, status.bottom() - 2),
              QColor::fromRgb(CMainBackground::kPlateColor));
}

TEST_F(WindowConventions, TheFiguresSayWhatTheyAre) {
    InsertDisc(2);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    const std::vector<std::tuple<int, int, QString, QString>> figures = {
        {IDC_CAPACITY_CAPTION, IDC_CAPACITY, QStringLiteral("使用領域"),
         QStringLiteral("ＳＤカードの使用済みの容量")},
        {IDC_FREE_CAPTION, IDC_FREE, QStringLiteral("空き領域"), QStringLiteral("ＳＤカードの空き容量")},
        {IDC_TOTAL_CAPTION, IDC_TOTAL_SIZE, QStringLiteral("全曲の合計（目安）"),
         QStringLiteral("ＣＤの全曲をＭＰ３にしたときの大きさの目安")}};
    for (const auto& [captionId, figureId, caption, tip] : figures) {
        auto* captionLabel = qobject_cast<QLabel*>(m_dlg->Control(captionId));
        auto* figure = qobject_cast<QLabel*>(m_dlg->Control(figureId));
        ASSERT_NE(captionLabel, nullptr) << captionId;
        EXPECT_EQ(captionLabel->text(), caption);
        EXPECT_EQ(figure->toolTip(), tip);
        EXPECT_EQ(captionLabel->toolTip(), tip);
        EXPECT_FALSE(figure->text().isEmpty());
        // Caption and figure side by side, neither over the other, the caption whole.
        EXPECT_FALSE(captionLabel->geometry().intersects(figure->geometry())) << captionId;
        EXPECT_LE(captionLabel->fontMetrics().horizontalAdvance(caption), captionLabel->width()) << captionId;
    }
}

TEST_F(WindowConventions, NoticesStayAboveOtherWindows) {
    InsertDisc(2);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    for (int row = 0; row < 2; ++row) {
        m_dlg->TrackList()->SetCheck(row, false);
    }
    m_modal.Clear();
    Command(IDC_TRANSFER); // nothing ticked: notice 1721
    ASSERT_EQ(Notices(), std::vector<std::string>{"1721/501"});
    EXPECT_TRUE(m_modal.History().back().type & MB_TOPMOST);

    // The product's message boxes honour it.
    CQtModalService real;
    for (const UINT type : {UINT(MB_OK | MB_TOPMOST), UINT(MB_OK)}) {
        bool topmost = !(type & MB_TOPMOST);
        QTimer::singleShot(100, [&] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            topmost = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            box->close();
        });
        real.MessageBox(m_dlg->Handle(), QStringLiteral("text"), QStringLiteral("caption"), type);
        EXPECT_EQ(topmost, bool(type & MB_TOPMOST)) << type;
    }
}

} // namespace
