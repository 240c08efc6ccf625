// The player context: taken from the control host window, with the player's major version.

#include "source/PlayerContext.h"
#include "tests/support/engine/EngineFixture.h"

class PlayerContextTest : public CEngineFixture {
protected:
    void TearDown() override {
        PlayerContext().ReleasePlayer();
        CEngineFixture::TearDown();
    }
};

TEST_F(PlayerContextTest, TakesPlayerLibraryAndMajorVersionFromTheHostWindow) {
    for (const auto& [version, major] :
         {std::pair{QStringLiteral("10.0.0.3997"), 10}, std::pair{QStringLiteral("11.0.5721.5145"), 11},
          std::pair{QStringLiteral("12"), 12}}) {
        SCOPED_TRACE(version.toStdString());
        CreatePlayer(version);
        ASSERT_TRUE(PlayerContext().AttachPlayer(m_host->m_hWnd));
        EXPECT_EQ(PlayerContext().Host(), m_host->m_hWnd);
        EXPECT_EQ(PlayerContext().Player(), m_player.Get());
        ASSERT_NE(PlayerContext().Library(), nullptr);
        EXPECT_EQ(PlayerContext().MajorVersion(), major);
        PlayerContext().ReleasePlayer();
        EXPECT_EQ(PlayerContext().Player(), nullptr);
        EXPECT_EQ(PlayerContext().Library(), nullptr);
        EXPECT_EQ(PlayerContext().Host(), nullptr);
        EXPECT_EQ(PlayerContext().MajorVersion(), -1);
        ReleasePlayer();
    }
}

TEST_F(PlayerContextTest, HoldsNothingWhenTheHostHasNoPlayer) {
    EXPECT_FALSE(PlayerContext().AttachPlayer(nullptr));
    // A host window without a control, and a window that is no host at all.
    CAxWindow empty;
    ASSERT_TRUE(empty.Create(m_main, RECT{0, 0, 10, 10}));
    EXPECT_FALSE(PlayerContext().AttachPlayer(empty.m_hWnd));
    EXPECT_FALSE(PlayerContext().AttachPlayer(m_main));
    EXPECT_EQ(PlayerContext().Player(), nullptr);
    EXPECT_EQ(PlayerContext().Library(), nullptr);
    EXPECT_EQ(PlayerContext().Host(), nullptr);
    EXPECT_EQ(PlayerContext().MajorVersion(), -1);
}

TEST_F(PlayerContextTest, AttachingAgainLetsTheFormerPlayerGo) {
    CreatePlayer();
    ASSERT_TRUE(PlayerContext().AttachPlayer(m_host->m_hWnd));
    const HWND first = m_host->m_hWnd;
    EXPECT_TRUE(PlayerContext().AttachPlayer(first));
    EXPECT_EQ(PlayerContext().Player(), m_player.Get());
    EXPECT_FALSE(PlayerContext().AttachPlayer(nullptr));
    EXPECT_EQ(PlayerContext().Player(), nullptr);
}

TEST(PlayerContextVersion, LeadingNumberOfTheVersionText) {
    EXPECT_EQ(CPlayerContext::MajorVersionOf(QStringLiteral("10.0.0.4036")), 10);
    EXPECT_EQ(CPlayerContext::MajorVersionOf(QStringLiteral("9")), 9);
    EXPECT_EQ(CPlayerContext::MajorVersionOf(QStringLiteral("x.1")), 0);
    EXPECT_EQ(CPlayerContext::MajorVersionOf(QString()), 0);
}
