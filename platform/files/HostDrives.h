#pragma once
// The drives of the user's own machine: C: is the home folder; removable media come from the
// mount table and sysfs (USB card readers and sticks, SD slots on the MMC bus, which sysfs does not
// mark removable); the drive configuration file adds folders as cards and disc images as CD
// drives. Each device keeps its letter between runs, remembered by its file-system UUID or serial.
// CD drives of the machine are added by the media engine, which owns them.

#include "platform/files/DriveConfig.h"
#include "platform/files/DriveLetters.h"
#include "platform/files/VolumeDrive.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Where the machine's state is read; tests point these at a fake tree.
struct HostSources {
    QString home; // empty: the user's home folder
    // /proc/self/mountinfo, or a file in /proc/self/mounts format.
    QString mounts = QStringLiteral("/proc/self/mountinfo");
    QString sysBlock = QStringLiteral("/sys/block");
    QString byLabel = QStringLiteral("/dev/disk/by-label");
    QString byUuid = QStringLiteral("/dev/disk/by-uuid");
    QString byId = QStringLiteral("/dev/disk/by-id");
    QString byPath = QStringLiteral("/dev/disk/by-path");
    // Where the device nodes of the block devices are.
    QString dev = QStringLiteral("/dev");
    // The remembered letters; empty: remembered for this run only.
    QString letters;
    // The drive configuration file; empty: none.
    QString config;
    // Make the documents folder when it is missing.
    bool makeDocuments = false;

    // The machine's own, with the files in the user's configuration folder.
    static HostSources ForUser();
};

class CHostDrives {
public:
    struct Scan {
        VolumeDrive system;
        QList<VolumeDrive> configured;
        QList<VolumeDrive> cards;
        QList<VolumeDrive> cdDrives;
    };

    // Reads the drive configuration file and the remembered letters once.
    explicit CHostDrives(HostSources sources);

    QString Home() const { return m_home; }
    QString MountsFile() const { return m_sources.mounts; }
    // What was wrong with the configuration file, each naming the file and the line.
    QStringList Warnings() const { return m_warnings; }

    // Reads the machine's state now. Reads files only; never waits on a device.
    Scan Look() const;
    // Changes whenever Look would find something else worth a look: the mount table, a configured
    // folder or image that came or went, a CD drive plugged in, pulled out or known better.
    QByteArray Fingerprint() const;
    // The table with the scanned drives in it, given the table as it is: CD drives the engine
    // added stay, and every drive keeps the letter it has, else gets the one it had before, else a
    // free one (cards from E:, CD drives from D:). A CD drive still at the same device node keeps
    // what the media engine said of its disc. A drive that finds no letter is left out. Remembers
    // the letters given; does no I/O.
    VolumeDriveArray Place(const Scan& scan, const VolumeDriveArray& current);
    bool SaveLetters() { return m_letters.Save(); }
    // Takes over what an earlier look at the same machine remembered (a table loaded again keeps
    // the letters of devices that are away, even when nothing is written to a file).
    void KeepLettersOf(const CHostDrives& earlier);

private:
    struct CdDevice {
        QString name; // sr0
        QString identity;
        QString unreadable; // why its node cannot be read; empty when it can
    };
    // The CD drives in sysfs now; a drive pulled while it is looked at is left out.
    QList<CdDevice> CdDevices() const;

    HostSources m_sources;
    QString m_home;
    QList<CDriveConfig::Entry> m_config;
    QStringList m_warnings;
    CDriveLetters m_letters;
    mutable QStringList m_unreadableTold; // device nodes whose missing permission was logged
};
