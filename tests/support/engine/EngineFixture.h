#pragma once
// A machine for the media engine's tests: a sandbox (C: with the user's folders, D: a CD drive,
// E: a card), its registry with the player's preferences, virtual time, and the engine registered
// with the control container under the player's class id, with the real disc reader and rip job.
// The player is created as the program creates it: inside a host window, through the container.

#include "mediaengine/MediaEngine.h"
#include "mediaengine/MediaEngineTest.h"
#include "platform/Platform.h"
#include "platform/com/Com.h"
#include "platform/container/AxWindow.h"
#include "platform/container/ControlFactoryRegistration.h"
#include "platform/messages/VirtualMessageLoop.h"
#include "platform/sandbox/Sandbox.h"
#include "platform/windows/WindowTable.h"
#include "platform/wmp/Wmp.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/EventRecorder.h"
#include "tests/support/engine/TestDiscImage.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

using RecorderPtr = ComPtr<CComObject<CEventRecorder>>;

class CEngineFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a disc image into the sandbox's discs/ folder; returns the drive's `disc` text.
    QString MakeDisc(const TestDisc& disc, const QString& name = QStringLiteral("disc"));
    // A short disc with Japanese titles: 3 tracks of 1.5 s.
    QString MakeJapaneseDisc(const QString& name = QStringLiteral("disc"));
    // The demo disc in D:: the real one when OLLIVANE_DEMO_DISC names its CUE sheet (scripts/screenshots
    // does), else a short one with the same titles.
    void InsertDemoDisc();
    static const QStringList kDemoTitles;
    static const QString kDemoAlbum;
    void Insert(QChar letter, const QString& disc);
    void TakeOut(QChar letter);
    // The preferences the program sets before a rip.
    void SetRipPreferences(const QString& folder, DWORD rate = 128000,
                           const QString& detail = QStringLiteral("*TrackNumber;*SongTitle;Artist;Album"),
                           const QString& separator = QStringLiteral(" "));

    // Registers the engine under the player's class id (with m_config and that version), without
    // creating a player: for tests that create it the way the program does.
    void RegisterEngine(const QString& version = QStringLiteral("11.0.5721.5145"));
    // Registers the engine (with m_config) and creates the player in a host window.
    ComPtr<IWMPPlayer4> CreatePlayer(const QString& version = QStringLiteral("11.0.5721.5145"));
    // Lets the player go as the program does at its end.
    void ReleasePlayer();
    RecorderPtr Advise(bool dispatch = false);
    ComPtr<IMediaEngineTest> Test() const;
    ComPtr<IWMPCdrom> Drive(long index) const;
    ComPtr<IWMPPlaylist> CdPlaylist(long index) const;
    ComPtr<IWMPMediaCollection> Library() const;

    // Runs what the workers hand over until done() holds; false after timeoutMs of real time.
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 120000);
    bool WaitForRipEnd(int timeoutMs = 120000);

    static QString Info(IWMPMedia* item, const QString& name);
    static QString Info(IWMPPlaylist* list, const QString& name);
    static QString Name(IWMPMedia* item);
    static QString Name(IWMPPlaylist* list);
    static long Count(IWMPPlaylist* list);
    static ComPtr<IWMPMedia> Item(IWMPPlaylist* list, long index);
    // The host path of a Windows path of the sandbox.
    QString Host(const QString& winPath) const;

    CTempDir m_tmp;
    QString m_dir;
    std::unique_ptr<CSandbox> m_sandbox;
    CVirtualMessageLoop m_loop;
    CWindowTable m_windows;
    std::unique_ptr<CPlatformScope> m_scope;
    MediaEngineConfig m_config;
    std::unique_ptr<CControlFactoryRegistration> m_registration;
    HWND m_main = nullptr;
    std::unique_ptr<CAxWindow> m_host;
    ComPtr<IWMPPlayer4> m_player;
};
