#pragma once
// The synchronisation devices of the machine, described by an ini file (the sandbox's
// engine/devices.ini), one group per device:
//
//   [device1]
//   friendlyName=Korvel DF-X1 - Internal Storage
//   deviceName=Korvel Audio DF-X1
//   deviceId=USB\VID_1234&PID_5678\0001
//   serial=0001
//   partnership=1          ; 1..16, 0 without a partnership
//   connected=true
//   status=1               ; WMPDeviceStatus
//   syncState=2            ; WMPSyncState
//   freeSpace=1048576      ; bytes; left out: the free space of `drive`
//   totalSpace=268435456
//   drive=F                ; the drive the device's storage is mounted as, if any
//
// Groups are listed in the order of the number after "device". Without the file there are no
// devices (the host has no device backend yet).

#include "platform/win/WinTypes.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>

struct DeviceRecord {
    QString group;
    QString friendlyName;
    QString deviceName;
    QString deviceId;
    QString serial;
    long partnership = 0;
    bool connected = false;
    long status = 0;
    long syncState = 0;
    qint64 freeSpace = -1;
    qint64 totalSpace = -1;
    QChar drive;
};

class CDeviceList {
public:
    explicit CDeviceList(QString file) : m_file(std::move(file)) {}

    // Reads the file again when it changed since the last read; true when it did.
    bool Reload();
    bool Save();
    QString File() const { return m_file; }

    const QList<DeviceRecord>& Devices() const { return m_devices; }
    DeviceRecord* Find(const QString& deviceId);
    // The lowest partnership index 1..16 no device holds; 0 when all are taken.
    long FreePartnership() const;

private:
    QString m_file;
    QByteArray m_seen; // the file's content when last read or written
    bool m_read = false;
    QList<DeviceRecord> m_devices;
};
