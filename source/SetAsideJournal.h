#pragma once
// The set-aside list of a CD source and its journal. Before a job rips a disc, the earlier rips of
// that disc leave the player's library and, when they lie in the rip folder's tree, move into the
// work folder; after the job they go back. What was taken where is written to a journal file in
// the work folder, and flushed, before any file moves or any library entry goes, so that a start
// after a crash can put everything back (CCDROMAcc::ReplayJournal).
//
// The journal also names the job that is running: its rip folder, the disc (TOC or album name) and
// the disc's library entries that stay where they are. A start after a crash finds the job's own
// rips with it and takes them away again.
//
// The file: one line "Ollivane set-aside journal 1 <SHA-256 of the rest, hex>" and a JSON object.
// A file that does not read back exactly (cut short, changed) is corrupt and is never acted on.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One earlier rip taken out of the library.
struct SetAsideEntry {
    // Where the file lay, and goes back to.
    QString path;
    // Its own name in the work folder; empty when the file stayed at path and only left the library.
    QString workName;

    bool operator==(const SetAsideEntry&) const = default;
};

// The job the entries were set aside for.
struct SetAsideJob {
    QString ripFolder;
    // What finds the disc's entries in the library: its TOC, or its album name when the TOC is empty.
    QString toc;
    QString album;
    // Paths of the disc's entries that stayed in the library: they are no rips of the job.
    QStringList kept;
    // When the job began (UTC): a file written before then is no rip of the job.
    QDateTime started;

    bool operator==(const SetAsideJob&) const = default;
};

class CSetAsideJournal {
public:
    // The work folder's name inside the user's documents folder, and the journal's inside it.
    static const QString kWorkFolderName;
    static const QString kJournalName;

    enum class LoadStatus {
        Missing, // no journal: nothing was left over
        Loaded,
        Corrupt,   // the file is there but does not read back; kept as it is
        Unreadable // the file is there but cannot be opened now (an absent drive, no permission)
    };

    // documentsFolder + "\Orlen".
    void SetWorkFolder(const QString& workFolder) { m_workFolder = workFolder; }
    const QString& WorkFolder() const { return m_workFolder; }
    QString JournalPath() const;
    // Where the entry's file waits; empty for an entry that has no file in the work folder.
    QString WorkPath(const SetAsideEntry& entry) const;

    // --- the list, in the order the entries were taken out ------------------------------------
    const QList<SetAsideEntry>& Entries() const { return m_entries; }
    void Append(const SetAsideEntry& entry) { m_entries.append(entry); }
    void SetEntries(const QList<SetAsideEntry>& entries) { m_entries = entries; }
    const std::optional<SetAsideJob>& Job() const { return m_job; }
    void SetJob(const SetAsideJob& job) { m_job = job; }
    void EndJob() { m_job.reset(); }
    // Nothing waits and no job runs: the journal can go.
    bool IsEmpty() const { return m_entries.isEmpty() && !m_job; }
    void Clear();

    // A name in the work folder for a file called fileName that no entry uses (compared without
    // regard to case, as Windows names are), that no file of the work folder has and that is none
    // of the journal's own: the name itself when it is free, else "<title> (2).<ext>", (3), ...
    // Empty when no name can be found free (a work folder that cannot be looked at).
    QString UniqueWorkName(const QString& fileName) const;
    // A work name read from a journal must be a plain name of the folder, never a path.
    static bool IsPlainWorkName(const QString& name);

    // --- the file -----------------------------------------------------------------------------
    // Reads the work folder's journal into this object (its entries and job replace the held
    // ones when it loads; otherwise they stay).
    LoadStatus Load();
    // Writes the journal under a temporary name, flushes it to the disk and puts it in place of the
    // old one; when nothing is left to record, deletes the journal instead. False when it cannot be
    // written (the old journal then stays as it was).
    bool Save() const;
    // Renames a corrupt journal to "Orlen.journal.bad" (or .bad2, .bad3 ...) so it is kept but no
    // longer read; the new name, or empty when it could not be renamed.
    QString KeepAside() const;
    // Leftovers of work that was cut short: the journal's temporary file and copies into the work
    // folder that never finished (their temporary files). They are never a user's file.
    void RemoveStaleTemporaries() const;

    static QByteArray Serialize(const QList<SetAsideEntry>& entries, const std::optional<SetAsideJob>& job);
    // False for anything but exactly what Serialize writes for valid entries.
    static bool Parse(const QByteArray& bytes, QList<SetAsideEntry>* entries,
                      std::optional<SetAsideJob>* job);

private:
    QString m_workFolder;
    QList<SetAsideEntry> m_entries;
    std::optional<SetAsideJob> m_job;
};
