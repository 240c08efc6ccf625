#include "platform/files/FileOps.h"

#include "platform/Platform.h"
#include "platform/files/CopyFaults.h"
#include "platform/files/FileCopy.h"
#include "platform/files/HostError.h"
#include "platform/files/Volumes.h"
#include "platform/win/LastError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

BOOL Fail(LONG error) {
    SetLastError(DWORD(error));
    return FALSE;
}

BOOL Succeed() {
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

LONG Resolve(const QString& path, CVolumes::Resolved* resolved, CVolumes::Access access) {
    CVolumes* volumes = CPlatform::Current().volumes;
    return volumes ? volumes->Resolve(path, resolved, access) : ERROR_INVALID_DRIVE;
}

std::optional<struct stat> Lstat(const QString& host) {
    struct stat st {};
    if (::lstat(QFile::encodeName(host).constData(), &st) != 0)
        return std::nullopt;
    return st;
}

bool IsFolder(const QString& host) {
    return QFileInfo(host).isDir();
}

// What Windows says for a name that is not there: the file, or already the folder holding it.
LONG MissingError(const QString& host) {
    return IsFolder(QFileInfo(host).path()) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

// Refuses a copy that would not fit the target's quota before a byte is written.
LONG CheckRoom(const CVolumes::Resolved& target, quint64 sourceSize) {
    if (!target.drive.capacity)
        return ERROR_SUCCESS; // the host file system answers ENOSPC itself
    CVolumes* volumes = CPlatform::Current().volumes;
    quint64 freeBytes = 0;
    quint64 totalBytes = 0;
    if (const LONG error = volumes->DiskSpace(target.path.Letter(), &freeBytes, &totalBytes);
        error != ERROR_SUCCESS)
        return error;
    quint64 reclaimed = 0;
    const QFileInfo existing(target.host);
    if (existing.isFile())
        reclaimed = CVolumes::ClusterRounded(quint64(existing.size()));
    if (CVolumes::ClusterRounded(sourceSize) > freeBytes + reclaimed)
        return ERROR_DISK_FULL;
    return ERROR_SUCCESS;
}

LONG CopyResolved(const CVolumes::Resolved& source, const CVolumes::Resolved& target, bool replace,
                  LONG existsError, const CFileCopy::Options& options = CFileCopy::Options()) {
    const std::optional<struct stat> sourceStat = Lstat(source.host);
    if (!sourceStat || !QFileInfo::exists(source.host))
        return MissingError(source.host);
    if (IsFolder(source.host))
        return ERROR_ACCESS_DENIED;
    if (!IsFolder(QFileInfo(target.host).path()))
        return ERROR_PATH_NOT_FOUND;
    if (Lstat(target.host)) {
        if (!replace)
            return existsError;
        if (IsFolder(target.host))
            return ERROR_ACCESS_DENIED;
    }
    if (source.host == target.host)
        return ERROR_SHARING_VIOLATION;
    if (const LONG error = CheckRoom(target, quint64(QFileInfo(source.host).size())); error != ERROR_SUCCESS)
        return error;
    const LONG error = CFileCopy::Copy(source.host, target.host, replace, options);
    return error == ERROR_FILE_EXISTS ? existsError : error;
}

} // namespace

BOOL CopyFile(const QString& source, const QString& target, BOOL failIfExists) {
    return CopyFileEx(source, target, failIfExists ? COPY_FILE_FAIL_IF_EXISTS : 0);
}

BOOL CopyFileEx(const QString& source, const QString& target, DWORD flags) {
    return CopyFileEx(source, target, flags, nullptr);
}

BOOL CopyFileEx(const QString& source, const QString& target, DWORD flags,
                const std::atomic<int32_t>* cancel) {
    // A test's faults for this copy strike before it resolves anything (a card pulled between two
    // files is then simply not there) or part way through the data.
    CWinPath targetPath;
    const bool parsed = CWinPath::Parse(target, &targetPath) == ERROR_SUCCESS;
    CCopyFaults::CCopy faults(parsed ? targetPath.Letter() : QChar());
    if (const LONG error = faults.Start(); error != ERROR_SUCCESS)
        return Fail(error);
    CVolumes::Resolved from;
    CVolumes::Resolved to;
    if (const LONG error = Resolve(source, &from, CVolumes::Access::Read); error != ERROR_SUCCESS)
        return Fail(error);
    if (const LONG error = Resolve(target, &to, CVolumes::Access::Write); error != ERROR_SUCCESS)
        return Fail(error);
    CFileCopy::Options options;
    options.beforeWrite = [&faults, cancel](quint64 offset, size_t* size) {
        const auto cancelled = [cancel] { return cancel && cancel->load() != 0; };
        if (cancelled())
            return ERROR_REQUEST_ABORTED;
        const LONG error = faults.Write(offset, size);
        // A piece held up (a slow card, a test's hold) looks at the flag again once it may go on.
        return error == ERROR_SUCCESS && cancelled() ? ERROR_REQUEST_ABORTED : error;
    };
    options.flushFolder = !(flags & COPY_FILE_DEFER_FOLDER_FLUSH);
    const bool replace = !(flags & COPY_FILE_FAIL_IF_EXISTS);
    if (const LONG error = CopyResolved(from, to, replace, ERROR_FILE_EXISTS, options);
        error != ERROR_SUCCESS)
        return Fail(error);
    return Succeed();
}

BOOL MoveFileEx(const QString& source, const QString& target, DWORD flags) {
    const bool replace = flags & MOVEFILE_REPLACE_EXISTING;
    CVolumes::Resolved from;
    CVolumes::Resolved to;
    if (const LONG error = Resolve(source, &from, CVolumes::Access::Write); error != ERROR_SUCCESS)
        return Fail(error);
    if (const LONG error = Resolve(target, &to, CVolumes::Access::Write); error != ERROR_SUCCESS)
        return Fail(error);
    if (from.path.IsRoot() || to.path.IsRoot())
        return Fail(ERROR_ACCESS_DENIED);
    if (!Lstat(from.host))
        return Fail(MissingError(from.host));
    const bool folder = IsFolder(from.host);
    if (!IsFolder(QFileInfo(to.host).path()))
        return Fail(ERROR_PATH_NOT_FOUND);
    if (Lstat(to.host)) {
        if (!replace)
            return Fail(ERROR_ALREADY_EXISTS);
        if (folder || IsFolder(to.host))
            return Fail(ERROR_ACCESS_DENIED);
    }

    if (from.path.Letter() == to.path.Letter()) {
        const LONG error = CFileCopy::Rename(from.host, to.host, replace);
        if (error == ERROR_SUCCESS) {
            if (flags & MOVEFILE_WRITE_THROUGH) {
                CFileCopy::SyncFolder(QFileInfo(to.host).path());
                CFileCopy::SyncFolder(QFileInfo(from.host).path());
            }
            return Succeed();
        }
        // A host mount point inside the drive folder: carry on as across drives.
        if (error != ERROR_NOT_SAME_DEVICE)
            return Fail(error);
    }
    if (!(flags & MOVEFILE_COPY_ALLOWED))
        return Fail(ERROR_NOT_SAME_DEVICE);
    if (folder)
        return Fail(ERROR_ACCESS_DENIED);
    // The copy always writes through, so MOVEFILE_WRITE_THROUGH needs nothing more here.
    if (const LONG error = CopyResolved(from, to, replace, ERROR_ALREADY_EXISTS); error != ERROR_SUCCESS)
        return Fail(error);
    // Like Windows, a source that cannot be deleted after the copy does not fail the move.
    ::unlink(QFile::encodeName(from.host).constData());
    return Succeed();
}

BOOL DeleteFile(const QString& path) {
    CVolumes::Resolved resolved;
    if (const LONG error = Resolve(path, &resolved, CVolumes::Access::Write); error != ERROR_SUCCESS)
        return Fail(error);
    const std::optional<struct stat> st = Lstat(resolved.host);
    if (!st)
        return Fail(MissingError(resolved.host));
    if (S_ISDIR(st->st_mode))
        return Fail(ERROR_ACCESS_DENIED);
    if (::unlink(QFile::encodeName(resolved.host).constData()) != 0)
        return Fail(CHostError::FromErrno(errno));
    return Succeed();
}

int DeleteCopyLeftovers(const QString& folder) {
    CVolumes::Resolved resolved;
    if (Resolve(folder, &resolved, CVolumes::Access::Write) != ERROR_SUCCESS)
        return 0;
    const QDir host(resolved.host);
    int removed = 0;
    for (const QString& name : host.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks)) {
        if (!CFileCopy::IsLeftoverName(name))
            continue;
        const std::optional<struct stat> st = Lstat(host.filePath(name));
        if (st && S_ISREG(st->st_mode) && ::unlink(QFile::encodeName(host.filePath(name)).constData()) == 0)
            ++removed;
    }
    return removed;
}

BOOL CreateDirectory(const QString& path, void* /*security*/) {
    CVolumes::Resolved resolved;
    if (const LONG error = Resolve(path, &resolved, CVolumes::Access::Write); error != ERROR_SUCCESS)
        return Fail(error);
    if (resolved.path.IsRoot() || Lstat(resolved.host))
        return Fail(ERROR_ALREADY_EXISTS);
    if (!IsFolder(QFileInfo(resolved.host).path()))
        return Fail(ERROR_PATH_NOT_FOUND);
    if (::mkdir(QFile::encodeName(resolved.host).constData(), 0777) != 0)
        return Fail(CHostError::FromErrno(errno));
    return Succeed();
}

BOOL RemoveDirectory(const QString& path) {
    CVolumes::Resolved resolved;
    if (const LONG error = Resolve(path, &resolved, CVolumes::Access::Write); error != ERROR_SUCCESS)
        return Fail(error);
    if (resolved.path.IsRoot())
        return Fail(ERROR_ACCESS_DENIED);
    const std::optional<struct stat> st = Lstat(resolved.host);
    if (!st)
        return Fail(MissingError(resolved.host));
    if (!S_ISDIR(st->st_mode))
        return Fail(ERROR_DIRECTORY);
    if (::rmdir(QFile::encodeName(resolved.host).constData()) != 0)
        return Fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : CHostError::FromErrno(errno));
    return Succeed();
}

DWORD GetFileAttributes(const QString& path) {
    CVolumes* volumes = CPlatform::Current().volumes;
    // The root of an audio disc and its track files exist only in the media engine's listing.
    CWinPath parsed;
    if (volumes && CWinPath::Parse(path, &parsed) == ERROR_SUCCESS && parsed.Names().size() <= 1) {
        const std::optional<CVolumes::Drive> drive = volumes->DriveOf(parsed.Letter());
        if (drive && drive->present && drive->type == DRIVE_CDROM) {
            if (const std::optional<QStringList> names = volumes->CdRootListing(parsed.Letter())) {
                if (parsed.IsRoot()) {
                    SetLastError(ERROR_SUCCESS);
                    return FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY;
                }
                if (names->contains(parsed.Leaf())) {
                    SetLastError(ERROR_SUCCESS);
                    return FILE_ATTRIBUTE_READONLY;
                }
                SetLastError(ERROR_FILE_NOT_FOUND);
                return INVALID_FILE_ATTRIBUTES;
            }
        }
    }
    CVolumes::Resolved resolved;
    if (const LONG error = Resolve(path, &resolved, CVolumes::Access::Read); error != ERROR_SUCCESS) {
        SetLastError(DWORD(error));
        return INVALID_FILE_ATTRIBUTES;
    }
    const QFileInfo info(resolved.host);
    if (!info.exists()) {
        SetLastError(DWORD(MissingError(resolved.host)));
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = info.isDir() ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!info.isWritable())
        attributes |= FILE_ATTRIBUTE_READONLY;
    SetLastError(ERROR_SUCCESS);
    return attributes;
}

BOOL PathFileExists(const QString& path) {
    if (GetFileAttributes(path) == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    return TRUE;
}
