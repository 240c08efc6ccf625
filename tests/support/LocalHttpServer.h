#pragma once
// A small HTTP server on 127.0.0.1 for the lookup's tests, on a thread of its own so it answers
// whatever the test's own thread is doing. Each request goes to the handler the test gave; its
// answer can be held back to play a slow server.

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>

class QObject;
class QThread;
class QTcpServer;

struct HttpRequest {
    QString path;  // without the query
    QString query; // as sent, still percent-encoded
    QByteArray userAgent;
    qint64 atMs = 0; // since the server started
};

struct HttpAnswer {
    int status = 200;
    QByteArray body;
    int delayMs = 0;
    QByteArray location; // for a redirect
};

class CLocalHttpServer {
public:
    using Handler = std::function<HttpAnswer(const HttpRequest&)>;

    explicit CLocalHttpServer(Handler handler);
    ~CLocalHttpServer();

    QString Root() const; // "http://127.0.0.1:<port>"
    QList<HttpRequest> Requests() const;
    // Stops answering and closes the port: the server is gone.
    void Stop();

private:
    Handler m_handler;
    std::unique_ptr<QThread> m_thread;
    QObject* m_home; // lives on the thread
    QTcpServer* m_server = nullptr;
    quint16 m_port = 0;
    mutable std::mutex m_mutex;
    QList<HttpRequest> m_requests;
};
