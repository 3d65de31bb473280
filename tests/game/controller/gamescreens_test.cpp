// Tests of the game's own screens with real scenes: the overlay's dialogs closed from their
// scene, the map's locations and particle target, the title's mode choice and theme, the
// loading screen's textures and the tutorial layer.
#include "story/gameround.h"
#include "controller/mapscreen.h"
#include "controller/overlayscreen.h"
#include "scene/xmlpreloader.h"
#include "support/gamescenetestutil.h"
#include "support/musicprobe.h"

namespace {

class GameScreensTest : public GameSceneTest
{
protected:
  void SetUp() override
  {
    GameSceneTest::SetUp();
    UseRealScreens();
    WriteScene(
        "scenes/overlay/round1.sxm", "overlay",
        "<object id='main_animator' f='box' p='300,10'><states><st id='idle'/>"
        "<st id='museum_intro_init'/><st id='glove_anim_init'/></states></object>"
        "<object id='ok' f='block' p='400,400'><on_mouse_up><script>CloseDialog()</script></on_mouse_up></object>");
    WriteScene(
        "scenes/map/map.sxm", "map",
        "<object id='02_museum' f='block' p='100,100'><states><st id='inactive'/><st id='active'/><st "
        "id='solved'/></states></object>"
        "<object id='15_library' f='block' p='300,100'><states><st id='inactive'/><st id='active'/></states>"
        "<objects><object id='library_roof' f='block' p='0,-50'/></objects></object>"
        "<object id='flag' f='box' p='600,20'><states><st id='idle'/><st id='wave' sn='idle' sc='TAlphaAnimator'>"
        "<animators><animator type='TAlphaAnimator' delay='100' key='1,0'/></animators></st></states></object>"
        "<object id='dot_1' f='box' p='110,90'/><object id='dot_2' f='box' p='310.7,90.2'/>"
        "<object id='menu' f='block' "
        "p='700,550'><on_mouse_up><script>BackToMainMenu()</script></on_mouse_up></object>");
    WriteScene(
        "scenes/title/title.sxm", "title",
        "<object id='story' f='block' p='200,300'><on_mouse_up><script>ChooseStory()</script></on_mouse_up></object>"
        "<object id='freeplay' f='block' "
        "p='600,300'><on_mouse_up><script>ChooseFreePlay()</script></on_mouse_up></object>");
    WriteScene(
        "scenes/tutorial/tutorial.sxm", "tutorial",
        "<object id='journal_search_tutorial' f='block' p='400,300' v='0'><states><st id='show'/></states></object>");
    WriteFile(
        "configs/game_rules.xml",
        "<game_rules><scenes title='scenes/title/title.sxm' tutorial='scenes/tutorial/tutorial.sxm'/></game_rules>");
  }
  TTheGame* AtTheMap()
  {
    TTheGame* game = StartedGame();
    Settle();
    Click(200, 300);
    game->FlashMovieStooped();
    Settle();
    return game;
  }
  void CloseOverlay()
  {
    Click(400, 400);
    for (int i = 0; i < 20; ++i) {
      Tick();
    }
  }
  // The real loading screen over its scene, with the textures listed and two scenes to preload.
  void UseLoadingScreen(const char* textures)
  {
    gScreenFactory.Register("TLoadingScreen", &CreateScreen<TLoadingScreen>);
    WriteScene("scenes/loading/loading.sxm", "loading", "<object id='bar' f='block' p='400,500'/>");
    WriteFile("configs/loading.xml",
              std::string("<loading scene='scenes/loading/loading.sxm'>") + textures + "</loading>");
    WriteFile("configs/preload_xmls.xml", "<preload_xmls><x file='scenes/title/title.sxm'/>"
                                          "<x file='scenes/map/map.sxm'/></preload_xmls>");
  }
};

} // namespace

TEST_F(GameScreensTest, TheTitleChoosesTheModeAndTheMapTheCase)
{
  TTheGame* game = StartedGame();
  EXPECT_EQ(stMainMenu, game->GetState());
  Settle();
  Click(200, 300);
  EXPECT_EQ(stCinema, game->GetState());
  game->FlashMovieStooped();
  Settle();
  TMapScreen* map = game->GetMapScreen();
  EXPECT_EQ(map, game->GetCurrentScreen());
  EXPECT_EQ("active", map->FindObject("02_museum")->GetCurrentStateName());
  EXPECT_EQ("active", map->FindObject("15_library")->GetCurrentStateName());
  // The particles aim at the marker of the location made active last, in whole pixels.
  EXPECT_EQ(310, game->GetParticleTarget()[0]);
  EXPECT_EQ(90, game->GetParticleTarget()[1]);

  // A click on a part of a location chooses the location. Its intro is not in the overlay
  // scene, so the dialog closes at once and the journal opens.
  ::testing::internal::CaptureStderr();
  Click(300, 50);
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("Overlay show dialog: library_intro"));
  EXPECT_NE(std::string::npos, log.find("ERROR: The overlay cannot show the dialog \"library_intro\""));
  EXPECT_EQ(stJournal, game->GetState());
  EXPECT_EQ(game->GetCurrentRound()->getCase("15_library"), game->GetCurrentCase());
}

TEST_F(GameScreensTest, AWrongSceneNameIsReportedUnderTheConfigurationThatNamesIt)
{
  // One flipped byte in each name, as damage leaves it.
  WriteFile(
      "configs/game_rules.xml",
      "<game_rules><scenes title='rcenes/title/title.qxm' tutorial='scenes/tutorial/tutorial.sxm'/></game_rules>");
  WriteFile("configs/map_config.xml", "<map_config><map scene='scenes/map/mip.sxm'/></map_config>");
  ::testing::internal::CaptureStderr();
  StartedGame();
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(
      std::string::npos,
      log.find("ERROR: configs/game_rules.xml names rcenes/title/title.qxm as the title scene, which does not exist"))
      << log;
  EXPECT_NE(std::string::npos,
            log.find("ERROR: configs/map_config.xml names scenes/map/mip.sxm as the map scene, which does not exist"))
      << log;
  EXPECT_EQ(std::string::npos, log.find("tutorial scene")) << log;
}

TEST_F(GameScreensTest, ASolvedCaseTakesItsSolvedLookOnTheMapAndStillOpensItsJournal)
{
  TTheGame* game = AtTheMap();
  TMapScreen* map = game->GetMapScreen();
  game->GetCurrentRound()->getCase("02_museum")->End();
  game->GetCurrentRound()->getCase("15_library")->End();
  map->Activate();
  EXPECT_EQ("solved", map->FindObject("02_museum")->GetCurrentStateName());
  // A map without the look keeps the place lit rather than leaving it in no state.
  EXPECT_EQ("active", map->FindObject("15_library")->GetCurrentStateName());
  Click(100, 100);
  EXPECT_EQ(stJournal, game->GetState());
  EXPECT_EQ(game->GetCurrentRound()->getCase("02_museum"), game->GetCurrentCase());
}

TEST_F(GameScreensTest, TheGameAnimatesWhileAScreenFadesOrAnAnimatorRunsAndNotWhenAllIsStill)
{
  TTheGame* game = StartedGame();
  EXPECT_TRUE(game->IsAnimating());
  Settle();
  EXPECT_FALSE(game->IsAnimating());
  Click(200, 300);
  game->FlashMovieStooped();
  EXPECT_TRUE(game->IsAnimating());
  Settle();
  ASSERT_EQ(stMap, game->GetState());
  EXPECT_FALSE(game->IsAnimating());
  // A state's animator runs until it moves the object on to its next state.
  TSceneObject* flag = game->GetMapScreen()->FindObject("flag");
  flag->setState(str("wave"));
  EXPECT_TRUE(game->IsAnimating());
  for (int i = 0; i < 6; ++i) {
    Tick();
  }
  EXPECT_EQ("idle", flag->GetCurrentStateName());
  EXPECT_FALSE(game->IsAnimating());
}

TEST_F(GameScreensTest, AModalDialogWaitsForItsSceneAndKeepsTheInput)
{
  TTheGame* game = AtTheMap();
  TOverlayScreen* overlay = game->GetOverlayScreen();
  EXPECT_EQ("scenes/overlay/round1.sxm", overlay->GetMainSceneFile());
  Click(100, 100);
  EXPECT_EQ(stCaseIntro, game->GetState());
  EXPECT_TRUE(overlay->IsModal());
  EXPECT_EQ("museum_intro_init", overlay->FindObject("main_animator")->GetCurrentStateName());
  // The map below hears nothing while the dialog shows.
  Click(300, 100);
  EXPECT_EQ(stCaseIntro, game->GetState());
  EXPECT_EQ("02_museum", game->GetChosenLocation());
  CloseOverlay();
  EXPECT_FALSE(overlay->IsDialogShown());
  EXPECT_EQ(stJournal, game->GetState());

  // A theory's dialog does not hold the story.
  TCase* museum = game->GetCurrentCase();
  EXPECT_TRUE(museum->CheckTheory("glove"));
  EXPECT_TRUE(overlay->IsDialogShown());
  EXPECT_FALSE(overlay->IsModal());
  CloseOverlay();
  EXPECT_EQ(stJournal, game->GetState());
}

TEST_F(GameScreensTest, TheMapsMenuButtonLeavesTheStoryAndTheTitleOffersFreePlay)
{
  TTheGame* game = AtTheMap();
  Click(700, 550);
  EXPECT_EQ(stMainMenu, game->GetState());
  EXPECT_TRUE(game->HasSavedGame(kControllerStory));
  Settle();
  Click(600, 300);
  EXPECT_EQ(stFreePlayMap, game->GetState());
  EXPECT_TRUE(game->GetFreePlayMapScreen()->IsLocationActive("34_zoo"));
}

TEST_F(GameScreensTest, EveryEntryOfTheTitleFadesInTheThemeOverWhatPlayed)
{
  TMusicProbe music(mSandbox, {{TTitleScreen::kMusic, "tone10s.ogg"}});
  auto expectTheme = [&] {
    const TMusicRequest theme = music.Last();
    EXPECT_EQ(TTitleScreen::kMusic, theme.mTrack);
    EXPECT_TRUE(theme.mCrossFade);
    EXPECT_TRUE(theme.mLoop);
    EXPECT_EQ("", theme.mNext);
  };
  TTheGame* game = StartedGame();
  expectTheme();
  Settle();
  Click(200, 300);
  game->FlashMovieStooped();
  Settle();
  EXPECT_EQ(TMapScreen::kMusic, music.Last().mTrack);
  Click(700, 550);
  ASSERT_EQ(stMainMenu, game->GetState());
  expectTheme();
}

TEST_F(GameScreensTest, TheLoadingScreenLoadsItsTexturesAndScenesOnePerTickThenEnds)
{
  UseLoadingScreen("<texture file='block.png'/><texture file='missing.png'/><texture file='block.png'/>");
  TTheGame* game = StartedGame();
  ASSERT_EQ(stLoading, game->GetState());
  TLoadingScreen* loading = dynamic_cast<TLoadingScreen*>(game->GetLoadingScreen());
  ASSERT_NE(nullptr, loading);
  EXPECT_EQ(loading, game->GetCurrentScreen());
  EXPECT_NE(nullptr, loading->FindObject("bar"));
  EXPECT_EQ(3u, loading->GetListedCount());
  Tick();
  EXPECT_EQ(1u, loading->GetLoadedCount());
  ::testing::internal::CaptureStderr();
  Tick(2);
  EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("ERROR: The texture missing.png"));
  EXPECT_EQ(stLoading, game->GetState());
  // Then the preloader's two files, one a tick.
  Tick(2);
  EXPECT_EQ(stLoading, game->GetState());
  EXPECT_NE(nullptr, TDefSingleton<TXmlPreloader>::GetInstance()->getNode("scenes/title/title.sxm"));
  Tick();
  EXPECT_EQ(stMainMenu, game->GetState());
  // The loading screen stays, holding its textures, behind the title.
  EXPECT_EQ(loading, game->GetLoadingScreen());
  EXPECT_FALSE(loading->IsActive() && !loading->IsFading());
}

TEST_F(GameScreensTest, TheLoadingScreenTakesAsManyStepsAsATicksBudgetHolds)
{
  UseLoadingScreen("<texture file='block.png'/><texture file='block.png'/><texture file='block.png'/>");
  TTheGame* game = StartedGame();
  TLoadingScreen* loading = dynamic_cast<TLoadingScreen*>(game->GetLoadingScreen());
  ASSERT_NE(nullptr, loading);
  // A clock that moves 1 ms at every reading: a tick's 12 ms hold several steps.
  class TMovingClock : public TTimeSource
  {
  public:
    TMovingClock() : mPrevious(TPlatform::SetTimeSource(this)) {}
    ~TMovingClock() override { TPlatform::SetTimeSource(mPrevious); }
    uint32_t Now() override { return ++mNow; }

  private:
    uint32_t mNow = 5000;
    TTimeSource* mPrevious;
  } clock;
  Tick();
  EXPECT_GT(loading->GetLoadedCount(), 1u);
  // Five steps and the end take fewer ticks than one step a tick would.
  Tick(2);
  EXPECT_EQ(stMainMenu, game->GetState());
  EXPECT_NE(nullptr, TDefSingleton<TXmlPreloader>::GetInstance()->getNode("scenes/title/title.sxm"));
  EXPECT_NE(nullptr, TDefSingleton<TXmlPreloader>::GetInstance()->getNode("scenes/map/map.sxm"));
}

TEST_F(GameScreensTest, ATutorialShowsOnceAndAClickClosesIt)
{
  TTheGame* game = AtTheMap();
  Click(100, 100);
  CloseOverlay();
  ASSERT_EQ(stJournal, game->GetState());
  // The journal's fade-in asked for the search tutorial.
  TTutorialLayer* tutorial = dynamic_cast<TTutorialLayer*>(game->GetTutorialScreen());
  ASSERT_NE(nullptr, tutorial);
  EXPECT_EQ("journal_search_tutorial", tutorial->GetShown());
  EXPECT_TRUE(tutorial->FindObject("journal_search_tutorial")->IsVisible());
  // The click is the tutorial's: the journal below hears nothing.
  ScreenLog().clear();
  Click(10, 10);
  EXPECT_EQ("", tutorial->GetShown());
  EXPECT_FALSE(tutorial->IsActive());
  EXPECT_FALSE(tutorial->FindObject("journal_search_tutorial")->IsVisible());
  game->JournalFadingInCompleted();
  EXPECT_FALSE(tutorial->IsActive());
}
