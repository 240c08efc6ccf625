#include "mediaengine/disc/CdioDiscReader.h"

#include "mediaengine/disc/CdTextDecoder.h"
#include "mediaengine/disc/CdrdaoToc.h"
#include "mediaengine/disc/CueSheet.h"
#include "mediaengine/disc/NeroImage.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QtEndian>
#include <cstring>
#include <mutex>
#include <utility>

extern "C" {
#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
}

namespace {

constexpr int kSectorBytes = CDIO_CD_FRAMESIZE_RAW; // 2352
constexpr int kMaxTrackNumber = 99;
constexpr int kReadRetries = 20;

// libcdio reports through one process-wide handler. Messages of the thread that is opening a disc
// are kept for its error text instead of going to stderr; failed assertions still go to the
// original handler, which ends the process as libcdio expects.
thread_local QString t_cdioMessage;
cdio_log_handler_t g_previousHandler = nullptr;

void CaptureCdioLog(cdio_log_level_t level, const char message[]) {
    if (level == CDIO_LOG_ASSERT && g_previousHandler != nullptr) {
        g_previousHandler(level, message);
        return;
    }
    if (level >= CDIO_LOG_WARN) {
        t_cdioMessage = QString::fromLocal8Bit(message).trimmed();
    }
}

void InstallLogHandler() {
    static std::once_flag once;
    std::call_once(once, [] { g_previousHandler = cdio_log_set_handler(CaptureCdioLog); });
}

QString WithCdioMessage(const QString& text) {
    return t_cdioMessage.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, t_cdioMessage);
}

// libcdio's CUE parser keeps its place in strtok's hidden state, so two threads must not open discs
// at the same time.
std::mutex g_openMutex;

// Paranoia's callback carries no context; each reading thread notes its own uncorrectable skips.
thread_local bool t_sectorSkipped = false;

void ParanoiaCallback(long, paranoia_cb_mode_t mode) {
    if (mode == PARANOIA_CB_SKIP) {
        t_sectorSkipped = true;
    }
}

// libcdio only finds the BIN by replacing the ".cue" of the sheet's name with ".bin".
QString BinNameLibcdioExpects(const QString& cuePath) {
    if (cuePath.endsWith(QLatin1String(".cue"))) {
        return cuePath.chopped(3) + QLatin1String("bin");
    }
    if (cuePath.endsWith(QLatin1String(".CUE"))) {
        return cuePath.chopped(3) + QLatin1String("BIN");
    }
    return QString();
}

} // namespace

std::unique_ptr<CDiscReader> CCdioDiscReader::OpenImage(const QString& cuePath, QString* error,
                                                        ImageReading reading) {
    CCueSheet sheet;
    if (!sheet.Load(cuePath, error)) {
        return nullptr;
    }
    return OpenSheet(sheet, error, reading);
}

std::unique_ptr<CDiscReader> CCdioDiscReader::OpenSheet(const CCueSheet& sheet, QString* error,
                                                        ImageReading reading) {
    const QString& userPath = sheet.UserPath();
    if (!sheet.IsSingleRawImage()) {
        *error = QStringLiteral("%1 is not a single raw image").arg(userPath);
        return nullptr;
    }
    InstallLogHandler();
    const std::lock_guard<std::mutex> lock(g_openMutex);
    t_cdioMessage.clear();
    std::unique_ptr<CCdioDiscReader> reader(new CCdioDiscReader());
    QString openPath = sheet.CuePath();
    const QString expected = BinNameLibcdioExpects(openPath);
    const bool bom = sheet.Text().size() != QFileInfo(openPath).size();
    if (bom || expected.isEmpty() ||
        QFileInfo(expected).canonicalFilePath() != QFileInfo(sheet.BinPath()).canonicalFilePath()) {
        // Present the pair to libcdio under matching names and without a byte order mark, without
        // copying the audio.
        reader->m_alias = std::make_unique<QTemporaryDir>();
        const QString aliasCue = reader->m_alias->filePath(QStringLiteral("disc.cue"));
        QFile alias(aliasCue);
        if (!reader->m_alias->isValid() || !alias.open(QIODevice::WriteOnly) ||
            alias.write(sheet.Text()) != sheet.Text().size() || !alias.flush() ||
            !QFile::link(sheet.BinPath(), reader->m_alias->filePath(QStringLiteral("disc.bin")))) {
            *error = QStringLiteral("cannot prepare %1 for reading").arg(userPath);
            return nullptr;
        }
        openPath = aliasCue;
    }
    reader->m_cdio = cdio_open_cue(QFile::encodeName(openPath).constData());
    if (reader->m_cdio == nullptr) {
        *error = reader->UserMessage(
            WithCdioMessage(QStringLiteral("%1 is not a readable CUE sheet").arg(userPath)), userPath);
        return nullptr;
    }
    const qint64 imageSectors = QFileInfo(sheet.BinPath()).size() / kSectorBytes;
    reader->m_direct = reading == ImageReading::Direct;
    if (!reader->Load(sheet.TrackCount(), imageSectors, sheet.BigEndian(), error)) {
        *error = reader->UserMessage(userPath + QLatin1String(": ") + *error, userPath);
        return nullptr;
    }
    // The sheet's own reading of its text, whatever character set libcdio assumed.
    sheet.ApplyText(&reader->m_info);
    return reader;
}

QString CCdioDiscReader::UserMessage(const QString& text, const QString& userPath) const {
    // libcdio names the files it opened; the user knows only their own.
    QString message = text;
    if (m_alias) {
        message.replace(m_alias->filePath(QStringLiteral("disc.cue")), userPath);
        message.replace(m_alias->filePath(QStringLiteral("disc.toc")), userPath);
        message.replace(m_alias->path(), QFileInfo(userPath).path());
    }
    return message;
}

std::unique_ptr<CDiscReader> CCdioDiscReader::OpenCdrdao(const CCdrdaoToc& toc, QString* error) {
    const QString& tocPath = toc.UserPath();
    auto alias = std::make_unique<QTemporaryDir>();
    QFile copy(alias->filePath(QStringLiteral("disc.toc")));
    if (!alias->isValid() || !copy.open(QIODevice::WriteOnly) ||
        copy.write(toc.Text()) != toc.Text().size() || !copy.flush()) {
        *error = QStringLiteral("cannot prepare %1 for reading").arg(tocPath);
        return nullptr;
    }
    copy.close();
    // cdrdao keeps raw audio big-endian, as its manual says and its toc2cue swaps for a BIN. libcdio
    // ends the last track its START pregap too late: it counts the file's length from the start.
    return OpenImageFile(copy.fileName(), tocPath, DRIVER_CDRDAO, true, std::move(alias), error,
                         toc.LastTrackPregap());
}

std::unique_ptr<CDiscReader> CCdioDiscReader::OpenNero(const QString& nrgPath, QString* error) {
    if (!CNeroImage::Check(nrgPath, error)) {
        return nullptr;
    }
    return OpenImageFile(QFileInfo(nrgPath).absoluteFilePath(), nrgPath, DRIVER_NRG, false, nullptr, error);
}

std::unique_ptr<CDiscReader> CCdioDiscReader::OpenImageFile(const QString& path, const QString& userPath,
                                                            int driver, bool bigEndian,
                                                            std::unique_ptr<QTemporaryDir> alias,
                                                            QString* error, int leadOutExcess) {
    InstallLogHandler();
    const std::lock_guard<std::mutex> lock(g_openMutex);
    t_cdioMessage.clear();
    std::unique_ptr<CCdioDiscReader> reader(new CCdioDiscReader());
    reader->m_alias = std::move(alias);
    reader->m_leadOutExcess = leadOutExcess;
    reader->m_cdio = cdio_open(QFile::encodeName(path).constData(), static_cast<driver_id_t>(driver));
    if (reader->m_cdio == nullptr) {
        *error = reader->UserMessage(
            WithCdioMessage(QStringLiteral("%1 is not a disc image that can be read").arg(userPath)),
            userPath);
        return nullptr;
    }
    reader->m_direct = true;
    if (!reader->Load(0, -1, bigEndian, error)) {
        *error = reader->UserMessage(userPath + QLatin1String(": ") + *error, userPath);
        return nullptr;
    }
    return reader;
}

std::unique_ptr<CDiscReader> CCdioDiscReader::OpenDevice(const QString& device, QString* error) {
    InstallLogHandler();
    const std::lock_guard<std::mutex> lock(g_openMutex);
    t_cdioMessage.clear();
    std::unique_ptr<CCdioDiscReader> reader(new CCdioDiscReader());
    reader->m_cdio = cdio_open(QFile::encodeName(device).constData(), DRIVER_DEVICE);
    if (reader->m_cdio == nullptr) {
        *error = WithCdioMessage(QStringLiteral("%1 is not a CD drive that can be opened").arg(device));
        return nullptr;
    }
    if (!reader->Load(0, -1, false, error)) {
        error->prepend(device + QLatin1String(": "));
        return nullptr;
    }
    return reader;
}

CCdioDiscReader::~CCdioDiscReader() {
    if (m_paranoia != nullptr) {
        cdio_paranoia_free(m_paranoia);
    }
    if (m_drive != nullptr) {
        cdio_cddap_close_no_free_cdio(m_drive);
    }
    if (m_cdio != nullptr) {
        cdio_destroy(m_cdio);
    }
}

bool CCdioDiscReader::Load(int expectedTracks, qint64 imageSectors, bool bigEndian, QString* error) {
    const track_t first = cdio_get_first_track_num(m_cdio);
    const track_t count = cdio_get_num_tracks(m_cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
        *error = WithCdioMessage(QStringLiteral("no disc or no tracks"));
        return false;
    }
    if (first < 1 || first + count - 1 > kMaxTrackNumber) {
        *error =
            QStringLiteral("track numbers %1 to %2 are outside 1 to 99").arg(first).arg(first + count - 1);
        return false;
    }
    if (expectedTracks > 0 && count != expectedTracks) {
        *error =
            WithCdioMessage(QStringLiteral("the sheet lists %1 tracks but only %2 could be read in order")
                                .arg(expectedTracks)
                                .arg(count));
        return false;
    }
    m_leadOut = cdio_get_track_lsn(m_cdio, CDIO_CDROM_LEADOUT_TRACK);
    m_leadOut -= m_leadOutExcess;
    if (m_leadOut == CDIO_INVALID_LSN || m_leadOut <= 0) {
        *error = QStringLiteral("the disc has no readable lead-out");
        return false;
    }
    if (imageSectors >= 0 && m_leadOut > imageSectors) {
        *error = QStringLiteral("the image is shorter than its table of contents");
        return false;
    }

    m_info = DiscInfo();
    int previousStart = -1;
    for (int t = first; t < first + count; ++t) {
        const lsn_t start = cdio_get_track_lsn(m_cdio, static_cast<track_t>(t));
        if (start == CDIO_INVALID_LSN || start < 0 || start <= previousStart) {
            *error = QStringLiteral("track %1 has no valid start (a missing or misplaced INDEX 01?)").arg(t);
            return false;
        }
        if (start >= m_leadOut) {
            *error =
                QStringLiteral("track %1 starts beyond the end of the disc; the image is too short").arg(t);
            return false;
        }
        DiscTrack track;
        track.number = t;
        track.audio = cdio_get_track_format(m_cdio, static_cast<track_t>(t)) == TRACK_FORMAT_AUDIO;
        track.firstSector = start;
        m_info.tracks.append(track);
        previousStart = start;
    }
    for (int i = 0; i < m_info.tracks.size(); ++i) {
        const int end = i + 1 < m_info.tracks.size() ? m_info.tracks[i + 1].firstSector : m_leadOut;
        m_info.tracks[i].sectorCount = end - m_info.tracks[i].firstSector;
    }

    if (const cdtext_t* text = cdio_get_cdtext(m_cdio)) {
        m_info.album = CCdTextDecoder::FromLibcdio(cdtext_get_const(text, CDTEXT_FIELD_TITLE, 0));
        m_info.artist = CCdTextDecoder::FromLibcdio(cdtext_get_const(text, CDTEXT_FIELD_PERFORMER, 0));
        for (DiscTrack& track : m_info.tracks) {
            const auto number = static_cast<track_t>(track.number);
            track.title = CCdTextDecoder::FromLibcdio(cdtext_get_const(text, CDTEXT_FIELD_TITLE, number));
            track.artist =
                CCdTextDecoder::FromLibcdio(cdtext_get_const(text, CDTEXT_FIELD_PERFORMER, number));
        }
    }
    m_info.toc = TocText(m_info.tracks, m_leadOut);

    bool anyAudio = false;
    for (const DiscTrack& track : m_info.tracks) {
        anyAudio = anyAudio || track.audio;
    }
    if (!anyAudio) {
        return true; // a data disc: listed, never read
    }
    m_drive = cdio_cddap_identify_cdio(m_cdio, CDDA_MESSAGE_FORGETIT, nullptr);
    if (m_drive == nullptr || cdio_cddap_open(m_drive) != 0) {
        *error = WithCdioMessage(QStringLiteral("the audio of the disc cannot be read"));
        return false;
    }
    // Images say their byte order; drives deliver little-endian samples. Left unknown, paranoia would
    // guess it from the music.
    m_drive->bigendianp = bigEndian ? 1 : 0;
    m_bigEndian = bigEndian;
    m_paranoia = cdio_paranoia_init(m_drive);
    if (m_paranoia == nullptr) {
        *error = QStringLiteral("cannot start error-corrected reading");
        return false;
    }
    cdio_paranoia_modeset(m_paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    return true;
}

bool CCdioDiscReader::ReadSectors(int firstSector, int count, QByteArray* pcm) {
    pcm->clear();
    m_readError = RangeError(m_info, firstSector, count);
    if (!m_readError.isEmpty()) {
        return false;
    }
    if (count == 0) {
        return true;
    }
    if (m_paranoia == nullptr) {
        m_readError = QStringLiteral("the disc has no audio");
        return false;
    }
    return m_direct ? ReadDirect(firstSector, count, pcm) : ReadThroughParanoia(firstSector, count, pcm);
}

bool CCdioDiscReader::ReadDirect(int firstSector, int count, QByteArray* pcm) {
    pcm->resize(static_cast<qsizetype>(count) * kSectorBytes);
    // Sector by sector: a read of several that runs into a missing part of the image would
    // succeed with the missing sectors left unfilled.
    for (int i = 0; i < count; ++i) {
        if (cdio_read_audio_sector(m_cdio, pcm->data() + static_cast<qsizetype>(i) * kSectorBytes,
                                   firstSector + i) != DRIVER_OP_SUCCESS) {
            pcm->clear();
            m_readError = QStringLiteral("sector %1 cannot be read").arg(firstSector + i);
            return false;
        }
    }
    if (m_bigEndian) {
        auto* samples = reinterpret_cast<uchar*>(pcm->data());
        for (qsizetype i = 0; i + 1 < pcm->size(); i += 2) {
            std::swap(samples[i], samples[i + 1]);
        }
    }
    return true;
}

bool CCdioDiscReader::ReadThroughParanoia(int firstSector, int count, QByteArray* pcm) {
    if (firstSector != m_nextSector) {
        cdio_paranoia_seek(m_paranoia, firstSector, SEEK_SET);
    }
    m_nextSector = -1;
    pcm->resize(static_cast<qsizetype>(count) * kSectorBytes);
    char* out = pcm->data();
    for (int i = 0; i < count; ++i) {
        t_sectorSkipped = false;
        const int16_t* samples = cdio_paranoia_read_limited(m_paranoia, ParanoiaCallback, kReadRetries);
        if (samples == nullptr || t_sectorSkipped) {
            pcm->clear();
            m_readError = QStringLiteral("sector %1 cannot be read").arg(firstSector + i);
            return false;
        }
        // Paranoia hands over samples in the host's byte order.
        if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
            std::memcpy(out + static_cast<qsizetype>(i) * kSectorBytes, samples, kSectorBytes);
        } else {
            qToLittleEndian<int16_t>(samples, kSectorBytes / 2,
                                     out + static_cast<qsizetype>(i) * kSectorBytes);
        }
    }
    m_nextSector = firstSector + count;
    return true;
}
