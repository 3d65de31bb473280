// str_bench: speed of the engine string's formatting and searching, the two operations the
// scene loader and the file system run most, with std::string as the yardstick.
#include "core/foundation/str.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

static void StrFormatShort(benchmark::State& state)
{
  int i = 0;
  for (auto _ : state) {
    str s = str::getFormatted("%s%d", "qvgamemedalname", ++i);
    benchmark::DoNotOptimize(s.c_str());
  }
}
BENCHMARK(StrFormatShort);

static void SnprintfToStdString(benchmark::State& state)
{
  int i = 0;
  for (auto _ : state) {
    char buffer[64];
    snprintf(buffer, sizeof buffer, "%s%d", "qvgamemedalname", ++i);
    std::string s(buffer);
    benchmark::DoNotOptimize(s.data());
  }
}
BENCHMARK(SnprintfToStdString);

static void StrFormatLong(benchmark::State& state)
{
  std::string payload((size_t)state.range(0), 'x');
  for (auto _ : state) {
    str s = str::getFormatted("<%s>", payload.c_str());
    benchmark::DoNotOptimize(s.c_str());
  }
  state.SetBytesProcessed((int64_t)state.iterations() * state.range(0));
}
BENCHMARK(StrFormatLong)->Arg(1000)->Arg(8000);

static void StrFindSubstring(benchmark::State& state)
{
  std::string text;
  for (int i = 0; i < state.range(0) / 16; ++i)
    text += "images/scene_bg/";
  text += "room_kitchen.png";
  str haystack(text.c_str());
  str needle("kitchen");
  for (auto _ : state)
    benchmark::DoNotOptimize(haystack.find(needle));
  state.SetBytesProcessed((int64_t)state.iterations() * haystack.length());
}
BENCHMARK(StrFindSubstring)->Arg(64)->Arg(4096);

static void StdStringFindSubstring(benchmark::State& state)
{
  std::string text;
  for (int i = 0; i < state.range(0) / 16; ++i)
    text += "images/scene_bg/";
  text += "room_kitchen.png";
  for (auto _ : state)
    benchmark::DoNotOptimize(text.find("kitchen"));
  state.SetBytesProcessed((int64_t)state.iterations() * text.size());
}
BENCHMARK(StdStringFindSubstring)->Arg(64)->Arg(4096);

static void StrFindIgnoringCase(benchmark::State& state)
{
  str haystack("Scripts/Dialogs/OptionsDialog.LUA");
  for (auto _ : state)
    benchmark::DoNotOptimize(haystack.find(".lua", str::kIgnoreCase));
}
BENCHMARK(StrFindIgnoringCase);

static void StrFindLastChar(benchmark::State& state)
{
  str path("user:saves/profile_1/test_gamesave.dat");
  for (auto _ : state)
    benchmark::DoNotOptimize(path.find('/', str::kBackward));
}
BENCHMARK(StrFindLastChar);

static void StrCopy(benchmark::State& state)
{
  str name("textures/journal/page_background.png");
  for (auto _ : state) {
    str copy(name);
    benchmark::DoNotOptimize(copy.c_str());
  }
}
BENCHMARK(StrCopy);

BENCHMARK_MAIN();
