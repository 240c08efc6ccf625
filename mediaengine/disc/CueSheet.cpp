#include "mediaengine/disc/CueSheet.h"

#include "mediaengine/disc/CdTextDecoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// A CUE sheet is a few kilobytes of text; anything much larger is not one.
constexpr qint64 kMaxCueBytes = 256 * 1024;
constexpr int kMaxTracks = 99;

// Splits a line into words; a quoted word keeps its blanks. False for an unclosed quote.
bool Tokenize(const QByteArray& line, QList<QByteArray>* tokens) {
    tokens->clear();
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        if (i >= n) {
            break;
        }
        if (line[i] == '"') {
            const qsizetype close = line.indexOf('"', i + 1);
            if (close < 0) {
                return false;
            }
            tokens->append(line.mid(i + 1, close - i - 1));
            i = close + 1;
        } else {
            const qsizetype start = i;
            while (i < n && line[i] != ' ' && line[i] != '\t') {
                ++i;
            }
            tokens->append(line.mid(start, i - start));
        }
    }
    return true;
}

// mm:ss:ff with 75 frames a second; -1 when malformed or out of range.
int ParseMsf(const QByteArray& text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,3}):(\\d{1,2}):(\\d{1,2})$"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(text));
    if (!match.hasMatch()) {
        return -1;
    }
    const int m = match.captured(1).toInt();
    const int s = match.captured(2).toInt();
    const int f = match.captured(3).toInt();
    if (s > 59 || f > 74) {
        return -1;
    }
    return (m * 60 + s) * 75 + f;
}

bool IsDigits(const QByteArray& text, int count) {
    if (text.size() != count) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// The case-insensitive walk of one folder level.
QString FindIgnoringCase(const QDir& folder, const QString& name) {
    const QStringList entries = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) {
            return entry;
        }
    }
    return QString();
}

} // namespace

QString CCueSheet::At(int line, const QString& what) const {
    return QStringLiteral("%1:%2: %3").arg(m_userPath).arg(line).arg(what);
}

QString CCueSheet::Decode(const QByteArray& bytes) const {
    switch (m_charset) {
    case Charset::Utf8:
        return QString::fromUtf8(bytes).trimmed();
    case Charset::Cp932: {
        QString text;
        return CCdTextDecoder::DecodeCp932(bytes, &text) ? text.trimmed() : CCdTextDecoder::FromBytes(bytes);
    }
    case Charset::PerString:
        break;
    }
    return CCdTextDecoder::FromBytes(bytes);
}

QString CCueSheet::ResolveName(const QString& folder, const QString& name) {
    QString relative = name;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString exact = QFileInfo(QDir(folder), relative).absoluteFilePath();
    if (QFileInfo(exact).isFile()) {
        return exact;
    }
    QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    // A sheet written with "C:\Music\Album\x.wav" has travelled with its files: look beside it.
    if (relative.size() >= 2 && relative[1] == QLatin1Char(':') && !parts.isEmpty()) {
        parts = QStringList{parts.last()};
    }
    QDir dir(relative.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : folder);
    for (int i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (part == QLatin1String(".") || part == QLatin1String("..")) {
            if (!dir.cd(part)) {
                return QString();
            }
            continue;
        }
        const QString found = dir.exists(part) ? part : FindIgnoringCase(dir, part);
        if (found.isEmpty()) {
            return QString();
        }
        if (i + 1 == parts.size()) {
            const QFileInfo info(dir.filePath(found));
            return info.isFile() ? info.absoluteFilePath() : QString();
        }
        if (!dir.cd(found)) {
            return QString();
        }
    }
    return QString();
}

bool CCueSheet::Load(const QString& cuePath, QString* error) {
    m_userPath = cuePath;
    m_cuePath = QFileInfo(cuePath).absoluteFilePath();
    m_files.clear();
    m_tracks.clear();
    m_album.clear();
    m_performer.clear();
    m_cdTextPath.clear();
    m_cdTextLine = 0;
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
    m_text = file.readAll();
    if (m_text.contains('\0')) {
        *error = QStringLiteral("%1 is not a CUE sheet (binary data)").arg(cuePath);
        return false;
    }
    // A sheet says nothing of its character set; a byte order mark settles it, else the whole
    // text decides, since a sheet is written in one.
    if (m_text.startsWith("\xEF\xBB\xBF")) {
        m_text.remove(0, 3);
        m_charset = Charset::Utf8;
    } else if (CCdTextDecoder::IsStrictUtf8(m_text)) {
        m_charset = Charset::Utf8;
    } else {
        QString ignored;
        m_charset = CCdTextDecoder::DecodeCp932(m_text, &ignored) ? Charset::Cp932 : Charset::PerString;
    }

    const QList<QByteArray> lines = m_text.split('\n');
    QList<QByteArray> tokens;
    for (int i = 0; i < lines.size(); ++i) {
        if (!Tokenize(lines[i].trimmed(), &tokens)) {
            *error = At(i + 1, QStringLiteral("a quotation mark is not closed"));
            return false;
        }
        if (!tokens.isEmpty() && !ParseLine(tokens, i + 1, error)) {
            return false;
        }
    }
    if (m_files.isEmpty()) {
        *error = QStringLiteral("%1 names no image file (no FILE line)").arg(cuePath);
        return false;
    }
    if (m_tracks.isEmpty()) {
        *error = QStringLiteral("%1 lists no tracks").arg(cuePath);
        return false;
    }
    for (const Track& track : std::as_const(m_tracks)) {
        bool hasStart = false;
        for (const Index& index : track.indexes) {
            hasStart = hasStart || index.number == 1;
        }
        if (!hasStart) {
            *error = At(track.line, QStringLiteral("track %1 has no start (INDEX 01)").arg(track.number));
            return false;
        }
    }
    const Index* previous = nullptr;
    for (const Track& track : std::as_const(m_tracks)) {
        for (const Index& index : track.indexes) {
            if (previous != nullptr && previous->file == index.file && index.offset <= previous->offset) {
                *error = At(index.line,
                            QStringLiteral("INDEX %1 of track %2 does not lie after the index before it")
                                .arg(index.number, 2, 10, QLatin1Char('0'))
                                .arg(track.number));
                return false;
            }
            previous = &index;
        }
    }
    for (int f = 0; f < m_files.size(); ++f) {
        bool used = false;
        for (const Track& track : std::as_const(m_tracks)) {
            for (const Index& index : track.indexes) {
                used = used || index.file == f;
            }
        }
        if (!used) {
            *error = At(m_files[f].line, QStringLiteral("no INDEX lies in the file %1").arg(m_files[f].name));
            return false;
        }
    }
    return true;
}

bool CCueSheet::ParseLine(const QList<QByteArray>& tokens, int line, QString* error) {
    const QByteArray keyword = tokens.first().toUpper();
    const int args = static_cast<int>(tokens.size()) - 1;
    Track* track = m_tracks.isEmpty() ? nullptr : &m_tracks.last();
    const QString folder = QFileInfo(m_cuePath).absolutePath();

    if (keyword == "FILE") {
        if (args != 2) {
            *error = At(line, QStringLiteral("a FILE line names a file and its type"));
            return false;
        }
        File entry;
        entry.line = line;
        entry.name = Decode(tokens[1]);
        const QByteArray type = tokens[2].toUpper();
        if (type == "BINARY") {
            entry.type = FileType::Binary;
        } else if (type == "MOTOROLA") {
            entry.type = FileType::Motorola;
        } else if (type == "WAVE") {
            entry.type = FileType::Wave;
        } else if (type == "FLAC") {
            entry.type = FileType::Flac;
        } else {
            *error = At(line, QStringLiteral("file type %1 cannot be read (BINARY, MOTOROLA, WAVE or FLAC)")
                                  .arg(QString::fromLatin1(tokens[2])));
            return false;
        }
        if (entry.name.isEmpty()) {
            *error = At(line, QStringLiteral("the FILE line names no file"));
            return false;
        }
        entry.path = ResolveName(folder, entry.name);
        if (entry.path.isEmpty()) {
            *error = At(line, QStringLiteral("the file %1 is missing").arg(entry.name));
            return false;
        }
        if (QFileInfo(entry.path).size() == 0) {
            *error = At(line, QStringLiteral("the file %1 is empty").arg(entry.name));
            return false;
        }
        m_files.append(entry);
    } else if (keyword == "TRACK") {
        if (m_files.isEmpty()) {
            *error = At(line, QStringLiteral("a TRACK comes before its FILE"));
            return false;
        }
        bool isNumber = false;
        const int number = args >= 1 ? tokens[1].toInt(&isNumber) : 0;
        if (args != 2 || !isNumber || number < 1 || number > kMaxTracks) {
            *error = At(line, QStringLiteral("a TRACK line needs a number from 1 to 99 and a mode"));
            return false;
        }
        if (track != nullptr && number != track->number + 1) {
            *error =
                At(line,
                   QStringLiteral("track numbers out of order (%1 after %2)").arg(number).arg(track->number));
            return false;
        }
        if (m_tracks.size() >= kMaxTracks) {
            *error = At(line, QStringLiteral("more than 99 tracks; a disc holds at most 99"));
            return false;
        }
        const QByteArray mode = tokens[2].toUpper();
        static const QList<QByteArray> kModes = {"AUDIO",      "MODE1/2352", "MODE2/2352", "MODE1/2048",
                                                 "MODE2/2336", "MODE2/2048", "MODE2/2324", "CDI/2352",
                                                 "CDI/2336",   "CDG"};
        if (!kModes.contains(mode)) {
            *error = At(line, QStringLiteral("unknown track mode %1").arg(QString::fromLatin1(tokens[2])));
            return false;
        }
        Track entry;
        entry.number = number;
        entry.audio = mode == "AUDIO";
        entry.sectorBytes = mode == "CDG"                           ? 2448
                            : mode.endsWith("/2352") || entry.audio ? 2352
                                                                    : mode.mid(mode.indexOf('/') + 1).toInt();
        entry.line = line;
        if (!entry.audio &&
            (m_files.last().type == FileType::Wave || m_files.last().type == FileType::Flac)) {
            *error =
                At(line,
                   QStringLiteral("a data track cannot lie in the audio file %1").arg(m_files.last().name));
            return false;
        }
        m_tracks.append(entry);
    } else if (keyword == "INDEX") {
        if (track == nullptr) {
            *error = At(line, QStringLiteral("an INDEX comes before any TRACK"));
            return false;
        }
        bool isNumber = false;
        const int number = args >= 1 ? tokens[1].toInt(&isNumber) : -1;
        const int offset = args == 2 ? ParseMsf(tokens[2]) : -1;
        if (args != 2 || !isNumber || number < 0 || number > 99) {
            *error = At(line, QStringLiteral("an INDEX line needs a number from 0 to 99 and a time"));
            return false;
        }
        if (offset < 0) {
            *error = At(line, QStringLiteral("bad time %1 (minutes:seconds:frames, 75 frames a second)")
                                  .arg(QString::fromLatin1(tokens[2])));
            return false;
        }
        if (!track->indexes.isEmpty() && number != track->indexes.last().number + 1) {
            *error = At(line, QStringLiteral("INDEX %1 out of order").arg(number));
            return false;
        }
        if (track->indexes.isEmpty() && number > 1) {
            *error = At(line, QStringLiteral("track %1 starts with INDEX %2").arg(track->number).arg(number));
            return false;
        }
        track->indexes.append(Index{number, static_cast<int>(m_files.size()) - 1, offset, line});
    } else if (keyword == "PREGAP" || keyword == "POSTGAP") {
        const int length = args == 1 ? ParseMsf(tokens[1]) : -1;
        if (track == nullptr) {
            *error = At(line, QStringLiteral("%1 comes before any TRACK").arg(QString::fromLatin1(keyword)));
            return false;
        }
        if (length < 0) {
            *error = At(line, QStringLiteral("bad %1 length").arg(QString::fromLatin1(keyword)));
            return false;
        }
        if (keyword == "PREGAP") {
            if (!track->indexes.isEmpty()) {
                *error = At(line, QStringLiteral("PREGAP comes after an INDEX of its track"));
                return false;
            }
            track->pregap = length;
        } else {
            if (track->indexes.isEmpty()) {
                *error = At(line, QStringLiteral("POSTGAP comes before the track's INDEX lines"));
                return false;
            }
            track->postgap = length;
        }
    } else if (keyword == "TITLE" || keyword == "PERFORMER") {
        if (args < 1) {
            *error = At(line, QStringLiteral("%1 without text").arg(QString::fromLatin1(keyword)));
            return false;
        }
        const QString text = Decode(tokens[1]);
        QString* field = track != nullptr ? (keyword == "TITLE" ? &track->title : &track->performer)
                                          : (keyword == "TITLE" ? &m_album : &m_performer);
        *field = text;
    } else if (keyword == "CATALOG") {
        if (args != 1 || !IsDigits(tokens[1], 13)) {
            *error = At(line, QStringLiteral("bad catalogue number (13 digits)"));
            return false;
        }
    } else if (keyword == "CDTEXTFILE") {
        if (args != 1) {
            *error = At(line, QStringLiteral("CDTEXTFILE names one file"));
            return false;
        }
        const QString name = Decode(tokens[1]);
        m_cdTextPath = ResolveName(folder, name);
        m_cdTextLine = line;
        if (m_cdTextPath.isEmpty()) {
            *error = At(line, QStringLiteral("the CD-Text file %1 is missing").arg(name));
            return false;
        }
    }
    // REM, FLAGS, ISRC, SONGWRITER and the other CD-Text fields say nothing the engine uses.
    return true;
}

bool CCueSheet::IsSingleRawImage() const {
    if (m_files.size() != 1 || !m_cdTextPath.isEmpty()) {
        return false;
    }
    if (m_files.first().type != FileType::Binary && m_files.first().type != FileType::Motorola) {
        return false;
    }
    for (const Track& track : m_tracks) {
        if (track.pregap > 0 || track.postgap > 0) {
            return false;
        }
    }
    return true;
}

void CCueSheet::ApplyText(DiscInfo* info) const {
    if (!m_album.isEmpty()) {
        info->album = m_album;
    }
    if (!m_performer.isEmpty()) {
        info->artist = m_performer;
    }
    for (DiscTrack& disc : info->tracks) {
        for (const Track& track : m_tracks) {
            if (track.number != disc.number) {
                continue;
            }
            if (!track.title.isEmpty()) {
                disc.title = track.title;
            }
            if (!track.performer.isEmpty()) {
                disc.artist = track.performer;
            }
        }
    }
}
