#pragma once
// The Win32 drive calls on the drive table in use (CPlatform::Current().volumes). Each sets the
// thread's last error.

#include "platform/win/WinTypes.h"

#include <QString>

DWORD GetLogicalDrives();
// "E:\" or "E:" (also "E:/"). DRIVE_NO_ROOT_DIR for a letter that is not mapped.
UINT GetDriveType(const QString& root);
BOOL GetVolumeInformation(const QString& root, QString* label, DWORD* serial, DWORD* maxComponentLength,
                          DWORD* fileSystemFlags, QString* fileSystemName);
BOOL GetDiskFreeSpace(const QString& root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                      DWORD* freeClusters, DWORD* totalClusters);
// Takes a root or any folder on the drive.
BOOL GetDiskFreeSpaceEx(const QString& path, ULONGLONG* freeBytesAvailable, ULONGLONG* totalBytes,
                        ULONGLONG* totalFreeBytes);

// Windows path to host path. Errors: ERROR_BAD_PATHNAME for a relative path or ".." above the
// root, ERROR_INVALID_NAME for a forbidden character, ERROR_INVALID_DRIVE for a letter that is not
// mapped or whose root folder is missing, ERROR_NOT_READY for an absent medium, ERROR_ACCESS_DENIED
// for a path that a host symbolic link leads out of the drive root.
LONG ToHostPath(const QString& winPath, QString* hostPath);
LONG FromHostPath(const QString& hostPath, QString* winPath);
// The host path for code that opens a QFile itself; empty (last error set) when refused.
QString HostPathOf(const QString& winPath);
