// In-place editing of a cell: the edit box, its keys, and the rename a changed title asks for.

#include "ui/LengthLimit.h"
#include "ui/ReportCtrl.h"
#include "ui/TrackRenamer.h"
#include "ui/window/VirtualKeys.h"

#include <QKeyEvent>
#include <QLineEdit>

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
        // The owner may learn of the rename at once and fill the list anew meanwhile; rows made
        // since then already show what the owner has, and are left alone.
        const quint64 generation = m_rowsGeneration;
        const bool renamed = !m_renamer || m_renamer->RenameTrack(row + 1, newText);
        const bool sameRows = generation == m_rowsGeneration;
        if (renamed) {
            if (sameRows) {
                SetItemText(row, column, newText);
            }
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
