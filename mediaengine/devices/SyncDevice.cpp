#include "mediaengine/devices/SyncDevice.h"

#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/Engine.h"
#include "mediaengine/core/MediaText.h"
#include "mediaengine/devices/DeviceList.h"
#include "platform/Platform.h"
#include "platform/com/InterfaceTable.h"
#include "platform/files/Volumes.h"

#include <QDebug>
#include <QSaveFile>

CSyncDevice::CSyncDevice(std::shared_ptr<CEngine> engine, QString deviceId)
    : m_engine(std::move(engine)), m_deviceId(std::move(deviceId)) {}

HRESULT CSyncDevice::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPSyncDevice>(), ComInterface<IEngineItem>());
}

DeviceRecord* CSyncDevice::Record(const char* call) const {
    if (m_engine->Faults().Fails(EngineObject::Device, call) || !m_engine->Devices()) {
        return nullptr;
    }
    return m_engine->Devices()->Find(m_deviceId);
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
    DeviceRecord* device = Record("createPartnership");
    if (!device) {
        return E_FAIL;
    }
    if (!device->connected) {
        return E_FAIL;
    }
    HRESULT result = S_OK;
    if (device->partnership <= 0) {
        const long index = m_engine->Devices()->FreePartnership();
        if (index == 0) {
            result = E_FAIL; // all sixteen are taken
        } else {
            device->partnership = index;
            device->status = wmpdsPartnershipExists;
            m_engine->Devices()->Save();
        }
    }
    if (SUCCEEDED(result)) {
        WriteDeviceInfo(*device);
    }
    // No user interface: the partnership is made at once and reported on the next turn.
    const ComPtr<IWMPSyncDevice> self(this);
    m_engine->EventQueue().Post(
        [self, result](IEngineEvents& events) { events.FireCreatePartnershipComplete(self.Get(), result); });
    return S_OK;
}

HRESULT CSyncDevice::deletePartnership() {
    DeviceRecord* device = Record("deletePartnership");
    if (!device) {
        return E_FAIL;
    }
    device->partnership = 0;
    device->status = wmpdsNewDevice;
    device->syncState = wmpssStopped;
    m_engine->Devices()->Save();
    return S_OK;
}

HRESULT CSyncDevice::stop() {
    DeviceRecord* device = Record("stop");
    if (!device) {
        return E_FAIL;
    }
    // Only a change is news: reporting "stopped" for a stopped device would answer a program that
    // stops devices on each report with another report, for ever.
    if (device->syncState == wmpssStopped) {
        return S_OK;
    }
    device->syncState = wmpssStopped;
    m_engine->Devices()->Save();
    m_engine->SyncStateChanged(m_deviceId, wmpssStopped);
    return S_OK;
}

HRESULT CSyncDevice::isIdentical(IWMPSyncDevice* other, VARIANT_BOOL* identical) {
    if (m_engine->Faults().FailsPrecisely(EngineObject::Device, "isIdentical")) {
        return E_FAIL;
    }
    return CMediaText::Identical(this, other, identical);
}

void CSyncDevice::WriteDeviceInfo(const DeviceRecord& device) {
    if (device.drive.isNull()) {
        return; // a device without a drive of its own keeps its partnership in itself
    }
    QString host;
    if (ToHostPath(QString(device.drive) + QStringLiteral(":\\WMPInfo.xml"), &host) != ERROR_SUCCESS) {
        return;
    }
    // The device id leads the first line, raw (in a CDATA section, so ids with "&" stay as they
    // are): whoever matches drives to devices reads that line and looks for the id in it.
    auto cdata = [](QString text) {
        return QStringLiteral("<![CDATA[") +
               text.replace(QStringLiteral("]]>"), QStringLiteral("]]]]><![CDATA[>")) + QStringLiteral("]]>");
    };
    const QString firstLine = QStringLiteral("<WMPInfo><DeviceId>") + cdata(device.deviceId) +
                              QStringLiteral("</DeviceId><PartnershipIndex>") +
                              QString::number(device.partnership) +
                              QStringLiteral("</PartnershipIndex><FriendlyName>") +
                              cdata(device.friendlyName) + QStringLiteral("</FriendlyName></WMPInfo>");
    QSaveFile file(host);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning().noquote() << "media engine: cannot write" << host;
        return;
    }
    file.write(firstLine.toUtf8() + "\r\n");
    if (!file.commit()) {
        qWarning().noquote() << "media engine: cannot write" << host;
    }
}
