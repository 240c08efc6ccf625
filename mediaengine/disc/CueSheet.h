#pragma once
// What the reader checks of a CUE sheet before libcdio parses it. libcdio accepts a great deal of
// nonsense silently and derives the BIN's name from the CUE's own name instead of its FILE line;
// this scan finds the BIN the sheet really names and refuses what libcdio cannot read.

#include <QString>

class CCueSheet {
public:
    // False with a reason for a file that is no readable CUE sheet of one BIN image.
    bool Load(const QString& cuePath, QString* error);

    QString CuePath() const { return m_cuePath; }
    // Host path of the image file its FILE line names, resolved against the sheet's folder.
    QString BinPath() const { return m_binPath; }
    int TrackCount() const { return m_trackCount; }
    // "MOTOROLA" images hold big-endian samples.
    bool BigEndian() const { return m_bigEndian; }

private:
    QString m_cuePath;
    QString m_binPath;
    int m_trackCount = 0;
    bool m_bigEndian = false;
};
