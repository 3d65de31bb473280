// script_bench: the cost of the script host's hot paths: a bound native call from Lua,
// a style lookup through the default-style chain, and a message round trip to a waiting dialog.
#include <benchmark/benchmark.h>

#include "core/script/luabind.h"
#include "core/script/luatable.h"
#include "core/script/script.h"
#include "core/script/message.h"
#include "core/window/windowscript.h"
#include "core/window/windowstyle.h"

namespace {

int gSum = 0;
void Add(int a, str b)
{
  gSum += a + (int)b.length();
}

void BM_BoundCallFromLua(benchmark::State& state)
{
  TScript script;
  LuaBind(script.GetState(), "Add", &Add);
  script.DoLuaString("function loop( n ) for i = 1, n do Add( i, 'text' ) end end");
  for (auto _ : state) {
    lua_getglobal(script.GetState(), "loop");
    lua_pushinteger(script.GetState(), 1000);
    script.RunFunction(1, 0);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_BoundCallFromLua);

void BM_StyleLookupThroughParents(benchmark::State& state)
{
  TScript script;
  script.DoLuaString("local s = { font = 'serif' }; for i = 1, 4 do s = { parent = s } end; gCurrentDefaultStyle = s");
  script.DoLuaString("return { x = 10, y = 20 }", -1, 1);
  TLuaTable table(script.GetState());
  TWindowStyle style(&table);
  for (auto _ : state) {
    benchmark::DoNotOptimize(style.GetNumber("x", 0));
    benchmark::DoNotOptimize(style.GetString("font", ""));
  }
}
BENCHMARK(BM_StyleLookupThroughParents);

void BM_MessageToWaitingDialog(benchmark::State& state)
{
  TWindowScript script;
  script.DoLuaString("return function() while true do WaitForMessage() end end");
  for (auto _ : state)
    script.OnMessage(new TMessage(TMessage::kGeneric, "tick"), nullptr);
  lua_gc(script.GetState(), LUA_GCCOLLECT, 0);
}
BENCHMARK(BM_MessageToWaitingDialog);

} // namespace

BENCHMARK_MAIN();
