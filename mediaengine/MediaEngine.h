#pragma once
// The media-player component: registered with the control container under the player's class id,
// so the program creates it the way it creates the player control.
//
// Where it keeps its data: `engineDir` holds the library database (library.db) and, for the demo
// and tests, the description of the synchronisation devices (devices.ini). The CD drives are those
// of the volume table; a CD drive's `disc` field names the disc image in it.
//
// Media changes of the sandbox (a disc image put in or taken out of a drive, a device connected or
// disconnected in devices.ini) are noticed by a poll every kMediaPollMs on the UI thread, through a
// hidden child window's timer; tests call IMediaEngineTest::CheckMedia to look at once. Physical
// drives are watched by a monitor thread that reads a new disc off the UI thread and reports it at
// once (see drives/DriveMonitor.h).

#include "mediaengine/MediaEngineBackends.h"
#include "mediaengine/MediaEngineFaults.h"
#include "mediaengine/lookup/LookupSettings.h"
#include "platform/container/ControlFactories.h"

#include <QString>
#include <optional>

struct MediaEngineConfig {
    // Folder of the engine's data; created when missing.
    QString engineDir;
    // What get_versionInfo answers; the number before the first "." is the major version, which
    // decides whether a drive offers IWMPCdromRip (11 and later).
    QString version = QStringLiteral("11.0.5721.5145");
    MediaEngineFaults faults;
    // Empty functions are filled with the real disc reader and rip job by RegisterMediaEngine.
    MediaEngineBackends backends;
    // Where discs are looked up; empty: the public services, or those the environment names.
    std::optional<LookupSettings> lookup;
};

inline constexpr unsigned kMediaPollMs = 1000;

// Registers the engine under "{6BF52A52-394A-11d3-B153-00C04F79FAA6}"; every control created from
// then on gets this configuration.
void RegisterMediaEngine(const MediaEngineConfig& config);
// The factory RegisterMediaEngine registers, with the backends exactly as given (tests).
ControlFactory MediaEngineFactory(const MediaEngineConfig& config);
// The host's engine folder: "<user data folder>/Ollivane/engine".
QString DefaultMediaEngineDir();
