#pragma once
// Outgoing interfaces: an object that fires events offers one connection point per event interface;
// a client advises its sink to the point and gets a cookie to unadvise it later.

#include "platform/com/Unknown.h"

class IConnectionPoint;
class IEnumConnectionPoints;
class IEnumConnections;

class IConnectionPointContainer : public IUnknown {
public:
    // Not offered by this layer's components: E_NOTIMPL.
    virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) = 0;
    // The point for an event interface (one reference), or CONNECT_E_NOCONNECTION with *point null.
    virtual HRESULT FindConnectionPoint(const IID& riid, IConnectionPoint** point) = 0;
};

class IConnectionPoint : public IUnknown {
public:
    virtual HRESULT GetConnectionInterface(IID* riid) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
    // Keeps a reference on the sink and gives a non-zero cookie.
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
    // CONNECT_E_NOCONNECTION for a cookie that is not advised.
    virtual HRESULT Unadvise(DWORD cookie) = 0;
    // Not offered by this layer's components: E_NOTIMPL.
    virtual HRESULT EnumConnections(IEnumConnections** connections) = 0;
};

OLLIVANE_DEFINE_IID(IConnectionPointContainer, "{B196B284-BAB4-101A-B69C-00AA00341D07}");
OLLIVANE_DEFINE_IID(IConnectionPoint, "{B196B286-BAB4-101A-B69C-00AA00341D07}");
