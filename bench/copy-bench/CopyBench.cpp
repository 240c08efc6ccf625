// Copies the files of a folder onto a card folder the way the program copies a ripped album: the
// card is a removable drive of a volume table, the copy is the SD copy worker's job on its own
// thread (temporary name, flush, rename per file; the card's file system flushed at the end).
// Prints the job's wall time in milliseconds; exits 0 when the job ended complete.
//
//   ollivane-copy-bench SOURCE_FOLDER CARD_FOLDER ALBUM

#include "destination/TransferJob.h"
#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "platform/messages/VirtualMessageLoop.h"
#include "platform/thread/WorkerThread.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>

#include <atomic>
#include <cstdio>

namespace {

UINT Run(void* job) {
    return static_cast<CTransferJob*>(job)->Run();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: ollivane-copy-bench SOURCE_FOLDER CARD_FOLDER ALBUM\n");
        return 2;
    }
    const QString source = QFileInfo(args.at(1)).absoluteFilePath();
    const QString card = QFileInfo(args.at(2)).absoluteFilePath();

    CVolumes volumes;
    volumes.SetDrive({.letter = QLatin1Char('C'), .type = DRIVE_FIXED, .root = source});
    volumes.SetDrive(
        {.letter = QLatin1Char('E'), .type = DRIVE_REMOVABLE, .label = QStringLiteral("CARD"), .root = card});
    CVirtualMessageLoop loop;
    CPlatformScope scope(CPlatform{.volumes = &volumes, .loop = &loop});

    QStringList files;
    for (const QString& name : QDir(source).entryList(QDir::Files, QDir::Name))
        files.append(QStringLiteral("C:\\") + name);
    if (files.isEmpty()) {
        std::fprintf(stderr, "copy-bench: no files in %s\n", qPrintable(source));
        return 2;
    }

    CTransferJob job(QStringLiteral("E:"), args.at(3), files, false);
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<CWorkerThread> worker = CWorkerThread::Begin(&Run, &job);
    if (!worker) {
        std::fprintf(stderr, "copy-bench: no worker thread\n");
        return 1;
    }
    worker->WaitPolling(1); // on virtual time: blocks until the worker ends, no polling delay
    const qint64 elapsed = clock.nsecsElapsed() / 1000;
    DWORD code = STILL_ACTIVE;
    worker->GetExitCodeThread(&code);
    std::printf("%lld.%03lld\n", static_cast<long long>(elapsed / 1000),
                static_cast<long long>(elapsed % 1000));
    if (code != CTransferJob::kDone || job.Progress() != 100) {
        std::fprintf(stderr, "copy-bench: the copy failed (result %u, progress %d)\n", code, job.Progress());
        return 1;
    }
    return 0;
}
