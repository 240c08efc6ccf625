#pragma once
// Translation of host (errno) failures into the Win32 error codes the program tests for.

#include "platform/win/WinTypes.h"

class CHostError {
public:
    // ENOENT maps to ERROR_FILE_NOT_FOUND; callers that know the folder is missing say
    // ERROR_PATH_NOT_FOUND themselves.
    static LONG FromErrno(int error);
};
