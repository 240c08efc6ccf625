#pragma once
// The machine's CD and DVD drives as libcdio finds them, put into the volume table as CD drives
// (from D: on, after the letters LoadHost gave). LoadHost lists the drives sysfs shows, with the
// letters they had before; this adds any that only libcdio knows. A drive whose data disc is mounted gets the
// mount point as its root, so its files can be listed; any other drive starts out empty until the engine's
// drive monitor has looked at it.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class CVolumes;

class CHostCdDrives {
public:
    struct Sources {
        // Device nodes of the drives; libcdio's list when empty.
        std::function<QStringList()> devices;
        QString mounts = QStringLiteral("/proc/self/mounts");
        QString byLabel = QStringLiteral("/dev/disk/by-label");
    };

    // libcdio's drive list (/dev/sr0, /dev/cdrom...), each drive once, as real device paths.
    static QStringList LibcdioDevices();
    // Adds every drive not yet in the table; returns the letters given, in order. A drive that finds
    // no free letter is left out.
    static QList<QChar> AddTo(CVolumes& volumes, const Sources& sources);
    static QList<QChar> AddTo(CVolumes& volumes);
};
