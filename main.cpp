// Ollivane: composes the platform backends, the media engine and the windows into the program.
//
//   ollivane                 run on this machine's drives, registry hives and windows
//   ollivane --demo          run on the demo sandbox (created when missing)
//   ollivane --sandbox DIR   run on the sandbox in DIR (created with the demo layout when missing)
//   --screenshot FILE        save the main window as PNG once it is shown
//   --exit                   end after the screenshot (or at once when there is none); print and
//                            answer every message
//   --unattended             press 転送 once the window is ready, answer every message, print what
//                            happened and end; exit status 0 only when the card holds the tracks
//   --timeout SECONDS        how long the unattended run waits for a job to end (600)

#include "app/QuendaApp.h"
#include "controller/QuendaDlg.h"
#include "mediaengine/MediaEngine.h"
#include "mediaengine/about/EngineLibraries.h"
#include "mediaengine/drives/HostCdDrives.h"
#include "mediaengine/ripping/FirstStartPreferences.h"
#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "platform/messages/QtMessageLoop.h"
#include "platform/registry/Registry.h"
#include "platform/sandbox/Sandbox.h"
#include "platform/system/HostSystemServices.h"
#include "platform/system/SimSystemServices.h"
#include "platform/windows/ForeignWindows.h"
#include "platform/windows/WindowTable.h"
#include "platform/windows/X11WindowList.h"
#include "resources/ProgramVersion.h"
#include "tools/unattended/DemoDisc.h"
#include "tools/unattended/TestFaults.h"
#include "tools/unattended/UnattendedRun.h"
#include "ui/window/Fonts.h"
#include "ui/window/QtModalService.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

bool HasDisplay() {
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

void SaveScreenshot(QWidget* window, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (window->grab().save(path, "PNG")) {
        std::fprintf(stdout, "screenshot: %s\n", qPrintable(QFileInfo(path).absoluteFilePath()));
        // Whoever runs the program waits for this line, also through a pipe.
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "ollivane: cannot save the screenshot to %s\n", qPrintable(path));
    }
}

} // namespace

int main(int argc, char** argv) {
    // Without a display the program still runs, offscreen, so the demo works on any machine.
    if (!HasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ollivane"));
    QApplication::setOrganizationName(QStringLiteral("Ollivane"));
    QApplication::setApplicationVersion(ProgramVersion());
    InstallFontSubstitutes();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Copies the tracks of a music CD onto an SD card."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption demo(QStringLiteral("demo"), QStringLiteral("Run on the demo sandbox."));
    const QCommandLineOption sandboxDir(QStringLiteral("sandbox"),
                                        QStringLiteral("Run on the sandbox in DIR."), QStringLiteral("DIR"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save the main window as PNG once it is shown."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption exitAfter(
        QStringLiteral("exit"),
        QStringLiteral("End after the screenshot; messages are printed and answered."));
    const QCommandLineOption unattendedRun(
        QStringLiteral("unattended"),
        QStringLiteral(
            "Press 転送 once the window is ready, print what happened and end (status 0 when the card "
            "holds the tracks)."));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     QStringLiteral("With --unattended: give up (status 1) when no job has "
                                                    "ended after SECONDS (600)."),
                                     QStringLiteral("SECONDS"), QStringLiteral("600"));
    parser.addOptions({demo, sandboxDir, screenshot, exitAfter, unattendedRun, timeout});
    parser.process(app);
    bool timeoutOk = false;
    const int timeoutSeconds = parser.value(timeout).toInt(&timeoutOk);
    if (!timeoutOk || timeoutSeconds <= 0 || timeoutSeconds > 86400) {
        std::fprintf(stderr, "ollivane: --timeout takes a number of seconds from 1 to 86400\n");
        return 2;
    }

    CWindowTable windows;
    CQtMessageLoop loop;
    CQtModalService modal;
    CUnattendedRun unattended(&modal, stdout);
    const bool isUnattended = parser.isSet(unattendedRun);
    CPlatform services;
    services.windows = &windows;
    services.loop = &loop;
    // Without anybody at the window (--unattended, --exit) messages are printed and answered, so a
    // notice offscreen cannot hold the program.
    services.modal =
        isUnattended || parser.isSet(exitAfter) ? static_cast<IModalService*>(&unattended) : &modal;

    std::unique_ptr<CSandbox> sandbox;
    std::unique_ptr<CRegistry> hostRegistry;
    std::unique_ptr<CVolumes> hostVolumes;
    std::unique_ptr<CX11WindowList> hostWindows;
    std::unique_ptr<CForeignWindows> foreignWindows;
    CSimSystemServices simSystem;
    CHostSystemServices hostSystem;
    hostSystem.waitCursor = [](bool wait) {
        if (wait) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
    };

    if (parser.isSet(demo) || parser.isSet(sandboxDir)) {
        const QString dir = parser.isSet(sandboxDir) ? parser.value(sandboxDir) : CSandbox::DefaultDir();
        if (!parser.isSet(sandboxDir)) {
            // Without it D: stays empty; whoever runs the demo is told why and how to get it.
            CDemoDisc::Ensure(dir, stdout);
        }
        QString error;
        if (!CSandbox::CreateDefault(dir, &error)) {
            std::fprintf(stderr, "ollivane: %s\n", qPrintable(error));
            return 2;
        }
        sandbox = std::make_unique<CSandbox>(dir);
        if (!sandbox->Open(&error)) {
            std::fprintf(stderr, "ollivane: %s\n", qPrintable(error));
            return 2;
        }
        std::fprintf(stdout, "sandbox: %s\n", qPrintable(QDir(dir).absolutePath()));
        services.registry = &sandbox->Registry();
        services.volumes = &sandbox->Volumes();
        services.system = &simSystem;
        // The single-instance lock lives in the sandbox: two runs on one sandbox keep each other out.
        simSystem.SetLockFolder(dir);
    } else {
        hostRegistry = CRegistry::CreateHost();
        hostVolumes = std::make_unique<CVolumes>();
        hostVolumes->LoadHost();
        // The CD drives; the media engine's drive monitor watches their discs.
        CHostCdDrives::AddTo(*hostVolumes);
        // Cards mounted and CD drives plugged in while the program runs, looked for every second.
        hostVolumes->FollowHost(1000);
        // Other programs' windows, for the watch that keeps a stand-alone player closed.
        hostWindows = CX11WindowList::ForSession();
        foreignWindows =
            std::make_unique<CForeignWindows>(windows, *hostWindows, QCoreApplication::applicationPid());
        services.registry = hostRegistry.get();
        services.volumes = hostVolumes.get();
        services.system = &hostSystem;
    }
    CPlatformScope scope(services);
    // The engine comes with the program: its first start for this user makes its preferences,
    // which a run then borrows and gives back whole.
    if (!sandbox) {
        CFirstStartPreferences::WriteIfMissing();
    }

    // The media-player component the main window hosts, with its library beside the sandbox's
    // drives or in the user's data folder.
    MediaEngineConfig engine;
    engine.engineDir = sandbox ? sandbox->EngineDir() : DefaultMediaEngineDir();
    // Faults a test of the whole program asks for; a sandbox only.
    CTestFaults faults;
    if (sandbox && qEnvironmentVariableIsSet(CTestFaults::kVariable)) {
        QString error;
        if (!faults.Load(qEnvironmentVariable(CTestFaults::kVariable), &error)) {
            std::fprintf(stderr, "ollivane: %s\n", qPrintable(error));
            return 2;
        }
        engine.faults.stallAtTrack = faults.StallRipAtTrack();
        engine.faults.zeroSizeTrack = faults.ZeroSizeTrack();
    }
    RegisterMediaEngine(engine);
    CEngineLibraries::Register(); // for the about box

    CQuendaApp quendaApp;
    if (isUnattended) {
        quendaApp.SetMainWindowHook([&unattended, timeoutSeconds](CQuendaDlg& dialog) {
            unattended.Attach(dialog, timeoutSeconds * 1000);
        });
    } else if (parser.isSet(screenshot) || parser.isSet(exitAfter)) {
        const QString file = parser.value(screenshot);
        const bool quit = parser.isSet(exitAfter);
        quendaApp.SetMainWindowHook([file, quit](CQuendaDlg& dialog) {
            // Give the window a moment to lay itself out and paint before it is grabbed.
            QTimer::singleShot(500, &dialog, [&dialog, file, quit] {
                if (!file.isEmpty()) {
                    SaveScreenshot(&dialog, file);
                }
                if (quit) {
                    std::fprintf(stdout, "main window: %s\n", qPrintable(dialog.windowTitle()));
                    dialog.done(0);
                }
            });
        });
    }
    quendaApp.InitInstance();
    if (isUnattended && quendaApp.ExitCode() == 0) {
        return unattended.Result();
    }
    return quendaApp.ExitCode();
}
