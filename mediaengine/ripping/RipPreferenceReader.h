#pragma once
// The player's rip preferences, read from the registry each time a rip starts (so a preference the
// program has just overridden takes effect): HKCU\Software\Microsoft\MediaPlayer\Preferences,
// "CDRecordPath" (a Windows folder, the user's music folder when missing), "CDRecordFileDetail",
// "CDRecordFileSeparator" and "MP3RecordRate" (bits per second).

#include "mediaengine/rip/RipRequest.h"
#include "platform/win/WinTypes.h"

#include <QString>

class CRipPreferenceReader {
public:
    // Fills prefs (the record folder as a host path, created when missing unless `create` is
    // false). A failure HRESULT when the folder cannot be had.
    static HRESULT Read(RipPreferences* prefs, bool create = true);
};
