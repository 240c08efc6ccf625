#pragma once
// Puts a scripted probe in place of the kernel's for the scope's lifetime, so tests can insert and
// take out discs in "physical" drives. An engine started meanwhile watches its drives through it,
// and starts its drive monitor even when the machine has no physical drive.

#include "mediaengine/drives/DriveProbe.h"

#include <optional>

class CDriveProbeScope {
public:
    explicit CDriveProbeScope(DriveProbe probe);
    ~CDriveProbeScope();
    CDriveProbeScope(const CDriveProbeScope&) = delete;
    CDriveProbeScope& operator=(const CDriveProbeScope&) = delete;

    // The probe of the innermost live scope; nullopt when none is installed.
    static std::optional<DriveProbe> Current();

private:
    std::optional<DriveProbe> m_previous;
};
