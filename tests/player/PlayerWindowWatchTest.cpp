// Keeping the stand-alone player out of the way: found by its exact title, asked to close when
// visible (without waiting for it), and its network dialog raised.
#include "platform/messages/VirtualMessageLoop.h"
#include "platform/windows/WindowTable.h"
#include "player/PlayerHost.h"
#include "resources/StringIds.h"
#include "tests/player/FakePlayer.h"
#include "tests/support/engine/EngineFixture.h"

#include <gtest/gtest.h>

namespace {

class PlayerWindows : public CEngineFixture {
protected:
    HWND Foreign(const QString& title, bool visible, HWND owner = nullptr) {
        return m_windows.Create({.title = title, .owner = owner, .visible = visible});
    }
    int CloseRequests(HWND hwnd) const { return m_windows.Get(hwnd).closeRequests; }
    CPlayerHost::WatchResult Watch() {
        return CPlayerHost::WatchPlayerWindows([this](UINT text, UINT caption) {
            m_notices.push_back({text, caption});
        });
    }
    std::vector<std::pair<UINT, UINT>> m_notices;
};

TEST_F(PlayerWindows, OnlyTheExactTitleIsThePlayer) {
    EXPECT_EQ(CPlayerHost::FindPlayerWindow(), nullptr);
    Foreign(QStringLiteral("Windows Media Player - ライブラリ"), true);
    Foreign(QStringLiteral("windows media player"), true);
    EXPECT_EQ(CPlayerHost::FindPlayerWindow(), nullptr);
    const HWND hidden = Foreign(QStringLiteral("Windows Media Player"), false);
    EXPECT_EQ(CPlayerHost::FindPlayerWindow(), hidden) << "a hidden player still runs";
}

TEST_F(PlayerWindows, AVisiblePlayerIsAskedToCloseAndTheUserIsTold) {
    const HWND prefix = Foreign(QStringLiteral("Windows Media Player 12"), true);
    const HWND hidden = Foreign(QStringLiteral("Windows Media Player"), false);
    CPlayerHost::WatchResult result = Watch();
    EXPECT_FALSE(result.closedPlayer);
    EXPECT_TRUE(m_notices.empty());

    m_windows.SetVisible(hidden, true);
    result = Watch();
    EXPECT_TRUE(result.closedPlayer);
    ASSERT_EQ(m_notices.size(), 1u);
    EXPECT_EQ(m_notices[0], std::make_pair(IDS_WARN_PLAYER_CLOSED, IDS_CAPTION_WARNING));
    // Posted, never sent: a program that does not answer cannot hold ours up.
    EXPECT_EQ(CloseRequests(hidden), 0);
    m_loop.Pump();
    EXPECT_EQ(CloseRequests(hidden), 1);
    EXPECT_EQ(CloseRequests(prefix), 0);

    // It ignored the request: asked again, and told again, at the next round.
    Watch();
    m_loop.Pump();
    EXPECT_EQ(CloseRequests(hidden), 2);
    EXPECT_EQ(m_notices.size(), 2u);
}

TEST_F(PlayerWindows, ANetworkDialogOfThePlayerIsRaised) {
    const HWND player = Foreign(QStringLiteral("Windows Media Player"), false);
    const HWND plain = Foreign(QStringLiteral("オプション"), true, player);
    const HWND mine = Foreign(QStringLiteral("Ollivane"), true);
    SetForegroundWindow(mine);
    CPlayerHost::WatchResult result = Watch();
    EXPECT_EQ(result.raisedDialog, nullptr) << "the first dialog of the player has no network in its title";
    EXPECT_EQ(GetForegroundWindow(), mine);

    m_windows.Destroy(plain);
    const HWND network = Foreign(QStringLiteral("ネットワークに接続しています"), true, player);
    SetForegroundWindow(mine);
    result = Watch();
    EXPECT_EQ(result.raisedDialog, network);
    EXPECT_EQ(GetForegroundWindow(), network);
    EXPECT_FALSE(result.closedPlayer);

    // Each round raises it again; an untitled window or one owned by some other program is no
    // dialog of the player.
    m_windows.Destroy(network);
    const HWND other = Foreign(QStringLiteral("ブラウザ"), false);
    Foreign(QStringLiteral("ネット設定"), true, other);
    Foreign(QString(), true, player);
    SetForegroundWindow(mine);
    EXPECT_EQ(Watch().raisedDialog, nullptr);
    EXPECT_EQ(GetForegroundWindow(), mine);
}

TEST_F(PlayerWindows, CreatingThePlayerClosesAVisiblePlayerWindowEvenWhenItFails) {
    const HWND player = Foreign(QStringLiteral("Windows Media Player"), true);
    CPlayerHost host;
    EXPECT_FALSE(host.CreatePlayer(m_main)) << "nothing is registered as the player";
    m_loop.Pump();
    EXPECT_EQ(CloseRequests(player), 1);
    host.ShutdownPlayer();
}

} // namespace
