#include "mediaengine/player/Engine.h"

#include "mediaengine/cd/CdDrives.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/RunLater.h"
#include "mediaengine/devices/Devices.h"
#include "mediaengine/library/EngineLibrary.h"
#include "mediaengine/library/Library.h"
#include "mediaengine/library/LibraryMedia.h"
#include "mediaengine/lookup/DiscNamer.h"
#include "mediaengine/ripping/RipSessions.h"
#include "platform/Platform.h"
#include "platform/messages/MessageLoop.h"
#include "platform/windows/WindowTable.h"

#include <QDir>

namespace {
constexpr UINT_PTR kPollTimer = 1;
} // namespace

CEngine::CEngine(MediaEngineConfig config) : m_config(std::move(config)) {
    m_context.loop = CPlatform::Current().loop;
    m_context.faults = std::make_shared<CEngineFaults>(m_config.faults);
    m_context.events = std::make_shared<CEngineEventQueue>(m_context.loop);
    const QString dir = m_config.engineDir.isEmpty() ? DefaultMediaEngineDir() : m_config.engineDir;
    m_library = std::make_shared<CEngineLibrary>(m_context);
    m_devices = std::make_shared<CDevices>(m_context, QDir(dir).filePath(QStringLiteral("devices.ini")));
    m_rips = std::make_shared<CRipSessions>(m_context, m_config.backends, m_library);
    m_drives = std::make_shared<CCdDrives>(m_context, m_config.backends.readDisc);
    m_namer =
        std::make_shared<CDiscNamer>(m_context, m_config.lookup.value_or(LookupSettings::FromEnvironment()));
}

CEngine::~CEngine() {
    Shutdown();
}

int CEngine::MajorVersion() const {
    bool ok = false;
    const int major = m_config.version.section(QLatin1Char('.'), 0, 0).toInt(&ok);
    return ok ? major : -1;
}

void CEngine::Start() {
    if (m_started) {
        return;
    }
    m_started = true;
    // The services know nothing of one another: what one must tell another goes through here.
    const std::weak_ptr<CRipSessions> rips = m_rips;
    const std::weak_ptr<CEngine> engine = weak_from_this();
    IMessageLoop* loop = m_context.loop;
    m_drives->SetCallbacks(
        [rips](QChar letter) {
            if (const auto alive = rips.lock()) {
                alive->DiscGone(letter);
            }
        },
        [engine, loop] { RunLater(loop, engine, [](CEngine& self) { self.CheckMedia(); }); });
    const QString dir = m_config.engineDir.isEmpty() ? DefaultMediaEngineDir() : m_config.engineDir;
    QDir().mkpath(dir);
    m_library->Open(QDir(dir).filePath(QStringLiteral("library.db")));
    if (m_library->Library()) {
        m_namer->OpenCache(QDir(dir).filePath(QStringLiteral("library.db")));
    }
    const std::weak_ptr<CCdDrives> drives = m_drives;
    const std::weak_ptr<CDiscNamer> namer = m_namer;
    m_namer->SetRenamed([drives](const std::shared_ptr<CCdDisc>& disc) {
        if (const auto alive = drives.lock()) {
            alive->DiscRenamed(disc);
        }
    });
    m_drives->SetDiscArrived([namer](const std::shared_ptr<CCdDisc>& disc) {
        if (const auto alive = namer.lock()) {
            alive->DiscArrived(disc);
        }
    });
    m_rips->SweepAbandonedFiles();
    m_devices->Start();
    m_drives->Start();

    CWindowTable* windows = CPlatform::Current().windows;
    if (windows && m_context.loop) {
        CWindowTable::Window window;
        window.className = QStringLiteral("OllivaneMediaEngine");
        window.child = true; // never among the top-level windows the program enumerates
        window.proc = this;
        m_pollWindow = windows->Create(window);
        m_context.loop->SetTimer(m_pollWindow, kPollTimer, kMediaPollMs);
    }
}

void CEngine::Shutdown() {
    m_context.events->SetTarget(nullptr);
    m_stopped = true;
    m_namer->Shutdown();
    m_drives->SetDiscArrived({});
    m_drives->SetCallbacks({}, {});
    m_drives->Shutdown();
    m_rips->Shutdown();
    m_devices->Shutdown();
    if (m_pollWindow) {
        if (m_context.loop) {
            m_context.loop->KillTimer(m_pollWindow, kPollTimer);
        }
        if (CWindowTable* windows = CPlatform::Current().windows) {
            windows->Destroy(m_pollWindow);
        }
        m_pollWindow = nullptr;
    }
    m_library->Shutdown();
}

LRESULT CEngine::WindowProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_TIMER && wParam == kPollTimer) {
        // The loop may deliver a last tick while the engine is being let go.
        const auto self = weak_from_this().lock();
        if (self && !m_stopped) {
            CheckMedia();
            m_library->RunDeletions();
        }
    }
    return 0;
}

void CEngine::CheckMedia() {
    if (m_stopped) {
        return;
    }
    if (m_checking) {
        m_checkAgain = true;
        return;
    }
    m_checking = true;
    do {
        m_checkAgain = false;
        // Every change is taken in before any is told, so whoever hears one finds the machine as it
        // now is; the telling may run a nested loop that asks for another look.
        m_drives->Check();
        m_devices->Check();
        m_context.events->Deliver();
    } while (m_checkAgain && !m_stopped);
    m_checking = false;
}

HRESULT CEngine::RaiseDeviceSyncError(const QString& deviceId, const QString& mediaUrl) {
    ComPtr<IDispatch> media;
    const std::shared_ptr<CLibrary> library = m_library->Library();
    if (const qint64 id = library && !mediaUrl.isEmpty() ? library->FindByUrl(mediaUrl) : 0) {
        media = MakeComObject<CLibraryMedia>(m_context.faults, library, id).Get();
    }
    return m_devices->RaiseSyncError(deviceId, media.Get());
}
