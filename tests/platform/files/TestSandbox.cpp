#include "tests/platform/files/TestSandbox.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

const char* const CTestSandbox::kDefaultIni = R"ini([user]
name=taro

[drive_C]
type=fixed
label=
serial=0x1A2B3C4D
fs=NTFS
root=drives/C

[drive_D]
type=cdrom
label=Audio CD
root=drives/D
disc=discs/demo.cue

[drive_E]
type=removable
label=SDカード
serial=0xCAFE0001
fs=FAT32
capacity=1048576
present=true
root=drives/E

[drive_F]
type=removable
label=
present=false
root=drives/F
)ini";

CTestSandbox::CTestSandbox(const QString& ini) {
    QFile file(m_dir.File(QStringLiteral("sandbox.ini")));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(ini.toUtf8());
        file.close();
    }
    m_loaded = m_volumes.LoadSandbox(m_dir.Path());
    CPlatform services = CPlatform::Current();
    services.volumes = &m_volumes;
    m_scope = std::make_unique<CPlatformScope>(services);
}

CTestSandbox::~CTestSandbox() = default;

QStringList CTestSandbox::Tree(const QString& relative) const {
    const QString base = Host(relative);
    QStringList result;
    QDirIterator it(base, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        result.append(QDir(base).relativeFilePath(it.next()));
    result.sort();
    return result;
}

void CTestSandbox::WriteFile(const QString& hostPath, const QByteArray& data) {
    QDir().mkpath(QFileInfo(hostPath).path());
    QFile file(hostPath);
    if (file.open(QIODevice::WriteOnly))
        file.write(data);
}

QByteArray CTestSandbox::ReadFile(const QString& hostPath) {
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}
