#include "platform/files/KnownFolders.h"

#include "platform/Platform.h"
#include "platform/files/Volumes.h"

HRESULT SHGetFolderPath(HWND /*owner*/, int csidl, HANDLE /*token*/, DWORD /*flags*/, QString* path) {
    CVolumes* volumes = CPlatform::Current().volumes;
    if (!path)
        return E_INVALIDARG;
    if (!volumes)
        return E_FAIL;
    const bool create = csidl & CSIDL_FLAG_CREATE;
    return volumes->KnownFolder(csidl & ~CSIDL_FLAG_CREATE, create, path);
}
