#include "source/CDROMAcc.h"
#include "ui/text/TextRules.h"

#include "platform/com/ComBSTR.h"
#include "platform/files/FileSearch.h"
#include "platform/files/Volumes.h"
#include "platform/messages/MessageLoop.h"
#include "source/MediaInfo.h"
#include "source/PlayerContext.h"
#include "ui/MyComboBox.h"

const QString CCDROMAcc::kNoDiscName = QStringLiteral("ドライブにディスクがありません");
const QString CCDROMAcc::kNoAlbumName = QStringLiteral("アルバム情報なし");

namespace {
const QString kAudioCdLabel = QStringLiteral("Audio CD");
const QString kCdDriveLabel = QStringLiteral("CD ドライブ");
} // namespace

CCDROMAcc::CCDROMAcc() : CBasicDrive(QStringLiteral("CD-ROM Access")) {}

CCDROMAcc::~CCDROMAcc() {
    Detach();
}

bool CCDROMAcc::Attach(CMyComboBox* comboBox) {
    Detach();
    if (!comboBox) {
        return false;
    }
    SetComboBox(comboBox);
    return true;
}

void CCDROMAcc::Detach() {
    m_cdroms = nullptr;
    m_albumPlaylist = nullptr;
    m_cdPlaylist = nullptr;
    m_snapshot = nullptr;
}

void CCDROMAcc::Refresh(bool selectDefault, bool closeDropDown) {
    QString root;
    if (!selectDefault) {
        root = GetDriveRoot();
        selectDefault = root.isEmpty();
    }
    // A and B are never CD drives worth asking.
    QString letters;
    const DWORD mask = GetLogicalDrives();
    for (int i = 2; i < 26; ++i) {
        const QChar letter(u'A' + i);
        if ((mask >> i) & 1u && GetDriveType(QString(letter) + QStringLiteral(":\\")) == DRIVE_CDROM) {
            letters.append(letter);
        }
    }
    CMyComboBox* combo = ComboBox();
    if (combo) {
        combo->Reset(closeDropDown);
    }
    if (letters.isEmpty()) {
        if (combo) {
            combo->Select(QString(), 0);
        }
        SetState(0);
        return;
    }
    bool selected = false;
    for (int i = 0; i < letters.size(); ++i) {
        QString label = DriveLabel(letters.at(i));
        // The label a CD player gives an audio disc says nothing about the drive.
        if (label.startsWith(kAudioCdLabel)) {
            label.replace(kAudioCdLabel, kCdDriveLabel);
        }
        if (!combo) {
            continue;
        }
        combo->AddString(label);
        if (selectDefault) {
            if (i == 0) {
                combo->Select(label, 0);
                selected = true;
            }
        } else if (!selected && DriveRootOf(label) == root) {
            // Matched on the entry's own drive, never on a volume label that happens to hold "X:".
            combo->Select(label, i);
            selected = true;
        }
    }
    SetState(1);
}

bool CCDROMAcc::OpenDisc(bool audioOnly) {
    const QString root = GetDriveRoot();
    m_driveIndex = -1;
    IWMPPlayer4* player = PlayerContext().Player();
    m_cdroms = nullptr;
    if (!player || FAILED(player->get_cdromCollection(&m_cdroms)) || !m_cdroms) {
        m_cdroms = nullptr;
        return false;
    }
    long drives = 0;
    if (root.isEmpty() || FAILED(m_cdroms->get_count(&drives))) {
        return false;
    }
    ComPtr<IWMPCdrom> cdrom;
    for (long i = 0; i < drives; ++i) {
        ComPtr<IWMPCdrom> candidate;
        CComBSTR specifier;
        if (SUCCEEDED(m_cdroms->item(i, &candidate)) && candidate &&
            SUCCEEDED(candidate->get_driveSpecifier(&specifier)) && specifier.ToQString() == root) {
            m_driveIndex = int(i);
            cdrom = candidate;
            break;
        }
    }
    if (!cdrom) {
        return false;
    }
    m_trackCount = 0;
    m_cdPlaylist = nullptr;
    if (FAILED(cdrom->get_playlist(&m_cdPlaylist))) {
        m_cdPlaylist = nullptr;
    }
    if (m_cdPlaylist && (!audioOnly || IsAudioOnlyRoot(root))) {
        // The tables of sizes and chosen tracks end at track 99; a longer playlist is cut there.
        m_trackCount = int(std::clamp<long>(media_info::Count(m_cdPlaylist.Get()), 0, kMaxTracks));
    }
    if (m_trackCount <= 0) {
        return false;
    }
    if (audioOnly) {
        SetState(2);
    }
    return true;
}

bool CCDROMAcc::IsAudioOnlyRoot(const QString& root) {
    WIN32_FIND_DATA entry;
    const HANDLE search = FindFirstFile(root + QStringLiteral("\\*.*"), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool marked = false;
    do {
        const QString& name = entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A DVD.
            marked = name.startsWith(QLatin1String("VIDEO_TS")) || name.startsWith(QLatin1String("AUDIO_TS"));
        } else {
            // A data disc with music files in its root.
            marked = name.indexOf(QLatin1String(".wma")) > 0 || name.indexOf(QLatin1String(".mp3")) > 0;
        }
    } while (!marked && FindNextFile(search, &entry));
    FindClose(search);
    return !marked;
}

int CCDROMAcc::TrackCount(bool reopen) {
    if (reopen && OpenDisc(false)) {
        m_trackCount = int(std::clamp<long>(media_info::Count(m_cdPlaylist.Get()), 0, kMaxTracks));
    }
    return m_trackCount;
}

bool CCDROMAcc::OnCdromMediaChange(long cdromNumber) {
    if (cdromNumber != m_driveIndex) {
        return false;
    }
    // The player reports the change as soon as the tray closes; the disc needs a moment before
    // its tracks can be read.
    Sleep(kMediaChangePauseMs);
    Refresh(false, true);
    OpenDisc(true);
    return true;
}

ComPtr<IWMPCdrom> CCDROMAcc::SelectedCdrom() const {
    ComPtr<IWMPCdromCollection> cdroms = m_cdroms;
    IWMPPlayer4* player = PlayerContext().Player();
    if (!cdroms && (!player || FAILED(player->get_cdromCollection(&cdroms)))) {
        return nullptr;
    }
    ComPtr<IWMPCdrom> cdrom;
    if (m_driveIndex < 0 || !cdroms || FAILED(cdroms->item(m_driveIndex, &cdrom))) {
        return nullptr;
    }
    return cdrom;
}
