#include "mediaengine/drives/HostCdDrives.h"

#include "mediaengine/drives/MountTable.h"
#include "platform/files/Volumes.h"

#include <QFile>
#include <QFileInfo>

extern "C" {
#include <cdio/cdio.h>
}

namespace {

QString RealPath(const QString& device) {
    const QString canonical = QFileInfo(device).canonicalFilePath();
    return canonical.isEmpty() ? device : canonical;
}

} // namespace

QStringList CHostCdDrives::LibcdioDevices() {
    QStringList devices;
    char** list = cdio_get_devices(DRIVER_DEVICE);
    if (!list) {
        return devices;
    }
    for (char** entry = list; *entry; ++entry) {
        const QString device = RealPath(QFile::decodeName(*entry));
        if (!devices.contains(device)) {
            devices.append(device);
        }
    }
    cdio_free_device_list(list);
    return devices;
}

QList<QChar> CHostCdDrives::AddTo(CVolumes& volumes) {
    return AddTo(volumes, Sources{});
}

QList<QChar> CHostCdDrives::AddTo(CVolumes& volumes, const Sources& sources) {
    QList<QChar> letters;
    const QStringList devices = sources.devices ? sources.devices() : LibcdioDevices();
    if (devices.isEmpty()) {
        return letters;
    }
    QStringList listed;
    for (const CVolumes::Drive& drive : volumes.Drives()) {
        if (drive.type == DRIVE_CDROM && !drive.device.isEmpty()) {
            listed.append(RealPath(drive.device));
        }
    }
    const QList<CMountTable::Mount> mounts = CMountTable::Read(sources.mounts);
    for (const QString& given : devices) {
        const QString device = RealPath(given);
        if (device.isEmpty() || listed.contains(device)) {
            continue;
        }
        listed.append(device);
        const std::optional<CMountTable::Mount> mount = CMountTable::OpticalMountOf(mounts, device);
        const QString label = mount ? CMountTable::LabelOf(sources.byLabel, *mount) : QString();
        const QChar letter = volumes.AddCdDrive(device, label, mount ? mount->point : QString());
        if (letter.isNull()) {
            continue;
        }
        // Whether a disc is in an unmounted drive is for the drive monitor to find out: asking here
        // could wait on a drive that is spinning up.
        volumes.SetPresent(letter, mount.has_value());
        letters.append(letter);
    }
    return letters;
}
