#include "platform/files/MountInfo.h"

#include "platform/files/MountNames.h"

#include <QFile>

namespace {

bool HasOption(const QByteArray& options, const char* option) {
    return options.split(',').contains(QByteArray(option));
}

QByteArray ReadAll(const QString& path, bool* ok) {
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    // /proc files report size 0: read until the end rather than by size.
    return *ok ? file.readAll() : QByteArray();
}

} // namespace

QList<CMountInfo::Mount> CMountInfo::Parse(const QByteArray& text) {
    QList<Mount> mounts;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // mountinfo: id parent major:minor root point options [optional...] - type source super
        const qsizetype dash = fields.indexOf(QByteArray("-"));
        if (dash >= 6 && fields.size() >= dash + 3) {
            Mount mount;
            mount.root = CMountNames::FromMountField(fields[3]);
            mount.point = CMountNames::FromMountField(fields[4]);
            mount.type = QString::fromUtf8(fields[dash + 1]);
            mount.device = CMountNames::FromMountField(fields[dash + 2]);
            // Read-only either for this mount or for the whole file system (super options).
            mount.readOnly =
                HasOption(fields[5], "ro") || (fields.size() > dash + 3 && HasOption(fields[dash + 3], "ro"));
            mounts.append(mount);
            continue;
        }
        // mounts: source point type options dump pass
        if (fields.size() >= 4 && fields[1].startsWith('/')) {
            Mount mount;
            mount.device = CMountNames::FromMountField(fields[0]);
            mount.point = CMountNames::FromMountField(fields[1]);
            mount.type = QString::fromUtf8(fields[2]);
            mount.readOnly = HasOption(fields[3], "ro");
            mounts.append(mount);
        }
    }
    return mounts;
}

QByteArray CMountInfo::ReadStable(const QString& path) {
    bool ok = false;
    QByteArray text = ReadAll(path, &ok);
    for (int attempt = 0; ok && attempt < 3; ++attempt) {
        const QByteArray again = ReadAll(path, &ok);
        if (again == text)
            break;
        text = again;
    }
    return ok ? text : QByteArray();
}
