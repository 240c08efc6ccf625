#pragma once
// A cdrdao TOC file, prepared for libcdio: libcdio opens the audio files a TOC names relative to
// the process's working folder, so the names are resolved against the TOC's folder (as its author
// meant them, see CCueSheet::ResolveName) and written back as absolute paths.

#include <QByteArray>
#include <QString>

class CCdrdaoToc {
public:
    // False with a reason naming the TOC file and line.
    bool Load(const QString& tocPath, QString* error);
    // The TOC with absolute file names.
    QByteArray Text() const { return m_text; }
    // Sectors of the last track's START pregap, 0 without one.
    int LastTrackPregap() const { return m_lastTrackPregap; }

private:
    QByteArray m_text;
    int m_lastTrackPregap = 0;
};
