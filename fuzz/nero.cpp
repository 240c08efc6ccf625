// Nero images. The input is the image's tail, from the end of its audio on: the description chunks
// and the trailer that points at them. The audio before it is the same for every input (two seconds
// of lead-in and five sectors), so mutations go into the part a reader has to trust.
#include "fuzz/support/DiscFolder.h"
#include "fuzz/support/FuzzScratch.h"

#include <QFile>

namespace {
constexpr qint64 kAudioBytes = (150 + 5) * 2352;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CDiscFolder::Get();
    static const QString path =
        CFuzzScratch::Get().Write(QStringLiteral("fuzz.nrg"), QByteArray(kAudioBytes, '\0'));
    QFile image(path);
    CFuzzScratch::Check(image.open(QIODevice::ReadWrite) && image.resize(kAudioBytes) &&
                            image.seek(kAudioBytes) &&
                            image.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size),
                        "the scratch image cannot be written");
    image.close();
    CDiscFolder::OpenAndReadPath(path);
    return 0;
}
