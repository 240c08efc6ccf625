#pragma once
// The set of platform services the program runs on. The product installs the host backends, the
// demo installs the sandbox, and each test installs exactly the backends it needs. The Win32-style
// free functions (RegOpenKeyEx, CopyFile, SetTimer...) reach their backend through here.

class CRegistry;
class CVolumes;
class IMessageLoop;
class CWindowTable;
class ISystemServices;
class IModalService;

class CPlatform {
public:
    CRegistry* registry = nullptr;
    CVolumes* volumes = nullptr;
    IMessageLoop* loop = nullptr;
    CWindowTable* windows = nullptr;
    ISystemServices* system = nullptr;
    IModalService* modal = nullptr;

    // The services in force on this process.
    static CPlatform& Current();
};

// Installs a set of services for its lifetime and puts the previous set back afterwards, so tests
// can nest and never leak a backend into the next test.
class CPlatformScope {
public:
    explicit CPlatformScope(const CPlatform& services);
    ~CPlatformScope();
    CPlatformScope(const CPlatformScope&) = delete;
    CPlatformScope& operator=(const CPlatformScope&) = delete;

private:
    CPlatform m_previous;
};
