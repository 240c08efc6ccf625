#pragma once
// Writes one ripped file under a temporary name in its final folder and renames it only when it is
// complete, so a file under its final name is always whole. Write errors (a full disk, a folder that
// cannot be written) are reported with the system's reason.
//
// A file already at the final name is never replaced: it may be the user's own. The rip takes the
// next free name "<name> (2).mp3", (3), ... instead. The temporary file is locked while it is
// written, so that a process ended half-way leaves one that a later sweep can tell apart from a
// file another process is still writing.

#include <QByteArray>
#include <QString>

class CTrackFileWriter {
public:
    CTrackFileWriter() = default;
    ~CTrackFileWriter(); // discards a file that was not committed
    CTrackFileWriter(const CTrackFileWriter&) = delete;
    CTrackFileWriter& operator=(const CTrackFileWriter&) = delete;

    // Creates `folder` and its missing parents.
    static bool MakeFolders(const QString& folder, QString* error);

    // Creates the temporary file beside `finalPath`; the folder must exist.
    bool Open(const QString& finalPath, QString* error);
    bool Write(const QByteArray& bytes, QString* error);
    // Overwrites bytes already written.
    bool WriteAt(qint64 offset, const QByteArray& bytes, QString* error);
    // Flushes the data to the disk (a full disk may only show here); the file stays temporary.
    bool Flush(QString* error);
    // Flushes the data to the disk and gives the file its final name, or the next free one.
    bool Commit(QString* error);
    // The name the file was committed under, else the name asked for.
    QString FinalPath() const { return m_finalPath; }
    // Closes and deletes the temporary file.
    void Discard();

    // Deletes the temporary files of writers that ended without committing or discarding (a
    // process killed half-way) in `folder` and its subfolders down to `depth` levels; files that
    // are still being written are left alone. Returns how many went.
    static int SweepAbandoned(const QString& folder, int depth);

    qint64 Size() const { return m_size; }
    QString TempPath() const { return m_tempPath; }

private:
    int m_fd = -1;
    QString m_finalPath;
    QString m_tempPath;
    qint64 m_size = 0;
};
