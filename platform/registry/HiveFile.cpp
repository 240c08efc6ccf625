#include "platform/registry/HiveFile.h"
#include "platform/Logging.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QtEndian>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kOldHeader = QStringLiteral("REGEDIT4");
constexpr const char* kNewline = "\r\n";
// The registry editor wraps hex data so that no line is longer than this.
constexpr int kHexLineWidth = 77;

struct SLine {
    int number = 0;
    QString text;
    bool decoded = true;
};

// --- writing -------------------------------------------------------------------------------------

QString Escape(const QString& text) {
    QString out;
    out.reserve(text.size() + 2);
    for (QChar c : text) {
        if (c == u'\\' || c == u'"') {
            out += u'\\';
        }
        out += c;
    }
    return out;
}

// A REG_SZ can be written as quoted text when it is one NUL-terminated line of valid UTF-16;
// anything else (no terminator, embedded NULs, line breaks, lone surrogates) goes out as hex(1) so
// that its bytes come back exactly.
bool AsPlainText(const QByteArray& data, QString* text) {
    if (data.size() < 2 || data.size() % 2 != 0) {
        return false;
    }
    const qsizetype units = data.size() / 2;
    QString s(units, Qt::Uninitialized);
    std::memcpy(s.data(), data.constData(), static_cast<size_t>(data.size()));
    if (s.at(units - 1) != QChar(0)) {
        return false;
    }
    s.chop(1);
    for (QChar c : s) {
        if (c.unicode() < 0x20 && c != u'\t') {
            return false;
        }
    }
    if (!s.isValidUtf16()) {
        return false;
    }
    *text = s;
    return true;
}

void AppendHex(QByteArray& out, qsizetype lineStart, const QByteArray& data) {
    static const char digits[] = "0123456789abcdef";
    qsizetype column = out.size() - lineStart;
    for (qsizetype i = 0; i < data.size(); ++i) {
        QByteArray piece;
        const auto byte = static_cast<unsigned char>(data.at(i));
        piece += digits[byte >> 4];
        piece += digits[byte & 0xF];
        if (i + 1 < data.size()) {
            piece += ',';
        }
        if (i > 0 && column + piece.size() > kHexLineWidth) {
            out += "\\";
            out += kNewline;
            out += "  ";
            column = 2;
        }
        out += piece;
        column += piece.size();
    }
}

void AppendValue(QByteArray& out, const SRegValue& value) {
    const qsizetype lineStart = out.size();
    out += value.name.isEmpty() ? QByteArray("@") : ('"' + Escape(value.name).toUtf8() + '"');
    out += '=';
    QString text;
    if (value.type == REG_SZ && AsPlainText(value.data, &text)) {
        out += '"' + Escape(text).toUtf8() + '"';
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        const DWORD number = qFromLittleEndian<quint32>(value.data.constData());
        out += QStringLiteral("dword:%1").arg(number, 8, 16, QChar(u'0')).toLatin1();
    } else {
        out += value.type == REG_BINARY ? QByteArray("hex:")
                                        : QStringLiteral("hex(%1):").arg(value.type, 0, 16).toLatin1();
        AppendHex(out, lineStart, value.data);
    }
    out += kNewline;
}

void AppendKey(QByteArray& out, const CRegKey& key, const QString& path, bool isRoot) {
    if (!isRoot || !key.Values().empty()) {
        out += '[' + path.toUtf8() + ']' + kNewline;
        for (const SRegValue& value : key.Values()) {
            AppendValue(out, value);
        }
        out += kNewline;
    }
    for (const CRegKey& child : key.Children()) {
        AppendKey(out, child, path + u'\\' + child.Name(), false);
    }
}

// --- reading -------------------------------------------------------------------------------------

std::vector<SLine> SplitLines(const QByteArray& bytes) {
    std::vector<SLine> lines;
    auto push = [&lines](QString text, bool decoded) {
        if (text.endsWith(u'\r')) {
            text.chop(1);
        }
        // A NUL never belongs in a text hive: the line is binary garbage.
        lines.push_back(SLine{static_cast<int>(lines.size()) + 1, text, decoded && !text.contains(QChar(0))});
    };

    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                            : QStringConverter::Utf16BE);
        const QString text = decoder.decode(bytes.mid(2));
        for (const QString& line : text.split(u'\n')) {
            push(line, true);
        }
        return lines;
    }

    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    for (const QByteArray& raw : body.split('\n')) {
        // Each line on its own, so one broken sequence costs one line and not the rest of the file.
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString text = decoder.decode(raw);
        push(text, !decoder.hasError());
    }
    return lines;
}

bool IsHexDigits(QStringView text, qsizetype maxDigits) {
    if (text.isEmpty() || text.size() > maxDigits) {
        return false;
    }
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F'))) {
            return false;
        }
    }
    return true;
}

// Reads a quoted string starting at text[*pos] == '"', undoing the \\ and \" escapes. Leaves *pos
// after the closing quote. False for a missing closing quote or any other escape.
bool ReadQuoted(const QString& text, qsizetype* pos, QString* out) {
    out->clear();
    qsizetype i = *pos + 1;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == u'"') {
            *pos = i + 1;
            return true;
        }
        if (c == u'\\') {
            if (i + 1 >= text.size() || (text.at(i + 1) != u'\\' && text.at(i + 1) != u'"')) {
                return false;
            }
            *out += text.at(i + 1);
            i += 2;
            continue;
        }
        *out += c;
        ++i;
    }
    return false;
}

bool ParseHexBytes(QStringView list, QByteArray* out) {
    out->clear();
    if (list.trimmed().isEmpty()) {
        return true;
    }
    for (QStringView item : list.split(u',')) {
        item = item.trimmed();
        if (!IsHexDigits(item, 2)) {
            return false;
        }
        out->append(static_cast<char>(item.toUInt(nullptr, 16)));
    }
    return true;
}

// Parses the data after "name=" into a type and bytes. On failure *why says what is wrong.
bool ParseData(const QString& data, DWORD* type, QByteArray* bytes, QString* why) {
    if (data.startsWith(u'"')) {
        qsizetype pos = 0;
        QString text;
        if (!ReadQuoted(data, &pos, &text) || pos != data.size()) {
            *why = QStringLiteral("malformed or unterminated text");
            return false;
        }
        *type = REG_SZ;
        bytes->resize((text.size() + 1) * 2);
        std::memcpy(bytes->data(), text.utf16(), static_cast<size_t>(bytes->size()));
        return true;
    }
    if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const QStringView digits = QStringView(data).mid(6);
        if (!IsHexDigits(digits, 8)) {
            *why = QStringLiteral("malformed dword");
            return false;
        }
        *type = REG_DWORD;
        bytes->resize(4);
        qToLittleEndian<quint32>(digits.toUInt(nullptr, 16), bytes->data());
        return true;
    }
    if (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
        qsizetype colon = data.indexOf(u':');
        if (colon < 0) {
            *why = QStringLiteral("malformed hex data");
            return false;
        }
        const QStringView kind = QStringView(data).mid(3, colon - 3);
        DWORD parsedType = REG_BINARY;
        if (!kind.isEmpty()) {
            if (!kind.startsWith(u'(') || !kind.endsWith(u')') ||
                !IsHexDigits(kind.mid(1, kind.size() - 2), 8)) {
                *why = QStringLiteral("malformed hex type");
                return false;
            }
            parsedType = kind.mid(1, kind.size() - 2).toUInt(nullptr, 16);
        }
        if (!ParseHexBytes(QStringView(data).mid(colon + 1), bytes)) {
            *why = QStringLiteral("malformed hex data");
            return false;
        }
        *type = parsedType;
        return true;
    }
    *why = data == u"-" ? QStringLiteral("value deletions do not belong in a hive")
                        : QStringLiteral("unknown value data");
    return false;
}

bool IsContinuation(const QString& line) {
    const QString t = line.trimmed();
    if (t.isEmpty()) {
        return false;
    }
    for (QChar c : t) {
        if (!(IsHexDigits(QStringView(&c, 1), 1) || c == u',' || c == u'\\' || c.isSpace())) {
            return false;
        }
    }
    return true;
}

} // namespace

CHiveFile::CHiveFile(const QString& path, const QString& rootName) : m_path(path), m_rootName(rootName) {}

CHiveFile::SStamp CHiveFile::Stat() const {
    SStamp stamp;
    struct stat st {};
    if (::stat(QFile::encodeName(m_path).constData(), &st) == 0) {
        stamp.exists = true;
        stamp.device = static_cast<std::uint64_t>(st.st_dev);
        stamp.inode = static_cast<std::uint64_t>(st.st_ino);
        stamp.size = static_cast<std::int64_t>(st.st_size);
        stamp.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }
    return stamp;
}

bool CHiveFile::ChangedOnDisk() const {
    return !(Stat() == m_stamp);
}

CRegKey CHiveFile::Load() {
    m_unreadable = false;
    m_keepOriginal = false;
    // Stamp before reading: a save that lands while we read makes the next check reload again.
    m_stamp = Stat();
    if (!m_stamp.exists) {
        return CRegKey(m_rootName);
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcPlatform).noquote()
            << QStringLiteral("%1: cannot read registry hive: %2").arg(m_path, file.errorString());
        m_unreadable = true;
        return CRegKey(m_rootName);
    }
    int skipped = 0;
    CRegKey root = Parse(file.readAll(), m_rootName, m_path, &skipped);
    m_keepOriginal = skipped > 0;
    return root;
}

CRegKey CHiveFile::Parse(const QByteArray& bytes, const QString& rootName, const QString& source,
                         int* skipped) {
    CRegKey root(rootName);
    int dropped = 0;
    auto warn = [&](int line, const QString& why) {
        ++dropped;
        qCWarning(lcPlatform).noquote()
            << QStringLiteral("%1:%2: %3; line skipped").arg(source).arg(line).arg(why);
    };
    auto note = [&](int line, const QString& what) {
        qCWarning(lcPlatform).noquote() << QStringLiteral("%1:%2: %3").arg(source).arg(line).arg(what);
    };

    const std::vector<SLine> lines = SplitLines(bytes);
    // The key the following values belong to; null after a section that could not be used, so its
    // values are skipped rather than put somewhere else.
    QStringList currentPath;
    bool inKey = false;
    bool sawHeader = false;

    for (size_t i = 0; i < lines.size(); ++i) {
        const SLine& line = lines[i];
        if (!line.decoded) {
            warn(line.number, QStringLiteral("not text"));
            continue;
        }
        QString text = line.text.trimmed();
        if (text.isEmpty()) {
            continue;
        }
        if (!sawHeader) {
            sawHeader = true;
            if (text == kHeader || text == kOldHeader) {
                continue;
            }
            // Read on: the rest may still be a usable hive.
            note(line.number, QStringLiteral("missing \"%1\" header").arg(kHeader));
        }
        if (text.startsWith(u';')) {
            continue;
        }

        if (text.startsWith(u'[')) {
            inKey = false;
            if (!text.endsWith(u']')) {
                warn(line.number, QStringLiteral("unterminated key name, its values are skipped too"));
                continue;
            }
            const QString inner = text.mid(1, text.size() - 2);
            const qsizetype slash = inner.indexOf(u'\\');
            const QString rootPart = slash < 0 ? inner : inner.left(slash);
            const QString abbreviation = rootName == u"HKEY_CURRENT_USER"    ? QStringLiteral("HKCU")
                                         : rootName == u"HKEY_LOCAL_MACHINE" ? QStringLiteral("HKLM")
                                                                             : QString();
            if (!CRegKey::SameName(rootPart, rootName) &&
                (abbreviation.isEmpty() || !CRegKey::SameName(rootPart, abbreviation))) {
                warn(line.number, QStringLiteral("key outside %1").arg(rootName));
                continue;
            }
            QStringList parts;
            if (!CRegKey::SplitPath(slash < 0 ? QString() : inner.mid(slash + 1), &parts)) {
                warn(line.number, QStringLiteral("invalid key name"));
                continue;
            }
            CRegKey* key = &root;
            for (const QString& part : parts) {
                key = &key->Child(part);
            }
            currentPath = parts;
            inKey = true;
            continue;
        }

        if (text.startsWith(u'"') || text.startsWith(u'@')) {
            const int first = line.number;
            // Long hex data continues on the following lines after a trailing backslash.
            while (text.endsWith(u'\\') && i + 1 < lines.size() && lines[i + 1].decoded &&
                   IsContinuation(lines[i + 1].text)) {
                text.chop(1);
                text += lines[++i].text.trimmed();
            }
            QString name;
            qsizetype pos = 0;
            if (text.startsWith(u'@')) {
                pos = 1;
            } else if (!ReadQuoted(text, &pos, &name)) {
                warn(first, QStringLiteral("malformed value name"));
                continue;
            }
            if (pos >= text.size() || text.at(pos) != u'=') {
                warn(first, QStringLiteral("no '=' after the value name"));
                continue;
            }
            if (!inKey) {
                warn(first, QStringLiteral("value outside a usable key"));
                continue;
            }
            if (!CRegKey::IsValidValueName(name)) {
                warn(first, QStringLiteral("invalid value name"));
                continue;
            }
            DWORD type = REG_NONE;
            QByteArray data;
            QString why;
            if (text.endsWith(u'\\')) {
                warn(first, QStringLiteral("value data cut off"));
                continue;
            }
            if (!ParseData(text.mid(pos + 1), &type, &data, &why)) {
                warn(first, why);
                continue;
            }
            root.Find(currentPath)->SetValue(name, type, data);
            continue;
        }

        warn(line.number, QStringLiteral("not a key or value line"));
    }
    if (skipped) {
        *skipped = dropped;
    }
    return root;
}

QByteArray CHiveFile::Serialize(const CRegKey& root) {
    QByteArray out = kHeader.toUtf8() + kNewline + kNewline;
    AppendKey(out, root, root.Name(), true);
    return out;
}

std::unique_ptr<CHiveLock> CHiveFile::Lock(int timeoutMs, LONG* error) const {
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    CHiveLock::EResult result = CHiveLock::EResult::Busy;
    auto lock = CHiveLock::Take(m_path + QStringLiteral(".lock"), timeoutMs, &result);
    if (lock) {
        return lock;
    }
    *error = result == CHiveLock::EResult::Busy ? ERROR_SHARING_VIOLATION : ERROR_ACCESS_DENIED;
    qCWarning(lcPlatform).noquote() << QStringLiteral("%1: cannot take the registry writer lock").arg(m_path);
    return nullptr;
}

LONG CHiveFile::Save(const CRegKey& root) {
    if (m_unreadable) {
        return ERROR_ACCESS_DENIED;
    }
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder)) {
        return ERROR_PATH_NOT_FOUND;
    }
    if (m_keepOriginal) {
        // Lines this program could not read are dropped by the save; keep the file as it was so a
        // hand edit is not lost without trace.
        const QString copy = m_path + QStringLiteral(".bad");
        QFile::remove(copy);
        QFile::copy(m_path, copy);
        m_keepOriginal = false;
    }

    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.error() == QFileDevice::PermissionsError ? ERROR_ACCESS_DENIED : ERROR_CANTWRITE;
    }
    const QByteArray bytes = Serialize(root);
    if (file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0) {
        file.cancelWriting();
        return ERROR_CANTWRITE;
    }
    if (!file.commit()) {
        return ERROR_CANTWRITE;
    }
    // Make the rename itself durable.
    const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    m_stamp = Stat();
    return ERROR_SUCCESS;
}
