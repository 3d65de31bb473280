// Tests of the choose-player window: the exact call that hands the names to the script,
// ten names at most, names that are no Lua code, and the selection read back.
#include <gtest/gtest.h>

#include "shell/chooseplayer.h"
#include "shell/listbox.h"
#include "core/window/button.h"
#include "core/window/text.h"
#include "support/shellwindowfixture.h"
#include "support/showntext.h"

namespace {

const char kScript[] =
    "function UpdatePlayerChoices(current, count, names) "
    "  gCurrent = current gCount = count gNames = names "
    "  DeleteItem('user_list', -1) "
    "  for i, name in ipairs(names) do AddItem('user_list', name) end "
    "  SetSelectedItem('user_list', current) "
    "end "
    "MakeDialog{ ChoosePlayerWindow{ name = 'choose', w = 400, h = 300, "
    "  ListBox{ name = 'user_list', x = 10, y = 10, w = 200, h = 200, item = { w = 150, h = 20 } } } }";

class ChoosePlayerTest : public ShellWindowTest
{
protected:
  void Players(std::initializer_list<const char*> names)
  {
    for (const char* name : names)
      settings->CreateNewUser(name);
  }
  int Count(const char* table)
  {
    Run((std::string("gLength = #") + table).c_str());
    return Global("gLength").to_int();
  }
};

} // namespace

TEST_F(ChoosePlayerTest, OpeningHandsTheNamesAndTheCurrentPlayerToTheScript)
{
  Players({"Ann", "Bo", "Cy"});
  settings->SetCurrentUser(1);
  EXPECT_EQ(str("UpdatePlayerChoices( 1, 3, {'Ann','Bo','Cy',} )"), TChoosePlayer::PlayerChoicesCall());
  Run(kScript);
  EXPECT_EQ(str("3"), Global("gCount"));
  EXPECT_EQ(3, Count("gNames"));
  Run("gSecond = gNames[2]");
  EXPECT_EQ(str("Bo"), Global("gSecond"));
  Run("gSelected = GetCurrentSelectedUser() gName = GetSelectedPlayerName()");
  EXPECT_EQ(str("1"), Global("gSelected"));
  EXPECT_EQ(str("Bo"), Global("gName"));

  // A later pick in the list is what the script reads back.
  Find<TListBox>("user_list")->SetSelectedItem(2);
  Run("gName = GetSelectedPlayerName()");
  EXPECT_EQ(str("Cy"), Global("gName"));
}

TEST_F(ChoosePlayerTest, AtMostTenNamesAreListedButTheCountIsTheWholeNumber)
{
  for (int i = 0; i < 12; ++i)
    settings->CreateNewUser(str::getFormatted("P%d", i));
  Run(kScript);
  EXPECT_EQ(str("12"), Global("gCount"));
  EXPECT_EQ(10, Count("gNames"));
  EXPECT_EQ(str("11"), Global("gCurrent"));
}

TEST_F(ChoosePlayerTest, NamesReachTheScriptAsTheyAreAndNeverAsCode)
{
  Players({"O'Hara", "x'}) gHacked = true --"});
  Run(kScript);
  EXPECT_FALSE(Truth("gHacked"));
  Run("gFirst = gNames[1] gSecond = gNames[2]");
  EXPECT_EQ(str("O'Hara"), Global("gFirst"));
  EXPECT_EQ(str("x'}) gHacked = true --"), Global("gSecond"));
}

TEST_F(ChoosePlayerTest, TheListShowsNamesAsTypedWithBackslashesAndTagsAsText)
{
  const char kTyped[] = "a\\b <b>x</b>";
  Players({kTyped, "<font size=\"60\">Big"});
  Run(kScript);
  TListBox* list = Find<TListBox>("user_list");
  ASSERT_NE(nullptr, list);
  ASSERT_GE(list->GetRows().size(), 2u);
  TText* first = TWindow::GetCast<TText>(list->GetRows()[0]->GetChildWindow("label", -1));
  TText* second = TWindow::GetCast<TText>(list->GetRows()[1]->GetChildWindow("label", -1));
  ASSERT_TRUE(first && second);
  EXPECT_EQ(std::string(kTyped), ShownText(first->GetTextGraphic()));
  EXPECT_FALSE(AnyBold(first->GetTextGraphic()));
  EXPECT_EQ(std::string("<font size=\"60\">Big"), ShownText(second->GetTextGraphic()));
  // The items stay the names themselves: what the script reads back is what was typed.
  EXPECT_EQ(str(kTyped), list->GetItemText(0));
}

TEST_F(ChoosePlayerTest, WithoutPlayersTheTableIsEmptyAndNothingIsSelected)
{
  EXPECT_EQ(str("UpdatePlayerChoices( -1, 0, {} )"), TChoosePlayer::PlayerChoicesCall());
  Run(kScript);
  Run("gSelected = GetCurrentSelectedUser() gName = GetSelectedPlayerName()");
  EXPECT_EQ(str("-1"), Global("gSelected"));
  EXPECT_EQ(str(), Global("gName"));
  EXPECT_EQ(0, settings->GetNumUsers());

  Run("DestroyWindow('choose')");
  manager.ClearDestroyedWindows();
  Run("gGone = SetPlayerChoices == nil and GetCurrentSelectedUser == nil and GetSelectedPlayerName == nil");
  EXPECT_TRUE(Truth("gGone"));
}
