#pragma once
// The main window's part in taking over the media player's preferences. At start it backs up the
// user's preferences and writes ours, stores the settings defaults on a first run, and sets the
// file naming that the player model needs; when the window goes, the preferences are given back.

#include <cstdint>

class CSettingsStore;
class CWmpRegAcc;

// The file-naming type for a player model: models 1 and 2 have their own, every other value the
// default (0).
int FileDetailTypeForModel(int32_t model);

// Runs at the main window's start, before the player control exists.
void TakeOverPlayerPreferences(CWmpRegAcc& regAcc, CSettingsStore& settings, int32_t installerModel,
                               int32_t installerAutoSync);

// Runs when the main window is destroyed, after the player control is released.
void GiveBackPlayerPreferences(CWmpRegAcc& regAcc);
