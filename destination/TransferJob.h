#pragma once
// One copy of ripped tracks onto the card, as the worker thread runs it. The job owns its own copy
// of everything it reads (card, album name, files), made on the UI thread before the worker
// starts, so a refresh of the destination list meanwhile changes nothing under it. It shares only
// the stop flag and the progress value with the window.
//
// Every file is written under a temporary name, flushed and then renamed over its target (the
// platform's copy), so the card never holds a partial file and a failed copy leaves an existing
// file as it was. Progress reaches 100 only after the card's file system was flushed.

#include "platform/win/WinTypes.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>

class CTransferJob {
public:
    // Thread results: done (also a full card that may fill), stopped or no card, copy failed.
    static constexpr UINT kDone = 0;
    static constexpr UINT kStopped = 1;
    static constexpr UINT kCopyFailed = 2;

    CTransferJob(QString cardPath, QString albumName, QStringList files, bool untilFull,
                 std::atomic<int32_t>* stop, std::atomic<int32_t>* progress);

    UINT Run();

private:
    UINT Fail(UINT result);
    // Flushes the card, then reports 100; a card that cannot be flushed fails the copy.
    UINT Finish();

    const QString m_cardPath;
    const QString m_albumName;
    const QStringList m_files;
    const bool m_untilFull;
    std::atomic<int32_t>* m_stop;
    std::atomic<int32_t>* m_progress;
};
