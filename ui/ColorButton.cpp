#include "ui/ColorButton.h"

#include "ui/ColorRef.h"
#include "ui/MemDC.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

// Windows rectangles: right and bottom are exclusive.
struct WinRect {
    int left, top, right, bottom;
    void Deflate(int d) {
        left += d;
        top += d;
        right -= d;
        bottom -= d;
    }
    QRect ToQRect() const { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }
};

void FillSolid(QPainter& dc, int x, int y, int cx, int cy, COLORREF c) {
    // Negative extents run back from the given edge, as FillSolidRect's do.
    if (cx < 0) {
        x += cx;
        cx = -cx;
    }
    if (cy < 0) {
        y += cy;
        cy = -cy;
    }
    dc.fillRect(QRect(x, y, cx, cy), ToQColor(c));
}

void Draw3dRect(QPainter& dc, const WinRect& r, COLORREF topLeft, COLORREF bottomRight) {
    const int x = r.left, y = r.top, cx = r.right - r.left, cy = r.bottom - r.top;
    FillSolid(dc, x, y, cx - 1, 1, topLeft);
    FillSolid(dc, x, y, 1, cy - 1, topLeft);
    FillSolid(dc, x + cx, y, -1, cy, bottomRight);
    FillSolid(dc, x, y + cy, cx, -1, bottomRight);
}

void DrawFocusRect(QPainter& dc, const WinRect& r) {
    // The dotted rectangle of the system: every other pixel.
    const QColor c(0, 0, 0);
    for (int x = r.left; x < r.right; x += 2) {
        dc.fillRect(x, r.top, 1, 1, c);
        dc.fillRect(x, r.bottom - 1, 1, 1, c);
    }
    for (int y = r.top; y < r.bottom; y += 2) {
        dc.fillRect(r.left, y, 1, 1, c);
        dc.fillRect(r.right - 1, y, 1, 1, c);
    }
}

} // namespace

CColorButton::CColorButton(QWidget* parent) : CColorButton(QString(), parent) {}

CColorButton::CColorButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    m_colors.text = ToColorRef(palette().color(QPalette::ButtonText));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CColorButton::SetButtonStyle(DWORD style) {
    m_style = style | BS_OWNERDRAW;
    update();
}

UINT CColorButton::ItemState() const {
    UINT state = 0;
    if (isDown()) {
        state |= ODS_SELECTED;
    }
    if (!isEnabled()) {
        state |= ODS_DISABLED;
    }
    if (hasFocus()) {
        state |= ODS_FOCUS;
    }
    if (isDefault() || (m_style & 0xF) == BS_DEFPUSHBUTTON) {
        state |= ODS_DEFAULT;
    }
    return state;
}

void CColorButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    CMemDC mem(&painter, rect());
    mem->setFont(font());
    DrawItem(mem.Painter(), rect(), ItemState());
}

void CColorButton::DrawFace(QPainter& dc, const QRect& r) {
    for (int y = 0, c = 0; y < r.height(); y += 2, ++c) {
        const int grey = (255 - 3 * c) & 0xFF;
        dc.fillRect(QRect(r.left(), r.top() + y, r.width(), std::min(2, r.height() - y)),
                    QColor(grey, grey, grey));
    }
}

void CColorButton::DrawItem(QPainter& dc, const QRect& itemRect, UINT state) {
    DrawFace(dc, rect());

    WinRect r{itemRect.left(), itemRect.top(), itemRect.right() + 1, itemRect.bottom() + 1};
    int kind = 2;
    if (state & ODS_SELECTED) {
        kind = 1;
    } else if (state & (ODS_FOCUS | ODS_DEFAULT)) {
        kind = 6;
    }
    if (kind & 4) {
        Draw3dRect(dc, r, 0x000000, 0x000000);
        r.Deflate(1);
    }
    if (kind & 2) {
        Draw3dRect(dc, r, m_colors.highlight, m_colors.darkShadow);
        r.Deflate(1);
        Draw3dRect(dc, r, m_colors.light, m_colors.shadow);
    }
    if (kind & 1) {
        Draw3dRect(dc, r, m_colors.darkShadow, m_colors.darkShadow);
        r.Deflate(1);
        Draw3dRect(dc, r, m_colors.shadow, m_colors.shadow);
    }

    const QRect normal = r.ToQRect().translated(-1, -1);
    const QRect pushed = r.ToQRect().translated(1, 1);
    const QString caption = text();
    if (state & ODS_DISABLED) {
        // Embossed: a white shadow below right, grey text above left.
        DrawButtonText(dc, pushed, caption, QColor(255, 255, 255));
        DrawButtonText(dc, normal, caption, QColor(0x80, 0x80, 0x80));
    } else {
        DrawButtonText(dc, (state & ODS_SELECTED) ? pushed : normal, caption, ToQColor(m_colors.text));
    }

    if (state & ODS_FOCUS) {
        WinRect f = r;
        f.Deflate(4);
        if (f.right > f.left && f.bottom > f.top) {
            DrawFocusRect(dc, f);
        }
    }
}

void CColorButton::DrawButtonText(QPainter& dc, const QRect& r, const QString& text,
                                  const QColor& color) const {
    dc.save();
    dc.setPen(color);
    dc.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics fm(dc.font());
    // Every line is as high as the whole text measured on one line.
    const int lineHeight = fm.height();
    const QRect area = r.adjusted(3, 0, -3, 0);

    const DWORD horizontal = m_style & BS_CENTER;
    if (horizontal == 0) {
        QString single = text;
        single.remove(QLatin1Char('\n'));
        dc.drawText(area, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                    single);
        dc.restore();
        return;
    }
    const QStringList lines = (m_style & BS_MULTILINE) ? text.split(QLatin1Char('\n'))
                                                       : QStringList{QString(text).remove(QLatin1Char('\n'))};
    const int block = static_cast<int>(lines.size()) * lineHeight;
    int top = 0;
    switch (m_style & BS_VCENTER) {
    case BS_VCENTER:
        top = (r.height() - block) / 2;
        break;
    case BS_BOTTOM:
        top = r.height() - block - 2;
        break;
    case BS_TOP:
        top = 2;
        break;
    default:
        top = (r.height() - block) / 2 - 1;
        break;
    }
    Qt::Alignment align = Qt::AlignHCenter;
    if (horizontal == BS_RIGHT) {
        align = Qt::AlignRight;
    } else if (horizontal == BS_LEFT) {
        align = Qt::AlignLeft;
    }
    int y = r.top() + top;
    for (const QString& line : lines) {
        dc.drawText(QRect(area.left(), y, area.width(), lineHeight),
                    align | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic, line);
        y += lineHeight;
    }
    dc.restore();
}
