#pragma once
// The preference backup files of the documents folder (WmpBackup00.reg to WmpBackup09.reg) as a set
// that outlives one run: which run wrote which, and which were given back already.
//
// Order: each backup carries the run's sequence number in a comment line after the two header
// lines ("; Ollivane backup 7"), one above the highest of the files in the folder when it was
// written. A copy of the folder keeps it, where it resets the files' times. The registry editor
// and every reader of the format skip that line: it has no value in it.
//
// Given back once: a backup that was applied but could not be deleted (a folder the user may not
// write, a file held open) is recorded with its content's digest in the program's own registry
// key, so that no later start applies it again over what the user has changed since. The record
// goes with the file.

#include <QString>
#include <QStringList>
#include <optional>

class CPreferenceBackupFiles {
public:
    static constexpr int kSlots = 10;

    // "WmpBackup07.reg", and that name in the folder (a Windows path).
    static QString SlotName(int n);
    static QString SlotPath(const QString& folder, int n);

    // The sequence line's text, and the number a backup's lines carry (none for files of older
    // runs).
    static QString SequenceLine(quint64 sequence);
    static std::optional<quint64> SequenceOf(const QStringList& lines);
    // The number for a backup written now: one above every number of the folder's files.
    static quint64 NextSequence(const QString& folder);

    // SHA-256 of the file's bytes, in hexadecimal; empty when it cannot be read.
    static QString Digest(const QString& winPath);
    // The record of a slot's file given back already: its digest then, empty without one.
    static QString AppliedDigest(int n);
    static bool MarkApplied(int n, const QString& digest);
    static void ForgetApplied(int n);

    // Where the records live: a key of the program's own, beside its settings.
    static const QString& AppliedKey();
};
