// The selected destination: its player device and partnership, whether it is ready, and the room
// used and free on it.
#include "destination/DAPAcc.h"

#include "platform/files/Volumes.h"

namespace {

const QString kNoSize = QStringLiteral("-- MB");

} // namespace

QString CDAPAcc::GetDriveRoot() const {
    const int selection = GetSelection();
    if (selection < 0 || selection >= m_list.size())
        return QString();
    return m_list.at(selection).path;
}

bool CDAPAcc::SelectDevice(int entry) {
    if (entry < 0 || entry >= m_list.size())
        return false;
    m_currentIndex = -1;
    CDevInfo info = m_list.at(entry);
    if (info.index < 0) {
        info.index = MatchDrive(info.path);
        m_list[entry] = info;
    }
    m_currentIndex = info.index;
    if (m_currentIndex < 0) {
        // No player device behind this entry: a device picked before must not answer for it.
        m_device.Reset();
        return false;
    }

    ComPtr<IWMPSyncDevice> device = FetchDevice(m_currentIndex);
    if (!device)
        return false;
    bool fetched = true;
    if (info.serial.isEmpty() || ItemInfo(device.Get(), QStringLiteral("SerialNumber")) == info.serial) {
        m_device.SetDevice(device.Get());
    } else {
        // The device numbers moved since the list was made: find the device by its serial number.
        const long count = DeviceCount();
        for (long index = 0; index < count; ++index) {
            device = FetchDevice(index);
            fetched = device != nullptr;
            if (device && ItemInfo(device.Get(), QStringLiteral("SerialNumber")) == info.serial) {
                m_device.SetDevice(device.Get());
                break;
            }
        }
    }

    const long partnership = PartnershipOf(m_device.Device());
    if (partnership != m_currentIndex) {
        m_list[entry].index = partnership;
        m_currentIndex = partnership;
    }
    return fetched;
}

void CDAPAcc::SetDeviceIndex(int entry, long index) {
    if (entry < 0 || entry >= m_list.size())
        return;
    if (index != m_currentIndex || index != m_list.at(entry).index) {
        m_currentIndex = index;
        m_list[entry].index = index;
        SelectDevice(entry);
    }
}

bool CDAPAcc::ConfirmDevice(IWMPSyncDevice* device) {
    const int selection = GetSelection();
    if (selection < 0 || selection >= m_list.size() || !m_device.IsCurrent(device))
        return false;
    SetState(kReady);
    SetDeviceIndex(selection, PartnershipOf(m_device.Device()));
    if (m_currentIndex > 0)
        m_syncPlaylists.ClearSyncMarks(m_currentIndex);
    return true;
}

bool CDAPAcc::Prepare() {
    const int selection = GetSelection();
    if (GetState() <= kNoDestination || m_list.isEmpty() || selection < 0 || selection >= m_list.size())
        return false;
    const QString root = GetDriveRoot();
    if (!root.isEmpty() && HasMedium(root + QLatin1Char('\\')))
        SetState(kReady);
    if (SelectDevice(selection) && m_device.GetDeviceStatus() != wmpdsPartnershipExists) {
        if (IWMPSyncDevice* device = m_device.Device())
            device->createPartnership(VARIANT_FALSE);
    }
    return true;
}

void CDAPAcc::ShowCapacity(const QString& used, const QString& free) {
    SetTextIfChanged(m_usedText, used);
    SetTextIfChanged(m_freeText, free);
}

void CDAPAcc::UpdateCapacity() {
    const QString root = GetDriveRoot();
    if (!root.isEmpty()) {
        DWORD sectors = 0;
        DWORD bytes = 0;
        DWORD freeClusters = 0;
        DWORD totalClusters = 0;
        if (!GetDiskFreeSpace(root + QLatin1Char('\\'), &sectors, &bytes, &freeClusters, &totalClusters))
            sectors = bytes = freeClusters = totalClusters = 0;
        const DWORD usedClusters = totalClusters >= freeClusters ? totalClusters - freeClusters : 0;
        ShowCapacity(FormatSize(usedClusters, sectors, bytes), FormatSize(freeClusters, sectors, bytes));
        // In 64 bits: a card of 4 GB and more holds more bytes than 32 bits count.
        const quint64 freeBytes = quint64(freeClusters) * sectors * bytes;
        m_freeMegabytes = float(double(freeBytes) / 1024.0 / 1024.0);
        if (totalClusters == 0 || sectors == 0 || bytes == 0)
            Refresh(false, true); // the card was taken out
        return;
    }
    if (GetSelection() < 0) {
        ShowCapacity(kNoSize, kNoSize);
        m_freeMegabytes = 0;
        return;
    }
    const qint64 free = ItemNumber(m_device.Device(), QStringLiteral("FreeSpace"));
    const qint64 total = ItemNumber(m_device.Device(), QStringLiteral("TotalSpace"));
    ShowCapacity(FormatSizeBytes(quint64(total > free ? total - free : 0)), FormatSizeBytes(quint64(free)));
    m_freeMegabytes = float(double(free) / 1024.0 / 1024.0);
}
