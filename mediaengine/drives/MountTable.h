#pragma once
// The optical discs the system has mounted, read from a mounts file (/proc/self/mounts format). A
// data disc in a CD drive is reachable as files only through its mount point.

#include <QList>
#include <QString>
#include <optional>

class CMountTable {
public:
    struct Mount {
        QString device; // as the file names it
        QString point;
        QString type;
    };

    // Every line of the file; empty when it cannot be read.
    static QList<Mount> Read(const QString& mountsFile);
    // The iso9660 or udf mount of the device (compared after resolving links, so /dev/cdrom
    // matches /dev/sr0); nullopt when the disc is not mounted.
    static std::optional<Mount> OpticalMountOf(const QList<Mount>& mounts, const QString& device);
    // The volume label of a mounted disc: udev's link in byLabelDir that leads to the device, or
    // else the mount point's folder name (desktops mount a disc under its label).
    static QString LabelOf(const QString& byLabelDir, const Mount& mount);
};
