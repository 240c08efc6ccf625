#pragma once
// The player's info file at the root of a card ("\WMPInfo.xml"), written when the player made a
// partnership with the device on that card. Whoever matches drives to devices reads its first line
// and looks for the device's id in it. The file is on the user's card, so anything may be in it.

#include <QString>
#include <optional>

class CPlayerInfoFile {
public:
    // The file's name at a drive's root.
    static const QString& Name();
    // The first line of the file at hostPath, at most kMaxLine characters, in the encoding its byte
    // order mark names (UTF-8 without one); only the start of the file is read, whatever its size.
    // nullopt when the file cannot be opened.
    static std::optional<QString> ReadFirstLine(const QString& hostPath);

    static constexpr int kMaxLine = 2000;
};
