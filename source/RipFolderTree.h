#pragma once
// The player's rip folder and the folders below it, as the earlier-rips code judges paths: which
// rips are set aside, which rips of a job may be deleted, which folders may be cleaned up. Paths are
// Windows paths with "\" as separator; every test is on the text alone.

#include <QString>

class CRipFolderTree {
public:
    // Trailing "\" are dropped, so "C:\Music\" and "C:\" are judged like "C:\Music" and "C:".
    explicit CRipFolderTree(const QString& ripFolder);
    const QString& Folder() const { return m_folder; }

    // The rip folder's two-level tree on a plain text prefix: the file's folder begins with the rip
    // folder and holds two more "\" from where the rip folder ends. So "C:\Music\Artist\Album\01.wma"
    // lies in "C:\Music", "C:\Music\Album\01.wma" does not, and with "C:\Mus" so does
    // "C:\Music\A\B\x.wma". False for an empty rip folder.
    bool Holds(const QString& path) const;
    // A folder that is the rip folder's own sub-folder or lies deeper, with the rip folder ending at
    // a name boundary ("C:\Music\A", never "C:\Music" itself, "C:\Musicals\A" or "C:\Other").
    bool HoldsFolder(const QString& folder) const;
    // A file of the two-level tree whose folder is held as above: what clean-up may delete.
    bool HoldsFile(const QString& path) const;

private:
    QString m_folder;
};
