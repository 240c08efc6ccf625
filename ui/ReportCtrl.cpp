#include "ui/ReportCtrl.h"

#include "ui/ColorRef.h"
#include "ui/LengthLimit.h"
#include "ui/MyHeader.h"
#include "ui/TrackRenamer.h"
#include "ui/window/PopupMenu.h"
#include "ui/window/VirtualKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyledItemDelegate>

// Each row's own record: the caller's data value and one text and one background colour per column.
struct CReportCtrl::Record {
    LPARAM data = 0;
    std::vector<COLORREF> text;
    std::vector<COLORREF> back;
};

namespace {

class CReportItem : public QTreeWidgetItem {
public:
    CReportCtrl::Record record;
};

UINT ButtonMessage(Qt::MouseButton button, bool doubleClick) {
    switch (button) {
    case Qt::LeftButton:
        return doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
    case Qt::RightButton:
        return doubleClick ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN;
    case Qt::MiddleButton:
        return doubleClick ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN;
    default:
        return 0;
    }
}

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

// Paints each cell in the colours of its row record, with the check box in front of a title.
class CReportDelegate : public QStyledItemDelegate {
public:
    explicit CReportDelegate(CReportCtrl* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int row = index.row();
        const int column = index.column();
        const CReportCtrl::Record* record = m_list->RecordOf(row);
        if (!record) {
            return;
        }
        const QRect cell = option.rect;
        QColor back =
            ToQColor(column < static_cast<int>(record->back.size()) ? record->back[column] : 0xFFFFFF);
        const QColor text =
            ToQColor(column < static_cast<int>(record->text.size()) ? record->text[column] : 0);
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

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(option.fontMetrics.height() + 4, 17));
        return size;
    }

private:
    CReportCtrl* m_list;
};

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
        }
    }
    setUpdatesEnabled(true);
    return deleted;
}

void CReportCtrl::SetCheckRaw(int row, bool checked) {
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        item->setData(0, Qt::CheckStateRole, checked ? Qt::Checked : Qt::Unchecked);
    }
}

bool CReportCtrl::SetCheck(int row, bool checked) {
    if (!RecordOf(row) || m_checkMode == CHECK_NONE) {
        return false;
    }
    const bool was = GetCheck(row);
    SetCheckRaw(row, checked);
    if (m_checkMode == CHECK_SINGLE && checked && !was) {
        for (int r = row + 1; r < topLevelItemCount(); ++r) {
            SetCheckRaw(r, false);
        }
    }
    return true;
}

bool CReportCtrl::GetCheck(int row) const {
    if (!RecordOf(row)) {
        return false;
    }
    return topLevelItem(row)->data(0, Qt::CheckStateRole).toInt() == Qt::Checked;
}

void CReportCtrl::SetCheckMode(int mode) {
    EndEdit(false);
    if (mode < CHECK_NONE || mode > CHECK_REPORT_ONLY) {
        return;
    }
    m_checkMode = mode;
    for (int r = 0; r < topLevelItemCount(); ++r) {
        QTreeWidgetItem* item = topLevelItem(r);
        if (mode == CHECK_NONE) {
            item->setData(0, Qt::CheckStateRole, QVariant());
        } else if (!item->data(0, Qt::CheckStateRole).isValid()) {
            item->setData(0, Qt::CheckStateRole, Qt::Unchecked);
        }
    }
    viewport()->update();
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

void CReportCtrl::SnapshotChecks(bool allChosen) {
    if (allChosen) {
        m_chosen.fill(0xFF);
        return;
    }
    const int rows = std::min(topLevelItemCount(), 99);
    for (int i = 0; i < rows; ++i) {
        const BYTE bit = static_cast<BYTE>(1u << (i % 8));
        if (GetCheck(i)) {
            m_chosen[i / 8] |= bit;
        } else {
            m_chosen[i / 8] &= static_cast<BYTE>(~bit);
        }
    }
}

bool CReportCtrl::IsTrackChosen(int trackNumber) const {
    if (trackNumber < 1 || trackNumber > 99) {
        return false;
    }
    const int i = trackNumber - 1;
    return (m_chosen[i / 8] >> (i % 8)) & 1;
}

QRect CReportCtrl::CellRect(int row, int column) const {
    QTreeWidgetItem* item = topLevelItem(row);
    return item ? visualRect(indexFromItem(item, column)) : QRect();
}

bool CReportCtrl::StartEdit(int row, int column) {
    if (!m_editable || !RecordOf(row) || column < 0 || column >= columnCount()) {
        return false;
    }
    if (row == m_editRow && column == m_editColumn) {
        return true;
    }
    EndEdit(true);
    // Selecting and scrolling first: a scroll ends an open edit, and must not end this one.
    SelectOnly(row);
    scrollToItem(topLevelItem(row));
    m_editRow = row;
    m_editColumn = column;

    Qt::Alignment align = Qt::AlignLeft;
    const auto headAlign = Qt::Alignment(headerItem()->textAlignment(column));
    if (headAlign & Qt::AlignRight) {
        align = Qt::AlignRight;
    } else if (headAlign & Qt::AlignHCenter) {
        align = Qt::AlignHCenter;
    }
    if (!m_editBox || align != m_editAlignment) {
        delete m_editBox.data();
        auto* edit = new QLineEdit(viewport());
        edit->setFrame(true);
        edit->setAlignment(align | Qt::AlignVCenter);
        edit->installEventFilter(this);
        m_editBox = edit;
        m_editAlignment = align;
    }
    QLineEdit* edit = m_editBox.data();
    edit->setFont(font());
    // Column 0 holds titles, which the card's player shows only so far.
    const QValidator* previous = edit->validator();
    edit->setValidator(column == 0 ? new CLengthLimit(edit, kTitleLimit, GetItemText(row, column).size())
                                   : nullptr);
    delete previous;
    QRect place = CellRect(row, column);
    if (column == 0 && m_checkMode != CHECK_NONE) {
        place.setLeft(place.left() + kStateImageWidth);
    }
    edit->setGeometry(place);
    edit->setText(GetItemText(row, column));
    edit->show();
    edit->selectAll();
    edit->setFocus();
    return true;
}

bool CReportCtrl::EndEdit(bool commit) {
    if (m_editRow < 0) {
        return false;
    }
    const int row = m_editRow;
    const int column = m_editColumn;
    m_editRow = -1;
    m_editColumn = -1;
    const QString oldText = GetItemText(row, column);
    const QString newText = m_editBox ? m_editBox->text() : oldText;
    const bool differs = newText != oldText;
    if (m_editBox) {
        const bool hadFocus = m_editBox->hasFocus();
        m_editBox->hide();
        if (hadFocus && m_enabled) {
            setFocus();
        }
    }
    if (commit && differs && column == 0) {
        if (m_onTitleEdited) {
            m_onTitleEdited(row);
        }
        const bool renamed = !m_renamer || m_renamer->RenameTrack(row + 1, newText);
        if (renamed) {
            SetItemText(row, column, newText);
            m_sortColumn = -1;
            m_sortAscending = true;
            Notify(WM_RC_EDITCOMMITTED, static_cast<WPARAM>(row), column);
        } else {
            // Whatever half-happened is undone by naming the track as it was.
            m_renamer->RenameTrack(row + 1, oldText);
        }
    }
    return differs;
}

void CReportCtrl::Notify(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_parent) {
        ::SendMessage(m_parent, message, wParam, lParam);
    }
}

void CReportCtrl::ShowMenu(const QPoint& globalPos) {
    CPopupMenu menu;
    if (!menu.Load(IDR_TRACK_MENU)) {
        return;
    }
    const UINT command = menu.Track(this, globalPos);
    if (command == 0) {
        return;
    }
    // The menu's owner is the main window, which hands the list's commands back to the list.
    if (m_parent) {
        ::SendMessage(m_parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 0), 0);
    } else {
        OnMenuCommand(command);
    }
}

bool CReportCtrl::OnMenuCommand(UINT id) {
    switch (id) {
    case ID_TRACK_EDIT:
        StartEdit(GetSelectedRow(), m_menuColumn);
        return true;
    case ID_TRACK_TOGGLE:
        if (const int row = GetSelectedRow(); row >= 0) {
            SetCheck(row, !GetCheck(row));
            viewport()->update();
        }
        return true;
    case ID_TRACK_MENU_CANCEL:
        return true;
    default:
        return false;
    }
}

LRESULT CReportCtrl::WindowProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND) {
        return OnMenuCommand(LOWORD(wParam)) ? 0 : 1;
    }
    return 0;
}

void CReportCtrl::OnMouseButton(UINT message, QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    const int row = index.isValid() ? index.row() : -1;
    const int column = index.isValid() ? index.column() : -1;
    const bool wasChecked = row >= 0 && GetCheck(row);
    const bool wasEditing = IsEditing();
    const bool wasSelectedAndFocused =
        row >= 0 &&
        (GetStateFlags(row) & (RC_ITEM_SELECTED | RC_ITEM_FOCUSED)) == (RC_ITEM_SELECTED | RC_ITEM_FOCUSED);
    EndEdit(true);

    if (message == WM_RBUTTONDOWN) {
        QTreeWidget::mousePressEvent(event);
        if (column != 0) {
            return;
        }
        m_menuColumn = 0;
        if ((m_checkMode == CHECK_NONE || pos.x() >= kStateImageWidth) && row >= 0) {
            ShowMenu(event->globalPosition().toPoint());
        }
        return;
    }

    // The list view's own handling: selection, and a click on a check box toggles it.
    if (message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK) {
        QTreeWidget::mouseDoubleClickEvent(event);
    } else {
        QTreeWidget::mousePressEvent(event);
    }
    if ((message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) && row >= 0 && column == 0 &&
        m_checkMode != CHECK_NONE) {
        const QRect cell = CellRect(row, 0);
        if (pos.x() >= cell.left() && pos.x() < cell.left() + kStateImageWidth) {
            SetCheckRaw(row, !wasChecked);
        }
    }

    bool checkChanged = false;
    if (row >= 0 && m_checkMode != CHECK_NONE && GetCheck(row) != wasChecked) {
        checkChanged = true;
        if (m_checkMode == CHECK_SINGLE && GetCheck(row)) {
            for (int r = 0; r < topLevelItemCount(); ++r) {
                if (r != row) {
                    SetCheckRaw(r, false);
                }
            }
        }
        if (m_checkMode != CHECK_REPORT_ONLY) {
            SelectOnly(row);
            Notify(WM_RC_CHECKCHANGED, static_cast<WPARAM>(row), static_cast<LPARAM>(message));
        }
        viewport()->update();
    }

    if ((message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) && m_editable && !checkChanged &&
        !wasEditing && wasSelectedAndFocused && column == 0) {
        scrollToItem(topLevelItem(row));
        StartEdit(row, 0);
    }
}

void CReportCtrl::mousePressEvent(QMouseEvent* event) {
    if (!m_enabled) {
        event->accept();
        return;
    }
    if (const UINT message = ButtonMessage(event->button(), false)) {
        OnMouseButton(message, event);
    } else {
        QTreeWidget::mousePressEvent(event);
    }
}

void CReportCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!m_enabled) {
        event->accept();
        return;
    }
    if (const UINT message = ButtonMessage(event->button(), true)) {
        OnMouseButton(message, event);
    } else {
        QTreeWidget::mouseDoubleClickEvent(event);
    }
}

void CReportCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_enabled) {
        event->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void CReportCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (!m_enabled && event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

bool CReportCtrl::OnEditKey(UINT vk) {
    const int row = m_editRow;
    const int column = m_editColumn;
    switch (vk) {
    case VK_TAB:
        EndEdit(true);
        // Titles are the only editable text; Tab in a title stays in the title.
        StartEdit(row, column == 0 ? 0 : column + 1);
        return true;
    case VK_RETURN:
        EndEdit(true);
        return true;
    case VK_ESCAPE:
        EndEdit(false);
        return true;
    case VK_UP:
        if (row > 0) {
            EndEdit(true);
            StartEdit(row - 1, column);
        }
        return true; // at the first row the edit box keeps the key, and does nothing with it
    case VK_DOWN:
        if (row + 1 < topLevelItemCount()) {
            EndEdit(true);
            StartEdit(row + 1, column);
        }
        return true;
    default:
        return false;
    }
}

bool CReportCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_editBox.data() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!m_enabled) {
            return true;
        }
        if (IsEditing() && OnEditKey(VirtualKeyOf(key))) {
            return true;
        }
    }
    if (watched == m_editBox.data() && event->type() == QEvent::Wheel && IsEditing()) {
        EndEdit(true);
    }
    return QTreeWidget::eventFilter(watched, event);
}

void CReportCtrl::keyPressEvent(QKeyEvent* event) {
    if (!m_enabled) {
        event->accept();
        return;
    }
    const UINT vk = VirtualKeyOf(event);
    if (IsEditing() && OnEditKey(vk)) {
        return;
    }
    if (!IsEditing() && vk == VK_APPS) {
        const int row = GetSelectedRow();
        if (row >= 0) {
            m_menuColumn = 0;
            const QRect cell = CellRect(row, 0);
            ShowMenu(viewport()->mapToGlobal(cell.topLeft() + QPoint(16, cell.height())));
        }
        return;
    }
    if (!IsEditing() && vk == VK_SPACE) {
        // The list view's own key: Space ticks or unticks the focused row.
        if (QTreeWidgetItem* item = currentItem(); item && m_checkMode != CHECK_NONE) {
            const int row = indexOfTopLevelItem(item);
            SetCheck(row, !GetCheck(row));
            viewport()->update();
        }
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CReportCtrl::wheelEvent(QWheelEvent* event) {
    EndEdit(true);
    QTreeWidget::wheelEvent(event);
}

void CReportCtrl::scrollContentsBy(int dx, int dy) {
    EndEdit(true);
    QTreeWidget::scrollContentsBy(dx, dy);
}
