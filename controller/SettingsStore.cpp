#include "controller/SettingsStore.h"

#include "platform/registry/Registry.h"

namespace {

bool WriteDword(HKEY key, const QString& name, int32_t value) {
    const DWORD data = static_cast<DWORD>(value);
    return RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)) ==
           ERROR_SUCCESS;
}

} // namespace

const QString& CSettingsStore::Key() {
    static const QString key = QStringLiteral("Software\\Korvel\\Tessaly\\");
    return key;
}

void CSettingsStore::SetDefaults(int32_t modelDefault, int32_t autoSyncDefault) {
    m_modelDefault = modelDefault;
    m_autoSyncDefault = autoSyncDefault;
}

int32_t CSettingsStore::ReadFresh(const QString& name, int32_t cached, int32_t otherType) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, Key(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return cached;
    }
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LONG rc = RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        return cached;
    }
    return type == REG_DWORD ? static_cast<int32_t>(value) : otherType;
}

int32_t CSettingsStore::Model(bool fresh) {
    if (fresh) {
        m_model = ReadFresh(QStringLiteral("Model"), m_model, 0);
    }
    return m_model;
}

int32_t CSettingsStore::AutoSync(bool fresh) {
    if (fresh) {
        m_autoSync = ReadFresh(QStringLiteral("AutoSync"), m_autoSync, 1);
    }
    return m_autoSync;
}

bool CSettingsStore::CheckFirstRun() {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, Key(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD type = REG_NONE;
        DWORD first = 1;
        DWORD size = sizeof(first);
        const LONG rc = RegQueryValueEx(key, QStringLiteral("First"), nullptr, &type,
                                        reinterpret_cast<BYTE*>(&first), &size);
        RegCloseKey(key);
        if (rc == ERROR_SUCCESS && type == REG_DWORD && first == 0) {
            return false;
        }
    }
    if (RegCreateKeyEx(HKEY_CURRENT_USER, Key(), 0, QString(), REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                       &key, nullptr) != ERROR_SUCCESS) {
        return true;
    }
    WriteDword(key, QStringLiteral("First"), 0);
    if (WriteDword(key, QStringLiteral("Model"), m_modelDefault)) {
        m_model = m_modelDefault;
    }
    if (WriteDword(key, QStringLiteral("AutoSync"), m_autoSyncDefault)) {
        m_autoSync = m_autoSyncDefault;
    }
    RegCloseKey(key);
    return true;
}
