#include "platform/files/VolumeCalls.h"

#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "platform/win/LastError.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace {

CVolumes* Current() {
    return CPlatform::Current().volumes;
}

// "E:", "E:\" or "E:/" and nothing more.
std::optional<QChar> RootLetter(const QString& root) {
    if (root.size() < 2 || root.size() > 3 || root.at(1) != QLatin1Char(':'))
        return std::nullopt;
    if (root.size() == 3 && root.at(2) != QLatin1Char('\\') && root.at(2) != QLatin1Char('/'))
        return std::nullopt;
    const QChar letter = root.at(0).toUpper();
    if (letter < QLatin1Char('A') || letter > QLatin1Char('Z'))
        return std::nullopt;
    return letter;
}

BOOL Fail(LONG error) {
    SetLastError(DWORD(error));
    return FALSE;
}

} // namespace

DWORD GetLogicalDrives() {
    CVolumes* volumes = Current();
    if (!volumes) {
        SetLastError(ERROR_NOT_READY);
        return 0;
    }
    DWORD mask = 0;
    for (const CVolumes::Drive& drive : volumes->Drives())
        mask |= DWORD(1) << (drive.letter.unicode() - 'A');
    SetLastError(ERROR_SUCCESS);
    return mask;
}

UINT GetDriveType(const QString& root) {
    CVolumes* volumes = Current();
    const std::optional<QChar> letter = RootLetter(root);
    if (!volumes || !letter)
        return DRIVE_NO_ROOT_DIR;
    const std::optional<CVolumes::Drive> drive = volumes->DriveOf(*letter);
    return drive ? drive->type : DRIVE_NO_ROOT_DIR;
}

BOOL GetVolumeInformation(const QString& root, QString* label, DWORD* serial, DWORD* maxComponentLength,
                          DWORD* fileSystemFlags, QString* fileSystemName) {
    CVolumes* volumes = Current();
    const std::optional<QChar> letter = RootLetter(root);
    if (!volumes || !letter)
        return Fail(ERROR_INVALID_NAME);
    const std::optional<CVolumes::Drive> drive = volumes->DriveOf(*letter);
    if (!drive)
        return Fail(ERROR_PATH_NOT_FOUND);
    if (!drive->present)
        return Fail(ERROR_NOT_READY);
    if (label)
        *label = drive->label;
    if (serial)
        *serial = drive->serial;
    if (maxComponentLength)
        *maxComponentLength = 255;
    if (fileSystemFlags) {
        *fileSystemFlags = FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK;
        if (drive->type == DRIVE_CDROM || drive->readOnly)
            *fileSystemFlags |= FILE_READ_ONLY_VOLUME;
    }
    if (fileSystemName)
        *fileSystemName = drive->fileSystem;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL GetDiskFreeSpace(const QString& root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                      DWORD* freeClusters, DWORD* totalClusters) {
    CVolumes* volumes = Current();
    const std::optional<QChar> letter = RootLetter(root);
    if (!volumes || !letter)
        return Fail(ERROR_INVALID_NAME);
    quint64 freeBytes = 0;
    quint64 totalBytes = 0;
    if (const LONG error = volumes->DiskSpace(*letter, &freeBytes, &totalBytes); error != ERROR_SUCCESS)
        return Fail(error == ERROR_INVALID_DRIVE ? ERROR_PATH_NOT_FOUND : error);
    // Cluster counts are 32-bit: a volume beyond 16 TiB reports 16 TiB.
    const auto clusters = [](quint64 bytes) {
        return DWORD(std::min<quint64>(bytes / CVolumes::kClusterBytes, 0xFFFFFFFFu));
    };
    if (sectorsPerCluster)
        *sectorsPerCluster = CVolumes::kSectorsPerCluster;
    if (bytesPerSector)
        *bytesPerSector = CVolumes::kBytesPerSector;
    if (freeClusters)
        *freeClusters = clusters(freeBytes);
    if (totalClusters)
        *totalClusters = clusters(totalBytes);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL GetDiskFreeSpaceEx(const QString& path, ULONGLONG* freeBytesAvailable, ULONGLONG* totalBytes,
                        ULONGLONG* totalFreeBytes) {
    CVolumes* volumes = Current();
    if (!volumes)
        return Fail(ERROR_NOT_READY);
    CVolumes::Resolved resolved;
    if (const LONG error = volumes->Resolve(path, &resolved); error != ERROR_SUCCESS)
        return Fail(error);
    if (!QFileInfo(resolved.host).isDir())
        return Fail(ERROR_PATH_NOT_FOUND);
    quint64 freeBytes = 0;
    quint64 total = 0;
    if (const LONG error = volumes->DiskSpace(resolved.path.Letter(), &freeBytes, &total);
        error != ERROR_SUCCESS)
        return Fail(error);
    if (freeBytesAvailable)
        *freeBytesAvailable = freeBytes;
    if (totalBytes)
        *totalBytes = total;
    if (totalFreeBytes)
        *totalFreeBytes = freeBytes;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

LONG ToHostPath(const QString& winPath, QString* hostPath) {
    CVolumes* volumes = Current();
    const LONG error = volumes ? volumes->ToHostPath(winPath, hostPath) : ERROR_INVALID_DRIVE;
    SetLastError(DWORD(error));
    return error;
}

LONG FromHostPath(const QString& hostPath, QString* winPath) {
    CVolumes* volumes = Current();
    const LONG error = volumes ? volumes->FromHostPath(hostPath, winPath) : ERROR_PATH_NOT_FOUND;
    SetLastError(DWORD(error));
    return error;
}

QString HostPathOf(const QString& winPath) {
    QString host;
    if (ToHostPath(winPath, &host) != ERROR_SUCCESS)
        return QString();
    return host;
}
