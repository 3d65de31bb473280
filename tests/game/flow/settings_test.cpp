// Tests of the settings: players created, chosen, renamed and deleted across restarts,
// their levels reaching the sound levels, mute, full screen, game modes, medals and the
// Lua functions the window scripts use.
#include <cstdlib>

#include <gtest/gtest.h>

#include "core/app/gamestate.h"
#include "core/online/hiscores.h"
#include "core/window/modalwindow.h"
#include "scene/sceneobject.h"
#include "support/settingsfixture.h"

namespace {

std::vector<std::string> LevelsOf(float sound, float music, float master)
{
  return {"1000=" + TRecordingLevels::Text(sound), "0=" + TRecordingLevels::Text(sound),
          "1001=" + TRecordingLevels::Text(music), "master=" + TRecordingLevels::Text(master)};
}

} // namespace

TEST_F(SettingsTest, AFirstStartHasNoPlayerTheDefaultLevelsAndCreatesNoPlayerByLooking)
{
  TSettings* settings = Make();
  // No player is current, so the constructor applies no levels; the start-up does.
  EXPECT_TRUE(mLevels.Take().empty());
  settings->InitGameToSettings();
  EXPECT_EQ(LevelsOf(0.75f, 0.75f, 1.0f), mLevels.Take());
  EXPECT_EQ(-1, settings->GetCurrentUser());
  EXPECT_EQ(0, settings->GetNumUsers());
  EXPECT_EQ(str(), settings->GetCurrentUserName());
  EXPECT_EQ(str(), settings->GetUserName(3));
  EXPECT_FALSE(settings->IsNameInUse(""));
  // Looking at players that do not exist leaves none behind.
  EXPECT_EQ(0, settings->GetNumUsers());
  EXPECT_EQ(kSettingsStory, settings->GetCurrentGameMode());
}

TEST_F(SettingsTest, NewPlayersTakeTheLevelsOfTheCurrentOneAndBecomeCurrent)
{
  TSettings* settings = Make();
  Run("gCaptions = 0 function UpdateCaption() gCaptions = gCaptions + 1 end");
  mLevels.Take();
  settings->CreateNewUser("Ann");
  EXPECT_EQ(1, settings->GetNumUsers());
  EXPECT_EQ(0, settings->GetCurrentUser());
  EXPECT_EQ(str("Ann"), settings->GetCurrentUserName());
  EXPECT_EQ(750, settings->mPrefs->GetInt(TSettings::kSoundLevel, -5, 0));
  EXPECT_EQ(750, settings->mPrefs->GetInt(TSettings::kMusicLevel, -5, 0));
  EXPECT_EQ(0, settings->mPrefs->GetInt(TSettings::kSoundOff, -5, 0));
  EXPECT_EQ(1, settings->mPrefs->GetInt(TSettings::kTimerOn, -5, 0));
  EXPECT_EQ(LevelsOf(0.75f, 0.75f, 1.0f), mLevels.Take());
  EXPECT_EQ(1, Number("gCaptions"));

  settings->mPrefs->SetInt(TSettings::kSoundLevel, 300, 0, true);
  settings->mPrefs->SetInt(TSettings::kSoundOff, 1, 0, true);
  settings->CreateNewUser("Bo");
  EXPECT_EQ(1, settings->GetCurrentUser());
  EXPECT_EQ(300, settings->mPrefs->GetInt(TSettings::kSoundLevel, -5, 1));
  EXPECT_EQ(LevelsOf(0.3f, 0.75f, 0.0f), mLevels.Take());
  EXPECT_EQ(2, Number("gCaptions"));
}

TEST_F(SettingsTest, PlayersChosenRenamedAndDeletedSurviveARestartWithTheirLevels)
{
  TSettings* settings = Make();
  settings->CreateNewUser("Ann");
  settings->CreateNewUser("Bo");
  settings->CreateNewUser("Cy");
  settings->mPrefs->SetInt(TSettings::kMusicLevel, 200, 1, true);

  settings->SetCurrentUser(3);
  EXPECT_EQ(2, settings->GetCurrentUser());
  mLevels.Take();
  settings->SetCurrentUser(1);
  EXPECT_EQ(LevelsOf(0.75f, 0.2f, 1.0f), mLevels.Take());
  settings->ChangeCurrentUserName("Bea");
  EXPECT_TRUE(settings->IsNameInUse("Bea"));
  EXPECT_FALSE(settings->IsNameInUse("bea"));
  EXPECT_FALSE(settings->IsNameInUse("Bo"));

  settings = Restart();
  EXPECT_EQ(3, settings->GetNumUsers());
  EXPECT_EQ(1, settings->GetCurrentUser());
  EXPECT_EQ(str("Bea"), settings->GetCurrentUserName());
  EXPECT_EQ(LevelsOf(0.75f, 0.2f, 1.0f), mLevels.Take());

  // Deleting player 2 of three selects player 1; deleting player 0 the highest left.
  settings->DeleteUser(2);
  EXPECT_EQ(2, settings->GetNumUsers());
  EXPECT_EQ(1, settings->GetCurrentUser());
  settings->DeleteUser(0);
  EXPECT_EQ(1, settings->GetNumUsers());
  EXPECT_EQ(0, settings->GetCurrentUser());
  EXPECT_EQ(str("Bea"), settings->GetUserName(0));
  // Indices out of range change nothing.
  settings->DeleteUser(1);
  settings->DeleteUser(-1);
  EXPECT_EQ(1, settings->GetNumUsers());

  settings = Restart();
  EXPECT_EQ(str("Bea"), settings->GetCurrentUserName());
  EXPECT_EQ(200, settings->mPrefs->GetInt(TSettings::kMusicLevel, -5, 0));
  settings->DeleteUser(0);
  EXPECT_EQ(0, settings->GetNumUsers());
  EXPECT_EQ(-1, settings->GetCurrentUser());
  settings = Restart();
  EXPECT_EQ(-1, settings->GetCurrentUser());
}

TEST_F(SettingsTest, DeletingAPlayerClearsOnlyTheirHiscores)
{
  TSettings* settings = Make();
  settings->CreateNewUser("Ann");
  settings->LogHighScore(500, false, false);
  settings->CreateNewUser("Bo");
  settings->LogHighScore(700, true, true);
  EXPECT_EQ(2, settings->mHiscores->GetScoreCount(true));
  EXPECT_EQ(2, settings->NumEarnedMedals());
  EXPECT_EQ(str("quillmoor-sleuth-bureau_cluefinder"), settings->GetMedalName(1));
  EXPECT_EQ(1, settings->GetMedalType(1));
  EXPECT_EQ(0, settings->GetMedalType(0));
  EXPECT_EQ(str("12345"), settings->GetMedalGameData(0));
  EXPECT_EQ(str(), settings->GetMedalName(2));
  EXPECT_EQ(0, settings->GetMedalType(7));
  EXPECT_EQ(str("700"), TGameState::GetInstance()->GetState("LastGameHiScore"));

  settings->DeleteUser(1);
  EXPECT_EQ(1, settings->mHiscores->GetScoreCount(true));
  EXPECT_EQ(0, settings->NumEarnedMedals());
}

TEST_F(SettingsTest, StoryKeepsOneScorePerPlayerAndFreePlayEveryScore)
{
  TSettings* settings = Make();
  settings->CreateNewUser("Ann");
  settings->LogHighScore(100, false, false);
  settings->LogHighScore(200, false, false);
  EXPECT_EQ(1, settings->mHiscores->GetScoreCount(true));
  settings->SetCurrentGameMode(kSettingsFreePlay);
  settings->LogHighScore(100, false, false);
  settings->LogHighScore(200, false, false);
  EXPECT_EQ(2, settings->mHiscores->GetScoreCount(true));
}

TEST_F(SettingsTest, MuteTogglesTheStoredSwitchAndTheMasterVolume)
{
  TSettings* settings = Make();
  settings->CreateNewUser("Ann");
  mLevels.Take();
  settings->ToggleSoundMute();
  EXPECT_EQ(1, settings->mPrefs->GetInt(TSettings::kSoundOff, -5, 0));
  EXPECT_TRUE(TGameState::GetInstance()->QueryMuteGame());
  EXPECT_FLOAT_EQ(0.0f, mLevels.mMaster);
  settings->ToggleSoundMute();
  EXPECT_EQ(0, settings->mPrefs->GetInt(TSettings::kSoundOff, -5, 0));
  EXPECT_FLOAT_EQ(1.0f, mLevels.mMaster);
  // Without a player the global switch is used.
  settings->DeleteUser(0);
  settings->ToggleSoundMute();
  EXPECT_EQ(1, settings->mPrefs->GetInt(TSettings::kSoundOff, -5, -1));
  EXPECT_EQ(0, settings->GetNumUsers());
  settings->ToggleSoundMute();
}

TEST_F(SettingsTest, GameModesAndTheNamesOfModesAndMedals)
{
  TSettings* settings = Make();
  settings->SetCurrentGameMode(1);
  EXPECT_EQ(1, settings->GetCurrentGameMode());
  settings->SetCurrentGameMode(2);
  settings->SetCurrentGameMode(-1);
  EXPECT_EQ(1, settings->GetCurrentGameMode());
  EXPECT_EQ(str("quillmoor-sleuth-bureau_freeplay"), settings->GetQVGameModeName(1));
  EXPECT_EQ(str(), settings->GetQVGameModeName(2));
  EXPECT_EQ(str("quillmoor-sleuth-bureau_solosleuth"), settings->GetQVMedalName(9));
  EXPECT_EQ(str(), settings->GetQVMedalName(10));
  EXPECT_EQ(str(), settings->GetQVMedalName(-1));
}

TEST_F(SettingsTest, FullScreenIsStoredWhenTheSwitchSucceeds)
{
  TSettings* settings = Make();
  // A platform without a display accepts the switch but stays in a window.
  EXPECT_TRUE(settings->ToggleFullScreen());
  EXPECT_EQ(1, settings->mPrefs->GetInt(TSettings::kFullScreen, -5, -1));
  settings->UpdateFullScreen();
  EXPECT_EQ(0, settings->mPrefs->GetInt(TSettings::kFullScreen, -5, -1));
}

TEST_F(SettingsTest, AWindowedRunOpensAWindowAtEveryStartAndLeavesTheStoredChoiceAlone)
{
  TSettings* settings = Make();
  unsetenv("QV_WINDOWED");
  EXPECT_TRUE(settings->StartsFullScreen());
  settings->mPrefs->SetInt(TSettings::kFullScreen, 0, -1, true);
  EXPECT_FALSE(settings->StartsFullScreen());
  setenv("QV_WINDOWED", "1", 1);
  settings->mPrefs->SetInt(TSettings::kFullScreen, 1, -1, true);
  EXPECT_FALSE(settings->StartsFullScreen());
  settings->InitGameToSettings();
  settings = Restart();
  EXPECT_FALSE(settings->StartsFullScreen());
  EXPECT_EQ(1, settings->mPrefs->GetInt(TSettings::kFullScreen, -5, -1));
  setenv("QV_WINDOWED", "0", 1);
  EXPECT_TRUE(settings->StartsFullScreen());
  unsetenv("QV_WINDOWED");
}

TEST_F(SettingsTest, ScriptsReachTheSettingsThroughTheirGlobalsUntilTheSettingsGo)
{
  Make();
  Run("CreateNewUser('Ann') CreateNewUser('Bo') SetCurrentUser(0) "
      "gCount = GetNumUsers() gName = GetUserName(1) gUser = GetCurrentUser() "
      "gInUse = IsNameInUse('Bo') gMode = GetQVGameModeName(0)");
  EXPECT_EQ(2, Number("gCount"));
  EXPECT_EQ(str("Bo"), Text("gName"));
  EXPECT_EQ(0, Number("gUser"));
  EXPECT_EQ(str("quillmoor-sleuth-bureau_story"), Text("gMode"));
  TSettings::DeleteSettings();
  Run("gGone = (GetNumUsers == nil) and (CreateNewUser == nil) and (GetCurrentUser == nil)");
  lua_getglobal(mScript->GetState(), "gGone");
  EXPECT_TRUE(lua_toboolean(mScript->GetState(), -1));
  lua_pop(mScript->GetState(), 1);
}

TEST_F(SettingsTest, QuitToMainMenuPopsEveryDialogDownToTheScreenLayer)
{
  TSettings* settings = Make();
  settings->QuitToMainMenu();
  EXPECT_EQ(1u, mManager.GetModalStack().size());
  mManager.PushModal(new TModalWindow);
  mManager.PushModal(new TModalWindow);
  EXPECT_EQ(3u, mManager.GetModalStack().size());
  settings->QuitToMainMenu();
  EXPECT_EQ(1u, mManager.GetModalStack().size());
  EXPECT_EQ(mManager.GetScreen(), static_cast<TWindow*>(mManager.GetTopModalWindow()));
}

TEST_F(SettingsTest, SceneObjectsReadTheSoundChoiceFromTheSettingsWhileTheyLive)
{
  TSettings* settings = Make();
  EXPECT_EQ(settings->mPrefs, TSceneObject::GetPreferences());
  TSettings::DeleteSettings();
  EXPECT_EQ(nullptr, TSceneObject::GetPreferences());
}
