// CD-Text: binary CDTEXTFILE packs and the decoding of titles of unknown character set. Each input
// is parsed as it is and once more with every pack's CRC made right, so that mutations reach past the
// check into the packs themselves.
#include "fuzz/support/FuzzScratch.h"
#include "mediaengine/disc/CdTextDecoder.h"
#include "mediaengine/disc/CdTextFile.h"

#include <QStringDecoder>

namespace {

constexpr int kPackBytes = 18;

// The packs after an optional 4-byte header (as a drive returns them), each with its right CRC.
QByteArray WithRightCrcs(QByteArray bytes) {
    const qsizetype start = bytes.size() % kPackBytes == 4 ? 4 : 0;
    for (qsizetype at = start; at + kPackBytes <= bytes.size(); at += kPackBytes) {
        auto* pack = reinterpret_cast<uchar*>(bytes.data() + at);
        const quint16 crc = CCdTextFile::PackCrc(pack);
        pack[16] = uchar(crc >> 8);
        pack[17] = uchar(crc & 0xFF);
    }
    return bytes;
}

void ParsePacks(const QByteArray& bytes) {
    for (const bool japanese : {true, false}) {
        CCdTextFile text;
        QString error;
        const bool ok = text.Parse(bytes, japanese, &error);
        CFuzzScratch::Check(ok || !error.isEmpty(), "CD-Text refused without a reason");
        if (ok) {
            DiscInfo info;
            for (int number = 1; number <= 99; ++number) {
                info.tracks.append(DiscTrack{.number = number});
            }
            text.ApplyTo(&info);
        }
    }
}

void DecodeTitle(const QByteArray& bytes) {
    const QString text = CCdTextDecoder::FromBytes(bytes);
    CFuzzScratch::Check(text == text.trimmed(), "a decoded title keeps surrounding blanks");
    if (CCdTextDecoder::IsStrictUtf8(bytes)) {
        QStringDecoder utf8(QStringConverter::Utf8);
        const QString decoded = utf8.decode(bytes);
        CFuzzScratch::Check(!utf8.hasError(), "strict UTF-8 that Qt cannot decode");
        CFuzzScratch::Check(text == decoded.trimmed(), "strict UTF-8 not decoded as UTF-8");
    }
    QString cp932;
    if (CCdTextDecoder::DecodeCp932(bytes, &cp932)) {
        CFuzzScratch::Check(cp932.isValidUtf16(), "Shift_JIS decoded into broken UTF-16");
    }
    const QByteArray terminated = bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0'));
    CCdTextDecoder::FromLibcdio(terminated.constData());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CFuzzScratch::Get();
    const QByteArray bytes = CFuzzScratch::Bytes(data, size);
    ParsePacks(bytes);
    ParsePacks(WithRightCrcs(bytes));
    DecodeTitle(bytes);
    return 0;
}
