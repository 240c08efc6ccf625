#include "mediaengine/drives/MountTable.h"

#include "platform/files/MountNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString Canonical(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

} // namespace

QList<CMountTable::Mount> CMountTable::Read(const QString& mountsFile) {
    QList<Mount> mounts;
    QFile file(mountsFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return mounts;
    }
    // /proc files report size 0: read line by line until the end.
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().simplified().split(' ');
        if (fields.size() >= 3) {
            mounts.append({CMountNames::FromMountField(fields[0]), CMountNames::FromMountField(fields[1]),
                           QString::fromUtf8(fields[2])});
        }
    }
    return mounts;
}

std::optional<CMountTable::Mount> CMountTable::OpticalMountOf(const QList<Mount>& mounts,
                                                              const QString& device) {
    if (device.isEmpty()) {
        return std::nullopt;
    }
    const QString wanted = Canonical(device);
    for (const Mount& mount : mounts) {
        if (mount.type != QLatin1String("iso9660") && mount.type != QLatin1String("udf")) {
            continue;
        }
        if (mount.device == device || Canonical(mount.device) == wanted) {
            return mount;
        }
    }
    return std::nullopt;
}

QString CMountTable::LabelOf(const QString& byLabelDir, const Mount& mount) {
    const QString device = Canonical(mount.device);
    const QFileInfoList links =
        QDir(byLabelDir).entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& link : links) {
        if (Canonical(link.filePath()) == device) {
            return CMountNames::FromLabelLink(link.fileName());
        }
    }
    return QFileInfo(mount.point).fileName();
}
