// The static text, the combo box, the header's pictures and the enable helper.

#include "ui/Bitmaps.h"
#include "ui/ColorRef.h"
#include "ui/EnableIfChanged.h"
#include "ui/MyComboBox.h"
#include "ui/MyHeader.h"
#include "ui/StaticEx.h"

#include <QEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct EventCounter : QObject {
    QEvent::Type type;
    int count = 0;
    explicit EventCounter(QEvent::Type t) : type(t) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == type) {
            ++count;
        }
        return false;
    }
};

TEST(StaticEx, SetTextColorRepaintsAtOnceOnlyWhenTheColourChanges) {
    QWidget parent;
    parent.resize(200, 50);
    auto* text = new CStaticEx(&parent);
    text->setGeometry(0, 0, 200, 30);
    text->setText(QStringLiteral("状態"));
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    EventCounter paints(QEvent::Paint);
    text->installEventFilter(&paints);

    text->SetTextColor(0x1200EB);
    EXPECT_EQ(paints.count, 1); // painted synchronously, not merely scheduled
    EXPECT_EQ(text->palette().color(QPalette::WindowText), QColor(235, 0, 18));

    text->SetTextColor(0x1200EB);
    EXPECT_EQ(paints.count, 1);
}

TEST(StaticEx, DrawsOnATransparentBackgroundInItsOwnFont) {
    QWidget parent;
    parent.resize(120, 40);
    parent.setAutoFillBackground(true);
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(0x3E, 0x3E, 0x3E));
    parent.setPalette(pal);
    auto* text = new CStaticEx(&parent);
    text->setGeometry(0, 0, 120, 40);
    text->SetFontHeight(15);
    text->SetTextColor(RGB(255, 255, 255));
    text->SetWindowText(QStringLiteral("ＣＤ"));
    EXPECT_EQ(text->font().pixelSize(), 15);
    const QImage img = parent.grab().toImage();
    EXPECT_EQ(img.pixel(118, 38), qRgb(0x3E, 0x3E, 0x3E)); // the parent shows through
    bool white = false;
    for (int y = 0; y < 40 && !white; ++y) {
        for (int x = 0; x < 60 && !white; ++x) {
            white = img.pixel(x, y) == qRgb(255, 255, 255);
        }
    }
    EXPECT_TRUE(white);
}

TEST(MyComboBox, SelectTakesTheIndexWhateverTheTextAndResetEmptiesIt) {
    CMyComboBox box;
    box.addItems({QStringLiteral("D:"), QStringLiteral("E:"), QStringLiteral("F:")});
    box.Select(QStringLiteral("ドライブ"), 1);
    EXPECT_EQ(box.currentIndex(), 1);
    EXPECT_EQ(box.WindowText(), QStringLiteral("E:"));
    box.Select(QStringLiteral("ドライブがありません"), -1);
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.WindowText(), QStringLiteral("ドライブがありません"));
    box.Reset(true);
    EXPECT_EQ(box.count(), 0);
    // The text Select gave goes with the items: an empty box names no drive.
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.WindowText(), QString());
}

TEST(MyComboBox, AddingItemsSelectsNothing) {
    CMyComboBox box;
    EXPECT_EQ(box.AddString(QStringLiteral("CD ドライブ (D:)")), 0);
    EXPECT_EQ(box.AddString(QStringLiteral("CD ドライブ (F:)")), 1);
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.WindowText(), QString());
    box.Select(QStringLiteral("CD ドライブ (F:)"), 1);
    box.AddString(QStringLiteral("CD ドライブ (G:)"));
    EXPECT_EQ(box.currentIndex(), 1);
    EXPECT_EQ(box.WindowText(), QStringLiteral("CD ドライブ (F:)"));
}

TEST(EnableIfChanged, TouchesTheWindowOnlyWhenTheStateDiffers) {
    QWidget w;
    EventCounter changes(QEvent::EnabledChange);
    w.installEventFilter(&changes);
    EXPECT_FALSE(EnableIfChanged(&w, true));
    EXPECT_EQ(changes.count, 0);
    EXPECT_TRUE(EnableIfChanged(&w, false));
    EXPECT_FALSE(w.isEnabled());
    EXPECT_FALSE(EnableIfChanged(&w, false));
    EXPECT_EQ(changes.count, 1);
    EXPECT_FALSE(EnableIfChanged(nullptr, true));
}

TEST(MyHeader, PicturesHaveTheirSizesAndSitAtTheItemEdges) {
    const QImage left = LoadBitmap(IDB_HEADER_LEFT);
    const QImage right = LoadBitmap(IDB_HEADER_RIGHT);
    const QImage middle = LoadBitmap(IDB_HEADER_MIDDLE);
    EXPECT_EQ(left.size(), QSize(2, 17));
    EXPECT_EQ(right.size(), QSize(2, 17));
    EXPECT_EQ(middle.size(), QSize(1, 17));
    EXPECT_FALSE(LoadAppIcon().isNull());

    QStandardItemModel model(0, 2);
    model.setHorizontalHeaderLabels({QStringLiteral("タイトル"), QStringLiteral("長さ")});
    CMyHeader header;
    header.setModel(&model);
    header.resize(200, 17);
    header.resizeSection(0, 120);
    header.resizeSection(1, 80);
    QImage img(200, 17, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    header.PaintHeader(p, img.rect());
    p.end();
    for (int y : {0, 8, 16}) {
        EXPECT_EQ(img.pixel(0, y), left.pixel(0, y)) << y;
        EXPECT_EQ(img.pixel(1, y), left.pixel(1, y)) << y;
        EXPECT_EQ(img.pixel(118, y), right.pixel(0, y)) << y; // the first item closes at 120
        EXPECT_EQ(img.pixel(119, y), right.pixel(1, y)) << y;
        EXPECT_EQ(img.pixel(121, y), middle.pixel(0, y)) << y; // a later item opens with the slice
        EXPECT_EQ(img.pixel(198, y), right.pixel(0, y)) << y;
    }
    // The lower rows of an item's middle come from the full-height tiling, the text is black.
    EXPECT_EQ(img.pixel(3, 16), middle.pixel(0, 16));
    bool black = false;
    for (int x = 2; x < 118 && !black; ++x) {
        for (int y = 2; y < 15 && !black; ++y) {
            black = img.pixel(x, y) == qRgb(0, 0, 0);
        }
    }
    EXPECT_TRUE(black);
}

} // namespace
