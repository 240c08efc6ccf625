#pragma once
// The Win32 file calls the program makes, on Windows paths through the volume table
// (CPlatform::Current().volumes). Each sets the thread's last error the way Windows does.
// Safe to call from the SD copy worker while the UI thread uses them too.

#include "platform/win/WinTypes.h"

#include <QString>

#include <atomic>
#include <cstdint>

// Writes through: returns only once the data is on the medium. A copy that does not fit the
// target drive fails with ERROR_DISK_FULL and leaves no partial file; with failIfExists an
// existing target fails with ERROR_FILE_EXISTS.
BOOL CopyFile(const QString& source, const QString& target, BOOL failIfExists);
// CopyFile with flags: COPY_FILE_FAIL_IF_EXISTS, and COPY_FILE_DEFER_FOLDER_FLUSH for a copy of
// many files onto one drive that ends with FlushVolumeBuffers: each file's data is still on the
// medium before it takes its name, but the folder entries are flushed once, by that flush.
inline constexpr DWORD COPY_FILE_FAIL_IF_EXISTS = 0x00000001;
inline constexpr DWORD COPY_FILE_DEFER_FOLDER_FLUSH = 0x80000000u;
BOOL CopyFileEx(const QString& source, const QString& target, DWORD flags);
// What a copy cancelled through its flag ends with, as on Windows.
inline constexpr LONG ERROR_REQUEST_ABORTED = 1235;
// As above; `cancel`, when given, is looked at before each piece of the data: once it is set the
// copy ends with ERROR_REQUEST_ABORTED and leaves no partial file (Windows' pbCancel).
BOOL CopyFileEx(const QString& source, const QString& target, DWORD flags,
                const std::atomic<int32_t>* cancel);
// Removes the temporary files that copies into `folder` left when their process was killed (only
// names this layer's copies write; listings never show them). Returns how many went.
int DeleteCopyLeftovers(const QString& folder);
// Within one drive a rename; across drives only with MOVEFILE_COPY_ALLOWED (copy, then delete the
// source), else ERROR_NOT_SAME_DEVICE. Without MOVEFILE_REPLACE_EXISTING an existing target fails
// with ERROR_ALREADY_EXISTS. Folders move within their drive only.
BOOL MoveFileEx(const QString& source, const QString& target, DWORD flags);
BOOL DeleteFile(const QString& path);
// ERROR_ALREADY_EXISTS when the name is taken, ERROR_PATH_NOT_FOUND when the parent is missing.
BOOL CreateDirectory(const QString& path, void* security);
// ERROR_DIR_NOT_EMPTY when anything is left inside.
BOOL RemoveDirectory(const QString& path);
BOOL PathFileExists(const QString& path);
// INVALID_FILE_ATTRIBUTES on failure.
DWORD GetFileAttributes(const QString& path);
