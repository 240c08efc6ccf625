#include "platform/Platform.h"

namespace {
CPlatform g_current;
}

CPlatform& CPlatform::Current() {
    return g_current;
}

CPlatformScope::CPlatformScope(const CPlatform& services) : m_previous(g_current) {
    g_current = services;
}

CPlatformScope::~CPlatformScope() {
    g_current = m_previous;
}
