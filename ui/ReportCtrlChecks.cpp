// Check boxes, and the record of chosen tracks that the rip and the copy read.

#include "ui/ReportCtrl.h"

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
