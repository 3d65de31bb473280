// luabind_test: native functions bound to Lua: argument and result conversions, member
// bindings, rebinding and unbinding, table and function handles, and messages owned by Lua.
#include "core/script/luabind.h"

#include "core/script/script.h"
#include "core/script/message.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct TRecorder
{
  str text;
  int number = -1;
  double real = 0;
  bool flag = false;
  bool nullText = false;
  int calls = 0;

  void TakeStrInt(str s, int n)
  {
    text = s;
    number = n;
  }
  void TakeCharPtr(char const* s) { nullText = s == nullptr; }
  void TakeBool(bool b) { flag = b; }
  void TakeDouble(double d) { real = d; }
  void TakeUnsigned(unsigned u) { number = (int)u; }
  int Twice(int n) const { return 2 * n; }
  static double Half(double d) { return d / 2; }
  str Echo(const str& s) { return s + "!"; }
  bool Yes() { return true; }
  void Count() { ++calls; }
  int Raw(lua_State* L)
  {
    lua_pushnumber(L, lua_gettop(L));
    lua_pushstring(L, "second");
    return 2;
  }
};

int gMessagesAlive = 0;
class TCountedMessage : public TMessage
{
public:
  TCountedMessage(int type, const str& name) : TMessage(type, name) { ++gMessagesAlive; }
  ~TCountedMessage() override { --gMessagesAlive; }
};

TMessage* MakeMessage(int type, str name)
{
  return new TCountedMessage(type, name);
}
int gReadType = -1;
void ReadMessage(TMessage* message)
{
  gReadType = message ? message->GetType() : -2;
}

class LuaBindTest : public ::testing::Test
{
protected:
  str Global(char const* name)
  {
    lua_getglobal(L, name);
    return script.PopString();
  }

  TScript script;
  lua_State* L = script.GetState();
  TRecorder recorder;
};

TEST_F(LuaBindTest, Arguments_ConvertByTheBindingRules)
{
  LuaBind(L, "f", &recorder, &TRecorder::TakeStrInt);
  script.DoLuaString("f( 12, '3' )");
  EXPECT_EQ(recorder.text, "12");
  EXPECT_EQ(recorder.number, 3);
  script.DoLuaString("f( 24 / 2, 2.9 )");
  EXPECT_EQ(recorder.text, "12");
  EXPECT_EQ(recorder.number, 2);
  script.DoLuaString("f( nil )");
  EXPECT_EQ(recorder.text, "");
  EXPECT_EQ(recorder.number, 0);
  script.DoLuaString("f( {}, -2.9 )");
  EXPECT_EQ(recorder.text, "");
  EXPECT_EQ(recorder.number, -2);
  // Out-of-range and NaN numbers are held to the int range, never undefined.
  script.DoLuaString("f( 'x', 1e300 )");
  EXPECT_EQ(recorder.number, 2147483647);
  script.DoLuaString("f( 'x', 0/0 )");
  EXPECT_EQ(recorder.number, 0);

  LuaBind(L, "p", &recorder, &TRecorder::TakeCharPtr);
  script.DoLuaString("p( nil )");
  EXPECT_TRUE(recorder.nullText);
  script.DoLuaString("p( 1 )");
  EXPECT_FALSE(recorder.nullText);

  LuaBind(L, "b", &recorder, &TRecorder::TakeBool);
  script.DoLuaString("b( 0 )");
  EXPECT_TRUE(recorder.flag);
  script.DoLuaString("b( false )");
  EXPECT_FALSE(recorder.flag);
  script.DoLuaString("b( '' )");
  EXPECT_TRUE(recorder.flag);
  script.DoLuaString("b()");
  EXPECT_FALSE(recorder.flag);

  LuaBind(L, "d", &recorder, &TRecorder::TakeDouble);
  script.DoLuaString("d( '2.5' )");
  EXPECT_EQ(recorder.real, 2.5);
  LuaBind(L, "u", &recorder, &TRecorder::TakeUnsigned);
  script.DoLuaString("u( 7.9 )");
  EXPECT_EQ(recorder.number, 7);
}

TEST_F(LuaBindTest, Results_OneValueOfTheNativeType)
{
  LuaBind(L, "twice", &recorder, &TRecorder::Twice);
  LuaBind(L, "echo", &recorder, &TRecorder::Echo);
  LuaBind(L, "yes", &recorder, &TRecorder::Yes);
  LuaBind(L, "raw", &recorder, &TRecorder::Raw);
  LuaBindRaw(L, "raw", &recorder, &TRecorder::Raw);
  script.DoLuaString(
      "a = twice( 21 ); b = echo( 'hi' ); c = type( yes() ); d, e = raw( 1, 2, 3 ); n = select( '#', twice( 1 ) )");
  EXPECT_EQ(Global("a"), "42");
  EXPECT_EQ(Global("b"), "hi!");
  EXPECT_EQ(Global("c"), "boolean");
  EXPECT_EQ(Global("d"), "3");
  EXPECT_EQ(Global("e"), "second");
  EXPECT_EQ(Global("n"), "1");

  // Whole numbers from native code print as whole numbers even through "..".
  LuaBind(L, "half", &TRecorder::Half);
  script.DoLuaString("cat = twice( 2 ) .. ',' .. half( 4 ) .. ',' .. half( 3 )");
  EXPECT_EQ(Global("cat"), "4,2,1.5");
}

TEST_F(LuaBindTest, Registration_ReplacesAndUnbinds)
{
  TRecorder other;
  LuaBind(L, "count", &recorder, &TRecorder::Count);
  EXPECT_TRUE(LuaIsBoundTo(L, "count", &recorder));
  LuaBind(L, "count", &other, &TRecorder::Count);
  EXPECT_FALSE(LuaIsBoundTo(L, "count", &recorder));
  EXPECT_TRUE(LuaIsBoundTo(L, "count", &other));
  script.DoLuaString("count(); count()");
  EXPECT_EQ(recorder.calls, 0);
  EXPECT_EQ(other.calls, 2);
  LuaUnbind(L, "count");
  script.DoLuaString("gone = count == nil");
  lua_getglobal(L, "gone");
  EXPECT_TRUE(lua_toboolean(L, -1));
  lua_pop(L, 1);
  EXPECT_FALSE(LuaIsBoundTo(L, "count", &other));
  EXPECT_FALSE(LuaIsBoundTo(L, "print", &other));
}

TLuaTable* gKept = nullptr;
double gNestedRead = 0;
TScript* gHost = nullptr;
void KeepTable(TLuaTable* table)
{
  gKept = table;
  gHost->DoLuaString("nested = 1");
  gNestedRead = table->GetNumber("x", -1);
}

TEST_F(LuaBindTest, Tables_LiveThroughNestedCallsAndGoAtTheNextResume)
{
  gHost = &script;
  LuaBind(L, "keep", &KeepTable);
  script.DoLuaString("return function() keep( { x = 5 } ); coroutine.yield() end");
  ASSERT_TRUE(script.CoroutineActive());
  EXPECT_EQ(gNestedRead, 5);
  lua_rawgetp(L, LUA_REGISTRYINDEX, gKept);
  EXPECT_TRUE(lua_istable(L, -1));
  lua_pop(L, 1);
  script.Resume(0);
  lua_rawgetp(L, LUA_REGISTRYINDEX, gKept);
  EXPECT_TRUE(lua_isnil(L, -1));
  lua_pop(L, 1);
}

TEST_F(LuaBindTest, Tables_GettersAndIndependentPins)
{
  script.DoLuaString("return { 'one', 2, { 0.5 }, name = 'n', size = '12', n = 3 }", -1, 1);
  TLuaTable table(L);
  lua_pushvalue(L, LUA_REGISTRYINDEX);
  lua_pop(L, 1);
  EXPECT_EQ(lua_gettop(L), 0);
  EXPECT_EQ(table.GetString(1, "d"), "one");
  EXPECT_EQ(table.GetString(2, "d"), "2");
  EXPECT_EQ(table.GetString(9, "d"), "d");
  EXPECT_EQ(table.GetString("name", "d"), "n");
  EXPECT_EQ(table.GetNumber("size", 0), 12);
  EXPECT_EQ(table.GetNumber("none", 4), 4);
  EXPECT_EQ(table.GetNumber(2, 0), 2);
  EXPECT_EQ(table.GetSize(), 3);
  EXPECT_EQ(table.GetTable(1), nullptr);
  TColor colour = table.GetColor(3, TColor(0.1f, 0.2f, 0.3f, 1));
  EXPECT_FLOAT_EQ(colour.r, 0.5f);
  EXPECT_FLOAT_EQ(colour.g, 0.2f);
  EXPECT_FLOAT_EQ(colour.a, 1);
  EXPECT_FLOAT_EQ(table.GetColor(1, TColor(0, 0, 0, 0.5f)).a, 0.5f);
  EXPECT_EQ(lua_gettop(L), 0);

  table.Push();
  TLuaTable* first = new TLuaTable(L);
  table.Push();
  TLuaTable second(L);
  delete first;
  EXPECT_EQ(second.GetString(1, ""), "one");
}

TEST_F(LuaBindTest, Functions_BelongToTheCallee)
{
  TLuaFunction* kept = nullptr;
  struct THolder
  {
    TLuaFunction** slot;
    void Take(TLuaFunction* f) { *slot = f; }
  } holder{&kept};
  LuaBind(L, "take", &holder, &THolder::Take);
  script.DoLuaString("take( function() called = 'yes' end )");
  ASSERT_NE(kept, nullptr);
  script.DoLuaString("collectgarbage()");
  kept->Push();
  EXPECT_EQ(script.RunFunction(0, 0), 0);
  EXPECT_EQ(Global("called"), "yes");
  delete kept;
}

TEST_F(LuaBindTest, Messages_ReturnedMessagesBelongToLua)
{
  LuaBind(L, "make", &MakeMessage);
  LuaBind(L, "read", &ReadMessage);
  script.DoLuaString("m = make( 3, 'ok' ); t = m.type; n = m.name; other = m.other; read( m ); ");
  EXPECT_EQ(gMessagesAlive, 1);
  EXPECT_EQ(Global("t"), "3");
  EXPECT_EQ(Global("n"), "ok");
  EXPECT_EQ(Global("other"), "");
  EXPECT_EQ(gReadType, 3);
  script.DoLuaString("read( nil )");
  EXPECT_EQ(gReadType, -2);
  script.DoLuaString("read( {} )");
  EXPECT_EQ(gReadType, -2);
  script.DoLuaString("m = nil; collectgarbage()");
  EXPECT_EQ(gMessagesAlive, 0);
}

TEST(SafeStringTest, RefusesZerosAndMultiByteLeads)
{
  EXPECT_TRUE(SafeString(""));
  EXPECT_TRUE(SafeString("plain \x7f text"));
  EXPECT_FALSE(SafeString("caf\xc3\xa9"));
}

} // namespace
