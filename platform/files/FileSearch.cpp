#include "platform/files/FileSearch.h"

#include "platform/Platform.h"
#include "platform/files/FileCopy.h"
#include "platform/files/Volumes.h"
#include "platform/win/LastError.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <mutex>
#include <set>

namespace {

std::mutex g_handlesMutex;
std::set<CFileSearch*> g_handles;

// Audio CD track files are 44-byte stubs on Windows.
constexpr DWORD kCdaFileSize = 44;

bool MatchFrom(const QString& name, qsizetype n, const QString& pattern, qsizetype p) {
    while (p < pattern.size()) {
        const QChar c = pattern.at(p);
        if (c == QLatin1Char('*')) {
            while (p < pattern.size() && pattern.at(p) == QLatin1Char('*'))
                ++p;
            if (p == pattern.size())
                return true;
            for (qsizetype k = n; k <= name.size(); ++k) {
                if (MatchFrom(name, k, pattern, p))
                    return true;
            }
            return false;
        }
        if (n >= name.size())
            return false;
        if (c != QLatin1Char('?') && c != name.at(n))
            return false;
        ++n;
        ++p;
    }
    return n == name.size();
}

WIN32_FIND_DATA EntryOf(const QFileInfo& info, const QString& name) {
    WIN32_FIND_DATA data;
    data.cFileName = name;
    if (info.isDir()) {
        data.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    } else {
        data.dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE;
        const quint64 size = quint64(info.size());
        data.nFileSizeHigh = DWORD(size >> 32);
        data.nFileSizeLow = DWORD(size & 0xFFFFFFFFu);
    }
    if (!info.isWritable())
        data.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
    if (name.startsWith(QLatin1Char('.')) && name != QLatin1String(".") && name != QLatin1String(".."))
        data.dwFileAttributes |= FILE_ATTRIBUTE_HIDDEN;
    data.ftCreationTime = info.birthTime().isValid() ? info.birthTime() : info.metadataChangeTime();
    data.ftLastWriteTime = info.lastModified();
    return data;
}

// Folder order is not defined on Windows either; sorted lists make the walk repeatable.
bool ByName(const WIN32_FIND_DATA& a, const WIN32_FIND_DATA& b) {
    const int folded = a.cFileName.compare(b.cFileName, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a.cFileName < b.cFileName;
}

} // namespace

bool CFileSearch::Matches(const QString& name, const QString& pattern) {
    if (pattern == QLatin1String("*.*"))
        return true;
    if (MatchFrom(name, 0, pattern, 0))
        return true;
    return pattern.endsWith(QLatin1String(".*")) && MatchFrom(name, 0, pattern.chopped(2), 0);
}

CFileSearch* CFileSearch::Start(const QString& pattern, LONG* error) {
    CVolumes* volumes = CPlatform::Current().volumes;
    if (!volumes) {
        *error = ERROR_NOT_READY;
        return nullptr;
    }
    CWinPath parsed;
    if (const LONG parseError = CWinPath::Parse(pattern, &parsed, CWinPath::Wildcards::AllowInLast);
        parseError != ERROR_SUCCESS) {
        *error = parseError;
        return nullptr;
    }
    // "E:\dir\" and "E:" name a folder, not entries of it: Windows finds nothing for them.
    if (parsed.IsRoot() || parsed.HasTrailingSeparator()) {
        *error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    const QString leaf = parsed.Leaf();
    const CWinPath folder = parsed.Parent();
    auto search = std::make_unique<CFileSearch>();

    // An audio disc's root comes from the media engine, not from a folder.
    const std::optional<CVolumes::Drive> drive = volumes->DriveOf(parsed.Letter());
    if (drive && drive->present && drive->type == DRIVE_CDROM && folder.IsRoot()) {
        if (const std::optional<QStringList> names = volumes->CdRootListing(parsed.Letter())) {
            for (const QString& name : *names) {
                if (!Matches(name, leaf))
                    continue;
                WIN32_FIND_DATA data;
                data.cFileName = name;
                data.dwFileAttributes = FILE_ATTRIBUTE_READONLY;
                data.nFileSizeLow = kCdaFileSize;
                search->m_entries.append(data);
            }
            if (search->m_entries.isEmpty()) {
                *error = ERROR_FILE_NOT_FOUND;
                return nullptr;
            }
            *error = ERROR_SUCCESS;
            return search.release();
        }
    }

    CVolumes::Resolved resolved;
    if (const LONG resolveError =
            volumes->Resolve(pattern, &resolved, CVolumes::Access::Read, CWinPath::Wildcards::AllowInLast);
        resolveError != ERROR_SUCCESS) {
        *error = resolveError;
        return nullptr;
    }
    const QString hostFolder = QFileInfo(resolved.host).path();
    const QFileInfo folderInfo(hostFolder);
    if (!folderInfo.isDir()) {
        *error = ERROR_PATH_NOT_FOUND;
        return nullptr;
    }

    QList<WIN32_FIND_DATA> entries;
    if (!CWinPath::HasWildcards(leaf)) {
        const QFileInfo info(resolved.host);
        if (info.exists() && !CFileCopy::IsTemporaryName(leaf))
            entries.append(EntryOf(info, leaf));
    } else {
        const QDir dir(hostFolder);
        const QFileInfoList infos = dir.entryInfoList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
        for (const QFileInfo& info : infos) {
            const QString name = info.fileName();
            if (CFileCopy::IsTemporaryName(name) || !Matches(name, leaf))
                continue;
            entries.append(EntryOf(info, name));
        }
        std::sort(entries.begin(), entries.end(), ByName);
        // A folder below the root lists itself and its parent first, as Windows does; the root
        // of a drive has neither.
        if (!folder.IsRoot()) {
            QList<WIN32_FIND_DATA> dots;
            if (Matches(QStringLiteral("."), leaf))
                dots.append(EntryOf(folderInfo, QStringLiteral(".")));
            if (Matches(QStringLiteral(".."), leaf))
                dots.append(EntryOf(QFileInfo(QFileInfo(hostFolder).path()), QStringLiteral("..")));
            entries = dots + entries;
        }
    }
    if (entries.isEmpty()) {
        *error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    search->m_entries = entries;
    *error = ERROR_SUCCESS;
    return search.release();
}

bool CFileSearch::Next(WIN32_FIND_DATA* data) {
    if (m_next >= m_entries.size())
        return false;
    *data = m_entries.at(m_next++);
    return true;
}

HANDLE FindFirstFile(const QString& pattern, WIN32_FIND_DATA* data) {
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    LONG error = ERROR_SUCCESS;
    CFileSearch* search = CFileSearch::Start(pattern, &error);
    if (!search) {
        SetLastError(DWORD(error));
        return INVALID_HANDLE_VALUE;
    }
    search->Next(data);
    {
        std::lock_guard lock(g_handlesMutex);
        g_handles.insert(search);
    }
    SetLastError(ERROR_SUCCESS);
    return search;
}

BOOL FindNextFile(HANDLE handle, WIN32_FIND_DATA* data) {
    std::lock_guard lock(g_handlesMutex);
    auto* search = static_cast<CFileSearch*>(handle);
    if (!g_handles.count(search)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!search->Next(data)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL FindClose(HANDLE handle) {
    std::lock_guard lock(g_handlesMutex);
    auto* search = static_cast<CFileSearch*>(handle);
    if (!g_handles.erase(search)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete search;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
