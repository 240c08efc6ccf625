// The recovery journal, which start-up acts on after a crash. Each input is parsed as it is and
// once as the JSON body of a journal with its right checksum line, so that mutations reach past the
// checksum. Whatever is accepted must name only files the program may move, and must come back the
// same through a save.
#include "fuzz/support/FuzzScratch.h"
#include "source/SetAsideJournal.h"

#include <QCryptographicHash>

namespace {

void ParseJournal(const QByteArray& bytes) {
    QList<SetAsideEntry> entries;
    std::optional<SetAsideJob> job;
    if (!CSetAsideJournal::Parse(bytes, &entries, &job)) {
        return;
    }
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const SetAsideEntry& entry = entries[i];
        CFuzzScratch::Check(!entry.path.isEmpty(), "an entry without its place");
        CFuzzScratch::Check(entry.workName.isEmpty() || CSetAsideJournal::IsPlainWorkName(entry.workName),
                            "a work name that is a path");
        for (qsizetype j = 0; j < i; ++j) {
            CFuzzScratch::Check(entry.workName.isEmpty() ||
                                    entries[j].workName.compare(entry.workName, Qt::CaseInsensitive) != 0,
                                "two entries share one file of the work folder");
        }
    }
    QList<SetAsideEntry> again;
    std::optional<SetAsideJob> jobAgain;
    CFuzzScratch::Check(CSetAsideJournal::Parse(CSetAsideJournal::Serialize(entries, job), &again, &jobAgain),
                        "a saved journal does not read back");
    CFuzzScratch::Check(again == entries && jobAgain == job, "a saved journal reads back changed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFuzzScratch::Get();
    const QByteArray bytes = CFuzzScratch::Bytes(data, size);
    ParseJournal(bytes);
    const QByteArray checked = QByteArrayLiteral("Ollivane set-aside journal 1 ") +
                               QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() + '\n' +
                               bytes;
    ParseJournal(checked);
    return 0;
}
