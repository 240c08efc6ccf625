// The embeddable connection point: cookies, sink references, and firing while sinks come and go.
#include "ComTestObjects.h"

#include "platform/com/ComPtr.h"
#include "platform/com/ComVariant.h"
#include "platform/com/ConnectionPoint.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

class ITestEvents : public IUnknown {
public:
    virtual void Ping(int value) = 0;
};
class _TestDispEvents : public IDispatch {};

OLLIVANE_DEFINE_IID(ITestEvents, "{A0000002-0000-4000-8000-000000000001}");
inline constexpr IID DIID__TestDispEvents = MakeGuid("{A0000002-0000-4000-8000-000000000002}");
OLLIVANE_BIND_IID(_TestDispEvents, DIID__TestDispEvents);

namespace {

// An event source with one direct and one dispatch point.
class CSource : public IConnectionPointContainer {
public:
    static inline int live = 0;
    CSource() { ++live; }
    ~CSource() override { --live; }

    HRESULT QueryInterface(const IID& riid, void** object) override {
        return ComQueryInterface(this, riid, object, ComInterface<IConnectionPointContainer>());
    }
    HRESULT EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT FindConnectionPoint(const IID& riid, IConnectionPoint** point) override {
        if (!point) {
            return E_POINTER;
        }
        *point = nullptr;
        if (riid == IID_ITestEvents) {
            *point = &direct;
        } else if (riid == DIID__TestDispEvents) {
            *point = &dispatch;
        } else {
            return CONNECT_E_NOCONNECTION;
        }
        (*point)->AddRef();
        return S_OK;
    }

    CConnectionPoint<ITestEvents> direct{this};
    CConnectionPoint<_TestDispEvents> dispatch{this};
};

// A sink that records what reaches it and can run an action from inside the event.
class CSink : public ITestEvents {
public:
    static inline int live = 0;
    CSink() { ++live; }
    ~CSink() override { --live; }

    HRESULT QueryInterface(const IID& riid, void** object) override {
        return ComQueryInterface(this, riid, object, ComInterface<ITestEvents>());
    }
    void Ping(int value) override {
        received.push_back(value);
        if (onPing) {
            onPing();
        }
    }

    std::vector<int> received;
    std::function<void()> onPing;
};

// A sink that only speaks IDispatch, or also the dispinterface's own id.
class CDispSink : public _TestDispEvents {
public:
    explicit CDispSink(bool answersDiid = false) : m_answersDiid(answersDiid) {}
    HRESULT QueryInterface(const IID& riid, void** object) override {
        if (m_answersDiid) {
            return ComQueryInterface(this, riid, object, ComInterface<_TestDispEvents>(),
                                     ComInterfaceVia<IDispatch, _TestDispEvents>());
        }
        return ComQueryInterface(this, riid, object, ComInterfaceVia<IDispatch, _TestDispEvents>());
    }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(const IID&, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID member, const IID&, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                   UINT*) override {
        invoked.push_back(member);
        lastArgument = params && params->cArgs ? params->rgvarg[0].lVal : -1;
        return S_OK;
    }
    std::vector<DISPID> invoked;
    LONG lastArgument = 0;

private:
    bool m_answersDiid;
};

class ConnectionPointTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CComObject<CSource>::CreateInstance(&m_source), S_OK);
        source = m_source;
    }
    void TearDown() override {
        source.Reset();
        EXPECT_EQ(CSource::live, 0);
        EXPECT_EQ(CSink::live, 0) << "every sink was given back";
    }

    // A sink that only the connection point holds once advised.
    CComObject<CSink>* NewSink() {
        CComObject<CSink>* sink = nullptr;
        EXPECT_EQ(CComObject<CSink>::CreateInstance(&sink), S_OK);
        return sink;
    }
    DWORD Advise(IUnknown* sink) {
        DWORD cookie = 0;
        EXPECT_EQ(m_source->direct.Advise(sink, &cookie), S_OK);
        return cookie;
    }
    void FirePing(int value) {
        m_source->direct.ForEachSink([value](ITestEvents* sink) { sink->Ping(value); });
    }

    ComPtr<CSource> source;
    CComObject<CSource>* m_source = nullptr;
};

TEST_F(ConnectionPointTest, AdviseKeepsTheSinkAndUnadviseGivesItBack) {
    ComPtr<ITestEvents> a(NewSink());
    ComPtr<ITestEvents> b(NewSink());
    const DWORD cookieA = Advise(a.Get());
    const DWORD cookieB = Advise(b.Get());
    EXPECT_NE(cookieA, 0u);
    EXPECT_NE(cookieB, 0u);
    EXPECT_NE(cookieA, cookieB);
    EXPECT_EQ(RefCount(a.Get()), 2u) << "the point holds one reference";

    EXPECT_EQ(m_source->direct.Unadvise(cookieA), S_OK);
    EXPECT_EQ(RefCount(a.Get()), 1u);
    EXPECT_EQ(m_source->direct.Unadvise(cookieA), CONNECT_E_NOCONNECTION) << "only once";
    EXPECT_EQ(m_source->direct.Unadvise(0), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(m_source->direct.Unadvise(cookieB + 100), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(m_source->direct.SinkCount(), 1u);

    DWORD cookie = 77;
    EXPECT_EQ(m_source->direct.Advise(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(m_source->direct.Advise(a.Get(), nullptr), E_POINTER);
    // The source's destruction gives back b's reference (checked in TearDown).
}

TEST_F(ConnectionPointTest, ASinkWithoutTheInterfaceIsRefusedAndNotKept) {
    CComObject<CFooBar>* foo = NewFooBar();
    DWORD cookie = 5;
    EXPECT_EQ(m_source->direct.Advise(static_cast<ITestFoo*>(foo), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(RefCount(static_cast<ITestFoo*>(foo)), 1u);
    EXPECT_EQ(m_source->dispatch.Advise(static_cast<ITestFoo*>(foo), &cookie), CONNECT_E_CANNOTCONNECT)
        << "a dispatch point wants the dispinterface or at least IDispatch";
    foo->Release();
}

TEST_F(ConnectionPointTest, EveryAdvisedSinkIsFiredInAdviseOrder) {
    std::vector<char> order;
    for (char name : {'a', 'b', 'c'}) {
        CComObject<CSink>* sink = NewSink();
        sink->onPing = [&order, name] { order.push_back(name); };
        Advise(sink);
    }
    FirePing(1);
    EXPECT_EQ(order, (std::vector<char>{'a', 'b', 'c'}));
}

TEST_F(ConnectionPointTest, ASinkThatUnadvisesItselfWhileFiredStaysAliveUntilItReturns) {
    CComObject<CSink>* first = NewSink();
    CComObject<CSink>* second = NewSink();
    const DWORD firstCookie = Advise(first);
    Advise(second);
    bool aliveAfterUnadvise = false;
    first->onPing = [&] {
        // The point held the only reference; the firing round must keep the sink alive meanwhile.
        EXPECT_EQ(m_source->direct.Unadvise(firstCookie), S_OK);
        aliveAfterUnadvise = CSink::live == 2;
        first->received.push_back(-1); // touches the sink after its unadvise
    };
    FirePing(7);
    EXPECT_TRUE(aliveAfterUnadvise);
    EXPECT_EQ(second->received, (std::vector<int>{7})) << "the rest of the round goes on";
    EXPECT_EQ(CSink::live, 1) << "the first sink went once its call had returned";
    FirePing(8);
    EXPECT_EQ(second->received, (std::vector<int>{7, 8}));
}

TEST_F(ConnectionPointTest, SinksUnadvisedDuringARoundAreSkippedAndNewOnesWaitForTheNext) {
    CComObject<CSink>* first = NewSink();
    CComObject<CSink>* second = NewSink();
    Advise(first);
    const DWORD secondCookie = Advise(second);
    CComObject<CSink>* late = NewSink();
    ComPtr<ITestEvents> holdLate(late);
    bool done = false;
    first->onPing = [&] {
        if (!done) {
            done = true;
            m_source->direct.Unadvise(secondCookie);
            Advise(late);
        }
    };
    FirePing(1);
    EXPECT_TRUE(late->received.empty()) << "advised during the round";
    FirePing(2);
    EXPECT_EQ(first->received, (std::vector<int>{1, 2}));
    EXPECT_EQ(late->received, (std::vector<int>{2}));
}

TEST_F(ConnectionPointTest, DispatchPointReachesSinksThatOnlyOfferIDispatch) {
    ComPtr<IDispatch> plain;
    ComPtr<IDispatch> typed;
    CComObject<CDispSink>* plainSink = new CComObject<CDispSink>(false);
    CComObject<CDispSink>* typedSink = new CComObject<CDispSink>(true);
    plain = static_cast<IDispatch*>(plainSink);
    typed = static_cast<IDispatch*>(typedSink);
    DWORD c1 = 0;
    DWORD c2 = 0;
    ASSERT_EQ(m_source->dispatch.Advise(plain.Get(), &c1), S_OK);
    ASSERT_EQ(m_source->dispatch.Advise(typed.Get(), &c2), S_OK);

    CComVariant argument(LONG(5701));
    DISPPARAMS params{&argument, nullptr, 1, 0};
    m_source->dispatch.ForEachDispatch([&](IDispatch* sink) {
        sink->Invoke(42, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    });
    EXPECT_EQ(plainSink->invoked, (std::vector<DISPID>{42}));
    EXPECT_EQ(typedSink->invoked, (std::vector<DISPID>{42}));
    EXPECT_EQ(typedSink->lastArgument, 5701);

    int typedOnly = 0;
    m_source->dispatch.ForEachSink([&](_TestDispEvents*) { ++typedOnly; });
    EXPECT_EQ(typedOnly, 1);
}

TEST_F(ConnectionPointTest, AHeldPointKeepsItsOwnerAliveAndNamesItsInterface) {
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(source->FindConnectionPoint(IID_ITestEvents, &point), S_OK);
    IID iid{};
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, IID_ITestEvents);
    ComPtr<IConnectionPointContainer> owner;
    ASSERT_EQ(point->GetConnectionPointContainer(&owner), S_OK);
    EXPECT_EQ(owner.Get(), static_cast<IConnectionPointContainer*>(m_source));
    owner.Reset();

    ComPtr<IConnectionPoint> missing;
    EXPECT_EQ(source->FindConnectionPoint(IID_ITestFoo, &missing), CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(missing);

    source.Reset();
    EXPECT_EQ(CSource::live, 1) << "the point shares its owner's count";
    ComPtr<ITestEvents> sink(NewSink());
    DWORD cookie = 0;
    EXPECT_EQ(point->Advise(sink.Get(), &cookie), S_OK);
    point.Reset();
    EXPECT_EQ(CSource::live, 0);
    EXPECT_EQ(RefCount(sink.Get()), 1u) << "the dying owner let go of its sinks";
}

} // namespace
