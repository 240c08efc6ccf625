#pragma once
// The program's two user settings, the player model and the auto-sync switch, and the first-run
// marker, kept as REG_DWORD values under HKEY_CURRENT_USER\Software\Korvel\Tessaly\. The store
// caches them; a caller that decides something asks for a fresh value, so a change made in the
// registry while the program runs takes effect at its next use. Registry failures are silent.

#include <QString>
#include <cstdint>

class CSettingsStore {
public:
    // The installer's defaults, written on the first run. Touches neither the cache nor the registry.
    void SetDefaults(int32_t modelDefault, int32_t autoSyncDefault);
    // The player model (0, 1 or 2). Fresh: re-read from the registry; a value of another type reads
    // 0, a missing key or value keeps the cached one.
    int32_t Model(bool fresh);
    // The auto-sync switch. Fresh: as Model, except that a value of another type reads 1 (on).
    int32_t AutoSync(bool fresh);
    // True on a first run, after storing "First" = 0 and the defaults; false once that was done.
    bool CheckFirstRun();

    static const QString& Key();

private:
    int32_t ReadFresh(const QString& name, int32_t cached, int32_t otherType);

    int32_t m_modelDefault = 0;
    int32_t m_model = 0;
    int32_t m_autoSyncDefault = 0;
    int32_t m_autoSync = 0;
};
