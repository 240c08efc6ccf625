#pragma once
// Code page 932, the ANSI code page of a Japanese Windows (Shift_JIS with Microsoft's additions):
// the one codec for everything that comes in or goes out in it (volume labels of FAT cards, CD-Text,
// the player's preference backups).

#include <QByteArray>
#include <QString>

#include <optional>

class CCp932 {
public:
    // The bytes as text; false when they are not CP932 (an invalid or cut-off sequence).
    static bool Decode(const QByteArray& bytes, QString* text);
    // The bytes as text, each invalid or cut-off sequence read as U+FFFD and the rest as it is.
    static QString DecodeLenient(const QByteArray& bytes);
    // The text in CP932; nullopt when a character has no form there.
    static std::optional<QByteArray> Encode(const QString& text);
};
