// CUE sheets, opened by the disc-image reader beside audio files the sheet may name (see
// CDiscFolder): a sheet libcdio reads itself and the shapes our own reader lays out.
#include "fuzz/support/DiscFolder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CDiscFolder::Get().OpenAndRead(QStringLiteral("fuzz.cue"),
                                   QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
