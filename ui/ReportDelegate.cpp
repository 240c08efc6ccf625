#include "ui/ReportDelegate.h"

#include "ui/ColorRef.h"
#include "ui/ReportCtrl.h"

#include <QPainter>
#include <QPainterPath>

namespace {

void DrawCheckBox(QPainter* p, const QRect& box, bool checked, bool enabledLook) {
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->fillRect(box, enabledLook ? QColor(0xF4, 0xF4, 0xF4) : QColor(0x8A, 0x8A, 0x8A));
    p->setPen(QColor(0x20, 0x20, 0x20));
    p->drawRect(box.adjusted(0, 0, -1, -1));
    if (checked) {
        p->setRenderHint(QPainter::Antialiasing, true);
        QPen pen(QColor(0x10, 0x10, 0x10), 2.0);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p->setPen(pen);
        const QRectF r = QRectF(box).adjusted(3, 3, -3, -3);
        QPainterPath tick;
        tick.moveTo(r.left(), r.center().y());
        tick.lineTo(r.left() + r.width() * 0.4, r.bottom());
        tick.lineTo(r.right(), r.top());
        p->drawPath(tick);
    }
    p->restore();
}

} // namespace

CReportDelegate::CReportDelegate(CReportCtrl* list) : QStyledItemDelegate(list), m_list(list) {}

void CReportDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const int row = index.row();
    const int column = index.column();
    const CReportCtrl::Record* record = m_list->RecordOf(row);
    if (!record) {
        return;
    }
    const QRect cell = option.rect;
    QColor back = ToQColor(column < static_cast<int>(record->back.size()) ? record->back[column] : 0xFFFFFF);
    const QColor text = ToQColor(column < static_cast<int>(record->text.size()) ? record->text[column] : 0);
    if (option.state & QStyle::State_Selected) {
        // The selection stays visible in both looks, calmer when the list is inactive.
        back = !m_list->IsListEnabled() ? QColor(0x55, 0x55, 0x55)
               : m_list->hasFocus()     ? QColor(0x2F, 0x6D, 0xB5)
                                        : QColor(0x4C, 0x5E, 0x78);
    }
    p->fillRect(cell, back);
    QRect label = cell;
    if (column == 0 && m_list->GetCheckMode() != CReportCtrl::CHECK_NONE) {
        const QRect box(cell.left() + 2, cell.top() + (cell.height() - 13) / 2, 13, 13);
        DrawCheckBox(p, box, m_list->GetCheck(row), m_list->IsListEnabled());
        label.setLeft(cell.left() + CReportCtrl::kStateImageWidth);
    }
    const QString value = index.data(Qt::DisplayRole).toString();
    const Qt::Alignment align =
        Qt::Alignment(m_list->headerItem()->textAlignment(column)) & (Qt::AlignRight | Qt::AlignHCenter);
    const QRect textRect = label.adjusted(3, 0, -4, 0);
    p->save();
    p->setFont(option.font);
    p->setPen(text);
    const QString shown = option.fontMetrics.elidedText(value, Qt::ElideRight, textRect.width());
    p->drawText(textRect, (align ? align : Qt::AlignLeft) | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    p->restore();
}

QSize CReportDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(option.fontMetrics.height() + 4, 17));
    return size;
}
