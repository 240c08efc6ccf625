#pragma once
// Watches the physical CD drives on a thread of its own, so the UI thread never waits on a drive.
// Every kPollMs it asks the probe whether each drive holds a disc; when a disc comes (or is
// swapped) it reads the disc's table of contents and album data right there, and it reports every
// change through the reporter, on its own thread. The reporter hands the report to the UI thread;
// nothing here touches the engine.
//
// It also follows the mount table, so a data disc that the desktop mounts a moment after it came
// in gets its folder, and it opens trays (Eject), which can take the drive seconds.

#include "mediaengine/disc/DiscInfo.h"
#include "mediaengine/drives/DriveProbe.h"
#include "mediaengine/drives/MountTable.h"

#include <QChar>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

struct MonitoredDrive {
    QChar letter;
    QString device;
};

struct DriveReport {
    QChar letter;
    QString device;
    bool present = false;     // a disc is in the drive
    bool discChanged = false; // a disc came, went or was swapped, or could be read at last
    bool read = false;        // info holds the disc (present only)
    DiscInfo info;
    QString error;      // why the disc could not be read
    QString mountPoint; // where its data session is mounted; empty when not
    QString mountLabel;
};

class CDriveMonitor {
public:
    using ReadDisc = std::function<bool(const QString& source, DiscInfo* info, QString* error)>;
    using Reporter = std::function<void(const DriveReport& report)>;

    static constexpr int kPollMs = 500;
    // A disc that cannot be read is tried again on the next looks: a drive may report a disc
    // before it can read it.
    static constexpr int kReadAttempts = 3;

    CDriveMonitor(DriveProbe probe, ReadDisc readDisc, Reporter reporter, int pollMs = kPollMs);
    ~CDriveMonitor(); // stops and joins
    CDriveMonitor(const CDriveMonitor&) = delete;
    CDriveMonitor& operator=(const CDriveMonitor&) = delete;

    void Start(const QList<MonitoredDrive>& drives);
    // The drives to watch from the next look on; a drive new to the list is reported afresh.
    void SetDrives(const QList<MonitoredDrive>& drives);
    // Opens the tray of the device on the monitor's thread; returns at once.
    void Eject(const QString& device);
    // Stops the thread and waits for it (and for a read or eject under way).
    void Stop();

private:
    struct Seen {
        bool known = false;
        bool present = false;
        bool readOk = false;
        int readAttempts = 0;
        DiscInfo info;
        QString error;
        QString mountPoint;
        QString mountLabel;
    };

    void Run();
    void Look(const MonitoredDrive& drive, const QList<CMountTable::Mount>& mounts);
    // Reads the disc into seen; true when it could be read.
    bool ReadInto(const QString& device, Seen* seen);

    const DriveProbe m_probe;
    const ReadDisc m_readDisc;
    const Reporter m_reporter;
    const int m_pollMs;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    QList<MonitoredDrive> m_drives;
    QStringList m_ejects;
    std::thread m_thread;

    QMap<QString, Seen> m_seen; // by device; the monitor's thread only
};
