#pragma once
// A private X server (Xvfb) for one test: started on a free display, ended with the test.

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

class CXvfbServer {
public:
    ~CXvfbServer() {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            m_server.waitForFinished(5000);
        }
    }

    // False with *why set when Xvfb is not installed or does not start.
    bool Start(QString* why) {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) {
            *why = QStringLiteral("Xvfb is not installed (scripts/setup installs it)");
            return false;
        }
        // -displayfd picks a free display and tells its number on our end of the pipe.
        m_server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                              QStringLiteral("320x240x24")});
        QByteArray number;
        QElapsedTimer timer;
        timer.start();
        while (!number.contains('\n') && timer.elapsed() < 20000 &&
               m_server.state() != QProcess::NotRunning) {
            m_server.waitForReadyRead(100);
            number += m_server.readAllStandardOutput();
        }
        if (!number.contains('\n')) {
            *why = QStringLiteral("Xvfb did not start: ") +
                   QString::fromLocal8Bit(m_server.readAllStandardError());
            return false;
        }
        m_display = ':' + number.trimmed();
        return true;
    }

    const QByteArray& Display() const { return m_display; }
    // The server dies as if it crashed: clients lose their connection.
    void Kill() {
        m_server.kill();
        m_server.waitForFinished(5000);
    }

private:
    QProcess m_server;
    QByteArray m_display;
};
