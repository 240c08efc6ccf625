#include "platform/system/LockFileMutexes.h"

#include "platform/win/LastError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kBringForward = "bring-forward\n";
const QByteArray kDone = "done\n";

QString Digest(const QString& text) {
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

} // namespace

CLockFileMutexes::CLockFileMutexes(QString lockDir) : m_lockDir(std::move(lockDir)) {}

CLockFileMutexes::~CLockFileMutexes() {
    for (auto& [handle, mutex] : m_mutexes) {
        mutex.server.reset();
        ::close(mutex.fd);
    }
}

QString CLockFileMutexes::LockPathOf(const QString& name) const {
    // Mutex names carry backslashes and blanks; the file name is a digest of the name.
    return QDir(m_lockDir).absoluteFilePath(QStringLiteral("ollivane-mutex-%1.lock").arg(Digest(name)));
}

QString CLockFileMutexes::SocketNameOf(const QString& name) const {
    return QStringLiteral("ollivane-%1-%2").arg(::getuid()).arg(Digest(LockPathOf(name)));
}

HANDLE CLockFileMutexes::CreateMutex(const QString& name) {
    const QString path = LockPathOf(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray file = QFile::encodeName(path);
    // Read access is enough for flock: a lock file another user made (and left) still serves.
    int fd = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EACCES) {
        fd = ::open(file.constData(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_INVALID_FUNCTION);
        return nullptr;
    }
    SMutex mutex;
    mutex.fd = fd;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        struct stat info {};
        const bool othersFile = ::fstat(fd, &info) == 0 && info.st_uid != ::getuid();
        if (error != EWOULDBLOCK || othersFile) {
            // Held by another user's process, or no locks on this file system at all.
            ::close(fd);
            SetLastError(error == EWOULDBLOCK ? ERROR_ACCESS_DENIED : ERROR_INVALID_FUNCTION);
            return nullptr;
        }
        m_nextHandle += 4;
        m_mutexes.emplace(m_nextHandle, std::move(mutex));
        SetLastError(ERROR_ALREADY_EXISTS);
        return reinterpret_cast<HANDLE>(m_nextHandle);
    }
    Listen(mutex, name);
    m_nextHandle += 4;
    m_mutexes.emplace(m_nextHandle, std::move(mutex));
    SetLastError(ERROR_SUCCESS);
    return reinterpret_cast<HANDLE>(m_nextHandle);
}

void CLockFileMutexes::Listen(SMutex& mutex, const QString& name) {
    const QString socketName = SocketNameOf(name);
    // We own the lock, so a socket of that name was left by an owner that died.
    QLocalServer::removeServer(socketName);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(socketName)) {
        return; // the mutex still holds; a later start just cannot reach us
    }
    QLocalServer* raw = server.get();
    QObject::connect(raw, &QLocalServer::newConnection, raw, [this, raw] {
        while (QLocalSocket* socket = raw->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > kBringForward.size()) {
                        socket->abort(); // not one of ours
                    }
                    return;
                }
                if (socket->readLine(kBringForward.size() + 1) == kBringForward) {
                    if (m_bringForward) {
                        m_bringForward();
                    }
                    socket->write(kDone);
                    socket->flush();
                }
                socket->disconnectFromServer();
            });
        }
    });
    mutex.server = std::move(server);
}

BOOL CLockFileMutexes::CloseHandle(HANDLE handle) {
    auto it = m_mutexes.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == m_mutexes.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    it->second.server.reset();
    ::close(it->second.fd); // releases the lock when this process owned it
    m_mutexes.erase(it);
    return TRUE;
}

BOOL CLockFileMutexes::BringOwnerForward(const QString& name, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(SocketNameOf(name));
    if (!socket.waitForConnected(timeoutMs)) {
        return FALSE;
    }
    socket.write(kBringForward);
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return FALSE;
    }
    while (!socket.canReadLine() && socket.waitForReadyRead(timeoutMs)) {
    }
    return socket.canReadLine() && socket.readLine() == kDone ? TRUE : FALSE;
}
