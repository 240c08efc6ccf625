#pragma once
// How the drive monitor looks at a physical CD drive: whether a disc is in it, whether it was
// swapped since the last look, and how its tray is opened. The product asks the kernel; tests put
// a scripted probe in its place (see CDriveProbeScope) and use disc images as "devices".

#include <QString>
#include <functional>

enum class DriveState {
    NoDisc,
    TrayOpen,
    DiscPresent,
    Unknown, // the drive cannot tell now (spinning up, no permission): keep what was known
};

struct DriveReading {
    DriveState state = DriveState::Unknown;
    // The drive says its medium changed since the previous look, even if a disc is in it now
    // (taken out and another put in between two looks).
    bool mediaChanged = false;
};

struct DriveProbe {
    // Looks at the drive without waiting for it. Called on the monitor's thread only.
    std::function<DriveReading(const QString& device)> read;
    // Opens the tray; may take seconds. Called on the monitor's thread only.
    std::function<bool(const QString& device, QString* error)> eject;
    // The mount table, and udev's folder of links by volume label: a data disc that the desktop
    // mounted is listed with its files and its label.
    QString mounts = QStringLiteral("/proc/self/mounts");
    QString byLabel = QStringLiteral("/dev/disk/by-label");
};

// The kernel's view through the CD-ROM ioctls, and libcdio's eject.
DriveProbe HostDriveProbe();
