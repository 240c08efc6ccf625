#include "destination/PlayerInfoFile.h"

#include <QByteArray>
#include <QFile>
#include <QStringConverter>
#include <QStringDecoder>

const QString& CPlayerInfoFile::Name() {
    static const QString name = QStringLiteral("\\WMPInfo.xml");
    return name;
}

std::optional<QString> CPlayerInfoFile::ReadFirstLine(const QString& hostPath) {
    if (hostPath.isEmpty())
        return std::nullopt;
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Four bytes a character at most, and the byte order mark.
    const QByteArray head = file.read(4 * kMaxLine + 4);
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    if (const std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(head.left(4)))
        encoding = *bom;
    QStringDecoder decode(encoding, QStringDecoder::Flag::Stateless);
    QString text = decode(head);
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    if (end >= 0)
        text.truncate(end);
    text.truncate(kMaxLine);
    return text;
}
