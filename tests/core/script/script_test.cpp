// script_test: the Lua host: script files from disk and pack archives, error reports,
// Lua strings, the coroutine driven by the task tick, calls while it waits, and the older script globals.
#include "core/script/script.h"

#include "core/foundation/asset.h"
#include "core/foundation/file.h"
#include "core/script/luabind.h"
#include "core/script/luacompat.h"
#include "support/faketimer.h"
#include "support/packwriter.h"
#include "support/vfssandbox.h"

#include <gtest/gtest.h>

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

class ScriptTest : public ::testing::Test
{
protected:
  str Global(char const* name)
  {
    lua_getglobal(script.GetState(), name);
    return script.PopString();
  }
  double Number(char const* name)
  {
    lua_getglobal(script.GetState(), name);
    double value = lua_tonumber(script.GetState(), -1);
    lua_pop(script.GetState(), 1);
    return value;
  }

  TVfsSandbox sandbox;
  TFakeTimer timer{1000};
  TAssetManager registry;
  TScript script;
};

TEST_F(ScriptTest, RunScript_RunsFilesFromDiskAndFromPackArchives)
{
  sandbox.WriteFile("assets/scripts/disk.lua", "fromDisk = 'disk'\n");
  WriteBytes(sandbox.Path("assets/scripts.qvp"), BuildPackArchive({{"scripts/packed.lua", "fromPack = 2 * 21\n"}}));
  TFile::ScanForResources();

  EXPECT_TRUE(script.RunScript("scripts/disk.lua"));
  EXPECT_TRUE(script.RunScript("scripts/packed.lua"));
  EXPECT_EQ(Global("fromDisk"), "disk");
  EXPECT_EQ(Global("fromPack"), "42");
  EXPECT_EQ(lua_gettop(script.GetState()), 0);
}

TEST_F(ScriptTest, RunScript_MissingFileFailsSilently)
{
  CaptureStderr();
  EXPECT_FALSE(script.RunScript("scripts/none.lua"));
  EXPECT_FALSE(script.RunScript(""));
  EXPECT_EQ(GetCapturedStderr(), "");
}

TEST_F(ScriptTest, RunScript_SyntaxErrorGoesToAlertWithItsLine)
{
  sandbox.WriteFile("assets/scripts/bad.lua", "x = 1\ny = = 2\n");
  TFile::ScanForResources();
  CaptureStderr();
  EXPECT_FALSE(script.RunScript("scripts/bad.lua"));
  std::string log = GetCapturedStderr();
  EXPECT_EQ(log.rfind("ERROR: scripts/bad.lua:2: ", 0), 0u) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);

  // Scripts may take the alerts over.
  script.DoLuaString("function _ALERT( m ) alerted = m end");
  EXPECT_FALSE(script.RunScript("scripts/bad.lua"));
  EXPECT_NE(Global("alerted").find("scripts/bad.lua:2:"), str::npos);
}

TEST_F(ScriptTest, RunScript_RuntimeErrorIsReportedOnceWithItsLine)
{
  sandbox.WriteFile("assets/scripts/boom.lua", "local t = nil\nreturn t.field\n");
  TFile::ScanForResources();
  CaptureStderr();
  EXPECT_FALSE(script.RunScript("scripts/boom.lua"));
  std::string log = GetCapturedStderr();
  EXPECT_EQ(log.rfind("ERROR: scripts/boom.lua:2: attempt to index", 0), 0u) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  EXPECT_EQ(lua_gettop(script.GetState()), 0);
}

TEST_F(ScriptTest, DoLuaString_ResultsStayOnlyWhenAskedFor)
{
  lua_State* L = script.GetState();
  script.DoLuaString("return 1", -1, 1);
  ASSERT_EQ(lua_gettop(L), 1);
  EXPECT_EQ(lua_tonumber(L, -1), 1);
  lua_pop(L, 1);
  script.DoLuaString("return 1", -1, 0);
  EXPECT_EQ(lua_gettop(L), 0);
  // A length cuts the text.
  script.DoLuaString("cut = 1 -- and more", 7);
  EXPECT_EQ(Global("cut"), "1");
  EXPECT_EQ(Global("LUA_PATH"), "assets/?;?;../?;../../?");
}

TEST_F(ScriptTest, DoLuaString_ParseErrorIsReportedAndHandedToLuaErrorMessage)
{
  script.DoLuaString("function LuaErrorMessage( m ) reported = m end");
  CaptureStderr();
  script.DoLuaString("x = = 1");
  std::string log = GetCapturedStderr();
  EXPECT_EQ(log, "ERROR: [string \"x = = 1\"]:1: unexpected symbol near '=' in: x = = 1\n");
  EXPECT_EQ(Global("reported"), "Lua Error: [string \"x = = 1\"]:1: unexpected symbol near '='\n\twhen parsing");
  EXPECT_EQ(lua_gettop(script.GetState()), 0);
}

TEST_F(ScriptTest, DoLuaString_RuntimeErrorOnlyAlerts)
{
  script.DoLuaString("function LuaErrorMessage( m ) reported = m end");
  CaptureStderr();
  script.DoLuaString("error( 'broken' )");
  EXPECT_EQ(GetCapturedStderr(), "ERROR: [string \"error( 'broken' )\"]:1: broken\n");
  EXPECT_EQ(Global("reported"), "");
  EXPECT_EQ(lua_gettop(script.GetState()), 0);
}

TEST_F(ScriptTest, Coroutine_StartsAtOnceAndResumesFromTheTaskTick)
{
  sandbox.WriteFile("assets/scripts/co.lua", "steps = 0\n"
                                             "return function()\n"
                                             "  steps = 1; coroutine.yield(); steps = 2; coroutine.yield(); steps = 3\n"
                                             "end\n");
  TFile::ScanForResources();
  EXPECT_TRUE(script.IsPaused());
  EXPECT_TRUE(script.RunScript("scripts/co.lua"));
  EXPECT_EQ(Number("steps"), 1);
  EXPECT_TRUE(script.CoroutineActive());
  EXPECT_FALSE(script.IsPaused());

  TTaskList idle;
  idle.AdoptTask(&script);
  idle.DoAll(TTask::eEventLoop);
  EXPECT_EQ(Number("steps"), 2);
  idle.DoAll(TTask::eEventLoop);
  EXPECT_EQ(Number("steps"), 3);
  EXPECT_FALSE(script.CoroutineActive());
  EXPECT_TRUE(script.IsPaused());
  idle.OrphanTask(&script);
}

TEST_F(ScriptTest, Coroutine_FailureIsLoggedAndStops)
{
  CaptureStderr();
  script.DoLuaString("return function() coroutine.yield(); error( 'late' ) end");
  EXPECT_TRUE(script.CoroutineActive());
  EXPECT_TRUE(script.Animate());
  std::string log = GetCapturedStderr();
  EXPECT_EQ(log.rfind("ERROR: [string \"return function() coroutine.yield(); error( '...\"]:1: late\n", 0), 0u) << log;
  EXPECT_FALSE(script.CoroutineActive());
  EXPECT_TRUE(script.IsPaused());

  // Nothing suspended: a resume is refused quietly and its values dropped.
  CaptureStderr();
  lua_pushnumber(script.GetState(), 1);
  EXPECT_EQ(script.Resume(1), -1);
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(lua_gettop(script.GetState()), 0);
}

TEST_F(ScriptTest, Coroutine_ErrorAtStartIsReported)
{
  CaptureStderr();
  script.DoLuaString("return function() error( 'at once' ) end");
  std::string log = GetCapturedStderr();
  EXPECT_EQ(log, "ERROR: [string \"return function() error( 'at once' ) end\"]:1: at once\n");
  EXPECT_FALSE(script.CoroutineActive());
  EXPECT_TRUE(script.IsPaused());
}

TEST_F(ScriptTest, RunFunction_WhileTheCoroutineWaitsRunsDirectlyKeepingSixArguments)
{
  lua_State* L = script.GetState();
  script.DoLuaString("return function() coroutine.yield() end");
  ASSERT_TRUE(script.CoroutineActive());
  script.DoLuaString("function count( ... ) seen = select( '#', ... ); last = select( 7, ... ) end");

  lua_getglobal(L, "count");
  for (int i = 1; i <= 7; ++i)
    lua_pushnumber(L, i);
  EXPECT_EQ(script.RunFunction(7, 0), 0);
  EXPECT_EQ(Number("seen"), 6);
  EXPECT_EQ(Global("last"), "");
  EXPECT_TRUE(script.CoroutineActive());
  EXPECT_EQ(lua_gettop(L), 0);

  // Strings run from native code keep working while the coroutine waits.
  script.DoLuaString("return 40 + 2", -1, 1);
  EXPECT_EQ(script.PopString(), "42");
}

TScript* gNestedHost = nullptr;
void RunNested()
{
  gNestedHost->DoLuaString("return function() inner = 'ran' end");
}

TEST_F(ScriptTest, RunFunction_FunctionReturnedWhileTheCoroutineRunsIsNotStarted)
{
  gNestedHost = &script;
  LuaBind(script.GetState(), "RunNested", &RunNested);
  CaptureStderr();
  script.DoLuaString("return function() RunNested(); coroutine.yield(); outer = 'ran' end");
  std::string log = GetCapturedStderr();
  EXPECT_NE(log.find("ERROR: a script returned a function while its coroutine is running"), std::string::npos) << log;
  ASSERT_TRUE(script.CoroutineActive());
  script.Animate();
  EXPECT_EQ(Global("outer"), "ran");
  EXPECT_EQ(Global("inner"), "");
  EXPECT_FALSE(script.CoroutineActive());
}

TEST_F(ScriptTest, RunBudget_CodeThatNeverHandsBackIsStoppedNamingItsLineAndTheStateGoesOn)
{
  sandbox.WriteFile("assets/scripts/spin.lua", "x = 1\nwhile true do x = x + 1 end\n");
  TFile::ScanForResources();
  TScript::StartRunBudget();
  CaptureStderr();
  EXPECT_FALSE(script.RunScript("scripts/spin.lua"));
  std::string log = GetCapturedStderr();
  EXPECT_EQ(log.rfind("ERROR: scripts/spin.lua:2: stopped: the script ran too long", 0), 0u) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  EXPECT_GT(Number("x"), 1000);
  EXPECT_EQ(lua_gettop(script.GetState()), 0);
  TScript::StartRunBudget();
  script.DoLuaString("return 6 * 7", -1, 1);
  EXPECT_EQ(script.PopString(), "42");
}

TEST_F(ScriptTest, RunBudget_TheInterruptCheckStopsCodeAtOnceAndAPcallDoesNotCatchTheStop)
{
  int asked = 0;
  TScript::SetInterruptCheck([&asked] { return ++asked >= 3; });
  TScript::StartRunBudget();
  CaptureStderr();
  script.DoLuaString("local ok = pcall( function() while true do end end ) caught = tostring( not ok ) "
                     "for i = 1, 1000 do after = i end");
  std::string log = GetCapturedStderr();
  TScript::SetInterruptCheck(nullptr);
  EXPECT_EQ(
      log, "ERROR: [string \"local ok = pcall( function() while true do en...\"]:1: stopped: the program is closing\n");
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(Global("caught"), "");
  EXPECT_EQ(Global("after"), "");
}

TEST_F(ScriptTest, RunBudget_AStoppedHandlerStaysStoppedWhateverCatchesTheStop)
{
  // Each catches the stop and loops again: with pcall, with xpcall and a handler of its own,
  // inside a coroutine of its own, and from a native function that calls back into Lua.
  LuaBind(
      script.GetState(), "CallBack", +[](str code) { gNestedHost->DoLuaString(code); });
  gNestedHost = &script;
  const char* const catchers[] = {
      "while true do pcall( function() while true do end end ) end",
      "while true do xpcall( function() while true do end end, function( e ) return e end ) end",
      "while true do coroutine.resume( coroutine.create( function() pcall( function() while true do end end ) "
      "end ) ) end",
      "while true do pcall( CallBack, 'while true do end' ) end",
  };
  for (const char* catcher : catchers) {
    TScript::StartRunBudget();
    CaptureStderr();
    script.DoLuaString(catcher);
    const std::string log = GetCapturedStderr();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << catcher << "\n" << log;
    EXPECT_EQ(log.rfind("ERROR: ", 0), 0u) << log;
    EXPECT_NE(log.find("stopped: the script ran too long"), std::string::npos) << log;
    // The state goes on, at its usual pace, within the same turn.
    script.DoLuaString("count = 0 for i = 1, 100000 do count = count + 1 end");
    EXPECT_EQ(Number("count"), 100000) << catcher;
  }

  // The coroutine of a window script catches it the same way, and is over.
  TScript::StartRunBudget();
  CaptureStderr();
  script.DoLuaString("return function() coroutine.yield() while true do pcall( function() while true do end end ) "
                     "end end");
  ASSERT_TRUE(script.CoroutineActive());
  script.Animate();
  const std::string log = GetCapturedStderr();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  EXPECT_FALSE(script.CoroutineActive());
}

TEST_F(ScriptTest, Memory_AnAllocationBeyondTheStateLimitIsReportedLikeAnyError)
{
  sandbox.WriteFile("assets/scripts/greedy.lua",
                    "x = 1\n\nfunction Greedy()\n  big = string.rep( 'x', 300 * 1024 * 1024 )\nend\n"
                    "Greedy()\n");
  TFile::ScanForResources();
  CaptureStderr();
  EXPECT_FALSE(script.RunScript("scripts/greedy.lua"));
  EXPECT_EQ(GetCapturedStderr(), "ERROR: scripts/greedy.lua: not enough memory\n");
  EXPECT_EQ(script.GetLastError(), "scripts/greedy.lua: not enough memory");

  // A function called from native code is named by the line that defines it.
  lua_State* L = script.GetState();
  lua_getglobal(L, "Greedy");
  CaptureStderr();
  EXPECT_EQ(script.RunFunction(0, 0), LUA_ERRMEM);
  EXPECT_EQ(GetCapturedStderr(), "ERROR: scripts/greedy.lua:3: not enough memory\n");
  EXPECT_EQ(lua_gettop(L), 1);
  lua_pop(L, 1);
  // The refused block never counted: the state goes on.
  script.DoLuaString("small = string.rep( 'x', 1000 )");
  EXPECT_EQ(Global("small").length(), 1000u);
}

TEST_F(ScriptTest, Values_PopStringAndPopColor)
{
  lua_State* L = script.GetState();
  script.DoLuaString("return 10 / 2", -1, 1);
  EXPECT_EQ(script.PopString(), "5");
  script.DoLuaString("return { 0.5, 1, 0.25 }", -1, 1);
  TColor colour = script.PopColor();
  EXPECT_FLOAT_EQ(colour.r, 0.5f);
  EXPECT_FLOAT_EQ(colour.g, 1);
  EXPECT_FLOAT_EQ(colour.b, 0.25f);
  EXPECT_FLOAT_EQ(colour.a, 0);
  EXPECT_EQ(lua_gettop(L), 0);

  script.SetGlobalString("s", "text");
  script.SetGlobalNumber("n", 2.5);
  EXPECT_EQ(Global("s"), "text");
  EXPECT_EQ(Global("n"), "2.5");
}

TEST_F(ScriptTest, Globals_BaseLibraryOfEveryState)
{
  lua_getglobal(script.GetState(), "_SCRIPT");
  EXPECT_EQ(lua_touserdata(script.GetState(), -1), &script);
  lua_pop(script.GetState(), 1);

  script.DoLuaString("a, b, c = toparams( { 1, 'two', 3 } )");
  EXPECT_EQ(Global("a") + Global("b") + Global("c"), "1two3");
  script.DoLuaString("hasMath = math ~= nil; hasIo = io ~= nil; hasOs = os ~= nil");
  script.DoLuaString("flags = tostring( hasMath ) .. tostring( hasIo ) .. tostring( hasOs )");
  EXPECT_EQ(Global("flags"), "falsefalsefalse");

  script.DoLuaString("function DebugOut( text ) dumped = text end; "
                     "DumpTable( { key = 'v', inner = { x = 1 } } )");
  str dumped = Global("dumped");
  EXPECT_EQ(dumped.find("Dump Table: \n"), 0u);
  EXPECT_NE(dumped.find("  key -> v\n"), str::npos);
  EXPECT_NE(dumped.find("  inner -> {\n    x -> 1\n  }\n"), str::npos);

  // A table that holds itself ends in "..." instead of recursing forever.
  script.DoLuaString("local t = {}; t.me = t; DumpTable( t )");
  EXPECT_NE(Global("dumped").find("-> ..."), str::npos);
}

TEST_F(ScriptTest, Compat_OlderGlobalsAndNumberTexts)
{
  script.DoLuaString("n1 = table.getn( { n = 5 } ); n2 = table.getn( { 1, 2, 3 } ); "
                     "local t = { 1, 2 }; table.setn( t, 7 ); n3 = table.getn( t ); "
                     "u1, u2 = unpack( { 'a', 'b' } ); "
                     "f = loadstring( 'return 3' ); n4 = f(); "
                     "t5 = tostring( 10 / 2 ) .. ',' .. tostring( 0.1 ) .. ',' .. tostring( 'x' )");
  EXPECT_EQ(Global("n1"), "5");
  EXPECT_EQ(Global("n2"), "3");
  EXPECT_EQ(Global("n3"), "7");
  EXPECT_EQ(Global("u1") + Global("u2"), "ab");
  EXPECT_EQ(Global("n4"), "3");
  EXPECT_EQ(Global("t5"), "5,0.1,x");
  EXPECT_EQ(QvLuaNumberText(1e15), "1e+15");
  QvLuaOpenMath(script.GetState());
  script.DoLuaString("m = math.mod( 7, 3 ) + math.floor( 2.5 )");
  EXPECT_EQ(Global("m"), "3");
  EXPECT_EQ(QvLuaDoubleToInt(1e300), 2147483647);
  EXPECT_EQ(QvLuaDoubleToInt(-2.9), -2);
}

TEST_F(ScriptTest, Compat_DofileLoadfileAndRequireReadVirtualFiles)
{
  sandbox.WriteFile("assets/lib/util.lua", "loads = ( loads or 0 ) + 1\nreturn 'util'\n");
  WriteBytes(sandbox.Path("assets/more.qvp"), BuildPackArchive({{"lib/packed.lua", "packed = true\nreturn 7\n"}}));
  TFile::ScanForResources();

  script.DoLuaString("d = dofile( 'assets/lib/packed.lua' )");
  EXPECT_EQ(Global("d"), "7");
  script.DoLuaString("f = loadfile( 'lib/util.lua' ); g, msg = loadfile( 'lib/none.lua' )");
  EXPECT_EQ(Global("g"), "");
  EXPECT_EQ(Global("msg"), "cannot read lib/none.lua");
  script.DoLuaString("LUA_PATH = 'lib/?.lua'; r1 = require( 'util' ); r2 = require( 'util' )", -1, 0);
  // DoLuaString sets LUA_PATH itself first; the string sets its own after that.
  EXPECT_EQ(Global("r1"), "util");
  EXPECT_EQ(Global("loads"), "1");

  CaptureStderr();
  script.DoLuaString("require( 'absent' )");
  EXPECT_NE(GetCapturedStderr().find("could not load package `absent'"), std::string::npos);
}

TEST_F(ScriptTest, Compat_DialogScriptsMayWaitInsideDofile)
{
  sandbox.WriteFile("assets/scripts/waits.lua", "before = true\ncoroutine.yield()\nafter = true\n");
  TFile::ScanForResources();
  script.DoLuaString("return function() dofile( 'assets/scripts/waits.lua' ); done = true end");
  EXPECT_TRUE(script.CoroutineActive());
  script.Animate();
  lua_getglobal(script.GetState(), "done");
  EXPECT_TRUE(lua_toboolean(script.GetState(), -1));
  lua_pop(script.GetState(), 1);
}

TEST_F(ScriptTest, ScriptCode_SharedWhileHeldAndFoundAlongThePath)
{
  sandbox.WriteFile("assets/fx/spark.lua", "return 1\n");
  TFile::ScanForResources();
  str error = "untouched";
  EXPECT_FALSE(TScriptCode::Get("", "", &error));
  EXPECT_EQ(error, "untouched");
  EXPECT_FALSE(registry.HasEntry(""));

  boost::shared_ptr<TScriptCode> first = TScriptCode::Get("spark.lua", "scripts/?;fx/?", &error);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->GetText(), "return 1\n");
  EXPECT_EQ(first->GetLength(), 9u);
  EXPECT_STREQ(first->GetTypeName(), "TScriptCode");
  EXPECT_TRUE(first->IsKindOf(TAsset::ClassId()));
  EXPECT_EQ(TScriptCode::Get("spark.lua", "fx/?", nullptr), first);

  TScriptCode* old = first.get();
  first.reset();
  EXPECT_FALSE(registry.HasEntry("spark.lua"));
  boost::shared_ptr<TScriptCode> again = TScriptCode::Get("spark.lua", "fx/?", nullptr);
  ASSERT_TRUE(again);
  (void)old;

  EXPECT_FALSE(TScriptCode::Get("absent.lua", "", &error));
  EXPECT_EQ(error, "cannot read absent.lua");
}

} // namespace
