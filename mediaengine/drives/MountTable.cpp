#include "mediaengine/drives/MountTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The mounts file writes a blank as \040, a tab as \011 and so on.
QString DecodeOctal(const QByteArray& field) {
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int value = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && value > 0 && value < 256) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QString::fromUtf8(out);
}

// udev's label links write unsafe bytes as \xNN.
QString DecodeHex(const QString& name) {
    const QByteArray in = QFile::encodeName(name);
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            bool ok = false;
            const int value = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok && value > 0) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(in[i]);
    }
    return QString::fromUtf8(out);
}

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
            mounts.append({DecodeOctal(fields[0]), DecodeOctal(fields[1]), QString::fromUtf8(fields[2])});
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
            return DecodeHex(link.fileName());
        }
    }
    return QFileInfo(mount.point).fileName();
}
