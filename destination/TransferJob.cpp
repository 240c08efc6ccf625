#include "destination/TransferJob.h"

#include "destination/CardNames.h"
#include "platform/files/FileOps.h"
#include "platform/files/VolumeFlush.h"
#include "platform/win/LastError.h"

CTransferJob::CTransferJob(QString cardPath, QString albumName, QStringList files, bool untilFull)
    : m_cardPath(std::move(cardPath)), m_albumName(std::move(albumName)), m_files(std::move(files)),
      m_untilFull(untilFull) {}

UINT CTransferJob::Fail(UINT result) {
    // The files copied so far stay: their names reach the card too (a pulled card refuses).
    if (!m_cardPath.isEmpty())
        FlushVolumeBuffers(m_cardPath);
    m_progress.store(-1);
    m_stop.store(1);
    return result;
}

UINT CTransferJob::Finish() {
    // A card too full for even the first file is no transfer, whatever the user agreed to.
    if (m_copied.load() == 0)
        return Fail(kCopyFailed);
    if (!FlushVolumeBuffers(m_cardPath))
        return Fail(kCopyFailed);
    m_progress.store(100);
    return kDone;
}

UINT CTransferJob::Run() {
    if (m_cardPath.isEmpty())
        return Fail(kStopped); // a player entry: nothing to copy onto
    // Folders that exist already are used as they are; a folder that cannot be made shows as the
    // first copy failing.
    CreateDirectory(m_cardPath + QLatin1Char('\\') + kAudioFolder, nullptr);
    const QString albumFolder = CardAlbumFolder(m_cardPath, m_albumName);
    CreateDirectory(albumFolder, nullptr);
    // A copy killed part way (the program's end, a crash) left its temporary file here.
    DeleteCopyLeftovers(albumFolder);
    if (m_files.isEmpty())
        return Fail(kStopped);

    const int32_t step = 100 / int32_t(m_files.size());
    int32_t accumulated = 0;
    for (qsizetype i = 0; i < m_files.size(); ++i) {
        if (m_stop.load() != 0)
            return Fail(kStopped);
        QString target;
        if (!CardFilePath(albumFolder, m_files.at(i), &target))
            return Fail(kCopyFailed);
        // Each file's data is on the card before it takes its name; the names are flushed with
        // the whole card at the end, once instead of once per file.
        if (!CopyFileEx(m_files.at(i), target, COPY_FILE_DEFER_FOLDER_FLUSH, &m_stop)) {
            if (GetLastError() == DWORD(ERROR_REQUEST_ABORTED))
                return Fail(kStopped);
            if (GetLastError() == DWORD(ERROR_DISK_FULL) && m_untilFull)
                return Finish(); // the user chose to fill the card: the files so far stay
            return Fail(kCopyFailed);
        }
        m_copied.fetch_add(1);
        if (i == m_files.size() - 1)
            return Finish();
        m_progress.store(accumulated);
        accumulated += step;
    }
    return Finish();
}
