#pragma once
// The CD source: finds the PC's CD drives and lists them, opens the disc in the chosen drive
// through the player and tells an audio CD from an empty drive, a data disc or a DVD; shows the
// disc's tracks with lengths and estimated sizes and its album title; prepares the tracks' tags,
// has the player rip the whole disc into its library, follows the rip in the progress window, and
// finds the ripped tracks in the library again. It reaches the player only through the player
// context and the player's own interfaces, on the UI thread.

#include "platform/com/ComPtr.h"
#include "platform/wmp/Wmp.h"
#include "source/BasicDrive.h"
#include "source/SetAsideJournal.h"
#include "ui/TrackRenamer.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

class CReportCtrl;
class CStaticEx;

class CCDROMAcc : public CBasicDrive, public ITrackRenamer {
public:
    // A disc has at most 99 tracks; the sizes and the track list's chosen tracks hold as many.
    static constexpr int kMaxTracks = 99;
    // After the player reports a changed disc, the drive gets this long to settle.
    static constexpr DWORD kMediaChangePauseMs = 3000;
    static constexpr COLORREF kTrackBackColor = 0x3E3E3E;
    static constexpr COLORREF kTrackTextColor = 0xFFFFFF;
    static constexpr COLORREF kNoDiscColor = 0x1200EB;
    // The player's names for an empty drive and for a disc without album data.
    static const QString kNoDiscName;
    static const QString kNoAlbumName;

    CCDROMAcc();
    ~CCDROMAcc() override;

    // --- drives ----------------------------------------------------------------------------
    // Takes the drive combo box; false for none. The player is not bound here: it is the player
    // context's.
    bool Attach(CMyComboBox* comboBox) override;
    // Lets go of every player reference held.
    void Detach() override;
    // Lists the CD drives (C: to Z:) in the combo box and selects the first (selectDefault) or the
    // one selected before. State 1 with drives, 0 without.
    void Refresh(bool selectDefault, bool closeDropDown) override;
    // Opens the disc of the selected drive through the player; with audioOnly only an audio CD is
    // accepted, and state 2 follows. False for no drive, no disc, a data disc or a DVD.
    bool OpenDisc(bool audioOnly);
    // The root folder of `root` ("D:") shows no DVD folder and no .mp3 or .wma file; false when it
    // cannot be read at all.
    static bool IsAudioOnlyRoot(const QString& root);
    // The number of tracks; with reopen the disc is opened again first.
    int TrackCount(bool reopen);
    // Position of the selected drive among the player's CD drives; -1 for none.
    int DriveIndex() const { return m_driveIndex; }
    // The player reported a disc change in its drive `cdromNumber`. False when that is not the
    // selected drive (nothing happens). Otherwise waits for the drive to settle, lists the drives
    // again and opens the disc: GetState() then tells whether an audio CD is in.
    bool OnCdromMediaChange(long cdromNumber);

    // --- track list ------------------------------------------------------------------------
    // The track list and the two read-outs (total size, album title); true when all are given.
    bool SetDisplayControls(CReportCtrl* trackList, CStaticEx* totalSize, CStaticEx* album);
    // Fills the track list from the disc: titles, lengths, estimated sizes at the rip's bit rate
    // (bits per second), check marks (all with checkAll, otherwise as they were).
    void FillTrackList(DWORD bitRate, bool checkAll);
    // Set once FillTrackList has filled the list; cleared while it works.
    bool IsTrackListComplete() const { return m_trackListComplete; }
    // The list was filled from the disc now open in the selected drive (same drive, same TOC) and
    // shows a row for each of its tracks: only then do its ticks and sizes say anything about it.
    bool IsTrackListCurrent() const;
    // With the disc open (state 2) and the list not current, fills it again and shows the album:
    // another disc gets every track ticked, the same disc keeps the user's ticks. True when filled.
    bool RefreshTrackList(DWORD bitRate);
    // Estimated size in megabytes of the track at position 0..98; 0 for others.
    double TrackSize(int position) const;
    double TotalSize() const { return m_totalSize; }
    // Megabytes an estimate gives for `seconds` at `bitRate`.
    static double EstimatedMegabytes(double seconds, DWORD bitRate);
    void ShowAlbumTitle();
    QString GetAlbumTitle() const;
    bool SetAlbumTitle(const QString& title);
    HRESULT GetCdItem(int position, ComPtr<IWMPMedia>* item) const;
    bool IsCdPlaylist(IWMPPlaylist* playlist) const;
    // Names the track as the user typed it in the list.
    bool RenameTrack(int trackNumber, const QString& title) override;
    // Free megabytes on the drive of `path` ("C:\..."); 0 when it cannot be asked.
    static float FreeMegabytes(const QString& path);

    // --- rip -------------------------------------------------------------------------------
    HRESULT SelectForRip(int position, bool selected);
    // This disc's rips in the library, found by the disc's TOC (or its album name); with
    // checkedOnly reduced to the chosen tracks. Null when the library cannot be asked.
    ComPtr<IWMPPlaylist> FindAlbumInLibrary(bool checkedOnly);
    int AlbumCount() const;
    // The disc's rips in the library are in track order, one per track.
    bool CheckAlbumOrder();
    // Album, artist and (models 1 and 2) numbered titles written onto the disc's tracks before the
    // rip, so the ripped files carry them.
    bool PrepareTrackTags(int model);
    // Names and album data of the disc's tracks written onto its rips in the library.
    bool CopyTagsToLibrary();
    // Keeps the album query as it stands before the rip; by the end it lists the run's rips.
    bool TakeAlbumSnapshot();
    IWMPPlaylist* Snapshot() const { return m_snapshot.Get(); }
    // 0 started, track count x 100 when the library already holds the whole disc, -1 failed.
    int StartRip();
    // Follows the rip: value 0 asks (and opens the progress window), a rip value (track number -
    // 1) x 100 + percent records progress. Returns the value, track count x 100 when the whole
    // disc is in the library, -1 when the rip cannot be followed, -2 for a track ripped without
    // data.
    int RipProgress(int value);
    // Ejects the disc (eject) or stops the player's rip (player 11 and later).
    void StopOrEject(bool eject);

    // --- earlier rips and clean-up (CDROMAccEarlierRips.cpp, CDROMAccJournalReplay.cpp) -----
    // Before a job the disc's earlier rips leave the library; those in the rip folder's tree wait
    // in the work folder (documents\Orlen) under names of their own. After the job its own rips go
    // and the earlier ones come back. What is set aside is written to a journal in the work folder
    // (flushed) before anything moves, so a start after a crash can put it back.

    // Takes the disc's library entries whose file is gone out of the library. False when the
    // library cannot be asked or an entry cannot be taken or removed.
    bool PruneMissingFiles();
    // Sets the disc's earlier rips aside for a job that rips into ripFolder: each file in the tree
    // is copied into the work folder, the copy checked, the entry taken out of the library and only
    // then the file deleted; entries outside the tree only leave the library. False when the job
    // must not start (no documents or work folder, no journal, a copy that fails or comes out
    // short, a file gone or locked): everything set aside is then back.
    bool SetAsideEarlierRips(const QString& ripFolder);
    // The file lies in the rip folder's two-level tree (rip folder\artist\album), on a plain text
    // prefix of its folder.
    static bool LiesInRipTree(const QString& ripFolder, const QString& path);
    // Puts every earlier rip back that can go back: onto its path when that is free (its folders
    // made again), into the library when its path holds a file. Those that cannot wait, with their
    // journal entries, for the next restore or start; the list then holds only them.
    void RestoreSetAside();
    // After every job that started (whatever its end): takes the job's own rips (entries that came
    // into the library after the set-aside, in the rip folder's tree) out of the library and off
    // the disk, lets the snapshot go, puts the earlier rips back, and removes the job's emptied
    // folders inside the rip folder's tree.
    void RemoveRippedTracks();
    // The folder holds a sub-folder or a file other than pictures (.jpg, .jpeg), "Thumbs.db" and
    // "desktop.ini". A folder that cannot be searched holds nothing.
    static bool FolderHasOtherContent(const QString& folder);
    // Deletes every file of the folder; sub-folders stay.
    static void DeleteFilesIn(const QString& folder);
    // The earlier rips waiting to go back, in the order they were taken.
    const QList<SetAsideEntry>& SetAsideEntries() const { return m_setAside.Entries(); }
    QStringList SetAsideList() const;

    struct JournalReplay {
        enum class Outcome {
            Nothing,          // no journal: the last run ended normally
            Replayed,         // the job's rips are gone and every earlier rip is back
            Partly,           // some earlier rips (or the job's rips) wait for the next start
            CorruptKeptAside, // the journal does not read back: renamed (keptAsideAs), not acted on
            Unreadable,       // the journal cannot be read now: left as it is
            NoLibrary         // the player's library is not there: left as it is
        };
        Outcome outcome = Outcome::Nothing;
        int restored = 0;      // earlier rips back at their paths and in the library
        int waiting = 0;       // earlier rips still in the work folder, with their entries
        int removedRips = 0;   // rips of the cut-short job taken away
        bool ripsLeft = false; // the job's rips could not be looked for (the library did not answer)
        QString keptAsideAs;   // the corrupt journal's new name in the work folder; empty if not renamed
        QString workFolder;    // where the earlier rips wait; empty when there is no work folder
    };
    // For the main window's start, once the player context is attached: replays a journal that a
    // cut-short run left in the work folder. The job's rips leave the library and the disk, the
    // earlier rips go back to their paths and into the library, and the journal and the work
    // folder go when nothing is left. A corrupt journal is kept aside and reported, never acted on.
    static JournalReplay ReplayJournal();

private:
    ComPtr<IWMPCdrom> SelectedCdrom() const;
    bool IsChosen(int trackNumber) const;
    void FillRows(DWORD bitRate, bool checkAll);
    ComPtr<IWMPMedia> AlbumItemOfTrack(IWMPPlaylist* album, int trackNumber) const;
    int CheckRippedSizes(IWMPPlaylist* album);

    QString m_documentsFolder; // the user's documents, parent of the work folder for earlier rips
    QPointer<CReportCtrl> m_trackList;
    QPointer<CStaticEx> m_totalSizeText;
    QPointer<CStaticEx> m_albumText;
    ComPtr<IWMPCdromCollection> m_cdroms;
    ComPtr<IWMPPlaylist> m_albumPlaylist;
    ComPtr<IWMPPlaylist> m_cdPlaylist;
    ComPtr<IWMPPlaylist> m_snapshot;
    CSetAsideJournal m_setAside; // the set-aside list with its journal
    int m_driveIndex = -1;
    int m_trackCount = 0;
    double m_totalSize = 0;
    std::array<double, kMaxTracks> m_trackSizes{};
    int m_lastCheckedTrack = -1;
    bool m_trackListComplete = false;
    // The drive and the disc (its TOC) the list was last filled from.
    int m_filledDrive = -1;
    QString m_filledToc;
    // A rename inside the fill asks for the list again: it is filled once more afterwards.
    bool m_filling = false;
    bool m_refillWanted = false;
};
