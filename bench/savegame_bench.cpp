// savegame_bench: saving and loading a whole story game in progress (the museum's case searched
// with things found, the library's case opened) through the game's own path: the record built
// from every screen, the player's preferences and the atomically written copy; prints the load
// and save times with their spread.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "benchreport.h"
#include "gamebench.h"
#include "scene/binarybuffer.h"

namespace {

// Where the museum's room draws the things its story list asks for.
const TPoint kMuseumThings[] = {{692, 386}, {148, 273}, {537, 300}, {526, 472}};

// The program at round 1's map with two cases opened and things found in the museum; null
// (and the reason on stderr) when the game does not get there.
TPlatform* StartRoundInProgress()
{
  const char* failed = nullptr;
  TPlatform* platform = StartInStoryRoom("02_museum", &failed);
  if (!platform) {
    std::fprintf(stderr, "The game did not reach %s\n", failed);
    return nullptr;
  }
  TTheGame* game = TTheGame::Peek();
  {
    for (const TPoint& point : kMuseumThings) {
      Click(game, point);
      Settle(platform, 20);
    }
    if (game->GetScore("Object_Found") == 0) {
      failed = "things found in the museum";
    }
  }
  // Back to the map from the museum's room, then from the library's journal.
  for (const char* location : {"", "15_library"}) {
    if (!failed && *location && !OpenCase(platform, game, location)) {
      failed = "the library's journal";
    }
    if (!failed) {
      game->PostEvent(evBackToMap);
      if (!ReachState(platform, stMap)) {
        failed = "the map again";
      }
    }
  }
  if (failed) {
    std::fprintf(stderr, "The game did not reach %s\n", failed);
    EndRun(platform);
    return nullptr;
  }
  return platform;
}

// One round in progress serves every benchmark; it ends with the program.
TSteppingClock gClock;
TPlatform* gRound = nullptr;
bool gTried = false;

TTheGame* RoundInProgress(benchmark::State& state)
{
  if (!gTried) {
    gTried = true;
    TPlatform::SetTimeSource(&gClock);
    gRound = StartRoundInProgress();
  }
  if (!gRound) {
    state.SkipWithError("the game did not reach a round in progress");
    return nullptr;
  }
  return TTheGame::Peek();
}

} // namespace

// The whole save: the record of the round's screens, the preferences and the atomic copy.
static void SaveRoundInProgress(benchmark::State& state)
{
  TTheGame* game = RoundInProgress(state);
  if (!game) {
    return;
  }
  TBinaryBuffer record;
  game->BuildSaveRecord(&record);
  unsigned int size = 0;
  record.getData(&size);
  for (auto _ : state) {
    if (!game->SaveGame()) {
      state.SkipWithError("the game was not saved");
      break;
    }
  }
  state.counters["record_bytes"] = size;
}
BENCHMARK(SaveRoundInProgress)->Unit(benchmark::kMillisecond);

// The record alone, built in memory: what the save costs before anything reaches the disk.
static void BuildRecordOfRoundInProgress(benchmark::State& state)
{
  TTheGame* game = RoundInProgress(state);
  if (!game) {
    return;
  }
  for (auto _ : state) {
    TBinaryBuffer record;
    benchmark::DoNotOptimize(game->BuildSaveRecord(&record));
  }
}
BENCHMARK(BuildRecordOfRoundInProgress)->Unit(benchmark::kMicrosecond);

// The whole load: the preferences read, the record checked, the round started again and every
// screen given its saved state.
static void LoadRoundInProgress(benchmark::State& state)
{
  TTheGame* game = RoundInProgress(state);
  if (!game) {
    return;
  }
  if (!game->SaveGame()) {
    state.SkipWithError("the game was not saved");
    return;
  }
  const uint32_t found = game->GetScore("Object_Found");
  for (auto _ : state) {
    if (!game->LoadGame(kControllerStory) || game->GetScore("Object_Found") != found) {
      state.SkipWithError("the saved game did not load as saved");
      break;
    }
  }
}
BENCHMARK(LoadRoundInProgress)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
  PrepareHeadlessRun();
  const int result = RunBenchmarksWithRatios(argc, argv, [](TRatioReporter& report) {
    report.PrintTime("LoadRoundInProgress", "load a saved story round in progress", 0.010);
    report.PrintTime("SaveRoundInProgress", "save a story round in progress", 0.0);
  });
  if (gRound) {
    EndRun(gRound);
  }
  return result;
}
