#include "source/EarlierRips.h"
#include "ui/text/TextRules.h"

#include "platform/com/ComBSTR.h"
#include "platform/files/FileOps.h"
#include "platform/files/FileSearch.h"
#include "platform/files/Volumes.h"
#include "platform/files/WinPath.h"
#include "platform/win/LastError.h"
#include "source/CDROMAcc.h"
#include "source/MediaInfo.h"
#include "source/RipFolderTree.h"

#include <QDateTime>
#include <QFile>

#include <algorithm>

namespace {

enum class FileState { Present, Missing, Unknown };

// Unknown (an absent drive, no permission) is never taken for "not there".
FileState StateOf(const QString& path) {
    const DWORD attributes = GetFileAttributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileState::Unknown : FileState::Present;
    const DWORD error = GetLastError();
    return error == DWORD(ERROR_FILE_NOT_FOUND) || error == DWORD(ERROR_PATH_NOT_FOUND) ? FileState::Missing
                                                                                        : FileState::Unknown;
}

bool SameContent(const QString& first, const QString& second) {
    QFile a(HostPathOf(first));
    QFile b(HostPathOf(second));
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    constexpr qint64 kChunk = 1 << 20;
    while (!a.atEnd()) {
        const QByteArray chunk = a.read(kChunk);
        if (chunk.isEmpty() || chunk != b.read(kChunk))
            return false;
    }
    return b.atEnd();
}

bool SamePath(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Makes the folders of path that are gone, from the drive root down.
void MakeParentFolders(const QString& path) {
    CWinPath parsed;
    if (CWinPath::Parse(path, &parsed) != ERROR_SUCCESS || parsed.IsRoot())
        return;
    CWinPath folder = parsed.Parent();
    QList<CWinPath> missing;
    while (!folder.IsRoot() && StateOf(folder.ToString()) == FileState::Missing) {
        missing.prepend(folder);
        folder = folder.Parent();
    }
    for (const CWinPath& step : missing)
        CreateDirectory(step.ToString(), nullptr);
}

struct Entry {
    QString name;
    QDateTime written;
};

// Entries of a folder, without "." and "..": its sub-folders when folders is true, else its files,
// each with its last-write time as the listing gives it.
QList<Entry> EntriesIn(const QString& folder, bool folders) {
    QList<Entry> entries;
    WIN32_FIND_DATA data;
    const HANDLE search = FindFirstFile(folder + QStringLiteral("\\*.*"), &data);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (data.cFileName != QStringLiteral(".") && data.cFileName != QStringLiteral("..") &&
            isFolder == folders)
            entries.append({data.cFileName, data.ftLastWriteTime});
    } while (FindNextFile(search, &data));
    FindClose(search);
    return entries;
}

// Written before the job began, allowing for file systems that keep times in 2-second steps. A
// time that cannot be read counts as older: what is not surely the job's is the user's.
bool OlderThanJob(const QDateTime& written, const QDateTime& started) {
    return !written.isValid() || !started.isValid() || written < started.addSecs(-2);
}

void AppendOnce(QStringList* list, const QString& text) {
    if (!text.isEmpty() && !list->contains(text, Qt::CaseInsensitive))
        list->append(text);
}

} // namespace

CEarlierRips::CEarlierRips(CSetAsideJournal& journal, IWMPPlayer4* player, IWMPMediaCollection* library)
    : m_journal(journal), m_player(player), m_library(library) {}

QString CEarlierRips::SourcePath(IWMPMedia* item) {
    CComBSTR url;
    if (!item || FAILED(item->get_sourceURL(&url)))
        return QString();
    return url.ToQString();
}

bool CEarlierRips::FindJobEntries(QList<ComPtr<IWMPMedia>>* items) const {
    items->clear();
    const std::optional<SetAsideJob>& job = m_journal.Job();
    if (!job || !m_library)
        return false;
    ComPtr<IWMPPlaylist> list;
    if (!job->toc.isEmpty() &&
        FAILED(m_library->getByAttribute(CComBSTR(QStringLiteral("TOC")), CComBSTR(job->toc), &list)))
        list = nullptr;
    if (!list && (job->album.isEmpty() || FAILED(m_library->getByAlbum(CComBSTR(job->album), &list))))
        list = nullptr;
    if (!list)
        return false;
    // The query stays current: take its items before any of them leaves the library.
    const long count = media_info::Count(list.Get());
    for (long i = count - 1; i >= 0; --i) {
        if (ComPtr<IWMPMedia> item = media_info::Item(list.Get(), i))
            items->append(item);
    }
    return count >= 0;
}

bool CEarlierRips::MayBeJobRip(const QString& path) const {
    const std::optional<SetAsideJob>& job = m_journal.Job();
    if (!job || path.isEmpty() || !CRipFolderTree(job->ripFolder).HoldsFile(path))
        return false;
    for (const QString& kept : job->kept) {
        if (SamePath(kept, path))
            return false;
    }
    return true;
}

bool CEarlierRips::IsJobRip(const QString& path) const {
    if (!MayBeJobRip(path))
        return false;
    for (const SetAsideEntry& entry : m_journal.Entries()) {
        if (!SamePath(entry.path, path))
            continue;
        // The earlier rip itself, never moved, moved back already, or its very bytes.
        const QString work = m_journal.WorkPath(entry);
        if (work.isEmpty() || StateOf(work) != FileState::Present || SameContent(work, path))
            return false;
    }
    return true;
}

void CEarlierRips::DeleteJobRip(const QString& path, QStringList* folders) const {
    DeleteFile(path);
    const QString folder = FolderOf(path, true);
    if (m_journal.Job() && CRipFolderTree(m_journal.Job()->ripFolder).HoldsFolder(folder))
        RemoveDirectory(folder);
    AppendOnce(folders, folder);
}

int CEarlierRips::RemoveJobRips(const QList<ComPtr<IWMPMedia>>& items, QStringList* folders) {
    QStringList removed;
    for (const ComPtr<IWMPMedia>& item : items) {
        const QString path = SourcePath(item.Get());
        if (removed.contains(path, Qt::CaseInsensitive) || !IsJobRip(path))
            continue;
        if (m_library)
            m_library->remove(item.Get(), VARIANT_TRUE);
        // The player may put its deletion off; the file goes now, before an earlier rip takes its
        // place.
        DeleteJobRip(path, folders);
        removed.append(path);
    }
    return int(removed.size());
}

bool CEarlierRips::IsUnlistedJobRip(const QString& path, const QDateTime& written) const {
    const std::optional<SetAsideJob>& job = m_journal.Job();
    // The cheap looks first: most files of a music folder are older than the job.
    if (!job || !m_player || !m_library || OlderThanJob(written, job->started) || !IsJobRip(path) ||
        StateOf(path) != FileState::Present)
        return false;
    ComPtr<IWMPPlaylist> listed;
    if (FAILED(m_library->getByAttribute(CComBSTR(QStringLiteral("SourceURL")), CComBSTR(path), &listed)) ||
        media_info::Count(listed.Get()) != 0)
        return false; // listed (or unknown): the library's entry decides, not the file
    ComPtr<IWMPMedia> file;
    if (FAILED(m_player->newMedia(CComBSTR(path), &file)) || !file)
        return false;
    QString value;
    if (!job->toc.isEmpty())
        return media_info::Read(file.Get(), QStringLiteral("TOC"), &value) && value == job->toc;
    return !job->album.isEmpty() && media_info::Read(file.Get(), QStringLiteral("WM/AlbumTitle"), &value) &&
           value == job->album;
}

int CEarlierRips::RemoveUnlistedJobRips(QStringList* folders, bool changedFolders) {
    const std::optional<SetAsideJob>& job = m_journal.Job();
    if (!job)
        return 0;
    // The job's rips lie at "<rip folder>\<artist>\<album>\<file>", in a folder the job touched: one
    // its listed rips or the earlier rips lay in, or (after a run cut short) one whose entries
    // changed since it began (a new file changes its folder's time). Folders untouched since before
    // the job are never opened: at the end of a job nothing is walked, after a cut-short run one
    // listing per artist.
    const CRipFolderTree tree(job->ripFolder);
    QStringList albums;
    for (const QString& folder : *folders)
        AppendOnce(&albums, folder);
    for (const SetAsideEntry& entry : m_journal.Entries()) {
        if (tree.HoldsFile(entry.path))
            AppendOnce(&albums, FolderOf(entry.path, true));
    }
    const QString root = tree.Folder();
    if (changedFolders && !root.isEmpty()) {
        for (const Entry& artist : EntriesIn(root, true)) {
            const QString artistFolder = root + QLatin1Char('\\') + artist.name;
            for (const Entry& album : EntriesIn(artistFolder, true)) {
                if (!OlderThanJob(album.written, job->started))
                    AppendOnce(&albums, artistFolder + QLatin1Char('\\') + album.name);
            }
        }
    }
    int removed = 0;
    for (const QString& albumFolder : albums) {
        for (const Entry& file : EntriesIn(albumFolder, false)) {
            const QString path = albumFolder + QLatin1Char('\\') + file.name;
            if (IsUnlistedJobRip(path, file.written)) {
                DeleteJobRip(path, folders);
                ++removed;
            }
        }
    }
    return removed;
}

bool CEarlierRips::AddToLibrary(const QString& path) const {
    ComPtr<IWMPMedia> item;
    return m_library && SUCCEEDED(m_library->add(CComBSTR(path), &item));
}

CEarlierRips::Step CEarlierRips::RestoreOne(SetAsideEntry* entry) {
    // An entry that only left the library, or whose file is back at its place already.
    auto relist = [this, entry]() {
        switch (StateOf(entry->path)) {
        case FileState::Present:
            if (AddToLibrary(entry->path))
                return Step::Back;
            entry->workName.clear(); // the file is home; the library is asked again next time
            return Step::Waiting;
        case FileState::Missing:
            return Step::Back; // removed by hand meanwhile: nothing of ours to put back
        case FileState::Unknown:
            break;
        }
        return Step::Waiting;
    };
    const QString work = m_journal.WorkPath(*entry);
    if (work.isEmpty())
        return relist();
    switch (StateOf(work)) {
    case FileState::Unknown:
        return Step::Waiting;
    case FileState::Missing:
        return relist();
    case FileState::Present:
        break;
    }
    switch (StateOf(entry->path)) {
    case FileState::Unknown:
        return Step::Waiting;
    case FileState::Present:
        if (SameContent(work, entry->path)) {
            DeleteFile(work);
            return relist();
        }
        // Another file took the place meanwhile: it stays, and so does the earlier rip, in the work
        // folder. The path is listed again, as it holds a file.
        AddToLibrary(entry->path);
        return Step::Waiting;
    case FileState::Missing:
        break;
    }
    // Clean-up may have removed the album folder together with the job's rips.
    MakeParentFolders(entry->path);
    if (!MoveFileEx(work, entry->path, MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) ||
        StateOf(entry->path) != FileState::Present)
        return Step::Waiting;
    // A move across drives that could not delete its source leaves a second copy behind.
    if (StateOf(work) == FileState::Present && SameContent(work, entry->path))
        DeleteFile(work);
    return relist();
}

CEarlierRips::Restored CEarlierRips::Restore() {
    Restored result;
    QList<SetAsideEntry> entries = m_journal.Entries();
    QList<bool> back(entries.size(), false);
    // Of several entries for one path, the newest is what lay there just before the job.
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        back[i] = RestoreOne(&entries[i]) == Step::Back;
        if (back[i])
            ++result.back;
    }
    QList<SetAsideEntry> waiting;
    std::optional<SetAsideJob> job = m_journal.Job();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!back[i])
            waiting.append(entries[i]);
        else if (job)
            AppendOnce(&job->kept, entries[i].path); // back at its place: never a rip of the job
    }
    m_journal.SetEntries(waiting);
    if (job)
        m_journal.SetJob(*job);
    m_journal.Save();
    if (m_journal.IsEmpty())
        RemoveDirectory(m_journal.WorkFolder());
    result.waiting = int(waiting.size());
    return result;
}

void CEarlierRips::CleanUpFolders(const QString& ripFolder, const QStringList& folders,
                                  const QDateTime& started) {
    const CRipFolderTree tree(ripFolder);
    for (const QString& start : folders) {
        QString folder = start;
        for (int level = 0; level < 2 && tree.HoldsFolder(folder); ++level) {
            // Only a folder the job made goes: one that surely stood before it, or holds anything
            // but pictures and the shell's files, or a picture older than the job (the user's
            // cover), stays with all it holds.
            if (ExistedBefore(folder, started) || CCDROMAcc::FolderHasOtherContent(folder))
                break;
            bool usersFile = false;
            for (const Entry& file : EntriesIn(folder, false))
                usersFile = usersFile || OlderThanJob(file.written, started);
            if (usersFile)
                break;
            CCDROMAcc::DeleteFilesIn(folder);
            RemoveDirectory(folder);
            folder = FolderOf(folder, true);
        }
    }
}

bool CEarlierRips::ExistedBefore(const QString& folder, const QDateTime& started) {
    WIN32_FIND_DATA data;
    const HANDLE search = FindFirstFile(folder, &data);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    // The creation time where the file system keeps one, else the last change of the folder's
    // entries: either one before the job means the folder stood before it.
    return data.ftCreationTime.isValid() && started.isValid() && data.ftCreationTime < started.addSecs(-2);
}
