#include "mediaengine/cd/CdDrives.h"

#include "mediaengine/Logging.h"
#include "mediaengine/cd/CdPlaylist.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/drives/CdRootTable.h"
#include "mediaengine/drives/DriveMonitor.h"
#include "mediaengine/drives/DriveProbeScope.h"
#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "platform/messages/MessageLoop.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

// Label Windows gives an audio CD; the program shows it as "CD ドライブ".
const QString kAudioCdLabel = QStringLiteral("Audio CD");

// The volume table holds one root lister. When two engines live at once (a player created anew
// before the old one is gone), the one that installed the current lister is the one to remove it.
std::weak_ptr<CCdRootTable> g_installedLister;

} // namespace

CCdDrives::CCdDrives(EngineContext context, ReadDisc readDisc)
    : m_context(std::move(context)), m_readDisc(std::move(readDisc)),
      m_cdRoots(std::make_shared<CCdRootTable>()) {}

CCdDrives::~CCdDrives() {
    Shutdown();
}

void CCdDrives::SetCallbacks(std::function<void(QChar)> discGone, std::function<void()> lookLater) {
    m_discGone = std::move(discGone);
    m_lookLater = std::move(lookLater);
}

void CCdDrives::Start() {
    if (m_started) {
        return;
    }
    m_started = true;
    ReadDrives(false);
    if (CVolumes* volumes = CPlatform::Current().volumes) {
        // The lister keeps the table alive: the volume table may call it on another thread while
        // the engine is going.
        volumes->SetCdRootLister([table = m_cdRoots](QChar letter) { return table->Listing(letter); });
        m_listerVolumes = volumes;
        g_installedLister = m_cdRoots;
    }
}

void CCdDrives::Shutdown() {
    m_stopped = true;
    StopMonitor();
    if (m_listerVolumes) {
        // Only through the volume table still in use: a table of an ended test may be gone.
        if (CPlatform::Current().volumes == m_listerVolumes && g_installedLister.lock() == m_cdRoots) {
            m_listerVolumes->SetCdRootLister({});
        }
        m_listerVolumes = nullptr;
    }
    m_cdRoots->Clear();
    m_drives.clear();
}

void CCdDrives::Check() {
    ReadDrives(true);
}

QChar CCdDrives::Letter(int index) const {
    return index >= 0 && index < int(m_drives.size()) ? m_drives[std::size_t(index)].letter : QChar();
}

int CCdDrives::IndexOf(QChar letter) const {
    for (std::size_t i = 0; i < m_drives.size(); ++i) {
        if (m_drives[i].letter == letter) {
            return int(i);
        }
    }
    return -1;
}

ComPtr<CCdPlaylist> CCdDrives::Playlist(QChar letter) const {
    const int index = IndexOf(letter);
    return index < 0 ? nullptr : m_drives[std::size_t(index)].playlist;
}

QString CCdDrives::ResolveDisc(const QString& disc) const {
    if (QDir::isAbsolutePath(disc)) {
        return disc;
    }
    const CVolumes* volumes = CPlatform::Current().volumes;
    const QString base = volumes ? volumes->SandboxDir() : QString();
    return base.isEmpty() ? QFileInfo(disc).absoluteFilePath() : QDir(base).absoluteFilePath(disc);
}

void CCdDrives::LoadDisc(DriveSlot& slot, const QString& discPath) {
    std::shared_ptr<CCdDisc> loaded = CCdDisc::Empty(slot.letter);
    if (!discPath.isEmpty()) {
        const QString source = ResolveDisc(discPath);
        DiscInfo info;
        QString error;
        if (!m_readDisc) {
            qCWarning(lcMediaEngine) << "media engine: no disc reader";
        } else if (!m_readDisc(source, &info, &error)) {
            qCWarning(lcMediaEngine).noquote()
                << "media engine: the disc in" << QString(slot.letter) + QLatin1Char(':')
                << "cannot be read:" << error;
        } else {
            auto disc = CCdDisc::FromInfo(slot.letter, source, info);
            // A disc without audio tracks is no disc to this player.
            if (disc->TrackCount() > 0) {
                loaded = disc;
            }
        }
    }
    SetDisc(slot, loaded);
}

void CCdDrives::SetDisc(DriveSlot& slot, std::shared_ptr<CCdDisc> disc) {
    if (disc->HasDisc() && m_discArrived) {
        m_discArrived(disc);
    }
    slot.disc = std::move(disc);
    slot.playlist = MakeComObject<CCdPlaylist>(weak_from_this(), m_context, slot.disc);
    QList<int> tracks;
    for (int position = 0; position < slot.disc->TrackCount(); ++position) {
        tracks.append(slot.disc->Track(position).discNumber);
    }
    m_cdRoots->SetTracks(slot.letter, tracks);
}

void CCdDrives::DiscRenamed(const std::shared_ptr<CCdDisc>& disc) {
    for (const DriveSlot& slot : m_drives) {
        if (slot.disc == disc && slot.playlist) {
            const ComPtr<IWMPPlaylist> changed(slot.playlist.Get());
            m_context.events->Fire([changed](IEngineEvents& events) {
                events.FirePlaylistChange(changed.Get(), wmplcNameChange);
            });
        }
    }
}

void CCdDrives::DiscGoneFrom(QChar letter) {
    if (m_discGone) {
        m_discGone(letter);
    }
}

void CCdDrives::ReadDrives(bool tell) {
    QList<CVolumes::Drive> cdDrives;
    if (const CVolumes* volumes = CPlatform::Current().volumes) {
        for (const CVolumes::Drive& drive : volumes->Drives()) {
            if (drive.type == DRIVE_CDROM) {
                cdDrives.append(drive);
            }
        }
    }
    std::sort(cdDrives.begin(), cdDrives.end(),
              [](const CVolumes::Drive& a, const CVolumes::Drive& b) { return a.letter < b.letter; });
    std::vector<DriveSlot> next;
    QList<int> changed;
    for (const CVolumes::Drive& drive : cdDrives) {
        // A physical drive's disc is the drive monitor's to find: its slot changes only when the
        // drive itself does, and a new one starts empty until the monitor has looked.
        const bool physical = !drive.device.isEmpty() && drive.disc.isEmpty();
        const QString disc = drive.present ? drive.disc : QString();
        const QString seen = physical        ? QStringLiteral("device|") + drive.device
                             : drive.present ? QStringLiteral("1|") + disc
                                             : QStringLiteral("0|");
        const int old = IndexOf(drive.letter);
        if (old >= 0 && m_drives[std::size_t(old)].seen == seen) {
            next.push_back(m_drives[std::size_t(old)]);
            continue;
        }
        DiscGoneFrom(drive.letter);
        DriveSlot slot;
        slot.letter = drive.letter;
        slot.seen = seen;
        if (physical) {
            slot.device = drive.device;
            SetDisc(slot, CCdDisc::Empty(drive.letter));
        } else {
            LoadDisc(slot, disc);
        }
        next.push_back(slot);
        changed.append(int(next.size()) - 1);
    }
    // A drive gone from the table shows nothing in its root any more.
    for (const DriveSlot& slot : m_drives) {
        if (std::none_of(next.begin(), next.end(),
                         [&slot](const DriveSlot& s) { return s.letter == slot.letter; })) {
            DiscGoneFrom(slot.letter);
            m_cdRoots->SetTracks(slot.letter, {});
        }
    }
    m_drives = std::move(next);
    UpdateMonitor();
    if (tell) {
        for (int index : changed) {
            m_context.events->Post([index](IEngineEvents& events) { events.FireCdromMediaChange(index); });
        }
    }
}

HRESULT CCdDrives::Eject(QChar letter) {
    CVolumes* volumes = CPlatform::Current().volumes;
    const int index = IndexOf(letter);
    if (!volumes || index < 0) {
        return E_FAIL;
    }
    if (const QString device = m_drives[std::size_t(index)].device; !device.isEmpty()) {
        // The tray may take seconds: the monitor's thread opens it and then reports the empty drive.
        if (!m_monitor) {
            return E_FAIL;
        }
        m_monitor->Eject(device);
        return S_OK;
    }
    volumes->SetDisc(letter, QString());
    volumes->SetPresent(letter, false);
    // As with a real tray, the change is reported once the call has returned.
    if (m_lookLater) {
        m_lookLater();
    }
    return S_OK;
}

// --- physical drives ------------------------------------------------------------------------------

QList<MonitoredDrive> CCdDrives::PhysicalDrives() const {
    QList<MonitoredDrive> drives;
    for (const DriveSlot& slot : m_drives) {
        if (!slot.device.isEmpty()) {
            drives.append({slot.letter, slot.device});
        }
    }
    return drives;
}

void CCdDrives::UpdateMonitor() {
    if (!m_started || m_stopped || !m_context.loop) {
        return;
    }
    const QList<MonitoredDrive> drives = PhysicalDrives();
    if (m_monitor) {
        m_monitor->SetDrives(drives);
        return;
    }
    const std::optional<DriveProbe> injected = CDriveProbeScope::Current();
    if (drives.isEmpty() && !injected) {
        return;
    }
    const unsigned run = ++m_monitorRun;
    const std::weak_ptr<CCdDrives> weak = weak_from_this();
    IMessageLoop* loop = m_context.loop;
    // Runs on the monitor's thread: only the loop is touched there.
    auto reporter = [weak, loop, run](const DriveReport& report) {
        loop->RunOnUiThread([weak, run, report] {
            const auto drives = weak.lock();
            if (drives && drives->m_monitor && drives->m_monitorRun == run) {
                drives->DriveReported(report);
            }
        });
    };
    m_monitor =
        std::make_unique<CDriveMonitor>(injected ? *injected : HostDriveProbe(), m_readDisc, reporter);
    m_monitor->Start(drives);
}

void CCdDrives::StopMonitor() {
    if (m_monitor) {
        m_monitor->Stop(); // joins: no report is handed over after this
        m_monitor.reset();
    }
}

void CCdDrives::DriveReported(const DriveReport& report) {
    const int index = IndexOf(report.letter);
    if (index < 0) {
        return;
    }
    DriveSlot& slot = m_drives[std::size_t(index)];
    if (slot.device != report.device) {
        return; // the letter holds another drive by now
    }
    if (report.discChanged) {
        DiscGoneFrom(slot.letter);
        std::shared_ptr<CCdDisc> disc = CCdDisc::Empty(slot.letter);
        if (report.present && report.read) {
            auto read = CCdDisc::FromInfo(slot.letter, report.device, report.info);
            // A disc without audio tracks is no disc to this player.
            if (read->TrackCount() > 0) {
                disc = read;
            }
        } else if (report.present) {
            qCWarning(lcMediaEngine).noquote()
                << "media engine: the disc in" << QString(slot.letter) + QLatin1Char(':')
                << "cannot be read:" << report.error;
        }
        SetDisc(slot, disc);
    }
    // The volume table first, so whoever hears the event finds the drive as it now is.
    if (CVolumes* volumes = CPlatform::Current().volumes) {
        // In one step: the table may drop the drive on another thread (pulled out) meanwhile.
        volumes->SetCdDriveMedium(slot.letter, report.device, report.present, report.mountPoint,
                                  !report.mountPoint.isEmpty()  ? report.mountLabel
                                  : slot.disc->TrackCount() > 0 ? kAudioCdLabel
                                                                : QString());
    }
    if (report.discChanged) {
        m_context.events->Fire([index](IEngineEvents& events) { events.FireCdromMediaChange(index); });
    }
}
