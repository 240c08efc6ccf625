#include "mediaengine/devices/SyncDevice.h"

#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/MediaText.h"
#include "mediaengine/devices/DeviceList.h"
#include "mediaengine/devices/Devices.h"
#include "platform/Platform.h"
#include "platform/com/InterfaceTable.h"
#include "platform/files/Volumes.h"

CSyncDevice::CSyncDevice(std::shared_ptr<CDevices> devices, QString deviceId)
    : m_devices(std::move(devices)), m_deviceId(std::move(deviceId)) {}

HRESULT CSyncDevice::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPSyncDevice>(), ComInterface<IEngineItem>());
}

DeviceRecord* CSyncDevice::Record(const char* call) const {
    if (m_devices->Faults().Fails(EngineObject::Device, call)) {
        return nullptr;
    }
    return m_devices->Find(m_deviceId);
}

HRESULT CSyncDevice::get_friendlyName(BSTR* name) {
    const DeviceRecord* device = Record("get_friendlyName");
    return device ? ReturnText(device->friendlyName, name) : E_FAIL;
}

HRESULT CSyncDevice::get_deviceName(BSTR* name) {
    const DeviceRecord* device = Record("get_deviceName");
    return device ? ReturnText(device->deviceName, name) : E_FAIL;
}

HRESULT CSyncDevice::get_deviceId(BSTR* id) {
    const DeviceRecord* device = Record("get_deviceId");
    return device ? ReturnText(device->deviceId, id) : E_FAIL;
}

HRESULT CSyncDevice::get_partnershipIndex(long* index) {
    if (!index) {
        return E_POINTER;
    }
    const DeviceRecord* device = Record("get_partnershipIndex");
    if (!device) {
        return E_FAIL;
    }
    *index = device->partnership;
    return S_OK;
}

HRESULT CSyncDevice::get_connected(VARIANT_BOOL* connected) {
    if (!connected) {
        return E_POINTER;
    }
    const DeviceRecord* device = Record("get_connected");
    if (!device) {
        return E_FAIL;
    }
    *connected = device->connected ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CSyncDevice::get_status(WMPDeviceStatus* status) {
    if (!status) {
        return E_POINTER;
    }
    const DeviceRecord* device = Record("get_status");
    if (!device) {
        return E_FAIL;
    }
    *status = static_cast<WMPDeviceStatus>(device->status);
    return S_OK;
}

HRESULT CSyncDevice::get_syncState(WMPSyncState* state) {
    if (!state) {
        return E_POINTER;
    }
    const DeviceRecord* device = Record("get_syncState");
    if (!device) {
        return E_FAIL;
    }
    *state = static_cast<WMPSyncState>(device->syncState);
    return S_OK;
}

HRESULT CSyncDevice::getItemInfo(BSTR item, BSTR* value) {
    const DeviceRecord* device = Record("getItemInfo");
    if (!device) {
        return E_FAIL;
    }
    const QString name = BstrToQString(item);
    if (name.compare(QLatin1String("SerialNumber"), Qt::CaseInsensitive) == 0) {
        return ReturnText(device->serial, value);
    }
    const bool free = name.compare(QLatin1String("FreeSpace"), Qt::CaseInsensitive) == 0;
    const bool total = name.compare(QLatin1String("TotalSpace"), Qt::CaseInsensitive) == 0;
    if (!free && !total) {
        return E_INVALIDARG;
    }
    if (!device->connected) {
        return E_FAIL; // a device that is not there has no space to tell
    }
    qint64 bytes = free ? device->freeSpace : device->totalSpace;
    if (bytes < 0 && !device->drive.isNull() && CPlatform::Current().volumes) {
        quint64 freeBytes = 0;
        quint64 totalBytes = 0;
        if (CPlatform::Current().volumes->DiskSpace(device->drive, &freeBytes, &totalBytes) !=
            ERROR_SUCCESS) {
            return E_FAIL;
        }
        bytes = qint64(free ? freeBytes : totalBytes);
    }
    if (bytes < 0) {
        return E_FAIL;
    }
    return ReturnText(QString::number(bytes), value);
}

HRESULT CSyncDevice::createPartnership(VARIANT_BOOL) {
    return Record("createPartnership") ? m_devices->CreatePartnership(m_deviceId) : E_FAIL;
}

HRESULT CSyncDevice::deletePartnership() {
    return Record("deletePartnership") ? m_devices->DeletePartnership(m_deviceId) : E_FAIL;
}

HRESULT CSyncDevice::stop() {
    return Record("stop") ? m_devices->Stop(m_deviceId) : E_FAIL;
}

HRESULT CSyncDevice::isIdentical(IWMPSyncDevice* other, VARIANT_BOOL* identical) {
    if (m_devices->Faults().FailsPrecisely(EngineObject::Device, "isIdentical")) {
        return E_FAIL;
    }
    return CMediaText::Identical(this, other, identical);
}
