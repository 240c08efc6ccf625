#include "mediaengine/disc/CdrdaoToc.h"

#include "mediaengine/disc/CdTextDecoder.h"
#include "mediaengine/disc/CueSheet.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

namespace {
constexpr qint64 kMaxTocBytes = 256 * 1024;
const QList<QByteArray> kFileKeywords = {"FILE", "AUDIOFILE", "DATAFILE"};
const QList<QByteArray> kTrackModes = {"AUDIO",       "MODE0",       "MODE1",          "MODE1_RAW", "MODE2",
                                       "MODE2_FORM1", "MODE2_FORM2", "MODE2_FORM_MIX", "MODE2_RAW"};

bool IsDigits(const QByteArray& text, int maxDigits) {
    if (text.isEmpty() || text.size() > maxDigits) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// mm:ss:ff (up to 999 minutes) as sectors; -1 for anything else.
int MsfSectors(const QByteArray& text) {
    const QList<QByteArray> parts = text.split(':');
    if (parts.size() != 3 || !IsDigits(parts[0], 3) || !IsDigits(parts[1], 2) || !IsDigits(parts[2], 2)) {
        return -1;
    }
    const int m = parts[0].toInt();
    const int s = parts[1].toInt();
    const int f = parts[2].toInt();
    return s < 60 && f < 75 ? (m * 60 + s) * 75 + f : -1;
}

// What follows an audio file's name: its start ("0" or mm:ss:ff) and optionally the length taken
// (mm:ss:ff). libcdio reads anything else wrongly (a track before the start of the disc) or refuses
// it, so it is refused here with the line. *length is -1 when the line gives none.
bool ParseSpan(const QByteArray& text, int* start, int* length) {
    const QList<QByteArray> words = text.simplified().split(' ');
    if (words.first().isEmpty() || words.size() > 2) {
        return false;
    }
    *start = words[0] == "0" ? 0 : MsfSectors(words[0]);
    *length = words.size() == 2 ? MsfSectors(words[1]) : -1;
    return *start >= 0 && (words.size() == 1 || *length >= 0);
}
} // namespace

bool CCdrdaoToc::Load(const QString& tocPath, QString* error) {
    QFile file(tocPath);
    if (file.size() > kMaxTocBytes || !file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 cannot be read as a TOC file").arg(tocPath);
        return false;
    }
    const QByteArray text = file.readAll();
    if (text.contains('\0')) {
        *error = QStringLiteral("%1 is not a TOC file (binary data)").arg(tocPath);
        return false;
    }
    const QString folder = QFileInfo(tocPath).absolutePath();
    QList<QByteArray> lines = text.split('\n');
    m_lastTrackPregap = 0;
    int files = 0;
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray& line = lines[i];
        const QByteArray trimmed = line.trimmed();
        const qsizetype space = trimmed.indexOf(' ');
        const QByteArray keyword = space < 0 ? trimmed : trimmed.left(space);
        if (keyword == "TRACK") {
            m_lastTrackPregap = 0;
            // libcdio divides by the sector size of the mode, which a TRACK without one leaves at 0.
            if (space < 0 || !kTrackModes.contains(trimmed.mid(space + 1).simplified().split(' ').first())) {
                *error = QStringLiteral("%1:%2: a TRACK line needs its mode (AUDIO, MODE1, MODE2 ...)")
                             .arg(tocPath)
                             .arg(i + 1);
                return false;
            }
        } else if (keyword == "START") {
            m_lastTrackPregap = qMax(0, MsfSectors(trimmed.mid(space + 1).trimmed()));
        } else if (keyword == "PREGAP" || keyword == "SILENCE" || keyword == "ZERO") {
            // libcdio does not make the silence these ask for.
            *error = QStringLiteral("%1:%2: %3 (silence no file holds) cannot be read from a TOC file")
                         .arg(tocPath)
                         .arg(i + 1)
                         .arg(QString::fromLatin1(keyword));
            return false;
        }
        if (space < 0 || !kFileKeywords.contains(keyword)) {
            continue;
        }
        const qsizetype open = line.indexOf('"');
        const qsizetype close = open < 0 ? -1 : line.indexOf('"', open + 1);
        if (close < 0) {
            *error =
                QStringLiteral("%1:%2: a file name in quotation marks is expected").arg(tocPath).arg(i + 1);
            return false;
        }
        const QString name = CCdTextDecoder::FromBytes(line.mid(open + 1, close - open - 1));
        const QString path = CCueSheet::ResolveName(folder, name);
        if (path.isEmpty()) {
            *error = QStringLiteral("%1:%2: the file %3 is missing").arg(tocPath).arg(i + 1).arg(name);
            return false;
        }
        if (path.endsWith(QLatin1String(".wav"), Qt::CaseInsensitive)) {
            // libcdio would play the WAV header as sound.
            *error = QStringLiteral("%1:%2: %3 is a WAV file; only raw audio files are read from a TOC file")
                         .arg(tocPath)
                         .arg(i + 1)
                         .arg(name);
            return false;
        }
        int start = 0;
        int length = -1;
        const bool audio = keyword != "DATAFILE";
        if (audio && !ParseSpan(line.mid(close + 1), &start, &length)) {
            *error = QStringLiteral("%1:%2: after the file name, a start (0 or mm:ss:ff) and a length "
                                    "(mm:ss:ff) are expected")
                         .arg(tocPath)
                         .arg(i + 1);
            return false;
        }
        // libcdio does not check that a file holds what the TOC takes from it; a rip would fail late.
        if (audio && (qint64(start) + qMax(length, 1)) * 2352 > QFileInfo(path).size()) {
            *error = QStringLiteral("%1:%2: %3 is shorter than the audio taken from it; the file is short")
                         .arg(tocPath)
                         .arg(i + 1)
                         .arg(name);
            return false;
        }
        line = line.left(open + 1) + QFile::encodeName(path) + line.mid(close);
        ++files;
    }
    if (files == 0) {
        *error = QStringLiteral("%1 names no audio file").arg(tocPath);
        return false;
    }
    m_text = lines.join('\n');
    return true;
}
