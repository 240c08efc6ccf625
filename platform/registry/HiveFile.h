#pragma once
// The on-disk form of one registry root: a text file in the registry editor's export format
// ("Windows Registry Editor Version 5.00", [HKEY_...\Key] sections, "Name"="text", dword:, hex:),
// so a user can read it, edit it and import it on Windows. Saves are atomic (temporary file, fsync,
// rename), so a crash leaves the old or the new hive, never a torn one; writers in different
// processes take a lock file beside the hive.

#include "platform/registry/HiveLock.h"
#include "platform/registry/RegKey.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

class CHiveFile {
public:
    // rootName is the root's own name ("HKEY_CURRENT_USER"); sections naming another root are skipped.
    CHiveFile(const QString& path, const QString& rootName);

    const QString& Path() const { return m_path; }

    // Reads the hive. A missing file is an empty root; a line that cannot be understood is skipped
    // with a warning naming the file and line.
    CRegKey Load();
    // True when the file is no longer the one last loaded or saved here: another process saved it,
    // someone edited or removed it. Savers replace the file (new inode), which is always seen; a
    // same-size rewrite in place within one file-time tick is seen only at the next change.
    bool ChangedOnDisk() const;
    // Writes the whole root atomically. Returns a Win32 error code.
    LONG Save(const CRegKey& root);
    // Takes the writer lock, waiting up to timeoutMs. Null with *error set when it cannot be had.
    std::unique_ptr<CHiveLock> Lock(int timeoutMs, LONG* error) const;

    static QByteArray Serialize(const CRegKey& root);
    // source names the file in warnings. *skipped (optional) counts the lines that were dropped.
    static CRegKey Parse(const QByteArray& bytes, const QString& rootName, const QString& source,
                         int* skipped = nullptr);

private:
    struct SStamp {
        bool exists = false;
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t mtimeNs = 0;
        bool operator==(const SStamp&) const = default;
    };
    SStamp Stat() const;

    QString m_path;
    QString m_rootName;
    SStamp m_stamp;
    // The file exists but could not be read: saving would replace what we never saw.
    bool m_unreadable = false;
    // The last load dropped lines: the first save keeps a copy of the original beside the hive.
    bool m_keepOriginal = false;
};
