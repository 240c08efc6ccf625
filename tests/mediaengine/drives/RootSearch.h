#pragma once
// A drive's root as the program walks it: FindFirstFile/FindNextFile over "X:\*.*", and the
// program's own verdict on what it found (an audio CD shows no DVD folders and no music files).

#include "platform/files/FileSearch.h"
#include "platform/win/LastError.h"

#include <QStringList>

struct RootSearch {
    bool started = false;
    DWORD error = ERROR_SUCCESS; // why the search could not start
    QStringList names;           // in the order found; folders end in "\"
};

inline RootSearch SearchRoot(QChar letter, const QString& pattern = QStringLiteral("*.*")) {
    RootSearch result;
    WIN32_FIND_DATA data;
    const HANDLE handle = FindFirstFile(QString(letter) + QStringLiteral(":\\") + pattern, &data);
    if (handle == INVALID_HANDLE_VALUE) {
        result.error = GetLastError();
        return result;
    }
    result.started = true;
    do {
        const bool folder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        result.names.append(folder ? data.cFileName + QLatin1Char('\\') : data.cFileName);
    } while (FindNextFile(handle, &data));
    result.error = GetLastError(); // ERROR_NO_MORE_FILES after a full walk
    FindClose(handle);
    return result;
}

// The program's test of a disc's root: the search must start, and no DVD folder ("VIDEO_TS",
// "AUDIO_TS") or music file (".wma", ".mp3" after the first character) may show up; case counts.
inline bool IsAudioOnlyRoot(const RootSearch& root) {
    if (!root.started) {
        return false;
    }
    for (const QString& name : root.names) {
        if (name.endsWith(QLatin1Char('\\'))) {
            if (name.startsWith(QLatin1String("VIDEO_TS")) || name.startsWith(QLatin1String("AUDIO_TS"))) {
                return false;
            }
        } else if (name.indexOf(QLatin1String(".wma")) > 0 || name.indexOf(QLatin1String(".mp3")) > 0) {
            return false;
        }
    }
    return true;
}
