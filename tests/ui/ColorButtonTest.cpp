// The owner-drawn grey button, read back from rendered pixels: the banded face, the three frame
// kinds, the embossed disabled caption, the focus rectangle and where the text goes.

#include "ui/ColorButton.h"
#include "ui/ColorRef.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// Exact pixel colours need text drawn without smoothing.
QFont Crisp(int pixels) {
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPixelSize(pixels);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QImage Render(CColorButton& button, UINT state) {
    QImage image(button.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    painter.setFont(button.font());
    button.DrawItem(painter, button.rect(), state);
    return image;
}

QRgb Rgb(COLORREF c) {
    return ToQColor(c).rgb();
}

// Bounding box of the pixels of one colour.
QRect InkOf(const QImage& image, QRgb color, const QRect& within) {
    QRect box;
    for (int y = within.top(); y <= within.bottom(); ++y) {
        for (int x = within.left(); x <= within.right(); ++x) {
            if (image.pixel(x, y) == color) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

TEST(ColorButton, FortyPixelFaceHasTwentyBandsFrom255To198) {
    QImage face(10, 40, QImage::Format_RGB32);
    QPainter painter(&face);
    CColorButton::DrawFace(painter, face.rect());
    painter.end();
    for (int y = 0; y < 40; ++y) {
        const int grey = 255 - 3 * (y / 2);
        EXPECT_EQ(face.pixel(5, y), qRgb(grey, grey, grey)) << "row " << y;
    }
    EXPECT_EQ(qRed(face.pixel(5, 39)), 198);

    // A real 40-pixel button shows the same bands inside its frame (the frame covers the outer rows).
    CColorButton button(QStringLiteral("OK"));
    button.resize(120, 40);
    const QImage shown = button.grab().toImage();
    for (int y = 2; y < 38; ++y) {
        const int grey = 255 - 3 * (y / 2);
        EXPECT_EQ(shown.pixel(6, y), qRgb(grey, grey, grey)) << "row " << y;
    }
}

TEST(ColorButton, FrameKindFollowsPressedFocusedAndDefault) {
    CColorButton button;
    button.resize(60, 24);
    const auto& c = button.GetColors();
    const int r = 59, b = 23;
    struct Case {
        UINT state;
        QRgb outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
    } cases[] = {
        // Raised: highlight/dark shadow outside, light/shadow inside.
        {0, Rgb(c.highlight), Rgb(c.darkShadow), Rgb(c.light), Rgb(c.shadow)},
        // Focused or default: a black ring, then the raised frame.
        {CColorButton::ODS_FOCUS, qRgb(0, 0, 0), qRgb(0, 0, 0), Rgb(c.highlight), Rgb(c.darkShadow)},
        {CColorButton::ODS_DEFAULT, qRgb(0, 0, 0), qRgb(0, 0, 0), Rgb(c.highlight), Rgb(c.darkShadow)},
        // Pressed wins over focus: dark shadow ring, then shadow ring.
        {CColorButton::ODS_SELECTED | CColorButton::ODS_FOCUS, Rgb(c.darkShadow), Rgb(c.darkShadow),
         Rgb(c.shadow), Rgb(c.shadow)},
    };
    for (const Case& k : cases) {
        const QImage img = Render(button, k.state);
        EXPECT_EQ(img.pixel(0, 0), k.outerTopLeft) << "state " << k.state;
        EXPECT_EQ(img.pixel(r, b), k.outerBottomRight) << "state " << k.state;
        EXPECT_EQ(img.pixel(1, 1), k.innerTopLeft) << "state " << k.state;
        EXPECT_EQ(img.pixel(r - 1, b - 1), k.innerBottomRight) << "state " << k.state;
    }
}

TEST(ColorButton, DisabledCaptionIsEmbossedAndPressedCaptionMoves) {
    CColorButton button(QStringLiteral("転送"));
    button.setFont(Crisp(16));
    button.resize(100, 32);
    const QRect inside = button.rect().adjusted(3, 3, -4, -4);

    const QImage disabled = Render(button, CColorButton::ODS_DISABLED);
    const QRect white = InkOf(disabled, qRgb(255, 255, 255), inside);
    const QRect grey = InkOf(disabled, qRgb(0x80, 0x80, 0x80), inside);
    ASSERT_FALSE(white.isEmpty());
    ASSERT_FALSE(grey.isEmpty());
    // The white copy sits two pixels below right of the grey one (the grey covers part of it, so
    // compare the far corners); no dark caption is drawn.
    EXPECT_EQ(white.bottomRight() - grey.bottomRight(), QPoint(2, 2));
    EXPECT_EQ(white.width(), grey.width());
    EXPECT_TRUE(InkOf(disabled, qRgb(0, 0, 0), inside).isEmpty());

    const QImage normal = Render(button, 0);
    const QImage pressed = Render(button, CColorButton::ODS_SELECTED);
    const QRect up = InkOf(normal, qRgb(0, 0, 0), inside);
    const QRect down = InkOf(pressed, qRgb(0, 0, 0), inside);
    ASSERT_FALSE(up.isEmpty());
    EXPECT_EQ(down.topLeft() - up.topLeft(), QPoint(2, 2));
}

TEST(ColorButton, FocusRectangleOnlyWhenFocused) {
    CColorButton button; // no caption, so any black inside the frame is the focus rectangle
    button.resize(80, 30);
    // Focused: frame kind 6 moves the rectangle in by 2, the dotted rectangle lies 4 further in.
    const QImage focused = Render(button, CColorButton::ODS_FOCUS);
    EXPECT_EQ(focused.pixel(6, 6), qRgb(0, 0, 0));
    EXPECT_NE(focused.pixel(7, 6), qRgb(0, 0, 0)); // dotted: every other pixel
    EXPECT_EQ(focused.pixel(8, 6), qRgb(0, 0, 0));
    EXPECT_EQ(focused.pixel(73, 6), qRgb(0, 0, 0));
    EXPECT_EQ(focused.pixel(6, 22), qRgb(0, 0, 0));
    EXPECT_NE(focused.pixel(5, 6), qRgb(0, 0, 0));
    const QRect inside(4, 4, 72, 22);
    EXPECT_TRUE(InkOf(Render(button, 0), qRgb(0, 0, 0), inside).isEmpty());
    EXPECT_TRUE(InkOf(Render(button, CColorButton::ODS_DISABLED), qRgb(0, 0, 0), inside).isEmpty());
}

TEST(ColorButton, TextPlacementFollowsButtonStyle) {
    CColorButton button;
    const QFont font = Crisp(12);
    button.setFont(font);
    const QRect area(0, 0, 200, 60);
    const int lineHeight = QFontMetrics(font).height();
    auto ink = [&](DWORD style, const QString& text) {
        button.SetButtonStyle(style);
        QImage img(area.size(), QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.setFont(font);
        button.DrawButtonText(p, area, text, Qt::black);
        p.end();
        return InkOf(img, qRgb(0, 0, 0), area);
    };
    const QRect left = ink(BS_LEFT | BS_VCENTER, QStringLiteral("AB"));
    const QRect right = ink(BS_RIGHT | BS_VCENTER, QStringLiteral("AB"));
    const QRect centre = ink(0, QStringLiteral("AB"));
    EXPECT_LE(left.left(), 5);         // 3 pixels in from the left, plus the glyph's own bearing
    EXPECT_GE(right.right(), 200 - 6); // 3 pixels in from the right
    EXPECT_NEAR(centre.center().x(), 100, 2);
    EXPECT_NEAR(centre.center().y(), 30, 3);

    const QRect top = ink(BS_CENTER | BS_TOP, QStringLiteral("AB"));
    const QRect bottom = ink(BS_CENTER | BS_BOTTOM, QStringLiteral("AB"));
    EXPECT_GE(top.top(), 2);
    EXPECT_LT(top.bottom(), 2 + lineHeight);
    EXPECT_GT(bottom.top(), 60 - 2 - lineHeight);
    EXPECT_LE(bottom.bottom(), 60 - 2);

    // Multi-line: one line per "\n", each as high as the text on one line; without the style the
    // break is ignored and the text stays on one line.
    const QRect two = ink(BS_CENTER | BS_VCENTER | BS_MULTILINE, QStringLiteral("AB\nCD"));
    EXPECT_GT(two.height(), lineHeight);
    const QRect one = ink(BS_CENTER | BS_VCENTER, QStringLiteral("AB\nCD"));
    EXPECT_LT(one.height(), lineHeight);
}

} // namespace
