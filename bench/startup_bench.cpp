// startup_bench: how long the application takes from start to its first presented frame
// (in process, and as a whole program), from start to the title with its menu, and the frame
// time of the idle title and menu.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <sys/wait.h>

#include "gamebench.h"

#ifndef QV_GAME_EXECUTABLE
#define QV_GAME_EXECUTABLE ""
#endif

static void StartToFirstFrameInProcess(benchmark::State& state)
{
  TSteppingClock clock;
  TTimeSource* previous = TPlatform::SetTimeSource(&clock);
  for (auto _ : state) {
    TPlatform* platform = StartToFirstFrame();
    state.PauseTiming();
    EndRun(platform);
    state.ResumeTiming();
  }
  TPlatform::SetTimeSource(previous);
}
BENCHMARK(StartToFirstFrameInProcess)->Unit(benchmark::kMillisecond)->Iterations(5);

// From start through the loading screen to the title with the main menu over it. Game time
// runs on the stepping clock, so the loading takes as many frames as it has to load things.
static void StartToTitleInProcess(benchmark::State& state)
{
  TSteppingClock clock;
  TTimeSource* previous = TPlatform::SetTimeSource(&clock);
  for (auto _ : state) {
    TPlatform* platform = StartToFirstFrame();
    const bool reached = RunToTitle(platform);
    state.PauseTiming();
    EndRun(platform);
    state.ResumeTiming();
    if (!reached) {
      state.SkipWithError("the game did not reach its title");
      break;
    }
  }
  TPlatform::SetTimeSource(previous);
}
BENCHMARK(StartToTitleInProcess)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole program: exec, start-up and first frame, as the program logs it.
static void StartToFirstFrameProgram(benchmark::State& state)
{
  if (std::string(QV_GAME_EXECUTABLE).empty()) {
    state.SkipWithError("the program was not built");
    return;
  }
  char folder[] = "/tmp/qvbench-XXXXXX";
  if (!mkdtemp(folder)) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::string script = std::string(folder) + "/input.txt";
  const std::string log = std::string(folder) + "/log.txt";
  std::ofstream(script) << "close\n";
  for (auto _ : state) {
    pid_t child = fork();
    if (child == 0) {
      std::freopen(log.c_str(), "w", stderr);
      setenv("QV_INPUT_SCRIPT", script.c_str(), 1);
      setenv("QV_HOME", folder, 1);
      execl(QV_GAME_EXECUTABLE, QV_GAME_EXECUTABLE, static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::ifstream input(log);
    std::string line;
    double milliseconds = -1;
    while (std::getline(input, line)) {
      unsigned value = 0;
      if (std::sscanf(line.c_str(), "First frame presented at %u ms", &value) == 1) {
        milliseconds = value;
      }
    }
    if (milliseconds < 0) {
      state.SkipWithError("the program presented no frame");
      break;
    }
    state.SetIterationTime(milliseconds / 1000.0);
  }
  std::system((std::string("rm -rf ") + folder).c_str());
}
BENCHMARK(StartToFirstFrameProgram)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// One full frame of the idle title with the main menu: the window stack drawn and presented.
static void IdleDialogFrame(benchmark::State& state)
{
  TSteppingClock clock;
  TTimeSource* previous = TPlatform::SetTimeSource(&clock);
  TPlatform* platform = StartToFirstFrame();
  if (!RunToTitle(platform)) {
    state.SkipWithError("the game did not reach its title");
  }
  TWindowManager* manager = platform->GetWindowManager();
  TEvent idle;
  for (auto _ : state) {
    manager->InvalidateScreen();
    manager->HandleEvent(&idle);
  }
  EndRun(platform);
  TPlatform::SetTimeSource(previous);
}
BENCHMARK(IdleDialogFrame)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("ALSOFT_DRIVERS", "null", 0);
  // The program's first start would otherwise take the whole screen.
  setenv("QV_WINDOWED", "1", 0);
  if (!std::getenv("QV_HOME")) {
    static char home[] = "/tmp/qvbench-home-XXXXXX";
    if (mkdtemp(home)) setenv("QV_HOME", home, 1);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
