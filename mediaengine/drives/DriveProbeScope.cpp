#include "mediaengine/drives/DriveProbeScope.h"

#include <mutex>

namespace {

std::mutex g_mutex;
std::optional<DriveProbe> g_current;

} // namespace

CDriveProbeScope::CDriveProbeScope(DriveProbe probe) {
    std::lock_guard lock(g_mutex);
    m_previous = std::move(g_current);
    g_current = std::move(probe);
}

CDriveProbeScope::~CDriveProbeScope() {
    std::lock_guard lock(g_mutex);
    g_current = std::move(m_previous);
}

std::optional<DriveProbe> CDriveProbeScope::Current() {
    std::lock_guard lock(g_mutex);
    return g_current;
}
