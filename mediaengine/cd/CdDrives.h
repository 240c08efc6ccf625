#pragma once
// The CD drives and their discs as a service of the engine: one slot per CD drive of the volume
// table, in letter order, each with the disc record and the playlist of the disc in it.
//
// Two kinds of CD drive: a sandbox drive names a disc image in its `disc` field and is read when a
// look at the drives (the media poll, a test's CheckMedia) sees the field change; a physical drive
// (a `device` and no `disc`) is watched by the drive monitor's thread, which reads a new disc there
// and reports it. The root folder of each drive shows the disc's tracks to the volume layer.

#include "mediaengine/cd/CdDisc.h"
#include "mediaengine/core/EngineContext.h"
#include "platform/com/ComPtr.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class CCdPlaylist;
class CCdRootTable;
class CDriveMonitor;
class CVolumes;
struct DiscInfo;
struct DriveReport;
struct MonitoredDrive;

class CCdDrives : public std::enable_shared_from_this<CCdDrives> {
public:
    using ReadDisc = std::function<bool(const QString& source, DiscInfo* info, QString* error)>;

    CCdDrives(EngineContext context, ReadDisc readDisc);
    ~CCdDrives();
    CCdDrives(const CCdDrives&) = delete;
    CCdDrives& operator=(const CCdDrives&) = delete;

    // discGone: the disc of a drive went (its rip must stop). lookLater: asks for a look at the
    // drives on a later turn, as a tray that was opened reports once the call returned.
    void SetCallbacks(std::function<void(QChar letter)> discGone, std::function<void()> lookLater);
    // A disc was read into a drive; called before anyone hears of it.
    void SetDiscArrived(std::function<void(const std::shared_ptr<CCdDisc>&)> arrived) {
        m_discArrived = std::move(arrived);
    }
    // The names of a disc changed after it was read: reported as a change of its drive's playlist
    // while the disc is still in.
    void DiscRenamed(const std::shared_ptr<CCdDisc>& disc);

    // Reads the drives (no news at the start), shows their roots to the volume layer and, when there
    // are physical drives, starts the drive monitor.
    void Start();
    // Stops the monitor and forgets the drives.
    void Shutdown();
    // Compares the drive table with what was seen last; queues CdromMediaChange for each drive whose
    // disc changed.
    void Check();

    int Count() const { return int(m_drives.size()); }
    QChar Letter(int index) const;
    int IndexOf(QChar letter) const;
    // The playlist of the disc now in the drive; null for a letter that is not a CD drive.
    ComPtr<CCdPlaylist> Playlist(QChar letter) const;
    // Sandbox drive: empties it at once and reports it on a later turn. Physical drive: the tray
    // opens on the monitor's thread and the monitor reports the empty drive.
    HRESULT Eject(QChar letter);

private:
    struct DriveSlot {
        QChar letter;
        QString seen; // what the volume table said of the drive when it was last read
        std::shared_ptr<CCdDisc> disc;
        ComPtr<CCdPlaylist> playlist;
        QString device; // a physical drive's device node; empty for a sandbox drive
    };

    void ReadDrives(bool tell);
    void LoadDisc(DriveSlot& slot, const QString& discPath);
    // Gives the slot its disc record (and a new playlist) and shows it in the drive's root.
    void SetDisc(DriveSlot& slot, std::shared_ptr<CCdDisc> disc);
    void DiscGoneFrom(QChar letter);
    // Starts the drive monitor when there are physical drives (or a test's probe), or tells the
    // running one which drives there are now.
    void UpdateMonitor();
    void StopMonitor();
    QList<MonitoredDrive> PhysicalDrives() const;
    // A report of the drive monitor, on the UI thread.
    void DriveReported(const DriveReport& report);
    QString ResolveDisc(const QString& disc) const;

    EngineContext m_context;
    ReadDisc m_readDisc;
    std::function<void(QChar)> m_discGone;
    std::function<void()> m_lookLater;
    std::function<void(const std::shared_ptr<CCdDisc>&)> m_discArrived;
    bool m_started = false;
    bool m_stopped = false;
    std::vector<DriveSlot> m_drives;
    std::unique_ptr<CDriveMonitor> m_monitor;
    unsigned m_monitorRun = 0; // tells a report of an earlier monitor from one of the current
    // Lives as long as the lister that reads it, which the volume table may keep a moment longer.
    std::shared_ptr<CCdRootTable> m_cdRoots;
    CVolumes* m_listerVolumes = nullptr; // where this service's lister is installed
};
