// The player's info file on a card (WMPInfo.xml): any bytes, in any encoding a byte order mark
// names, give one bounded line or nothing, and reading it never takes more than its start.
#include "destination/PlayerInfoFile.h"
#include "fuzz/support/FuzzScratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path =
        CFuzzScratch::Get().Write(QStringLiteral("WMPInfo.xml"), CFuzzScratch::Bytes(data, size));
    const std::optional<QString> line = CPlayerInfoFile::ReadFirstLine(path);
    CFuzzScratch::Check(line.has_value(), "a readable info file gave no line");
    CFuzzScratch::Check(line->size() <= CPlayerInfoFile::kMaxLine, "an info line longer than its limit");
    CFuzzScratch::Check(!line->contains(QLatin1Char('\n')), "an info line runs on past its end");
    return 0;
}
