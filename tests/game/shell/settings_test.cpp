// Tests of the settings: players created, chosen, renamed and deleted across restarts,
// their levels reaching the sound levels, mute, full screen, game modes, medals and the
// Lua functions the window scripts use.
#include <cstdlib>

#include <gtest/gtest.h>

#include "core/app/gamestate.h"
#include "core/online/hiscores.h"
#include "core/window/modalwindow.h"
#include "scene/sceneobject.h"
#include "core/foundation/file.h"
#include "core/foundation/stringtable.h"
#include "shell/savenotices.h"
#include "shell/shellglue.h"
#include "support/apptestutil.h"
#include "support/otherprogram.h"
#include "support/requirement.h"
#include "support/settingsfixture.h"
#include "support/tmpfsmount.h"

namespace {

// The notices' texts, with the argument where the player reads it.
class TNoticeTexts
{
public:
  TNoticeTexts()
  {
    const std::string table = StringTableXml({{"value_damaged", "copy: %1%"}, {"players_notafile", "folder: %1%"}});
    mStrings.MergeStringBuffer(table.data(), table.size(), "test strings");
    UseGameStringTable(&mStrings);
    // The dialog is there (a script would open it with the text).
    TFile::AddMemoryFile(TSaveNotices::kDialogFile, mDialog, 0);
  }
  ~TNoticeTexts()
  {
    UseGameStringTable(nullptr);
    TFile::AddMemoryFile(TSaveNotices::kDialogFile, nullptr, 0);
  }

private:
  TStringTable mStrings;
  char mDialog[1] = {0};
};

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

// Another program holds the detectives' file so that it cannot even be read: the game says
// so, plays on as for a first start, and keeps nothing that would overwrite the detectives.
TEST_F(SettingsTest, DetectivesThatCannotBeReadAtTheStartAreSaidAndNeverOverwritten)
{
  TSettings* settings = Make();
  settings->CreateNewUser("Ann");
  settings->mPrefs->SetInt(TSettings::kMusicLevel, 200, 0, true);
  TSettings::DeleteSettings();
  TOtherProgram other(mSandbox.Path("user/prefsdb.dat"));
  ASSERT_TRUE(other.Run("BEGIN EXCLUSIVE"));

  ::testing::internal::CaptureStderr();
  settings = Make();
  EXPECT_EQ(0, settings->GetNumUsers());
  EXPECT_TRUE(settings->mNotices->WasTold(TSaveNotices::kPlayersUnreadable));
  settings->CreateNewUser("Watson");
  EXPECT_EQ(str("Watson"), settings->GetCurrentUserName());
  ASSERT_TRUE(other.Run("COMMIT"));
  settings->ToggleSoundMute();
  // Said once at the start; failing saves add no notice of their own.
  EXPECT_FALSE(settings->mNotices->WasTold(TSaveNotices::kFileBusy));
  TSettings::DeleteSettings();
  ::testing::internal::GetCapturedStderr();

  settings = Make();
  ASSERT_EQ(1, settings->GetNumUsers());
  EXPECT_EQ(0, settings->GetCurrentUser());
  EXPECT_EQ(str("Ann"), settings->GetCurrentUserName());
  EXPECT_EQ(200, settings->mPrefs->GetInt(TSettings::kMusicLevel, -5, 0));
  EXPECT_EQ(0, settings->mPrefs->GetInt(TSettings::kSoundOff, -5, 0));
}

// A new detective signed in on a full disk is played with, said to wait, and reaches the file
// whole, name and levels and all, with the next save once there is room.
TEST_F(SettingsTest, ANewDetectiveOnAFullDiskIsKeptAndWrittenWholeByTheNextSave)
{
  TTmpfsMount disk;
  std::string why;
  if (!disk.Mount(256 * 1024, &why))
    QV_SKIP_UNLESS_REQUIRED("no small disk to fill: " << why);
  TFile::mUserDir = disk.Path().c_str();
  TSettings* settings = Make();
  settings->CreateNewUser("Holmes");
  ASSERT_TRUE(disk.Fill());
  ::testing::internal::CaptureStderr();
  settings->CreateNewUser("Watson");
  EXPECT_EQ(str("Watson"), settings->GetCurrentUserName());
  EXPECT_TRUE(settings->mNotices->WasTold(TSaveNotices::kDiskFull));
  disk.Unfill();
  settings->ToggleSoundMute();
  ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(settings->mPrefs->HasUnsavedChanges());

  settings = Restart();
  ASSERT_EQ(2, settings->GetNumUsers());
  EXPECT_EQ(1, settings->GetCurrentUser());
  EXPECT_EQ(str("Watson"), settings->GetCurrentUserName());
  EXPECT_EQ(750, settings->mPrefs->GetInt(TSettings::kSoundLevel, -5, 1));
  EXPECT_EQ(1, settings->mPrefs->GetInt(TSettings::kTimerOn, -5, 1));
  EXPECT_EQ(1, settings->mPrefs->GetInt(TSettings::kSoundOff, -5, 1));
  TSettings::DeleteSettings();
  TFile::mUserDir = mSandbox.Path("user").c_str();
}

// Damaged files found at the start are kept aside, and the player is told which copy holds them.
TEST_F(SettingsTest, DamagedFilesFoundAtTheStartAreToldWithTheNameOfTheirCopy)
{
  mSandbox.WriteFile("user/prefsdb.dat", std::string(3000, 'z'));
  mSandbox.WriteFile("user/hiscore.dat", "short");
  ::testing::internal::CaptureStderr();
  TSettings* settings = Make();
  ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(settings->mNotices->WasTold(TSaveNotices::kPlayersReplaced));
  EXPECT_TRUE(settings->mNotices->WasTold(TSaveNotices::kScoresReplaced));
  EXPECT_EQ(std::string(3000, 'z'), mSandbox.ReadFile("user/prefsdb.dat.corrupt"));
  EXPECT_EQ("short", mSandbox.ReadFile("user/hiscore.dat.corrupt"));
  settings->CreateNewUser("Ann");
  EXPECT_FALSE(settings->mPrefs->HasUnsavedChanges());
}

// A value of the preferences that cannot be deciphered is told once, with the name of the copy
// kept, and what the game writes over it reaches the file only after the player read that.
TEST_F(SettingsTest, ADamagedValueIsToldOnceAndWrittenOverOnlyAfterThePlayerReadIt)
{
  TNoticeTexts texts;
  TSettings* settings = Make();
  settings->CreateNewUser("Holmes");
  settings->mPrefs->SetBinary("story_savegame", "0123456789", 10, 0, true);
  TSettings::DeleteSettings();
  {
    TOtherProgram other(mSandbox.Path("user/prefsdb.dat"));
    ASSERT_TRUE(other.Run("UPDATE uservalues SET value = substr(value, 1, 15) WHERE key = 'story_savegame'"));
  }
  ::testing::internal::CaptureStderr();
  settings = Make();
  EXPECT_EQ(-1, settings->mPrefs->GetBinary("story_savegame", nullptr, 0, 0));
  settings->OnSaveWatch();
  EXPECT_TRUE(settings->mNotices->WasTold(TSaveNotices::kValueDamaged));
  settings->mPrefs->SetBinary("story_savegame", "new", 3, 0, true);
  settings->CheckSaves(true);
  EXPECT_TRUE(settings->mPrefs->HasUnsavedChanges());
  const str text = settings->mNotices->TakeNext();
  EXPECT_NE(std::string::npos, std::string(text.c_str()).find("copy: prefsdb.dat.corrupt")) << text.c_str();
  EXPECT_TRUE(settings->mPrefs->HasUnsavedChanges()) << "shown, not yet read";
  Run("SaveNoticeRead()");
  EXPECT_FALSE(settings->mPrefs->HasUnsavedChanges());
  settings = Restart();
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(3, settings->mPrefs->GetBinary("story_savegame", nullptr, 0, 0));
  EXPECT_FALSE(settings->mNotices->WasTold(TSaveNotices::kValueDamaged));
}

// A folder where the detectives' file should be is told as a folder, with where it is.
TEST_F(SettingsTest, AFolderInThePlaceOfTheDetectivesFileIsToldAsAFolder)
{
  TNoticeTexts texts;
  mSandbox.MakeFolder("user/prefsdb.dat");
  ::testing::internal::CaptureStderr();
  TSettings* settings = Make();
  ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(settings->mNotices->WasTold(TSaveNotices::kPlayersNotAFile));
  EXPECT_FALSE(settings->mNotices->WasTold(TSaveNotices::kPlayersUnreadable));
  EXPECT_NE(std::string::npos, std::string(settings->mNotices->TakeNext().c_str()).find("folder: /"));
  settings->CreateNewUser("Ann");
  EXPECT_FALSE(settings->mNotices->WasTold(TSaveNotices::kSaveFailed)) << "said once, at the start";
  EXPECT_TRUE(mSandbox.FileExists("user/prefsdb.dat"));
}

TEST_F(SettingsTest, TemporaryFilesOfSavesCutShortGoAtTheStart)
{
  mSandbox.WriteFile("user/hiscore.dat.tmp999999999-3", "half a save");
  mSandbox.WriteFile("user/notes.tmp", "not ours");
  ::testing::internal::CaptureStderr();
  Make();
  EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("Removed "));
  EXPECT_FALSE(mSandbox.FileExists("user/hiscore.dat.tmp999999999-3"));
  EXPECT_TRUE(mSandbox.FileExists("user/notes.tmp"));
}
