#pragma once
// The main job without anybody at the window: once the window is ready, Transfer is pressed; every
// message is printed and answered as a user who wants the job done would answer it (OK, and Yes
// to filling the card); when the job has ended, what happened is printed (each step with its time,
// the tracks ripped, the files on the card with their sizes) and the window closes. The run counts
// as a success only when the card holds a file of every ticked track. Until the window is ready it
// says every few seconds what it waits for (a drive, a disc, a card, the track list), and when its
// time is up it ends with that reason.
//
// The modal service it installs wraps the program's own: modal windows (the timed notices) still
// run for real.

#include "platform/messages/ModalService.h"
#include "tools/unattended/TurnMeter.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdio>

class CQuendaDlg;
class QTimer;

class CUnattendedRun : public IModalService {
public:
    // `inner` runs the modal windows; `out` gets the report.
    CUnattendedRun(IModalService* inner, FILE* out);
    ~CUnattendedRun() override;
    CUnattendedRun(const CUnattendedRun&) = delete;
    CUnattendedRun& operator=(const CUnattendedRun&) = delete;

    // Watches the window from its start; gives up after timeoutMs without an ended job.
    void Attach(CQuendaDlg& dialog, int timeoutMs = 600000);
    // 0 when the card holds the ticked tracks after a job that ended well; 1 otherwise.
    int Result() const { return m_result; }

    int MessageBox(HWND owner, const QString& text, const QString& caption, UINT type) override;
    int RunModal(const QString& name, const std::function<int()>& run) override;

    // The files of an album folder on the card ("E:\音声データ\<album>"), as "name<TAB>bytes".
    static QStringList CardListing(const QString& folder);
    // What the window still needs before 転送 can be pressed ("no audio CD in D:"); empty when it
    // is ready.
    static QString WaitReason(CQuendaDlg& dialog);

private:
    void Look();
    void TellWait();
    void JobStarted();
    void Report();
    void Print(const QString& line);

    IModalService* m_inner;
    FILE* m_out;
    CQuendaDlg* m_dialog = nullptr;
    QTimer* m_timer = nullptr;
    // The window thread during the job, from 転送 on.
    CTurnMeter m_meter;
    QElapsedTimer m_clock;
    QElapsedTimer m_readySince;
    QElapsedTimer m_toldAt;
    QString m_told;
    int m_timeoutMs = 0;
    bool m_pressed = false;
    bool m_reported = false;
    int m_result = 1;
    int m_chosen = 0;
    QString m_cardRoot;
};
