#pragma once
// Paints the track list's cells in the colours of their row records, with the check box in front of
// a title, and makes rows at least as high as the header's pictures.

#include <QStyledItemDelegate>

class CReportCtrl;

class CReportDelegate : public QStyledItemDelegate {
public:
    explicit CReportDelegate(CReportCtrl* list);

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    CReportCtrl* m_list;
};
