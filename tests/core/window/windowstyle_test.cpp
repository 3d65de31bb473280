// windowstyle_test: style lookups through the window's table, the default style and its
// "parent" chain (cycles included), and the typed getters.
#include "core/window/windowstyle.h"

#include "core/script/luatable.h"
#include "core/script/script.h"

#include <gtest/gtest.h>

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

class WindowStyleTest : public ::testing::Test
{
protected:
  // The table the text returns, as a style.
  TLuaTable* Table(char const* text)
  {
    script.DoLuaString(str("return ") + text, -1, 1);
    tables.emplace_back(new TLuaTable(script.GetState()));
    return tables.back().get();
  }

  TScript script;
  std::vector<std::unique_ptr<TLuaTable>> tables;
};

TEST_F(WindowStyleTest, Lookup_OwnTableThenDefaultStyleThenItsParents)
{
  script.DoLuaString("base = { font = 'base', size = 9, only = 'base' }; "
                     "gCurrentDefaultStyle = { font = 'default', parent = base }");
  TWindowStyle style(Table("{ font = 'own', parent = { hidden = 'yes' } }"));
  EXPECT_EQ(style.GetString("font", "none"), "own");
  EXPECT_EQ(style.GetNumber("size", 0), 9);
  EXPECT_EQ(style.GetString("only", "none"), "base");
  // The window's own "parent" is not followed.
  EXPECT_EQ(style.GetString("hidden", "none"), "none");
  EXPECT_TRUE(style.Has("size"));
  EXPECT_FALSE(style.Has("hidden"));
  EXPECT_EQ(lua_gettop(script.GetState()), 0);
}

TEST_F(WindowStyleTest, Lookup_ACycleInTheParentChainEnds)
{
  script.DoLuaString("a = { }; b = { parent = a }; a.parent = b; gCurrentDefaultStyle = a; "
                     "a.parent = a; c = { parent = b }; b.parent = c");
  TWindowStyle style(Table("{}"));
  EXPECT_EQ(style.GetString("missing", "fallback"), "fallback");
  EXPECT_EQ(lua_gettop(script.GetState()), 0);
}

TEST_F(WindowStyleTest, Lookup_WithoutATableEverythingIsDefault)
{
  TWindowStyle empty;
  EXPECT_EQ(empty.GetNumber("x", 7), 7);
  EXPECT_EQ(empty.GetString("name", "n"), "n");
  EXPECT_FALSE(empty.GetTable("t"));
  EXPECT_EQ(empty.GetFunction("f"), nullptr);

  // A style value that is not a table reads the globals.
  script.DoLuaString("x = 11");
  TWindowStyle globals(Table("false"));
  EXPECT_EQ(globals.GetNumber("x", 0), 11);
}

TEST_F(WindowStyleTest, Getters_ConvertAsWindowsExpect)
{
  TWindowStyle style(Table("{ zero = 0, two = 2, nan = 0/0, text = 'on', tab = {}, yes = true, "
                           "up = 2.9, down = -2.9, big = 1e300, rgb = { 1, 0.5, 0.25 }, "
                           "rgba = { 0.1, 0.2, 0.3, 0.4 }, word = 'abc', f = function() return 1 end }"));
  EXPECT_FALSE(style.GetBool("zero", true));
  EXPECT_TRUE(style.GetBool("two", false));
  EXPECT_TRUE(style.GetBool("nan", false));
  EXPECT_TRUE(style.GetBool("yes", false));
  EXPECT_TRUE(style.GetBool("absent", true));
  CaptureStderr();
  EXPECT_FALSE(style.GetBool("text", true));
  EXPECT_FALSE(style.GetBool("tab", true));
  EXPECT_EQ(GetCapturedStderr(), "PopBool used on lua string on\n"
                                 "PopBool used on a type that isn't a number, a boolean, or nil. (type: 5)\n");

  EXPECT_EQ(style.GetInt("up", 0), 2);
  EXPECT_EQ(style.GetInt("down", 0), -2);
  EXPECT_EQ(style.GetInt("big", 0), 2147483647);
  EXPECT_EQ(style.GetInt("word", 5), 0);
  EXPECT_EQ(style.GetString("two", ""), "2");

  TColor rgb = style.GetColor("rgb", TColor(9, 9, 9, 9));
  EXPECT_FLOAT_EQ(rgb.g, 0.5f);
  EXPECT_FLOAT_EQ(rgb.a, 0);
  EXPECT_FLOAT_EQ(style.GetColor("rgba", TColor()).a, 0.4f);
  EXPECT_FLOAT_EQ(style.GetColor("word", TColor(0, 0, 0, 0.7f)).a, 0.7f);

  boost::shared_ptr<TLuaTable> table = style.GetTable("rgb");
  ASSERT_TRUE(table);
  EXPECT_EQ(table->GetNumber(3, 0), 0.25);
  EXPECT_FALSE(style.GetTable("word"));
  TLuaFunction* function = style.GetFunction("f");
  ASSERT_NE(function, nullptr);
  function->Push();
  EXPECT_EQ(script.RunFunction(0, 1), 0);
  EXPECT_EQ(script.PopString(), "1");
  delete function;
  EXPECT_EQ(lua_gettop(script.GetState()), 0);
}

} // namespace
