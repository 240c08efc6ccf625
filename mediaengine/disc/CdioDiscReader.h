#pragma once
// The one disc reader: libcdio for the table of contents and CD-Text, libcdio-paranoia for the audio
// with its error correction. A CUE/BIN image and a physical drive differ only in how they are
// opened and in how an image's audio is read (ImageReading).

#include "mediaengine/disc/DiscReader.h"

#include <QTemporaryDir>
#include <memory>

class CCdrdaoToc;
class CCueSheet;

typedef struct _CdIo CdIo_t;
typedef struct cdrom_drive_s cdrom_drive_t;
typedef struct cdrom_paranoia_s cdrom_paranoia_t;

class CCdioDiscReader final : public CDiscReader {
public:
    // How an image's audio is read. An image is an exact copy with nothing to repair, and paranoia's
    // verification costs ten times the plain read (a tenth of a whole rip's processor time), so the
    // product reads it directly; Verified runs it through paranoia as a drive is read, so tests
    // exercise that path without a drive.
    enum class ImageReading { Direct, Verified };

    static std::unique_ptr<CDiscReader> OpenImage(const QString& cuePath, QString* error,
                                                  ImageReading reading = ImageReading::Direct);
    // A loaded sheet of one raw image (CCueSheet::IsSingleRawImage).
    static std::unique_ptr<CDiscReader> OpenSheet(const CCueSheet& sheet, QString* error,
                                                  ImageReading reading = ImageReading::Direct);
    // A cdrdao TOC file that libcdio reads as it is (CCdrdaoToc::LibcdioReads) and a Nero image.
    static std::unique_ptr<CDiscReader> OpenCdrdao(const CCdrdaoToc& toc, QString* error);
    static std::unique_ptr<CDiscReader> OpenNero(const QString& nrgPath, QString* error);
    static std::unique_ptr<CDiscReader> OpenDevice(const QString& device, QString* error);
    ~CCdioDiscReader() override;

    const DiscInfo& Info() const override { return m_info; }
    bool ReadSectors(int firstSector, int count, QByteArray* pcm) override;
    QString LastReadError() const override { return m_readError; }

private:
    CCdioDiscReader() = default;
    // Reads the table of contents and CD-Text and prepares audio reading. `expectedTracks` is the
    // count the CUE sheet lists (0 for a drive); `imageSectors` the BIN's size (-1 for a drive).
    // Opens `path` with a libcdio image driver; messages name `userPath`.
    static std::unique_ptr<CDiscReader> OpenImageFile(const QString& path, const QString& userPath,
                                                      int driver, bool bigEndian,
                                                      std::unique_ptr<QTemporaryDir> alias, QString* error,
                                                      int leadOutExcess = 0);
    bool Load(int expectedTracks, qint64 imageSectors, bool bigEndian, QString* error);
    // `text` with the temporary names libcdio was given replaced by the user's.
    QString UserMessage(const QString& text, const QString& userPath) const;
    bool ReadDirect(int firstSector, int count, QByteArray* pcm);
    bool ReadThroughParanoia(int firstSector, int count, QByteArray* pcm);

    CdIo_t* m_cdio = nullptr;
    cdrom_drive_t* m_drive = nullptr;
    cdrom_paranoia_t* m_paranoia = nullptr;
    std::unique_ptr<QTemporaryDir> m_alias; // the image as libcdio can read it: names, paths, no BOM
    DiscInfo m_info;
    int m_leadOut = 0;
    int m_leadOutExcess = 0;  // sectors libcdio counts past the image's real end
    int m_nextSector = -1;    // where paranoia stands, so sequential reads need no seek
    bool m_direct = false;    // an image read without paranoia
    bool m_bigEndian = false; // the image's samples are big-endian
    QString m_readError;
};
