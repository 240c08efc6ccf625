#include "controller/PreferenceSteps.h"

#include "controller/SettingsStore.h"
#include "player/WmpRegAcc.h"

int FileDetailTypeForModel(int32_t model) {
    return model == 1 || model == 2 ? model : 0;
}

void TakeOverPlayerPreferences(CWmpRegAcc& regAcc, CSettingsStore& settings, int32_t installerModel,
                               int32_t installerAutoSync) {
    regAcc.OverridePreferences();
    settings.SetDefaults(installerModel, installerAutoSync);
    settings.CheckFirstRun();
    regAcc.SetFileDetailType(FileDetailTypeForModel(settings.Model(true)));
    regAcc.WritePreferences();
}

void GiveBackPlayerPreferences(CWmpRegAcc& regAcc) {
    regAcc.RestorePreferences();
}
