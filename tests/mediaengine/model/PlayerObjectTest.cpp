// The player object as the program meets it: made by the control container from the player's class
// id, answering the contract's interfaces, telling its version, and learning remote mode from its site.
#include "tests/support/engine/EngineFixture.h"

namespace {

// The program's site: a service provider whose remote media services name a service type.
class CSite : public IServiceProvider, public IWMPRemoteMediaServices {
public:
    explicit CSite(QString type) : m_type(std::move(type)) {}
    HRESULT QueryInterface(const IID& riid, void** object) override {
        return ComQueryInterface(this, riid, object, ComInterface<IServiceProvider>(),
                                 ComInterface<IWMPRemoteMediaServices>());
    }
    ULONG AddRef() override = 0;
    ULONG Release() override = 0;
    HRESULT QueryService(const GUID&, const IID& riid, void** object) override {
        return QueryInterface(riid, object);
    }
    HRESULT GetServiceType(BSTR* type) override {
        *type = SysAllocString(m_type);
        return S_OK;
    }
    HRESULT GetApplicationName(BSTR* name) override {
        *name = SysAllocString(QStringLiteral("Ollivane"));
        return S_OK;
    }
    HRESULT GetScriptableObject(BSTR*, IDispatch**) override { return E_NOTIMPL; }
    HRESULT GetCustomUIMode(BSTR*) override { return E_NOTIMPL; }

private:
    QString m_type;
};

using PlayerObject = CEngineFixture;

TEST_F(PlayerObject, AnswersTheContractWithOneIdentity) {
    const ComPtr<IWMPPlayer4> player = CreatePlayer();
    ASSERT_TRUE(player);
    ComPtr<IUnknown> identity;
    ASSERT_EQ(player.As(&identity), S_OK);
    auto sameObject = [&](auto probe) {
        using I = typename decltype(probe)::InterfaceType;
        ComPtr<I> answer;
        if (player.As(&answer) != S_OK) {
            return false;
        }
        ComPtr<IUnknown> back;
        return answer.As(&back) == S_OK && back == identity;
    };
    EXPECT_TRUE(sameObject(ComPtr<IWMPPlayer>()));
    EXPECT_TRUE(sameObject(ComPtr<IWMPCore>()));
    EXPECT_TRUE(sameObject(ComPtr<IWMPCore3>()));
    EXPECT_TRUE(sameObject(ComPtr<IWMPControls>()));
    EXPECT_TRUE(sameObject(ComPtr<IWMPPlayerServices>()));
    EXPECT_TRUE(sameObject(ComPtr<IWMPSyncServices>()));
    EXPECT_TRUE(sameObject(ComPtr<IConnectionPointContainer>()));
    EXPECT_TRUE(sameObject(ComPtr<IObjectWithSite>()));

    ComPtr<IWMPControls> controls;
    EXPECT_EQ(player->get_controls(&controls), S_OK);
    EXPECT_EQ(controls->stop(), S_OK);
    ComPtr<IWMPPlaylistCollection> playlists;
    EXPECT_EQ(player->get_playlistCollection(&playlists), S_OK);
    ComPtr<IWMPMediaCollection> library;
    EXPECT_EQ(player->get_mediaCollection(&library), S_OK);

    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(player.As(&container), S_OK);
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IWMPEvents2, &point), S_OK);
    EXPECT_EQ(container->FindConnectionPoint(DIID__WMPOCXEvents, &point), S_OK);
    EXPECT_EQ(container->FindConnectionPoint(IID_IWMPEvents, &point), CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(point);
}

TEST_F(PlayerObject, VersionTextDecidesWhetherADriveCanRipByItself) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    struct Case {
        QString version;
        bool ripInterface;
    } cases[] = {{QStringLiteral("10.0.0.3802"), false},
                 {QStringLiteral("11.0.5721.5145"), true},
                 {QStringLiteral("12.0.7601.17514"), true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version.toStdString());
        CreatePlayer(c.version);
        CComBSTR version;
        ASSERT_EQ(m_player->get_versionInfo(&version), S_OK);
        EXPECT_EQ(version.ToQString(), c.version);
        ComPtr<IWMPCdromRip> rip;
        EXPECT_EQ(Drive(0).As(&rip) == S_OK, c.ripInterface);
        ReleasePlayer();
    }
}

TEST_F(PlayerObject, LearnsRemoteModeFromTheSiteItIsGiven) {
    for (const QString& type : {QStringLiteral("Remote"), QStringLiteral("Local")}) {
        SCOPED_TRACE(type.toStdString());
        m_registration.reset(); // a registration puts back what it replaced when it goes
        m_registration = std::make_unique<CControlFactoryRegistration>(
            QString::fromUtf16(kWmpPlayerClsidText), MediaEngineFactory(m_config));
        AtlAxWinInit();
        m_host = std::make_unique<CAxWindow>();
        ASSERT_TRUE(m_host->Create(m_main, RECT{0, 0, 10, 10}));
        ComPtr<IObjectWithSite> hostSite;
        ASSERT_EQ(m_host->QueryHost(&hostSite), S_OK);
        ComPtr<CComObject<CSite>> site(new CComObject<CSite>(type));
        ASSERT_EQ(hostSite->SetSite(static_cast<IServiceProvider*>(site.Get())), S_OK);
        ASSERT_EQ(m_host->CreateControl(reinterpret_cast<LPCOLESTR>(kWmpPlayerClsidText)), S_OK);
        ASSERT_EQ(m_host->QueryControl(&m_player), S_OK);
        EXPECT_EQ(Test()->IsRemote(), type == QLatin1String("Remote"));
        ReleasePlayer();
    }
}

} // namespace
