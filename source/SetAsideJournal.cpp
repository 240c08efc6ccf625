#include "source/SetAsideJournal.h"

#include "platform/files/FileCopy.h"
#include "platform/files/FileOps.h"
#include "platform/files/Volumes.h"
#include "platform/files/WinPath.h"
#include "platform/win/LastError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

const QString CSetAsideJournal::kWorkFolderName = QStringLiteral("Orlen");
const QString CSetAsideJournal::kJournalName = QStringLiteral("Orlen.journal");

namespace {

const QByteArray kMagic = QByteArrayLiteral("Ollivane set-aside journal 1 ");
const QString kTemporarySuffix = QStringLiteral(".new");
const QString kAsideSuffix = QStringLiteral(".bad");

QString Join(const QString& folder, const QString& name) {
    return folder + QLatin1Char('\\') + name;
}

bool IsMissing(DWORD error) {
    return error == DWORD(ERROR_FILE_NOT_FOUND) || error == DWORD(ERROR_PATH_NOT_FOUND);
}

// A path the program may move a file to: a full Windows path of a file below a drive root.
bool IsFilePath(const QString& text) {
    CWinPath path;
    return !text.isEmpty() && CWinPath::Parse(text, &path) == ERROR_SUCCESS && !path.IsRoot() &&
           !path.HasTrailingSeparator();
}

bool ReadString(const QJsonObject& object, const char* key, QString* value) {
    const QJsonValue field = object.value(QLatin1String(key));
    if (!field.isString())
        return false;
    *value = field.toString();
    return true;
}

std::optional<SetAsideJob> ParseJob(const QJsonObject& object, bool* ok) {
    SetAsideJob job;
    QString started;
    *ok = ReadString(object, "ripFolder", &job.ripFolder) && ReadString(object, "toc", &job.toc) &&
          ReadString(object, "album", &job.album) && ReadString(object, "started", &started) &&
          object.value(QLatin1String("kept")).isArray();
    job.started = QDateTime::fromString(started, Qt::ISODateWithMs);
    *ok = *ok && job.started.isValid();
    if (!*ok)
        return std::nullopt;
    for (const QJsonValue& kept : object.value(QLatin1String("kept")).toArray()) {
        if (!kept.isString()) {
            *ok = false;
            return std::nullopt;
        }
        job.kept.append(kept.toString());
    }
    return job;
}

} // namespace

QString CSetAsideJournal::JournalPath() const {
    return Join(m_workFolder, kJournalName);
}

QString CSetAsideJournal::WorkPath(const SetAsideEntry& entry) const {
    return entry.workName.isEmpty() ? QString() : Join(m_workFolder, entry.workName);
}

void CSetAsideJournal::Clear() {
    m_entries.clear();
    m_job.reset();
}

bool CSetAsideJournal::IsPlainWorkName(const QString& name) {
    if (name.isEmpty() || name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char('/')))
        return false;
    CWinPath parsed;
    if (CWinPath::Parse(QStringLiteral("C:\\") + name, &parsed) != ERROR_SUCCESS ||
        parsed.Names().size() != 1 || parsed.Leaf() != name)
        return false;
    return !name.startsWith(kJournalName, Qt::CaseInsensitive) && !CFileCopy::IsTemporaryName(name);
}

QString CSetAsideJournal::UniqueWorkName(const QString& fileName) const {
    const QString base = IsPlainWorkName(fileName) ? fileName : QStringLiteral("rip");
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    const QString title = dot >= 1 ? base.left(dot) : base;
    const QString extension = dot >= 1 ? base.mid(dot) : QString();
    auto taken = [this](const QString& name) {
        if (!IsPlainWorkName(name))
            return true;
        for (const SetAsideEntry& entry : m_entries) {
            if (entry.workName.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        }
        // Anything but a plain "not there" counts as taken: a name is never given twice.
        return GetFileAttributes(Join(m_workFolder, name)) != INVALID_FILE_ATTRIBUTES ||
               !IsMissing(GetLastError());
    };
    QString name = base;
    for (int number = 2; taken(name); ++number) {
        if (number == 10000)
            return QString(); // a folder that cannot be looked at takes every name
        name = QStringLiteral("%1 (%2)%3").arg(title).arg(number).arg(extension);
    }
    return name;
}

QByteArray CSetAsideJournal::Serialize(const QList<SetAsideEntry>& entries,
                                       const std::optional<SetAsideJob>& job) {
    QJsonArray list;
    for (const SetAsideEntry& entry : entries)
        list.append(
            QJsonObject{{QStringLiteral("path"), entry.path}, {QStringLiteral("work"), entry.workName}});
    QJsonObject root{{QStringLiteral("entries"), list}};
    if (job) {
        root.insert(QStringLiteral("job"),
                    QJsonObject{{QStringLiteral("ripFolder"), job->ripFolder},
                                {QStringLiteral("toc"), job->toc},
                                {QStringLiteral("album"), job->album},
                                {QStringLiteral("started"), job->started.toUTC().toString(Qt::ISODateWithMs)},
                                {QStringLiteral("kept"), QJsonArray::fromStringList(job->kept)}});
    }
    const QByteArray payload = QJsonDocument(root).toJson(QJsonDocument::Compact);
    return kMagic + QCryptographicHash::hash(payload, QCryptographicHash::Sha256).toHex() + '\n' + payload;
}

bool CSetAsideJournal::Parse(const QByteArray& bytes, QList<SetAsideEntry>* entries,
                             std::optional<SetAsideJob>* job) {
    const qsizetype lineEnd = bytes.indexOf('\n');
    if (!bytes.startsWith(kMagic) || lineEnd < 0)
        return false;
    const QByteArray hash = bytes.mid(kMagic.size(), lineEnd - kMagic.size());
    const QByteArray payload = bytes.mid(lineEnd + 1);
    if (hash != QCryptographicHash::hash(payload, QCryptographicHash::Sha256).toHex())
        return false;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject root = document.object();
    if (!root.value(QLatin1String("entries")).isArray())
        return false;
    QList<SetAsideEntry> read;
    for (const QJsonValue& value : root.value(QLatin1String("entries")).toArray()) {
        SetAsideEntry entry;
        if (!value.isObject() || !ReadString(value.toObject(), "path", &entry.path) ||
            !ReadString(value.toObject(), "work", &entry.workName))
            return false;
        if (!IsFilePath(entry.path) || (!entry.workName.isEmpty() && !IsPlainWorkName(entry.workName)))
            return false;
        // Two entries sharing a file would move one file to two places.
        for (const SetAsideEntry& other : read) {
            if (!entry.workName.isEmpty() && other.workName.compare(entry.workName, Qt::CaseInsensitive) == 0)
                return false;
        }
        read.append(entry);
    }
    std::optional<SetAsideJob> readJob;
    if (root.contains(QLatin1String("job"))) {
        bool ok = false;
        if (!root.value(QLatin1String("job")).isObject())
            return false;
        readJob = ParseJob(root.value(QLatin1String("job")).toObject(), &ok);
        if (!ok)
            return false;
    }
    *entries = read;
    *job = readJob;
    return true;
}

CSetAsideJournal::LoadStatus CSetAsideJournal::Load() {
    const QString path = JournalPath();
    const DWORD attributes = GetFileAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return IsMissing(GetLastError()) ? LoadStatus::Missing : LoadStatus::Unreadable;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return LoadStatus::Corrupt;
    QFile file(HostPathOf(path));
    if (!file.open(QIODevice::ReadOnly))
        return LoadStatus::Unreadable;
    QList<SetAsideEntry> entries;
    std::optional<SetAsideJob> job;
    if (!Parse(file.readAll(), &entries, &job))
        return LoadStatus::Corrupt;
    m_entries = entries;
    m_job = job;
    return LoadStatus::Loaded;
}

bool CSetAsideJournal::Save() const {
    const QString journal = JournalPath();
    if (IsEmpty())
        return DeleteFile(journal) || IsMissing(GetLastError());
    const QString temporary = journal + kTemporarySuffix;
    const QString host = HostPathOf(temporary);
    if (host.isEmpty())
        return false;
    const QByteArray bytes = Serialize(m_entries, m_job);
    bool written = false;
    {
        QFile file(host);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            written = file.write(bytes) == bytes.size() && file.flush() && ::fsync(file.handle()) == 0;
            file.close();
            written = written && file.error() == QFileDevice::NoError;
        }
    }
    if (written && MoveFileEx(temporary, journal, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFile(temporary);
    return false;
}

QString CSetAsideJournal::KeepAside() const {
    for (int number = 1; number < 1000; ++number) {
        const QString name = kJournalName + kAsideSuffix + (number > 1 ? QString::number(number) : QString());
        if (MoveFileEx(JournalPath(), Join(m_workFolder, name), MOVEFILE_WRITE_THROUGH))
            return name;
        if (GetLastError() != DWORD(ERROR_ALREADY_EXISTS))
            return QString();
    }
    return QString();
}

void CSetAsideJournal::RemoveStaleTemporaries() const {
    DeleteFile(JournalPath() + kTemporarySuffix);
    // The platform's copies write under hidden temporary names that a listing leaves out.
    const QString host = HostPathOf(m_workFolder);
    if (host.isEmpty())
        return;
    const QDir folder(host);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (CFileCopy::IsTemporaryName(name))
            QFile::remove(folder.filePath(name));
    }
}
