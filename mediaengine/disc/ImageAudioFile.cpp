#include "mediaengine/disc/ImageAudioFile.h"

#include "mediaengine/disc/RawAudioFile.h"
#include "mediaengine/disc/SndAudioFile.h"

std::unique_ptr<CImageAudioFile> CImageAudioFile::Open(const QString& path, CCueSheet::FileType type,
                                                       const QString& userName, QString* error) {
    if (type == CCueSheet::FileType::Binary || type == CCueSheet::FileType::Motorola) {
        auto raw = std::make_unique<CRawAudioFile>(path, type == CCueSheet::FileType::Motorola, userName);
        return raw->Open(error) ? std::move(raw) : nullptr;
    }
    // Tools write WAVE for any decoded audio, FLAC files included, so the content decides.
    auto decoded = std::make_unique<CSndAudioFile>(path, userName);
    return decoded->Open(error) ? std::move(decoded) : nullptr;
}
