// Synchronisation devices described by the sandbox's devices.ini: what the program reads of them,
// the partnership and stop calls with the events that follow, and devices coming and going.
#include "platform/files/Volumes.h"
#include "tests/support/engine/EngineFixture.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace {

class Devices : public CEngineFixture {
protected:
    QString IniPath() const { return QDir(m_sandbox->EngineDir()).filePath(QStringLiteral("devices.ini")); }
    void WriteDevices() {
        QFile file(IniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[device1]\n"
                   "friendlyName=Korvel DF-X1 - Internal Storage\n"
                   "deviceName=Korvel Audio DF-X1\n"
                   "deviceId=USB\\\\VID_0A12&PID_0001\\\\A1\n"
                   "serial=A1\n"
                   "partnership=1\n"
                   "connected=true\n"
                   "status=1\n"
                   "syncState=2\n"
                   "freeSpace=1048576\n"
                   "totalSpace=268435456\n"
                   "[device2]\n"
                   "friendlyName=Korvel DF-X1 - External Storage\n"
                   "deviceName=Korvel Audio DF-X1\n"
                   "deviceId=CARD-B2\n"
                   "serial=B2\n"
                   "connected=true\n"
                   "status=5\n"
                   "drive=E\n"
                   "[device10]\n"
                   "friendlyName=Other Player\n"
                   "deviceName=Generic MTP\n"
                   "deviceId=MTP-C3\n"
                   "serial=C3\n"
                   "connected=false\n");
    }
    ComPtr<IWMPSyncServices> Services() const {
        ComPtr<IWMPSyncServices> services;
        EXPECT_EQ(m_player.As(&services), S_OK);
        return services;
    }
    ComPtr<IWMPSyncDevice> Device(long index) const {
        ComPtr<IWMPSyncDevice> device;
        EXPECT_EQ(Services()->getDevice(index, &device), S_OK);
        return device;
    }
    static QString Text(HRESULT (IWMPSyncDevice::*getter)(BSTR*), IWMPSyncDevice* device) {
        CComBSTR text;
        return SUCCEEDED((device->*getter)(&text)) ? text.ToQString() : QStringLiteral("<fail>");
    }
    static QString Item(IWMPSyncDevice* device, const QString& name) {
        CComBSTR text;
        return SUCCEEDED(device->getItemInfo(CComBSTR(name), &text)) ? text.ToQString()
                                                                     : QStringLiteral("<fail>");
    }
    static bool Identical(IWMPSyncDevice* a, IWMPSyncDevice* b) {
        VARIANT_BOOL same = VARIANT_FALSE;
        return SUCCEEDED(a->isIdentical(b, &same)) && same == VARIANT_TRUE;
    }
};

TEST_F(Devices, AreListedAsTheSandboxFileDescribesThem) {
    WriteDevices();
    CreatePlayer();
    long count = 0;
    ASSERT_EQ(Services()->get_deviceCount(&count), S_OK);
    ASSERT_EQ(count, 3);
    const ComPtr<IWMPSyncDevice> internal = Device(0);
    EXPECT_EQ(Text(&IWMPSyncDevice::get_friendlyName, internal.Get()),
              QStringLiteral("Korvel DF-X1 - Internal Storage"));
    EXPECT_EQ(Text(&IWMPSyncDevice::get_deviceName, internal.Get()), QStringLiteral("Korvel Audio DF-X1"));
    EXPECT_EQ(Text(&IWMPSyncDevice::get_deviceId, internal.Get()),
              QStringLiteral("USB\\VID_0A12&PID_0001\\A1"));
    long partnership = -1;
    ASSERT_EQ(internal->get_partnershipIndex(&partnership), S_OK);
    EXPECT_EQ(partnership, 1);
    WMPDeviceStatus status = wmpdsUnknown;
    ASSERT_EQ(internal->get_status(&status), S_OK);
    EXPECT_EQ(status, wmpdsPartnershipExists);
    WMPSyncState state = wmpssUnknown;
    ASSERT_EQ(internal->get_syncState(&state), S_OK);
    EXPECT_EQ(state, wmpssStopped);
    EXPECT_EQ(Item(internal.Get(), QStringLiteral("SerialNumber")), QStringLiteral("A1"));
    EXPECT_EQ(Item(internal.Get(), QStringLiteral("FreeSpace")), QStringLiteral("1048576"));
    EXPECT_EQ(Item(internal.Get(), QStringLiteral("TotalSpace")), QStringLiteral("268435456"));
    EXPECT_EQ(Item(internal.Get(), QStringLiteral("Colour")), QStringLiteral("<fail>"));

    // Space of a device that lives on a drive is that drive's.
    const ComPtr<IWMPSyncDevice> card = Device(1);
    EXPECT_EQ(Item(card.Get(), QStringLiteral("TotalSpace")), QString::number(256ull * 1024 * 1024));
    EXPECT_GT(Item(card.Get(), QStringLiteral("FreeSpace")).toLongLong(), 0);

    const ComPtr<IWMPSyncDevice> absent = Device(2);
    VARIANT_BOOL connected = VARIANT_TRUE;
    ASSERT_EQ(absent->get_connected(&connected), S_OK);
    EXPECT_EQ(connected, VARIANT_FALSE);
    EXPECT_EQ(Item(absent.Get(), QStringLiteral("FreeSpace")), QStringLiteral("<fail>"));

    EXPECT_TRUE(Identical(internal.Get(), Device(0).Get()));
    EXPECT_FALSE(Identical(internal.Get(), card.Get()));
    ComPtr<IWMPSyncDevice> none;
    EXPECT_EQ(Services()->getDevice(3, &none), E_INVALIDARG);
    MediaEngineFaults faults;
    faults.failingCalls = {QStringLiteral("getDevice")};
    Test()->SetFaults(faults);
    EXPECT_EQ(Services()->getDevice(0, &none), E_FAIL);
}

TEST_F(Devices, PartnershipAndStopAreReportedOnTheNextTurn) {
    WriteDevices();
    CreatePlayer();
    const RecorderPtr sink = Advise();
    const ComPtr<IWMPSyncDevice> card = Device(1);
    ASSERT_EQ(card->createPartnership(VARIANT_FALSE), S_OK);
    EXPECT_TRUE(sink->events.empty());
    m_loop.Pump();
    ASSERT_EQ(sink->Names(), QStringList{QStringLiteral("CreatePartnershipComplete")});
    EXPECT_EQ(sink->events[0].value, S_OK);
    ComPtr<IWMPSyncDevice> reported;
    ASSERT_EQ(sink->events[0].object.As(&reported), S_OK);
    EXPECT_TRUE(Identical(card.Get(), reported.Get()));
    long partnership = 0;
    ASSERT_EQ(card->get_partnershipIndex(&partnership), S_OK);
    EXPECT_EQ(partnership, 2) << "1 belongs to the other device";
    WMPDeviceStatus status = wmpdsUnknown;
    card->get_status(&status);
    EXPECT_EQ(status, wmpdsPartnershipExists);
    EXPECT_EQ(QSettings(IniPath(), QSettings::IniFormat).value(QStringLiteral("device2/partnership")).toInt(),
              2);

    ASSERT_EQ(card->deletePartnership(), S_OK);
    card->get_partnershipIndex(&partnership);
    EXPECT_EQ(partnership, 0);
    card->get_status(&status);
    EXPECT_EQ(status, wmpdsNewDevice);

    // Stopping a stopped device is no change and reports nothing; stopping a running one does.
    ASSERT_EQ(Device(0)->stop(), S_OK);
    m_loop.Pump();
    ASSERT_EQ(sink->events.size(), 1u);
    ASSERT_EQ(Test()->SetDeviceSyncState(QStringLiteral("USB\\VID_0A12&PID_0001\\A1"), wmpssSynchronizing),
              S_OK);
    ASSERT_EQ(Device(0)->stop(), S_OK);
    m_loop.Pump();
    ASSERT_EQ(sink->events.size(), 3u);
    EXPECT_EQ(sink->events[1].name, QStringLiteral("DeviceSyncStateChange"));
    EXPECT_EQ(sink->events[1].value, wmpssSynchronizing);
    EXPECT_EQ(sink->events[2].name, QStringLiteral("DeviceSyncStateChange"));
    EXPECT_EQ(sink->events[2].value, wmpssStopped);

    EXPECT_EQ(Device(2)->createPartnership(VARIANT_FALSE), E_FAIL) << "not connected";
}

TEST_F(Devices, ConnectingAndDisconnectingFireTheirEvents) {
    WriteDevices();
    CreatePlayer();
    const RecorderPtr direct = Advise();
    const RecorderPtr dispatch = Advise(true);

    ASSERT_EQ(Test()->SetDeviceConnected(QStringLiteral("CARD-B2"), false), S_OK);
    ASSERT_EQ(Test()->SetDeviceConnected(QStringLiteral("CARD-B2"), false), S_FALSE);
    ASSERT_EQ(Test()->SetDeviceConnected(QStringLiteral("MTP-C3"), true), S_OK);
    EXPECT_EQ(Test()->SetDeviceConnected(QStringLiteral("nothing"), true), E_INVALIDARG);
    for (const RecorderPtr& sink : {direct, dispatch}) {
        ASSERT_EQ(sink->Names(),
                  (QStringList{QStringLiteral("DeviceDisconnect"), QStringLiteral("DeviceConnect")}));
        ComPtr<IWMPSyncDevice> first;
        ComPtr<IWMPSyncDevice> second;
        ASSERT_EQ(sink->events[0].object.As(&first), S_OK);
        ASSERT_EQ(sink->events[1].object.As(&second), S_OK);
        EXPECT_EQ(Text(&IWMPSyncDevice::get_deviceId, first.Get()), QStringLiteral("CARD-B2"));
        EXPECT_EQ(Text(&IWMPSyncDevice::get_deviceId, second.Get()), QStringLiteral("MTP-C3"));
    }
    VARIANT_BOOL connected = VARIANT_TRUE;
    Device(1)->get_connected(&connected);
    EXPECT_EQ(connected, VARIANT_FALSE);

    // Someone edits the file: the poll reports it.
    {
        QSettings ini(IniPath(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("device1/connected"), QStringLiteral("false"));
        ini.setValue(QStringLiteral("device10/syncState"), 1);
    }
    m_loop.Advance(kMediaPollMs);
    const QStringList names = direct->Names();
    ASSERT_EQ(names.size(), 4);
    EXPECT_EQ(names.mid(2),
              (QStringList{QStringLiteral("DeviceDisconnect"), QStringLiteral("DeviceSyncStateChange")}));
    EXPECT_EQ(direct->events[3].value, wmpssSynchronizing);
}

} // namespace

namespace {

class DeviceEvents : public CEngineFixture {
protected:
    QString IniPath() const { return QDir(m_sandbox->EngineDir()).filePath(QStringLiteral("devices.ini")); }
    void Write(const QByteArray& text) {
        QFile file(IniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    ComPtr<IWMPSyncDevice> Device(long index) const {
        ComPtr<IWMPSyncServices> services;
        EXPECT_EQ(m_player.As(&services), S_OK);
        ComPtr<IWMPSyncDevice> device;
        EXPECT_EQ(services->getDevice(index, &device), S_OK);
        return device;
    }
    static QString Id(IUnknown* object) {
        ComPtr<IWMPSyncDevice> device;
        if (!object || ComPtr<IUnknown>(object).As(&device) != S_OK) {
            return QStringLiteral("<none>");
        }
        CComBSTR id;
        device->get_deviceId(&id);
        return id.ToQString();
    }
};

TEST_F(DeviceEvents, ASyncErrorCanBeRaisedOrInjected) {
    Write("[device1]\ndeviceId=DEV-A\nconnected=true\nstatus=1\nsyncState=2\n"
          "[device2]\ndeviceId=DEV-B\nconnected=true\nstatus=1\nsyncState=2\n");
    CreatePlayer();
    const RecorderPtr direct = Advise();
    const RecorderPtr dispatch = Advise(true);

    // Raised by the sandbox, with the library item that failed.
    const QString song = QStringLiteral("C:\\Users\\user\\Music\\x.wpl");
    QFile file(Host(song));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ComPtr<IWMPMedia> item;
    ASSERT_EQ(Library()->add(CComBSTR(song), &item), S_OK);
    direct->events.clear();
    dispatch->events.clear();
    ASSERT_EQ(Test()->RaiseDeviceSyncError(QStringLiteral("DEV-B"), song), S_OK);
    EXPECT_EQ(Test()->RaiseDeviceSyncError(QStringLiteral("none"), QString()), E_INVALIDARG);
    for (const RecorderPtr& sink : {direct, dispatch}) {
        ASSERT_EQ(sink->Names(), QStringList{QStringLiteral("DeviceSyncError")});
        EXPECT_EQ(Id(sink->events[0].object.Get()), QStringLiteral("DEV-B"));
        ComPtr<IWMPMedia> failed;
        ASSERT_EQ(sink->events[0].media.As(&failed), S_OK);
        VARIANT_BOOL same = VARIANT_FALSE;
        ASSERT_EQ(failed->get_isIdentical(item.Get(), &same), S_OK);
        EXPECT_EQ(same, VARIANT_TRUE);
    }

    // Injected: the device's synchronisation fails as soon as it starts, and stops.
    MediaEngineFaults faults;
    faults.syncErrorDevices = {QStringLiteral("DEV-A")};
    Test()->SetFaults(faults);
    direct->events.clear();
    QSettings(IniPath(), QSettings::IniFormat).setValue(QStringLiteral("device1/syncState"), 1);
    m_loop.Advance(2 * kMediaPollMs);
    ASSERT_EQ(direct->Names(),
              (QStringList{QStringLiteral("DeviceSyncStateChange"), QStringLiteral("DeviceSyncError"),
                           QStringLiteral("DeviceSyncStateChange")}));
    EXPECT_EQ(direct->events[0].value, wmpssSynchronizing);
    EXPECT_EQ(direct->events[2].value, wmpssStopped);
    for (const RecordedEvent& e : direct->events) {
        EXPECT_EQ(Id(e.object.Get()), QStringLiteral("DEV-A"));
    }
    WMPSyncState state = wmpssUnknown;
    ASSERT_EQ(Device(0)->get_syncState(&state), S_OK);
    EXPECT_EQ(state, wmpssStopped);
}

TEST_F(DeviceEvents, APartnershipWithADeviceOnADriveWritesItsInfoFile) {
    Write("[device1]\ndeviceId=USB\\\\VID_0A12&PID_0001\\\\A1\nfriendlyName=Korvel DF-X1\nconnected=true\n"
          "status=5\ndrive=E\n"
          "[device2]\ndeviceId=MTP-C3\nconnected=true\nstatus=5\n");
    CreatePlayer();
    const QString info = Host(QStringLiteral("E:\\WMPInfo.xml"));
    EXPECT_FALSE(QFile::exists(info));
    ASSERT_EQ(Device(1)->createPartnership(VARIANT_FALSE), S_OK);
    EXPECT_FALSE(QFile::exists(info)) << "a device without a drive keeps its partnership to itself";

    ASSERT_EQ(Device(0)->createPartnership(VARIANT_FALSE), S_OK);
    QFile file(info);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString firstLine = QString::fromUtf8(file.readLine());
    EXPECT_TRUE(firstLine.contains(QStringLiteral("USB\\VID_0A12&PID_0001\\A1"))) << firstLine.toStdString();
    EXPECT_TRUE(firstLine.contains(QStringLiteral("<PartnershipIndex>2</PartnershipIndex>")));

    // A card taken out: the partnership is still made, nothing is written anywhere.
    file.close();
    QFile::remove(info);
    ASSERT_EQ(Device(0)->deletePartnership(), S_OK);
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), false);
    EXPECT_EQ(Device(0)->createPartnership(VARIANT_FALSE), S_OK);
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), true);
    EXPECT_FALSE(QFile::exists(info));
}

} // namespace
