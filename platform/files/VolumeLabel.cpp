#include "platform/files/VolumeLabel.h"

#include <QStringDecoder>

#include <cerrno>
#include <iconv.h>

namespace {

bool IsUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

// False when the bytes are not CP932.
bool DecodeCp932(const QByteArray& bytes, QString* text) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == iconv_t(-1))
        return false;
    QByteArray in = bytes;
    QByteArray out(bytes.size() * 3 + 4, '\0');
    char* inPtr = in.data();
    size_t inLeft = size_t(in.size());
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == size_t(-1) || inLeft != 0)
        return false;
    *text = QString::fromUtf8(out.constData(), out.size() - qsizetype(outLeft));
    return true;
}

} // namespace

QString CVolumeLabel::Decode(const QByteArray& bytes, const QString& fsType) {
    QByteArray trimmed = bytes;
    while (trimmed.endsWith(' '))
        trimmed.chop(1);
    if (IsUtf8(trimmed))
        return QString::fromUtf8(trimmed);
    QString text;
    if ((fsType == QLatin1String("vfat") || fsType == QLatin1String("msdos")) && DecodeCp932(trimmed, &text))
        return text;
    return QString::fromUtf8(trimmed);
}
