#include "mediaengine/library/EngineLibrary.h"

#include "mediaengine/Logging.h"
#include "mediaengine/core/RunLater.h"
#include "mediaengine/library/Library.h"
#include "platform/files/Volumes.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

// True while some descriptor of this process refers to the file: a reader is still at it.
bool IsOpenHere(const QString& hostPath) {
    const QString target = QFileInfo(hostPath).canonicalFilePath();
    if (target.isEmpty()) {
        return false;
    }
    QDirIterator fds(QStringLiteral("/proc/self/fd"), QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    while (fds.hasNext()) {
        fds.next();
        if (QFileInfo(fds.filePath()).symLinkTarget() == target) {
            return true;
        }
    }
    return false;
}

} // namespace

bool CEngineLibrary::Open(const QString& file) {
    auto library = std::make_shared<CLibrary>();
    if (!library->Open(file, &m_error)) {
        qCWarning(lcMediaEngine).noquote() << "media engine:" << m_error;
        return false;
    }
    m_library = library;
    m_error.clear();
    return true;
}

void CEngineLibrary::Shutdown() {
    RunDeletions();
}

std::optional<FileIdentity> FileIdentity::Of(const QString& hostPath) {
    struct stat st {};
    if (::lstat(QFile::encodeName(hostPath).constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return FileIdentity{quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                        qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

void CEngineLibrary::DeleteFileLater(const QString& hostPath) {
    const std::optional<FileIdentity> identity = FileIdentity::Of(hostPath);
    if (!identity) {
        return; // nothing there to delete
    }
    // A second removal of the same path stands for the file there now.
    m_pendingDeletes.removeIf([&](const PendingDelete& pending) { return pending.path == hostPath; });
    m_pendingDeletes.append({hostPath, *identity});
    RunLater(m_context.loop, weak_from_this(), [](CEngineLibrary& self) { self.RunDeletions(); });
}

void CEngineLibrary::RunDeletions() {
    QList<PendingDelete> waiting;
    for (const PendingDelete& pending : std::as_const(m_pendingDeletes)) {
        const QString& path = pending.path;
        if (FileIdentity::Of(path) != pending.identity) {
            continue; // gone, or another file stands there now
        }
        QString url;
        if (m_library && FromHostPath(path, &url) == ERROR_SUCCESS && m_library->FindByUrl(url)) {
            continue; // the library took the file back in the meantime
        }
        if (IsOpenHere(path)) {
            waiting.append(pending);
            continue;
        }
        if (!QFile::remove(path)) {
            qCWarning(lcMediaEngine).noquote() << "media engine: cannot delete" << path;
        }
    }
    m_pendingDeletes = waiting;
}
