#include "player/WmpRegAcc.h"

#include "platform/files/FileOps.h"
#include "platform/files/KnownFolders.h"
#include "platform/files/Volumes.h"
#include "platform/registry/Registry.h"
#include "platform/text/Cp932.h"
#include "player/Logging.h"
#include "player/PreferenceBackupFiles.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace {

const QString kHeaderLine = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kKeyLine = QStringLiteral("[HKEY_CURRENT_USER\\Software\\Microsoft\\MediaPlayer\\Preferences]");
// Registry editor's notation for a REG_SZ given as its UTF-16LE bytes; we use it for a text that the
// backup's code page cannot hold, so that such a value still comes back unchanged.
const QString kHexStringType = QStringLiteral("hex(1)");

// A REG_SZ is first read into a buffer of this size, accepting at most one byte less.
constexpr DWORD kStringBufferBytes = 1024;
// A longer one is read whole up to this size; beyond it, it is no preference of the player's.
constexpr DWORD kMaxStringBytes = 64 * 1024;
// The version text is read into a buffer of this many bytes (15 characters and the NUL).
constexpr DWORD kVersionBufferBytes = 32;
// A backup line holds one value (at most kMaxStringBytes, written as hexadecimal pairs); a longer
// line is junk and only its beginning is looked at.
constexpr qint64 kMaxLineBytes = 4 * kMaxStringBytes;

// What _wtoi makes of a text: leading blanks, an optional sign, then decimal digits.
int32_t LeadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() &&
           (text[i] == QLatin1Char(' ') || (text[i] >= QChar(9) && text[i] <= QChar(13)))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int32_t value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text[i].unicode() - '0');
    }
    return negative ? -value : value;
}

// Up to eight hexadecimal digits and nothing else.
std::optional<DWORD> ParseHexDword(const QString& text) {
    if (text.isEmpty() || text.size() > 8) {
        return std::nullopt;
    }
    DWORD value = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        DWORD digit = 0;
        if (u >= u'0' && u <= u'9') {
            digit = u - u'0';
        } else if (u >= u'a' && u <= u'f') {
            digit = u - u'a' + 10;
        } else if (u >= u'A' && u <= u'F') {
            digit = u - u'A' + 10;
        } else {
            return std::nullopt;
        }
        value = (value << 4) | digit;
    }
    return value;
}

// "xx,xx,..." as UTF-16LE text up to its first NUL.
std::optional<QString> ParseHexString(const QString& data) {
    const QStringList parts = data.split(QLatin1Char(','));
    if (parts.size() % 2 != 0) {
        return std::nullopt;
    }
    QByteArray bytes;
    for (const QString& part : parts) {
        if (part.size() != 2) {
            return std::nullopt;
        }
        const auto byte = ParseHexDword(part);
        if (!byte) {
            return std::nullopt;
        }
        bytes.append(static_cast<char>(*byte));
    }
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        text[i] = QChar(static_cast<char16_t>(static_cast<uchar>(bytes[2 * i]) |
                                              (static_cast<uchar>(bytes[2 * i + 1]) << 8)));
    }
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString DwordLine(const QString& name, int32_t value) {
    return QStringLiteral("\"%1\"=dword:%2")
        .arg(name)
        .arg(static_cast<DWORD>(value), 8, 16, QLatin1Char('0'));
}

// Code page 932 holds the text only when the system's converter gives it back unchanged: several
// characters (〜 U+301C, − U+2212, — U+2014) come back as others, and a line break would end the line.
bool FitsCodePage932Line(const QString& text) {
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
        return false;
    }
    const auto bytes = CCp932::Encode(text);
    return bytes && CCp932::DecodeLenient(*bytes) == text;
}

QString StringLine(const QString& name, const QString& text) {
    if (FitsCodePage932Line(text)) {
        return QStringLiteral("\"%1\"=\"%2\"").arg(name, text);
    }
    QStringList bytes;
    for (QChar c : text + QChar(0)) {
        bytes << QStringLiteral("%1").arg(c.unicode() & 0xFF, 2, 16, QLatin1Char('0'))
              << QStringLiteral("%1").arg(c.unicode() >> 8, 2, 16, QLatin1Char('0'));
    }
    return QStringLiteral("\"%1\"=%2:%3").arg(name, kHexStringType, bytes.join(QLatin1Char(',')));
}

// The documents (or music) folder, made when missing.
QString KnownFolder(int csidl) {
    QString folder;
    if (FAILED(SHGetFolderPath(nullptr, csidl, nullptr, 0, &folder)) &&
        FAILED(SHGetFolderPath(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, &folder))) {
        folder.clear();
    }
    return folder;
}

// The lines of a backup file without their line ends, as many as a restore may look at.
std::optional<QStringList> ReadBackupFile(const QString& winPath) {
    const QString host = HostPathOf(winPath);
    if (host.isEmpty()) {
        return std::nullopt;
    }
    QFile file(host);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QStringList lines;
    // The header takes two lines and every other read one.
    while (lines.size() <= CWmpRegAcc::kMaxRestoreReads && !file.atEnd()) {
        QByteArray line = file.readLine(kMaxLineBytes);
        if (line.isEmpty() && file.error() != QFileDevice::NoError) {
            break;
        }
        if (!line.endsWith('\n')) {
            // Overlong: drop the rest of this line.
            while (!file.atEnd()) {
                const QByteArray rest = file.readLine(kMaxLineBytes);
                if (rest.isEmpty() || rest.endsWith('\n')) {
                    break;
                }
            }
        }
        while (line.endsWith('\n') || line.endsWith('\r')) {
            line.chop(1);
        }
        lines << CCp932::DecodeLenient(line);
    }
    return lines;
}

} // namespace

CWmpRegAcc::CWmpRegAcc() = default;

CWmpRegAcc::~CWmpRegAcc() {
    if (m_hKey) {
        RegCloseKey(m_hKey);
    }
}

const QString& CWmpRegAcc::PreferencesKey() {
    static const QString key = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");
    return key;
}

const QString& CWmpRegAcc::PlayerSetupKey() {
    static const QString key = QStringLiteral(
        "SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{6BF52A52-394A-11d3-B153-00C04F79FAA6}");
    return key;
}

const QString& CWmpRegAcc::FileDetailPattern(int type) {
    static const QString patterns[3] = {
        QStringLiteral("*TrackNumber;*SongTitle;Artist;Album;Genre;Bitrate"),
        QStringLiteral("*SongTitle;TrackNumber;Artist;Album;Genre;Bitrate"),
        QStringLiteral("*Artist;*Album;*SongTitle;TrackNumber;Genre;Bitrate"),
    };
    return patterns[type == 1 || type == 2 ? type : 0];
}

bool CWmpRegAcc::IsPlayerInstalled() {
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, PlayerSetupKey(), 0, KEY_READ, &m_hKey) != ERROR_SUCCESS) {
        m_hKey = nullptr;
        return false;
    }
    DWORD installed = 0;
    DWORD size = sizeof(installed);
    const bool ok = RegQueryValueEx(m_hKey, QStringLiteral("IsInstalled"), nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(&installed), &size) == ERROR_SUCCESS &&
                    installed == 1;
    RegCloseKey(m_hKey);
    m_hKey = nullptr;
    return ok;
}

int32_t CWmpRegAcc::GetPlayerVersion() {
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, PlayerSetupKey(), 0, KEY_READ, &m_hKey) != ERROR_SUCCESS) {
        m_hKey = nullptr;
        return -1;
    }
    std::array<char16_t, kVersionBufferBytes / 2 + 1> buffer{};
    DWORD size = kVersionBufferBytes;
    const LONG rc = RegQueryValueEx(m_hKey, QStringLiteral("Version"), nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(buffer.data()), &size);
    RegCloseKey(m_hKey);
    m_hKey = nullptr;
    if (rc != ERROR_SUCCESS) {
        return -1;
    }
    QString firstTwo;
    for (int i = 0; i < 2 && buffer[i] != 0; ++i) {
        firstTwo += QChar(buffer[i]);
    }
    return LeadingNumber(firstTwo);
}

bool CWmpRegAcc::ReadDword(const QString& name, int32_t* member) {
    *member = 0;
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueEx(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    if (type == REG_DWORD) {
        *member = static_cast<int32_t>(value);
    }
    return true;
}

bool CWmpRegAcc::ReadString(const QString& name, QString* member) {
    member->clear();
    DWORD type = REG_NONE;
    QByteArray buffer(kStringBufferBytes, '\0');
    DWORD size = kStringBufferBytes - 1;
    LONG rc = RegQueryValueEx(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (rc == ERROR_MORE_DATA && size <= kMaxStringBytes) {
        // Longer than the usual buffer: still the user's value, which our override replaces and
        // the backup must hold, so it is read whole.
        buffer = QByteArray(static_cast<qsizetype>(size), '\0');
        rc = RegQueryValueEx(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    }
    if (rc == ERROR_MORE_DATA) {
        return true; // exists, but too large to be a preference: read as absent
    }
    if (rc != ERROR_SUCCESS) {
        return false;
    }
    if (type == REG_SZ) {
        // Exactly the bytes the registry gave: a value stored without its NUL ends where its data
        // ends, and one with a NUL inside ends there.
        const QString text(reinterpret_cast<const QChar*>(buffer.constData()),
                           static_cast<qsizetype>(std::min<DWORD>(size, buffer.size()) / 2));
        const qsizetype nul = text.indexOf(QChar(0));
        *member = nul < 0 ? text : text.left(nul);
    }
    return true;
}

bool CWmpRegAcc::ReadPreferences() {
    if (RegOpenKeyEx(HKEY_CURRENT_USER, PreferencesKey(), 0, KEY_READ, &m_hKey) != ERROR_SUCCESS) {
        m_hKey = nullptr;
        return false;
    }
    // Without "ForceOnline" the preferences are incomplete, which the result says; the other values
    // are read all the same, because the override replaces them and only what was read is backed
    // up and given back.
    const bool complete = ReadDword(QStringLiteral("ForceOnline"), &m_forceOnline);
    ReadString(QStringLiteral("CDRecordPath"), &m_recordPath);
    ReadString(QStringLiteral("CDRecordFileDetail"), &m_fileDetail);
    ReadString(QStringLiteral("CDRecordFileSeparator"), &m_fileSeparator);
    ReadDword(QStringLiteral("CDRecordMode"), &m_recordMode);
    ReadDword(QStringLiteral("CDRecordMP3"), &m_recordMp3);
    ReadDword(QStringLiteral("CDRecordDRM"), &m_recordDrm);
    ReadDword(QStringLiteral("CDFirstCopyV10"), &m_firstCopy);
    ReadDword(QStringLiteral("AutoCopyCD"), &m_autoCopy);
    ReadDword(QStringLiteral("AutoEjectCD"), &m_autoEject);
    ReadDword(QStringLiteral("MP3RecordRate"), &m_mp3RecordRate);
    ReadDword(QStringLiteral("WMARecordRate"), &m_wmaRecordRate);
    ReadDword(QStringLiteral("SilentAcquisition"), &m_silentAcquisition);
    ReadDword(QStringLiteral("MetadataRetrieval"), &m_metadataRetrieval);
    ReadDword(QStringLiteral("AutoMetadataUpdate"), &m_autoMetadataUpdate);
    ReadDword(QStringLiteral("AutoRename"), &m_autoRename);
    ReadDword(QStringLiteral("AutoOrganize"), &m_autoOrganize);
    m_valuesRead = true;
    RegCloseKey(m_hKey);
    m_hKey = nullptr;
    return complete;
}

bool CWmpRegAcc::WriteDword(const QString& name, int32_t value) {
    const DWORD data = static_cast<DWORD>(value);
    return RegSetValueEx(m_hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)) ==
           ERROR_SUCCESS;
}

bool CWmpRegAcc::WriteString(const QString& name, const QString& value) {
    return RegSetValueEx(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.utf16()),
                         static_cast<DWORD>((value.size() + 1) * 2)) == ERROR_SUCCESS;
}

bool CWmpRegAcc::WritePreferences() {
    if (RegCreateKeyEx(HKEY_CURRENT_USER, PreferencesKey(), 0, QString(), REG_OPTION_NON_VOLATILE, KEY_WRITE,
                       nullptr, &m_hKey, nullptr) != ERROR_SUCCESS) {
        m_hKey = nullptr;
        return false;
    }
    // A member that was never read holds a placeholder, not a value of the user's: leave the
    // registry's own value in place rather than write the placeholder over it.
    const bool known = m_valuesRead;
    auto dword = [&](const char* name, int32_t value) {
        return (!known && value == -1) || WriteDword(QLatin1String(name), value);
    };
    auto rate = [&](const char* name, int32_t value) {
        return (!known && value == 0) || WriteDword(QLatin1String(name), value);
    };
    auto text = [&](const char* name, const QString& value) {
        return (!known && value.isEmpty()) || WriteString(QLatin1String(name), value);
    };
    const bool ok =
        dword("ForceOnline", m_forceOnline) && text("CDRecordPath", m_recordPath) &&
        dword("CDRecordMode", m_recordMode) && dword("CDRecordMP3", m_recordMp3) &&
        dword("CDRecordDRM", m_recordDrm) && dword("CDFirstCopyV10", m_firstCopy) &&
        dword("AutoCopyCD", m_autoCopy) && dword("AutoEjectCD", m_autoEject) &&
        rate("MP3RecordRate", m_mp3RecordRate) && rate("WMARecordRate", m_wmaRecordRate) &&
        text("CDRecordFileDetail", m_fileDetail) && text("CDRecordFileSeparator", m_fileSeparator) &&
        dword("SilentAcquisition", m_silentAcquisition) && dword("MetadataRetrieval", m_metadataRetrieval) &&
        dword("AutoMetadataUpdate", m_autoMetadataUpdate) && dword("AutoRename", m_autoRename) &&
        dword("AutoOrganize", m_autoOrganize);
    RegCloseKey(m_hKey);
    m_hKey = nullptr;
    return ok;
}

QStringList CWmpRegAcc::BackupLines() const {
    QStringList lines{kHeaderLine, kKeyLine};
    auto dword = [&](const char* name, int32_t value) {
        if (value != -1) {
            lines << DwordLine(QLatin1String(name), value);
        }
    };
    auto rate = [&](const char* name, int32_t value) {
        if (value != 0) {
            lines << DwordLine(QLatin1String(name), value);
        }
    };
    auto text = [&](const char* name, const QString& value) {
        if (!value.isEmpty()) {
            lines << StringLine(QLatin1String(name), value);
        }
    };
    dword("ForceOnline", m_forceOnline);
    dword("CDRecordMP3", m_recordMp3);
    dword("CDRecordDRM", m_recordDrm);
    dword("AutoCopyCD", m_autoCopy);
    dword("AutoEjectCD", m_autoEject);
    dword("SilentAcquisition", m_silentAcquisition);
    dword("AutoMetadataUpdate", m_autoMetadataUpdate);
    dword("AutoRename", m_autoRename);
    dword("AutoOrganize", m_autoOrganize);
    dword("CDRecordMode", m_recordMode);
    rate("MP3RecordRate", m_mp3RecordRate);
    rate("WMARecordRate", m_wmaRecordRate);
    dword("MetadataRetrieval", m_metadataRetrieval);
    text("CDRecordFileDetail", m_fileDetail);
    text("CDRecordFileSeparator", m_fileSeparator);
    return lines;
}

void CWmpRegAcc::BackupPreferences() {
    const QString folder = KnownFolder(CSIDL_PERSONAL);
    m_backupLines = BackupLines();
    // Which run came first must survive a copy of the folder, which resets the files' times.
    m_backupLines.insert(2,
                         CPreferenceBackupFiles::SequenceLine(CPreferenceBackupFiles::NextSequence(folder)));
    m_backupWritten = false;
    m_backupSlot = -1;
    QByteArray content;
    for (const QString& line : m_backupLines) {
        // Every line is either ASCII or passed the code-page check when it was made.
        content += CCp932::Encode(line).value_or(line.toLatin1()) + "\r\n";
    }

    for (int n = 0; n < CPreferenceBackupFiles::kSlots; ++n) {
        m_backupPath = CPreferenceBackupFiles::SlotPath(folder, n);
        const QString host = HostPathOf(m_backupPath);
        QFile file(host);
        // Opened without truncation: a file left by an earlier run is never overwritten.
        if (!host.isEmpty() && file.open(QIODevice::ReadWrite) && file.size() == 0) {
            // A record of an earlier file of this name given back is about that file, not this one.
            CPreferenceBackupFiles::ForgetApplied(n);
            m_backupSlot = n;
            m_backupWritten = file.write(content) == content.size() && file.flush();
            file.close();
            return;
        }
        file.close();
        m_backupPath.clear();
    }
}

bool CWmpRegAcc::OverridePreferences() {
    ReadPreferences();
    if (m_recordPath.isEmpty()) {
        m_recordPath = KnownFolder(CSIDL_MYMUSIC);
    }
    BackupPreferences();

    m_forceOnline = 1;
    m_recordMode = 1;
    m_recordMp3 = 1;
    m_firstCopy = 0;
    m_autoCopy = 0;
    m_autoEject = 0;
    if (m_fileDetail != FileDetailPattern(0) && m_fileDetail != FileDetailPattern(1) &&
        m_fileDetail != FileDetailPattern(2)) {
        m_fileDetail = FileDetailPattern(0);
    }
    m_fileSeparator = QStringLiteral(" ");
    m_mp3RecordRate = 128000;
    m_metadataRetrieval = 3;
    m_autoMetadataUpdate = 1;
    m_autoRename = 1;
    m_autoOrganize = 0;
    return WritePreferences();
}

void CWmpRegAcc::SetFileDetailType(int type) {
    m_fileDetail = FileDetailPattern(type);
}

bool CWmpRegAcc::RestoreLine(const QString& line) {
    // The registry editor's comment (our backups' sequence line): no value in it.
    if (line.startsWith(QLatin1Char(';'))) {
        return true;
    }
    // A string line as the backup writes it, "name"="text": the text is everything between the
    // quotes, so a text holding a quote, "=" or ":" comes back whole.
    const qsizetype nameEnd = line.indexOf(QLatin1Char('"'), 1);
    if (line.startsWith(QLatin1Char('"')) && nameEnd > 1 && line.mid(nameEnd, 3) == QStringLiteral("\"=\"") &&
        line.size() >= nameEnd + 4 && line.endsWith(QLatin1Char('"'))) {
        return WriteString(line.mid(1, nameEnd - 1), line.mid(nameEnd + 3, line.size() - nameEnd - 4));
    }

    // Otherwise: tokens separated by runs of double quotes, "=" and ":".
    QStringList tokens;
    QString token;
    for (QChar c : line) {
        if (c == QLatin1Char('"') || c == QLatin1Char('=') || c == QLatin1Char(':')) {
            if (!token.isEmpty()) {
                tokens << token;
                token.clear();
            }
        } else {
            token += c;
        }
    }
    if (!token.isEmpty()) {
        tokens << token;
    }
    if (tokens.size() < 2) {
        return true; // a blank line, or a name without a type: refused
    }
    if (tokens[1] == QStringLiteral("dword")) {
        const auto value = tokens.size() >= 3 ? ParseHexDword(tokens[2]) : std::nullopt;
        return !value || WriteDword(tokens[0], static_cast<int32_t>(*value));
    }
    if (tokens[1] == kHexStringType && tokens.size() >= 3) {
        const auto text = ParseHexString(tokens[2]);
        return !text || WriteString(tokens[0], *text);
    }
    return WriteString(tokens[0], tokens[1]);
}

bool CWmpRegAcc::RestoreLines(const QStringList& lines) {
    bool headerAccepted = false;
    bool allWritten = true;
    qsizetype next = 0;
    for (int reads = 0; reads < kMaxRestoreReads && next < lines.size(); ++reads) {
        if (!headerAccepted) {
            if (lines[next] != kHeaderLine || next + 1 >= lines.size() || lines[next + 1] != kKeyLine) {
                return false;
            }
            headerAccepted = true;
            next += 2;
            continue;
        }
        allWritten = RestoreLine(lines[next++]) && allWritten;
    }
    return headerAccepted && allWritten;
}

void CWmpRegAcc::RestorePreferences() {
    // Nothing was taken over in this run (the window ended before its override): nothing to give back.
    if (m_backupPath.isEmpty() && m_backupLines.isEmpty()) {
        return;
    }
    if (RegCreateKeyEx(HKEY_CURRENT_USER, PreferencesKey(), 0, QString(), REG_OPTION_NON_VOLATILE, KEY_WRITE,
                       nullptr, &m_hKey, nullptr) == ERROR_SUCCESS) {
        // The file as written; when it could not be written completely, or has gone, what it
        // should hold, so the user's values come back either way.
        std::optional<QStringList> lines;
        if (m_backupWritten) {
            lines = ReadBackupFile(m_backupPath);
        }
        if (!lines && !m_backupLines.isEmpty()) {
            lines = m_backupLines;
        }
        if (lines) {
            RestoreLines(*lines);
        }
        RegCloseKey(m_hKey);
    }
    m_hKey = nullptr;
    if (!m_backupPath.isEmpty() && !DeleteFile(m_backupPath) && m_backupSlot >= 0) {
        // Given back but still there: no later start may give it back again over what the user
        // changes from now on.
        const QString digest = CPreferenceBackupFiles::Digest(m_backupPath);
        if (!digest.isEmpty() && !CPreferenceBackupFiles::MarkApplied(m_backupSlot, digest)) {
            qCWarning(lcPlayer).noquote()
                << QStringLiteral("player preferences: %1 was given back but can neither be "
                                  "deleted nor marked as given back")
                       .arg(m_backupPath);
        }
    }
    // Given back once: a second restore in the same run must not replay an old state.
    m_backupPath.clear();
    m_backupLines.clear();
    m_backupWritten = false;
    m_backupSlot = -1;
}

QStringList CWmpRegAcc::RestoreLeftoverBackups() {
    const QString folder = KnownFolder(CSIDL_PERSONAL);
    const QString hostFolder = folder.isEmpty() ? QString() : HostPathOf(folder);
    if (hostFolder.isEmpty()) {
        return {};
    }
    QStringList stayed;
    auto keep = [&stayed](const QString& path, const char* why) {
        qCWarning(lcPlayer).noquote()
            << QStringLiteral("player preferences: %1 %2; left in place").arg(path, QLatin1String(why));
        stayed << path;
    };

    // The names our backup uses, non-empty: an empty one was never written and is reused as it is.
    struct SLeftover {
        int number;
        QString path;
        std::optional<QStringList> lines;
        QString digest;
        std::optional<quint64> sequence;
        QDateTime written;
    };
    std::vector<SLeftover> leftovers;
    for (int n = 0; n < CPreferenceBackupFiles::kSlots; ++n) {
        const QString path = CPreferenceBackupFiles::SlotPath(folder, n);
        const QFileInfo info(QDir(hostFolder).filePath(CPreferenceBackupFiles::SlotName(n)));
        const QString applied = CPreferenceBackupFiles::AppliedDigest(n);
        if (!info.exists() || (info.isFile() && info.size() == 0)) {
            if (!applied.isEmpty()) {
                CPreferenceBackupFiles::ForgetApplied(n);
            }
            continue;
        }
        SLeftover leftover{
            n, path, ReadBackupFile(path), CPreferenceBackupFiles::Digest(path), {}, info.lastModified()};
        if (!applied.isEmpty()) {
            if (leftover.digest.isEmpty()) {
                keep(path, "cannot be read"); // whether it was given back is known again once it can
                continue;
            }
            if (applied != leftover.digest) {
                CPreferenceBackupFiles::ForgetApplied(n); // another file took the name meanwhile
            } else if (DeleteFile(path)) {
                CPreferenceBackupFiles::ForgetApplied(n);
                continue;
            } else {
                keep(path, "was given back before and still cannot be deleted");
                continue;
            }
        }
        if (leftover.lines) {
            leftover.sequence = CPreferenceBackupFiles::SequenceOf(*leftover.lines);
        }
        leftovers.push_back(std::move(leftover));
    }
    // Newest first: each run backed up what the one before it had left, so the oldest file holds
    // the user's own values and is applied last. The runs' sequence numbers tell the order; files
    // of older runs without one came before them, and among themselves only their times (then
    // their numbers) can tell.
    std::sort(leftovers.begin(), leftovers.end(), [](const SLeftover& a, const SLeftover& b) {
        if (a.sequence.has_value() != b.sequence.has_value()) {
            return a.sequence.has_value();
        }
        if (a.sequence != b.sequence) {
            return *a.sequence > *b.sequence;
        }
        return a.written != b.written ? a.written > b.written : a.number > b.number;
    });

    for (const SLeftover& leftover : leftovers) {
        if (!leftover.lines) {
            keep(leftover.path, "cannot be read");
            continue;
        }
        if (RegCreateKeyEx(HKEY_CURRENT_USER, PreferencesKey(), 0, QString(), REG_OPTION_NON_VOLATILE,
                           KEY_WRITE, nullptr, &m_hKey, nullptr) != ERROR_SUCCESS) {
            m_hKey = nullptr;
            keep(leftover.path, "cannot be applied: the preferences key cannot be written");
            continue;
        }
        const QStringList& lines = *leftover.lines;
        const bool headerFits = lines.size() >= 2 && lines[0] == kHeaderLine && lines[1] == kKeyLine;
        const bool applied = headerFits && RestoreLines(lines);
        RegCloseKey(m_hKey);
        m_hKey = nullptr;
        if (!headerFits) {
            keep(leftover.path, "is not a backup of the player's preferences");
        } else if (!applied) {
            keep(leftover.path, "could not be applied completely");
        } else if (!DeleteFile(leftover.path)) {
            // Applied once: recorded, so that the next start leaves it alone.
            keep(leftover.path, CPreferenceBackupFiles::MarkApplied(leftover.number, leftover.digest)
                                    ? "was applied but cannot be deleted"
                                    : "was applied but can neither be deleted nor marked as applied");
        }
    }
    return stayed;
}
