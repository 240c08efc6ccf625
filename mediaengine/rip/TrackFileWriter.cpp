#include "mediaengine/rip/TrackFileWriter.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool WriteAll(int fd, const char* data, qint64 size, qint64 offset, int* error) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = offset < 0
                              ? ::write(fd, data + done, static_cast<size_t>(size - done))
                              : ::pwrite(fd, data + done, static_cast<size_t>(size - done), offset + done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            *error = errno;
            return false;
        }
        if (n == 0) {
            *error = ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

const QLatin1String kTempPrefix("~rip-");
const QLatin1String kTempSuffix(".part");
constexpr int kTempNameLength = 5 + 8 + 5;

bool IsTempName(const QString& name) {
    if (name.size() != kTempNameLength || !name.startsWith(kTempPrefix) || !name.endsWith(kTempSuffix)) {
        return false;
    }
    for (int i = kTempPrefix.size(); i < name.size() - kTempSuffix.size(); ++i) {
        const QChar c = name[i];
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'))) {
            return false;
        }
    }
    return true;
}

// Gives `from` the name `to` unless something has that name already (then errno is EEXIST).
int RenameNoReplace(const QByteArray& from, const QByteArray& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return -1;
    }
#endif
    // A file system without that flag: a hard link never replaces anything either.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno == EEXIST) {
        return -1;
    }
    // Nor hard links (FAT): look first. Only this program's own rips compete for these names.
    struct stat info {};
    if (::lstat(to.constData(), &info) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.constData(), to.constData());
}

// "<folder>/<stem> (n).<ext>" for the n-th try; the name itself for the first.
QString Candidate(const QString& path, int attempt) {
    if (attempt == 1) {
        return path;
    }
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? info.fileName() : info.completeBaseName();
    const QString name = QStringLiteral("%1 (%2)").arg(stem).arg(attempt) +
                         (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
    return QDir(info.path()).filePath(name);
}

// Deletes the temporary file at `path` when no writer holds it.
bool SweepFile(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool gone = false;
    struct stat opened {};
    struct stat named {};
    // The lock is held across the unlink, so a writer that opened this very file before the lock
    // was taken sees it unlinked once it gets the lock, and starts again under a new name.
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::lstat(native.constData(), &named) == 0 && named.st_dev == opened.st_dev &&
        named.st_ino == opened.st_ino) {
        gone = ::unlink(native.constData()) == 0;
    }
    ::close(fd);
    return gone;
}

int SweepFolder(const QString& folder, int depth) {
    int swept = 0;
    QDirIterator entries(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden |
                                     QDir::System | QDir::NoSymLinks);
    while (entries.hasNext()) {
        entries.next();
        const QFileInfo entry = entries.fileInfo();
        if (entry.isDir()) {
            if (depth > 0) {
                swept += SweepFolder(entry.filePath(), depth - 1);
            }
        } else if (IsTempName(entry.fileName()) && SweepFile(entry.filePath())) {
            ++swept;
        }
    }
    return swept;
}

} // namespace

CTrackFileWriter::~CTrackFileWriter() {
    Discard();
}

bool CTrackFileWriter::MakeFolders(const QString& folder, QString* error) {
    const QString absolute = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QStringList parts = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path;
    for (const QString& part : parts) {
        path += QLatin1Char('/') + part;
        const QByteArray native = QFile::encodeName(path);
        if (::mkdir(native.constData(), 0777) == 0 || errno == EEXIST) {
            struct stat info {};
            if (::stat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
                continue;
            }
            *error = QStringLiteral("cannot create the folder %1: %2 is not a folder").arg(absolute, path);
            return false;
        }
        *error = QStringLiteral("cannot create the folder %1: %2").arg(absolute, Reason(errno));
        return false;
    }
    return true;
}

bool CTrackFileWriter::Open(const QString& finalPath, QString* error) {
    Discard();
    m_finalPath = finalPath;
    const QString folder = QFileInfo(finalPath).absolutePath();
    // A short name of our own: the final name may already be as long as the file system allows.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral("~rip-%1.part")
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const QString path = QDir(folder).filePath(name);
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            // Locked for as long as it is written; a sweep that got in first has unlinked it.
            struct stat info {};
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &info) != 0 || info.st_nlink == 0) {
                ::close(fd);
                continue;
            }
            m_fd = fd;
            m_tempPath = path;
            m_size = 0;
            return true;
        }
        if (errno != EEXIST) {
            *error = QStringLiteral("cannot write in %1: %2").arg(folder, Reason(errno));
            return false;
        }
    }
    *error = QStringLiteral("cannot find a free temporary name in %1").arg(folder);
    return false;
}

bool CTrackFileWriter::Write(const QByteArray& bytes, QString* error) {
    int code = 0;
    if (m_fd < 0 || !WriteAll(m_fd, bytes.constData(), bytes.size(), -1, &code)) {
        *error = QStringLiteral("cannot write %1: %2").arg(m_finalPath, Reason(m_fd < 0 ? EBADF : code));
        return false;
    }
    m_size += bytes.size();
    return true;
}

bool CTrackFileWriter::WriteAt(qint64 offset, const QByteArray& bytes, QString* error) {
    int code = 0;
    if (m_fd < 0 || offset < 0 || offset + bytes.size() > m_size ||
        !WriteAll(m_fd, bytes.constData(), bytes.size(), offset, &code)) {
        *error = QStringLiteral("cannot write %1: %2")
                     .arg(m_finalPath, Reason(m_fd < 0 ? EBADF
                                              : code   ? code
                                                       : EINVAL));
        return false;
    }
    return true;
}

bool CTrackFileWriter::Flush(QString* error) {
    if (m_fd < 0) {
        *error = QStringLiteral("no file is being written");
        return false;
    }
    if (::fsync(m_fd) != 0) {
        *error = QStringLiteral("cannot write %1: %2").arg(m_finalPath, Reason(errno));
        Discard();
        return false;
    }
    return true;
}

bool CTrackFileWriter::Commit(QString* error) {
    // A full disk may only show when the data is flushed.
    if (!Flush(error)) {
        return false;
    }
    // Named while still open and locked, so no sweep can take it in between.
    const QByteArray temp = QFile::encodeName(m_tempPath);
    for (int attempt = 1; attempt < 100; ++attempt) {
        const QString candidate = Candidate(m_finalPath, attempt);
        if (RenameNoReplace(temp, QFile::encodeName(candidate)) == 0) {
            m_tempPath.clear();
            const int fd = m_fd;
            m_fd = -1;
            if (::close(fd) != 0) {
                *error = QStringLiteral("cannot write %1: %2").arg(candidate, Reason(errno));
                ::unlink(QFile::encodeName(candidate).constData());
                return false;
            }
            m_finalPath = candidate;
            return true;
        }
        if (errno != EEXIST) {
            *error = QStringLiteral("cannot name the file %1: %2").arg(candidate, Reason(errno));
            Discard();
            return false;
        }
    }
    *error = QStringLiteral("cannot name the file %1: every name up to (99) is taken").arg(m_finalPath);
    Discard();
    return false;
}

int CTrackFileWriter::SweepAbandoned(const QString& folder, int depth) {
    return folder.isEmpty() ? 0 : SweepFolder(folder, depth);
}

void CTrackFileWriter::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.isEmpty()) {
        ::unlink(QFile::encodeName(m_tempPath).constData());
        m_tempPath.clear();
    }
}
