#pragma once
// The steps that take a job's rips away and put the earlier rips back, shared by the end of a job
// (CCDROMAcc::RemoveRippedTracks, RestoreSetAside) and by the start after a crash
// (CCDROMAcc::ReplayJournal), so both judge every file by the same rules:
//
// - a file is deleted only when it is a rip of the job: in the rip folder's tree, not among the
//   disc's entries that were in the library before the rip, and not an earlier rip itself (an
//   earlier rip whose copy in the work folder is missing or holds the same bytes is still, or
//   again, at its place);
// - an earlier rip goes back only onto a free path, into folders made for it where they are gone,
//   and it leaves the work folder only once it is at its place; otherwise it waits, with its entry,
//   for the next try. Only a path that holds a file is added to the library.

#include "platform/com/ComPtr.h"
#include "platform/wmp/Wmp.h"
#include "source/SetAsideJournal.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class CEarlierRips {
public:
    struct Restored {
        int back = 0;    // earlier rips at their place and in the library again
        int waiting = 0; // entries kept for the next try
    };

    // The player reads a file's tags (newMedia); the library lists, removes and adds entries.
    CEarlierRips(CSetAsideJournal& journal, IWMPPlayer4* player, IWMPMediaCollection* library);

    // The library entries a job's record names: by the disc's TOC, or by its album name when the TOC
    // is empty or cannot be asked. False when the library cannot answer.
    bool FindJobEntries(QList<ComPtr<IWMPMedia>>* items) const;
    // The item's file is a rip of the journal's job (see above). False without a job.
    bool IsJobRip(const QString& path) const;
    // The cheap half of IsJobRip, for counting the job's rips while it runs: in the rip folder's
    // tree and not an entry the set-aside left in the library as the user's. Earlier rips are out
    // of the library by then, so their files need no look.
    bool MayBeJobRip(const QString& path) const;
    // Takes every rip of the job among items out of the library and off the disk, and removes
    // their folders when empty; the folders they lay in, each once. Returns how many went.
    int RemoveJobRips(const QList<ComPtr<IWMPMedia>>& items, QStringList* folders);
    // A rip the player wrote but never listed (a run killed between the two) may stand where an
    // earlier rip waits to go back, or in another folder of the rip folder's tree. It is a rip of
    // the job when it lies in that tree, was written after the job began and its tags name the
    // job's disc; then it goes. Only folders the job touched are looked into: those in `folders`
    // (the job's listed rips) and those of the earlier rips; with changedFolders (a start after a
    // run cut short, which may have written a rip it never listed anywhere) also every album folder
    // whose entries changed since the job began. Returns how many.
    int RemoveUnlistedJobRips(QStringList* folders, bool changedFolders);
    // Puts every entry back that can go back, newest first for entries of one path; the journal
    // keeps the others (and is deleted, with the empty work folder, when none are left).
    Restored Restore();

    // For each folder and then its parent, while they lie inside the rip folder's tree, were made
    // by the job that began at `started` and hold nothing but pictures and the shell's Thumbs.db /
    // desktop.ini written since: those files go, then the folder. A folder that stood before the
    // job, or holds an older file, is the user's and stays.
    static void CleanUpFolders(const QString& ripFolder, const QStringList& folders,
                               const QDateTime& started);

    static QString SourcePath(IWMPMedia* item);

private:
    enum class Step { Back, Waiting };
    Step RestoreOne(SetAsideEntry* entry);
    bool AddToLibrary(const QString& path) const;
    bool IsUnlistedJobRip(const QString& path, const QDateTime& written) const;
    static bool ExistedBefore(const QString& folder, const QDateTime& started);
    void DeleteJobRip(const QString& path, QStringList* folders) const;

    CSetAsideJournal& m_journal;
    IWMPPlayer4* m_player;
    IWMPMediaCollection* m_library;
};
