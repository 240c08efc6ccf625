// cdrdao TOC files, opened by the disc-image reader beside the raw audio files they may name.
#include "fuzz/support/DiscFolder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CDiscFolder::Get().OpenAndRead(QStringLiteral("fuzz.toc"),
                                   QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
