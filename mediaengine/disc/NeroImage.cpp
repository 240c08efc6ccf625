#include "mediaengine/disc/NeroImage.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>
#include <cdio/cdtext.h>

namespace {

constexpr qint64 kMaxFooter = 4096; // libcdio reads no more
constexpr int kChunkHeader = 8;

quint32 Be32(const QByteArray& data, qsizetype at) {
    return qFromBigEndian<quint32>(data.constData() + at);
}

quint64 Be64(const QByteArray& data, qsizetype at) {
    return qFromBigEndian<quint64>(data.constData() + at);
}

// Whether libcdio's CD-Text reader gets through the packs: it needs the size information of each
// block from the packs at or after the block's start, and gathers each string in a 256-byte buffer
// it does not bound. When it fails it frees its CD-Text twice; a string that does not fit
// overwrites its stack. Its walk is followed here step by step.
bool LibcdioReadsCdText(const QByteArray& data) {
    constexpr int kPack = 18;
    constexpr int kBuffer = 256;
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype packs = data.size() / kPack;
    if (packs == 0) {
        return false; // no block at all, which it takes for a failure as well
    }
    int block = -1;
    int sequence = 0;
    int gathered = 0;
    for (qsizetype p = 0; p < packs; ++p) {
        const uchar* pack = bytes + p * kPack;
        const int packBlock = (pack[3] >> 4) & 0x07;
        if (block != packBlock || sequence != pack[2]) {
            block = packBlock;
            sequence = 0;
            // The last size-information pack 1 from here on must say that there are three.
            int sizePacks = 0;
            for (qsizetype q = p; q < packs; ++q) {
                const uchar* size = bytes + q * kPack;
                if (size[0] == 0x8F && size[1] == 1) {
                    sizePacks = size[4 + 7];
                }
            }
            if (sizePacks != 3) {
                return false;
            }
        }
        const bool doubleByte = (pack[3] & 0x80) != 0;
        const int step = doubleByte ? 2 : 1;
        const uchar type = pack[0];
        if ((type >= 0x80 && type <= 0x87) || type == 0x8E) {
            // A genre pack may start with its two-byte code.
            for (int j = type == 0x87 && pack[4] <= 31 ? 2 : 0; j < 12; j += step) {
                const bool end = pack[4 + j] == 0 && (!doubleByte || pack[4 + j + 1] == 0);
                if (!end || gathered > 1) {
                    gathered += step;
                }
                if (gathered + step > kBuffer) {
                    return false;
                }
                if (end && gathered > 1) {
                    gathered = 0;
                }
            }
        }
        ++sequence;
    }
    return true;
}

// libcdio's reader fails in more ways than the walk above follows, and its Nero reader then frees
// the CD-Text twice. Once the walk has shown the packs safe to read, libcdio reads a copy of them
// on its own, where a failure costs nothing.
bool LibcdioTakesCdText(const QByteArray& data) {
    cdtext_t* text = cdtext_init();
    if (!text) {
        return false;
    }
    QByteArray copy = data;
    const bool read =
        cdtext_data_init(text, reinterpret_cast<uint8_t*>(copy.data()), size_t(copy.size())) == 0;
    cdtext_destroy(text); // frees the object too
    return read;
}

// What libcdio asserts of one chunk.
QString CheckChunk(const QByteArray& id, const QByteArray& data) {
    const qsizetype n = data.size();
    if (id == "CUEX" || id == "CUES") {
        if (n % 8 != 0 || n < 32 || (id == "CUEX" && n % 16 != 0)) {
            return QStringLiteral("its track list (%1) has a wrong length").arg(QString::fromLatin1(id));
        }
        if (id == "CUEX") {
            if (qint32(Be32(data, 4)) != -150) {
                return QStringLiteral("its track list does not start at the lead-in");
            }
            for (qsizetype i = 16; i + 16 <= n; i += 16) {
                const int format = uchar(data[i + 2]) >> 4;
                if ((format != 0 && format != 1) || data[i + 1] == data[i + 9]) {
                    return QStringLiteral("its track list is damaged");
                }
            }
        } else {
            for (qsizetype i = 8; i + 16 <= n; i += 16) {
                if (data[i + 1] != data[i + 9]) {
                    return QStringLiteral("its track list is damaged");
                }
            }
        }
    } else if (id == "ETNF" || id == "ETN2") {
        const int record = id == "ETNF" ? 20 : 32;
        if (n % record != 0) {
            return QStringLiteral("its track list (%1) has a wrong length").arg(QString::fromLatin1(id));
        }
        for (qsizetype i = 0; id == "ETNF" && i < n; i += record) {
            const quint32 type = Be32(data, i + 8);
            const quint32 size = type == 7 ? 2352 : type == 0 || type == 2 ? 2048 : 2336;
            if (Be32(data, i + 4) % size != 0 || quint64(Be32(data, i + 12)) * size != Be32(data, i)) {
                return QStringLiteral("its track list is damaged");
            }
        }
    } else if (id == "SINF" || id == "MTYP") {
        if (n != 4) {
            return QStringLiteral("its %1 chunk has a wrong length").arg(QString::fromLatin1(id));
        }
    } else if (id == "CDTX") {
        if (n % 18 != 0) {
            return QStringLiteral("its CD-Text is truncated");
        }
        if (!LibcdioReadsCdText(data) || !LibcdioTakesCdText(data)) {
            return QStringLiteral("its CD-Text is damaged");
        }
    } else if (id == "DAOX" || id == "DAOI") {
        if (n < 22) {
            return QStringLiteral("its disc description is truncated");
        }
        const int tracks = uchar(data[21]) - uchar(data[20]) + 1;
        const int record = id == "DAOX" ? 42 : 30;
        if (tracks < 1 || 22 + qsizetype(tracks) * record > n) {
            return QStringLiteral("its disc description is truncated");
        }
    }
    return QString();
}

} // namespace

bool CNeroImage::Check(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const qint64 size = file.size();
    QByteArray trailer;
    if (size >= 12 && file.seek(size - 12)) {
        trailer = file.read(12);
    }
    qint64 footer = -1;
    if (trailer.size() == 12 && trailer.startsWith("NER5")) {
        footer = qint64(Be64(trailer, 4));
    } else if (trailer.size() == 12 && trailer.mid(4, 4) == "NERO") {
        footer = Be32(trailer, 8);
    } else {
        *error =
            QStringLiteral("%1 is not a Nero image, or it is cut short (no NER5 or NERO trailer)").arg(path);
        return false;
    }
    if (footer < 0 || footer >= size || size - footer > kMaxFooter || !file.seek(footer)) {
        *error = QStringLiteral("%1 is damaged: its description lies outside the file").arg(path);
        return false;
    }
    const QByteArray chunks = file.read(size - footer);
    qsizetype at = 0;
    bool tracks = false;
    int lists = 0;
    int taoLists = 0;
    int daos = 0;
    while (true) {
        if (at + kChunkHeader > chunks.size()) {
            *error = QStringLiteral("%1 is damaged: its description has no end").arg(path);
            return false;
        }
        const QByteArray id = chunks.mid(at, 4);
        const quint32 length = Be32(chunks, at + 4);
        if (id == "END!") {
            break;
        }
        if (length > quint64(chunks.size() - at - kChunkHeader)) {
            *error = QStringLiteral("%1 is damaged: a part of its description runs past the end").arg(path);
            return false;
        }
        const QString reason = CheckChunk(id, chunks.mid(at + kChunkHeader, length));
        if (!reason.isEmpty()) {
            *error = QStringLiteral("%1 is damaged: %2").arg(path, reason);
            return false;
        }
        // libcdio reads one track list (CUEX, CUES, ETNF or ETN2) and one DAO description (DAOX or
        // DAOI, never with a TAO list) and asserts, ending the process, on a second: an image of
        // more than one session, or a damaged one.
        const bool list = id == "CUEX" || id == "CUES" || id == "ETNF" || id == "ETN2";
        const bool tao = id == "ETNF" || id == "ETN2";
        const bool dao = id == "DAOX" || id == "DAOI";
        if ((list && lists > 0) || (dao && daos > 0) || (tao && daos > 0) || (dao && taoLists > 0)) {
            *error =
                QStringLiteral("%1 describes its tracks twice (%2 after another track list); only images "
                               "of one session can be read")
                    .arg(path, QString::fromLatin1(id));
            return false;
        }
        lists += list ? 1 : 0;
        taoLists += tao ? 1 : 0;
        daos += dao ? 1 : 0;
        tracks = tracks || list;
        at += kChunkHeader + length;
    }
    if (!tracks) {
        *error = QStringLiteral("%1 lists no tracks").arg(path);
        return false;
    }
    return true;
}
