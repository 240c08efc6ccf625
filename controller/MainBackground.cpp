#include "controller/MainBackground.h"

#include "controller/MainWindowIds.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/Bitmaps.h"
#include "ui/window/DialogUnits.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

void DrawDisc(QPainter& p, const QRect& r) {
    p.setPen(QPen(QColor(0xC8, 0xC8, 0xC8), 1));
    QRadialGradient shine(r.center(), r.width() / 2.0);
    shine.setColorAt(0.0, QColor(0xF0, 0xF0, 0xF8));
    shine.setColorAt(1.0, QColor(0x90, 0x98, 0xA8));
    p.setBrush(shine);
    p.drawEllipse(r);
    p.setBrush(QColor(0x2A, 0x2A, 0x2A));
    const int hole = r.width() / 4;
    p.drawEllipse(QRect(0, 0, hole, hole).translated(r.center() - QPoint(hole / 2, hole / 2)));
}

void DrawCard(QPainter& p, const QRect& r) {
    QPainterPath card;
    const int cut = r.width() / 3;
    card.moveTo(r.left(), r.top() + cut);
    card.lineTo(r.left() + cut, r.top());
    card.lineTo(r.right(), r.top());
    card.lineTo(r.right(), r.bottom());
    card.lineTo(r.left(), r.bottom());
    card.closeSubpath();
    p.setPen(QPen(QColor(0xC8, 0xC8, 0xC8), 1));
    p.setBrush(QColor(0x3A, 0x6E, 0xC8));
    p.drawPath(card);
    p.setPen(QPen(QColor(0xF0, 0xD0, 0x60), 2));
    for (int x = r.left() + cut; x < r.right() - 1; x += 3) {
        p.drawLine(x, r.top() + 2, x, r.top() + r.height() / 4);
    }
}

} // namespace

QPixmap CMainBackground::Picture(const QSize& size) {
    QPixmap picture(size);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient face(0, 0, 0, size.height());
    face.setColorAt(0.0, QColor(0x4A, 0x4A, 0x4E));
    face.setColorAt(1.0, QColor(0x24, 0x24, 0x28));
    p.fillRect(picture.rect(), face);

    // The title band.
    QLinearGradient band(0, 0, 0, kDragBandHeight);
    band.setColorAt(0.0, QColor(0x2C, 0x4A, 0x7C));
    band.setColorAt(1.0, QColor(0x18, 0x2C, 0x50));
    p.fillRect(QRect(0, 0, size.width(), kDragBandHeight), band);
    const QIcon icon = LoadAppIcon();
    icon.paint(&p, QRect(6, 6, 16, 16));
    QFont title = p.font();
    title.setPixelSize(14);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(28, 0, size.width() - 36, kDragBandHeight), Qt::AlignVCenter | Qt::AlignLeft,
               LoadString(IDS_APP_TITLE));

    // The two sides, each in a panel of its own.
    p.setPen(QPen(QColor(0x60, 0x60, 0x68), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(DluRect(4, 20, 262, 308).adjusted(0, 0, -1, -1), 4, 4);
    p.drawRoundedRect(DluRect(266, 20, 189, 80).adjusted(0, 0, -1, -1), 4, 4);
    DrawDisc(p, DluRect(9, 24, 15, 15).adjusted(0, 0, 0, -1));
    // A light plate behind the album title, which is written in the system's text colour (and in
    // red when the drive holds no disc).
    p.setPen(QPen(QColor(0x90, 0x90, 0x98), 1));
    p.setBrush(QColor(0xEC, 0xEC, 0xF0));
    p.drawRoundedRect(DluRect(26, 43, 236, 15).adjusted(0, 0, -1, -1), 3, 3);
    DrawCard(p, DluRect(271, 24, 13, 16));

    // Used and free: a filled and an open square, as the figures they stand before.
    p.setPen(QPen(QColor(0xC8, 0xC8, 0xC8), 1));
    p.setBrush(QColor(0x3A, 0x6E, 0xC8));
    p.drawRect(DluRect(272, 48, 7, 8));
    p.setBrush(Qt::NoBrush);
    p.drawRect(DluRect(272, 62, 7, 8));
    return picture;
}
