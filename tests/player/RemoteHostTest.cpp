// The site the hidden control is given: it answers any service request with its remote services,
// runs the control in remote mode under the program's name, and offers no scripts and no skin.
#include "player/RemoteHost.h"

#include "platform/com/Com.h"

#include <gtest/gtest.h>

namespace {

class RemoteHost : public ::testing::Test {
protected:
    void SetUp() override {
        CComObject<CRemoteHost>* host = nullptr;
        ASSERT_EQ(CComObject<CRemoteHost>::CreateInstance(&host), S_OK);
        m_host = host;
    }
    IWMPRemoteMediaServices* Services() const { return m_host.Get(); }
    ComPtr<CComObject<CRemoteHost>> m_host;
};

TEST_F(RemoteHost, AnyServiceRequestFindsTheRemoteServices) {
    const GUID services[] = {IID_IWMPRemoteMediaServices, IID_IDispatch,
                             MakeGuid("{12345678-1234-1234-1234-123456789ABC}")};
    for (const GUID& service : services) {
        void* out = nullptr;
        ASSERT_EQ(m_host->QueryService(service, IID_IWMPRemoteMediaServices, &out), S_OK);
        ComPtr<IWMPRemoteMediaServices> found;
        found.Attach(static_cast<IWMPRemoteMediaServices*>(out));
        EXPECT_EQ(found.Get(), Services());
    }
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(m_host->QueryService(IID_IWMPRemoteMediaServices, IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(m_host->QueryService(IID_IWMPRemoteMediaServices, IID_IWMPRemoteMediaServices, nullptr),
              E_POINTER);

    ComPtr<IUnknown> identity;
    ComPtr<IServiceProvider> provider;
    EXPECT_EQ(ComPtr<IWMPRemoteMediaServices>(Services()).As(&identity), S_OK);
    EXPECT_EQ(identity.As(&provider), S_OK);
    ComPtr<IDispatch> dispatch;
    EXPECT_EQ(identity.As(&dispatch), E_NOINTERFACE);
}

TEST_F(RemoteHost, TellsRemoteModeAndTheProgramsName) {
    CComBSTR type;
    ASSERT_EQ(Services()->GetServiceType(&type), S_OK);
    EXPECT_EQ(type.ToQString(), QStringLiteral("Remote"));
    EXPECT_EQ(Services()->GetServiceType(nullptr), E_POINTER);

    CComBSTR name;
    ASSERT_EQ(Services()->GetApplicationName(&name), S_OK);
    EXPECT_EQ(name.ToQString(), QStringLiteral("Ollivane"));
    EXPECT_EQ(Services()->GetApplicationName(nullptr), E_POINTER);
}

TEST_F(RemoteHost, OffersNoScriptableObjectAndNoSkin) {
    BSTR name = SysAllocString(QStringLiteral("stale"));
    BSTR keep = name;
    auto* stale = reinterpret_cast<IDispatch*>(0x10);
    IDispatch* object = stale;
    EXPECT_EQ(Services()->GetScriptableObject(&name, &object), E_NOTIMPL);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(object, nullptr);
    SysFreeString(keep);

    object = stale;
    EXPECT_EQ(Services()->GetScriptableObject(nullptr, &object), E_NOTIMPL);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(Services()->GetScriptableObject(nullptr, nullptr), E_NOTIMPL);

    BSTR skin = SysAllocString(QStringLiteral("untouched"));
    BSTR before = skin;
    EXPECT_EQ(Services()->GetCustomUIMode(&skin), E_NOTIMPL);
    EXPECT_EQ(skin, before);
    SysFreeString(skin);
}

} // namespace
