// ollivane-rip: rips an audio CD (a .cue image or a drive) to MP3 with the media player's
// preferences, without the window. See CRipCommandLine::Usage for the options.

#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "platform/registry/Registry.h"
#include "tools/rip/RipCommandLine.h"
#include "tools/rip/RipTool.h"

#include <QCoreApplication>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

// Set by the signal handler, read by the rip's wait loop.
std::atomic<int> g_interrupt{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void OnInterrupt(int signal) {
    g_interrupt.store(signal);
}

void InstallInterruptHandlers() {
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The same names as the program, so both find the same hives and folders.
    QCoreApplication::setApplicationName(QStringLiteral("Ollivane"));
    QCoreApplication::setOrganizationName(QStringLiteral("Ollivane"));

    RipToolOptions options;
    QString error;
    if (!CRipCommandLine::Parse(QCoreApplication::arguments().mid(1), &options, &error)) {
        std::fprintf(stderr, "ollivane-rip: %s\n", error.toUtf8().constData());
        return CRipTool::kExitBadInput;
    }
    if (options.help) {
        std::fputs(CRipCommandLine::Usage().toUtf8().constData(), stdout);
        return 0;
    }
    InstallInterruptHandlers();

    // The player's preferences live in the host registry; its drive table turns the rip folder
    // preference into a host path.
    std::unique_ptr<CRegistry> registry = CRegistry::CreateHost();
    CVolumes volumes;
    volumes.LoadHost();
    CPlatform services;
    services.registry = registry.get();
    services.volumes = &volumes;
    CPlatformScope scope(services);

    const CRipConsole::Style style = options.quiet                ? CRipConsole::Style::Quiet
                                     : isatty(STDOUT_FILENO) != 0 ? CRipConsole::Style::Live
                                                                  : CRipConsole::Style::Lines;
    CRipTool tool(stdout, stderr, &g_interrupt);
    return tool.Run(options, style);
}
