#pragma once
// A binary CD-Text file (a CUE sheet's CDTEXTFILE): the 18-byte packs a drive reads from the disc's
// lead-in, with or without the 4-byte length header, in up to eight language blocks. Every pack's
// CRC is checked, so a damaged file is refused rather than shown as garbled titles.

#include "mediaengine/disc/DiscInfo.h"

#include <QByteArray>
#include <QMap>
#include <QString>

class CCdTextFile {
public:
    // Takes the Japanese (MS-JIS) block when `preferJapanese` and the disc has one, else the first.
    // False with a reason (without the file's name) when the bytes are no intact CD-Text.
    bool Parse(const QByteArray& bytes, bool preferJapanese, QString* error);

    QString Album() const { return m_text.value(0).title; }
    QString Performer() const { return m_text.value(0).performer; }
    QString Title(int track) const { return m_text.value(track).title; }
    QString TrackPerformer(int track) const { return m_text.value(track).performer; }
    // The language code of the block taken (0x69 Japanese, 0x09 English, ...).
    int Language() const { return m_language; }

    // Fills the fields this text has over those of `info`.
    void ApplyTo(DiscInfo* info) const;

    // True for the user's language being Japanese, by the application's locale.
    static bool UserPrefersJapanese();
    // The CRC a pack stores in its last two bytes, over its first 16 (CRC-16 CCITT, inverted).
    static quint16 PackCrc(const uchar* pack);

private:
    struct Entry {
        QString title;
        QString performer;
    };
    QMap<int, Entry> m_text; // by track, 0 for the album
    int m_language = 0;
};
