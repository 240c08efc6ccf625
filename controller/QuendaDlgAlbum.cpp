// The album button: the user renames the disc in the album-title dialog.
#include "controller/QuendaDlg.h"
#include "source/AlbumDlg.h"

LRESULT CQuendaDlg::OnAlbum(WPARAM, LPARAM) {
    if (!IsIdleForUser()) {
        return 0;
    }
    EndEditCommitting();
    const int32_t remembered = m_syncState;
    // State 1 keeps every control off and the job's handlers away while the dialog is open.
    SetSyncState(SYNC_SETTINGS);
    UpdateStatus();
    CAlbumDlg dialog(&m_cdrom);
    RunModal([&] { return dialog.DoModal(Handle()); });
    SetSyncState(remembered);
    UpdateStatus();
    m_cdrom.ShowAlbumTitle();
    ApplyFocusRule(IDC_ALBUM_BUTTON);
    return 0;
}
