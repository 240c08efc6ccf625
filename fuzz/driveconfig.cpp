// The user's drive configuration file. Any bytes must parse; every drive it yields is one the rest
// of the platform layer can take: an absolute clean path, a letter from D to Z or none, a size > 0.
#include "platform/files/DriveConfig.h"
#include "fuzz/support/FuzzScratch.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CFuzzScratch& scratch = CFuzzScratch::Get();
    QStringList warnings;
    const QList<CDriveConfig::Entry> entries =
        CDriveConfig::Parse(CFuzzScratch::Bytes(data, size), scratch.Path(QStringLiteral("drives.conf")),
                            scratch.Path(QStringLiteral("home")), &warnings);
    for (const CDriveConfig::Entry& entry : entries) {
        CFuzzScratch::Check(QDir::isAbsolutePath(entry.path) && QDir::cleanPath(entry.path) == entry.path,
                            "a drive path that is not absolute and clean");
        CFuzzScratch::Check(entry.letter.isNull() || (entry.letter >= u'D' && entry.letter <= u'Z'),
                            "a drive letter outside D to Z");
        CFuzzScratch::Check(!entry.size || *entry.size > 0, "a card of no size");
        CFuzzScratch::Check(entry.line >= 1, "an entry without its line");
    }
    return 0;
}
