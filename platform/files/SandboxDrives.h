#pragma once
// The drive table of a sandbox directory, kept in its sandbox.ini: one [drive_X] group per drive
// (type, label, serial, fs, capacity, present, root, disc) and the user's name under [user].

#include "platform/files/VolumeDrive.h"

#include <QList>
#include <QString>

class CSandboxDrives {
public:
    // Reads dir/sandbox.ini. False (outputs untouched) when the file is missing or describes a
    // drive badly. Missing drive folders are created.
    static bool Load(const QString& dir, VolumeDriveArray* drives, QString* user);
    // Writes the drive groups and the user back, keeping any other group of the file.
    static bool Save(const QString& dir, const QList<VolumeDrive>& drives, const QString& user);
};
