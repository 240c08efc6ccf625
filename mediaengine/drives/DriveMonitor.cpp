#include "mediaengine/drives/DriveMonitor.h"
#include "mediaengine/Logging.h"

#include <QDebug>
#include <algorithm>
#include <chrono>

CDriveMonitor::CDriveMonitor(DriveProbe probe, ReadDisc readDisc, Reporter reporter, int pollMs)
    : m_probe(std::move(probe)), m_readDisc(std::move(readDisc)), m_reporter(std::move(reporter)),
      m_pollMs(pollMs) {}

CDriveMonitor::~CDriveMonitor() {
    Stop();
}

void CDriveMonitor::Start(const QList<MonitoredDrive>& drives) {
    std::lock_guard lock(m_mutex);
    if (m_thread.joinable()) {
        return;
    }
    m_drives = drives;
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
}

void CDriveMonitor::SetDrives(const QList<MonitoredDrive>& drives) {
    std::lock_guard lock(m_mutex);
    m_drives = drives;
}

void CDriveMonitor::Eject(const QString& device) {
    {
        std::lock_guard lock(m_mutex);
        m_ejects.append(device);
    }
    m_wake.notify_all();
}

void CDriveMonitor::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CDriveMonitor::Run() {
    for (;;) {
        QList<MonitoredDrive> drives;
        QStringList ejects;
        {
            std::lock_guard lock(m_mutex);
            if (m_stop) {
                return;
            }
            drives = m_drives;
            ejects.swap(m_ejects);
        }
        for (const QString& device : std::as_const(ejects)) {
            QString error;
            if (!m_probe.eject || !m_probe.eject(device, &error)) {
                qCWarning(lcMediaEngine).noquote()
                    << "media engine: cannot open the tray of" << device << error;
            }
        }
        // Forget the drives no longer watched, so one that comes back is reported afresh.
        for (auto it = m_seen.begin(); it != m_seen.end();) {
            const bool watched = std::any_of(drives.begin(), drives.end(),
                                             [&it](const MonitoredDrive& d) { return d.device == it.key(); });
            it = watched ? std::next(it) : m_seen.erase(it);
        }
        const QList<CMountTable::Mount> mounts = CMountTable::Read(m_probe.mounts);
        for (const MonitoredDrive& drive : std::as_const(drives)) {
            {
                std::lock_guard lock(m_mutex);
                if (m_stop) {
                    return;
                }
            }
            Look(drive, mounts);
        }
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(lock, std::chrono::milliseconds(m_pollMs),
                        [this] { return m_stop || !m_ejects.isEmpty(); });
    }
}

bool CDriveMonitor::ReadInto(const QString& device, Seen* seen) {
    ++seen->readAttempts;
    seen->info = DiscInfo();
    seen->error.clear();
    seen->readOk = m_readDisc && m_readDisc(device, &seen->info, &seen->error);
    if (!m_readDisc) {
        seen->error = QStringLiteral("no disc reader");
    }
    if (!seen->readOk) {
        seen->info = DiscInfo();
    }
    return seen->readOk;
}

void CDriveMonitor::Look(const MonitoredDrive& drive, const QList<CMountTable::Mount>& mounts) {
    const DriveReading reading = m_probe.read ? m_probe.read(drive.device) : DriveReading{};
    const std::optional<CMountTable::Mount> mount = CMountTable::OpticalMountOf(mounts, drive.device);
    Seen& seen = m_seen[drive.device];

    bool present = seen.present;
    switch (reading.state) {
    case DriveState::DiscPresent:
        present = true;
        break;
    case DriveState::NoDisc:
    case DriveState::TrayOpen:
        present = false;
        break;
    case DriveState::Unknown:
        // A mounted disc is in the drive whatever the drive says now.
        if (mount) {
            present = true;
        } else if (!seen.known) {
            return; // nothing to say until the drive can tell
        }
        break;
    }

    const bool first = !seen.known;
    bool discChanged = false;
    if (first || present != seen.present) {
        discChanged = !first || present; // a drive found empty at the first look changes nothing
        seen.known = true;
        seen.present = present;
        seen.readAttempts = 0;
        seen.readOk = false;
        seen.info = DiscInfo();
        seen.error.clear();
        if (present) {
            ReadInto(drive.device, &seen);
        }
    } else if (present && reading.mediaChanged) {
        // Swapped between two looks. The same disc again (or a drive that says so once too often)
        // is no news.
        const QString before = seen.readOk ? seen.info.toc : QString();
        seen.readAttempts = 0;
        discChanged = !ReadInto(drive.device, &seen) || seen.info.toc != before;
    } else if (present && !seen.readOk && seen.readAttempts < kReadAttempts) {
        discChanged = ReadInto(drive.device, &seen);
    }

    const QString mountPoint = present && mount ? mount->point : QString();
    const QString mountLabel =
        mountPoint.isEmpty() ? QString() : CMountTable::LabelOf(m_probe.byLabel, *mount);
    const bool mountChanged = mountPoint != seen.mountPoint || mountLabel != seen.mountLabel;
    seen.mountPoint = mountPoint;
    seen.mountLabel = mountLabel;
    // The first look is always told, so the volume table learns whether the drive is empty.
    if (!first && !discChanged && !mountChanged) {
        return;
    }
    DriveReport report;
    report.letter = drive.letter;
    report.device = drive.device;
    report.present = present;
    report.discChanged = discChanged;
    report.read = present && seen.readOk;
    report.info = seen.info;
    report.error = seen.error;
    report.mountPoint = seen.mountPoint;
    report.mountLabel = seen.mountLabel;
    if (m_reporter) {
        m_reporter(report);
    }
}
