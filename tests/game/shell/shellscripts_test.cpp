// Tests of the game's own window scripts, run by the real start-up over a copy of the data
// folder on a headless display: the first start's register, the menu drawn, and each dialog
// built with the windows and names its class needs.
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "buildpaths.h"
#include "core/foundation/prefsdb.h"
#include "core/window/event.h"
#include "core/window/modalwindow.h"
#include "core/window/image.h"
#include "core/window/slider.h"
#include "core/window/windowmanager.h"
#include "shell/buttonex.h"
#include "shell/buttontools.h"
#include "shell/chooseplayer.h"
#include "shell/credits.h"
#include "shell/customtextedit.h"
#include "app/gameloop.h"
#include "app/gamemain.h"
#include "shell/hiscorewindow.h"
#include "shell/infowindow.h"
#include "shell/listbox.h"
#include "shell/mainmenu.h"
#include "shell/options.h"
#include "shell/serversubmit.h"
#include "shell/settings.h"
#include "shell/shellglue.h"
#include "shell/timermode.h"
#include "app/vellumkitinit.h"
#include "support/apptestutil.h"
#include "support/faketimer.h"
#include "support/glcontext.h"
#include "support/otherprogram.h"

namespace {

class ShellScriptsTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    setenv("QV_WINDOWED", "1", 1);
    const auto options = std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing;
    std::filesystem::copy(std::string(QV_SOURCE_DATA_DIR) + "/assets", sandbox.Root() + "/assets", options);
#ifdef QV_GENERATED_DATA_DIR
    // The fonts the build generates.
    std::error_code none;
    std::filesystem::copy(std::string(QV_GENERATED_DATA_DIR) + "/assets", sandbox.Root() + "/assets", options, none);
#endif
    VellumkitInit();
    platform = sandbox.Start();
    platform->InitSound();
    StartGame(platform);
    mLoop.reset(new TGameLoop(platform));
    // The game loads and fades its title in before the menu and the register open over it.
    for (int turn = 0; turn < 5000 && !IsWindowExists("playername"); ++turn) {
      Pump(1);
    }
    Pump(5);
  }
  void TearDown() override
  {
    mOther.reset();
    EndGame();
    unsetenv("QV_WINDOWED");
  }

  // Turns of the game's event loop, each with its idle event and frame.
  void Pump(int turns)
  {
    for (int i = 0; i < turns; ++i) {
      TEvent event;
      platform->GetEvent(&event);
      mLoop->Dispatch(&event);
    }
  }
  void Send(int kind, int code, int x = 0, int y = 0)
  {
    TEvent event(kind, code, x, y, 0);
    mLoop->Dispatch(&event);
    Pump(3);
  }
  void Type(const char* text)
  {
    for (const char* p = text; *p; ++p)
      Send(TEvent::kChar, (unsigned char)*p);
  }
  void Click(int x, int y)
  {
    Send(TEvent::kMouseMove, 0, x, y);
    Send(TEvent::kMouseDown, 0, x, y);
    Send(TEvent::kMouseUp, 0, x, y);
  }
  TModalWindow* Top()
  {
    return TWindowManager::GetInstance()->GetTopModalWindow();
  }
  template <class T>
  T* Find(const char* name)
  {
    return TWindow::GetCast<T>(Top()->GetChildWindow(name, -1));
  }
  // Opens a dialog script over the menu, as a menu button does.
  void Open(const char* script)
  {
    RunGameLua(str::getFormatted("DoModal('%s')", script));
    Pump(5);
  }
  void Close()
  {
    Send(TEvent::kKeyDown, TEvent::kEscape);
    Send(TEvent::kChar, TEvent::kEscape);
    Pump(5);
  }
  void Erase(int characters)
  {
    for (int i = 0; i < characters; ++i)
      Send(TEvent::kChar, 8);
  }
  // The dialog's status line as the player sees it: empty while it is hidden.
  str Status(const char* name)
  {
    TText* status = Find<TText>(name);
    return status && status->IsVisible() ? status->GetText() : str();
  }
  void SignIn(const char* name)
  {
    Click(400, 239);
    Type(name);
    Send(TEvent::kKeyDown, TEvent::kEnter);
    Send(TEvent::kChar, TEvent::kEnter);
    Pump(5);
  }

  // Signs a detective in, then has another program hold the detectives' file exclusively.
  TOtherProgram& SignInWhileAnotherProgramHoldsTheFile(const char* name)
  {
    SignIn(name);
    EXPECT_NE(nullptr, Find<TMainMenu>("menu"));
    mOther.reset(new TOtherProgram(std::string(std::getenv("QV_HOME")) + "/user/prefsdb.dat"));
    EXPECT_TRUE(mOther->Run("BEGIN EXCLUSIVE"));
    return *mOther;
  }

  TAppSandbox sandbox;
  std::unique_ptr<TOtherProgram> mOther;
  std::unique_ptr<TGameLoop> mLoop;
  TPlatform* platform = nullptr;
};

} // namespace

TEST_F(ShellScriptsTest, TheFirstStartAsksForANameAndThenShowsTheMenu)
{
  TCustomTextEdit* entry = Find<TCustomTextEdit>("playername");
  ASSERT_NE(nullptr, entry);
  EXPECT_FALSE(entry->IsInitialCleared());
  EXPECT_EQ(str("Type your name"), entry->GetText());
  EXPECT_EQ(str("ok"), entry->GetEnableWindow());
  SignIn("Marple");
  ASSERT_NE(nullptr, Find<TMainMenu>("menu"));
  EXPECT_EQ(str("Marple"), gSettings->GetCurrentUserName());
  EXPECT_EQ(str("Welcome, detective Marple."), Find<TText>("welcome")->GetText());

  // The frame shows the six burgundy buttons of the menu.
  Pump(3);
  int burgundy = 0;
  for (TColor32 pixel : ReadFrameBlock(300, 195, 200, 330)) {
    const int r = (pixel.mValue >> 16) & 0xFF, g = (pixel.mValue >> 8) & 0xFF, b = pixel.mValue & 0xFF;
    burgundy += r > 80 && r < 180 && g < 70 && b < 70;
  }
  EXPECT_GT(burgundy, 20000);
}

TEST_F(ShellScriptsTest, EveryDialogBuildsTheWindowsItsClassLooksFor)
{
  SignIn("Marple");

  Open("scripts/options.lua");
  ASSERT_NE(nullptr, Find<TOptions>("options"));
  EXPECT_FLOAT_EQ(0.75f, Find<TSlider>("musiclevelslider")->GetValue());
  EXPECT_NE(nullptr, Find<TSlider>("sfxlevelslider"));
  EXPECT_NE(nullptr, Find<TButton>("fullscreen"));
  EXPECT_NE(nullptr, Find<TButton>("mutebox"));
  Close();
  ASSERT_NE(nullptr, Find<TMainMenu>("menu"));

  Open("scripts/chooseplayer.lua");
  ASSERT_NE(nullptr, Find<TChoosePlayer>("chooseplayer"));
  TListBox* list = Find<TListBox>("user_list");
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(1, list->GetItemCount());
  EXPECT_EQ(0, list->GetSelectedItem());
  EXPECT_NE(nullptr, TWindow::GetCast<TButton>(list->GetChildWindow("list_down", 1)));
  Close();

  Open("scripts/timermode.lua");
  TTimerMode* mode = Find<TTimerMode>("timermode");
  ASSERT_NE(nullptr, mode);
  GButtonEx* timed = Find<GButtonEx>("timeyesname");
  ASSERT_NE(nullptr, timed);
  EXPECT_EQ(static_cast<TWindow*>(mode), timed->GetParent());
  mode->OnButtonHighlight(timed);
  EXPECT_EQ(str("Race the clock: solve each case before the time runs out and earn extra points for the time left."),
            Find<TText>("time_mode_txt")->GetText());
  Close();

  Open("scripts/hiscores.lua");
  ASSERT_NE(nullptr, Find<THiscore>("hiscores"));
  for (int row = 1; row <= 10; ++row) {
    for (const char* format : {"name%d", "score%d", "%d"}) {
      EXPECT_NE(nullptr, Find<TText>(str::getFormatted(format, row).c_str())) << format << row;
    }
    EXPECT_NE(nullptr, Find<TImage>(str::getFormatted("p1_%d", row).c_str())) << row;
  }
  for (const char* name : {"gamemode", "rightpanel", "rightpanelsmall", "scrollup", "scrolldown", "leftpanel"}) {
    EXPECT_NE(nullptr, Find<TWindow>(name)) << name;
  }
  EXPECT_EQ(str("Story"), Find<TText>("gamemode")->GetText());
  Close();

  Open("scripts/submit.lua");
  ASSERT_NE(nullptr, Find<TServerSubmit>("submit"));
  // Nothing remembered: the fields are empty.
  for (const char* field : {"nameedit", "accountedit", "passedit"}) {
    ASSERT_NE(nullptr, Find<TTextEdit>(field)) << field;
    EXPECT_EQ(str(), Find<TTextEdit>(field)->GetText()) << field;
  }
  EXPECT_NE(nullptr, Find<TButton>("submittoserver"));
  Close();

  Open("scripts/result.lua");
  ASSERT_NE(nullptr, Find<TInfoWindow>("result"));
  EXPECT_EQ(str("Objects: 0"), Find<TText>("objects")->GetText());
  EXPECT_EQ(str("Total: 0"), Find<TText>("total")->GetText());
  Send(TEvent::kKeyDown, TEvent::kEnter);
  Send(TEvent::kChar, TEvent::kEnter);
  Pump(5);

  Open("scripts/credits.lua");
  TCredits* credits = Find<TCredits>("credits");
  ASSERT_NE(nullptr, credits);
  EXPECT_EQ(3, credits->GetBlockCount());
  EXPECT_GT(credits->GetTotalHeight(), 100);
  Close();
  ASSERT_NE(nullptr, Find<TMainMenu>("menu"));
}

TEST_F(ShellScriptsTest, TheSubmitFormOffersSendOnlyWhileANameIsTyped)
{
  SignIn("Marple");
  Open("scripts/submit.lua");
  TButton* send = Find<TButton>("submittoserver");
  ASSERT_NE(nullptr, send);
  EXPECT_FALSE(send->IsVisible());
  Type("Jo");
  EXPECT_TRUE(send->IsVisible());
  // Erased with Delete as with Backspace, the name takes the button along.
  Send(TEvent::kKeyDown, TEvent::kLeft);
  Send(TEvent::kKeyDown, TEvent::kLeft);
  Send(TEvent::kKeyDown, TEvent::kDelete);
  Send(TEvent::kKeyDown, TEvent::kDelete);
  EXPECT_EQ(str(), Find<TTextEdit>("nameedit")->GetText());
  EXPECT_FALSE(send->IsVisible());
  Type("  ");
  EXPECT_FALSE(send->IsVisible());
  // Return presses no button that is not offered: nothing goes out.
  Send(TEvent::kKeyDown, TEvent::kEnter);
  Send(TEvent::kChar, TEvent::kEnter);
  Pump(5);
  ASSERT_NE(nullptr, Find<TServerSubmit>("submit"));
  EXPECT_FALSE(Find<TWindow>("submitconnect")->IsVisible());
  // Back from an error the form offers Send again only for a name.
  RunGameLua("SwitchModes(true) SwitchModes(false)");
  EXPECT_FALSE(send->IsVisible());
  Type("Jo");
  RunGameLua("SwitchModes(true) SwitchModes(false)");
  EXPECT_TRUE(send->IsVisible());
  Close();
}

TEST_F(ShellScriptsTest, ARenamedAndADeletedDetectiveThroughTheRegister)
{
  SignIn("Marple");
  Open("scripts/chooseplayer.lua");
  RunGameLua("gRenamePlayer = true DoModal('scripts/newplayer.lua')");
  Pump(5);
  // The rename starts from the name as it stands, ready to be kept.
  EXPECT_EQ(str("Marple"), Find<TCustomTextEdit>("playername")->GetText());
  EXPECT_FALSE(ButtonTools::isDisabledName("ok"));
  Erase(6);
  SignIn("Poirot");
  Pump(5);
  EXPECT_EQ(str("Poirot"), gSettings->GetUserName(0));
  EXPECT_EQ(1, gSettings->GetNumUsers());
  RunGameLua("DoModal('scripts/newplayer.lua')");
  Pump(5);
  SignIn("Vance");
  EXPECT_EQ(2, gSettings->GetNumUsers());
  EXPECT_EQ(1, gSettings->GetCurrentUser());
  RunGameLua("SetPlayerChoices() DeleteUser(GetCurrentSelectedUser()) SetPlayerChoices()");
  Pump(3);
  EXPECT_EQ(1, gSettings->GetNumUsers());
  EXPECT_EQ(str("Poirot"), gSettings->GetCurrentUserName());
  EXPECT_EQ(1, Find<TListBox>("user_list")->GetItemCount());
}

TEST_F(ShellScriptsTest, TheRegisterSaysWhyANameIsRefusedUntilTheNameChanges)
{
  SignIn("Marple");
  RunGameLua("DoModal('scripts/newplayer.lua')");
  Pump(5);
  SignIn("Marple");
  EXPECT_EQ(str("That name is already in the register."), Status("status"));
  Type("s");
  EXPECT_EQ(str(), Status("status"));
  Erase(7);

  // Characters the font cannot show, and control characters, are refused in so many words.
  Send(TEvent::kUTF8Char, 0x65E5);
  EXPECT_EQ(str(), Find<TCustomTextEdit>("playername")->GetText());
  EXPECT_EQ(str("The game cannot show that character."), Status("status"));
  Type("Vance");
  EXPECT_EQ(str(), Status("status"));
  Send(TEvent::kUTF8Char, 5);
  EXPECT_EQ(str("Control characters cannot be typed here."), Status("status"));
  Erase(5);
  // A name at the field's limit: the next letter is refused with the limit.
  Type("Abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(str("Abcdefghijklmnopqrstuvwx"), Find<TCustomTextEdit>("playername")->GetText());
  EXPECT_EQ(str("No more than 24 characters fit here."), Status("status"));
  // The keys without text (Home, Delete, the arrows) are no refusals.
  Erase(1);
  for (int key : {1, 4, 127, 28, 29})
    Send(TEvent::kChar, key);
  EXPECT_EQ(str(), Status("status"));
  EXPECT_EQ(
      str("Compare each suspect with the clues and click the culprit. Any other suspect you click is crossed out."),
      GameString("checklist_hint"));
}

TEST_F(ShellScriptsTest, ADetectiveChosenFromTheRegisterIsWelcomedBack)
{
  SignIn("Marple");
  // The menu's Detectives button.
  Click(400, 361);
  ASSERT_NE(nullptr, Find<TChoosePlayer>("chooseplayer"));
  RunGameLua("DoModal('scripts/newplayer.lua')");
  Pump(5);
  SignIn("Poirot");
  RunGameLua("SetCurrentUser(0)");
  Close();
  EXPECT_EQ(str("Welcome back, detective Marple."), Find<TText>("welcome")->GetText());
}

TEST_F(ShellScriptsTest, DeletingADetectiveAsksFirstAndNoKeepsThem)
{
  SignIn("Marple");
  Open("scripts/chooseplayer.lua");
  TModalWindow* register_ = Top();
  // The Delete button.
  Click(580, 320);
  ASSERT_NE(register_, Top());
  TText* question = Find<TText>("question");
  ASSERT_NE(nullptr, question);
  EXPECT_EQ(str("Delete the detective Marple? Their saved story goes with them."), question->GetText());
  EXPECT_NE(nullptr, Find<TButton>("yes"));
  Close();
  EXPECT_EQ(register_, Top());
  EXPECT_EQ(1, gSettings->GetNumUsers());

  Click(580, 320);
  ASSERT_NE(nullptr, Find<TText>("question"));
  Send(TEvent::kKeyDown, TEvent::kEnter);
  Send(TEvent::kChar, TEvent::kEnter);
  Pump(5);
  EXPECT_EQ(register_, Top());
  EXPECT_EQ(0, gSettings->GetNumUsers());
  EXPECT_EQ(0, Find<TListBox>("user_list")->GetItemCount());
}

// A save that another program holds up is told on a dialog over the game, in plain words and
// once: the next failed save opens no second dialog.
TEST_F(ShellScriptsTest, ASaveHeldUpIsToldOnceInADialogOverTheGame)
{
  TOtherProgram& other = SignInWhileAnotherProgramHoldsTheFile("Marple");
  // The settings look at the saves every second of their own: the clock stands, so only the
  // looks the test asks for happen.
  TFakeTimer stands(TPlatform::Timer());
  ::testing::internal::CaptureStderr();
  gSettings->ToggleSoundMute();
  Pump(5);
  TText* notice = Find<TText>("savenotice");
  ASSERT_NE(nullptr, notice);
  EXPECT_EQ(str("Another program is using the file of your progress, so it could not be saved just now. The game "
                "keeps it and saves it as soon as the file is free."),
            notice->GetText());
  // Taken down unread, as a dialog that closes everything down to the game does: shown again.
  TWindowManager::GetInstance()->PopModal(Top()->GetIdString());
  Pump(5);
  EXPECT_EQ(nullptr, Find<TText>("savenotice"));
  gSettings->OnSaveWatch();
  Pump(5);
  ASSERT_NE(nullptr, Find<TText>("savenotice"));
  Close();
  EXPECT_EQ(nullptr, Find<TText>("savenotice"));
  ASSERT_NE(nullptr, Find<TMainMenu>("menu"));
  gSettings->ToggleSoundMute();
  gSettings->OnSaveWatch();
  Pump(5);
  EXPECT_EQ(nullptr, Find<TText>("savenotice"));
  ASSERT_TRUE(other.Run("COMMIT"));
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("game: save notice: Another program")) << log;
}

// Progress kept in memory while another program holds its file is not lost at the quit
// without a word: the quit tries the save once more, the notice of a save that failed just
// before comes first, and the question says what could not be written. Once the file is free
// the same quit writes it and asks the plain question.
TEST_F(ShellScriptsTest, TheQuitTriesOnceMoreAndItsQuestionSaysWhatCouldNotBeWritten)
{
  TOtherProgram& other = SignInWhileAnotherProgramHoldsTheFile("Marple");
  // The settings' own look at the saves stands with the clock: only the quit can tell.
  TFakeTimer stands(TPlatform::Timer());
  ::testing::internal::CaptureStderr();
  // A save that fails in the middle of a script's work: its notice waits.
  RunGameLua("ToggleSoundMute()");
  Pump(5);
  EXPECT_EQ(nullptr, Find<TText>("savenotice"));
  Send(TEvent::kClose, 0);
  Pump(5);
  TText* notice = Find<TText>("savenotice");
  ASSERT_NE(nullptr, notice);
  EXPECT_EQ(nullptr, Find<TText>("question"));
  Send(TEvent::kKeyDown, TEvent::kEnter);
  Send(TEvent::kChar, TEvent::kEnter);
  Pump(5);
  TText* question = Find<TText>("question");
  ASSERT_NE(nullptr, question);
  EXPECT_EQ(str("Your progress since the last save could not be written: another program is using its file. Leave "
                "anyway?"),
            question->GetText());
  Close();
  EXPECT_EQ(nullptr, Find<TText>("question"));
  EXPECT_TRUE(gSettings->mPrefs->HasUnsavedChanges());
  // The menu's Quit, which asks nothing while all is written, asks the same.
  Click(400, 526);
  question = Find<TText>("question");
  ASSERT_NE(nullptr, question);
  EXPECT_NE(std::string::npos, std::string(question->GetText().c_str()).find("could not be written"));
  Close();

  ASSERT_TRUE(other.Run("COMMIT"));
  Send(TEvent::kClose, 0);
  Pump(5);
  question = Find<TText>("question");
  ASSERT_NE(nullptr, question);
  EXPECT_EQ(str("Leave the bureau?"), question->GetText());
  EXPECT_FALSE(gSettings->mPrefs->HasUnsavedChanges());
  Close();
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("game: asked: quit_unsaved")) << log;
}
