#include "mediaengine/drives/DriveProbe.h"

#include <QFile>

extern "C" {
#include <cdio/cdio.h>
}

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

DriveReading ReadDrive(const QString& device) {
    DriveReading reading;
    // O_NONBLOCK: the open must neither wait for a disc nor close an open tray.
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // A USB drive that was unplugged has no disc; no permission tells nothing.
        reading.state =
            errno == ENOENT || errno == ENXIO || errno == ENODEV ? DriveState::NoDisc : DriveState::Unknown;
        return reading;
    }
    switch (::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT)) {
    case CDS_NO_DISC:
        reading.state = DriveState::NoDisc;
        break;
    case CDS_TRAY_OPEN:
        reading.state = DriveState::TrayOpen;
        break;
    case CDS_DISC_OK:
        reading.state = DriveState::DiscPresent;
        break;
    case CDS_NO_INFO: {
        // Drives that cannot report their tray still answer what kind of disc they hold.
        const int disc = ::ioctl(fd, CDROM_DISC_STATUS, 0);
        if (disc == CDS_NO_DISC) {
            reading.state = DriveState::NoDisc;
        } else if (disc >= CDS_AUDIO && disc <= CDS_MIXED) {
            reading.state = DriveState::DiscPresent;
        }
        break;
    }
    default: // CDS_DRIVE_NOT_READY while it spins up, or an error
        break;
    }
    reading.mediaChanged = ::ioctl(fd, CDROM_MEDIA_CHANGED, CDSL_CURRENT) == 1;
    ::close(fd);
    return reading;
}

bool EjectDrive(const QString& device, QString* error) {
    const driver_return_code_t result = cdio_eject_media_drive(QFile::encodeName(device).constData());
    if (result == DRIVER_OP_SUCCESS) {
        return true;
    }
    if (error) {
        *error = QString::fromLatin1(cdio_driver_errmsg(result));
    }
    return false;
}

} // namespace

DriveProbe HostDriveProbe() {
    DriveProbe probe;
    probe.read = ReadDrive;
    probe.eject = EjectDrive;
    return probe;
}
