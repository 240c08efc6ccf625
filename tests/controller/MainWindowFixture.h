#pragma once
// The whole program's main window on a sandbox: the real media engine, a disc in D:, a card in E:,
// virtual time, scripted modal windows and a scripted system. A test sets the machine up, starts
// the window with Start() and drives it through the loop's clock.

#include "controller/QuendaDlg.h"
#include "platform/messages/ScriptedModalService.h"
#include "platform/system/SimSystemServices.h"
#include "tests/support/engine/EngineFixture.h"

#include <QStringList>
#include <memory>
#include <vector>

class CMainWindowFixture : public CEngineFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // A disc of `tracks` tracks of `seconds` each, with Japanese titles, in D:.
    void InsertDisc(int tracks = 3, double seconds = 1.5, const QString& name = QStringLiteral("disc"));
    // Starts the window (its start-up steps) with the player of that version; false when a start-up
    // check ended it.
    bool Start(const QString& version = QStringLiteral("11.0.5721.5145"));
    // The window's end, as at the program's end.
    void Finish();

    // Runs the loop for `ms` of virtual time in steps, letting the engine's threads hand over what
    // they have; virtual time keeps pace with the wall clock while work is handed over.
    void Run(DWORD ms, DWORD step = 100);
    // Runs until done() holds; false after maxMs of virtual time.
    bool RunUntil(const std::function<bool()>& done, DWORD maxMs = 120000, DWORD step = 100);
    // Runs the readiness poll until the window is ready for Transfer (state 2).
    bool RunUntilReady(DWORD maxMs = 20000);
    // Presses Transfer and runs the job to its end (the window back in state 0).
    bool RunJob(DWORD maxMs = 300000);
    void Command(int id, WORD code = 0);

    // What the window showed, as "text id/caption id" of the string table ("1720/1102" for the
    // timed completion notice).
    std::vector<std::string> Notices() const;
    QStringList ModalNames() const;
    // Files below the card's audio folder, as paths relative to it with '/'.
    QStringList CardFiles() const;
    // Files below the rip folder (the user's music folder), relative to it.
    QStringList MusicFiles() const;
    QString CardHost() const;
    long LibraryCount(const QString& attribute, const QString& value) const;
    std::optional<DWORD> Pref(const QString& name) const;
    std::optional<QString> PrefText(const QString& name) const;
    void SetAutoSync(DWORD value);
    // Leaves exactly `bytes` free on the drive (rounded up to whole clusters), whatever it holds now.
    void SetFreeBytes(QChar letter, quint64 bytes);
    // The disc in D: ripped into the library by the player before the window runs, as a user's own
    // earlier rips; the files it made, relative to the music folder.
    QStringList RipEarlierRips(const QString& version = QStringLiteral("11.0.5721.5145"));
    // The disc's TOC as the player gives it.
    QString Toc() const;
    void SetEngineFaults(const MediaEngineFaults& faults);
    // One readiness poll (the destination's free space is read again).
    void RunOnePoll() { Run(kReadinessMs); }
    // Runs until the window is in `state`.
    bool RunUntilState(int32_t state, DWORD maxMs = 120000);
    // Presses Transfer with a player that ignores both stop and eject (its rip holds inside the
    // second track), and once the first rip is in the library asks the window to end, as a closed
    // session does; returns when the request was made.
    void RequestEndDuringARipThatWillNotStop();
    // Sends a player event message to the window, as the event sink does.
    LRESULT SendEvent(UINT message, WPARAM wParam, LPARAM lParam = 0);

    // While the player rips, virtual time keeps pace with the wall clock (off: as fast as it goes).
    bool m_ripAtWallClock = true;
    CScriptedModalService m_modal;
    CSimSystemServices m_system;
    std::unique_ptr<CPlatformScope> m_windowScope;
    std::unique_ptr<CQuendaDlg> m_dlg;
};
