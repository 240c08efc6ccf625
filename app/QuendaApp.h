#pragma once
// The application object: refuses to start twice, checks the operating system and the installed
// media player, reads the installer's defaults, and runs the main window modally. The process
// ends when InitInstance returns.

#include "platform/system/SystemServices.h"
#include "platform/win/WinTypes.h"

#include <QString>
#include <cstdint>
#include <functional>

class CQuendaDlg;

class CQuendaApp {
public:
    CQuendaApp();
    ~CQuendaApp();
    CQuendaApp(const CQuendaApp&) = delete;
    CQuendaApp& operator=(const CQuendaApp&) = delete;

    // The start-up steps and the main window's run. Always false: there is no message loop beyond
    // the main window's own.
    bool InitInstance();

    // Called with the main window once it is built, just before it runs.
    void SetMainWindowHook(std::function<void(CQuendaDlg&)> hook) { m_mainWindowHook = std::move(hook); }

    // 0 after a run of the main window (or a second start), 1 when a start-up check refused to run,
    // 128 + n when signal n ended the run.
    int ExitCode() const { return m_exitCode; }
    int32_t OsClass() const { return m_osClass; }
    int32_t InstallerModelDefault() const { return m_installerModelDefault; }
    int32_t InstallerAutoSyncDefault() const { return m_installerAutoSyncDefault; }

    static const QString& MutexName();
    // The operating-system class code of a version record: 10 (NT 5.1), 11 (NT 5.2) and 255 (later
    // NT) are the systems the program runs on.
    static int32_t OsClassOf(const OSVERSIONINFOEX& info);
    static bool IsSupportedOsClass(int32_t osClass);
    // Where the installer's defaults are: the 32-bit view on a class-11 system.
    static QString InstallerKey(int32_t osClass);

private:
    void ReadInstallerDefaults();
    // A later start asked for this process's window.
    static void BringMainWindowForward();
    void CloseMutex();
    // Shows why the program cannot run (error icon, no owner).
    void Refuse(UINT textId, UINT captionId);

    int32_t m_installerModelDefault = 0;
    int32_t m_installerAutoSyncDefault = 0;
    int32_t m_osClass = 10;
    HANDLE m_hMutex = nullptr;
    int m_exitCode = 0;
    std::function<void(CQuendaDlg&)> m_mainWindowHook;
};
