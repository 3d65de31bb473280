// gametestutil: the game controller's test bed: the settings' (a throw-away user folder, the
// platform, the window manager with its script) with the game's configuration files, one
// player, and stand-in screens (journal, search room, puzzles) that record what they hear.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "core/foundation/file.h"
#include "core/window/screen.h"
#include "core/window/windowmanager.h"
#include "core/window/windowscript.h"
#include "screenbase/minigame.h"
#include "screenbase/savestring.h"
#include "screenbase/scenescreen.h"
#include "controller/screenfactory.h"
#include "shell/settings.h"
#include "controller/thegame.h"
#include "app/vellumkitinit.h"
#include "scene/binarybuffer.h"
#include "support/settingsfixture.h"

// Every call the stand-in screens hear, in order ("ReInit meta.xml", "Save search", ...).
inline std::vector<std::string>& ScreenLog()
{
  static std::vector<std::string> log;
  return log;
}

// A screen whose saved record is its class name, a word of its own and its scenes.
template <class Base>
class TRecordingScreen : public Base
{
public:
  bool Save(TBinaryBuffer* buffer) override
  {
    ScreenLog().push_back("Save " + std::string(this->getDynamicScreenID().c_str()));
    SaveString(buffer, mWord);
    return TSceneScreen::Save(buffer);
  }
  bool LoadSaved(TBinaryBuffer* buffer) override
  {
    ScreenLog().push_back("LoadSaved " + std::string(this->getDynamicScreenID().c_str()));
    return LoadString(buffer, mWord) && TSceneScreen::LoadSaved(buffer);
  }
  void StartFading(unsigned time, bool fadeIn) override
  {
    ScreenLog().push_back(std::string(fadeIn ? "FadeIn " : "FadeOut ") + this->getDynamicScreenID().c_str());
    TSceneScreen::StartFading(time, fadeIn);
  }
  str AddScene(const str& file, bool now) override
  {
    ScreenLog().push_back(std::string(now ? "AddScene now " : "AddScene queued ") + file.c_str());
    return TSceneScreen::AddScene(file, now);
  }
  str mWord = "plain";
};

class TStubScreen : public TRecordingScreen<TSceneScreen>
{};

class TStubMetaPuzzle : public TRecordingScreen<TMetaPuzzleBase>
{
public:
  void ReInit(const str& config, bool reset) override
  {
    ScreenLog().push_back("ReInit " + std::string(config.c_str()));
    mWord = config;
  }
};

class TStubSequence : public TRecordingScreen<TMiniGame>
{
public:
  bool LoadConfig(const str& config, bool reset) override
  {
    ScreenLog().push_back("LoadConfig " + std::string(config.c_str()));
    mWord = config;
    return true;
  }
};

// The journal's side of the controller; its fades end at once, as a journal scene reports them.
class TStubJournal : public TRecordingScreen<TSceneScreen>, public IJournalScreen
{
public:
  void StartFading(unsigned time, bool fadeIn) override
  {
    TRecordingScreen<TSceneScreen>::StartFading(time, fadeIn);
    if (fadeIn) {
      TTheGame::GetInstance()->JournalFadingInCompleted();
    } else {
      TTheGame::GetInstance()->JournalFadingCompleted();
    }
  }
  void OnRoundReset() override { ScreenLog().push_back("OnRoundReset"); }
  void ShowEndCaseTitleAnimation() override { ScreenLog().push_back("ShowEndCaseTitleAnimation"); }
};

// Story configuration: round 1 has two cases (the museum with every attribute and theories,
// the library), round 2 one case; a free-play configuration of three locations.
inline void WriteGameConfig(TVfsSandbox& sandbox)
{
  sandbox.WriteFile("assets/configs/rounds_config.xml", R"(<?xml version="1.0"?>
<rounds>
  <round cinema="movies/round1.swf" journal_scene="scenes/journal/round1.sxm" overlay_scene="scenes/overlay/round1.sxm"
         end_anim="round1_end" rank="rank_constable" time="600">
    <cases>
      <case location_id="02_museum">
        <SearchScreen ScreenClass="TSearchScreen" SceneConfig="scenes/search/museum.sxm" SearchConfig="configs/search/museum.xml"
                      IntroAnim="museum_search_intro" EndAnim="museum_search_end" Cover="museum_cover"
                      location_sting="audio/music/sting_museum.ogg" ambient_sound="audio/sfx/museum_hall.ogg"/>
        <IntroAnim anim="museum_intro"/>
        <EndAnim anim="museum_end"/>
        <Puzzles SequenceConfig="configs/puzzles/museum_sequence.xml" ChecklistConfig="configs/cases/museum_checklist.xml"
                 MetaPuzzleConfig="configs/puzzles/museum_meta.xml" MetaPuzzleClass="TMetaPuzzle" SequenceClass="TStubSequence"/>
        <theories>
          <theory id="glove" txt="theory_glove" anim="glove_anim" check_text="glove_check" icon="icon_glove"/>
          <theory txt="theory_hint" anim="hint_anim" check_text="hint_check" icon="icon_hint"/>
          <theory id="window" txt="theory_window" anim="window_anim" check_text="window_check" icon="icon_window"/>
        </theories>
        <case_file>
          <title txt="museum_title"/>
          <dsc txt="museum_dsc"/>
          <solved txt="museum_solved"/>
          <image frame="museum_pict"/>
          <suspects guilty="3">
            <suspect frame="s1" clue_icon="c1" wrong_anim="w1" good_anim="g1" innocent_anim="i1" name="Ada"/>
            <suspect frame="s2" clue_icon="c2" wrong_anim="w2" good_anim="g2" innocent_anim="i2" name="Bo"/>
            <suspect frame="s3" clue_icon="c3" wrong_anim="w3" good_anim="g3" innocent_anim="i3" name="Cy"/>
            <suspect frame="s4" clue_icon="c4" wrong_anim="w4" good_anim="g4" innocent_anim="i4" name="Di"/>
            <suspect frame="s5" clue_icon="c5" wrong_anim="w5" good_anim="g5" innocent_anim="i5" name="Ed"/>
            <suspect frame="s6" clue_icon="c6" wrong_anim="w6" good_anim="g6" innocent_anim="i6" name="Flo"/>
          </suspects>
        </case_file>
      </case>
      <case location_id="15_library">
        <SearchScreen ScreenClass="TSearchScreen" SceneConfig="scenes/search/library.sxm" SearchConfig="configs/search/library.xml"/>
        <IntroAnim anim="library_intro"/>
        <EndAnim anim="library_end"/>
        <Puzzles SequenceClass="TStubSequence" SequenceConfig="configs/puzzles/library_sequence.xml"
                 ChecklistConfig="configs/cases/library_checklist.xml"/>
        <case_file><suspects guilty="1"/></case_file>
      </case>
    </cases>
  </round>
  <round cinema="movies/round2.swf" journal_scene="scenes/journal/round2.sxm" overlay_scene="scenes/overlay/round2.sxm"
         end_anim="round2_end" rank="rank_inspector" time="900">
    <cases>
      <case location_id="31_laondromat">
        <SearchScreen ScreenClass="TSearchScreen" SceneConfig="scenes/search/laundromat.sxm"/>
        <Puzzles SequenceClass="TStubSequence" ChecklistConfig="configs/cases/library_checklist.xml"/>
      </case>
    </cases>
  </round>
</rounds>
)");
  sandbox.WriteFile("assets/configs/cases/museum_checklist.xml",
                    "<checklist_puzzle><scene file=\"scenes/puzzles/museum_checklist.sxm\"/>"
                    "<suspects nums=\"0,2,4\"/></checklist_puzzle>");
  sandbox.WriteFile("assets/configs/cases/library_checklist.xml",
                    "<checklist_puzzle><scene file=\"scenes/puzzles/library_checklist.sxm\"/>"
                    "<suspects nums=\"1,2,3\"/></checklist_puzzle>");
  sandbox.WriteFile("assets/configs/freeplay_config.xml", R"(<free_play>
  <location id="34_zoo" freeplayscene="scenes/search/zoo.sxm" freeplayconfig="configs/search/zoo.xml"/>
  <location id="02_museum" freeplayscene="scenes/search/museum.sxm" freeplayconfig="configs/search/museum.xml"/>
  <location id="11_restaurant" freeplayscene="scenes/search/restaurant.sxm" freeplayconfig="configs/search/restaurant.xml"/>
</free_play>
)");
  sandbox.WriteFile("assets/configs/game_rules.xml",
                    "<game_rules><scores object_found=\"100\" puzzle=\"500\" time_bonus=\"10\"/>"
                    "<freeplay time=\"120\"/><story end_cinema=\"movies/outro.swf\"/></game_rules>");
  sandbox.WriteFile("assets/configs/map_config.xml", "<map_config><map scene=\"scenes/map/map.sxm\"/>"
                                                     "<freeplay_map scene=\"scenes/map/freeplay.sxm\"/></map_config>");
  TFile::ScanForResources();
}

class GameTest : public SettingsTest
{
protected:
  void SetUp() override
  {
    SettingsTest::SetUp();
    WriteGameConfig(mSandbox);
    TSettings* settings = Make();
    settings->CreateNewUser("Ann");
    settings->SetCurrentUser(0);
    ScreenLog().clear();
    RegisterGameScreens();
    gScreenFactory.Register("TSearchScreen", &CreateScreen<TStubScreen>);
    gScreenFactory.Register("TMetaPuzzle", &CreateScreen<TStubMetaPuzzle>);
    gScreenFactory.Register("TSuspectPuzzleChecklist", &CreateScreen<TStubMetaPuzzle>);
    gScreenFactory.Register("TStubSequence", &CreateScreen<TStubSequence>);
    gScreenFactory.Register("TCaseJournal", &CreateScreen<TStubJournal>);
    gScreenFactory.Register("TTitleScreen", &CreateScreen<TStubScreen>);
    gScreenFactory.Unregister("TLoadingScreen");
    gScreenFactory.Unregister("TTutorialLayer");
  }
  void TearDown() override
  {
    TTheGame::DestroyInstance();
    SettingsTest::TearDown();
  }

  TTheGame* Game() { return TTheGame::GetInstance(); }
  // A controller that has read the configuration and reached the main menu.
  TTheGame* StartedGame()
  {
    TTheGame* game = Game();
    game->Init();
    return game;
  }
  // Runs the platform's idle tasks (the window script among them) ms later.
  void RunTasks(uint32_t ms)
  {
    mTimer.Advance(ms);
    mPlatform.GetTaskList()->DoAll(TTask::eEventLoop);
  }
  void Tick(int times = 1)
  {
    for (int i = 0; i < times; ++i) {
      Game()->OnTick(20.0);
    }
  }
};
