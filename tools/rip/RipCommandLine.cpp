#include "tools/rip/RipCommandLine.h"

#include <algorithm>

namespace {

constexpr int kMaxTrack = 99;    // the most tracks a CD can have
constexpr int kMaxEncoders = 64; // more threads than this only cost memory

// A whole decimal number without sign or blanks; -1 when `text` is not one (or is too large).
int ToCount(const QString& text) {
    if (text.isEmpty() || text.size() > 6) {
        return -1;
    }
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return -1;
        }
    }
    return text.toInt();
}

} // namespace

const QList<int>& CRipCommandLine::Bitrates() {
    static const QList<int> rates = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    return rates;
}

QString CRipCommandLine::Usage() {
    return QStringLiteral(
        "Usage: ollivane-rip [options] IMAGE_OR_DEVICE OUTDIR\n"
        "Rips an audio CD (a .cue image or a drive such as /dev/sr0) to MP3 with the media player's\n"
        "preferences; the files land in OUTDIR/<artist>/<album>/ instead of the player's rip folder.\n"
        "\n"
        "Options:\n"
        "  --tracks LIST    tracks to rip, e.g. 1,3-5 (default: every audio track)\n"
        "  --bitrate KBPS   constant bit rate instead of the preference (32..320, an MP3 rate)\n"
        "  --encoders N     encoder threads (0 or absent: one per core)\n"
        "  --no-lookup      name the tracks from the disc only; ask no metadata service\n"
        "  --quiet          print nothing but errors\n"
        "  --help           show this text\n"
        "\n"
        "Exit status: 0 every track ripped, 1 some track failed, 2 bad input, 130 interrupted.\n");
}

bool CRipCommandLine::ParseTrackList(const QString& text, QList<int>* tracks, QString* error) {
    QList<int> result;
    if (text.trimmed().isEmpty()) {
        *error = QStringLiteral("--tracks needs a list such as 1,3-5");
        return false;
    }
    for (const QString& rawItem : text.split(QLatin1Char(','))) {
        const QString item = rawItem.trimmed();
        const qsizetype dash = item.indexOf(QLatin1Char('-'));
        const int first = ToCount(dash < 0 ? item : item.left(dash).trimmed());
        const int last = dash < 0 ? first : ToCount(item.mid(dash + 1).trimmed());
        if (first < 0 || last < 0) {
            *error =
                QStringLiteral("--tracks: \"%1\" is not a track number or a range such as 3-5").arg(item);
            return false;
        }
        if (first < 1 || first > kMaxTrack || last < 1 || last > kMaxTrack) {
            *error = QStringLiteral("--tracks: \"%1\" is outside 1..%2").arg(item).arg(kMaxTrack);
            return false;
        }
        if (last < first) {
            *error = QStringLiteral("--tracks: the range \"%1\" runs backwards").arg(item);
            return false;
        }
        for (int n = first; n <= last; ++n) {
            result.append(n);
        }
    }
    std::sort(result.begin(), result.end());
    result.erase(std::unique(result.begin(), result.end()), result.end());
    *tracks = result;
    return true;
}

bool CRipCommandLine::Parse(const QStringList& arguments, RipToolOptions* options, QString* error) {
    RipToolOptions parsed;
    QStringList positional;
    bool optionsEnd = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString argument = arguments[i];
        if (optionsEnd || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            positional << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnd = true;
            continue;
        }
        // --name=value is the same as --name value.
        QString value;
        bool hasValue = false;
        if (const qsizetype eq = argument.indexOf(QLatin1Char('='));
            argument.startsWith(QLatin1String("--")) && eq > 0) {
            value = argument.mid(eq + 1);
            argument = argument.left(eq);
            hasValue = true;
        }
        const bool takesValue = argument == QLatin1String("--tracks") ||
                                argument == QLatin1String("--bitrate") ||
                                argument == QLatin1String("--encoders");
        if (takesValue && !hasValue) {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("%1 needs a value").arg(argument);
                return false;
            }
            value = arguments[++i];
            hasValue = true;
        } else if (!takesValue && hasValue) {
            *error = QStringLiteral("%1 takes no value").arg(argument);
            return false;
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            parsed.help = true;
        } else if (argument == QLatin1String("--quiet") || argument == QLatin1String("-q")) {
            parsed.quiet = true;
        } else if (argument == QLatin1String("--no-lookup")) {
            parsed.lookup = false;
        } else if (argument == QLatin1String("--tracks")) {
            if (!ParseTrackList(value, &parsed.tracks, error)) {
                return false;
            }
        } else if (argument == QLatin1String("--bitrate")) {
            const int kbps = ToCount(value);
            if (!Bitrates().contains(kbps)) {
                QStringList rates;
                for (const int rate : Bitrates()) {
                    rates << QString::number(rate);
                }
                *error = QStringLiteral("--bitrate: \"%1\" is not an MP3 rate (%2)")
                             .arg(value, rates.join(QLatin1Char(' ')));
                return false;
            }
            parsed.bitrateKbps = kbps;
        } else if (argument == QLatin1String("--encoders")) {
            const int count = ToCount(value);
            if (count < 0 || count > kMaxEncoders) {
                *error = QStringLiteral("--encoders: \"%1\" is not a number from 0 to %2")
                             .arg(value)
                             .arg(kMaxEncoders);
                return false;
            }
            parsed.encoders = count;
        } else {
            *error = QStringLiteral("unknown option %1 (see --help)").arg(argument);
            return false;
        }
    }
    if (parsed.help) {
        *options = parsed;
        return true;
    }
    if (positional.size() != 2) {
        *error = positional.size() < 2
                     ? QStringLiteral("expected IMAGE_OR_DEVICE and OUTDIR (see --help)")
                     : QStringLiteral("too many arguments: \"%1\" (see --help)").arg(positional[2]);
        return false;
    }
    for (const QString& path : positional) {
        if (path.trimmed().isEmpty()) {
            *error = QStringLiteral("an empty path was given");
            return false;
        }
    }
    parsed.source = positional[0];
    parsed.outDir = positional[1];
    *options = parsed;
    return true;
}
