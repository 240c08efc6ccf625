#include "player/PreferenceBackupFiles.h"

#include "platform/files/Volumes.h"
#include "platform/registry/Registry.h"

#include <QCryptographicHash>
#include <QFile>
#include <algorithm>

namespace {

const QString kSequencePrefix = QStringLiteral("; Ollivane backup ");
// The sequence line is the third: after the registry editor's header and the key line.
constexpr int kSequenceLineIndex = 2;
constexpr qint64 kMaxHeadLineBytes = 4096;

} // namespace

QString CPreferenceBackupFiles::SlotName(int n) {
    return QStringLiteral("WmpBackup%1.reg").arg(n, 2, 10, QLatin1Char('0'));
}

QString CPreferenceBackupFiles::SlotPath(const QString& folder, int n) {
    return folder + QLatin1Char('\\') + SlotName(n);
}

const QString& CPreferenceBackupFiles::AppliedKey() {
    // The program's per-user key (its settings live there too).
    static const QString key = QStringLiteral("Software\\Korvel\\Tessaly\\AppliedBackups");
    return key;
}

QString CPreferenceBackupFiles::SequenceLine(quint64 sequence) {
    return kSequencePrefix + QString::number(sequence);
}

std::optional<quint64> CPreferenceBackupFiles::SequenceOf(const QStringList& lines) {
    if (lines.size() <= kSequenceLineIndex || !lines[kSequenceLineIndex].startsWith(kSequencePrefix)) {
        return std::nullopt;
    }
    bool ok = false;
    const quint64 sequence = lines[kSequenceLineIndex].mid(kSequencePrefix.size()).toULongLong(&ok);
    return ok ? std::optional<quint64>(sequence) : std::nullopt;
}

quint64 CPreferenceBackupFiles::NextSequence(const QString& folder) {
    quint64 highest = 0;
    for (int n = 0; n < kSlots; ++n) {
        QFile file(HostPathOf(SlotPath(folder, n)));
        if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly)) {
            continue;
        }
        // Only the head is looked at; the line is ASCII in every code page.
        QStringList head;
        while (head.size() <= kSequenceLineIndex && !file.atEnd()) {
            head << QString::fromLatin1(file.readLine(kMaxHeadLineBytes)).trimmed();
        }
        highest = std::max(highest, SequenceOf(head).value_or(0));
    }
    return highest + 1;
}

QString CPreferenceBackupFiles::Digest(const QString& winPath) {
    QFile file(HostPathOf(winPath));
    if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) {
        return QString();
    }
    return QString::fromLatin1(hash.result().toHex());
}

QString CPreferenceBackupFiles::AppliedDigest(int n) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, AppliedKey(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return QString();
    }
    // 64 hexadecimal digits and the NUL, in UTF-16, with room to spare.
    char16_t buffer[80] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof(buffer);
    const LONG rc = RegQueryValueEx(key, SlotName(n), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ) {
        return QString();
    }
    return QString::fromUtf16(buffer, qsizetype(size / sizeof(char16_t))).section(QChar(0), 0, 0);
}

bool CPreferenceBackupFiles::MarkApplied(int n, const QString& digest) {
    HKEY key = nullptr;
    if (digest.isEmpty() ||
        RegCreateKeyEx(HKEY_CURRENT_USER, AppliedKey(), 0, QString(), REG_OPTION_NON_VOLATILE, KEY_WRITE,
                       nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool ok = RegSetValueEx(key, SlotName(n), 0, REG_SZ, reinterpret_cast<const BYTE*>(digest.utf16()),
                                  DWORD((digest.size() + 1) * 2)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

void CPreferenceBackupFiles::ForgetApplied(int n) {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, AppliedKey(), 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
        return;
    }
    RegDeleteValue(key, SlotName(n));
    RegCloseKey(key);
    // No record left: the key goes too, so the user's hive holds nothing of this.
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!AppliedDigest(slot).isEmpty()) {
            return;
        }
    }
    RegDeleteKey(HKEY_CURRENT_USER, AppliedKey());
}
