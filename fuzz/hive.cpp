// Registry hives, and every file written in their text format. Any bytes must parse; what the parse
// keeps must come back unchanged through a save and a load, or a save would lose the user's values.
#include "fuzz/support/FuzzScratch.h"
#include "platform/registry/HiveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFuzzScratch::Get();
    const QByteArray bytes = CFuzzScratch::Bytes(data, size);
    for (const QString& root : {QStringLiteral("HKEY_CURRENT_USER"), QStringLiteral("HKEY_LOCAL_MACHINE")}) {
        const CRegKey parsed = CHiveFile::Parse(bytes, root, QStringLiteral("fuzz.reg"));
        const QByteArray saved = CHiveFile::Serialize(parsed);
        int skipped = 0;
        const CRegKey loaded = CHiveFile::Parse(saved, root, QStringLiteral("saved.reg"), &skipped);
        CFuzzScratch::Check(skipped == 0, "a saved hive has lines its own parser skips");
        CFuzzScratch::Check(CHiveFile::Serialize(loaded) == saved,
                            "a saved hive does not load back as saved");
    }
    return 0;
}
