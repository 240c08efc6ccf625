#include "platform/text/Cp932.h"

#include <array>
#include <cerrno>
#include <iconv.h>

namespace {

// An iconv conversion that is closed whatever way the caller leaves.
class CIconv {
public:
    CIconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~CIconv() {
        if (Valid()) {
            iconv_close(m_cd);
        }
    }
    CIconv(const CIconv&) = delete;
    CIconv& operator=(const CIconv&) = delete;
    bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

// The whole input converted, or nullopt at the first sequence the conversion refuses.
std::optional<QByteArray> ConvertStrictly(const char* to, const char* from, const QByteArray& bytes,
                                          qsizetype outFactor) {
    if (bytes.isEmpty()) {
        return QByteArray();
    }
    CIconv cd(to, from);
    if (!cd.Valid()) {
        return std::nullopt;
    }
    QByteArray in = bytes;
    QByteArray out(bytes.size() * outFactor + 8, '\0');
    char* inPtr = in.data();
    size_t inLeft = static_cast<size_t>(in.size());
    char* outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    if (iconv(cd.Get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
        iconv(cd.Get(), nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
        return std::nullopt;
    }
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    return out;
}

} // namespace

bool CCp932::Decode(const QByteArray& bytes, QString* text) {
    const std::optional<QByteArray> utf8 = ConvertStrictly("UTF-8", "CP932", bytes, 3);
    if (!utf8) {
        return false;
    }
    *text = QString::fromUtf8(*utf8);
    return true;
}

QString CCp932::DecodeLenient(const QByteArray& bytes) {
    CIconv cd("UTF-8", "CP932");
    if (!cd.Valid()) {
        return QString::fromLatin1(bytes);
    }
    QByteArray in = bytes;
    char* inPtr = in.data();
    size_t inLeft = static_cast<size_t>(in.size());
    QByteArray utf8;
    std::array<char, 4096> chunk{};
    while (inLeft > 0) {
        char* outPtr = chunk.data();
        size_t outLeft = chunk.size();
        const size_t rc = iconv(cd.Get(), &inPtr, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        utf8.append(chunk.data(), static_cast<qsizetype>(chunk.size() - outLeft));
        if (rc != static_cast<size_t>(-1)) {
            break;
        }
        if (error == E2BIG) {
            continue;
        }
        // EILSEQ or EINVAL: an invalid or cut-off sequence; mark it and go on after its first byte.
        utf8.append("\xEF\xBF\xBD");
        ++inPtr;
        --inLeft;
        iconv(cd.Get(), nullptr, nullptr, nullptr, nullptr);
    }
    return QString::fromUtf8(utf8);
}

std::optional<QByteArray> CCp932::Encode(const QString& text) {
    return ConvertStrictly("CP932", "UTF-8", text.toUtf8(), 2);
}
