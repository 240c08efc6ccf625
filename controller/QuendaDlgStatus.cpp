// What the window lets the user do in each state, what its status text says, where the focus
// goes, and how it tells the user something.
#include "controller/AutoCloseDlg2.h"
#include "controller/QuendaDlg.h"
#include "platform/messages/ModalService.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/ColorButton.h"
#include "ui/MyComboBox.h"
#include "ui/ReportCtrl.h"
#include "ui/StaticEx.h"

namespace {
// Switches a control's own enabled state only when it differs. The control's own state counts, not
// what it inherits: the window is disabled while its start-up wait window shows, and the controls
// must come out of that in the state the status gave them.
void EnableIfChanged(QWidget* control, bool enable) {
    if (control->isEnabledTo(control->parentWidget()) != enable) {
        control->setEnabled(enable);
    }
}
} // namespace

void CQuendaDlg::UpdateStatus() {
    const int state = m_syncState;
    const int source = m_cdrom.GetState();
    const int destination = m_dap.GetState();
    QString text;
    auto enableList = [this](bool enable) {
        if (m_trackList->IsListEnabled() != enable) {
            m_trackList->EnableList(enable);
        }
    };
    const bool idle = state == SYNC_INIT || state == SYNC_WAIT;
    if (!idle) {
        // A job (or the album dialog) owns the window: nothing may change under it. The job is
        // over only once the end-of-job handler has cleaned up, so the end states count here too.
        for (QWidget* control :
             {static_cast<QWidget*>(m_destinationCombo), static_cast<QWidget*>(m_cdCombo),
              static_cast<QWidget*>(m_album), static_cast<QWidget*>(m_close),
              static_cast<QWidget*>(m_openDestination), static_cast<QWidget*>(m_transfer)}) {
            EnableIfChanged(control, false);
        }
        enableList(false);
        if (state == SYNC_SYNCING_DONE) {
            text = LoadString(IDS_STATUS_NEXT_CD);
        }
    } else if (state == SYNC_WAIT) {
        text = LoadString(IDS_STATUS_READY);
        EnableIfChanged(m_destinationCombo, m_settings.AutoSync(true) == 0);
        EnableIfChanged(m_cdCombo, true);
        enableList(true);
        EnableIfChanged(m_album, true);
        EnableIfChanged(m_close, true);
        EnableIfChanged(m_openDestination, true);
        EnableIfChanged(m_transfer, true);
    } else {
        switch (source) {
        case 0:
            EnableIfChanged(m_cdCombo, false);
            enableList(false);
            EnableIfChanged(m_album, false);
            text = LoadString(IDS_STATUS_NO_DRIVE);
            break;
        case 1:
            EnableIfChanged(m_cdCombo, true);
            enableList(false);
            EnableIfChanged(m_album, false);
            text = LoadString(IDS_STATUS_INSERT_CD);
            break;
        default: {
            EnableIfChanged(m_cdCombo, true);
            const bool free = m_pendingRip == -1 || m_pendingRip == m_cdrom.TrackCount(false) - 1;
            enableList(free);
            EnableIfChanged(m_album, free);
            break;
        }
        }
        if (destination == 0) {
            EnableIfChanged(m_destinationCombo, false);
            EnableIfChanged(m_openDestination, false);
            if (!text.isEmpty()) {
                text += QLatin1Char('\n');
            }
            text += LoadString(IDS_STATUS_INSERT_CARD);
        } else {
            EnableIfChanged(m_destinationCombo, m_settings.AutoSync(true) == 0);
            EnableIfChanged(m_openDestination, true);
        }
        EnableIfChanged(m_close, true);
        EnableIfChanged(m_transfer, false);
    }
    // After a job that went well the hint to put in another disc stays until something changes.
    if (!(m_finished && state != SYNC_SYNCING_DONE) && m_status->text() != text) {
        m_status->SetWindowText(text);
    }
}

void CQuendaDlg::ApplyFocusRule(int id) {
    if (id != 0 && id != IDC_CLOSE && id != IDC_OPEN_DEST && id != IDC_ALBUM_BUTTON && id != IDC_TRANSFER) {
        return;
    }
    QWidget* target = nullptr;
    if (id == 0) {
        target = focusWidget();
        if (!target || (target == m_trackList && !m_trackList->IsListEnabled())) {
            target = m_close;
        }
    } else {
        target = Control(id);
    }
    if (!target) {
        return;
    }
    if (target->isEnabled()) {
        target->setFocus(Qt::OtherFocusReason);
    } else {
        m_close->setFocus(Qt::OtherFocusReason);
    }
}

void CQuendaDlg::ShowNotice(UINT textId, UINT captionId) {
    if (textId == IDS_COPY_DONE) {
        CAutoCloseDlg2 notice;
        RunModal([&] { return notice.DoModal(Handle()); });
    } else {
        // Above other windows: the user may be elsewhere while a job runs.
        UINT type = MB_OK | MB_TOPMOST;
        if (captionId == IDS_CAPTION_ERROR) {
            type |= MB_ICONERROR;
        } else if (captionId == IDS_CAPTION_WARNING) {
            type |= MB_ICONWARNING;
        }
        RunModal([&] { return ::MessageBox(Handle(), LoadString(textId), LoadString(captionId), type); });
    }
    repaint();
}
