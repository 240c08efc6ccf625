#pragma once
// A scratch sandbox for the drive and file tests: writes sandbox.ini into a temporary folder,
// loads it into a drive table and installs that table as the current platform's volumes.

#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "tests/support/TempDir.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class CTestSandbox {
public:
    // C: fixed, D: CD drive, E: a 1 MiB card labelled SDカード, F: a card slot without a card.
    static const char* const kDefaultIni;

    explicit CTestSandbox(const QString& ini = QString::fromUtf8(kDefaultIni));
    ~CTestSandbox();

    bool Loaded() const { return m_loaded; }
    CVolumes& Volumes() { return m_volumes; }
    QString Dir() const { return m_dir.Path(); }
    // Host path of a name relative to the sandbox folder ("drives/E/x.mp3").
    QString Host(const QString& relative) const { return m_dir.File(relative); }
    // Every file and folder below a sandbox folder, relative to it, sorted; hidden ones included.
    QStringList Tree(const QString& relative) const;

    static void WriteFile(const QString& hostPath, const QByteArray& data);
    static QByteArray ReadFile(const QString& hostPath);

private:
    CTempDir m_dir;
    CVolumes m_volumes;
    bool m_loaded = false;
    std::unique_ptr<CPlatformScope> m_scope;
};
