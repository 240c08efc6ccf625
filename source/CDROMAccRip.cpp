// The rip: started through the player, followed in the progress window until the library holds
// the whole disc.

#include "platform/com/ComBSTR.h"
#include "platform/messages/MessageLoop.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "source/CDROMAcc.h"
#include "source/MediaInfo.h"
#include "source/PlayerContext.h"
#include "ui/StatusDlg.h"

namespace {
// How long the full bar stays up before the progress window closes.
constexpr DWORD kFinalPauseMs = 1000;
const QString kDots = QStringLiteral("..........");

bool RippedWithoutData(IWMPMedia* item) {
    QString size;
    media_info::Read(item, QStringLiteral("FileSize"), &size);
    return media_info::Decimal(size) <= 0;
}
} // namespace

int CCDROMAcc::StartRip() {
    if (GetState() != 2) {
        return -1;
    }
    m_lastCheckedTrack = -1;
    // The disc is read once more: a disc swapped or taken out since it was listed is not ripped.
    if (!OpenDisc(false) || m_trackCount <= 0) {
        return -1;
    }
    const int whole = m_trackCount * 100;
    const int r = RipProgress(0);
    if (r == whole || r < 0) {
        return r; // everything is in the library already, or the rip could not be followed
    }
    if (PlayerContext().MajorVersion() >= 11) {
        ComPtr<IWMPCdromRip> rip;
        const ComPtr<IWMPCdrom> cdrom = SelectedCdrom();
        if (cdrom && SUCCEEDED(cdrom.As(&rip)) && rip && SUCCEEDED(rip->startRip())) {
            return 0;
        }
    }
    // Player 10's way, and the way left when the drive's own rip fails.
    const ComPtr<IWMPPlayer4> player(PlayerContext().Player());
    ComPtr<IWMPPlayerServices> services;
    const CComBSTR task(QStringLiteral("CopyFromCD?AutoCopy:%1").arg(m_driveIndex));
    if (player && SUCCEEDED(player.As(&services)) && services && SUCCEEDED(services->setTaskPane(task))) {
        return 0;
    }
    CloseProgress(); // no rip to follow
    return -1;
}

ComPtr<IWMPMedia> CCDROMAcc::AlbumItemOfTrack(IWMPPlaylist* album, int trackNumber) const {
    const long count = media_info::Count(album);
    for (long i = 0; i < count; ++i) {
        ComPtr<IWMPMedia> item = media_info::Item(album, i);
        if (item && media_info::TrackNumberOf(item.Get()) == trackNumber) {
            return item;
        }
    }
    return nullptr;
}

int CCDROMAcc::CheckRippedSizes(IWMPPlaylist* album) {
    const long count = media_info::Count(album);
    for (long i = 0; i < count; ++i) {
        const ComPtr<IWMPMedia> item = media_info::Item(album, i);
        if (!item || RippedWithoutData(item.Get())) {
            return -2;
        }
    }
    return m_trackCount * 100;
}

int CCDROMAcc::RipProgress(int value) {
    if (GetState() != 2) {
        return -1;
    }
    const QString head = LoadString(IDS_RIP_PROGRESS_HEAD);
    const QString preparing = LoadString(IDS_RIP_PREPARING);
    const int whole = m_trackCount * 100;
    const ComPtr<IWMPPlaylist> album = m_trackCount > 0 ? FindAlbumInLibrary(false) : nullptr;
    if (!album) {
        if (IsProgressShown()) {
            Sleep(kFinalPauseMs);
        }
        CloseProgress();
        return -1;
    }
    if (media_info::Count(album.Get()) == m_trackCount) {
        if (IsProgressShown()) {
            SetProgressPos(whole);
            Sleep(kFinalPauseMs);
        }
        CloseProgress();
        // The whole disc is in: the last track is not looked at by any progress report, so each
        // track's file is checked here before the rip counts as done.
        return CheckRippedSizes(album.Get());
    }
    if (value == 0) {
        if (!IsProgressShown()) {
            OpenProgress(true); // a rip cannot be cancelled from the progress window
            if (CStatusDlg* progress = Progress()) {
                progress->SetMessage(preparing);
                progress->SetRange(0, whole);
                progress->SetPos(0);
                progress->EnableWindow(true);
                progress->PumpPending();
            }
        }
        return 0;
    }
    if (IsProgressShown() && value != whole) {
        const QString text = QStringLiteral("%1(%2/%3)%4")
                                 .arg(head)
                                 .arg(value / 100 + 1)
                                 .arg(m_trackCount)
                                 .arg(kDots.left((value % 100) / 10));
        if (CStatusDlg* progress = Progress()) {
            progress->SetMessage(text);
        }
        SetProgressPos(value);
    }
    if (value == whole && IsProgressShown()) {
        Sleep(kFinalPauseMs);
        CloseProgress();
    }
    // The track before the one reported has its file by now: one without data fails the rip.
    const int track = value / 100;
    if (track > 0 && track != m_lastCheckedTrack) {
        // Found by its track number; a track still being written is looked at on a later report.
        if (const ComPtr<IWMPMedia> item = AlbumItemOfTrack(album.Get(), track)) {
            m_lastCheckedTrack = track;
            if (RippedWithoutData(item.Get())) {
                return -2;
            }
        }
    }
    return value;
}

void CCDROMAcc::StopOrEject(bool eject) {
    const ComPtr<IWMPCdrom> cdrom = SelectedCdrom();
    if (!cdrom) {
        return;
    }
    if (eject) {
        cdrom->eject();
        return;
    }
    if (PlayerContext().MajorVersion() >= 11) {
        ComPtr<IWMPCdromRip> rip;
        if (SUCCEEDED(cdrom.As(&rip)) && rip) {
            rip->stopRip();
        }
    }
}
