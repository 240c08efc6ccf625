#pragma once
// The player's preferences as its first start for a user leaves them: under
// HKCU\Software\Microsoft\MediaPlayer\Preferences, every value a program that takes them over
// backs up and gives back, with the values this engine works by when nothing is set (MP3 at
// 128 kbps into the user's music folder, the default file naming, no lookups, nothing automatic).
//
// A program that borrows the preferences for a run can then leave them exactly as it found them:
// it gives back only values it found, and here every one of them is there from the start.

#include <QString>

class CFirstStartPreferences {
public:
    // The file naming, separator and MP3 rate the engine rips with when none is set.
    static const QString& FileDetail();
    static const QString& Separator();
    static constexpr int kMp3Rate = 128000;

    // Writes the preferences when the user has none yet (the key is missing); leaves any existing
    // key alone. False when they were missing and could not be written.
    static bool WriteIfMissing();
};
