#include "mediaengine/core/Engine.h"

#include "mediaengine/cd/CdPlaylist.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/devices/DeviceList.h"
#include "mediaengine/devices/SyncDevice.h"
#include "mediaengine/drives/CdRootTable.h"
#include "mediaengine/drives/DriveMonitor.h"
#include "mediaengine/drives/DriveProbeScope.h"
#include "mediaengine/library/Library.h"
#include "mediaengine/library/LibraryMedia.h"
#include "mediaengine/ripping/RipPreferenceReader.h"
#include "mediaengine/ripping/RipSession.h"
#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "platform/messages/MessageLoop.h"
#include "platform/windows/WindowTable.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

constexpr UINT_PTR kPollTimer = 1;

// Label Windows gives an audio CD; the program shows it as "CD ドライブ".
const QString kAudioCdLabel = QStringLiteral("Audio CD");

// The volume table holds one root lister. When two engines live at once (a player created anew
// before the old one is gone), the one that installed the current lister is the one to remove it.
std::weak_ptr<CCdRootTable> g_installedLister;

// True while some descriptor of this process refers to the file: a reader is still at it.
bool IsOpenHere(const QString& hostPath) {
    const QString target = QFileInfo(hostPath).canonicalFilePath();
    if (target.isEmpty()) {
        return false;
    }
    QDirIterator fds(QStringLiteral("/proc/self/fd"), QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    while (fds.hasNext()) {
        fds.next();
        if (QFileInfo(fds.filePath()).symLinkTarget() == target) {
            return true;
        }
    }
    return false;
}

} // namespace

CEngine::CEngine(MediaEngineConfig config)
    : m_config(std::move(config)), m_faults(m_config.faults),
      m_queue(std::make_shared<CEngineEventQueue>(CPlatform::Current().loop)),
      m_loop(CPlatform::Current().loop), m_cdRoots(std::make_shared<CCdRootTable>()) {}

CEngine::~CEngine() {
    Shutdown();
}

int CEngine::MajorVersion() const {
    bool ok = false;
    const int major = m_config.version.section(QLatin1Char('.'), 0, 0).toInt(&ok);
    return ok ? major : -1;
}

void CEngine::Start() {
    if (m_started) {
        return;
    }
    m_started = true;
    const QString dir = m_config.engineDir.isEmpty() ? DefaultMediaEngineDir() : m_config.engineDir;
    QDir().mkpath(dir);
    auto library = std::make_shared<CLibrary>();
    if (library->Open(QDir(dir).filePath(QStringLiteral("library.db")), &m_libraryError)) {
        m_library = library;
    } else {
        qWarning().noquote() << "media engine:" << m_libraryError;
    }
    m_devices = std::make_unique<CDeviceList>(QDir(dir).filePath(QStringLiteral("devices.ini")));
    m_devices->Reload();
    ReadDrives(false);
    if (CVolumes* volumes = CPlatform::Current().volumes) {
        // The lister keeps the table alive: the volume table may call it on another thread while
        // the engine is going.
        volumes->SetCdRootLister([table = m_cdRoots](QChar letter) { return table->Listing(letter); });
        m_listerVolumes = volumes;
        g_installedLister = m_cdRoots;
    }

    CWindowTable* windows = CPlatform::Current().windows;
    if (windows && m_loop) {
        CWindowTable::Window window;
        window.className = QStringLiteral("OllivaneMediaEngine");
        window.child = true; // never among the top-level windows the program enumerates
        window.proc = this;
        m_pollWindow = windows->Create(window);
        m_loop->SetTimer(m_pollWindow, kPollTimer, kMediaPollMs);
    }
}

void CEngine::Shutdown() {
    m_queue->SetTarget(nullptr);
    m_stopped = true;
    StopMonitor();
    m_rip.reset();
    if (m_pollWindow) {
        if (m_loop) {
            m_loop->KillTimer(m_pollWindow, kPollTimer);
        }
        if (CWindowTable* windows = CPlatform::Current().windows) {
            windows->Destroy(m_pollWindow);
        }
        m_pollWindow = nullptr;
    }
    if (m_listerVolumes) {
        // Only through the volume table still in use: a table of an ended test may be gone.
        if (CPlatform::Current().volumes == m_listerVolumes && g_installedLister.lock() == m_cdRoots) {
            m_listerVolumes->SetCdRootLister({});
        }
        m_listerVolumes = nullptr;
    }
    m_cdRoots->Clear();
    m_drives.clear();
    RunDeletions();
}

LRESULT CEngine::WindowProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_TIMER && wParam == kPollTimer) {
        // The loop may deliver a last tick while the engine is being let go.
        const auto self = weak_from_this().lock();
        if (self) {
            CheckMedia();
            RunDeletions();
        }
    }
    return 0;
}

void CEngine::Later(std::function<void(CEngine&)> work) {
    if (!m_loop) {
        work(*this);
        return;
    }
    const std::weak_ptr<CEngine> weak = weak_from_this();
    m_loop->RunOnUiThread([weak, work = std::move(work)] {
        if (const auto engine = weak.lock()) {
            work(*engine);
        }
    });
}

// --- CD drives -----------------------------------------------------------------------------------

QChar CEngine::CdDriveLetter(int index) const {
    return index >= 0 && index < int(m_drives.size()) ? m_drives[std::size_t(index)].letter : QChar();
}

int CEngine::CdDriveIndex(QChar letter) const {
    for (std::size_t i = 0; i < m_drives.size(); ++i) {
        if (m_drives[i].letter == letter) {
            return int(i);
        }
    }
    return -1;
}

ComPtr<CCdPlaylist> CEngine::CdPlaylist(QChar letter) const {
    const int index = CdDriveIndex(letter);
    return index < 0 ? nullptr : m_drives[std::size_t(index)].playlist;
}

QString CEngine::ResolveDisc(const QString& disc) const {
    if (QDir::isAbsolutePath(disc)) {
        return disc;
    }
    const CVolumes* volumes = CPlatform::Current().volumes;
    const QString base = volumes ? volumes->SandboxDir() : QString();
    return base.isEmpty() ? QFileInfo(disc).absoluteFilePath() : QDir(base).absoluteFilePath(disc);
}

void CEngine::LoadDisc(DriveSlot& slot, const QString& discPath) {
    std::shared_ptr<CCdDisc> loaded = CCdDisc::Empty(slot.letter);
    if (!discPath.isEmpty()) {
        const QString source = ResolveDisc(discPath);
        DiscInfo info;
        QString error;
        if (!m_config.backends.readDisc) {
            qWarning() << "media engine: no disc reader";
        } else if (!m_config.backends.readDisc(source, &info, &error)) {
            qWarning().noquote() << "media engine: the disc in" << QString(slot.letter) + QLatin1Char(':')
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

void CEngine::SetDisc(DriveSlot& slot, std::shared_ptr<CCdDisc> disc) {
    slot.disc = std::move(disc);
    slot.playlist = MakeComObject<CCdPlaylist>(weak_from_this(), slot.disc);
    QList<int> tracks;
    for (int position = 0; position < slot.disc->TrackCount(); ++position) {
        tracks.append(slot.disc->Track(position).discNumber);
    }
    m_cdRoots->SetTracks(slot.letter, tracks);
}

void CEngine::DiscGoneFrom(QChar letter) {
    if (m_rip && m_rip->Running() && m_rip->Letter() == letter) {
        m_rip->DiscGone();
    }
}

void CEngine::ReadDrives(bool fireChanges) {
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
        const int old = CdDriveIndex(drive.letter);
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
    if (fireChanges) {
        for (int index : changed) {
            m_queue->Post([index](IEngineEvents& events) { events.FireCdromMediaChange(index); });
        }
    }
}

HRESULT CEngine::Eject(QChar letter) {
    CVolumes* volumes = CPlatform::Current().volumes;
    const int index = CdDriveIndex(letter);
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
    Later([](CEngine& engine) { engine.CheckMedia(); });
    return S_OK;
}

void CEngine::CheckMedia() {
    if (m_checking) {
        m_checkAgain = true;
        return;
    }
    m_checking = true;
    do {
        m_checkAgain = false;
        // Every change is taken in before any is told, so whoever hears one finds the machine as it
        // now is; the telling may run a nested loop that asks for another look.
        ReadDrives(true);
        CheckDevices(true);
        m_queue->Deliver();
    } while (m_checkAgain && !m_stopped);
    m_checking = false;
}

// --- physical drives ------------------------------------------------------------------------------

QList<MonitoredDrive> CEngine::PhysicalDrives() const {
    QList<MonitoredDrive> drives;
    for (const DriveSlot& slot : m_drives) {
        if (!slot.device.isEmpty()) {
            drives.append({slot.letter, slot.device});
        }
    }
    return drives;
}

void CEngine::UpdateMonitor() {
    if (!m_started || m_stopped || !m_loop) {
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
    const std::weak_ptr<CEngine> weak = weak_from_this();
    IMessageLoop* loop = m_loop;
    // Runs on the monitor's thread: only the loop is touched there.
    auto reporter = [weak, loop, run](const DriveReport& report) {
        loop->RunOnUiThread([weak, run, report] {
            const auto engine = weak.lock();
            if (engine && engine->m_monitor && engine->m_monitorRun == run) {
                engine->DriveReported(report);
            }
        });
    };
    m_monitor = std::make_unique<CDriveMonitor>(injected ? *injected : HostDriveProbe(),
                                                m_config.backends.readDisc, reporter);
    m_monitor->Start(drives);
}

void CEngine::StopMonitor() {
    if (m_monitor) {
        m_monitor->Stop(); // joins: no report is handed over after this
        m_monitor.reset();
    }
}

void CEngine::DriveReported(const DriveReport& report) {
    const int index = CdDriveIndex(report.letter);
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
            qWarning().noquote() << "media engine: the disc in" << QString(slot.letter) + QLatin1Char(':')
                                 << "cannot be read:" << report.error;
        }
        SetDisc(slot, disc);
    }
    // The volume table first, so whoever hears the event finds the drive as it now is.
    if (CVolumes* volumes = CPlatform::Current().volumes) {
        std::optional<CVolumes::Drive> drive = volumes->DriveOf(slot.letter);
        if (drive && drive->device == report.device) {
            drive->present = report.present;
            drive->root = report.mountPoint;
            drive->label = !report.mountPoint.isEmpty()  ? report.mountLabel
                           : slot.disc->TrackCount() > 0 ? kAudioCdLabel
                                                         : QString();
            volumes->SetDrive(*drive);
        }
    }
    if (report.discChanged) {
        m_queue->Fire([index](IEngineEvents& events) { events.FireCdromMediaChange(index); });
    }
}

// --- rip ------------------------------------------------------------------------------------------

bool CEngine::IsRipping() const {
    return m_rip && m_rip->Running();
}

HRESULT CEngine::StartRip(QChar letter, bool selectedOnly) {
    if (IsRipping()) {
        return E_UNEXPECTED; // one rip at a time
    }
    const ComPtr<CCdPlaylist> playlist = CdPlaylist(letter);
    if (!playlist) {
        return E_INVALIDARG;
    }
    const std::shared_ptr<CCdDisc> disc = playlist->Disc();
    if (!disc->HasDisc() || disc->TrackCount() == 0) {
        return E_FAIL;
    }
    if (!m_library) {
        return E_FAIL; // nowhere to put the rips
    }
    QList<int> positions;
    for (int i = 0; i < disc->TrackCount(); ++i) {
        if (!selectedOnly || disc->Attribute(i, QStringLiteral("SelectedForRip"))
                                     .compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
            positions.append(i);
        }
    }
    if (positions.isEmpty()) {
        return S_FALSE;
    }
    RipPreferences preferences;
    if (const HRESULT hr = CRipPreferenceReader::Read(&preferences); FAILED(hr)) {
        return hr;
    }
    m_rip.reset();
    auto session = std::make_shared<CRipSession>(weak_from_this(), playlist, positions, preferences);
    if (const HRESULT hr = session->Start(m_config.backends, m_config.faults, m_loop); FAILED(hr)) {
        return hr;
    }
    m_rip = session;
    return S_OK;
}

HRESULT CEngine::StopRip(QChar letter) {
    if (IsRipping() && m_rip->Letter() == letter) {
        m_rip->Stop();
    }
    return S_OK;
}

void CEngine::RipEnded(CRipSession* session) {
    // Let the workers go on a later turn: this runs inside the session's own report.
    Later([session](CEngine& engine) {
        if (engine.m_rip.get() == session && !session->Running()) {
            engine.m_rip.reset();
        }
    });
}

// --- library --------------------------------------------------------------------------------------

void CEngine::DeleteFileLater(const QString& hostPath) {
    if (!m_pendingDeletes.contains(hostPath)) {
        m_pendingDeletes.append(hostPath);
    }
    Later([](CEngine& engine) { engine.RunDeletions(); });
}

void CEngine::RunDeletions() {
    QStringList waiting;
    for (const QString& path : std::as_const(m_pendingDeletes)) {
        if (!QFileInfo::exists(path)) {
            continue;
        }
        QString url;
        if (m_library && FromHostPath(path, &url) == ERROR_SUCCESS && m_library->FindByUrl(url)) {
            continue; // the library took the file back in the meantime
        }
        if (IsOpenHere(path)) {
            waiting.append(path);
            continue;
        }
        if (!QFile::remove(path)) {
            qWarning().noquote() << "media engine: cannot delete" << path;
        }
    }
    m_pendingDeletes = waiting;
}

// --- devices --------------------------------------------------------------------------------------

ComPtr<IWMPSyncDevice> CEngine::DeviceObject(const QString& deviceId) {
    return ComPtr<IWMPSyncDevice>(MakeComObject<CSyncDevice>(shared_from_this(), deviceId).Get());
}

void CEngine::CheckDevices(bool fireChanges) {
    if (!m_devices) {
        return;
    }
    const QList<DeviceRecord> before = m_devices->Devices();
    if (!m_devices->Reload() || !fireChanges) {
        return;
    }
    // Each event makes its own device object when it is told.
    auto tell = [this](const QString& id, std::function<void(IEngineEvents&, IWMPSyncDevice*)> event) {
        const std::weak_ptr<CEngine> weak = weak_from_this();
        m_queue->Post([weak, id, event](IEngineEvents& events) {
            if (const auto engine = weak.lock()) {
                const ComPtr<IWMPSyncDevice> device = engine->DeviceObject(id);
                event(events, device.Get());
            }
        });
    };
    const QList<DeviceRecord> after = m_devices->Devices();
    for (const DeviceRecord& now : after) {
        const auto old = std::find_if(before.begin(), before.end(),
                                      [&now](const DeviceRecord& d) { return d.deviceId == now.deviceId; });
        const bool wasConnected = old != before.end() && old->connected;
        if (now.connected != wasConnected) {
            const bool connected = now.connected;
            tell(now.deviceId, [connected](IEngineEvents& events, IWMPSyncDevice* device) {
                connected ? events.FireDeviceConnect(device) : events.FireDeviceDisconnect(device);
            });
            continue;
        }
        if (old == before.end()) {
            continue;
        }
        if (old->status != now.status) {
            const auto status = static_cast<WMPDeviceStatus>(now.status);
            tell(now.deviceId, [status](IEngineEvents& events, IWMPSyncDevice* device) {
                events.FireDeviceStatusChange(device, status);
            });
        }
        if (old->syncState != now.syncState) {
            SyncStateChanged(now.deviceId, now.syncState);
        }
    }
    for (const DeviceRecord& old : before) {
        if (old.connected && !m_devices->Find(old.deviceId)) {
            tell(old.deviceId,
                 [](IEngineEvents& events, IWMPSyncDevice* device) { events.FireDeviceDisconnect(device); });
        }
    }
}

void CEngine::SyncStateChanged(const QString& deviceId, long state) {
    const std::weak_ptr<CEngine> weak = weak_from_this();
    m_queue->Post([weak, deviceId, state](IEngineEvents& events) {
        if (const auto engine = weak.lock()) {
            const ComPtr<IWMPSyncDevice> device = engine->DeviceObject(deviceId);
            events.FireDeviceSyncStateChange(device.Get(), static_cast<WMPSyncState>(state));
        }
    });
    if (state != wmpssSynchronizing || !m_faults.SyncFails(deviceId)) {
        return;
    }
    // The synchronisation fails at once: the error, then the stop, both on the next turn.
    Later([deviceId](CEngine& engine) {
        if (engine.m_stopped || !engine.m_devices) {
            return;
        }
        DeviceRecord* device = engine.m_devices->Find(deviceId);
        if (!device || device->syncState != wmpssSynchronizing) {
            return;
        }
        engine.RaiseDeviceSyncError(deviceId, QString());
        device->syncState = wmpssStopped;
        engine.m_devices->Save();
        engine.SyncStateChanged(deviceId, wmpssStopped);
    });
}

HRESULT CEngine::SetDeviceConnected(const QString& deviceId, bool connected) {
    if (!m_devices) {
        return E_FAIL;
    }
    CheckDevices(true); // report what the file says first, so the change below is the only news
    DeviceRecord* device = m_devices->Find(deviceId);
    if (!device) {
        return E_INVALIDARG;
    }
    if (device->connected == connected) {
        return S_FALSE;
    }
    device->connected = connected;
    if (!connected) {
        device->syncState = wmpssStopped;
    }
    if (!m_devices->Save()) {
        return E_FAIL;
    }
    const ComPtr<IWMPSyncDevice> object = DeviceObject(deviceId);
    m_queue->Fire([object, connected](IEngineEvents& events) {
        connected ? events.FireDeviceConnect(object.Get()) : events.FireDeviceDisconnect(object.Get());
    });
    return S_OK;
}

HRESULT CEngine::SetDeviceSyncState(const QString& deviceId, long state) {
    if (!m_devices) {
        return E_FAIL;
    }
    CheckDevices(true);
    DeviceRecord* device = m_devices->Find(deviceId);
    if (!device) {
        return E_INVALIDARG;
    }
    if (device->syncState == state) {
        return S_FALSE;
    }
    device->syncState = state;
    if (!m_devices->Save()) {
        return E_FAIL;
    }
    SyncStateChanged(deviceId, state);
    m_queue->Deliver();
    return S_OK;
}

HRESULT CEngine::RaiseDeviceSyncError(const QString& deviceId, const QString& mediaUrl) {
    if (!m_devices || !m_devices->Find(deviceId)) {
        return E_INVALIDARG;
    }
    ComPtr<IDispatch> media;
    if (const qint64 id = m_library && !mediaUrl.isEmpty() ? m_library->FindByUrl(mediaUrl) : 0) {
        media = MakeComObject<CLibraryMedia>(shared_from_this(), m_library, id).Get();
    }
    const ComPtr<IWMPSyncDevice> device = DeviceObject(deviceId);
    m_queue->Fire(
        [device, media](IEngineEvents& events) { events.FireDeviceSyncError(device.Get(), media.Get()); });
    return S_OK;
}
