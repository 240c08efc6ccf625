// The disc's tracks in the track list, the size estimates, the album title and renaming.

#include "platform/com/ComBSTR.h"
#include "platform/files/Volumes.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "source/CDROMAcc.h"
#include "source/MediaInfo.h"
#include "source/PlayerContext.h"
#include "ui/ReportCtrl.h"
#include "ui/StaticEx.h"
#include "ui/text/TextRules.h"

#include <cmath>

namespace {
const QString kNoInfo = QStringLiteral("情報なし");

// Rewrites a read-out only when its text changes, so a refresh does not flicker.
void ShowText(CStaticEx* readOut, const QString& text) {
    if (readOut && readOut->text() != text) {
        readOut->SetWindowText(text);
    }
}
} // namespace

bool CCDROMAcc::SetDisplayControls(CReportCtrl* trackList, CStaticEx* totalSize, CStaticEx* album) {
    m_trackList = trackList;
    m_totalSizeText = totalSize;
    m_albumText = album;
    return trackList && totalSize && album;
}

double CCDROMAcc::EstimatedMegabytes(double seconds, DWORD bitRate) {
    // Kilobytes per second: 16 at 128 kbit/s, 8 at any other rate.
    const double rateFactor = bitRate == 128000 ? 16.0 : 8.0;
    return rateFactor * seconds / 1024.0;
}

void CCDROMAcc::FillTrackList(DWORD bitRate, bool checkAll) {
    if (m_filling) {
        // A rename inside the fill changed the disc's playlist: fill again once this one is done,
        // keeping the marks the user set.
        m_refillWanted = true;
        return;
    }
    m_trackListComplete = false;
    if (!m_trackList) {
        return;
    }
    m_filling = true;
    FillRows(bitRate, checkAll);
    while (m_refillWanted && m_trackList) {
        m_refillWanted = false;
        FillRows(bitRate, false);
    }
    m_filling = false;
    m_refillWanted = false;
    m_trackListComplete = true;
    m_filledDrive = m_driveIndex;
    m_filledToc.clear();
    media_info::Read(m_cdPlaylist.Get(), QStringLiteral("TOC"), &m_filledToc);
}

bool CCDROMAcc::IsTrackListCurrent() const {
    if (!m_trackListComplete || !m_trackList || m_trackCount <= 0 || m_driveIndex < 0 ||
        m_filledDrive != m_driveIndex || m_trackList->GetItemCount() != m_trackCount) {
        return false;
    }
    QString toc;
    return media_info::Read(m_cdPlaylist.Get(), QStringLiteral("TOC"), &toc) && toc == m_filledToc;
}

void CCDROMAcc::FillRows(DWORD bitRate, bool checkAll) {
    CReportCtrl* list = m_trackList;
    // The marks the user set are kept for the tracks the list shows again.
    list->SnapshotChecks(checkAll);
    list->EnableList(false);
    list->DeleteItems(CReportCtrl::RC_ITEM_ALL);
    m_trackSizes.fill(0);
    // The playlist is held here: whatever a call below makes the main window do with the disc, the
    // rows are filled from this one.
    const ComPtr<IWMPPlaylist> playlist = m_cdPlaylist;
    const int count = m_trackCount;
    const int major = PlayerContext().MajorVersion();
    double total = 0;
    for (int p = 0; p < count && p < kMaxTracks && m_trackList; ++p) {
        const ComPtr<IWMPMedia> item = media_info::Item(playlist.Get(), p);
        if (!item) {
            break;
        }
        QString title;
        media_info::Read(item.Get(), QStringLiteral("Title"), &title);
        const int row = list->InsertItem(p, title);
        double seconds = 0;
        if (FAILED(item->get_duration(&seconds)) || !std::isfinite(seconds) || seconds < 0) {
            seconds = 0;
        }
        QString length;
        if (major < 11) {
            const double whole = std::min(std::trunc(seconds), double(UINT32_MAX));
            length = FormatTrackTime(uint32_t(whole));
        } else {
            CComBSTR text;
            if (SUCCEEDED(item->get_durationString(&text))) {
                length = text.ToQString();
            }
        }
        list->SetItemText(row, 1, length);
        const double size = EstimatedMegabytes(seconds, bitRate);
        total += size;
        m_trackSizes[std::size_t(p)] = size;
        list->SetCheck(row, checkAll || list->IsTrackChosen(p + 1));
    }
    if (!m_trackList) {
        return;
    }
    list->SetCellBackColor(-1, -1, kTrackBackColor, false);
    list->SetCellTextColor(-1, -1, kTrackTextColor, false);
    m_totalSize = total;
    ShowText(m_totalSizeText, FormatMegabytes(total));
    if (total != 0) {
        list->SelectItem(0);
    }
}

bool CCDROMAcc::RefreshTrackList(DWORD bitRate) {
    if (GetState() != 2 || !m_trackList || IsTrackListCurrent()) {
        return false;
    }
    QString toc;
    media_info::Read(m_cdPlaylist.Get(), QStringLiteral("TOC"), &toc);
    const bool sameDisc =
        m_filledDrive == m_driveIndex && toc == m_filledToc && m_trackList->GetItemCount() > 0;
    FillTrackList(bitRate, !sameDisc);
    ShowAlbumTitle();
    return true;
}

double CCDROMAcc::TrackSize(int position) const {
    return position >= 0 && position < kMaxTracks ? m_trackSizes[std::size_t(position)] : 0.0;
}

void CCDROMAcc::ShowAlbumTitle() {
    if (!m_albumText) {
        return;
    }
    QString title = GetAlbumTitle();
    if (title == kNoDiscName) {
        m_albumText->SetTextColor(kNoDiscColor);
        ShowText(m_albumText, LoadString(IDS_NO_VALID_CD));
        return;
    }
    m_albumText->ResetTextColor();
    ShowText(m_albumText, title.replace(kNoAlbumName, kNoInfo));
}

QString CCDROMAcc::GetAlbumTitle() const {
    CComBSTR name;
    if (!m_cdPlaylist || FAILED(m_cdPlaylist->get_name(&name))) {
        return QString();
    }
    return name.ToQString();
}

bool CCDROMAcc::SetAlbumTitle(const QString& title) {
    // Held for the call: the rename is reported at once, and the main window may open the disc
    // again meanwhile.
    const ComPtr<IWMPPlaylist> playlist = m_cdPlaylist;
    return playlist && SUCCEEDED(playlist->put_name(CComBSTR(title)));
}

HRESULT CCDROMAcc::GetCdItem(int position, ComPtr<IWMPMedia>* item) const {
    if (!item) {
        return E_POINTER;
    }
    *item = nullptr;
    if (position < 0 || !m_cdPlaylist) {
        return E_INVALIDARG;
    }
    const HRESULT hr = m_cdPlaylist->get_Item(position, item->ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
        return hr;
    }
    return *item ? S_OK : E_FAIL;
}

bool CCDROMAcc::IsCdPlaylist(IWMPPlaylist* playlist) const {
    VARIANT_BOOL identical = VARIANT_FALSE;
    return m_cdPlaylist && playlist && SUCCEEDED(m_cdPlaylist->get_isIdentical(playlist, &identical)) &&
           identical == VARIANT_TRUE;
}

bool CCDROMAcc::RenameTrack(int trackNumber, const QString& title) {
    ComPtr<IWMPMedia> item;
    if (FAILED(GetCdItem(trackNumber - 1, &item))) {
        return false;
    }
    return media_info::WriteName(item.Get(), title);
}

float CCDROMAcc::FreeMegabytes(const QString& path) {
    const qsizetype colon = path.indexOf(QLatin1Char(':'));
    if (colon < 1) {
        return 0;
    }
    const QString root = QString(path.at(colon - 1)) + QLatin1Char(':');
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (!GetDiskFreeSpace(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        return 0;
    }
    return float(double(freeClusters) * sectorsPerCluster * bytesPerSector / 1048576.0);
}
