#include "mediaengine/rip/TrackFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        *error = QStringLiteral("cannot write %1: %2").arg(m_finalPath, Reason(errno));
        Discard();
        return false;
    }
    if (::rename(QFile::encodeName(m_tempPath).constData(), QFile::encodeName(m_finalPath).constData()) !=
        0) {
        *error = QStringLiteral("cannot name the file %1: %2").arg(m_finalPath, Reason(errno));
        Discard();
        return false;
    }
    m_tempPath.clear();
    return true;
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
