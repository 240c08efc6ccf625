#include "mediaengine/disc/CdTextDecoder.h"

#include "platform/text/Cp932.h"

QString CCdTextDecoder::FromLibcdio(const char* text) {
    if (text == nullptr) {
        return QString();
    }
    const QByteArray utf8(text);
    if (!IsStrictUtf8(utf8)) {
        // A libcdio built without iconv passes the disc's bytes through unchanged.
        return FromBytes(utf8);
    }
    const QString decoded = QString::fromUtf8(utf8);
    for (const QChar c : decoded) {
        if (c.unicode() > 0xFF) {
            // Real text above Latin-1: libcdio knew the character set (a drive's MS-JIS block).
            return decoded.trimmed();
        }
    }
    // Every character fits in one byte: these are the disc's bytes read as ISO-8859-1.
    return FromBytes(decoded.toLatin1());
}

QString CCdTextDecoder::FromBytes(const QByteArray& bytes) {
    if (IsStrictUtf8(bytes)) {
        return QString::fromUtf8(bytes).trimmed();
    }
    QString text;
    if (DecodeCp932(bytes, &text)) {
        return text.trimmed();
    }
    return QString::fromLatin1(bytes).trimmed();
}

bool CCdTextDecoder::IsStrictUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80; // allowed range of the second byte
        unsigned char high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) {
                low = 0xA0; // overlong below U+0800
            } else if (c == 0xED) {
                high = 0x9F; // surrogates
            }
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) {
                low = 0x90; // overlong below U+10000
            } else if (c == 0xF4) {
                high = 0x8F; // above U+10FFFF
            }
        } else {
            return false;
        }
        if (i + length > n) {
            return false;
        }
        if (p[i + 1] < low || p[i + 1] > high) {
            return false;
        }
        for (int k = 2; k < length; ++k) {
            if (p[i + k] < 0x80 || p[i + k] > 0xBF) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

bool CCdTextDecoder::DecodeCp932(const QByteArray& bytes, QString* text) {
    QString decoded;
    if (!CCp932::Decode(bytes, &decoded)) {
        return false;
    }
    for (const QChar c : decoded) {
        // CP932's user-defined area holds no text a disc carries, but Latin-1 letters such as "ö"
        // fall into it.
        if (c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF) {
            return false;
        }
    }
    *text = decoded;
    return true;
}
