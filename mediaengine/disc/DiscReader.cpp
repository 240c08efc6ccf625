#include "mediaengine/disc/DiscReader.h"

#include "mediaengine/disc/CdioDiscReader.h"
#include "mediaengine/disc/CdrdaoToc.h"
#include "mediaengine/disc/CueImageReader.h"
#include "mediaengine/disc/CueSheet.h"
#include "mediaengine/disc/TocImageReader.h"

#include <QFileInfo>
#include <QStringList>

std::unique_ptr<CDiscReader> CDiscReader::Open(const QString& source, QString* error) {
    QString ignored;
    QString* reason = error != nullptr ? error : &ignored;
    reason->clear();
    if (source.isEmpty()) {
        *reason = QStringLiteral("no disc image or drive given");
        return nullptr;
    }
    const QFileInfo info(source);
    if (!info.exists()) {
        *reason = QStringLiteral("%1 does not exist").arg(source);
        return nullptr;
    }
    if (info.isFile()) {
        const QString suffix = info.suffix().toLower();
        if (suffix == QLatin1String("cue")) {
            CCueSheet sheet;
            if (!sheet.Load(source, reason)) {
                return nullptr;
            }
            // libcdio reads a single raw image as it reads a drive; the other shapes it cannot read.
            return sheet.IsSingleRawImage() ? CCdioDiscReader::OpenSheet(sheet, reason)
                                            : CCueImageReader::Open(sheet, reason);
        }
        if (suffix == QLatin1String("toc")) {
            CCdrdaoToc toc;
            if (!toc.Load(source, reason)) {
                return nullptr;
            }
            return toc.LibcdioReads() ? CCdioDiscReader::OpenCdrdao(toc, reason)
                                      : CTocImageReader::Open(toc, reason);
        }
        if (suffix == QLatin1String("nrg")) {
            return CCdioDiscReader::OpenNero(source, reason);
        }
        *reason = QStringLiteral("%1 is not a CUE sheet, a cdrdao TOC file or a Nero image").arg(source);
        return nullptr;
    }
    if (info.isDir()) {
        *reason = QStringLiteral("%1 is a folder, not a disc").arg(source);
        return nullptr;
    }
    return CCdioDiscReader::OpenDevice(source, reason);
}

QString CDiscReader::TocText(const QList<DiscTrack>& tracks, int leadOutSector) {
    constexpr int kLeadInSectors = 150; // logical sector 0 is at 00:02:00
    QStringList parts;
    parts << QString::number(tracks.size(), 16).toUpper();
    for (const DiscTrack& track : tracks) {
        parts << QString::number(track.firstSector + kLeadInSectors, 16).toUpper();
    }
    parts << QString::number(leadOutSector + kLeadInSectors, 16).toUpper();
    return parts.join(QLatin1Char('+'));
}

QString CDiscReader::RangeError(const DiscInfo& info, int firstSector, int count) {
    if (count < 0 || firstSector < 0 || !CoversOnlyAudio(info, firstSector, count)) {
        return QStringLiteral("sectors %1 to %2 are not audio of this disc")
            .arg(firstSector)
            .arg(firstSector + count - 1);
    }
    return QString();
}

bool CDiscReader::CoversOnlyAudio(const DiscInfo& info, int firstSector, int count) {
    int covered = 0;
    for (const DiscTrack& track : info.tracks) {
        const int begin = qMax(firstSector, track.firstSector);
        const int end = qMin(firstSector + count, track.firstSector + track.sectorCount);
        if (end > begin) {
            if (!track.audio) {
                return false;
            }
            covered += end - begin;
        }
    }
    return covered == count;
}
