// savegame_bench: saving and loading a whole story game in progress (the museum's case searched
// with things found, the library's case opened) through the game's own path: the record built
// from every screen, the player's preferences and the atomically written copy.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "controller/overlayscreen.h"
#include "shell/settings.h"
#include "gamebench.h"
#include "scene/binarybuffer.h"

namespace {

// Where the museum's room draws the things its story list asks for.
const TPoint kMuseumThings[] = {{692, 386}, {148, 273}, {537, 300}, {526, 472}};

void Settle(TPlatform* platform, int turns)
{
  int left = turns;
  RunUntil(platform, [&left](TTheGame*) { return --left <= 0; });
}

bool ReachState(TPlatform* platform, int state)
{
  const bool reached = RunUntil(platform, [state](TTheGame* game) { return Settled(game, state); });
  // The journal's fade and the room's intro take a few more frames.
  Settle(platform, 80);
  return reached;
}

// What the player's click on the overlay's dialog does.
void CloseDialog(TPlatform* platform, TTheGame* game)
{
  if (game->GetOverlayScreen() && game->GetOverlayScreen()->IsDialogShown()) {
    game->GetOverlayScreen()->CloseDialog();
  }
  Settle(platform, 40);
}

// The case at the location chosen on the map, its intro closed: true once its journal shows.
bool OpenCase(TPlatform* platform, TTheGame* game, const char* location)
{
  game->ChooseLocation(location);
  Settle(platform, 40);
  CloseDialog(platform, game);
  return ReachState(platform, stJournal);
}

void Click(TTheGame* game, const TPoint& point)
{
  game->OnMouseMove(point);
  game->OnMouseDown(point);
  game->OnMouseUp(point);
}

// The program at round 1's map with two cases opened and things found in the museum; null
// (and the reason on stderr) when the game does not get there.
TPlatform* StartRoundInProgress()
{
  // A first start makes the detective, so the next one comes to the title without the register.
  TPlatform* platform = StartToFirstFrame();
  if (TSettings::GetInstance()->GetNumUsers() == 0) {
    TSettings::GetInstance()->CreateNewUser("Bench");
    TSettings::GetInstance()->SetCurrentUser(0);
    EndRun(platform);
    platform = StartToFirstFrame();
  }
  TTheGame* game = nullptr;
  const char* failed = nullptr;
  if (!RunToTitle(platform) || !(game = TTheGame::Peek())) {
    failed = "the title";
  } else {
    game->DeleteSavedGame(kControllerStory);
    game->PostEvent(evStoryChosen);
    if (!ReachState(platform, stMap)) {
      failed = "the map";
    }
  }
  if (!failed && !OpenCase(platform, game, "02_museum")) {
    failed = "the museum's journal";
  }
  if (!failed) {
    game->PostEvent(evStartSearch);
    if (!ReachState(platform, stSearch)) {
      failed = "the museum";
    }
    CloseDialog(platform, game);
  }
  if (!failed) {
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
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (gRound) {
    EndRun(gRound);
  }
  return 0;
}
