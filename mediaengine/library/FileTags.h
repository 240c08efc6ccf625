#pragma once
// Reads and writes the tags of an audio file with TagLib, in the engine's attribute names. MP3 files
// get ID3v2.3 frames in UTF-16, so Japanese text survives every player; other formats go through
// TagLib's generic tag. Attributes without a frame of their own live in a TXXX frame of that name.

#include <QMap>
#include <QString>

class CFileTags {
public:
    // Attributes of the file at hostPath: "Title", "Artist", "WM/AlbumArtist", "Album",
    // "WM/AlbumTitle", "WM/TrackNumber", "WM/Genre", "WM/Year", "Duration" (seconds), "Bitrate"
    // (bits per second), "FileSize", "FileType" (extension, lower case), "MediaType" ("audio"), and
    // every TXXX frame by its description. False with a reason when the file cannot be read.
    static bool Read(const QString& hostPath, QMap<QString, QString>* attributes, QString* error);
    // Writes one attribute into the file's tag. False with a reason when the file cannot be written.
    static bool Write(const QString& hostPath, const QString& name, const QString& value, QString* error);
};
