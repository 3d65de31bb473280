// Tests of the hiscore dialog through a script against the loopback server: the local
// table, the global view with scrolling and the player's rank, game modes and categories,
// refused and silent servers, a submission's outcome, long names, local-only games, and the
// Lua functions that go with the window.
#include <gtest/gtest.h>

#include "core/app/gamestate.h"
#include "core/graphics/textgraphic.h"
#include "core/online/hiscores.h"
#include "shell/hiscorewindow.h"
#include "support/hiscorewindowfixture.h"
#include "support/showntext.h"

namespace {

// The dialog with every row and note the class looks for; UpdateButtons counts its calls.
const char kDialog[] = R"LUA(
gButtonUpdates = 0
function UpdateButtons() gButtonUpdates = gButtonUpdates + 1 end
local t = { name = 'hiscores', w = 800, h = 600 }
local function add(w) t[#t + 1] = w end
for i = 1, 10 do
  local y = 60 + i * 30
  add(Text{ name = 'name' .. i, x = 100, y = y, w = 150, h = 26, label = '', font = { '__DEFAULT', 20 } })
  add(Text{ name = 'score' .. i, x = 300, y = y, w = 100, h = 26, label = '' })
  add(Text{ name = tostring(i), x = 50, y = y, w = 40, h = 26, label = '' })
  add(Bitmap{ name = 'p1_' .. i, x = 20, y = y, w = 20, h = 20 })
end
for _, note in ipairs({ 'gamemode', 'eligible', 'eligibleasterisk', 'server', 'error', 'info', 'category',
                        'local', 'global', 'topplayers', 'congratulations', 'dnq', 'yourrank',
                        'yourrankglobalinfo', 'rankvalue' }) do
  add(Text{ name = note, x = 500, y = 10, w = 280, h = 20, label = note })
end
add(Text{ name = 'privacyerror', x = 10, y = 560, w = 780, h = 30, label = '' })
add(Window{ name = 'rightpanel', x = 600, y = 100, w = 100, h = 100 })
add(Window{ name = 'rightpanelsmall', x = 600, y = 300, w = 100, h = 50 })
add(Window{ name = 'leftpanel', x = 10, y = 100, w = 100, h = 100 })
add(Button{ name = 'scrollup', x = 450, y = 100, w = 30, h = 30 })
add(Button{ name = 'scrolldown', x = 450, y = 400, w = 30, h = 30 })
MakeDialog{ HiscoreWindow(t) }
)LUA";

std::string Categories(int count)
{
  std::string xml = "<hiscore><tables>";
  for (int i = 0; i < count; ++i) {
    xml += "<table table=\"t" + std::to_string(i) + "\" name=\"Category " + std::to_string(i) + "\"/>";
  }
  return xml + "</tables></hiscore>";
}

std::string Scores(int count, int accountRow = -1)
{
  std::string xml = "<hiscore><scores>";
  for (int i = 0; i < count; ++i) {
    xml += "<score name=\"P" + std::to_string(i) + "\" score=\"" + std::to_string(1000 - i) + "\" rank=\"" +
           std::to_string(i + 1) + "\"" + (i == accountRow ? " account=\"true\"" : " anonymous=\"true\"") + "/>";
  }
  return xml + "</scores></hiscore>";
}

class HiscoreDialogTest : public HiscoreWindowTest
{
protected:
  THiscore* Open()
  {
    Run(kDialog);
    dialog = Find<THiscore>("hiscores");
    return dialog;
  }
  bool Shown(const char* name)
  {
    TWindow* window = screen->GetChildWindow(name, -1);
    return window && window->IsVisible();
  }
  str TextOf(const char* name) { return Find<TText>(name)->GetText(); }
  void Press(const char* name)
  {
    manager.PostWindowMessage(new TMessage(TMessage::kButtonPress, name, dialog));
    manager.DispatchMessages();
  }
  bool Settled()
  {
    return RunUntil([&] {
      return dialog->GetState() != THiscore::kWaitingForCategories && dialog->GetState() != THiscore::kWaitingForScores;
    });
  }
  // Shows the global list of the replies given.
  void ViewGlobal(const std::string& categories, const std::string& scores)
  {
    server.QueueReply(TScriptedReply::Body(categories));
    server.QueueReply(TScriptedReply::Body(scores));
    Press("view");
    ASSERT_TRUE(Settled());
  }
  int ShownRows()
  {
    int rows = 0;
    for (int i = 1; i <= 10; ++i)
      rows += Shown(("name" + std::to_string(i)).c_str());
    return rows;
  }

  THiscore* dialog = nullptr;
};

} // namespace

TEST_F(HiscoreDialogTest, TheLocalTableShowsTheModesScoresAndTheUnsubmittedNote)
{
  settings->CreateNewUser("Ann");
  settings->LogHighScore(500, false, false);
  settings->CreateNewUser("Bo");
  settings->LogHighScore(700, false, false);
  ASSERT_NE(nullptr, Open());
  EXPECT_EQ(THiscore::kLocal, dialog->GetState());
  EXPECT_EQ(str("Story"), TextOf("gamemode"));
  EXPECT_EQ(str("Bo"), TextOf("name1"));
  EXPECT_EQ(str("700"), TextOf("score1"));
  EXPECT_EQ(str("1."), TextOf("1"));
  EXPECT_EQ(str("Ann"), TextOf("name2"));
  EXPECT_EQ(2, ShownRows());
  EXPECT_FALSE(Shown("p1_1"));
  for (const char* shown : {"local", "info", "eligible", "eligibleasterisk", "rightpanel"}) {
    EXPECT_TRUE(Shown(shown)) << shown;
  }
  for (const char* hidden : {"global", "rightpanelsmall", "scrollup", "scrolldown", "server", "error"}) {
    EXPECT_FALSE(Shown(hidden)) << hidden;
  }
  EXPECT_EQ(1, Global("gButtonUpdates").to_int());
  Run("gState = GetState() gAny = ScoreAvailable() gEligible = EligibleScoreAvailable()");
  EXPECT_EQ(str("0"), Global("gState"));
  EXPECT_TRUE(Truth("gAny"));
  EXPECT_TRUE(Truth("gEligible"));
}

TEST_F(HiscoreDialogTest, GameModeButtonsWrapAndAreRefusedWhileWaiting)
{
  Open();
  Press("gamemodeleft");
  EXPECT_EQ(kSettingsFreePlay, settings->GetCurrentGameMode());
  EXPECT_EQ(str("Free play"), TextOf("gamemode"));
  Press("gamemoderight");
  EXPECT_EQ(kSettingsStory, settings->GetCurrentGameMode());
  Press("gamemoderight");
  EXPECT_EQ(kSettingsFreePlay, settings->GetCurrentGameMode());

  server.QueueReply(TScriptedReply::Body(Categories(2), 200));
  Press("view");
  EXPECT_TRUE(Shown("server"));
  EXPECT_TRUE(Shown("rightpanelsmall"));
  Press("gamemodeleft");
  EXPECT_EQ(kSettingsFreePlay, settings->GetCurrentGameMode());
  Settled();
}

TEST_F(HiscoreDialogTest, TheGlobalListScrollsByTenAndClampsAtTheEnd)
{
  Open();
  ViewGlobal(Categories(5), Scores(23));
  ASSERT_EQ(THiscore::kGlobal, dialog->GetState());
  EXPECT_EQ(str("Category 0"), TextOf("category"));
  EXPECT_TRUE(Shown("global"));
  EXPECT_FALSE(Shown("local"));
  EXPECT_EQ(10, ShownRows());
  EXPECT_FALSE(Shown("scrollup"));
  EXPECT_TRUE(Shown("scrolldown"));
  Press("scrolldown");
  EXPECT_EQ(10, dialog->GetScrollPosition());
  EXPECT_EQ(str("P10"), TextOf("name1"));
  EXPECT_TRUE(Shown("scrollup"));
  Press("scrolldown");
  // 20 is past count - 5: the last five entries show and nothing lies below.
  EXPECT_EQ(18, dialog->GetScrollPosition());
  EXPECT_EQ(str("P18"), TextOf("name1"));
  EXPECT_EQ(str("19."), TextOf("1"));
  EXPECT_EQ(5, ShownRows());
  EXPECT_FALSE(Shown("scrolldown"));
  Press("viewlocal");
  EXPECT_EQ(THiscore::kLocal, dialog->GetState());
  EXPECT_EQ(0, dialog->GetScrollPosition());
}

TEST_F(HiscoreDialogTest, AShortGlobalListHidesBothScrollButtonsAndTheEmptyRows)
{
  Open();
  ViewGlobal(Categories(1), Scores(3));
  Press("scrolldown");
  EXPECT_EQ(0, dialog->GetScrollPosition());
  EXPECT_EQ(3, ShownRows());
  EXPECT_FALSE(Shown("scrollup"));
  EXPECT_FALSE(Shown("scrolldown"));
}

TEST_F(HiscoreDialogTest, CategoriesWrapAndNoCategoriesMeansNoRequest)
{
  Open();
  ViewGlobal(Categories(5), Scores(2));
  server.QueueReply(TScriptedReply::Body(Scores(1)));
  Press("categoryleft");
  EXPECT_EQ(4, dialog->GetCategory());
  ASSERT_TRUE(Settled());
  EXPECT_EQ(str("Category 4"), TextOf("category"));
  server.QueueReply(TScriptedReply::Body(Scores(1)));
  Press("categoryright");
  EXPECT_EQ(0, dialog->GetCategory());
  ASSERT_TRUE(Settled());

  ViewGlobal(Categories(0), Scores(2));
  const size_t requests = server.Requests().size();
  Press("categoryright");
  Press("categoryleft");
  EXPECT_EQ(0, dialog->GetCategory());
  EXPECT_EQ(THiscore::kGlobal, dialog->GetState());
  EXPECT_EQ(requests, server.Requests().size());
}

TEST_F(HiscoreDialogTest, TheAccountRowGivesThePlayersRank)
{
  settings->CreateNewUser("Ann");
  Open();
  ViewGlobal(Categories(1), Scores(4, 2));
  EXPECT_TRUE(Shown("yourrank"));
  EXPECT_EQ(str("Your rank: 3"), TextOf("yourrank"));
  EXPECT_FALSE(Shown("yourrankglobalinfo"));
  EXPECT_TRUE(Shown("p1_3"));
  EXPECT_FALSE(Shown("p1_1"));
}

TEST_F(HiscoreDialogTest, ARefusedConnectionShowsTheServiceErrorUntilAButtonLeavesIt)
{
  PointAt(std::string("http://127.0.0.1:") + std::to_string(TTestHttpServer::UnusedPort()) + "/go/hiscore");
  Open();
  Press("view");
  ASSERT_TRUE(Settled());
  EXPECT_EQ(THiscore::kFailed, dialog->GetState());
  EXPECT_TRUE(Shown("error"));
  EXPECT_EQ(str("Unable to connect to server. Please try again later."), TextOf("error"));
  EXPECT_FALSE(Shown("server"));
  Press("gamemodeleft");
  EXPECT_EQ(kSettingsStory, settings->GetCurrentGameMode());
  Press("viewlocal");
  EXPECT_FALSE(Shown("error"));
}

TEST_F(HiscoreDialogTest, ASilentServerTimesOutIntoTheErrorState)
{
  Open();
  TScriptedReply silence;
  silence.mode = TScriptedReply::kSilence;
  server.QueueReply(silence);
  Press("view");
  ASSERT_TRUE(Settled());
  EXPECT_EQ(THiscore::kFailed, dialog->GetState());
  EXPECT_TRUE(Shown("error"));
}

TEST_F(HiscoreDialogTest, ASubmissionsOutcomeShowsWithTheFetchedList)
{
  Open();
  server.QueueReply(TScriptedReply::Body(Categories(1)));
  server.QueueReply(TScriptedReply::Body(Scores(2)));
  Run("SubmissionDone(true)");
  EXPECT_EQ(THiscore::kWaitingForCategories, dialog->GetState());
  ASSERT_TRUE(Settled());
  EXPECT_EQ(THiscore::kQualified, dialog->GetOutcome());
  EXPECT_TRUE(Shown("congratulations"));
  EXPECT_FALSE(Shown("dnq"));

  server.QueueReply(TScriptedReply::Body(Categories(1)));
  server.QueueReply(TScriptedReply::Body(Scores(2)));
  Run("SubmissionDone(false)");
  ASSERT_TRUE(Settled());
  EXPECT_TRUE(Shown("dnq"));
  EXPECT_FALSE(Shown("congratulations"));
  // Asking for the global list again forgets the outcome.
  ViewGlobal(Categories(1), Scores(2));
  EXPECT_FALSE(Shown("dnq"));
}

TEST_F(HiscoreDialogTest, ALongNameShrinksUntilItFitsItsRowAndTheNextNameStartsAgain)
{
  Open();
  ViewGlobal(Categories(1), "<hiscore><scores><score name=\"Wilhelmina Fotheringay-Smythe\" score=\"9\" "
                            "rank=\"1\"/><score name=\"Al\" score=\"8\" rank=\"2\"/></scores></hiscore>");
  TText* first = Find<TText>("name1");
  TRect bounds;
  first->GetTextBounds(&bounds);
  EXPECT_LT(first->GetTextGraphic()->GetLineHeight(), 20u);
  EXPECT_LT(bounds.right, first->GetWindowWidth());
  EXPECT_LE(bounds.bottom, first->GetWindowHeight());
  EXPECT_EQ(20u, Find<TText>("name2")->GetTextGraphic()->GetLineHeight());
}

TEST_F(HiscoreDialogTest, NamesCategoriesAndMessagesShowAsTypedNotAsMarkup)
{
  const std::string typed = "a\\b <b>x</b>";
  settings->CreateNewUser(typed.c_str());
  settings->LogHighScore(500, false, false);
  Open();
  auto shown = [this](const char* name) { return ShownText(Find<TText>(name)->GetTextGraphic()); };
  EXPECT_EQ(typed, shown("name1"));
  EXPECT_FALSE(AnyBold(Find<TText>("name1")->GetTextGraphic()));

  ViewGlobal("<hiscore><tables><table table=\"t\" name=\"C\\1 &lt;i&gt;\"/></tables></hiscore>",
             "<hiscore><scores><score name=\"z\\y &lt;b&gt;w&lt;/b&gt;\" score=\"9\" rank=\"1\"/>"
             "</scores></hiscore>");
  EXPECT_EQ("z\\y <b>w</b>", shown("name1"));
  EXPECT_FALSE(AnyBold(Find<TText>("name1")->GetTextGraphic()));
  EXPECT_EQ("C\\1 <i>", shown("category"));

  server.QueueReply(TScriptedReply::Body("<hiscore><message>&lt;b&gt;No\\w&lt;/b&gt;</message></hiscore>"));
  Press("view");
  ASSERT_TRUE(Settled());
  ASSERT_EQ(THiscore::kFailed, dialog->GetState());
  EXPECT_EQ("<b>No\\w</b>", shown("error"));
}

TEST_F(HiscoreDialogTest, ALocalOnlyGameShowsTopPlayersAndMovesTheLeftPanel)
{
  TPlatform::SetConfig(TPlatform::kHiscoreLocalOnly, "1");
  settings->CreateNewUser("Ann");
  settings->LogHighScore(10, false, false);
  Open();
  TPlatform::SetConfig(TPlatform::kHiscoreLocalOnly, "");
  EXPECT_EQ(140, Find<TWindow>("leftpanel")->GetRect().left);
  TPlatform::SetConfig(TPlatform::kHiscoreLocalOnly, "1");
  Run("UpdateText()");
  EXPECT_TRUE(Shown("topplayers"));
  for (const char* hidden :
       {"local", "global", "info", "eligible", "eligibleasterisk", "rightpanel", "rightpanelsmall"}) {
    EXPECT_FALSE(Shown(hidden)) << hidden;
  }
  TPlatform::SetConfig(TPlatform::kHiscoreLocalOnly, "");
}

TEST_F(HiscoreDialogTest, APrivacyPageThatNoBrowserOpensIsSaidOnTheScreen)
{
  const std::string table = StringTableXml({{"hiscore_privacy_failed", "No web browser could open %1%."}});
  strings.MergeStringBuffer(table.data(), table.size(), "test strings");
  Open();
  Run("EnableWindow('privacyerror', false)");
  // Without a platform nothing can start a browser.
  Run("LaunchPrivacyPolicy()");
  EXPECT_TRUE(Shown("privacyerror"));
  EXPECT_EQ(str("No web browser could open http://www.quorvant.invalid/privacypolicy.html."), TextOf("privacyerror"));
}

TEST_F(HiscoreDialogTest, TheBrowsersFailureGoesWithTheTableItWasAskedFrom)
{
  Open();
  Run("LaunchPrivacyPolicy()");
  ASSERT_TRUE(Shown("privacyerror"));
  // Scrolling keeps the table.
  Press("scrolldown");
  EXPECT_TRUE(Shown("privacyerror"));
  Press("gamemoderight");
  EXPECT_FALSE(Shown("privacyerror"));
  Run("LaunchPrivacyPolicy()");
  server.QueueReply(TScriptedReply::Body(Categories(2)));
  server.QueueReply(TScriptedReply::Body(Scores(3)));
  Press("view");
  EXPECT_FALSE(Shown("privacyerror"));
  ASSERT_TRUE(Settled());
  Run("LaunchPrivacyPolicy()");
  Press("viewlocal");
  EXPECT_FALSE(Shown("privacyerror"));
}

TEST_F(HiscoreDialogTest, EveryLuaFunctionGoesWithTheWindow)
{
  Open();
  EXPECT_EQ(str("http://www.quorvant.invalid/privacypolicy.html"), THiscore::PrivacyPolicyUrl());
  Run("DestroyWindow('hiscores')");
  manager.ClearDestroyedWindows();
  Run("gGone = GetState == nil and UpdateText == nil and SubmissionDone == nil and "
      "LaunchPrivacyPolicy == nil and ScoreAvailable == nil and EligibleScoreAvailable == nil");
  EXPECT_TRUE(Truth("gGone"));
}

TEST_F(HiscoreDialogTest, GetStateAnswersForTheWindowWhileItLivesAndForTheAnalyticsStoreAfter)
{
  TGameState store;
  store.BindLua(GameLuaState());
  store.SetState("rounds", "3");
  Open();
  Run("gWindow = GetState()");
  EXPECT_EQ(str("0"), Global("gWindow"));
  Run("DestroyWindow('hiscores')");
  manager.ClearDestroyedWindows();
  Run("gStore = GetState('rounds')");
  EXPECT_EQ(str("3"), Global("gStore"));
}
