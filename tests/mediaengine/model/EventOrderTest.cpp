// The engine's events leave in the order things happened, even when a sink calls back into the
// engine or opens a nested loop while it is told something; the media poll never runs inside itself.
#include "tests/support/engine/EngineFixture.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace {

class EventOrder : public CEngineFixture {
protected:
    void SetUp() override {
        CEngineFixture::SetUp();
        QFile ini(IniPath());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[device1]\ndeviceId=DEV-A\nconnected=false\nstatus=1\nsyncState=2\n");
    }
    QString IniPath() const { return QDir(m_sandbox->EngineDir()).filePath(QStringLiteral("devices.ini")); }
    void SetIni(const QString& key, const QVariant& value) {
        QSettings(IniPath(), QSettings::IniFormat).setValue(key, value);
    }
};

TEST_F(EventOrder, APollAskedForInsideASinksNestedLoopWaitsForTheFirstToFinish) {
    CreatePlayer();
    const RecorderPtr sink = Advise();
    int depth = 0;
    std::vector<int> depths;
    std::vector<long> tracksSeen;
    bool nestedDone = false;
    sink->onEvent = [&](const RecordedEvent& e) {
        depths.push_back(depth);
        if (e.name != QLatin1String("CdromMediaChange")) {
            return;
        }
        tracksSeen.push_back(Count(CdPlaylist(0).Get()));
        if (nestedDone) {
            return;
        }
        nestedDone = true;
        // The handler runs a loop of its own (a dialog, say) while the disc goes out again.
        ++depth;
        TakeOut(QLatin1Char('D'));
        m_loop.Advance(3 * kMediaPollMs);
        --depth;
    };
    // One poll sees a disc and a device arrive.
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    SetIni(QStringLiteral("device1/connected"), QStringLiteral("true"));
    m_loop.Advance(kMediaPollMs);
    m_loop.Advance(kMediaPollMs);

    EXPECT_EQ(sink->Names(), (QStringList{QStringLiteral("CdromMediaChange"), QStringLiteral("DeviceConnect"),
                                          QStringLiteral("CdromMediaChange")}));
    // What the first look found is told before what the second found; the second look ran once the
    // first was done, not inside it, and no sink was entered again.
    EXPECT_EQ(depths, (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(tracksSeen, (std::vector<long>{3, 0}));
}

TEST_F(EventOrder, AReportOfTheNextTurnKeepsItsPlaceBeforeLaterNews) {
    SetIni(QStringLiteral("device1/connected"), QStringLiteral("true"));
    CreatePlayer();
    const RecorderPtr sink = Advise();
    ASSERT_EQ(Test()->SetDeviceSyncState(QStringLiteral("DEV-A"), wmpssSynchronizing), S_OK);
    ComPtr<IWMPSyncServices> services;
    ASSERT_EQ(m_player.As(&services), S_OK);
    ComPtr<IWMPSyncDevice> device;
    ASSERT_EQ(services->getDevice(0, &device), S_OK);
    // Stopped (reported on the next turn), then started again before that turn came.
    ASSERT_EQ(device->stop(), S_OK);
    ASSERT_EQ(Test()->SetDeviceSyncState(QStringLiteral("DEV-A"), wmpssSynchronizing), S_OK);
    m_loop.Pump();
    std::vector<long> states;
    for (const RecordedEvent& e : sink->events) {
        states.push_back(e.value);
    }
    EXPECT_EQ(states, (std::vector<long>{wmpssSynchronizing, wmpssStopped, wmpssSynchronizing}))
        << "the last report must tell the state the device is in";
    WMPSyncState now = wmpssUnknown;
    ASSERT_EQ(device->get_syncState(&now), S_OK);
    EXPECT_EQ(now, wmpssSynchronizing);
}

TEST_F(EventOrder, ASinkThatCallsBackIsToldTheNewsAfterWhatItIsHandling) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    CreatePlayer();
    const RecorderPtr sink = Advise();
    bool renamed = false;
    int depth = 0;
    std::vector<int> depths;
    sink->onEvent = [&](const RecordedEvent& e) {
        depths.push_back(depth);
        if (e.name == QLatin1String("PlaylistChange") && !renamed) {
            renamed = true;
            ++depth;
            // Renaming a track from inside the report of the album's rename.
            ASSERT_EQ(Item(CdPlaylist(0).Get(), 0)->put_name(CComBSTR(QStringLiteral("一曲目"))), S_OK);
            --depth;
        }
    };
    ASSERT_EQ(CdPlaylist(0)->put_name(CComBSTR(QStringLiteral("新しい名前"))), S_OK);
    ASSERT_EQ(sink->Count(QStringLiteral("PlaylistChange")), 2);
    EXPECT_EQ(depths, (std::vector<int>{0, 0}));
}

} // namespace
