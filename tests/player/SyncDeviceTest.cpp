// The device side of synchronisation on the real engine: status and state reads, stopping only what
// runs, partnerships reset on connect, and device events that settle instead of bouncing between
// the engine and the program.
#include "player/PlayerHost.h"
#include "player/PlayerMessages.h"
#include "player/SyncDeviceAccess.h"
#include "tests/player/MessageLog.h"
#include "tests/support/engine/EngineFixture.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace {

class DeviceSync : public CEngineFixture {
protected:
    void SetUp() override {
        CEngineFixture::SetUp();
        WriteDevices();
        m_windows.SetProc(m_main, &m_log);
        RegisterEngine();
        m_host = std::make_unique<CPlayerHost>();
        ASSERT_TRUE(m_host->CreatePlayer(m_main));
        ASSERT_TRUE(m_host->ConnectPlayerEvents(m_main));
        ASSERT_EQ(ComPtr<IWMPPlayer>(m_host->Player()).As(&m_test), S_OK);
        ASSERT_EQ(ComPtr<IWMPPlayer>(m_host->Player()).As(&m_services), S_OK);
    }
    void TearDown() override {
        m_current.Reset();
        m_test = nullptr;
        m_services = nullptr;
        m_host.reset();
        CEngineFixture::TearDown();
    }
    QString IniPath() const { return QDir(m_sandbox->EngineDir()).filePath(QStringLiteral("devices.ini")); }
    void WriteDevices() {
        QFile file(IniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[device1]\n"
                   "friendlyName=Korvel DF-X1\n"
                   "deviceName=Korvel Digital Audio DF-X1\n"
                   "deviceId=DEV-A\n"
                   "partnership=1\n"
                   "connected=true\n"
                   "status=1\n"
                   "syncState=2\n"
                   "[device2]\n"
                   "friendlyName=Other Player\n"
                   "deviceName=Generic Digital Audio\n"
                   "deviceId=DEV-B\n"
                   "partnership=2\n"
                   "connected=true\n"
                   "status=1\n"
                   "syncState=2\n");
    }
    void SetIni(const QString& key, const QVariant& value) {
        QSettings(IniPath(), QSettings::IniFormat).setValue(key, value);
    }
    QVariant Ini(const QString& key) const { return QSettings(IniPath(), QSettings::IniFormat).value(key); }
    ComPtr<IWMPSyncDevice> Device(long index) const {
        ComPtr<IWMPSyncDevice> device;
        EXPECT_EQ(m_services->getDevice(index, &device), S_OK);
        return device;
    }
    void SetFaults(const QSet<QString>& calls) {
        MediaEngineFaults faults;
        faults.failingCalls = calls;
        m_test->SetFaults(faults);
    }
    int SyncStateMessages() const { return m_log.Count(WM_WMP_DEVICESYNCSTATECHANGE); }

    CMessageLog m_log;
    std::unique_ptr<CPlayerHost> m_host;
    ComPtr<IMediaEngineTest> m_test;
    ComPtr<IWMPSyncServices> m_services;
    CSyncDeviceAccess m_current;
};

TEST_F(DeviceSync, ReadsAndStopsTheCurrentDevice) {
    EXPECT_EQ(m_current.GetDeviceStatus(), wmpdsUnknown) << "no device yet";
    EXPECT_EQ(m_current.GetSyncState(), wmpssUnknown);
    EXPECT_FALSE(m_current.StopDeviceSync());

    m_current.SetDevice(Device(0).Get());
    EXPECT_TRUE(m_current.IsCurrent(Device(0).Get()));
    EXPECT_FALSE(m_current.IsCurrent(Device(1).Get()));
    EXPECT_EQ(m_current.GetDeviceStatus(), wmpdsPartnershipExists);
    EXPECT_EQ(m_current.GetSyncState(), wmpssStopped);

    // A stopped device is not stopped again: the player says nothing.
    EXPECT_TRUE(m_current.StopDeviceSync());
    m_loop.Advance(2 * kMediaPollMs);
    EXPECT_EQ(SyncStateMessages(), 0);

    ASSERT_EQ(m_test->SetDeviceSyncState(QStringLiteral("DEV-A"), wmpssSynchronizing), S_OK);
    EXPECT_EQ(m_current.GetSyncState(), wmpssSynchronizing);
    EXPECT_TRUE(m_current.StopDeviceSync());
    m_loop.Advance(2 * kMediaPollMs);
    EXPECT_EQ(m_current.GetSyncState(), wmpssStopped);
    ASSERT_EQ(SyncStateMessages(), 2);
    EXPECT_EQ(m_log.messages.back().lParam, LPARAM(wmpssStopped));

    // Failing calls read as 0 and a failed stop is false.
    ASSERT_EQ(m_test->SetDeviceSyncState(QStringLiteral("DEV-A"), wmpssSynchronizing), S_OK);
    SetFaults({QStringLiteral("get_status"), QStringLiteral("get_syncState"), QStringLiteral("stop")});
    EXPECT_EQ(m_current.GetDeviceStatus(), wmpdsUnknown);
    EXPECT_EQ(m_current.GetSyncState(), wmpssUnknown);
    EXPECT_FALSE(m_current.StopDeviceSync());
    SetFaults({});
    EXPECT_EQ(m_current.GetSyncState(), wmpssSynchronizing);
}

TEST_F(DeviceSync, AConnectingDeviceLosesItsPartnershipUnlessItDeclinedOrCannotTell) {
    struct Case {
        const char* what;
        int status;
        bool statusFails;
        bool deleted;
    } cases[] = {{"partnership exists", wmpdsPartnershipExists, false, true},
                 {"new device", wmpdsNewDevice, false, true},
                 {"partnership with another player", wmpdsPartnershipAnother, false, true},
                 {"declined", wmpdsPartnershipDeclined, false, false},
                 {"status unreadable", wmpdsPartnershipExists, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetFaults({});
        SetIni(QStringLiteral("device2/status"), c.status);
        SetIni(QStringLiteral("device2/partnership"), 2);
        m_test->CheckMedia();
        const ComPtr<IWMPSyncDevice> device = Device(1);
        if (c.statusFails) {
            SetFaults({QStringLiteral("get_status")});
        }
        EXPECT_EQ(CSyncDeviceAccess::ResetPartnershipOnConnect(device.Get()), c.deleted);
        SetFaults({});
        long partnership = -1;
        ASSERT_EQ(device->get_partnershipIndex(&partnership), S_OK);
        EXPECT_EQ(partnership, c.deleted ? 0 : 2);
    }
    EXPECT_FALSE(CSyncDeviceAccess::ResetPartnershipOnConnect(nullptr));
}

TEST_F(DeviceSync, ADeviceThatVanishedBetweenItsEventAndTheCallIsLeftAlone) {
    ComPtr<IWMPSyncDevice> reported;
    m_log.onMessage = [&](const LoggedMessage& m) {
        if (m.message == WM_WMP_DEVICESYNCSTATECHANGE) {
            reported = m.device;
        }
    };
    ASSERT_EQ(m_test->SetDeviceSyncState(QStringLiteral("DEV-B"), wmpssSynchronizing), S_OK);
    ASSERT_TRUE(reported);
    QSettings(IniPath(), QSettings::IniFormat).remove(QStringLiteral("device2"));
    m_test->CheckMedia();
    EXPECT_FALSE(CSyncDeviceAccess::StopOtherDevice(reported.Get()));
    EXPECT_FALSE(CSyncDeviceAccess::StopDeviceSync(reported.Get()));
    EXPECT_FALSE(CSyncDeviceAccess::ResetPartnershipOnConnect(reported.Get()));
    EXPECT_EQ(CSyncDeviceAccess::GetDeviceStatus(reported.Get()), wmpdsUnknown);
    EXPECT_FALSE(CSyncDeviceAccess::IsSameDevice(reported.Get(), Device(0).Get()));
}

// The main window's rule: a device other than the current one may not synchronise. Whether the
// program stops it only while it runs, or on every report whatever its state, the engine and the
// program must come to rest after the one start and the one stop.
TEST_F(DeviceSync, StoppingOtherDevicesSettlesInsteadOfBouncing) {
    for (const bool stopWhateverTheState : {false, true}) {
        SCOPED_TRACE(stopWhateverTheState ? "stop on every report" : "stop only what runs");
        m_log.messages.clear();
        m_current.SetDevice(Device(0).Get());
        int stopsCalled = 0;
        m_log.onMessage = [&](const LoggedMessage& m) {
            if (m.message != WM_WMP_DEVICESYNCSTATECHANGE || m_current.IsCurrent(m.device.Get())) {
                return;
            }
            if (SyncStateMessages() > 20) {
                return; // bouncing: let the test end and fail below
            }
            if (stopWhateverTheState) {
                stopsCalled += SUCCEEDED(m.device->stop()) ? 1 : 0;
            } else {
                stopsCalled += CSyncDeviceAccess::StopOtherDevice(m.device.Get()) ? 1 : 0;
            }
        };
        // The player starts synchronising the other device on its own.
        SetIni(QStringLiteral("device2/syncState"), int(wmpssSynchronizing));
        m_loop.Advance(10 * kMediaPollMs);

        ASSERT_EQ(SyncStateMessages(), 2);
        EXPECT_EQ(m_log.messages[0].lParam, LPARAM(wmpssSynchronizing));
        EXPECT_EQ(m_log.messages[1].lParam, LPARAM(wmpssStopped));
        EXPECT_EQ(stopsCalled, stopWhateverTheState ? 2 : 1);
        EXPECT_EQ(Ini(QStringLiteral("device2/syncState")).toInt(), int(wmpssStopped));
        m_log.onMessage = nullptr;
    }
}

} // namespace
