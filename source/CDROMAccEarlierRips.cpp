// The earlier rips of a disc: out of the library and into the work folder before a job, back after
// it; the library entries whose file is gone.

#include "source/CDROMAcc.h"
#include "ui/text/TextRules.h"

#include "platform/files/FileOps.h"
#include "platform/files/FileSearch.h"
#include "platform/files/KnownFolders.h"
#include "platform/win/LastError.h"
#include "source/EarlierRips.h"
#include "source/MediaInfo.h"
#include "source/PlayerContext.h"
#include "source/RipFolderTree.h"

namespace {

// The size of a file as the file system lists it; -1 when it cannot be listed.
qint64 FileSize(const QString& path) {
    WIN32_FIND_DATA data;
    const HANDLE search = FindFirstFile(path, &data);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    FindClose(search);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return -1;
    return qint64((quint64(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool IsFolder(const QString& path) {
    const DWORD attributes = GetFileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsMissingError(DWORD error) {
    return error == DWORD(ERROR_FILE_NOT_FOUND) || error == DWORD(ERROR_PATH_NOT_FOUND);
}

// An entry of a folder search that is the folder itself or its parent.
bool IsDotEntry(const QString& name) {
    return name == QLatin1String(".") || name == QLatin1String("..");
}

struct Planned {
    ComPtr<IWMPMedia> item;
    SetAsideEntry entry;
};

} // namespace

bool CCDROMAcc::LiesInRipTree(const QString& ripFolder, const QString& path) {
    return CRipFolderTree(ripFolder).Holds(path);
}

bool CCDROMAcc::PruneMissingFiles() {
    IWMPMediaCollection* library = PlayerContext().Library();
    const ComPtr<IWMPPlaylist> album = FindAlbumInLibrary(false);
    if (!album || !library)
        return false;
    const long count = media_info::Count(album.Get());
    if (count < 0)
        return false;
    // The query follows the library: the items are taken before any of them leaves it.
    QList<ComPtr<IWMPMedia>> items;
    for (long i = count - 1; i >= 0; --i) {
        ComPtr<IWMPMedia> item = media_info::Item(album.Get(), i);
        if (!item)
            return false;
        items.append(item);
    }
    for (const ComPtr<IWMPMedia>& item : items) {
        const QString path = CEarlierRips::SourcePath(item.Get());
        if (path.isEmpty())
            return false;
        // Only a file that is surely not there: a drive that is away keeps its entries.
        if (GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES || !IsMissingError(GetLastError()))
            continue;
        // Without the delete flag: whatever file stands at that path later is not the player's.
        if (FAILED(library->remove(item.Get(), VARIANT_FALSE)))
            return false;
    }
    return true;
}

bool CCDROMAcc::SetAsideEarlierRips(const QString& ripFolder) {
    QString documents;
    if (FAILED(SHGetFolderPath(nullptr, CSIDL_PERSONAL, nullptr, 0, &documents)) &&
        FAILED(SHGetFolderPath(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, &documents)))
        return false;
    m_documentsFolder = documents;
    IWMPMediaCollection* library = PlayerContext().Library();
    const ComPtr<IWMPPlaylist> album = FindAlbumInLibrary(false);
    if (!album || !library)
        return false;
    // Earlier rips that still wait keep their work folder, even if the documents folder moved.
    if (m_setAside.IsEmpty())
        m_setAside.SetWorkFolder(documents + QLatin1Char('\\') + CSetAsideJournal::kWorkFolderName);
    const QString workFolder = m_setAside.WorkFolder();
    // A journal that no start took back yet (the start found no player, or the drive was away):
    // its rips are taken back now, so this job's journal never writes over it.
    if (m_setAside.IsEmpty() && IsFolder(workFolder)) {
        const JournalReplay replay = ReplayJournal();
        if (replay.outcome == JournalReplay::Outcome::Unreadable ||
            replay.outcome == JournalReplay::Outcome::NoLibrary)
            return false;
        // What the replay could not put back waits on with this job's entries; a journal that
        // could neither be read nor kept aside is never written over.
        const CSetAsideJournal::LoadStatus status = m_setAside.Load();
        if (status == CSetAsideJournal::LoadStatus::Corrupt ||
            status == CSetAsideJournal::LoadStatus::Unreadable)
            return false;
        m_setAside.EndJob();
    }

    const CRipFolderTree tree(ripFolder);
    const QList<SetAsideEntry> before = m_setAside.Entries();
    SetAsideJob job{.ripFolder = ripFolder, .started = QDateTime::currentDateTimeUtc()};
    media_info::Read(m_cdPlaylist.Get(), QStringLiteral("TOC"), &job.toc);
    media_info::Read(m_cdPlaylist.Get(), QStringLiteral("name"), &job.album);
    QList<Planned> plan;
    for (long i = media_info::Count(album.Get()) - 1; i >= 0; --i) {
        const ComPtr<IWMPMedia> item = media_info::Item(album.Get(), i);
        const QString path = CEarlierRips::SourcePath(item.Get());
        if (!item || path.isEmpty())
            continue;
        QString fileType;
        QString bitrate;
        media_info::Read(item.Get(), QStringLiteral("FileType"), &fileType);
        media_info::Read(item.Get(), QStringLiteral("Bitrate"), &bitrate);
        if (fileType.isEmpty() || media_info::Decimal(bitrate) <= 0) {
            job.kept.append(path); // stays in the library, and is no rip of this job
            continue;
        }
        Planned planned{item, {path, QString()}};
        if (tree.Holds(path)) {
            planned.entry.workName = m_setAside.UniqueWorkName(FileNameOf(path));
            if (planned.entry.workName.isEmpty()) {
                m_setAside.SetEntries(before);
                return false;
            }
        }
        m_setAside.Append(planned.entry);
        plan.append(planned);
    }

    // Nothing moves before the journal says what will: the work folder and the journal first.
    if ((!IsFolder(workFolder) && !CreateDirectory(workFolder, nullptr)) || !IsFolder(workFolder)) {
        m_setAside.SetEntries(before);
        return false;
    }
    m_setAside.SetJob(job);
    if (!m_setAside.Save()) {
        m_setAside.SetEntries(before);
        m_setAside.EndJob();
        if (m_setAside.IsEmpty())
            RemoveDirectory(workFolder);
        return false;
    }

    for (const Planned& planned : plan) {
        const SetAsideEntry& entry = planned.entry;
        bool done = false;
        if (entry.workName.isEmpty()) {
            done = SUCCEEDED(library->remove(planned.item.Get(), VARIANT_FALSE));
        } else {
            // Copy, check the copy, take the entry out of the library, and only then delete.
            const QString work = m_setAside.WorkPath(entry);
            const qint64 size = FileSize(entry.path);
            if (!CopyFile(entry.path, work, TRUE)) {
                done = false;
            } else if (size < 0 || FileSize(work) != size) {
                DeleteFile(work);
            } else if (FAILED(library->remove(planned.item.Get(), VARIANT_FALSE))) {
                DeleteFile(work);
            } else {
                done = DeleteFile(entry.path);
            }
        }
        if (!done) {
            // Everything goes back; the job does not start.
            m_setAside.EndJob();
            RestoreSetAside();
            return false;
        }
    }

    if (PlayerContext().MajorVersion() >= 11) {
        for (long position = 0; position < media_info::Count(m_cdPlaylist.Get()); ++position)
            SelectForRip(int(position), true);
    }
    return true;
}

void CCDROMAcc::RestoreSetAside() {
    if (m_setAside.WorkFolder().isEmpty())
        return; // nothing was ever set aside
    IWMPMediaCollection* library = PlayerContext().Library();
    CEarlierRips(m_setAside, PlayerContext().Player(), library).Restore();
}

void CCDROMAcc::RemoveRippedTracks() {
    CEarlierRips rips(m_setAside, PlayerContext().Player(), PlayerContext().Library());
    QString ripFolder;
    QDateTime started;
    QStringList folders;
    if (const std::optional<SetAsideJob> job = m_setAside.Job()) {
        ripFolder = job->ripFolder;
        started = job->started;
        // The snapshot lists the job's rips; the disc's query is asked again in case the snapshot
        // is gone. Only the job's own rips are taken from either.
        QList<ComPtr<IWMPMedia>> items;
        for (long i = media_info::Count(m_snapshot.Get()) - 1; i >= 0; --i) {
            if (ComPtr<IWMPMedia> item = media_info::Item(m_snapshot.Get(), i))
                items.append(item);
        }
        QList<ComPtr<IWMPMedia>> queried;
        rips.FindJobEntries(&queried);
        items += queried;
        rips.RemoveJobRips(items, &folders);
        // A run that ends normally lists every rip it stores: only the folders it touched are looked into.
        rips.RemoveUnlistedJobRips(&folders, false);
        m_setAside.EndJob();
        m_setAside.Save();
    }
    m_snapshot = nullptr;
    RestoreSetAside();
    CEarlierRips::CleanUpFolders(ripFolder, folders, started);
}

bool CCDROMAcc::FolderHasOtherContent(const QString& folder) {
    WIN32_FIND_DATA data;
    const HANDLE search = FindFirstFile(folder + QStringLiteral("\\*.*"), &data);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool other = false;
    do {
        const QString name = data.cFileName;
        if (IsDotEntry(name))
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            other = true;
        } else {
            const QString extension = ExtensionOf(name).toLower();
            other = extension != QLatin1String("jpg") && extension != QLatin1String("jpeg") &&
                    name != QLatin1String("Thumbs.db") && name != QLatin1String("desktop.ini");
        }
    } while (!other && FindNextFile(search, &data));
    FindClose(search);
    return other;
}

void CCDROMAcc::DeleteFilesIn(const QString& folder) {
    WIN32_FIND_DATA data;
    const HANDLE search = FindFirstFile(folder + QStringLiteral("\\*.*"), &data);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const QString name = data.cFileName;
        if (!IsDotEntry(name) && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFile(folder + QLatin1Char('\\') + name);
    } while (FindNextFile(search, &data));
    FindClose(search);
}

QStringList CCDROMAcc::SetAsideList() const {
    QStringList paths;
    for (const SetAsideEntry& entry : m_setAside.Entries())
        paths.append(entry.path);
    return paths;
}
