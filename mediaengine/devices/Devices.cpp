#include "mediaengine/devices/Devices.h"

#include "mediaengine/Logging.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/RunLater.h"
#include "mediaengine/devices/SyncDevice.h"
#include "platform/files/Volumes.h"

#include <QDebug>
#include <QSaveFile>
#include <algorithm>

CDevices::CDevices(EngineContext context, const QString& file)
    : m_context(std::move(context)), m_list(file) {}

void CDevices::Start() {
    m_list.Reload();
}

ComPtr<IWMPSyncDevice> CDevices::DeviceObject(const QString& deviceId) {
    return ComPtr<IWMPSyncDevice>(MakeComObject<CSyncDevice>(shared_from_this(), deviceId).Get());
}

void CDevices::Tell(const QString& deviceId, std::function<void(IEngineEvents&, IWMPSyncDevice*)> event) {
    const std::weak_ptr<CDevices> weak = weak_from_this();
    m_context.events->Post([weak, deviceId, event](IEngineEvents& events) {
        if (const auto devices = weak.lock()) {
            const ComPtr<IWMPSyncDevice> device = devices->DeviceObject(deviceId);
            event(events, device.Get());
        }
    });
}

void CDevices::Check() {
    const QList<DeviceRecord> before = m_list.Devices();
    if (!m_list.Reload()) {
        return;
    }
    const QList<DeviceRecord> after = m_list.Devices();
    for (const DeviceRecord& now : after) {
        const auto old = std::find_if(before.begin(), before.end(),
                                      [&now](const DeviceRecord& d) { return d.deviceId == now.deviceId; });
        const bool wasConnected = old != before.end() && old->connected;
        if (now.connected != wasConnected) {
            const bool connected = now.connected;
            Tell(now.deviceId, [connected](IEngineEvents& events, IWMPSyncDevice* device) {
                connected ? events.FireDeviceConnect(device) : events.FireDeviceDisconnect(device);
            });
            continue;
        }
        if (old == before.end()) {
            continue;
        }
        if (old->status != now.status) {
            const auto status = static_cast<WMPDeviceStatus>(now.status);
            Tell(now.deviceId, [status](IEngineEvents& events, IWMPSyncDevice* device) {
                events.FireDeviceStatusChange(device, status);
            });
        }
        if (old->syncState != now.syncState) {
            SyncStateChanged(now.deviceId, now.syncState);
        }
    }
    for (const DeviceRecord& old : before) {
        if (old.connected && !m_list.Find(old.deviceId)) {
            Tell(old.deviceId,
                 [](IEngineEvents& events, IWMPSyncDevice* device) { events.FireDeviceDisconnect(device); });
        }
    }
}

void CDevices::SyncStateChanged(const QString& deviceId, long state) {
    Tell(deviceId, [state](IEngineEvents& events, IWMPSyncDevice* device) {
        events.FireDeviceSyncStateChange(device, static_cast<WMPSyncState>(state));
    });
    if (state != wmpssSynchronizing || !m_context.faults->SyncFails(deviceId)) {
        return;
    }
    // The synchronisation fails at once: the error, then the stop, both on the next turn.
    RunLater(m_context.loop, weak_from_this(), [deviceId](CDevices& self) {
        DeviceRecord* device = self.m_list.Find(deviceId);
        if (self.m_stopped || !device || device->syncState != wmpssSynchronizing) {
            return;
        }
        self.RaiseSyncError(deviceId, nullptr);
        self.Stop(deviceId);
    });
}

HRESULT CDevices::CreatePartnership(const QString& deviceId) {
    DeviceRecord* device = m_list.Find(deviceId);
    if (!device || !device->connected) {
        return E_FAIL;
    }
    HRESULT result = S_OK;
    if (device->partnership <= 0) {
        const long index = m_list.FreePartnership();
        if (index == 0) {
            result = E_FAIL; // all sixteen are taken
        } else {
            device->partnership = index;
            device->status = wmpdsPartnershipExists;
            m_list.Save();
        }
    }
    if (SUCCEEDED(result)) {
        WriteDeviceInfo(*device);
    }
    Tell(deviceId, [result](IEngineEvents& events, IWMPSyncDevice* object) {
        events.FireCreatePartnershipComplete(object, result);
    });
    return S_OK;
}

HRESULT CDevices::DeletePartnership(const QString& deviceId) {
    DeviceRecord* device = m_list.Find(deviceId);
    if (!device) {
        return E_FAIL;
    }
    device->partnership = 0;
    device->status = wmpdsNewDevice;
    device->syncState = wmpssStopped;
    m_list.Save();
    return S_OK;
}

HRESULT CDevices::Stop(const QString& deviceId) {
    DeviceRecord* device = m_list.Find(deviceId);
    if (!device) {
        return E_FAIL;
    }
    // Only a change is news: reporting "stopped" for a stopped device would answer a program that
    // stops devices on each report with another report, for ever.
    if (device->syncState == wmpssStopped) {
        return S_OK;
    }
    device->syncState = wmpssStopped;
    m_list.Save();
    SyncStateChanged(deviceId, wmpssStopped);
    return S_OK;
}

HRESULT CDevices::SetConnected(const QString& deviceId, bool connected) {
    Check(); // what the file says first, so the change below is the only news
    DeviceRecord* device = m_list.Find(deviceId);
    if (!device) {
        return E_INVALIDARG;
    }
    if (device->connected == connected) {
        return S_FALSE;
    }
    device->connected = connected;
    if (!connected) {
        device->syncState = wmpssStopped;
    }
    if (!m_list.Save()) {
        return E_FAIL;
    }
    Tell(deviceId, [connected](IEngineEvents& events, IWMPSyncDevice* object) {
        connected ? events.FireDeviceConnect(object) : events.FireDeviceDisconnect(object);
    });
    m_context.events->Deliver();
    return S_OK;
}

HRESULT CDevices::SetSyncState(const QString& deviceId, long state) {
    Check();
    DeviceRecord* device = m_list.Find(deviceId);
    if (!device) {
        return E_INVALIDARG;
    }
    if (device->syncState == state) {
        return S_FALSE;
    }
    device->syncState = state;
    if (!m_list.Save()) {
        return E_FAIL;
    }
    SyncStateChanged(deviceId, state);
    m_context.events->Deliver();
    return S_OK;
}

HRESULT CDevices::RaiseSyncError(const QString& deviceId, IDispatch* media) {
    if (!m_list.Find(deviceId)) {
        return E_INVALIDARG;
    }
    const ComPtr<IWMPSyncDevice> device = DeviceObject(deviceId);
    const ComPtr<IDispatch> failed(media);
    m_context.events->Fire(
        [device, failed](IEngineEvents& events) { events.FireDeviceSyncError(device.Get(), failed.Get()); });
    return S_OK;
}

void CDevices::WriteDeviceInfo(const DeviceRecord& device) {
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
        qCWarning(lcMediaEngine).noquote() << "media engine: cannot write" << host;
        return;
    }
    file.write(firstLine.toUtf8() + "\r\n");
    if (!file.commit()) {
        qCWarning(lcMediaEngine).noquote() << "media engine: cannot write" << host;
    }
}
