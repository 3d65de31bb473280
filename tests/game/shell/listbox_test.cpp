// Tests of the list box: scrolling with the buttons and the slider, rows following the
// items, refused changes, the Lua functions and indices from scripts that miss the list.
#include <gtest/gtest.h>

#include "shell/listbox.h"
#include "support/glwidgetfixture.h"

namespace {

// The slider needs its pictures (a slider without a thumb sends nothing), so a GL context.
class ListBoxTest : public GLWidgetTest
{
protected:
  void SetUp() override
  {
    GLWidgetTest::SetUp();
    if (IsSkipped())
      return;
    TListBox::Registration();
    Run(("MakeDialog{ ListBox{ name = 'users', x = 10, y = 10, w = 300, h = 200, max_visible = 6, "
         "indent = 2, item = { w = 100, h = 20 }, "
         "Button{ name = 'list_up', x = 200, y = 0, w = 20, h = 20 }, "
         "Button{ name = 'list_down', x = 200, y = 150, w = 20, h = 20 }, "
         "Slider{ name = 'list_slider', x = 250, y = 0, w = 30, h = 150, sliderimage = '" +
         Image("thumb.png") + "', railtop = '" + Image("railcap.png") + "', railmid = '" + Image("railmid.png") +
         "', railbot = '" + Image("railcap.png") + "' } } }")
            .c_str());
    list = Find<TListBox>("users");
    ASSERT_NE(nullptr, list);
  }

  void Fill(int count)
  {
    for (int i = 0; i < count; ++i)
      list->AddItem(str::getFormatted("item%d", i));
  }
  // The pointer comes over the button first, as a real one does.
  void PressWindow(TWindow* window)
  {
    Move(Centre(window));
    Click(window);
    Messages();
  }
  void Press(const char* name) { PressWindow(Find<TButton>(name)); }
  void PressRow(int row) { PressWindow(list->GetRows()[size_t(row)]); }
  // The labels of the shown rows, joined.
  std::string Shown()
  {
    std::string text;
    for (TButton* row : list->GetRows()) {
      if (!row->IsVisible())
        continue;
      text += (text.empty() ? "" : " ") + std::string(row->GetLabel().c_str());
    }
    return text;
  }
  float SliderValue() { return Find<TSlider>("list_slider")->GetValue(); }

  TListBox* list = nullptr;
};

} // namespace

TEST_F(ListBoxTest, RowsAreStackedRadioButtonsOnePerVisibleItem)
{
  ASSERT_EQ(6u, list->GetRows().size());
  EXPECT_EQ(str("line0"), list->GetRows()[0]->GetName());
  EXPECT_EQ(TButton::kRadio, list->GetRows()[1]->GetType());
  EXPECT_EQ(list->GetRows()[0]->GetRect().bottom + 2, list->GetRows()[1]->GetRect().top);
  EXPECT_EQ("", Shown());
  Fill(2);
  EXPECT_EQ("item0 item1", Shown());
  EXPECT_EQ(-1, list->GetSelectedItem());
}

TEST_F(ListBoxTest, ListDownScrollsOneRowAndMovesTheSelectionUntilTheLastItem)
{
  Fill(10);
  list->SetSelectedItem(0);
  for (int press = 1; press <= 6; ++press) {
    Press("list_down");
    EXPECT_EQ(press, list->GetSelectedItem()) << press;
  }
  EXPECT_EQ("item4 item5 item6 item7 item8 item9", Shown());
  Press("list_down");
  Press("list_down");
  Press("list_down");
  EXPECT_EQ(9, list->GetSelectedItem());
  Press("list_down");
  EXPECT_EQ(9, list->GetSelectedItem());
  EXPECT_EQ(4, list->GetFirstVisibleItem());
  Press("list_up");
  EXPECT_EQ(3, list->GetFirstVisibleItem());
  EXPECT_EQ(8, list->GetSelectedItem());
}

TEST_F(ListBoxTest, AnItemAddedToFullRowsWaitsAndOneAddedToFreeRowsShowsAtOnce)
{
  Fill(5);
  EXPECT_EQ("item0 item1 item2 item3 item4", Shown());
  list->AddItem("late");
  EXPECT_EQ("item0 item1 item2 item3 item4 late", Shown());
  list->AddItem("hidden");
  EXPECT_EQ("item0 item1 item2 item3 item4 late", Shown());
  list->SetSelectedItem(6);
  EXPECT_EQ("item1 item2 item3 item4 late hidden", Shown());
}

TEST_F(ListBoxTest, SelectingAnItemBelowTheRowsMakesItTheLastVisibleRow)
{
  Fill(12);
  list->SetSelectedItem(8);
  EXPECT_EQ(3, list->GetFirstVisibleItem());
  EXPECT_TRUE(list->GetRows()[5]->IsOn());
  EXPECT_FLOAT_EQ(8.0f / 11.0f, SliderValue());
  list->SetSelectedItem(1);
  EXPECT_EQ(1, list->GetFirstVisibleItem());
  EXPECT_TRUE(list->GetRows()[0]->IsOn());
  EXPECT_FALSE(list->GetRows()[5]->IsOn());
}

TEST_F(ListBoxTest, ACallbackThatReturnsNothingKeepsTheOldSelection)
{
  Fill(4);
  Run("gAsked = -1 SetChangeCommand('users', function(i) gAsked = i end) SetSelectedItem('users', 1)");
  EXPECT_EQ(1, list->GetSelectedItem());
  PressRow(3);
  EXPECT_EQ(3, Global("gAsked").to_int());
  EXPECT_EQ(1, list->GetSelectedItem());
  EXPECT_FALSE(list->GetRows()[3]->IsOn());
  EXPECT_TRUE(list->GetRows()[1]->IsOn());

  Run("SetChangeCommand('users', function(i) gAsked = i return true end)");
  PressRow(2);
  EXPECT_EQ(2, list->GetSelectedItem());
  Run("gSelected = GetSelectedItem('users')");
  EXPECT_EQ(2, Global("gSelected").to_int());
  // A callback that fails refuses too, and a failing script does not stop the list.
  Run("SetChangeCommand('users', function(i) error('no') end)");
  PressRow(0);
  EXPECT_EQ(2, list->GetSelectedItem());
}

TEST_F(ListBoxTest, TheSliderSelectsTheNearestItemAndFollowsTheSelection)
{
  Fill(5);
  TSlider* slider = Find<TSlider>("list_slider");
  slider->SetValue(0.5f, false);
  EXPECT_EQ(2, list->GetSelectedItem());
  EXPECT_FLOAT_EQ(0.5f, slider->GetValue());
  slider->SetValue(0.3f, false);
  EXPECT_EQ(1, list->GetSelectedItem());
  Run("SetChangeCommand('users', function(i) return i ~= 4 end)");
  slider->SetValue(1.0f, false);
  EXPECT_EQ(1, list->GetSelectedItem());
}

TEST_F(ListBoxTest, OneItemOrNoneLeavesTheSliderAtTheTopAndIgnoresItsMessages)
{
  TSlider* slider = Find<TSlider>("list_slider");
  slider->SetValue(0.7f, false);
  EXPECT_EQ(-1, list->GetSelectedItem());
  EXPECT_EQ(0u, Messages().size());
  list->AddItem("only");
  list->SetSelectedItem(0);
  EXPECT_EQ(0.0f, slider->GetValue());
  list->UpdateSlider(-1);
  EXPECT_FALSE(std::isnan(slider->GetValue()));
}

TEST_F(ListBoxTest, ScriptsEditTheItemsAndIndicesOutsideTheListAreRefused)
{
  Run("AddItem('users', 'Ann') AddItem('users', 'Bo') AddItem('users', 'Cy') "
      "SetItemText('users', 1, 'Bea') gText = GetItemText('users', 1) "
      "gMissing = GetItemText('nolist', 0) gNone = GetSelectedItem('nolist')");
  EXPECT_EQ(str("Bea"), Global("gText"));
  EXPECT_EQ(str(), Global("gMissing"));
  EXPECT_EQ(-1, Global("gNone").to_int());
  // The stored text changed; the row shows it at the next re-layout.
  EXPECT_EQ("Ann Bo Cy", Shown());
  list->SetFirstVisibleItem(0);
  EXPECT_EQ("Ann Bea Cy", Shown());

  Run("DeleteItem('users', 7) DeleteItem('users', -2) SetItemText('users', 3, 'x') "
      "gFar = GetItemText('users', 99) SetSelectedItem('users', 5)");
  EXPECT_EQ(str(), Global("gFar"));
  EXPECT_EQ(3, list->GetItemCount());
  EXPECT_EQ(-1, list->GetSelectedItem());
  Run("DeleteItem('users', 0)");
  EXPECT_EQ("Bea Cy", Shown());
  Run("DeleteItem('users', -1)");
  EXPECT_EQ(0, list->GetItemCount());
  EXPECT_EQ("", Shown());
}
