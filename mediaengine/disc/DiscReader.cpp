#include "mediaengine/disc/DiscReader.h"

#include "mediaengine/disc/CdioDiscReader.h"

#include <QFileInfo>

std::unique_ptr<CDiscReader> CDiscReader::Open(const QString& source, QString* error) {
    QString ignored;
    QString* reason = error != nullptr ? error : &ignored;
    reason->clear();
    if (source.isEmpty()) {
        *reason = QStringLiteral("no disc image or drive given");
        return nullptr;
    }
    const QFileInfo info(source);
    if (!info.exists()) {
        *reason = QStringLiteral("%1 does not exist").arg(source);
        return nullptr;
    }
    if (info.isFile()) {
        if (info.suffix().compare(QLatin1String("cue"), Qt::CaseInsensitive) != 0) {
            *reason = QStringLiteral("%1 is not a CUE sheet").arg(source);
            return nullptr;
        }
        return CCdioDiscReader::OpenImage(source, reason);
    }
    if (info.isDir()) {
        *reason = QStringLiteral("%1 is a folder, not a disc").arg(source);
        return nullptr;
    }
    return CCdioDiscReader::OpenDevice(source, reason);
}
