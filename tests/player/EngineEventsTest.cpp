// The real engine's events through the program's sink, by either route: each reaches the main
// window as its message, with the parameters the handlers read while the message lasts.
#include "player/PlayerHost.h"
#include "player/PlayerMessages.h"
#include "tests/player/MessageLog.h"
#include "tests/support/engine/EngineFixture.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace {

class EngineEvents : public CEngineFixture {
protected:
    void SetUp() override {
        CEngineFixture::SetUp();
        m_windows.SetProc(m_main, &m_log);
        RegisterEngine();
    }
    void TearDown() override {
        Disconnect();
        CEngineFixture::TearDown();
    }
    QString IniPath() const { return QDir(m_sandbox->EngineDir()).filePath(QStringLiteral("devices.ini")); }
    void WriteDevices() {
        QFile file(IniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[device1]\ndeviceId=DEV-A\nconnected=true\nstatus=5\nsyncState=2\ndrive=E\n"
                   "[device2]\ndeviceId=DEV-B\nconnected=false\nstatus=1\nsyncState=2\n");
    }
    // The player in its host window, its events reaching the main window by the given route.
    void Connect(bool viaDispatch) {
        m_host = std::make_unique<CPlayerHost>();
        ASSERT_TRUE(m_host->CreatePlayer(m_main));
        if (!viaDispatch) {
            ASSERT_TRUE(m_host->ConnectPlayerEvents(m_main));
            return;
        }
        CComObject<CWMPEventDispatch>* sink = nullptr;
        ASSERT_EQ(CComObject<CWMPEventDispatch>::CreateInstance(&sink), S_OK);
        m_sink = sink;
        m_sink->SetTargetWindow(m_main);
        ComPtr<IConnectionPointContainer> container;
        ASSERT_EQ(ComPtr<IWMPPlayer>(m_host->Player()).As(&container), S_OK);
        ASSERT_EQ(container->FindConnectionPoint(DIID__WMPOCXEvents, &m_point), S_OK);
        ASSERT_EQ(m_point->Advise(static_cast<_WMPOCXEvents*>(m_sink.Get()), &m_cookie), S_OK);
    }
    void Disconnect() {
        if (m_sink) {
            m_sink->SetTargetWindow(nullptr);
            m_point->Unadvise(m_cookie);
        }
        m_point = nullptr;
        m_sink = nullptr;
        if (m_host) {
            m_host->ShutdownPlayer();
        }
        m_host.reset();
    }
    template <class I> ComPtr<I> Player() const {
        ComPtr<I> answer;
        EXPECT_EQ(ComPtr<IWMPPlayer>(m_host->Player()).As(&answer), S_OK);
        return answer;
    }
    static QString DeviceId(IWMPSyncDevice* device) {
        CComBSTR id;
        return device && SUCCEEDED(device->get_deviceId(&id)) ? id.ToQString() : QStringLiteral("<none>");
    }
    template <class I> static QString Text(I* object, HRESULT (I::*getter)(BSTR*)) {
        CComBSTR text;
        return object && SUCCEEDED((object->*getter)(&text)) ? text.ToQString() : QStringLiteral("<none>");
    }
    template <class I> static ComPtr<I> As(std::uintptr_t value) {
        ComPtr<I> answer;
        if (auto* object = reinterpret_cast<IDispatch*>(value)) {
            ComPtr<IDispatch>(object).As(&answer);
        }
        return answer;
    }

    CMessageLog m_log;
    std::unique_ptr<CPlayerHost> m_host;
    ComPtr<CComObject<CWMPEventDispatch>> m_sink;
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

TEST_F(EngineEvents, EachEventOfTheEngineArrivesAsItsMessage) {
    const QString wpl = QStringLiteral("C:\\Users\\user\\Music\\list.wpl");
    struct Step {
        const char* what;
        std::function<void()> act;
        UINT message;
        // Reads the message while its objects are lent.
        std::function<QString(const LoggedMessage&)> read;
        QString expected;
    };
    const std::vector<Step> steps = {
        {"disc inserted",
         [&] {
             Insert(QLatin1Char('D'), MakeJapaneseDisc());
             m_loop.Advance(kMediaPollMs);
         },
         WM_WMP_CDROMMEDIACHANGE, [](const LoggedMessage& m) { return QString::number(m.wParam); },
         QStringLiteral("0")},
        {"album renamed",
         [&] {
             ComPtr<IWMPCdromCollection> drives;
             ComPtr<IWMPCdrom> drive;
             ComPtr<IWMPPlaylist> list;
             Player<IWMPCore>()->get_cdromCollection(&drives);
             drives->item(0, &drive);
             drive->get_playlist(&list);
             list->put_name(CComBSTR(QStringLiteral("新しい名前")));
         },
         WM_WMP_PLAYLISTCHANGE,
         [](const LoggedMessage& m) {
             return Text(As<IWMPPlaylist>(m.wParam).Get(), &IWMPPlaylist::get_name) + QLatin1Char('/') +
                    QString::number(m.lParam);
         },
         QStringLiteral("新しい名前/8")},
        {"playlist added to the library",
         [&] {
             QFile(Host(wpl)).open(QIODevice::WriteOnly);
             ComPtr<IWMPMediaCollection> library;
             Player<IWMPCore>()->get_mediaCollection(&library);
             library->add(CComBSTR(wpl), nullptr);
         },
         WM_WMP_MEDIACOLLECTIONCHANGE,
         [](const LoggedMessage& m) { return QString::number(m.wParam + m.lParam); }, QStringLiteral("0")},
        {"device connected",
         [&] { Player<IMediaEngineTest>()->SetDeviceConnected(QStringLiteral("DEV-B"), true); },
         WM_WMP_DEVICECONNECT, [](const LoggedMessage& m) { return DeviceId(m.device.Get()); },
         QStringLiteral("DEV-B")},
        {"device status changed",
         [&] {
             QSettings(IniPath(), QSettings::IniFormat).setValue(QStringLiteral("device1/status"), 3);
             m_loop.Advance(kMediaPollMs);
         },
         WM_WMP_DEVICESTATUSCHANGE,
         [](const LoggedMessage& m) {
             return DeviceId(m.device.Get()) + QLatin1Char('/') + QString::number(m.lParam);
         },
         QStringLiteral("DEV-A/3")},
        {"synchronisation started",
         [&] { Player<IMediaEngineTest>()->SetDeviceSyncState(QStringLiteral("DEV-A"), wmpssSynchronizing); },
         WM_WMP_DEVICESYNCSTATECHANGE,
         [](const LoggedMessage& m) {
             return DeviceId(m.device.Get()) + QLatin1Char('/') + QString::number(m.lParam);
         },
         QStringLiteral("DEV-A/1")},
        {"synchronisation failed",
         [&] { Player<IMediaEngineTest>()->RaiseDeviceSyncError(QStringLiteral("DEV-A"), wpl); },
         WM_WMP_DEVICESYNCERROR,
         [](const LoggedMessage& m) {
             return DeviceId(m.device.Get()) + QLatin1Char('/') +
                    Text(As<IWMPMedia>(static_cast<std::uintptr_t>(m.lParam)).Get(),
                         &IWMPMedia::get_sourceURL);
         },
         QStringLiteral("DEV-A/") + wpl},
        {"partnership made",
         [&] {
             ComPtr<IWMPSyncDevice> device;
             Player<IWMPSyncServices>()->getDevice(0, &device);
             device->createPartnership(VARIANT_FALSE);
             m_loop.Pump();
         },
         WM_WMP_CREATEPARTNERSHIPCOMPLETE,
         [](const LoggedMessage& m) {
             return DeviceId(m.device.Get()) + QLatin1Char('/') + QString::number(m.lParam);
         },
         QStringLiteral("DEV-A/0")},
        {"device disconnected",
         [&] { Player<IMediaEngineTest>()->SetDeviceConnected(QStringLiteral("DEV-B"), false); },
         WM_WMP_DEVICEDISCONNECT, [](const LoggedMessage& m) { return DeviceId(m.device.Get()); },
         QStringLiteral("DEV-B")},
        {"rip progress",
         [&] {
             ComPtr<IWMPCdromCollection> drives;
             ComPtr<IWMPCdrom> drive;
             ComPtr<IWMPCdromRip> rip;
             Player<IWMPCore>()->get_cdromCollection(&drives);
             drives->item(0, &drive);
             ASSERT_EQ(drive.As(&rip), S_OK);
             ASSERT_EQ(rip->startRip(), S_OK);
             PumpUntil([&] { return m_log.Count(WM_WMP_MEDIACHANGE) > 0; });
             rip->stopRip();
             const ComPtr<IMediaEngineTest> test = Player<IMediaEngineTest>();
             PumpUntil([&] { return !test->IsRipping(); });
         },
         WM_WMP_MEDIACHANGE,
         [](const LoggedMessage& m) {
             CComBSTR number;
             const ComPtr<IWMPMedia> item = As<IWMPMedia>(m.wParam);
             return item && SUCCEEDED(item->getItemInfo(CComBSTR(QStringLiteral("WM/TrackNumber")), &number))
                        ? number.ToQString()
                        : QStringLiteral("<none>");
         },
         QStringLiteral("1")},
    };

    for (const bool viaDispatch : {false, true}) {
        SCOPED_TRACE(viaDispatch ? "through Invoke" : "direct");
        TakeOut(QLatin1Char('D'));
        WriteDevices();
        Connect(viaDispatch);
        for (const Step& step : steps) {
            SCOPED_TRACE(step.what);
            m_log.messages.clear();
            QString seen = QStringLiteral("<no message>");
            m_log.onMessage = [&](const LoggedMessage& m) {
                if (m.message == step.message && seen == QLatin1String("<no message>")) {
                    seen = step.read(m);
                }
            };
            step.act();
            EXPECT_EQ(seen, step.expected);
        }
        m_log.onMessage = nullptr;
        Disconnect();
        EXPECT_EQ(MediaEngineLiveObjects(), 0);
        EXPECT_EQ(CWMPEventDispatch::LiveCount(), 0);
    }
}

} // namespace
