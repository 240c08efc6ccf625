// The destination list: which player devices and drives are listed and under which names, which
// entry is selected after a refresh, how a drive is matched to its player device (friendly name on
// version 10, WMPInfo.xml on later ones), readiness, and the capacity read-outs.
#include "tests/destination/DestinationFixture.h"

#include "platform/files/Volumes.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStorageInfo>

#include <algorithm>

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

const QByteArray kDevices = "[device1]\n"
                            "friendlyName=Korvel DF-X1 - Internal Storage\n"
                            "deviceName=Korvel Audio DF-X1\n"
                            "deviceId=DFX1-A1\n"
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
                            "deviceId=DFX1-B2\n"
                            "serial=B2\n"
                            "connected=true\n"
                            "status=5\n"
                            "[device3]\n"
                            "friendlyName=Other Player\n"
                            "deviceName=Generic MTP\n"
                            "deviceId=MTP-C3\n"
                            "connected=true\n"
                            "[device4]\n"
                            "friendlyName=Korvel DF-X2\n"
                            "deviceName=Korvel Audio DF-X2\n"
                            "deviceId=DFX2-D4\n"
                            "serial=D4\n"
                            "connected=false\n"
                            "[device5]\n"
                            "friendlyName=\n"
                            "deviceName=Korvel Audio DF-X3\n"
                            "deviceId=DFX3-E5\n"
                            "connected=true\n"
                            "[device6]\n"
                            "friendlyName=Card Reader (E:)\n"
                            "deviceName=Generic Digital Audio\n"
                            "deviceId=CARD-E-ID\n"
                            "serial=F6\n"
                            "connected=true\n"
                            "status=5\n"
                            "drive=E\n";

class DestinationList : public CDestinationFixture {
protected:
    QString Ini() const { return QDir(m_sandbox->EngineDir()).filePath(QStringLiteral("devices.ini")); }
    long Partnership(const QString& group) const {
        return QSettings(Ini(), QSettings::IniFormat).value(group + QStringLiteral("/partnership")).toInt();
    }
    // Changes a device and lets the engine look at the devices again.
    void SetIni(const QString& key, const QVariant& value) {
        {
            QSettings ini(Ini(), QSettings::IniFormat);
            ini.setValue(key, value);
        }
        Test()->CheckMedia();
        m_loop.Pump();
    }
    void Pick(const QString& name) {
        const int index = int(ComboItems().indexOf(name));
        ASSERT_GE(index, 0) << name.toStdString();
        m_combo->Select(name, index);
    }
};

TEST_F(DestinationList, ListsConnectedPlayersAndCardsWithMediaUnderTheirNames) {
    WriteDevices(kDevices);
    AddCard(QLatin1Char('F'), QStringLiteral("EMPTY"), std::nullopt, false); // a slot without a card
    AddFixedDrive(QLatin1Char('G'));
    AddCard(QLatin1Char('H'), QString());
    Start();
    m_dap->Refresh(true, true);
    EXPECT_EQ(ComboItems(), (QStringList{QStringLiteral("Korvel DF-X1"), QStringLiteral("Korvel DF-X1 - SD"),
                                         QStringLiteral("SDCARD (E:)"), U("リムーバブル ディスク (H:)")}));
    const QList<CDevInfo>& list = m_dap->Destinations();
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list[0].serial, QStringLiteral("A1"));
    EXPECT_EQ(list[0].index, 0);
    EXPECT_TRUE(list[0].path.isEmpty());
    EXPECT_EQ(list[1].serial, QStringLiteral("B2"));
    EXPECT_EQ(list[1].index, 1);
    EXPECT_EQ(list[2].path, QStringLiteral("E:"));
    EXPECT_TRUE(list[2].serial.isEmpty());
    EXPECT_EQ(list[3].path, QStringLiteral("H:"));
    EXPECT_EQ(m_dap->GetState(), CDAPAcc::kListed);
    // The internal storage is preferred: it is the one selected by default.
    EXPECT_EQ(m_dap->GetSelection(), 0);
    EXPECT_EQ(m_combo->WindowText(), QStringLiteral("Korvel DF-X1"));
    EXPECT_TRUE(m_dap->GetDriveRoot().isEmpty()) << "a player has no drive";
}

TEST_F(DestinationList, WithoutDestinationsTheListIsEmptyAndTheStateZero) {
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), false);
    Start();
    m_dap->Refresh(true, true);
    EXPECT_TRUE(ComboItems().isEmpty());
    EXPECT_TRUE(m_combo->WindowText().isEmpty());
    EXPECT_EQ(m_dap->GetState(), CDAPAcc::kNoDestination);
    EXPECT_FALSE(m_dap->Prepare());
    EXPECT_FALSE(m_dap->BuildFileList(nullptr));
}

TEST_F(DestinationList, RefreshSelectsTheSameEntryAgainByNameAndSerial) {
    WriteDevices(kDevices);
    Start();
    m_dap->Refresh(true, true);

    // A card is found again by its name alone, at its new place in the list.
    Pick(QStringLiteral("SDCARD (E:)"));
    ASSERT_EQ(Test()->SetDeviceConnected(QStringLiteral("DFX2-D4"), true), S_OK);
    m_dap->Refresh(false, true);
    EXPECT_EQ(ComboItems().indexOf(QStringLiteral("Korvel DF-X2")), 2);
    EXPECT_EQ(m_dap->GetSelection(), 3);
    EXPECT_EQ(m_combo->WindowText(), QStringLiteral("SDCARD (E:)"));

    // A player of the same name with another serial number is another device: nothing is selected.
    Pick(QStringLiteral("Korvel DF-X1 - SD"));
    m_dap->Refresh(false, true);
    EXPECT_EQ(m_dap->GetSelection(), 1);
    SetIni(QStringLiteral("device2/serial"), QStringLiteral("Z9"));
    m_dap->Refresh(false, true);
    EXPECT_EQ(m_dap->GetSelection(), -1);
    EXPECT_TRUE(m_combo->WindowText().isEmpty());
    EXPECT_EQ(m_dap->GetState(), CDAPAcc::kListed);

    // Nothing shown: the refresh picks the default again.
    m_dap->Refresh(false, true);
    EXPECT_EQ(m_dap->GetSelection(), 0);
}

TEST_F(DestinationList, WithoutAPreferredEntryTheLastPresentOneIsSelected) {
    WriteDevices("[device1]\nfriendlyName=Korvel A - External Storage\ndeviceName=Korvel Audio A\n"
                 "deviceId=A\nserial=A\nconnected=true\n"
                 "[device2]\nfriendlyName=Korvel B - External Storage\ndeviceName=Korvel Audio B\n"
                 "deviceId=B\nserial=B\nconnected=true\n");
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), false);
    Start();
    m_dap->Refresh(true, false);
    EXPECT_EQ(ComboItems(), (QStringList{QStringLiteral("Korvel A - SD"), QStringLiteral("Korvel B - SD")}));
    EXPECT_EQ(m_dap->GetSelection(), 1);
    EXPECT_EQ(m_combo->WindowText(), QStringLiteral("Korvel B - SD"));
}

TEST_F(DestinationList, Version10MatchesADriveByTheFriendlyName) {
    WriteDevices(kDevices);
    Start(QStringLiteral("10.0.0.3997"));
    m_dap->Refresh(true, true);
    EXPECT_EQ(m_dap->MatchDrive(QStringLiteral("E:")), 5);
    EXPECT_EQ(m_dap->MatchDrive(QStringLiteral("H:")), -1);
    EXPECT_EQ(m_dap->Destinations().at(2).index, 5);
    EXPECT_EQ(Partnership(QStringLiteral("device6")), 0) << "no partnership asked for";
}

TEST_F(DestinationList, LaterVersionsMatchADriveThroughItsInfoFileWhateverItHolds) {
    QByteArray huge = "<WMPInfo>" + QByteArray(3000, 'x') + "CARD-E-ID\n";
    QByteArray binary;
    for (int i = 0; i < 5000; ++i)
        binary.append(char((i * 37) & 0xFF));
    const QString utf16Text = QStringLiteral("<WMPInfo><DeviceId>CARD-E-ID</DeviceId></WMPInfo>\r\n");
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(utf16Text.utf16()), utf16Text.size() * 2);
    struct Case {
        const char* what;
        std::optional<QByteArray> content;
        long index;
        bool partnershipAsked;
    } cases[] = {
        {"missing", std::nullopt, -1, true},
        {"empty", QByteArray(), -1, false},
        {"the id on the first line", "<WMPInfo><DeviceId>CARD-E-ID</DeviceId></WMPInfo>\n", 5, false},
        {"the id on the second line", "<WMPInfo>\n<DeviceId>CARD-E-ID</DeviceId>\n", -1, false},
        {"the id beyond 2000 characters", huge, -1, false},
        {"not text", binary, -1, false},
        {"UTF-16 with its mark", utf16, 5, false},
    };
    WriteDevices(kDevices);
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetIni(QStringLiteral("device6/partnership"), 0);
        SetIni(QStringLiteral("device6/status"), 5);
        const QString file = DriveHost(QLatin1Char('E'), QStringLiteral("WMPInfo.xml"));
        QFile::remove(file);
        if (c.content) {
            QFile out(file);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(*c.content);
        }
        m_dap->Refresh(true, true);
        ASSERT_EQ(m_dap->Destinations().size(), 3);
        EXPECT_EQ(m_dap->Destinations().at(2).index, c.index);
        EXPECT_EQ(Partnership(QStringLiteral("device6")) != 0, c.partnershipAsked);
    }
}

TEST_F(DestinationList, PrepareMakesACardReadyAndAsksAPlayerForAPartnership) {
    WriteDevices(kDevices);
    Start();
    m_dap->Refresh(true, true);
    Pick(QStringLiteral("Korvel DF-X1 - SD"));
    EXPECT_TRUE(m_dap->Prepare());
    EXPECT_EQ(m_dap->GetState(), CDAPAcc::kListed) << "a player is ready once it reports itself";
    EXPECT_NE(Partnership(QStringLiteral("device2")), 0);

    // The player reports the device: the current one makes the destination ready, another does not.
    ComPtr<IWMPSyncServices> services;
    ASSERT_EQ(m_player.As(&services), S_OK);
    ComPtr<IWMPSyncDevice> internal;
    ComPtr<IWMPSyncDevice> external;
    ASSERT_EQ(services->getDevice(0, &internal), S_OK);
    ASSERT_EQ(services->getDevice(1, &external), S_OK);
    EXPECT_FALSE(m_dap->ConfirmDevice(internal.Get()));
    EXPECT_EQ(m_dap->GetState(), CDAPAcc::kListed);
    EXPECT_TRUE(m_dap->ConfirmDevice(external.Get()));
    EXPECT_EQ(m_dap->GetState(), CDAPAcc::kReady);
    EXPECT_EQ(m_dap->CurrentIndex(), Partnership(QStringLiteral("device2")));

    // A card without a player device: ready from its medium; the former device is no longer current.
    Pick(QStringLiteral("SDCARD (E:)"));
    m_dap->SetState(CDAPAcc::kListed);
    EXPECT_TRUE(m_dap->Prepare());
    EXPECT_EQ(m_dap->GetState(), CDAPAcc::kReady);
    EXPECT_EQ(m_dap->GetDriveRoot(), QStringLiteral("E:"));
    EXPECT_FALSE(m_dap->ConfirmDevice(external.Get()));
}

TEST_F(DestinationList, TheDriveComesFromTheEntryNotFromItsLabel) {
    AddCard(QLatin1Char('F'), QStringLiteral("CARD"), 64ull << 20);
    m_sandbox->Volumes().SetLabel(QLatin1Char('E'), QStringLiteral("Mine (F:)"));
    Start();
    m_dap->Refresh(true, true);
    const int entry = int(ComboItems().indexOf(QStringLiteral("Mine (F:) (E:)")));
    ASSERT_GE(entry, 0);
    m_combo->Select(ComboItems().at(entry), entry);
    EXPECT_EQ(m_dap->GetDriveRoot(), QStringLiteral("E:"));
    ASSERT_TRUE(m_dap->Prepare());
    m_dap->UpdateCapacity();
    EXPECT_EQ(m_free.text, U("約 256 MB")) << "E: holds 256 MB, F: 64 MB";
}

TEST_F(DestinationList, CapacityOfACardAbove4GigabytesIsShownWhole) {
    // The card is a folder of this machine, whose own free space bounds the card's: take a 32 GB
    // card where the machine has room for it, a smaller one (still past 32-bit sizes) elsewhere.
    const QString root = DriveHost(QLatin1Char('E'), QString());
    const qint64 hostFreeGiB = QStorageInfo(root).bytesAvailable() >> 30;
    const qint64 gigabytes = std::min<qint64>(32, hostFreeGiB - 1); // 1 GiB for parallel tests
    if (gigabytes <= 4)
        GTEST_SKIP() << "this machine has " << hostFreeGiB << " GiB free";
    ASSERT_TRUE(m_sandbox->Volumes().SetCapacity(QLatin1Char('E'), quint64(gigabytes) << 30));
    QFile used(DriveHost(QLatin1Char('E'), QStringLiteral("used.bin")));
    ASSERT_TRUE(used.open(QIODevice::WriteOnly));
    ASSERT_TRUE(used.resize((5 << 20) + 1)); // two clusters past 5 MB: 5.0039 MB
    used.close();
    Start();
    m_dap->Refresh(true, true);
    ASSERT_TRUE(m_dap->Prepare());
    m_dap->UpdateCapacity();
    EXPECT_EQ(m_used.text, U("約 5.00 MB"));
    EXPECT_EQ(m_free.text, U("約 %1 MB").arg(gigabytes * 1024 - 6)) << gigabytes << " GB card";
    EXPECT_NEAR(m_dap->FreeMegabytes(), double(gigabytes * 1024) - 5.0039, 0.01);
}

TEST_F(DestinationList, CapacityOfAPlayerAndOfNothing) {
    WriteDevices(kDevices);
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), false);
    Start();
    m_dap->Refresh(true, true);
    ASSERT_EQ(m_dap->GetSelection(), 0);
    ASSERT_TRUE(m_dap->Prepare());
    m_dap->UpdateCapacity();
    EXPECT_EQ(m_free.text, U("約 0.99 MB"));
    EXPECT_EQ(m_used.text, U("約 255 MB"));
    EXPECT_FLOAT_EQ(m_dap->FreeMegabytes(), 1.0f);

    m_combo->Select(QString(), -1);
    m_dap->UpdateCapacity();
    EXPECT_EQ(m_free.text, QStringLiteral("-- MB"));
    EXPECT_EQ(m_used.text, QStringLiteral("-- MB"));
    EXPECT_EQ(m_dap->FreeMegabytes(), 0.0f);
}

TEST_F(DestinationList, APulledCardIsDroppedAtTheNextCapacityUpdate) {
    AddCard(QLatin1Char('F'), QStringLiteral("OTHER"), 64ull << 20);
    Start();
    m_dap->Refresh(true, true);
    Pick(QStringLiteral("SDCARD (E:)"));
    ASSERT_TRUE(m_dap->Prepare());
    m_dap->UpdateCapacity();
    EXPECT_EQ(m_free.text, U("約 256 MB"));
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), false);
    m_dap->UpdateCapacity();
    EXPECT_EQ(m_free.text, QStringLiteral("-- MB"));
    EXPECT_EQ(ComboItems(), QStringList{QStringLiteral("OTHER (F:)")});
    EXPECT_EQ(m_dap->GetSelection(), -1);
}

} // namespace
