// savegame_bench: saving and loading a whole story game in progress (the museum's case searched
// with things found, the library's case opened) through the game's own path: the record built
// from every screen, the player's preferences and the atomically written copy; and the road of
// a player who continues that story from the title of a fresh start, to the map's first frame;
// prints those times with their spread.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "benchreport.h"
#include "gamebench.h"
#include "controller/mapscreen.h"
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

// The program of the run, at a story round in progress once gTried; it ends with the program
// or when a benchmark starts the program again.
TSteppingClock gClock;
TPlatform* gRound = nullptr;
bool gTried = false;
// The museum's finds in the saved round.
uint32_t gFound = 0;

TTheGame* RoundInProgress(benchmark::State& state)
{
  if (!gTried) {
    gTried = true;
    TPlatform::SetTimeSource(&gClock);
    gRound = StartRoundInProgress();
    // The record that continuing from the title loads.
    if (gRound && !TTheGame::Peek()->SaveGame()) {
      std::fprintf(stderr, "The round in progress was not saved\n");
      EndRun(gRound);
      gRound = nullptr;
    }
    gFound = gRound ? TTheGame::Peek()->GetScore("Object_Found") : 0;
  }
  if (!gRound) {
    state.SkipWithError("the game did not reach a round in progress");
    return nullptr;
  }
  return TTheGame::Peek();
}

// One turn of the event loop that draws and presents a frame.
void PresentFrame(TPlatform* platform)
{
  TEvent idle;
  platform->GetWindowManager()->InvalidateScreen();
  platform->GetWindowManager()->HandleEvent(&idle);
}

// The timed road, in a function of its own so that a profiler can collect it alone
// (valgrind --tool=callgrind --toggle-collect='*ContinueRoad*').
__attribute__((noinline)) void ContinueRoad(TTheGame* game, TPlatform* platform)
{
  game->PostEvent(evStoryChosen);
  PresentFrame(platform);
}

} // namespace

// The player's road: the program started afresh to its title with the menu (untimed), so that
// nothing of the round is loaded; then, timed, the story chosen, the saved round loaded (its
// searched room made again with its pictures and scene) and the map's first frame presented.
// The program stays at that map for the other benchmarks.
static void ContinueStoryFromTitle(benchmark::State& state)
{
  if (!RoundInProgress(state)) {
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    EndRun(gRound);
    gRound = StartToFirstFrame();
    TTheGame* game = RunToTitle(gRound) ? TTheGame::Peek() : nullptr;
    if (!game || !game->HasSavedGame(kControllerStory)) {
      state.SkipWithError("the game did not reach its title with the saved round");
      EndRun(gRound);
      gRound = nullptr;
      break;
    }
    state.ResumeTiming();
    ContinueRoad(game, gRound);
    state.PauseTiming();
    const bool resumed = game->GetState() == stMap && game->GetCurrentScreen() == game->GetMapScreen() &&
                         game->GetScore("Object_Found") == gFound;
    state.ResumeTiming();
    if (!resumed) {
      state.SkipWithError("the saved round did not resume at the map");
      EndRun(gRound);
      gRound = nullptr;
      break;
    }
  }
}
BENCHMARK(ContinueStoryFromTitle)->Unit(benchmark::kMillisecond)->Iterations(5)->MeasureProcessCPUTime();

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
    // A point more each time, so that every save writes: a record already kept is not written.
    game->AddScore("Puzzles", 1);
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
  for (auto _ : state) {
    if (!game->LoadGame(kControllerStory) || game->GetScore("Object_Found") != gFound) {
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
    report.PrintTime("ContinueStoryFromTitle/iterations:5/process_time", "continue a story from the title to the map",
                     0.015);
    report.PrintTime("LoadRoundInProgress", "load a saved story round in progress", 0.010);
    report.PrintTime("SaveRoundInProgress", "save a story round in progress", 0.0);
  });
  if (gRound) {
    EndRun(gRound);
  }
  return result;
}
