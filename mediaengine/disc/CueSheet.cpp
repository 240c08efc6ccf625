#include "mediaengine/disc/CueSheet.h"

#include "mediaengine/disc/CdTextDecoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

namespace {

// A CUE sheet is a few kilobytes of text; anything much larger is not one.
constexpr qint64 kMaxCueBytes = 256 * 1024;
constexpr int kMaxTracks = 99;

struct FileLine {
    QByteArray name;
    QByteArray type;
};

// FILE "name with blanks.bin" BINARY, or FILE name.bin BINARY.
bool ParseFileLine(const QByteArray& rest, FileLine* line) {
    const QByteArray text = rest.trimmed();
    if (text.startsWith('"')) {
        const qsizetype close = text.indexOf('"', 1);
        if (close < 0) {
            return false;
        }
        line->name = text.mid(1, close - 1);
        line->type = text.mid(close + 1).trimmed().toUpper();
    } else {
        const qsizetype space = text.lastIndexOf(' ');
        if (space < 0) {
            return false;
        }
        line->name = text.left(space).trimmed();
        line->type = text.mid(space + 1).trimmed().toUpper();
    }
    return !line->name.isEmpty();
}

} // namespace

bool CCueSheet::Load(const QString& cuePath, QString* error) {
    m_cuePath = QFileInfo(cuePath).absoluteFilePath();
    QFile file(m_cuePath);
    if (!file.exists()) {
        *error = QStringLiteral("the CUE sheet %1 does not exist").arg(cuePath);
        return false;
    }
    if (file.size() > kMaxCueBytes) {
        *error = QStringLiteral("%1 is too large to be a CUE sheet").arg(cuePath);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(cuePath, file.errorString());
        return false;
    }
    QByteArray text = file.readAll();
    if (text.contains('\0')) {
        *error = QStringLiteral("%1 is not a CUE sheet (binary data)").arg(cuePath);
        return false;
    }
    if (text.startsWith("\xEF\xBB\xBF")) {
        *error = QStringLiteral("%1 starts with a byte order mark, which libcdio cannot read").arg(cuePath);
        return false;
    }

    QList<FileLine> files;
    m_trackCount = 0;
    bool trackBeforeFile = false;
    int previousNumber = 0;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        const qsizetype space = line.indexOf(' ');
        const QByteArray keyword = (space < 0 ? line : line.left(space)).toUpper();
        const QByteArray rest = space < 0 ? QByteArray() : line.mid(space + 1);
        if (keyword == "FILE") {
            FileLine entry;
            if (!ParseFileLine(rest, &entry)) {
                *error = QStringLiteral("%1: malformed FILE line").arg(cuePath);
                return false;
            }
            files.append(entry);
        } else if (keyword == "TRACK") {
            if (files.isEmpty()) {
                trackBeforeFile = true;
            }
            bool isNumber = false;
            const int number = rest.trimmed().split(' ').first().toInt(&isNumber);
            if (!isNumber || number < 1 || (m_trackCount > 0 && number != previousNumber + 1)) {
                *error = QStringLiteral("%1: track numbers out of order or invalid").arg(cuePath);
                return false;
            }
            previousNumber = number;
            ++m_trackCount;
        }
    }
    if (files.isEmpty()) {
        *error = QStringLiteral("%1 names no image file").arg(cuePath);
        return false;
    }
    if (files.size() > 1) {
        *error =
            QStringLiteral("%1 names more than one file; only single-file images are supported").arg(cuePath);
        return false;
    }
    if (trackBeforeFile) {
        *error = QStringLiteral("%1: a TRACK comes before its FILE").arg(cuePath);
        return false;
    }
    if (m_trackCount == 0) {
        *error = QStringLiteral("%1 lists no tracks").arg(cuePath);
        return false;
    }
    if (m_trackCount > kMaxTracks) {
        *error = QStringLiteral("%1 lists %2 tracks; a disc holds at most 99").arg(cuePath).arg(m_trackCount);
        return false;
    }
    const FileLine& entry = files.first();
    if (entry.type != "BINARY" && entry.type != "MOTOROLA") {
        *error = QStringLiteral("%1: file type %2 is not a raw disc image")
                     .arg(cuePath, QString::fromLatin1(entry.type));
        return false;
    }
    m_bigEndian = entry.type == "MOTOROLA";

    // The name is in the sheet's character set; Windows tools also write backslashes.
    QString name = CCdTextDecoder::FromBytes(entry.name);
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    m_binPath = QFileInfo(QDir(QFileInfo(m_cuePath).absolutePath()), name).absoluteFilePath();
    const QFileInfo bin(m_binPath);
    if (!bin.exists() || !bin.isFile()) {
        *error = QStringLiteral("the image file %1 named by %2 is missing").arg(name, cuePath);
        return false;
    }
    if (bin.size() == 0) {
        *error = QStringLiteral("the image file %1 is empty").arg(m_binPath);
        return false;
    }
    return true;
}
