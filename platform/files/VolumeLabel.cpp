#include "platform/files/VolumeLabel.h"

#include "platform/text/Cp932.h"

#include <QStringDecoder>

namespace {

bool IsUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

QString CVolumeLabel::Decode(const QByteArray& bytes, const QString& fsType) {
    QByteArray trimmed = bytes;
    while (trimmed.endsWith(' '))
        trimmed.chop(1);
    if (IsUtf8(trimmed))
        return QString::fromUtf8(trimmed);
    QString text;
    if ((fsType == QLatin1String("vfat") || fsType == QLatin1String("msdos")) &&
        CCp932::Decode(trimmed, &text))
        return text;
    return QString::fromUtf8(trimmed);
}
