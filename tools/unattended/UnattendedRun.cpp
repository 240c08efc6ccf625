#include "tools/unattended/UnattendedRun.h"

#include "controller/QuendaDlg.h"
#include "destination/CardNames.h"
#include "platform/files/FileSearch.h"
#include "platform/messages/MessageLoop.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/ReportCtrl.h"

#include <QDateTime>
#include <QTimer>

namespace {
constexpr int kLookMs = 200;
constexpr qint64 kAutoStartGraceMs = 15000;
// What the run waits for is told once the window had a moment to find its drives, and again every
// few seconds while it still waits.
constexpr qint64 kFirstWaitToldMs = 1000;
constexpr qint64 kWaitRepeatMs = 5000;
// The window is ready after this many readiness polls in a row found both sides ready.
constexpr int kReadyPolls = 4;

QString Seconds(qint64 ms) {
    return ms < 0 ? QStringLiteral("-") : QString::number(double(ms) / 1000.0, 'f', 1) + QStringLiteral(" s");
}
} // namespace

CUnattendedRun::CUnattendedRun(IModalService* inner, FILE* out) : m_inner(inner), m_out(out) {}

CUnattendedRun::~CUnattendedRun() {
    delete m_timer;
}

void CUnattendedRun::Print(const QString& line) {
    std::fprintf(m_out, "%s\n", line.toUtf8().constData());
    std::fflush(m_out);
}

int CUnattendedRun::MessageBox(HWND, const QString& text, const QString& caption, UINT type) {
    QString shown = text;
    shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const int answer = (type & 0xF) == MB_YESNO ? IDYES : IDOK;
    Print(QStringLiteral("message: [%1] %2 -> %3")
              .arg(caption, shown, answer == IDYES ? QStringLiteral("Yes") : QStringLiteral("OK")));
    return answer;
}

int CUnattendedRun::RunModal(const QString& name, const std::function<int()>& run) {
    return m_inner ? m_inner->RunModal(name, run) : run();
}

void CUnattendedRun::Attach(CQuendaDlg& dialog, int timeoutMs) {
    m_dialog = &dialog;
    m_timeoutMs = timeoutMs;
    m_clock.start();
    dialog.JobLog().SetMarkHandler([this](const CJobLog::Mark& mark) {
        if (mark.what == QLatin1String("transfer")) {
            JobStarted();
        }
        const qint64 since = qint64(mark.tick) - qint64(m_dialog->JobLog().Marks().first().tick);
        Print(QStringLiteral("job: %1 +%2 ms").arg(mark.what).arg(since));
    });
    dialog.JobLog().SetEndHandler([this](const CJobLog&) { Report(); });
    m_timer = new QTimer();
    m_timer->setInterval(kLookMs);
    QObject::connect(m_timer, &QTimer::timeout, [this] { Look(); });
    m_timer->start();
}

void CUnattendedRun::Look() {
    if (!m_dialog || m_dialog->IsEnded()) {
        m_timer->stop();
        return;
    }
    if (m_reported) {
        return;
    }
    if (m_clock.elapsed() > m_timeoutMs) {
        QString why = m_pressed ? QString() : WaitReason(*m_dialog);
        if (why.isEmpty()) {
            why =
                m_pressed ? QStringLiteral("the job did not end") : QStringLiteral("転送 was never pressed");
        }
        Print(QStringLiteral("unattended: no job ended within %1 s; giving up: %2")
                  .arg(m_timeoutMs / 1000)
                  .arg(why));
        m_reported = true;
        m_dialog->RequestEnd();
        return;
    }
    if (m_dialog->JobLog().Jobs() > 0) {
        m_pressed = true; // the automatic start (auto-sync) has begun the job
    }
    const bool ready = m_dialog->GetSyncState() == SYNC_WAIT && !m_dialog->IsJobRunning();
    if (!m_pressed) {
        TellWait();
    }
    if (ready && !m_readySince.isValid()) {
        m_readySince.start();
    }
    // With auto-sync on, the window's own countdown starts the job; Transfer is pressed only when
    // it has not within a while.
    const bool autoSync = m_dialog->Settings().AutoSync(true) != 0;
    if (!m_pressed && ready && (!autoSync || m_readySince.elapsed() > kAutoStartGraceMs)) {
        m_pressed = true;
        Print(QStringLiteral("unattended: the window is ready after %1; pressing 転送")
                  .arg(Seconds(m_clock.elapsed())));
        ::PostMessage(m_dialog->Handle(), WM_COMMAND, MAKEWPARAM(IDC_TRANSFER, BN_CLICKED), 0);
    }
}

QString CUnattendedRun::WaitReason(CQuendaDlg& dialog) {
    CCDROMAcc& disc = dialog.Source();
    if (disc.GetState() == 0) {
        return QStringLiteral("no CD drive");
    }
    if (disc.GetState() != 2) {
        return QStringLiteral("no audio CD in %1").arg(disc.GetDriveRoot());
    }
    CDAPAcc& card = dialog.Destination();
    if (card.GetState() == CDAPAcc::kNoDestination) {
        return QStringLiteral("no card");
    }
    if (card.GetState() != CDAPAcc::kReady) {
        return QStringLiteral("the card in %1 is not ready").arg(card.GetDriveRoot());
    }
    if (!disc.IsTrackListCurrent()) {
        return QStringLiteral("the list is not complete");
    }
    if (dialog.GetSyncState() == SYNC_INIT) {
        return QStringLiteral("the disc and the card must be found ready %1 times in a row (%2 so far)")
            .arg(kReadyPolls)
            .arg(dialog.ReadyCount());
    }
    return QString();
}

void CUnattendedRun::TellWait() {
    if (m_clock.elapsed() < kFirstWaitToldMs) {
        return;
    }
    const QString why = WaitReason(*m_dialog);
    if (why.isEmpty() || (why == m_told && m_toldAt.isValid() && m_toldAt.elapsed() < kWaitRepeatMs)) {
        return;
    }
    Print(QStringLiteral("unattended: waiting after %1: %2").arg(Seconds(m_clock.elapsed()), why));
    m_told = why;
    m_toldAt.start();
}

void CUnattendedRun::JobStarted() {
    m_meter.Start();
    // The ticks as the job took them, whoever pressed Transfer.
    CReportCtrl* list = m_dialog->TrackList();
    m_chosen = 0;
    for (int n = 1; n <= list->GetItemCount(); ++n) {
        m_chosen += list->IsTrackChosen(n) ? 1 : 0;
    }
    m_cardRoot = m_dialog->Destination().GetDriveRoot();
    Print(QStringLiteral("job: %1 of %2 tracks of \"%3\" to the card in %4, started at %5")
              .arg(m_chosen)
              .arg(list->GetItemCount())
              .arg(m_dialog->Source().GetAlbumTitle(), m_cardRoot)
              .arg(QDateTime::currentMSecsSinceEpoch()));
}

QStringList CUnattendedRun::CardListing(const QString& folder) {
    QStringList lines;
    WIN32_FIND_DATA data;
    const HANDLE search = FindFirstFile(folder + QStringLiteral("\\*.*"), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return lines;
    }
    do {
        if (data.cFileName == QLatin1String(".") || data.cFileName == QLatin1String("..") ||
            (data.dwFileAttributes & 0x10) != 0) {
            continue;
        }
        const quint64 size = (quint64(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        lines.append(QStringLiteral("%1\t%2").arg(data.cFileName).arg(size));
    } while (FindNextFile(search, &data));
    FindClose(search);
    lines.sort();
    return lines;
}

void CUnattendedRun::Report() {
    if (m_reported || !m_dialog) {
        return;
    }
    m_reported = true;
    m_meter.Stop();
    auto spans = [](const QList<CTurnMeter::Span>& list) {
        QStringList shown;
        for (const CTurnMeter::Span& span : list) {
            shown.append(QStringLiteral("%1 ms at +%2 ms").arg(span.ms).arg(span.beganMs));
        }
        return shown.join(QStringLiteral(", "));
    };
    Print(
        QStringLiteral("window thread: longest turns during the job: %1").arg(spans(m_meter.LongestTurns())));
    // Gaps longer than every turn are time the machine did not run the program at all.
    Print(QStringLiteral("window thread: longest gaps between its %1 ms beats: %2; 転送 at monotonic %3 ms")
              .arg(CTurnMeter::kBeatMs)
              .arg(spans(m_meter.LongestBeatGaps()))
              .arg(m_meter.StartedAtMonotonicMs()));
    const CJobLog& log = m_dialog->JobLog();
    const QString outcome = log.Outcome() ? LoadString(log.Outcome()) : QStringLiteral("(no message)");
    Print(QStringLiteral("outcome: %1 (%2)").arg(outcome).arg(log.Outcome()));
    auto span = [&log](const char* from, const char* to) {
        const qint64 a = log.Since(QString::fromLatin1(from));
        const qint64 b = log.Since(QString::fromLatin1(to));
        return a < 0 || b < 0 ? qint64(-1) : b - a;
    };
    Print(QStringLiteral("phases: preparation %1, rip %2, copy %3, clean-up %4; 転送 to the end notice %5")
              .arg(Seconds(span("preparation", "rip")), Seconds(span("rip", "rip complete")),
                   Seconds(span("copy", "copy complete")), Seconds(span("clean-up", "notice")),
                   Seconds(span("transfer", "notice"))));
    // Every mark, for tools that take the run apart (bench/job-bench), in ms since 転送.
    QStringList marks;
    for (const CJobLog::Mark& mark : log.Marks()) {
        marks.append(
            QStringLiteral("%1=%2").arg(mark.what).arg(qint64(mark.tick) - qint64(log.Marks().first().tick)));
    }
    Print(QStringLiteral("job marks: %1").arg(marks.join(QStringLiteral("; "))));
    const int ripped = m_dialog->Source().TrackCount(false);
    const int toCopy = int(m_dialog->Destination().FileList().size());
    Print(QStringLiteral("tracks ripped: %1; files copied: %2 of %3")
              .arg(ripped)
              .arg(m_dialog->Destination().CopiedCount())
              .arg(toCopy));

    // What landed on the card.
    const QString album = m_dialog->Destination().AlbumName();
    int onCard = 0;
    if (!album.isEmpty() && !m_cardRoot.isEmpty()) {
        // The folder the copy wrote into, by the copy's own rule.
        const QString folder = CardAlbumFolder(m_cardRoot, album);
        Print(QStringLiteral("card: %1").arg(folder));
        for (const QString& line : CardListing(folder)) {
            const QStringList parts = line.split(QLatin1Char('\t'));
            Print(QStringLiteral("  %1  %2 bytes").arg(parts[0], parts[1]));
            onCard += parts[1].toULongLong() > 0 ? 1 : 0;
        }
    }
    m_result = log.Outcome() == IDS_COPY_DONE && m_chosen > 0 && onCard >= m_chosen ? 0 : 1;
    Print(QStringLiteral("unattended: %1 of %2 ticked tracks on the card: %3")
              .arg(onCard)
              .arg(m_chosen)
              .arg(m_result == 0 ? QStringLiteral("done") : QStringLiteral("FAILED")));
    // The job's clean-up is still returning the window to idle; Close is live once it has.
    QPointer<CQuendaDlg> dialog = m_dialog;
    QTimer::singleShot(0, [dialog] {
        if (dialog) {
            ::PostMessage(dialog->Handle(), WM_COMMAND, MAKEWPARAM(IDC_CLOSE, BN_CLICKED), 0);
        }
    });
}
