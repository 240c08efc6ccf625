// The player's preference backups (WmpBackup00.reg ...), which a start after a crash applies to the
// registry. The input is a backup file left in the documents folder of a sandbox machine; whatever
// it holds, the file is either applied and then deleted, or left exactly as it was.
#include "fuzz/support/FuzzScratch.h"
#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "platform/registry/Registry.h"
#include "platform/sandbox/Sandbox.h"
#include "player/WmpRegAcc.h"

#include <QFile>
#include <memory>

namespace {

struct SMachine {
    SMachine() {
        const QString box = CFuzzScratch::Get().Path(QStringLiteral("box"));
        QString error;
        CFuzzScratch::Check(CSandbox::CreateDefault(box, &error) && volumes.LoadSandbox(box),
                            "the sandbox machine cannot be made");
        backup = box + QStringLiteral("/drives/C/Users/user/Documents/WmpBackup00.reg");
    }
    CVolumes volumes;
    QString backup;
};

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SMachine machine;
    const QByteArray bytes = CFuzzScratch::Bytes(data, size);
    CFuzzScratch::Get().Write(QStringLiteral("box/drives/C/Users/user/Documents/WmpBackup00.reg"), bytes);

    // A fresh registry each time, so that one input's values do not change how the next is applied.
    CRegistry registry;
    CPlatform services;
    services.registry = &registry;
    services.volumes = &machine.volumes;
    const CPlatformScope scope(services);
    CWmpRegAcc preferences;
    const QStringList stayed = preferences.RestoreLeftoverBackups();
    if (stayed.isEmpty()) {
        // An empty file is never a backup and stays; anything else was applied and then deleted.
        CFuzzScratch::Check(bytes.isEmpty() == QFile::exists(machine.backup),
                            "an applied backup is still there");
    } else {
        CFuzzScratch::Check(stayed.size() == 1 && Read(machine.backup) == bytes,
                            "a backup left in place was changed");
    }
    return 0;
}
