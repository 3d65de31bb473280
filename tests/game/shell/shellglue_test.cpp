// Tests of the script glue: number lists read as scene data expects, Lua quoting, window
// lookups and underline distances from scripts, labelled buttons from style tables and
// bindings taken back from Lua.
#include <gtest/gtest.h>

#include "core/script/luabind.h"
#include "shell/gamedefs.h"
#include "shell/shellglue.h"
#include "support/widgetfixture.h"

namespace {

std::vector<float> Read(const char* text)
{
  std::vector<float> numbers = {99.0f};
  EXPECT_TRUE(ReadVector(numbers, text));
  return numbers;
}

class ShellGlueTest : public WidgetTest
{
protected:
  void SetUp() override
  {
    WidgetTest::SetUp();
    RegisterShellGlue();
  }
  // A button made from the Lua table that the text evaluates to.
  TButton* Make(const char* table, const char* label, TPoint position = ImpossiblePoint)
  {
    Run((std::string("gStyle = ") + table).c_str());
    lua_getglobal(L, "gStyle");
    TLuaTable style(L);
    TButton* button = CreateButton(&style, label, position);
    screen->AdoptChild(button, true);
    return button;
  }
  TText* Label(TButton* button) { return TWindow::GetCast<TText>(button->GetChildWindow("label", -1)); }
};

} // namespace

TEST(ReadVector, ReadsEveryNumberWhateverSeparatesThem)
{
  EXPECT_EQ((std::vector<float>{10.0f, -2.5f, 3.0f}), Read("10, -2.5;3"));
  EXPECT_EQ((std::vector<float>{100000.0f, 5.0f}), Read("1e5"));
  EXPECT_EQ((std::vector<float>{4.0f}), Read("+4"));
  EXPECT_EQ((std::vector<float>{1.0f}), Read("1-2"));
  EXPECT_EQ((std::vector<float>{}), Read(""));
  EXPECT_EQ((std::vector<float>{0.5f, 7.0f}), Read("x=.5 y=7"));
}

TEST_F(ShellGlueTest, QuotedTextReadsBackAsTheSameSingleValue)
{
  EXPECT_EQ(str("'Ann'"), LuaQuote("Ann"));
  for (const char* text : {"O'Hara", "back\\slash", "two\nlines", "tab\there", "9\0019", "é ü"}) {
    Run(("gBack = " + std::string(LuaQuote(text).c_str())).c_str());
    EXPECT_EQ(str(text), Global("gBack")) << text;
  }
  Run(("gBack = " + std::string(LuaQuote("'); gHacked = true; x=('").c_str())).c_str());
  EXPECT_FALSE(Truth("gHacked"));
}

TEST_F(ShellGlueTest, ScriptsAskWhetherAWindowExistsAnywhere)
{
  Run("MakeDialog{ Window{ name = 'outer', w = 10, h = 10, Window{ name = 'inner', w = 5, h = 5 } } }");
  Run("gInner = IsWindowExists('inner') gNone = IsWindowExists('none')");
  EXPECT_TRUE(Truth("gInner"));
  EXPECT_FALSE(Truth("gNone"));
}

TEST_F(ShellGlueTest, UnderlineDistanceReachesTextsAndButtonLabelsOnly)
{
  Run("MakeDialog{ Text{ name = 'link', w = 100, h = 20, label = 'x' }, "
      "Button{ name = 'go', w = 60, h = 20, Text{ name = 'label', w = 60, h = 20, label = 'Go' } }, "
      "Window{ name = 'plain', w = 10, h = 10 } }");
  Run("SetUnderlineDistance('link', 3) SetUnderlineDistance('go', 5) SetUnderlineDistance('plain', 7) "
      "SetUnderlineDistance('none', 9)");
  EXPECT_EQ(3, Find<TText>("link")->GetSpacing());
  EXPECT_EQ(5, Label(Find<TButton>("go"))->GetSpacing());
}

TEST_F(ShellGlueTest, SetAlphaReachesImagesOfTheTopDialogOnly)
{
  Run("MakeDialog{ Bitmap{ name = 'photo', w = 10, h = 10 }, Text{ name = 'caption', w = 100, h = 20, label = 'x' } }");
  Run("SetAlpha('photo', 0.5) SetAlpha('caption', 0.5) SetAlpha('none', 0.5)");
  EXPECT_FLOAT_EQ(0.5f, Find<TImage>("photo")->GetAlpha());
  // Without any layer there is nothing to look in.
  TWindowManager empty;
  SetAlpha("photo", 0.1f);
  EXPECT_FLOAT_EQ(0.5f, Find<TImage>("photo")->GetAlpha());
}

TEST_F(ShellGlueTest, ButtonsFromAStyleGetASizedPlacedLabel)
{
  TButton* button =
      Make("{ name = 'row', w = 120, h = 30, tw = 100, th = 20, tx = 6, ty = 4, fh = 2 }", "Ann", TPoint(40, 50));
  EXPECT_EQ(str("row"), button->GetName());
  EXPECT_EQ(40, button->GetRect().left);
  EXPECT_EQ(50, button->GetRect().top);
  TText* label = Label(button);
  ASSERT_NE(nullptr, label);
  EXPECT_EQ(TRect(6, 4, 106, 24).right, label->GetRect().right);
  EXPECT_EQ(4, label->GetRect().top);
  EXPECT_EQ(2, label->GetSpacing());
  // Without a string table the label is the text itself.
  EXPECT_EQ(str("Ann"), button->GetLabel());

  TButton* plain = Make("{ w = 80, h = 25, label = 'Styled', x = 7, y = 9 }", "");
  EXPECT_EQ(7, plain->GetRect().left);
  EXPECT_EQ(80, Label(plain)->GetWindowWidth());
  EXPECT_EQ(25, Label(plain)->GetWindowHeight());
  EXPECT_EQ(0, Label(plain)->GetRect().left);
  EXPECT_EQ(str("Styled"), plain->GetLabel());
}

TEST_F(ShellGlueTest, BindingsOfAnObjectAreTakenBackButNotThoseOthersTookOver)
{
  struct TOwner
  {
    int Value() { return 1; }
  } first, second;
  LuaBind(L, "gA", &first, &TOwner::Value);
  LuaBind(L, "gB", &first, &TOwner::Value);
  LuaBind(L, "gB", &second, &TOwner::Value);
  const char* const names[] = {"gA", "gB", "gMissing"};
  UnbindLuaFrom(&first, names, 3);
  Run("gANil = gA == nil gBKept = gB ~= nil");
  EXPECT_TRUE(Truth("gANil"));
  EXPECT_TRUE(Truth("gBKept"));
}
