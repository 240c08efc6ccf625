// Faults a test injects through the contract: a call named for one kind of object fails there alone;
// a plain name keeps failing what it always failed.
#include "platform/files/Volumes.h"
#include "tests/support/engine/EngineFixture.h"
#include "tests/support/engine/TestMp3.h"

#include <QDir>
#include <QFile>

namespace {

class Faults : public CEngineFixture {
protected:
    void SetUp() override {
        CEngineFixture::SetUp();
        QFile ini(QDir(m_sandbox->EngineDir()).filePath(QStringLiteral("devices.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[device1]\ndeviceId=DEV-A\nconnected=true\nstatus=1\nsyncState=2\nserial=S1\n");
        ini.close();
        Insert(QLatin1Char('D'), MakeJapaneseDisc());
        CreatePlayer();
        const QString song = QStringLiteral("C:\\Users\\user\\Music\\song.mp3");
        ASSERT_TRUE(CTestMp3::Write(Host(song), 0.5, 128, QStringLiteral("歌"), QStringLiteral("盤"), 1));
        ASSERT_EQ(Library()->add(CComBSTR(song), &m_libraryItem), S_OK);
        ASSERT_EQ(Library()->getByAlbum(CComBSTR(QStringLiteral("盤")), &m_query), S_OK);
        m_cdList = CdPlaylist(0);
        m_cdItem = Item(m_cdList.Get(), 0);
        ComPtr<IWMPSyncServices> services;
        ASSERT_EQ(m_player.As(&services), S_OK);
        ASSERT_EQ(services->getDevice(0, &m_device), S_OK);
    }
    void TearDown() override {
        m_libraryItem = nullptr;
        m_query = nullptr;
        m_cdList = nullptr;
        m_cdItem = nullptr;
        m_device = nullptr;
        CEngineFixture::TearDown();
    }
    void Fail(const QString& call) {
        MediaEngineFaults faults;
        faults.failingCalls = {call};
        Test()->SetFaults(faults);
    }

    ComPtr<IWMPMedia> m_libraryItem;
    ComPtr<IWMPPlaylist> m_query;
    ComPtr<IWMPPlaylist> m_cdList;
    ComPtr<IWMPMedia> m_cdItem;
    ComPtr<IWMPSyncDevice> m_device;
};

TEST_F(Faults, ACallNamedForAKindOfObjectFailsThereAlone) {
    // The probes, each one call on one object: true when it succeeds.
    const CComBSTR title(QStringLiteral("Title"));
    std::map<std::string, std::function<bool()>> probes = {
        {"cd item info",
         [&] {
             CComBSTR v;
             return SUCCEEDED(m_cdItem->getItemInfo(title, &v));
         }},
        {"library item info",
         [&] {
             CComBSTR v;
             return SUCCEEDED(m_libraryItem->getItemInfo(title, &v));
         }},
        {"cd playlist info",
         [&] {
             CComBSTR v;
             return SUCCEEDED(m_cdList->getItemInfo(title, &v));
         }},
        {"query info",
         [&] {
             CComBSTR v;
             return SUCCEEDED(m_query->getItemInfo(title, &v));
         }},
        {"cd playlist count",
         [&] {
             long n = 0;
             return SUCCEEDED(m_cdList->get_count(&n));
         }},
        {"query count",
         [&] {
             long n = 0;
             return SUCCEEDED(m_query->get_count(&n));
         }},
        {"cd item name",
         [&] {
             CComBSTR v;
             return SUCCEEDED(m_cdItem->get_name(&v));
         }},
        {"library item name",
         [&] {
             CComBSTR v;
             return SUCCEEDED(m_libraryItem->get_name(&v));
         }},
        {"device status",
         [&] {
             WMPDeviceStatus s;
             return SUCCEEDED(m_device->get_status(&s));
         }},
        {"device state",
         [&] {
             WMPSyncState s;
             return SUCCEEDED(m_device->get_syncState(&s));
         }},
        {"device info",
         [&] {
             CComBSTR v;
             return SUCCEEDED(m_device->getItemInfo(CComBSTR(QStringLiteral("SerialNumber")), &v));
         }},
        {"device identity",
         [&] {
             VARIANT_BOOL same;
             return SUCCEEDED(m_device->isIdentical(m_device.Get(), &same));
         }},
        {"item identity",
         [&] {
             VARIANT_BOOL same;
             return SUCCEEDED(m_cdItem->get_isIdentical(m_cdItem.Get(), &same));
         }},
        {"version",
         [&] {
             CComBSTR v;
             return SUCCEEDED(m_player->get_versionInfo(&v));
         }},
        {"drive count",
         [&] {
             ComPtr<IWMPCdromCollection> d;
             long n = 0;
             return SUCCEEDED(m_player->get_cdromCollection(&d)) && SUCCEEDED(d->get_count(&n));
         }},
    };
    struct Case {
        QString fault;
        std::set<std::string> failing;
    };
    const std::vector<Case> cases = {
        {QString(), {}},
        {QStringLiteral("cdItem.getItemInfo"), {"cd item info"}},
        {QStringLiteral("libraryItem.getItemInfo"), {"library item info"}},
        {QStringLiteral("item.getItemInfo"), {"cd item info", "library item info"}},
        {QStringLiteral("queryPlaylist.get_count"), {"query count"}},
        {QStringLiteral("playlist.get_count"), {"query count", "cd playlist count"}},
        {QStringLiteral("queryPlaylist.getItemInfo"), {"query info"}},
        {QStringLiteral("item.get_name"), {"cd item name", "library item name"}},
        {QStringLiteral("device.get_status"), {"device status"}},
        {QStringLiteral("device.isIdentical"), {"device identity"}},
        {QStringLiteral("player.get_versionInfo"), {"version"}},
        {QStringLiteral("cdroms.get_count"), {"drive count"}},
        // Plain names keep failing what they always did: every item and the CD playlist and the
        // device, but not the answer of a library query, which never could.
        {QStringLiteral("getItemInfo"),
         {"cd item info", "library item info", "cd playlist info", "device info"}},
        {QStringLiteral("get_status"), {"device status"}},
        {QStringLiteral("get_count"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault.toStdString());
        Fail(c.fault);
        for (const auto& [name, probe] : probes) {
            EXPECT_EQ(probe(), c.failing.count(name) == 0) << name;
        }
    }
}

} // namespace
