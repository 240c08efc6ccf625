#pragma once
// File search in the manner of FindFirstFile/FindNextFile: one folder, a pattern with "*" and "?"
// in its last name, entries handed out one at a time through a handle.

#include "platform/win/WinTypes.h"

#include <QDateTime>
#include <QList>
#include <QString>

struct WIN32_FIND_DATA {
    DWORD dwFileAttributes = 0;
    QDateTime ftCreationTime;
    QDateTime ftLastWriteTime;
    DWORD nFileSizeHigh = 0;
    DWORD nFileSizeLow = 0;
    QString cFileName;
};

class CFileSearch {
public:
    // Lists the matches of a Windows pattern ("E:\dir\*.*"). On failure returns null with the
    // Win32 error in *error: ERROR_FILE_NOT_FOUND when nothing matches, ERROR_PATH_NOT_FOUND for a
    // missing folder, ERROR_NOT_READY for an absent medium, the path errors of ToHostPath.
    static CFileSearch* Start(const QString& pattern, LONG* error);

    // Copies the next entry out; false at the end.
    bool Next(WIN32_FIND_DATA* data);

    // Windows pattern rules on one name: "*" any run, "?" one character, "*.*" everything, and a
    // trailing ".*" also matches the name without an extension. Case-sensitive, like every name
    // on the host.
    static bool Matches(const QString& name, const QString& pattern);

private:
    QList<WIN32_FIND_DATA> m_entries;
    qsizetype m_next = 0;
};

// The handle is the search object; FindClose frees it. A handle that is not a live search gives
// ERROR_INVALID_HANDLE.
HANDLE FindFirstFile(const QString& pattern, WIN32_FIND_DATA* data);
BOOL FindNextFile(HANDLE search, WIN32_FIND_DATA* data);
BOOL FindClose(HANDLE search);
