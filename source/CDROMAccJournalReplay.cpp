// The start after a crash: a job's journal left in the work folder is replayed.

#include "source/CDROMAcc.h"

#include "platform/files/FileOps.h"
#include "platform/files/KnownFolders.h"
#include "source/EarlierRips.h"
#include "source/PlayerContext.h"

CCDROMAcc::JournalReplay CCDROMAcc::ReplayJournal() {
    JournalReplay result;
    QString documents;
    if (FAILED(SHGetFolderPath(nullptr, CSIDL_PERSONAL, nullptr, 0, &documents)))
        return result; // no documents folder: no work folder either
    CSetAsideJournal journal;
    journal.SetWorkFolder(documents + QLatin1Char('\\') + CSetAsideJournal::kWorkFolderName);
    const DWORD attributes = GetFileAttributes(journal.WorkFolder());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return result;
    result.workFolder = journal.WorkFolder();
    switch (journal.Load()) {
    case CSetAsideJournal::LoadStatus::Missing:
        // Only what a job of ours left unfinished goes; anything else in the folder stays.
        journal.RemoveStaleTemporaries();
        RemoveDirectory(journal.WorkFolder());
        return result;
    case CSetAsideJournal::LoadStatus::Unreadable:
        result.outcome = JournalReplay::Outcome::Unreadable;
        return result;
    case CSetAsideJournal::LoadStatus::Corrupt:
        // Never acted on: the files it may name stay where they are, the journal under a name
        // that no later job reads or writes.
        result.outcome = JournalReplay::Outcome::CorruptKeptAside;
        result.keptAsideAs = journal.KeepAside();
        return result;
    case CSetAsideJournal::LoadStatus::Loaded:
        break;
    }
    IWMPMediaCollection* library = PlayerContext().Library();
    if (!library) {
        result.outcome = JournalReplay::Outcome::NoLibrary;
        return result;
    }
    journal.RemoveStaleTemporaries();
    CEarlierRips rips(journal, PlayerContext().Player(), library);
    QString ripFolder;
    QDateTime started;
    QStringList folders;
    if (const std::optional<SetAsideJob> job = journal.Job()) {
        ripFolder = job->ripFolder;
        started = job->started;
        QList<ComPtr<IWMPMedia>> items;
        if (rips.FindJobEntries(&items)) {
            result.removedRips =
                rips.RemoveJobRips(items, &folders) + rips.RemoveUnlistedJobRips(&folders, true);
            journal.EndJob();
            journal.Save();
        } else {
            // Kept for the next start; what goes back now is marked as no rip of the job.
            result.ripsLeft = true;
        }
    }
    const CEarlierRips::Restored restored = rips.Restore();
    CEarlierRips::CleanUpFolders(ripFolder, folders, started);
    result.restored = restored.back;
    result.waiting = restored.waiting;
    result.outcome = restored.waiting > 0 || result.ripsLeft ? JournalReplay::Outcome::Partly
                                                             : JournalReplay::Outcome::Replayed;
    return result;
}
