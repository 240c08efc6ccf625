#include "ui/MyHeader.h"

#include "ui/Bitmaps.h"
#include "ui/MemDC.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int kHeaderHeight = 17; // the pictures' height
constexpr int kSliceHeight = 12;  // the middle of an item is tiled with slices this high
} // namespace

CMyHeader::CMyHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), m_left(LoadBitmap(IDB_HEADER_LEFT)),
      m_right(LoadBitmap(IDB_HEADER_RIGHT)), m_middle(LoadBitmap(IDB_HEADER_MIDDLE)),
      m_font(QStringLiteral("MS UI Gothic")) {
    m_font.setPixelSize(14);
    setSectionsClickable(false); // no sort header: a column click changes nothing
    setHighlightSections(false);
    setFixedHeight(kHeaderHeight);
}

QSize CMyHeader::sizeHint() const {
    return {QHeaderView::sizeHint().width(), kHeaderHeight};
}

void CMyHeader::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    PaintHeader(painter, viewport()->rect());
}

void CMyHeader::PaintHeader(QPainter& target, const QRect& client) {
    CMemDC mem(&target, client);
    QPainter& dc = mem.Painter();
    dc.fillRect(client, QColor(0xC0, 0xC0, 0xC0));
    for (int x = client.left() + 2; x <= client.right(); ++x) {
        dc.drawImage(QPoint(x, client.top()), m_middle);
    }
    const int top = client.top();
    for (int visual = 0; visual < count(); ++visual) {
        const int logical = logicalIndex(visual);
        if (logical < 0 || isSectionHidden(logical)) {
            continue;
        }
        const QRect item(sectionViewportPosition(logical), top, sectionSize(logical), client.height());
        if (visual == 0) {
            dc.drawImage(QPoint(item.left(), top), m_left);
        } else {
            dc.drawImage(QPoint(item.left() + 1, top), m_middle);
        }
        for (int x = item.left() + 2; x < item.left() + 2 + item.width() - 4; ++x) {
            dc.drawImage(QRect(x, top, 1, kSliceHeight), m_middle, QRect(0, 0, 1, kSliceHeight));
        }
        dc.drawImage(QPoint(item.right() + 1 - 2, top), m_right);

        DrawItem(dc, logical, item);

        const QString text =
            model() ? model()->headerData(logical, orientation(), Qt::DisplayRole).toString() : QString();
        const QRect textRect = item.adjusted(2, 2, -2, -2);
        dc.save();
        dc.setFont(m_font);
        dc.setPen(QColor(0, 0, 0));
        const QString shown = QFontMetrics(m_font).elidedText(text, Qt::ElideRight, textRect.width());
        dc.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, shown);
        dc.restore();
    }
}

void CMyHeader::DrawItem(QPainter&, int, const QRect&) {}

void CMyHeader::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_beforePress) {
        m_beforePress();
    }
    QHeaderView::mousePressEvent(event);
}
