#include "tools/unattended/TestFaults.h"

#include <QStringList>
#include <cstdio>

bool CTestFaults::Load(const QString& text, QString* error) {
    for (const QString& item : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = item.section(QLatin1Char('='), 0, 0).trimmed();
        const QString value = item.section(QLatin1Char('='), 1).trimmed();
        bool ok = false;
        if (name == QLatin1String("hold-copy") && value.size() >= 3 && value[1] == QLatin1Char(':')) {
            const QChar drive = value[0].toUpper();
            const int copy = value.mid(2).toInt(&ok);
            if (!ok || copy < 1 || !drive.isLetter() || m_copies) {
                *error = QStringLiteral("bad fault: %1").arg(item);
                return false;
            }
            m_copies = std::make_unique<CCopyFaults>();
            m_copies->HoldBefore(drive, copy);
            m_watch = std::thread([this, drive, copy] {
                while (!m_stop.load()) {
                    if (m_copies->WaitUntilHeld(drive, copy, 200)) {
                        std::printf("fault: copy held on %c: #%d\n", char(drive.unicode()), copy);
                        std::fflush(stdout);
                        return;
                    }
                }
            });
        } else if (name == QLatin1String("stall-rip")) {
            m_stallAtTrack = value.toInt(&ok);
        } else if (name == QLatin1String("zero-size")) {
            m_zeroSizeTrack = value.toInt(&ok);
        }
        if (!ok) {
            *error = QStringLiteral("bad fault: %1").arg(item);
            return false;
        }
    }
    return true;
}

CTestFaults::~CTestFaults() {
    m_stop.store(true);
    if (m_watch.joinable()) {
        m_watch.join();
    }
    if (m_copies) {
        m_copies->Release();
    }
}
