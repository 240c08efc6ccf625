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

QRect CMainBackground::StatusPlate() {
    // The status text's place (control 1018) with a margin, so every pixel under it is white.
    return DluRect(270, 102, 181, 204).adjusted(-4, -4, 4, 4);
}

QPixmap CMainBackground::Picture(const QSize& size, qreal pixelRatio) {
    // Drawn at the screen's own density, so the picture stays sharp on a high-density screen.
    QPixmap picture((QSizeF(size) * pixelRatio).toSize());
    picture.setDevicePixelRatio(pixelRatio);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient face(0, 0, 0, size.height());
    face.setColorAt(0.0, QColor(0x4A, 0x4A, 0x4E));
    face.setColorAt(1.0, QColor(0x24, 0x24, 0x28));
    p.fillRect(QRect(QPoint(0, 0), size), face);

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
    // White plates behind the album title (in the system's text colour, or in red when the drive
    // holds no disc) and behind the red status text: that red reaches a contrast of 4.5 : 1 only
    // on pure white (4.6 : 1) or pure black, and any grey between falls short.
    p.setPen(QPen(QColor(0x90, 0x90, 0x98), 1));
    p.setBrush(QColor::fromRgb(kPlateColor));
    p.drawRoundedRect(DluRect(28, 44, 234, 13).adjusted(-3, -2, 3, 2), 3, 3); // the album title's place
    p.drawRoundedRect(StatusPlate(), 4, 4);
    DrawCard(p, DluRect(271, 24, 13, 16));

    // Used and free: a filled and an open square before the captions of the figures.
    p.setPen(QPen(QColor(0xC8, 0xC8, 0xC8), 1));
    p.setBrush(QColor(0x3A, 0x6E, 0xC8));
    p.drawRect(DluRect(272, 48, 7, 8));
    p.setBrush(Qt::NoBrush);
    p.drawRect(DluRect(272, 62, 7, 8));
    return picture;
}
