#pragma once
// The media player's own preferences, taken over for the length of one run: they are read, saved
// to a backup file in the registry editor's text format (WmpBackup00.reg to WmpBackup09.reg in the
// user's documents folder), replaced by the values our rip needs, and written back from that file
// at the end. The same class answers whether the player is installed and which version it is.

#include "platform/win/WinTypes.h"

#include <QString>
#include <QStringList>
#include <cstdint>

class CWmpRegAcc {
public:
    CWmpRegAcc();
    virtual ~CWmpRegAcc();
    CWmpRegAcc(const CWmpRegAcc&) = delete;
    CWmpRegAcc& operator=(const CWmpRegAcc&) = delete;

    // The player's installation entry under HKEY_LOCAL_MACHINE says "IsInstalled" = 1.
    bool IsPlayerInstalled();
    // The major version from the first two characters of the entry's "Version" text ("10,0,..."
    // gives 10, "9,0,..." gives 9); -1 when the text is missing or longer than 15 characters.
    int32_t GetPlayerVersion();

    // Reads the preferences into the members; false when the key or "ForceOnline" cannot be read.
    // A missing "ForceOnline" reads as 0 and the other values are still read.
    bool ReadPreferences();
    // Writes the seventeen members in their fixed order; stops with false at the first failed write.
    bool WritePreferences();
    // Saves the present values to the first free backup file; silent when none can be written.
    void BackupPreferences();
    // Reads, backs up, and writes our own values; the result of that final write.
    bool OverridePreferences();
    // The file-naming pattern: 1 and 2 name the two pattern variants, every other value the default.
    void SetFileDetailType(int type);
    // Writes the backed-up values back and deletes the backup file, whatever happened before.
    void RestorePreferences();
    // Backup files left by runs that ended without giving the preferences back, applied newest
    // first (by the runs' sequence numbers) so the oldest (the user's own values) wins; each is
    // deleted once applied, or recorded as applied when it cannot be deleted, and never applied
    // twice. Only for a run that knows no other run is alive. Returns the files that stayed
    // (unreadable, not a backup, not applied, applied but not deleted), each also named in a warning.
    QStringList RestoreLeftoverBackups();

    // Read by the main window for the CD side: the rip folder and the MP3 bit rate.
    QString RecordPath() const { return m_recordPath; }
    int32_t Mp3RecordRate() const { return m_mp3RecordRate; }
    QString FileDetail() const { return m_fileDetail; }
    // The backup file of this run; empty when none was written.
    QString BackupPath() const { return m_backupPath; }

    static const QString& PreferencesKey();
    static const QString& PlayerSetupKey();
    // The three file-naming patterns, by file-detail type 0, 1 and 2.
    static const QString& FileDetailPattern(int type);

    // Most lines of a backup file one restore reads (the two header lines count as one).
    static constexpr int kMaxRestoreReads = 100;

private:
    bool ReadDword(const QString& name, int32_t* member);
    bool ReadString(const QString& name, QString* member);
    bool WriteDword(const QString& name, int32_t value);
    bool WriteString(const QString& name, const QString& value);
    // The backup's lines for the values present now, header included.
    QStringList BackupLines() const;
    // Applies backup lines to the open key; stops at the read limit or a wrong header. True when
    // the header was accepted and no write failed (lines it refuses do not count as failures).
    bool RestoreLines(const QStringList& lines);
    bool RestoreLine(const QString& line);

    QString m_recordPath;
    HKEY m_hKey = nullptr;
    int32_t m_forceOnline = -1;
    int32_t m_recordMode = -1;
    int32_t m_recordMp3 = -1;
    int32_t m_recordDrm = -1;
    int32_t m_firstCopy = -1;
    int32_t m_autoCopy = -1;
    int32_t m_autoEject = -1;
    int32_t m_wmaRecordRate = 0;
    int32_t m_mp3RecordRate = 0;
    QString m_fileDetail;
    QString m_fileSeparator;
    int32_t m_silentAcquisition = -1;
    int32_t m_metadataRetrieval = -1;
    int32_t m_autoMetadataUpdate = -1;
    int32_t m_autoRename = -1;
    int32_t m_autoOrganize = -1;
    QString m_backupPath;
    int m_backupSlot = -1; // the number of the backup file, -1 without one

    // True once the preference values were read from the registry (its key exists). Until then the
    // members that our override leaves alone hold placeholders, not the user's values, and are
    // not written over what the registry holds.
    bool m_valuesRead = false;
    // What the backup file holds (or should have held), kept so that a backup that could not be
    // written, or that vanished during the run, still gives the user's values back.
    QStringList m_backupLines;
    bool m_backupWritten = false;
};
