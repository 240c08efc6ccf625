#include "mediaengine/devices/DeviceList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <algorithm>

namespace {

int GroupNumber(const QString& group) {
    static const QRegularExpression digits(QStringLiteral("(\\d+)$"));
    const QRegularExpressionMatch match = digits.match(group);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

bool Truth(const QVariant& value) {
    const QString text = value.toString().trimmed();
    return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1") ||
           text.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

bool CDeviceList::Reload() {
    const QByteArray content = QFileInfo::exists(m_file) ? ReadAll(m_file) : QByteArray();
    if (m_read && content == m_seen) {
        return false;
    }
    m_read = true;
    m_seen = content;
    m_devices.clear();
    if (content.isEmpty()) {
        return true;
    }
    QSettings ini(m_file, QSettings::IniFormat);
    QStringList groups = ini.childGroups();
    std::stable_sort(groups.begin(), groups.end(),
                     [](const QString& a, const QString& b) { return GroupNumber(a) < GroupNumber(b); });
    for (const QString& group : groups) {
        if (!group.startsWith(QLatin1String("device"), Qt::CaseInsensitive)) {
            continue;
        }
        ini.beginGroup(group);
        DeviceRecord device;
        device.group = group;
        device.friendlyName = ini.value(QStringLiteral("friendlyName")).toString();
        device.deviceName = ini.value(QStringLiteral("deviceName")).toString();
        device.deviceId = ini.value(QStringLiteral("deviceId")).toString();
        device.serial = ini.value(QStringLiteral("serial")).toString();
        device.partnership = ini.value(QStringLiteral("partnership"), 0).toInt();
        device.connected = Truth(ini.value(QStringLiteral("connected"), QStringLiteral("false")));
        device.status = ini.value(QStringLiteral("status"), 0).toInt();
        device.syncState = ini.value(QStringLiteral("syncState"), 0).toInt();
        bool ok = false;
        const qint64 free = ini.value(QStringLiteral("freeSpace")).toLongLong(&ok);
        device.freeSpace = ok ? free : -1;
        const qint64 total = ini.value(QStringLiteral("totalSpace")).toLongLong(&ok);
        device.totalSpace = ok ? total : -1;
        const QString drive = ini.value(QStringLiteral("drive")).toString().trimmed();
        device.drive = drive.isEmpty() ? QChar() : drive.at(0).toUpper();
        ini.endGroup();
        if (device.deviceId.isEmpty()) {
            device.deviceId = group; // every device needs an identity
        }
        m_devices.append(device);
    }
    return true;
}

bool CDeviceList::Save() {
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    {
        QSettings ini(m_file, QSettings::IniFormat);
        for (const DeviceRecord& device : m_devices) {
            ini.beginGroup(device.group);
            ini.setValue(QStringLiteral("friendlyName"), device.friendlyName);
            ini.setValue(QStringLiteral("deviceName"), device.deviceName);
            ini.setValue(QStringLiteral("deviceId"), device.deviceId);
            ini.setValue(QStringLiteral("serial"), device.serial);
            ini.setValue(QStringLiteral("partnership"), qlonglong(device.partnership));
            ini.setValue(QStringLiteral("connected"),
                         device.connected ? QStringLiteral("true") : QStringLiteral("false"));
            ini.setValue(QStringLiteral("status"), qlonglong(device.status));
            ini.setValue(QStringLiteral("syncState"), qlonglong(device.syncState));
            if (device.freeSpace >= 0) {
                ini.setValue(QStringLiteral("freeSpace"), device.freeSpace);
            }
            if (device.totalSpace >= 0) {
                ini.setValue(QStringLiteral("totalSpace"), device.totalSpace);
            }
            if (!device.drive.isNull()) {
                ini.setValue(QStringLiteral("drive"), QString(device.drive));
            }
            ini.endGroup();
        }
        ini.sync();
        if (ini.status() != QSettings::NoError) {
            return false;
        }
    }
    m_seen = ReadAll(m_file);
    return true;
}

DeviceRecord* CDeviceList::Find(const QString& deviceId) {
    for (DeviceRecord& device : m_devices) {
        if (device.deviceId == deviceId) {
            return &device;
        }
    }
    return nullptr;
}

long CDeviceList::FreePartnership() const {
    for (long index = 1; index <= 16; ++index) {
        const bool taken = std::any_of(m_devices.begin(), m_devices.end(),
                                       [index](const DeviceRecord& d) { return d.partnership == index; });
        if (!taken) {
            return index;
        }
    }
    return 0;
}
