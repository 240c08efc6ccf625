#pragma once
// The shell's known folders: the user's documents (CSIDL_PERSONAL) and music (CSIDL_MYMUSIC), as
// Windows paths. Or CSIDL_FLAG_CREATE into csidl to have a missing folder made.

#include "platform/win/WinTypes.h"

#include <QString>

// S_OK with the path; E_FAIL when the folder does not exist (without the create flag) or cannot be
// made; E_INVALIDARG for any other folder.
HRESULT SHGetFolderPath(HWND owner, int csidl, HANDLE token, DWORD flags, QString* path);
