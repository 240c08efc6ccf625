#include "app/QuendaApp.h"
#include "platform/system/WaitCursor.h"

#include "app/ShutdownSignals.h"
#include "controller/QuendaDlg.h"
#include "platform/Platform.h"
#include "platform/container/AxWindow.h"
#include "platform/messages/ModalService.h"
#include "platform/registry/Registry.h"
#include "platform/win/LastError.h"
#include "platform/windows/WindowTable.h"
#include "player/WmpRegAcc.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <QCoreApplication>
#include <cstdio>
#include <memory>

namespace {

constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;

} // namespace

CQuendaApp::CQuendaApp() = default;

CQuendaApp::~CQuendaApp() {
    CloseMutex();
}

const QString& CQuendaApp::MutexName() {
    static const QString name =
        QStringLiteral("Global\\Global MUTEX for Brackwell PC Software For Dictionary");
    return name;
}

int32_t CQuendaApp::OsClassOf(const OSVERSIONINFOEX& info) {
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        if (info.dwMajorVersion != 4) {
            return 0;
        }
        switch (HIWORD(info.dwBuildNumber)) {
        case 0x040A:
            return info.szCSDVersion.size() > 1 && info.szCSDVersion[1] == QLatin1Char('A') ? 7 : 6;
        case 0x045A:
            return 8;
        default:
            return 0;
        }
    }
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (info.dwMajorVersion < 5) {
            return 0;
        }
        if (info.dwMajorVersion > 5 || info.dwMinorVersion > 2) {
            return 255;
        }
        return static_cast<int32_t>(9 + info.dwMinorVersion);
    }
    return 0;
}

bool CQuendaApp::IsSupportedOsClass(int32_t osClass) {
    return osClass == 10 || osClass == 11 || osClass == 255;
}

QString CQuendaApp::InstallerKey(int32_t osClass) {
    return osClass == 11 ? QStringLiteral("Software\\Wow6432Node\\Korvel\\Tessaly\\")
                         : QStringLiteral("Software\\Korvel\\Tessaly\\");
}

void CQuendaApp::ReadInstallerDefaults() {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, InstallerKey(m_osClass), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    // Four bytes each, whatever their type; a value that is missing or longer leaves the default.
    DWORD size = sizeof(m_installerModelDefault);
    RegQueryValueEx(key, QStringLiteral("Model"), nullptr, nullptr,
                    reinterpret_cast<BYTE*>(&m_installerModelDefault), &size);
    size = sizeof(m_installerAutoSyncDefault);
    RegQueryValueEx(key, QStringLiteral("AutoSync"), nullptr, nullptr,
                    reinterpret_cast<BYTE*>(&m_installerAutoSyncDefault), &size);
    RegCloseKey(key);
}

void CQuendaApp::BringMainWindowForward() {
    if (HWND window = FindWindow(QString(), LoadString(IDS_APP_TITLE))) {
        SetForegroundWindow(window);
        std::fprintf(stdout, "a second start: the window is brought to the front\n");
        std::fflush(stdout);
    }
}

void CQuendaApp::CloseMutex() {
    // Closing the last handle releases the ownership taken at creation.
    if (m_hMutex) {
        CloseHandle(m_hMutex);
        m_hMutex = nullptr;
    }
}

void CQuendaApp::Refuse(UINT textId, UINT captionId) {
    MessageBox(nullptr, LoadString(textId), LoadString(captionId), MB_ICONERROR);
    m_exitCode = 1;
}

bool CQuendaApp::InitInstance() {
    // A request to end (session logout, Ctrl+C, kill) asks the main window to end: a job that runs
    // is stopped and cleaned up first, then the window's destruction gives the player's preferences
    // back as on a close. Without a running window the event loop simply ends.
    int endSignal = 0;
    CQuendaDlg* running = nullptr;
    CShutdownSignals shutdownSignals([&endSignal, &running](int signalNumber) {
        if (endSignal == 0) {
            endSignal = signalNumber;
            if (running) {
                running->RequestEnd();
            } else {
                QCoreApplication::exit(128 + signalNumber);
            }
        }
    });

    // 1. The control container; the wait cursor while the checks run.
    // The wait cursor for as long as the start-up checks run.
    CWaitCursor waitCursor;
    AtlAxWinInit();

    // 2. One instance per machine. A later start that finds the mutex taken asks this process to
    // bring its window forward.
    SetBringForwardHandler(BringMainWindowForward);
    m_hMutex = CreateMutex(nullptr, TRUE, MutexName());
    const DWORD mutexError = GetLastError();
    if (!m_hMutex && mutexError == static_cast<DWORD>(ERROR_ACCESS_DENIED)) {
        waitCursor.End();
        Refuse(IDS_ERR_OTHER_USER_RUNNING, IDS_CAPTION_WARNING);
        return false;
    }
    if (m_hMutex && mutexError == static_cast<DWORD>(ERROR_ALREADY_EXISTS)) {
        // The first window is in another process: its owner is asked, and ends this start silently
        // whether or not it answers.
        if (HWND first = FindWindow(QString(), LoadString(IDS_APP_TITLE))) {
            SetForegroundWindow(first);
        } else {
            BringMutexOwnerForward(MutexName());
        }
        CloseMutex();
        return false;
    }
    // No handle for another reason: run without single-instance protection.

    // 3. The COM-style runtime needs no per-thread start on this platform.

    // 4. Supported systems only.
    OSVERSIONINFOEX version;
    if (!GetVersionEx(&version)) {
        version = OSVERSIONINFOEX{};
    }
    m_osClass = OsClassOf(version);
    if (!IsSupportedOsClass(m_osClass)) {
        waitCursor.End();
        Refuse(IDS_ERR_UNSUPPORTED_OS, IDS_APP_TITLE);
        CloseMutex();
        return false;
    }

    // 5. The installer's defaults for the settings.
    ReadInstallerDefaults();

    // 6. A media player of version 10 or later.
    {
        CWmpRegAcc regAcc;
        if (!regAcc.IsPlayerInstalled() || regAcc.GetPlayerVersion() <= 9) {
            waitCursor.End();
            Refuse(IDS_ERR_PLAYER_TOO_OLD, IDS_APP_TITLE);
            CloseMutex();
            return false;
        }
    }
    waitCursor.End();

    // 7. The main window, modally.
    {
        auto dialog = std::make_unique<CQuendaDlg>();
        // Held (not merely opened): no other run of the program is alive.
        dialog->SetSoleInstance(m_hMutex != nullptr);
        dialog->SetInstallerDefaults(m_installerModelDefault, m_installerAutoSyncDefault);
        if (m_mainWindowHook) {
            m_mainWindowHook(*dialog);
        }
        running = dialog.get();
        if (IModalService* modal = CPlatform::Current().modal) {
            CQuendaDlg* window = dialog.get();
            modal->RunModal(QStringLiteral("CQuendaDlg"), [window] { return window->DoModal(); });
        } else {
            dialog->DoModal();
        }
        running = nullptr;

        // 8. The window's run has ended with its destruction steps: the player is gone and its
        // preferences are back. Only now may a second start take over; then the object goes.
        dialog->OnDestroy();
        CloseMutex();
        dialog.reset();
    }
    m_exitCode = endSignal ? 128 + endSignal : 0;
    return false;
}
