#include "ui/text/TextRules.h"

#include "platform/files/Volumes.h"
#include "platform/win/WinTypes.h"
#include "ui/text/NameCharTables.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr char16_t kSeparator = u'\\';
constexpr char16_t kDot = u'.';

// The table ascends, so the walk from the start of the unit's block would end at the first entry
// that is not below the unit; a binary search from the same start finds that entry in a dozen
// comparisons where the walk through a block of kanji takes up to 1400.
bool IsAllowed(char16_t unit) {
    const int32_t start = NameChars::kBlockStart[unit >> NameChars::kBlockShift];
    if (start < 0 || start >= NameChars::kAllowedCount)
        return false;
    const char16_t* const end = NameChars::kAllowed + NameChars::kAllowedCount;
    const char16_t* const at = std::lower_bound(NameChars::kAllowed + start, end, unit);
    return at != end && *at == unit;
}

bool IsExcludedFirst(char16_t unit) {
    return std::binary_search(NameChars::kFirstExcluded,
                              NameChars::kFirstExcluded + NameChars::kFirstExcludedCount, unit);
}

// printf's "%*.*f" without the process locale: a German or French locale must not turn the point
// of "約 5.00 MB" into a comma.
QString Fixed(double value, int precision, int width) {
    char buffer[400]; // the fixed notation of the largest double has 309 digits
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    const QString text = error == std::errc() ? QString::fromLatin1(buffer, end - buffer) : QString();
    return text.rightJustified(width, u' ');
}

QString About(const QString& number, const QString& unit) {
    return QStringLiteral("約 ") + number + QLatin1Char(' ') + unit;
}

// The size read-out from a kilobyte value. The megabytes are rounded to single precision before
// anything else, so 104,857,599 bytes read "約 100 MB". The whole megabytes stay a floating-point
// value: clusters × sectors × bytes reach 96 bits, past every integer type.
QString SizeText(long double kilobytes) {
    const float megabytes = static_cast<float>(kilobytes / 1024);
    if (megabytes == 0.0f)
        return QStringLiteral("0 バイト");
    const double whole = std::trunc(static_cast<double>(megabytes));
    if (whole == 0) {
        // Below one megabyte, so the kilobytes fit an int.
        const int wholeKilobytes = static_cast<int>(static_cast<float>(kilobytes));
        return About(QString::number(wholeKilobytes), QStringLiteral("KB"));
    }
    if (whole >= 100)
        return About(Fixed(whole, 0, 0), QStringLiteral("MB"));
    // Lowering by half a unit of the last digit makes the rounding cut, mostly: 9.999 MB reads
    // "9.99", not "10.00", yet 1.5 MB still reads "1.50" since 1.5 - 0.005 is stored a hair above 1.495.
    if (whole < 10)
        return About(Fixed(static_cast<double>(megabytes) - 0.005, 2, 4), QStringLiteral("MB"));
    return About(Fixed(static_cast<double>(megabytes) - 0.05, 1, 4), QStringLiteral("MB"));
}

} // namespace

QString CleanName(const QString& text) {
    QString name = text.left(kCleanNameLength);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name.at(i).unicode();
        if (!IsAllowed(unit) || (i == 0 && IsExcludedFirst(unit)))
            name[i] = QChar(kReplacementChar);
    }
    return name;
}

QString FileNameOf(const QString& path) {
    const qsizetype last = path.lastIndexOf(kSeparator);
    return last >= 1 ? path.mid(last + 1) : path;
}

QString FileTitle(const QString& path) {
    const QString name = FileNameOf(path);
    const qsizetype dot = name.lastIndexOf(kDot);
    return dot >= 1 ? name.left(dot) : name;
}

QString CleanTitle(const QString& path) {
    return CleanName(FileTitle(path));
}

QString ExtensionOf(const QString& path) {
    const qsizetype dot = path.lastIndexOf(kDot);
    if (dot < 1 || dot == path.size() - 1)
        return QString();
    return path.mid(dot + 1);
}

QString FolderOf(const QString& path, bool whole) {
    const qsizetype last = path.lastIndexOf(kSeparator);
    if (last <= 0)
        return path;
    if (last == path.size() - 1)
        return QString();
    const QString folder = path.left(last);
    if (folder.endsWith(kSeparator))
        return QString();
    if (whole)
        return folder;
    const qsizetype inner = folder.lastIndexOf(kSeparator);
    return inner >= 1 ? folder.mid(inner + 1) : folder;
}

QString DriveLabel(QChar letter) {
    const QString root = QString(letter) + QStringLiteral(":\\");
    QString label;
    if (!GetVolumeInformation(root, &label, nullptr, nullptr, nullptr, nullptr))
        label.clear();
    // The label is read into a path-sized buffer.
    label.truncate(MAX_PATH - 1);
    if (label.isEmpty()) {
        label = GetDriveType(root) == DRIVE_REMOVABLE ? QStringLiteral("リムーバブル ディスク")
                                                      : QStringLiteral("CD ドライブ");
    }
    return label + QStringLiteral(" (") + letter + QStringLiteral(":)");
}

QString FormatTrackTime(uint32_t seconds) {
    const uint32_t hours = seconds / 3600;
    if (hours > 0)
        return QString::asprintf("%u:%02u:%02u", hours, (seconds % 3600) / 60, seconds % 60);
    return QString::asprintf("%02u:%02u", seconds / 60, seconds % 60);
}

QString FormatSize(uint32_t clusters, uint32_t sectorsPerCluster, uint32_t bytesPerSector) {
    if (sectorsPerCluster == 0 && bytesPerSector == 0)
        return QStringLiteral("-- MB");
    const long double bytes = static_cast<long double>(clusters) * sectorsPerCluster * bytesPerSector;
    return SizeText(bytes / 1024);
}

QString FormatSizeBytes(uint64_t bytes) {
    return SizeText(static_cast<long double>(bytes) / 1024);
}

QString FormatMegabytes(double megabytes) {
    if (megabytes == 0)
        return QStringLiteral("-- MB");
    return About(Fixed(megabytes, 0, 4), QStringLiteral("MB"));
}

bool SetTextIfChanged(ITextControl* control, const QString& text) {
    if (!control || control->GetText() == text)
        return false;
    control->SetText(text);
    return true;
}
