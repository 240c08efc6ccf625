#include "mediaengine/library/EngineLibrary.h"

#include "mediaengine/core/RunLater.h"
#include "mediaengine/library/Library.h"
#include "platform/files/Volumes.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

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
        qWarning().noquote() << "media engine:" << m_error;
        return false;
    }
    m_library = library;
    m_error.clear();
    return true;
}

void CEngineLibrary::Shutdown() {
    RunDeletions();
}

void CEngineLibrary::DeleteFileLater(const QString& hostPath) {
    if (!m_pendingDeletes.contains(hostPath)) {
        m_pendingDeletes.append(hostPath);
    }
    RunLater(m_context.loop, weak_from_this(), [](CEngineLibrary& self) { self.RunDeletions(); });
}

void CEngineLibrary::RunDeletions() {
    QStringList waiting;
    for (const QString& path : std::as_const(m_pendingDeletes)) {
        if (!QFileInfo::exists(path)) {
            continue;
        }
        QString url;
        if (m_library && FromHostPath(path, &url) == ERROR_SUCCESS && m_library->FindByUrl(url)) {
            continue; // the library took the file back in the meantime
        }
        if (IsOpenHere(path)) {
            waiting.append(path);
            continue;
        }
        if (!QFile::remove(path)) {
            qWarning().noquote() << "media engine: cannot delete" << path;
        }
    }
    m_pendingDeletes = waiting;
}
