// Tests of the game's outermost layer: the configuration it fills before the engine starts,
// its preparation (window types, analytics, Lua functions), the turn of its event loop over
// the platform's real event translation, the game window's focus, and its end.
#include <csignal>
#include <cstdio>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/window/event.h"
#include "core/app/gamestate.h"
#include "platform/platform.h"
#include "core/foundation/file.h"
#include "core/foundation/prefsdb.h"
#include "core/window/modalwindow.h"
#include "core/window/screen.h"
#include "core/window/window.h"
#include "core/window/windowmanager.h"
#include "core/window/text.h"
#include "core/window/windowscript.h"
#include "shell/customtextedit.h"
#include "app/gameloop.h"
#include "app/gamemain.h"
#include "controller/gamewindow.h"
#include "shell/settings.h"
#include "shell/shellglue.h"
#include "controller/thegame.h"
#include "app/vellumkitinit.h"
#include "platform/display/event.h"
#include "platform/display/signals.h"
#include "scene/texturemanager.h"
#include "support/faketimer.h"
#include "support/vfssandbox.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

class TKeyRecorder : public TWindow
{
public:
  TKeyRecorder() { mFlags |= kFocusable; }
  bool OnKeyDown(char key, unsigned modifiers) override
  {
    mKeys.push_back(std::make_pair(int((unsigned char)key), modifiers));
    return true;
  }
  std::vector<std::pair<int, unsigned>> mKeys;
};

// Native events one after another, each with the modifiers held at the time; once they
// are out, the application is asked to end.
class TScriptedHost : public IEventHost
{
public:
  void Push(TNativeEvent event, uint32_t modifiers = 0) { mSteps.push_back(std::make_pair(event, modifiers)); }
  EWait WaitEvent(TNativeEvent* event, int) override
  {
    if (mSteps.empty()) {
      if (mQuitWhenDone) {
        TPlatform::GetInstance()->Exit(0);
      }
      return kTimedOut;
    }
    *event = mSteps.front().first;
    mModifiers = mSteps.front().second;
    mSteps.pop_front();
    return kGotEvent;
  }
  uint32_t GetModifiers() override { return mModifiers; }
  void GetMouse(int* x, int* y) override { *x = *y = 0; }
  void Sleep(unsigned) override {}

  bool mQuitWhenDone = false;

private:
  std::deque<std::pair<TNativeEvent, uint32_t>> mSteps;
  uint32_t mModifiers = 0;
};

TNativeEvent Key(uint32_t key)
{
  TNativeEvent event;
  event.kind = TNativeEvent::kKeyDown;
  event.key = key;
  return event;
}

// The game window's focus calls, counted.
class TFocusCounter : public TGameWindow
{
public:
  void OnKillFocus(TWindow* next) override
  {
    if (!next)
      ++mKills;
  }
  void OnSetFocus(TWindow* previous) override
  {
    if (!previous)
      ++mSets;
  }
  int mKills = 0;
  int mSets = 0;
};

// Every analytics definition, in order, as "key=value".
std::vector<std::string>& Analytics()
{
  static std::vector<std::string> calls;
  return calls;
}

class TRecordingAnalytics : public TGameStateHandler
{
public:
  bool OnSetState(char const* name, char const* value) override
  {
    Analytics().push_back(std::string(name) + "=" + value);
    return false;
  }
  char const* OnGetState(char const*, char const* value) override { return value; }
  bool QueryRestartMode() override { return false; }
  bool QueryJumpToMenu() override { return false; }
  bool QueryMuteGame() override { return false; }
};

// A platform without a window but with the real event translation behind a scripted host,
// a window manager with a screen and the window script, and a focus window recording keys.
class GameLoopTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mSandbox.WriteFile("assets/scripts/quitverify.lua", "gQuitAsked = (gQuitAsked or 0) + 1\n");
    TFile::ScanForResources();
    mHost = new TScriptedHost;
    mPlatform.SetEventHost(mHost);
    mManager.SetScreen(new TScreen);
    mManager.GetScreen()->SetWindowSize(800, 600);
    mScript = new TWindowScript();
    mManager.AttachWindowScript(mScript);
    mRecorder = new TKeyRecorder;
    mManager.GetScreen()->AdoptChild(mRecorder, true);
    mManager.SetFocus(mRecorder);
  }
  void TearDown() override
  {
    EndGame();
    TTheGame::DestroyInstance();
  }

  int QuitAsked()
  {
    lua_State* L = mScript->GetState();
    lua_getglobal(L, "gQuitAsked");
    int asked = int(lua_tointeger(L, -1));
    lua_pop(L, 1);
    return asked;
  }
  // Takes every event the platform has now and hands it to the loop.
  void Drain(TGameLoop& loop, int events)
  {
    for (int i = 0; i < events; ++i) {
      TEvent event;
      mPlatform.GetEvent(&event);
      loop.Dispatch(&event);
    }
  }
  bool Global(const char* name)
  {
    lua_State* L = mScript->GetState();
    const bool defined = lua_getglobal(L, name) == LUA_TFUNCTION;
    lua_pop(L, 1);
    return defined;
  }

  TVfsSandbox mSandbox;
  TPlatform mPlatform;
  TScriptedHost* mHost = nullptr;
  TWindowManager mManager;
  TWindowScript* mScript = nullptr;
  TKeyRecorder* mRecorder = nullptr;
};

} // namespace

TEST(VellumkitInit, FillsTheGameNamesModesAndMedalsCountingFromOne)
{
  VellumkitInit();
  EXPECT_EQ(str("quillmoor-sleuth-bureau"), TPlatform::GetConfig(TPlatform::kGameName, ""));
  EXPECT_EQ(str("quillmoor-sleuth-bureau"), TPlatform::GetConfig(TPlatform::kQVGameHandle, ""));
  EXPECT_EQ(str("m8JtQzRkLAAA"), TPlatform::GetConfig(TPlatform::kEncryptionKey, ""));
  for (const char* key : {"utf8mode", "automergemask", "verbosedebug", "hittestchildren"}) {
    EXPECT_EQ(str("1"), TPlatform::GetConfig(key, "")) << key;
  }
  EXPECT_EQ(str("quillmoor-sleuth-bureau_story"), TPlatform::GetConfig("qvgamemodename1", ""));
  EXPECT_EQ(str("quillmoor-sleuth-bureau_freeplay"), TPlatform::GetConfig("qvgamemodename2", ""));
  EXPECT_EQ(str("quillmoor-sleuth-bureau_gumshoe"), TPlatform::GetConfig("qvgamemedalname1", ""));
  EXPECT_EQ(str("quillmoor-sleuth-bureau_solosleuth"), TPlatform::GetConfig("qvgamemedalname10", ""));
  EXPECT_EQ(str("none"), TPlatform::GetConfig("qvgamemedalname0", "none"));
  EXPECT_EQ(str("none"), TPlatform::GetConfig("qvgamemodename0", "none"));
}

TEST_F(GameLoopTest, ControlRAsTheTranslationReportsItIsDroppedAndNothingElse)
{
  TGameLoop loop(&mPlatform);
  // Control+R, then R alone, Control+T and a key-down whose code is Control+R's character.
  mHost->Push(Key('r'), TEvent::kControl);
  mHost->Push(Key('r'));
  mHost->Push(Key('t'), TEvent::kControl);
  Drain(loop, 12);
  TEvent code18(TEvent::kKeyDown, 18, 0, 0, 0);
  EXPECT_TRUE(loop.Dispatch(&code18));
  const std::vector<std::pair<int, unsigned>> expected = {{'R', 0u}, {'T', unsigned(TEvent::kControl)}, {18, 0u}};
  EXPECT_EQ(expected, mRecorder->mKeys);
  EXPECT_TRUE(TGameLoop::IsDroppedKey(TEvent(TEvent::kKeyDown, 'R', 0, 0, TEvent::kControl | TEvent::kShift)));
  EXPECT_FALSE(TGameLoop::IsDroppedKey(TEvent(TEvent::kKeyUp, 'R', 0, 0, TEvent::kControl)));
}

TEST_F(GameLoopTest, QuitEndsTheLoopAndGoesNowhereElse)
{
  TGameLoop loop(&mPlatform);
  TEvent quit(TEvent::kQuit, 0, 0, 0, 0);
  EXPECT_FALSE(loop.Dispatch(&quit));
  EXPECT_EQ(0, QuitAsked());
}

TEST_F(GameLoopTest, CloseRunsTheQuitScriptAndStillReachesTheWindows)
{
  TGameLoop loop(&mPlatform);
  TEvent close(TEvent::kClose, 0, 0, 0, 0);
  EXPECT_TRUE(loop.Dispatch(&close));
  EXPECT_EQ(1, QuitAsked());
  EXPECT_TRUE(RunGameScript("scripts/quitverify.lua"));
  EXPECT_EQ(2, QuitAsked());
  EXPECT_FALSE(RunGameScript("scripts/nothere.lua"));
  // Without a quit script the request is the answer.
  std::remove((mSandbox.Root() + "/assets/scripts/quitverify.lua").c_str());
  TFile::ScanForResources();
  EXPECT_TRUE(loop.Dispatch(&close));
  TEvent next;
  mPlatform.GetEvent(&next);
  EXPECT_EQ(TEvent::kQuit, next.type);
  EXPECT_FALSE(loop.Dispatch(&next));
}

TEST_F(GameLoopTest, AnAnswerOfTheQuitScriptHoldsTheQuitOffAndWithoutOneTheRequestQuitsAfterAShortTime)
{
  TFakeTimer timer(1000);
  TGameLoop loop(&mPlatform);
  TEvent close(TEvent::kClose, 0, 0, 0, 0);
  TEvent idle;
  for (const char* answer : {"asking", "stay"}) {
    mSandbox.WriteFile("assets/scripts/quitverify.lua", std::string("AnswerCloseRequest( '") + answer + "' )\n");
    TFile::ScanForResources();
    EXPECT_TRUE(loop.Dispatch(&close));
    timer.Advance(60000);
    EXPECT_TRUE(loop.Dispatch(&idle));
    EXPECT_FALSE(mPlatform.GetEventQueue()->IsQuitRequested()) << answer;
  }
  // No answer, or a wrong one: the time counts from the first request.
  mSandbox.WriteFile("assets/scripts/quitverify.lua", "AnswerCloseRequest( 'later' )\n");
  TFile::ScanForResources();
  CaptureStderr();
  EXPECT_TRUE(loop.Dispatch(&close));
  timer.Advance(TGameLoop::kCloseAnswerMs / 2);
  EXPECT_TRUE(loop.Dispatch(&close));
  timer.Advance(TGameLoop::kCloseAnswerMs / 2 - 1);
  EXPECT_TRUE(loop.Dispatch(&idle));
  EXPECT_FALSE(mPlatform.GetEventQueue()->IsQuitRequested());
  timer.Advance(1);
  EXPECT_TRUE(loop.Dispatch(&idle));
  const char wrong[] = "ERROR: AnswerCloseRequest: 'later' is no answer (\"asking\" or \"stay\")\n";
  EXPECT_EQ(GetCapturedStderr(), std::string(wrong) + wrong +
                                     "ERROR: Script scripts/quitverify.lua neither quit nor asked the player within "
                                     "2000 ms of the close request; quitting\n");
  TEvent next;
  mPlatform.GetEvent(&next);
  EXPECT_EQ(TEvent::kQuit, next.type);
  EXPECT_FALSE(loop.Dispatch(&next));
}

TEST_F(GameLoopTest, AfterThePlayerChoseToStayControlCAsksAgainInsteadOfEndingTheProgram)
{
  InstallQuitSignals();
  std::raise(SIGINT);
  EXPECT_EQ(kInterruptSignal, TakeQuitSignal());
  struct sigaction now = {};
  sigaction(SIGINT, nullptr, &now);
  EXPECT_EQ(SIG_DFL, now.sa_handler);
  mSandbox.WriteFile("assets/scripts/quitverify.lua", "AnswerCloseRequest( 'stay' )\n");
  TFile::ScanForResources();
  TGameLoop loop(&mPlatform);
  TEvent close(TEvent::kClose, 0, 0, 0, 0);
  EXPECT_TRUE(loop.Dispatch(&close));
  sigaction(SIGINT, nullptr, &now);
  EXPECT_NE(SIG_DFL, now.sa_handler);
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

TEST_F(GameLoopTest, TheGameKnowsWhereThePointerWas)
{
  TGameLoop loop(&mPlatform);
  TEvent move(TEvent::kMouseMove, 0, 123, 45, 0);
  loop.Dispatch(&move);
  EXPECT_EQ(123, TTheGame::GetInstance()->GetCurrentMousePosition().x);
  EXPECT_EQ(45, TTheGame::GetInstance()->GetCurrentMousePosition().y);
  TEvent key(TEvent::kKeyDown, 'A', 0, 0, 0);
  loop.Dispatch(&key);
  EXPECT_EQ(123, TTheGame::GetInstance()->GetCurrentMousePosition().x);
}

TEST_F(GameLoopTest, TheGameWindowHearsOnceThatADialogCoversItAndOnceThatItIsGone)
{
  TGameLoop loop(&mPlatform);
  TEvent idle;
  // Before the game window exists nothing is told and the flag stays.
  loop.Dispatch(&idle);
  EXPECT_TRUE(loop.HasGameFocus());

  TModalWindow* layer = new TModalWindow;
  layer->SetName("maingamewindow");
  mManager.PushModal(layer);
  TFocusCounter* window = new TFocusCounter;
  layer->AdoptChild(window, true);
  TTheGame::GetInstance()->SetGameWindow(window);
  loop.Dispatch(&idle);
  EXPECT_EQ(0, window->mKills);

  for (int dialog = 1; dialog <= 2; ++dialog) {
    mManager.PushModal(new TModalWindow);
    for (int i = 0; i < 3; ++i) {
      loop.Dispatch(&idle);
    }
    EXPECT_EQ(dialog, window->mKills);
    EXPECT_EQ(dialog - 1, window->mSets);
    EXPECT_FALSE(loop.HasGameFocus());
    mManager._PopModal();
    for (int i = 0; i < 3; ++i) {
      loop.Dispatch(&idle);
    }
    EXPECT_EQ(dialog, window->mSets);
    EXPECT_TRUE(loop.HasGameFocus());
  }
  TTheGame::GetInstance()->SetGameWindow(nullptr);
}

TEST_F(GameLoopTest, TheStartUpRegistersItsWindowsAndLuaAndDefinesTheAnalyticsInOrder)
{
  VellumkitInit();
  TPlatform::SetConfig("version", "1.2");
  Analytics().clear();
  ASSERT_NE(nullptr, TGameState::GetInstance());
  TGameStateData::mHandlers.push_back(new TRecordingAnalytics);
  StartGame(&mPlatform);

  EXPECT_EQ(str("200000000"), TPlatform::GetConfig("texturememorymax", ""));
  EXPECT_NE(nullptr, TSettings::GetInstance());
  EXPECT_NE(nullptr, TTextureManager::GetInstance());
  for (const char* type : {"GameWindow", "FlashWindow", "MainMenu", "OptionsWindow", "Slider", "HiscoreWindow",
                           "SubmitWindow", "CreditsWindow", "ChoosePlayerWindow", "RolloverWindow", "GButtonEx",
                           "TTimerMode", "InfoWindow", "ListBox", "TextEdit"}) {
    EXPECT_NE(0, mScript->GetWindowType(type)) << type;
    EXPECT_TRUE(Global(type)) << type;
  }
  EXPECT_EQ(TGameWindow::ClassId(), mScript->GetWindowType("GameWindow"));
  EXPECT_EQ(TCustomTextEdit::ClassId(), mScript->GetWindowType("TextEdit"));
  for (const char* function : {"SetAlpha", "IsWindowExists", "SetUnderlineDistance", "DisabledButton", "isDisabled",
                               "GetLuaServerSubmitSetupVars", "GameLog"}) {
    EXPECT_TRUE(Global(function)) << function;
  }

  std::vector<std::string> expected = {"SessionTime=1", "begin-session=SessionData", "add-value=1.2"};
  for (const char* timer : {"SessionTime", "StoryModePlayTime", "ComicScreenTime", "HelpScreenTime",
                            "MainMenuScreenTime", "FreePlayModePlayTime"}) {
    expected.push_back(std::string("add-timer=") + timer);
  }
  const std::vector<std::string> states = {"add-state=NumSearchScreensCompleted", "add-state=NumElimPuzzlesCompleted",
                                           "add-state=NumInterviewPuzzlesCompleted"};
  expected.insert(expected.end(), states.begin(), states.end());
  expected.push_back("end-session=SessionData");
  for (const char* minutes : {"15", "30", "45", "59"}) {
    expected.push_back(std::string("begin-elapsed(") + minutes + ")=Progress-" + minutes);
    expected.insert(expected.end(), states.begin(), states.end());
    expected.push_back(std::string("end-elapsed(") + minutes + ")=Progress-" + minutes);
  }
  ASSERT_GE(Analytics().size(), expected.size());
  EXPECT_EQ(expected, std::vector<std::string>(Analytics().begin(), Analytics().begin() + long(expected.size())));
}

TEST_F(GameLoopTest, AnEmptyOrCutMainLoopScriptShowsTheFailureScreen)
{
  VellumkitInit();
  // Cut short after its first definitions: it runs, returns nothing and builds nothing.
  for (const char* text : {"", "kStoryChosen = 3\nfunction OpenMainMenu() gMainMenuWanted = true end\n"}) {
    mSandbox.WriteFile("assets/scripts/mainloop.lua", text);
    mSandbox.WriteFile("assets/scripts/buttons.lua", "gButtons = true\n");
    TFile::ScanForResources();
    testing::internal::CaptureStderr();
    StartGame(&mPlatform);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, log.find("ERROR: Script scripts/mainloop.lua: the script is empty or cut short"))
        << log;
    TText* failure = TWindow::GetCast<TText>(mManager.GetScreen()->GetChildWindow("scriptfailure", -1));
    ASSERT_NE(nullptr, failure) << text;
    EXPECT_NE(std::string::npos, std::string(failure->GetText().c_str()).find("scripts/mainloop.lua"));
    EndGame();
    TTheGame::DestroyInstance();
  }
}

TEST_F(GameLoopTest, TheFullScreenToggleIsStoredInThePreferences)
{
  VellumkitInit();
  TSettings* settings = TSettings::CreateSettings();
  settings->mPrefs->SetInt(TSettings::kFullScreen, 1, -1, true);
  TGameLoop loop(&mPlatform);
  TEvent toggled(TEvent::kFullscreenToggled, 0, 0, 0, 0);
  EXPECT_TRUE(loop.Dispatch(&toggled));
  // A platform without a display is never in full screen.
  EXPECT_EQ(0, settings->mPrefs->GetInt(TSettings::kFullScreen, -5, -1));
  EndGame();
  EXPECT_EQ(nullptr, TSettings::GetInstance());
}

TEST_F(GameLoopTest, TheLoopRunsUntilQuitAndThenLetsGoOfTheGameBeforeTheEngine)
{
  VellumkitInit();
  // The start-up scripts build the game's layer and window; the game finds no data.
  mSandbox.WriteFile("assets/scripts/mainloop.lua",
                     "return function() WaitForMessage( 1 ) PushModal( 'maingamewindow' ) "
                     "MakeDialog { GameWindow { name = 'gamewindow', x = 0, y = 0, w = 800, h = 600 } } "
                     "while true do WaitForMessage() end end\n");
  mSandbox.WriteFile("assets/scripts/buttons.lua", "gButtons = true\n");
  TFile::ScanForResources();
  mHost->Push(Key('r'), TEvent::kControl);
  mHost->mQuitWhenDone = true;
  testing::internal::CaptureStderr();
  SubMain(&mPlatform, "");
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(nullptr, TTheGame::Peek()) << log;
  EXPECT_EQ(nullptr, TSettings::GetInstance());
  EXPECT_EQ(nullptr, TTextureManager::GetInstance());
  EXPECT_TRUE(mRecorder->mKeys.empty());
  // The game window outlives the game: its end must not reach for it.
  EXPECT_TRUE(IsWindowExists("gamewindow")) << log;
}
