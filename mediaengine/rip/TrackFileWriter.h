#pragma once
// Writes one ripped file under a temporary name in its final folder and renames it only when it is
// complete, so a file under its final name is always whole. Write errors (a full disk, a folder that
// cannot be written) are reported with the system's reason.

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
    // Flushes the data to the disk and renames the file to its final name, replacing an older file.
    bool Commit(QString* error);
    // Closes and deletes the temporary file.
    void Discard();

    qint64 Size() const { return m_size; }
    QString TempPath() const { return m_tempPath; }

private:
    int m_fd = -1;
    QString m_finalPath;
    QString m_tempPath;
    qint64 m_size = 0;
};
