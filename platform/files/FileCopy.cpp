#include "platform/files/FileCopy.h"

#include "platform/files/HostError.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kTemporaryPrefix = QStringLiteral(".~ollivane-");
constexpr size_t kBufferSize = 1 << 20;

// Closes a descriptor and removes the temporary file unless told the copy went through.
class CTemporaryFile {
public:
    ~CTemporaryFile() {
        if (fd >= 0)
            ::close(fd);
        if (!path.isEmpty() && !kept)
            ::unlink(path.constData());
    }
    int fd = -1;
    QByteArray path;
    bool kept = false;
};

class CDescriptor {
public:
    explicit CDescriptor(int descriptor) : fd(descriptor) {}
    ~CDescriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;
    int fd;
};

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= size_t(written);
    }
    return true;
}

} // namespace

bool CFileCopy::IsTemporaryName(const QString& name) {
    return name.startsWith(kTemporaryPrefix);
}

bool CFileCopy::IsLeftoverName(const QString& name) {
    if (!IsTemporaryName(name))
        return false;
    const QStringView number = QStringView(name).mid(kTemporaryPrefix.size());
    if (number.isEmpty() || number.size() > 16)
        return false;
    for (const QChar c : number) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    }
    return true;
}

void CFileCopy::SyncFolder(const QString& hostFolder) {
    const int fd = ::open(QFile::encodeName(hostFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

LONG CFileCopy::Rename(const QString& sourceHost, const QString& targetHost, bool replace) {
    const QByteArray source = QFile::encodeName(sourceHost);
    const QByteArray target = QFile::encodeName(targetHost);
    if (replace) {
        if (::rename(source.constData(), target.constData()) != 0)
            return CHostError::FromErrno(errno);
        return ERROR_SUCCESS;
    }
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return ERROR_SUCCESS;
    if (errno != EINVAL && errno != ENOSYS)
        return CHostError::FromErrno(errno);
    // A file system without no-replace renames (some FUSE ones): check, then rename.
    struct stat st {};
    if (::lstat(target.constData(), &st) == 0)
        return ERROR_ALREADY_EXISTS;
    if (::rename(source.constData(), target.constData()) != 0)
        return CHostError::FromErrno(errno);
    return ERROR_SUCCESS;
}

LONG CFileCopy::Copy(const QString& sourceHost, const QString& targetHost, bool replace) {
    return Copy(sourceHost, targetHost, replace, Options());
}

LONG CFileCopy::Copy(const QString& sourceHost, const QString& targetHost, bool replace,
                     const Options& options) {
    const WriteHook& beforeWrite = options.beforeWrite;
    CDescriptor source(::open(QFile::encodeName(sourceHost).constData(), O_RDONLY | O_CLOEXEC));
    if (source.fd < 0)
        return CHostError::FromErrno(errno);
    struct stat sourceStat {};
    if (::fstat(source.fd, &sourceStat) != 0)
        return CHostError::FromErrno(errno);
    if (S_ISDIR(sourceStat.st_mode))
        return ERROR_ACCESS_DENIED;

    const QString folder = QFileInfo(targetHost).path();
    CTemporaryFile temporary;
    for (int attempt = 0; attempt < 16 && temporary.fd < 0; ++attempt) {
        const QString name = kTemporaryPrefix + QString::number(QRandomGenerator::global()->generate64(), 16);
        temporary.path = QFile::encodeName(folder + QLatin1Char('/') + name);
        temporary.fd = ::open(temporary.path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (temporary.fd < 0 && errno != EEXIST) {
            temporary.path.clear();
            return CHostError::FromErrno(errno);
        }
    }
    if (temporary.fd < 0) {
        temporary.path.clear();
        return ERROR_ACCESS_DENIED;
    }

    QByteArray buffer(qsizetype(kBufferSize), Qt::Uninitialized);
    quint64 offset = 0;
    for (;;) {
        size_t want = kBufferSize;
        if (beforeWrite) {
            if (const LONG error = beforeWrite(offset, &want); error != ERROR_SUCCESS)
                return error;
            if (want == 0)
                want = 1; // a hook that leaves nothing to read would stop the copy for ever
        }
        const ssize_t got = ::read(source.fd, buffer.data(), want);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno == EIO ? ERROR_READ_FAULT : CHostError::FromErrno(errno);
        }
        if (got == 0)
            break;
        if (!WriteAll(temporary.fd, buffer.constData(), size_t(got)))
            return CHostError::FromErrno(errno);
        offset += quint64(got);
    }
    // The data must be on the card before the copy counts: a card pulled right after a
    // successful copy still holds the file. Delayed allocation can report no room only here.
    if (::fsync(temporary.fd) != 0)
        return CHostError::FromErrno(errno);
    // Windows keeps the source's last-write time on a copy.
    const struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
    ::futimens(temporary.fd, times);
    const int fd = temporary.fd;
    temporary.fd = -1;
    if (::close(fd) != 0)
        return CHostError::FromErrno(errno);

    const LONG renamed = Rename(QFile::decodeName(temporary.path), targetHost, replace);
    if (renamed != ERROR_SUCCESS)
        return renamed == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : renamed;
    temporary.kept = true;
    if (options.flushFolder)
        SyncFolder(folder);
    return ERROR_SUCCESS;
}
