#pragma once
// One drive of the drive table: a letter C: to Z: mapped onto a folder of the host (or onto a CD
// drive read through the media engine only).

#include "platform/win/WinTypes.h"

#include <QChar>
#include <QString>

#include <array>
#include <optional>

struct VolumeDrive {
    QChar letter;
    UINT type = DRIVE_FIXED;
    QString label;
    DWORD serial = 0;
    QString fileSystem = QStringLiteral("FAT32");
    // Host folder that is the drive's root; empty when its contents are not reachable as files
    // (a CD drive read through the media engine only).
    QString root;
    // False for a pulled card or an empty CD drive: the letter stays, the files do not.
    bool present = true;
    // Mounted read-only: files can be read, nothing written.
    bool readOnly = false;
    // Size of the medium in bytes. Without it the host file system's own numbers are reported.
    std::optional<quint64> capacity;
    // CD drives: the disc image in the drive (sandbox) or the host device node.
    QString disc;
    QString device;
    // Host mode: what the device is known by between runs (file-system UUID, serial, a configured
    // path), so it gets its letter back; empty when it cannot be told apart from another.
    QString identity;
};

// Slot 0 is A:, slot 25 is Z:.
using VolumeDriveArray = std::array<std::optional<VolumeDrive>, 26>;
