#pragma once
// The answers of a CDDB server over HTTP: to "cddb query" (the entries that match a disc) and to
// "cddb read" (one entry in the xmcd format). Pure functions of the bytes.
//
// An entry is UTF-8 when the server speaks protocol level 6; older entries are in a legacy
// character set. The whole reply is decoded the way disc text is (strict UTF-8, else Shift_JIS,
// else ISO-8859-1), so a Japanese entry in Shift_JIS reads as Japanese.

#include "mediaengine/lookup/DiscNames.h"

#include <QByteArray>
#include <QList>
#include <QString>

struct CddbMatch {
    QString category; // letters only, so it can go into the read command as it is
    QString discId;   // 8 hexadecimal digits
    QString title;    // "artist / album", for the log
};

struct CddbReply {
    enum class Outcome { Found, NotFound, TrackCountDiffers, Malformed, ServerError };
    Outcome outcome = Outcome::Malformed;
    QList<CddbMatch> matches; // query: exact matches first, as the server listed them
    DiscNames names;          // read
    QString reason;

    static CddbReply ParseQuery(const QByteArray& body);
    static CddbReply ParseEntry(const QByteArray& body, int trackCount);
};
