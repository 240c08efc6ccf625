#include "tests/support/LocalHttpServer.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QMetaObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <future>

CLocalHttpServer::CLocalHttpServer(Handler handler)
    : m_handler(std::move(handler)), m_thread(std::make_unique<QThread>()), m_home(new QObject) {
    m_home->moveToThread(m_thread.get());
    m_thread->start();
    std::promise<quint16> port;
    QMetaObject::invokeMethod(m_home, [this, &port] {
        m_server = new QTcpServer;
        m_server->listen(QHostAddress::LocalHost, 0);
        auto* clock = new QElapsedTimer;
        clock->start();
        QObject::connect(m_server, &QObject::destroyed, [clock] { delete clock; });
        QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this, clock] {
            while (QTcpSocket* socket = m_server->nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, clock] {
                    QByteArray head = socket->property("head").toByteArray() + socket->readAll();
                    socket->setProperty("head", head);
                    if (!head.contains("\r\n\r\n") || socket->property("answered").toBool()) {
                        return;
                    }
                    socket->setProperty("answered", true);
                    HttpRequest request;
                    const QList<QByteArray> lines = head.left(head.indexOf("\r\n\r\n")).split('\n');
                    const QByteArray target = lines.value(0).split(' ').value(1);
                    const qsizetype question = target.indexOf('?');
                    request.path = QString::fromLatin1(question < 0 ? target : target.left(question));
                    request.query = question < 0 ? QString() : QString::fromLatin1(target.mid(question + 1));
                    for (const QByteArray& line : lines) {
                        if (line.toLower().startsWith("user-agent:")) {
                            request.userAgent = line.mid(11).trimmed();
                        }
                    }
                    request.atMs = clock->elapsed();
                    {
                        const std::lock_guard lock(m_mutex);
                        m_requests.append(request);
                    }
                    const HttpAnswer answer = m_handler(request);
                    QByteArray reply = "HTTP/1.1 " + QByteArray::number(answer.status) +
                                       " X\r\nContent-Length: " + QByteArray::number(answer.body.size()) +
                                       "\r\nConnection: close\r\n";
                    if (!answer.location.isEmpty()) {
                        reply += "Location: " + answer.location + "\r\n";
                    }
                    reply += "\r\n" + answer.body;
                    QTimer::singleShot(answer.delayMs, socket, [socket, reply] {
                        socket->write(reply);
                        socket->disconnectFromHost();
                    });
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        port.set_value(m_server->serverPort());
    });
    m_port = port.get_future().get();
}

CLocalHttpServer::~CLocalHttpServer() {
    Stop();
}

void CLocalHttpServer::Stop() {
    if (!m_thread->isRunning()) {
        return;
    }
    QMetaObject::invokeMethod(
        m_home,
        [this] {
            delete m_server;
            delete m_home;
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
}

QString CLocalHttpServer::Root() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

QList<HttpRequest> CLocalHttpServer::Requests() const {
    const std::lock_guard lock(m_mutex);
    return m_requests;
}
