#include "ui/ReportCtrl.h"

#include "ui/ColorRef.h"
#include "ui/MyHeader.h"
#include "ui/ReportDelegate.h"

#include <QApplication>

namespace {

class CReportItem : public QTreeWidgetItem {
public:
    CReportCtrl::Record record;
};

} // namespace

CReportCtrl::CReportCtrl(QWidget* parent) : QTreeWidget(parent) {
    m_header = new CMyHeader(this);
    setHeader(m_header);
    m_header->SetBeforePress([this] { EndEdit(true); });
    m_header->setStretchLastSection(false);
    m_header->setSectionsMovable(false);
    setColumnCount(0);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setItemDelegate(new CReportDelegate(this));
    setFocusPolicy(Qt::NoFocus); // the list starts disabled, without a tab stop
    connect(m_header, &QHeaderView::sectionResized, this, [this] { EndEdit(true); });
}

CReportCtrl::~CReportCtrl() {
    m_window.Unbind();
}

HWND CReportCtrl::BindWindow(HWND parent, int id) {
    m_parent = parent;
    setObjectName(QString::number(id));
    return m_window.Bind(this, this, parent, true);
}

COLORREF CReportCtrl::SystemText() const {
    return ToColorRef(QApplication::palette().color(QPalette::Text));
}

COLORREF CReportCtrl::SystemBack() const {
    return ToColorRef(QApplication::palette().color(QPalette::Base));
}

CReportCtrl::Record* CReportCtrl::RecordOf(int row) const {
    if (row < 0 || row >= topLevelItemCount()) {
        return nullptr;
    }
    return &static_cast<CReportItem*>(topLevelItem(row))->record;
}

int CReportCtrl::InsertColumn(int index, const QString& title, int width, Qt::Alignment alignment) {
    EndEdit(false);
    const int count = columnCount();
    if (index < 0 || index > count) {
        index = count;
    }
    setColumnCount(count + 1);
    QTreeWidgetItem* head = headerItem();
    for (int c = count; c > index; --c) {
        head->setText(c, head->text(c - 1));
        head->setTextAlignment(c, Qt::Alignment(head->textAlignment(c - 1)));
        m_header->resizeSection(c, m_header->sectionSize(c - 1));
    }
    head->setText(index, title);
    head->setTextAlignment(index, alignment | Qt::AlignVCenter);
    m_header->resizeSection(index, width);
    for (int r = 0; r < topLevelItemCount(); ++r) {
        QTreeWidgetItem* item = topLevelItem(r);
        for (int c = count; c > index; --c) {
            item->setText(c, item->text(c - 1));
        }
        item->setText(index, QString());
        Record* rec = RecordOf(r);
        rec->text.insert(rec->text.begin() + index, SystemText());
        rec->back.insert(rec->back.begin() + index, SystemBack());
    }
    return index;
}

int CReportCtrl::InsertItem(int row, const QString& text, LPARAM data) {
    EndEdit(false);
    if (columnCount() == 0) {
        return -1;
    }
    const int count = topLevelItemCount();
    if (row < 0 || row > count) {
        row = count;
    }
    auto* item = new CReportItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setText(0, text);
    item->setToolTip(0, text);
    item->record.data = data;
    item->record.text.assign(columnCount(), SystemText());
    item->record.back.assign(columnCount(), SystemBack());
    if (m_checkMode != CHECK_NONE) {
        item->setData(0, Qt::CheckStateRole, Qt::Unchecked);
    }
    insertTopLevelItem(row, item);
    ++m_rowsGeneration;
    m_sortColumn = -1;
    m_sortAscending = true;
    return row;
}

bool CReportCtrl::SetItemText(int row, int column, const QString& text) {
    if (!RecordOf(row) || column < 0 || column >= columnCount()) {
        return false;
    }
    topLevelItem(row)->setText(column, text);
    topLevelItem(row)->setToolTip(column, text);
    return true;
}

QString CReportCtrl::GetItemText(int row, int column) const {
    if (!RecordOf(row) || column < 0 || column >= columnCount()) {
        return {};
    }
    return topLevelItem(row)->text(column);
}

bool CReportCtrl::SetItemData(int row, LPARAM data) {
    Record* rec = RecordOf(row);
    if (!rec) {
        return false;
    }
    rec->data = data;
    return true;
}

LPARAM CReportCtrl::GetItemData(int row) const {
    const Record* rec = RecordOf(row);
    return rec ? rec->data : 0;
}

int CReportCtrl::DeleteItems(int mask) {
    EndEdit(false);
    setUpdatesEnabled(false);
    int deleted = 0;
    for (int row = topLevelItemCount() - 1; row >= 0; --row) {
        if ((mask & RC_ITEM_ALL) || (GetStateFlags(row) & mask) == mask) {
            delete takeTopLevelItem(row);
            ++deleted;
            ++m_rowsGeneration;
        }
    }
    setUpdatesEnabled(true);
    return deleted;
}

int CReportCtrl::GetStateFlags(int row) const {
    if (!RecordOf(row)) {
        return 0;
    }
    QTreeWidgetItem* item = topLevelItem(row);
    int flags = item->isSelected() ? RC_ITEM_SELECTED : RC_ITEM_UNSELECTED;
    flags |= GetCheck(row) ? RC_ITEM_CHECKED : RC_ITEM_UNCHECKED;
    flags |= currentItem() == item ? RC_ITEM_FOCUSED : RC_ITEM_UNFOCUSED;
    return flags;
}

int CReportCtrl::GetSelectedRow() const {
    for (int r = 0; r < topLevelItemCount(); ++r) {
        if (topLevelItem(r)->isSelected()) {
            return r;
        }
    }
    return -1;
}

void CReportCtrl::SelectOnly(int row) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item) {
        return;
    }
    clearSelection();
    setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CReportCtrl::SelectItem(int row) {
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        SelectOnly(row);
        scrollToItem(item);
    }
}

void CReportCtrl::SetEditable(bool editable) {
    if (!editable) {
        EndEdit(false);
    }
    m_editable = editable;
}

void CReportCtrl::EnableList(bool enable) {
    if (enable == m_enabled) {
        return;
    }
    m_enabled = enable;
    const COLORREF color = enable ? kEnabledText : kDisabledText;
    for (int r = 0; r < topLevelItemCount(); ++r) {
        Record* rec = RecordOf(r);
        std::fill(rec->text.begin(), rec->text.end(), color);
    }
    // The tab stop goes with the enabled look; without it the list cannot take the focus at all.
    setFocusPolicy(enable ? Qt::StrongFocus : Qt::NoFocus);
    viewport()->update();
}

void CReportCtrl::SetCellTextColor(int row, int column, COLORREF color, bool redraw) {
    if (color == CLR_DEFAULT || color == static_cast<COLORREF>(-1)) {
        color = SystemText();
    }
    // The usual call colours every cell alike; a colour already in the first cell is taken as set.
    if (const Record* first = RecordOf(0); first && !first->text.empty() && first->text[0] == color) {
        return;
    }
    for (int r = 0; r < topLevelItemCount(); ++r) {
        if (row != -1 && r != row) {
            continue;
        }
        Record* rec = RecordOf(r);
        for (int c = 0; c < static_cast<int>(rec->text.size()); ++c) {
            if (column == -1 || c == column) {
                rec->text[c] = color;
            }
        }
    }
    if (redraw) {
        viewport()->repaint();
    }
}

void CReportCtrl::SetCellBackColor(int row, int column, COLORREF color, bool redraw) {
    if (color == CLR_DEFAULT || color == static_cast<COLORREF>(-1)) {
        color = SystemBack();
    }
    if (const Record* first = RecordOf(0); first && !first->back.empty() && first->back[0] == color) {
        return;
    }
    for (int r = 0; r < topLevelItemCount(); ++r) {
        if (row != -1 && r != row) {
            continue;
        }
        Record* rec = RecordOf(r);
        for (int c = 0; c < static_cast<int>(rec->back.size()); ++c) {
            if (column == -1 || c == column) {
                rec->back[c] = color;
            }
        }
    }
    if (redraw) {
        viewport()->repaint();
    }
}

COLORREF CReportCtrl::GetCellTextColor(int row, int column) const {
    const Record* rec = RecordOf(row);
    return rec && column >= 0 && column < static_cast<int>(rec->text.size()) ? rec->text[column]
                                                                             : CLR_DEFAULT;
}

COLORREF CReportCtrl::GetCellBackColor(int row, int column) const {
    const Record* rec = RecordOf(row);
    return rec && column >= 0 && column < static_cast<int>(rec->back.size()) ? rec->back[column]
                                                                             : CLR_DEFAULT;
}

void CReportCtrl::SetBkColor(COLORREF color) {
    QPalette pal = palette();
    pal.setColor(QPalette::Base, ToQColor(color));
    pal.setColor(QPalette::Window, ToQColor(color));
    setPalette(pal);
}

void CReportCtrl::SetTextColor(COLORREF color) {
    QPalette pal = palette();
    pal.setColor(QPalette::Text, ToQColor(color));
    setPalette(pal);
}

QRect CReportCtrl::CellRect(int row, int column) const {
    QTreeWidgetItem* item = topLevelItem(row);
    return item ? visualRect(indexFromItem(item, column)) : QRect();
}

void CReportCtrl::Notify(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_parent) {
        ::SendMessage(m_parent, message, wParam, lParam);
    }
}
