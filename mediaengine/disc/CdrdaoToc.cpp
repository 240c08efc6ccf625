#include "mediaengine/disc/CdrdaoToc.h"

#include "mediaengine/disc/CdTextDecoder.h"
#include "mediaengine/disc/CueSheet.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <algorithm>

namespace {
constexpr qint64 kMaxTocBytes = 256 * 1024;
constexpr int kFramesPerSector = 588;
constexpr int kFrameBytes = 4;
constexpr int kMaxTracks = 99;

// The track modes and the bytes of one sector as a file holds it.
const QMap<QByteArray, int> kTrackModes = {
    {"AUDIO", 2352},       {"MODE0", 2336},          {"MODE1", 2048},
    {"MODE1_RAW", 2352},   {"MODE2", 2336},          {"MODE2_FORM1", 2048},
    {"MODE2_FORM2", 2324}, {"MODE2_FORM_MIX", 2336}, {"MODE2_RAW", 2352}};

struct Token {
    QByteArray text;
    bool quoted = false;
    int line = 0;
    qsizetype begin = 0; // a quoted token's bytes in the TOC, without the quotation marks
    qsizetype end = 0;
};

bool IsDigits(const QByteArray& text, int maxDigits) {
    return !text.isEmpty() && text.size() <= maxDigits &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// mm:ss:ff (up to 999 minutes) as sectors; -1 for anything else.
qint64 MsfSectors(const QByteArray& text) {
    const QList<QByteArray> parts = text.split(':');
    if (parts.size() != 3 || !IsDigits(parts[0], 3) || !IsDigits(parts[1], 2) || !IsDigits(parts[2], 2)) {
        return -1;
    }
    const int m = parts[0].toInt();
    const int s = parts[1].toInt();
    const int f = parts[2].toInt();
    return s < 60 && f < 75 ? (m * 60 + s) * 75 + f : -1;
}

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == '"' ||
           c == '{' || c == '}' || c == ',';
}

// Words, texts in quotation marks (with cdrdao's backslash escapes) and braces; "//" comments
// dropped. False with the line of a text that is not closed on its line.
bool Tokenize(const QByteArray& text, QList<Token>* tokens, int* badLine) {
    int line = 1;
    qsizetype i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++i;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            while (i < text.size() && text[i] != '\n') {
                ++i;
            }
        } else if (c == '"') {
            Token token{QByteArray(), true, line, i + 1, 0};
            for (++i; i < text.size() && text[i] != '"' && text[i] != '\n'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] != '\n') {
                    const QByteArray octal = text.mid(i + 1, 3);
                    if (octal.size() == 3 && std::all_of(octal.begin(), octal.end(),
                                                         [](char d) { return d >= '0' && d <= '7'; })) {
                        token.text += char(octal.toInt(nullptr, 8));
                        i += 3;
                    } else {
                        token.text += text[++i];
                    }
                } else {
                    token.text += text[i];
                }
            }
            if (i >= text.size() || text[i] != '"') {
                *badLine = line;
                return false;
            }
            token.end = i++;
            tokens->append(token);
        } else if (c == '{' || c == '}' || c == ',') {
            tokens->append(Token{QByteArray(1, c), false, line, 0, 0});
            ++i;
        } else {
            const qsizetype from = i;
            while (i < text.size() && !IsSeparator(text[i]) &&
                   !(text[i] == '/' && i + 1 < text.size() && text[i + 1] == '/')) {
                ++i;
            }
            tokens->append(Token{text.mid(from, i - from), false, line, 0, 0});
        }
    }
    return true;
}

struct CdTextFields {
    QMap<int, QByteArray> title; // by language number
    QMap<int, QByteArray> performer;
};

} // namespace

// Walks the tokens statement by statement, as cdrdao's grammar gives them.
class CCdrdaoToc::Parser {
public:
    Parser(CCdrdaoToc* toc, const QList<Token>& tokens) : m_toc(toc), m_tokens(tokens) {}

    bool Run(QString* error) {
        m_error = error;
        while (m_next < m_tokens.size()) {
            const Token& token = m_tokens[m_next++];
            if (!Statement(token)) {
                return false;
            }
        }
        if (m_toc->m_tracks.isEmpty()) {
            *m_error = QStringLiteral("%1 holds no TRACK").arg(m_toc->m_userPath);
            return false;
        }
        ApplyText();
        return true;
    }

private:
    bool Fail(int line, const QString& what) {
        *m_error = m_toc->At(line, what);
        return false;
    }
    const Token* Peek() const { return m_next < m_tokens.size() ? &m_tokens[m_next] : nullptr; }
    bool PeekWord(const char* word) const {
        return Peek() != nullptr && !Peek()->quoted && Peek()->text == word;
    }
    // A length or position: mm:ss:ff as sectors of the track, or a plain count of its units.
    bool PeekLength() const {
        return Peek() != nullptr && !Peek()->quoted &&
               (MsfSectors(Peek()->text) >= 0 || IsDigits(Peek()->text, 12));
    }
    qint64 TakeLength(const Track& track) {
        const QByteArray text = m_tokens[m_next++].text;
        const qint64 sectors = MsfSectors(text);
        if (sectors >= 0) {
            return sectors * (track.audio ? kFramesPerSector : track.blockBytes);
        }
        return text.toLongLong();
    }
    bool Expect(const char* word, int line, const QString& what) {
        if (!PeekWord(word)) {
            return Fail(Peek() != nullptr ? Peek()->line : line, what);
        }
        ++m_next;
        return true;
    }
    bool TakeQuoted(int line, const QString& what, QByteArray* text) {
        if (Peek() == nullptr || !Peek()->quoted) {
            return Fail(line, what);
        }
        *text = m_tokens[m_next++].text;
        return true;
    }
    Track* Current() { return m_toc->m_tracks.isEmpty() ? nullptr : &m_toc->m_tracks.last(); }

    bool Statement(const Token& token) {
        const QByteArray& word = token.text;
        const int line = token.line;
        if (token.quoted) {
            return Fail(line, QStringLiteral("a text in quotation marks where a statement is expected"));
        }
        if (word == "CD_DA" || word == "CD_ROM" || word == "CD_ROM_XA") {
            return Current() == nullptr ||
                   Fail(line,
                        QStringLiteral("%1 belongs before the first TRACK").arg(QString::fromLatin1(word)));
        }
        if (word == "CATALOG") {
            QByteArray catalog;
            return TakeQuoted(line, QStringLiteral("CATALOG needs its number in quotation marks"), &catalog);
        }
        CdTextFields* text = Current() != nullptr ? &m_trackText[Current()->number] : &m_discText;
        if (word == "CD_TEXT") {
            return CdText(line, text);
        }
        if (word == "LANGUAGE" || word == "LANGUAGE_MAP") {
            // libcdio also takes a language block without its CD_TEXT around it.
            --m_next;
            return CdTextEntry(line, text);
        }
        if (word == "TRACK") {
            return NewTrack(line);
        }
        Track* track = Current();
        if (track == nullptr) {
            return Fail(line, QStringLiteral("%1 before the first TRACK").arg(QString::fromLatin1(word)));
        }
        if (word == "NO") {
            if (!PeekWord("COPY") && !PeekWord("PRE_EMPHASIS")) {
                return Fail(line, QStringLiteral("NO COPY or NO PRE_EMPHASIS expected"));
            }
            ++m_next;
            return true;
        }
        if (word == "COPY" || word == "PRE_EMPHASIS" || word == "TWO_CHANNEL_AUDIO" ||
            word == "FOUR_CHANNEL_AUDIO") {
            return true;
        }
        if (word == "INDEX") {
            // Index marks inside a track change nothing of what is ripped.
            if (Peek() == nullptr || MsfSectors(Peek()->text) < 0) {
                return Fail(line, QStringLiteral("INDEX needs its position (mm:ss:ff)"));
            }
            ++m_next;
            return true;
        }
        if (word == "ISRC") {
            QByteArray isrc;
            return TakeQuoted(line, QStringLiteral("ISRC needs its code in quotation marks"), &isrc);
        }
        if (word == "SILENCE" || word == "ZERO") {
            return Silence(*track, word, line);
        }
        if (word == "PREGAP") {
            return Pregap(*track, line);
        }
        if (word == "START") {
            return Start(*track, line);
        }
        if (word == "FILE" || word == "AUDIOFILE" || word == "DATAFILE") {
            return File(*track, word == "DATAFILE", line);
        }
        if (word == "FIFO") {
            return Fail(line, QStringLiteral("FIFO: a disc image cannot be read from a pipe"));
        }
        return Fail(line, QStringLiteral("%1 is no statement of a TOC file").arg(QString::fromUtf8(word)));
    }

    bool NewTrack(int line) {
        const Token* mode = Peek();
        // libcdio divides by the sector size of the mode, which a TRACK without one leaves at 0.
        if (mode == nullptr || mode->quoted || !kTrackModes.contains(mode->text) || mode->line != line) {
            return Fail(line, QStringLiteral("a TRACK line needs its mode (AUDIO, MODE1, MODE2 ...)"));
        }
        ++m_next;
        if (PeekWord("RW") || PeekWord("RW_RAW")) {
            return Fail(line, QStringLiteral("tracks with sub-channel data (%1) cannot be read")
                                  .arg(QString::fromLatin1(Peek()->text)));
        }
        if (m_toc->m_tracks.size() == kMaxTracks) {
            return Fail(line, QStringLiteral("a disc holds at most 99 tracks"));
        }
        Track track;
        track.number = int(m_toc->m_tracks.size()) + 1;
        track.line = line;
        track.audio = mode->text == "AUDIO";
        track.blockBytes = kTrackModes.value(mode->text);
        m_toc->m_tracks.append(track);
        return true;
    }

    bool Silence(Track& track, const QByteArray& word, int line) {
        if (word == "ZERO") {
            // ZERO may name the data mode and sub-channel mode of its sectors.
            while (Peek() != nullptr && !Peek()->quoted &&
                   (kTrackModes.contains(Peek()->text) || Peek()->text == "RW" || Peek()->text == "RW_RAW")) {
                ++m_next;
            }
        }
        if (!PeekLength()) {
            return Fail(line, QStringLiteral("%1 needs a length (mm:ss:ff or a count of samples)")
                                  .arg(QString::fromLatin1(word)));
        }
        Source source;
        source.length = TakeLength(track);
        source.line = line;
        track.sources.append(source);
        return true;
    }

    bool Pregap(Track& track, int line) {
        if (!track.sources.isEmpty() || track.startLine != 0) {
            return Fail(line, QStringLiteral("PREGAP must come before the track's audio and without START"));
        }
        if (Peek() == nullptr || MsfSectors(Peek()->text) < 0) {
            return Fail(line, QStringLiteral("PREGAP needs its length (mm:ss:ff)"));
        }
        Source silence;
        silence.length = TakeLength(track);
        silence.line = line;
        track.sources.append(silence);
        track.startAfterSources = 1;
        track.startLine = line;
        return true;
    }

    bool Start(Track& track, int line) {
        if (track.startLine != 0) {
            return Fail(line, QStringLiteral("a track has one START or PREGAP"));
        }
        track.startLine = line;
        if (Peek() != nullptr && Peek()->line == line && MsfSectors(Peek()->text) >= 0) {
            track.startSectors = MsfSectors(m_tokens[m_next++].text);
        } else {
            track.startAfterSources = int(track.sources.size());
        }
        return true;
    }

    bool File(Track& track, bool data, int line) {
        Source source;
        source.kind = data ? SourceKind::DataFile : SourceKind::AudioFile;
        source.line = line;
        const Token* name = Peek();
        if (name == nullptr || !name->quoted) {
            return Fail(line, QStringLiteral("a file name in quotation marks is expected"));
        }
        ++m_next;
        source.name = CCdTextDecoder::FromBytes(name->text);
        const QString expected =
            data ? QStringLiteral("after the file name, an optional #offset and length are "
                                  "expected")
                 : QStringLiteral("after the file name, an optional #offset, a start (0, "
                                  "mm:ss:ff or a count of samples) and a length are expected");
        if (Peek() != nullptr && !Peek()->quoted && Peek()->text.startsWith('#')) {
            const QByteArray offset = m_tokens[m_next++].text.mid(1);
            if (!IsDigits(offset, 12)) {
                return Fail(line, expected);
            }
            source.headerBytes = offset.toLongLong();
        }
        if (!data) {
            if (!PeekLength()) {
                return Fail(line, expected);
            }
            source.start = TakeLength(track);
        }
        if (PeekLength()) {
            source.length = TakeLength(track);
            source.length = source.length == 0 ? -1 : source.length; // 0: up to the file's end
        }
        m_toc->m_names.append(
            NameSpan{name->begin, name->end, int(m_toc->m_tracks.size()) - 1, int(track.sources.size())});
        track.sources.append(source);
        return true;
    }

    // CD_TEXT { LANGUAGE_MAP { ... } LANGUAGE n { ITEM "text" ITEM { binary } ... } }
    bool CdText(int line, CdTextFields* fields) {
        const QString bad = QStringLiteral("a CD_TEXT block is not closed or holds something else");
        if (!Expect("{", line, bad)) {
            return false;
        }
        while (!PeekWord("}")) {
            if (!CdTextEntry(line, fields)) {
                return false;
            }
        }
        ++m_next;
        return true;
    }
    // LANGUAGE_MAP { ... } or LANGUAGE n { ... }
    bool CdTextEntry(int line, CdTextFields* fields) {
        const QString bad = QStringLiteral("a CD_TEXT block is not closed or holds something else");
        if (PeekWord("LANGUAGE_MAP")) {
            ++m_next;
            return Expect("{", line, bad) && SkipBlock(line, bad);
        }
        if (!PeekWord("LANGUAGE")) {
            return Fail(Peek() != nullptr ? Peek()->line : line, bad);
        }
        ++m_next;
        if (Peek() == nullptr || !IsDigits(Peek()->text, 3)) {
            return Fail(line, bad);
        }
        const int language = m_tokens[m_next++].text.toInt();
        return Expect("{", line, bad) && Items(line, language, fields);
    }
    bool Items(int line, int language, CdTextFields* fields) {
        const QString bad = QStringLiteral("a CD-Text item needs a text in quotation marks or { bytes }");
        while (!PeekWord("}")) {
            if (Peek() == nullptr || Peek()->quoted) {
                return Fail(line, bad);
            }
            const QByteArray item = m_tokens[m_next++].text;
            if (PeekWord("{")) {
                ++m_next;
                if (!SkipBlock(line, bad)) {
                    return false;
                }
                if (Peek() != nullptr && Peek()->quoted) {
                    ++m_next; // GENRE: the code's bytes, then its text
                }
            } else if (Peek() != nullptr && Peek()->quoted) {
                const QByteArray text = m_tokens[m_next++].text;
                if (item == "TITLE") {
                    fields->title[language] = text;
                } else if (item == "PERFORMER") {
                    fields->performer[language] = text;
                }
            } else {
                return Fail(line, bad);
            }
        }
        ++m_next;
        return true;
    }
    bool SkipBlock(int line, const QString& bad) {
        while (Peek() != nullptr && !PeekWord("}")) {
            if (PeekWord("{") || Peek()->quoted) {
                return Fail(Peek()->line, bad);
            }
            ++m_next;
        }
        return Expect("}", line, bad);
    }

    // The first language the TOC gives, for the disc and every track alike.
    void ApplyText() {
        int language = -1;
        const auto consider = [&](const CdTextFields& fields) {
            for (const QMap<int, QByteArray>* map : {&fields.title, &fields.performer}) {
                if (!map->isEmpty() && (language < 0 || map->firstKey() < language)) {
                    language = map->firstKey();
                }
            }
        };
        consider(m_discText);
        for (const CdTextFields& fields : m_trackText) {
            consider(fields);
        }
        const auto text = [&](const QMap<int, QByteArray>& map) {
            return map.contains(language) ? CCdTextDecoder::FromBytes(map.value(language)) : QString();
        };
        m_toc->m_album = text(m_discText.title);
        m_toc->m_performer = text(m_discText.performer);
        for (Track& track : m_toc->m_tracks) {
            track.title = text(m_trackText.value(track.number).title);
            track.performer = text(m_trackText.value(track.number).performer);
        }
    }

    CCdrdaoToc* m_toc;
    const QList<Token>& m_tokens;
    qsizetype m_next = 0;
    QString* m_error = nullptr;
    CdTextFields m_discText;
    QMap<int, CdTextFields> m_trackText;
};

QString CCdrdaoToc::At(int line, const QString& what) const {
    return QStringLiteral("%1:%2: %3").arg(m_userPath).arg(line).arg(what);
}

bool CCdrdaoToc::Load(const QString& tocPath, QString* error) {
    m_userPath = tocPath;
    m_tracks.clear();
    m_names.clear();
    QFile file(tocPath);
    if (file.size() > kMaxTocBytes || !file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 cannot be read as a TOC file").arg(tocPath);
        return false;
    }
    m_text = file.readAll();
    if (m_text.contains('\0')) {
        *error = QStringLiteral("%1 is not a TOC file (binary data)").arg(tocPath);
        return false;
    }
    QList<Token> tokens;
    int badLine = 0;
    if (!Tokenize(m_text, &tokens, &badLine)) {
        *error = At(badLine, QStringLiteral("a text in quotation marks is not closed on its line"));
        return false;
    }
    return Parser(this, tokens).Run(error) && Resolve(error);
}

bool CCdrdaoToc::Resolve(QString* error) {
    const QString folder = QFileInfo(m_userPath).absolutePath();
    for (const NameSpan& name : m_names) {
        Source& source = m_tracks[name.track].sources[name.source];
        source.path = CCueSheet::ResolveName(folder, source.name);
        if (source.path.isEmpty()) {
            *error = At(source.line, QStringLiteral("the file %1 is missing").arg(source.name));
            return false;
        }
        // cdrdao takes only names ending in ".wav" for WAV files; DATAFILE bytes are taken as they are.
        source.wave = source.kind == SourceKind::AudioFile &&
                      source.path.endsWith(QLatin1String(".wav"), Qt::CaseInsensitive);
        const qint64 size = QFileInfo(source.path).size();
        if (m_tracks[name.track].audio && !source.wave &&
            source.headerBytes + (source.start + qMax<qint64>(source.length, 1)) * kFrameBytes > size) {
            *error = At(source.line,
                        QStringLiteral("%1 is shorter than the audio taken from it; the file is short")
                            .arg(source.name));
            return false;
        }
    }
    // From the last name back, so the earlier spans stay where they are.
    for (auto it = m_names.crbegin(); it != m_names.crend(); ++it) {
        m_text.replace(it->begin, it->end - it->begin,
                       QFile::encodeName(m_tracks[it->track].sources[it->source].path));
    }
    return true;
}

bool CCdrdaoToc::LibcdioReads() const {
    // libcdio reads every audio sector from the first file at its position on the disc, takes a
    // file's start as the track's place on the disc, and neither makes silence nor skips a header.
    qint64 position = 0;
    for (const Track& track : m_tracks) {
        if (!track.audio || track.sources.size() != 1 || track.startAfterSources >= 0) {
            return false;
        }
        const Source& source = track.sources.first();
        if (source.kind != SourceKind::AudioFile || source.wave || source.headerBytes != 0 ||
            source.path != m_tracks.first().sources.first().path ||
            source.start != position * kFramesPerSector || source.length <= 0 ||
            source.length % kFramesPerSector != 0 || track.startSectors >= source.length / kFramesPerSector) {
            return false; // a START past the track's end is refused at its line by the layout
        }
        position += source.length / kFramesPerSector;
    }
    return true;
}

int CCdrdaoToc::LastTrackPregap() const {
    return m_tracks.isEmpty() ? 0 : int(qMax<qint64>(0, m_tracks.last().startSectors));
}
