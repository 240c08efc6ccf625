// The destination list: player devices and removable drives with a card, the combo box that shows
// them, and which of them is preferred or present.
#include "destination/DAPAcc.h"

#include "destination/PlayerInfoFile.h"
#include "platform/files/Volumes.h"
#include "ui/MyComboBox.h"

namespace {

const QString kPlayerDeviceName = QStringLiteral("Korvel Audio");
const QString kCardDeviceName = QStringLiteral("Digital Audio");
const QString kInternalStorage = QStringLiteral(" - Internal Storage");
const QString kExternalStorage = QStringLiteral(" - External Storage");
const QString kCardSuffix = QStringLiteral(" - SD");

QString RootOf(QChar letter) {
    return QString(letter) + QStringLiteral(":\\");
}

} // namespace

bool CDAPAcc::HasMedium(const QString& root) {
    DWORD sectors = 0;
    DWORD bytes = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    return GetDiskFreeSpace(root, &sectors, &bytes, &freeClusters, &totalClusters) && totalClusters != 0 &&
           sectors != 0 && bytes != 0;
}

QList<QChar> CDAPAcc::RemovableDrivesWithMedia() {
    QList<QChar> letters;
    const DWORD mask = GetLogicalDrives();
    for (int bit = 2; bit < 26; ++bit) {
        if (!(mask & (DWORD(1) << bit)))
            continue;
        const QChar letter(u'A' + bit);
        if (GetDriveType(RootOf(letter)) == DRIVE_REMOVABLE && HasMedium(RootOf(letter)))
            letters.append(letter);
    }
    return letters;
}

void CDAPAcc::EnumerateDestinations() {
    m_syncServices = nullptr;
    ComPtr<IWMPSyncServices> services;
    if (!m_player || FAILED(m_player.As(&services)) || !services)
        return; // the list stays as it was
    m_syncServices = services;
    m_list.clear();

    const long count = DeviceCount();
    for (long index = 0; index < count; ++index) {
        const ComPtr<IWMPSyncDevice> device = FetchDevice(index);
        if (!device)
            continue;
        const QString deviceName = DeviceText(device.Get(), &IWMPSyncDevice::get_deviceName);
        if (deviceName.isEmpty() || !deviceName.contains(kPlayerDeviceName))
            continue;
        QString name = DeviceText(device.Get(), &IWMPSyncDevice::get_friendlyName);
        if (name.isEmpty() || !IsConnected(device.Get()))
            continue;
        name.remove(kInternalStorage);
        name.replace(kExternalStorage, kCardSuffix);
        m_list.append(
            {.name = name, .serial = ItemInfo(device.Get(), QStringLiteral("SerialNumber")), .index = index});
    }

    for (const QChar letter : RemovableDrivesWithMedia()) {
        const QString path = QString(letter) + QLatin1Char(':');
        m_list.append({.name = DriveLabel(letter), .path = path, .index = MatchDrive(path)});
    }
}

long CDAPAcc::MatchDrive(const QString& path) {
    const long count = DeviceCount();
    for (long index = 0; index < count; ++index) {
        const ComPtr<IWMPSyncDevice> device = FetchDevice(index);
        if (!device || !IsConnected(device.Get()))
            continue;
        if (m_majorVersion == 10) {
            if (DeviceText(device.Get(), &IWMPSyncDevice::get_friendlyName).contains(path))
                return index;
            continue;
        }
        if (!DeviceText(device.Get(), &IWMPSyncDevice::get_deviceName).contains(kCardDeviceName))
            continue;
        const QString id = DeviceText(device.Get(), &IWMPSyncDevice::get_deviceId);
        if (id.isEmpty())
            continue;
        const std::optional<QString> line =
            CPlayerInfoFile::ReadFirstLine(HostPathOf(path + CPlayerInfoFile::Name()));
        if (!line) {
            // The player writes the file once it has a partnership with the device.
            device->createPartnership(VARIANT_FALSE);
            continue;
        }
        if (line->contains(id))
            return index;
    }
    return -1;
}

void CDAPAcc::Select(int entry) {
    if (CMyComboBox* combo = ComboBox())
        combo->Select(m_list.at(entry).name, entry);
}

void CDAPAcc::Refresh(bool selectDefault, bool closeDropDown) {
    QString previousName;
    QString previousSerial;
    if (!selectDefault) {
        previousName = GetSelectionText();
        if (previousName.isEmpty()) {
            selectDefault = true;
        } else {
            const int selection = GetSelection();
            if (selection >= 0 && selection < m_list.size())
                previousSerial = m_list.at(selection).serial;
        }
    }

    EnumerateDestinations();
    CMyComboBox* combo = ComboBox();
    if (combo)
        combo->Reset(closeDropDown);
    if (m_list.isEmpty()) {
        if (combo)
            combo->Select(QString(), -1);
        SetState(kNoDestination);
        return;
    }

    int selected = -1;
    for (int i = 0; i < m_list.size(); ++i) {
        if (combo)
            combo->AddString(m_list.at(i).name);
        if (selected >= 0)
            continue;
        if (selectDefault ? IsPreferred(m_list.at(i))
                          : m_list.at(i).name == previousName && m_list.at(i).serial == previousSerial)
            selected = i;
    }
    if (selectDefault && selected < 0) {
        for (int i = 0; i < m_list.size(); ++i) {
            if (IsPresent(m_list.at(i)))
                selected = i;
        }
    }
    if (selected >= 0)
        Select(selected);
    else if (combo)
        combo->Select(QString(), -1);
    SetState(kListed);
}

bool CDAPAcc::IsPreferred(const CDevInfo& entry) {
    if (!entry.IsDrive()) {
        const ComPtr<IWMPSyncDevice> device = FetchDevice(entry.index);
        return device &&
               !DeviceText(device.Get(), &IWMPSyncDevice::get_friendlyName).contains(kExternalStorage);
    }
    return RemovableDrivesWithMedia().contains(entry.path.at(0).toUpper());
}

bool CDAPAcc::IsPresent(const CDevInfo& entry) {
    if (!entry.IsDrive())
        return IsConnected(FetchDevice(entry.index).Get());
    DWORD sectors = 0;
    DWORD bytes = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    return GetDiskFreeSpace(entry.path + QLatin1Char('\\'), &sectors, &bytes, &freeClusters,
                            &totalClusters) &&
           totalClusters != 0;
}
