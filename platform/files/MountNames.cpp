#include "platform/files/MountNames.h"

#include <QFile>

namespace {

// Replaces `marker` + `digits` digits of `base` by the byte they name; a NUL stays as written.
QByteArray Unescape(const QByteArray& in, const QByteArray& marker, int digits, int base) {
    QByteArray out;
    const qsizetype escape = marker.size() + digits;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in.mid(i, marker.size()) == marker && i + escape <= in.size()) {
            bool ok = false;
            const int value = in.mid(i + marker.size(), digits).toInt(&ok, base);
            if (ok && value > 0 && value < 256) {
                out.append(char(value));
                i += escape - 1;
                continue;
            }
        }
        out.append(in[i]);
    }
    return out;
}

} // namespace

QString CMountNames::FromMountField(const QByteArray& field) {
    return QString::fromUtf8(Unescape(field, QByteArrayLiteral("\\"), 3, 8));
}

QString CMountNames::FromLabelLink(const QString& name) {
    return QString::fromUtf8(LabelLinkBytes(name));
}

QByteArray CMountNames::LabelLinkBytes(const QString& name) {
    return Unescape(QFile::encodeName(name), QByteArrayLiteral("\\x"), 2, 16);
}
