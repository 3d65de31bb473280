// Tests of the main menu window: its music loops at the music level while it exists and
// stops with it, unless the music manager plays, and its Lua function goes with it.
#include <gtest/gtest.h>

#include "core/sound/oggdatasource.h"
#include "platform/sound/soundinstance.h"
#include "shell/mainmenu.h"
#include "media/musicmanager.h"
#include "support/shellwindowfixture.h"
#include "support/soundtestutil.h"

namespace {

class MainMenuTest : public ShellWindowTest
{
protected:
  void SetUp() override
  {
    ShellWindowTest::SetUp();
    if (IsSkipped())
      return;
    TOggDataSource::Register();
    sandbox.WriteFile("assets/audio/music/mainmenumusic.ogg", ReadBytes(SoundFixture("tone030.ogg")));
    TFile::ScanForResources();
    sound.Init();
  }
  void TearDown() override
  {
    GMusicManager::Instance()->ReleaseSounds();
    ShellWindowTest::TearDown();
  }
  TSoundManager sound;
};

} // namespace

TEST_F(MainMenuTest, TheMenuMusicLoopsAtTheMusicLevelAndEndsWithTheWindow)
{
  Run("MakeDialog{ MainMenu{ name = 'menu', w = 800, h = 600 } }");
  TMainMenu* menu = Find<TMainMenu>("menu");
  ASSERT_NE(nullptr, menu);
  boost::shared_ptr<TSoundData> music = menu->GetMusic()->GetData();
  EXPECT_EQ(kSoundTypeMusic, music->mGroup);
  ASSERT_EQ(1u, music->mInstances.size());
  boost::shared_ptr<TSoundInstance> playing = *music->mInstances.begin();
  // Longer than the track: it is still playing, so it loops.
  PumpUntil(
      sound, [] { return false; }, 0.5);
  EXPECT_TRUE(playing->mStream);
  Run("gBound = SetWelcomeName ~= nil SetWelcomeName()");
  EXPECT_TRUE(Truth("gBound"));

  Run("DestroyWindow('menu')");
  manager.ClearDestroyedWindows();
  EXPECT_TRUE(PumpUntil(
      sound, [&] { return !playing->mStream; }, 2.0));
  Run("gGone = SetWelcomeName == nil");
  EXPECT_TRUE(Truth("gGone"));
}

TEST_F(MainMenuTest, OverTheMusicOfAScreenTheMenuLeavesItsOwnTrackUnplayed)
{
  ASSERT_TRUE(GMusicManager::Instance()->PlayMusic("audio/music/qsb_theme.ogg", true, true, ""));
  Run("MakeDialog{ MainMenu{ name = 'menu', w = 800, h = 600 } }");
  TMainMenu* menu = Find<TMainMenu>("menu");
  ASSERT_NE(nullptr, menu);
  ASSERT_TRUE(menu->GetMusic());
  EXPECT_TRUE(menu->GetMusic()->GetData()->mInstances.empty());
}
