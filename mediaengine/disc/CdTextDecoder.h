#pragma once
// Album and track titles as a disc carries them. Discs and CUE sheets rarely say which character set
// their text is in, and libcdio reports CUE text as if it were ISO-8859-1, so Japanese titles arrive
// as mojibake. The decoder recovers the original bytes and decodes them as UTF-8 when they are valid
// UTF-8, else as Shift_JIS (CP932), else as ISO-8859-1.

#include <QByteArray>
#include <QString>

class CCdTextDecoder {
public:
    // A text as libcdio returns it (UTF-8). Null gives an empty text.
    static QString FromLibcdio(const char* text);
    // Raw bytes of unknown character set, trimmed of surrounding blanks.
    static QString FromBytes(const QByteArray& bytes);
    // True for well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
    static bool IsStrictUtf8(const QByteArray& bytes);
    // Shift_JIS with the Windows extensions; false when the bytes are not valid CP932 or fall into
    // its user-defined area.
    static bool DecodeCp932(const QByteArray& bytes, QString* text);
};
