#pragma once
// One copy of ripped tracks onto the card, as the worker thread runs it. The job owns its own copy
// of everything it reads (card, album name, files), made on the UI thread before the worker
// starts, so a refresh of the destination list meanwhile changes nothing under it. It shares only
// its stop flag, its progress and the count of files that landed with the window, all atomic and
// all its own: a worker stuck in a write that never returns can be left behind with its job while
// the window goes on.
//
// Every file is written under a temporary name, flushed and then renamed over its target (the
// platform's copy), so the card never holds a partial file and a failed copy leaves an existing
// file as it was. The stop flag is looked at inside a file too, between its pieces. Progress
// reaches 100 only after the card's file system was flushed, and only when a file landed.

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

    CTransferJob(QString cardPath, QString albumName, QStringList files, bool untilFull);

    UINT Run();

    // The window's side.
    void RequestStop() { m_stop.store(1); }
    // 0..100 while running or done, -1 after a failure or a stop.
    int32_t Progress() const { return m_progress.load(); }
    // Files that landed on the card, of FileCount().
    int32_t Copied() const { return m_copied.load(); }
    int32_t FileCount() const { return int32_t(m_files.size()); }

private:
    UINT Fail(UINT result);
    // Flushes the card, then reports 100; a card that cannot be flushed fails the copy.
    UINT Finish();

    const QString m_cardPath;
    const QString m_albumName;
    const QStringList m_files;
    const bool m_untilFull;
    std::atomic<int32_t> m_stop{0};
    std::atomic<int32_t> m_progress{0};
    std::atomic<int32_t> m_copied{0};
};
