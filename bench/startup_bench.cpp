// startup_bench: how long the application takes from start to its first presented frame
// (in process, and as a whole program timed from outside), from start to the title with its
// menu for a returning player (a detective signed in an earlier run), and the frame time of
// the idle title and menu; prints the title's time over the first frame's.
#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <sys/wait.h>

#include "benchreport.h"
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

// Runs the program on the home with an input script; the seconds from just before the exec
// until its log, read through a pipe by this process, shows a line containing `line`;
// negative when it never does.
static double ExecScriptUntilLogLine(const std::string& home, const std::string& steps, const char* line)
{
  const std::string script = home + "/input.txt";
  std::ofstream(script) << steps;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    return -1;
  }
  const auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    dup2(pipeEnds[1], 2);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    setenv("QV_INPUT_SCRIPT", script.c_str(), 1);
    setenv("QV_HOME", home.c_str(), 1);
    execl(QV_GAME_EXECUTABLE, QV_GAME_EXECUTABLE, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeEnds[1]);
  double seconds = -1;
  std::string pending;
  char buffer[4096];
  ssize_t got = 0;
  // Read to the end, so the program never blocks on a full pipe while it closes.
  while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)) {
    if (got < 0 || seconds >= 0) {
      continue;
    }
    pending.append(buffer, static_cast<size_t>(got));
    if (pending.find(line) != std::string::npos) {
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
  }
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return seconds;
}

// The user folder of a returning player: a first run signs a detective in and closes, so
// that later runs come to the title with its menu and no register. Empty when that fails.
static const std::string& ReturningPlayerHome()
{
  static std::string home;
  static bool tried = false;
  if (tried) {
    return home;
  }
  tried = true;
  char folder[] = "/tmp/qvbench-XXXXXX";
  if (!mkdtemp(folder)) {
    return home;
  }
  const std::string steps =
      "until game: main menu shown\nwait 300\ntext Bench\nkey return\nuntil detective created\nclose\n"
      "until game: asked: quit_title\nkey return\n";
  if (ExecScriptUntilLogLine(folder, steps, "detective created") >= 0) {
    home = folder;
    std::atexit([] { std::system(("rm -rf " + home).c_str()); });
  } else {
    std::system((std::string("rm -rf ") + folder).c_str());
  }
  return home;
}

static void ExecUntil(benchmark::State& state, const char* line)
{
  if (std::string(QV_GAME_EXECUTABLE).empty()) {
    state.SkipWithError("the program was not built");
    return;
  }
  const std::string& home = ReturningPlayerHome();
  if (home.empty()) {
    state.SkipWithError("no detective could be signed in");
    return;
  }
  // Captures the first frame presented once the main menu is shown, then closes.
  const std::string steps = "until game: main menu shown\ncapture " + home +
                            "/title.ppm\nclose\n"
                            "until game: asked: quit_title\nkey return\n";
  for (auto _ : state) {
    const double seconds = ExecScriptUntilLogLine(home, steps, line);
    if (seconds < 0) {
      state.SkipWithError("the program's log never showed the awaited line");
      break;
    }
    state.SetIterationTime(seconds);
  }
}

// The whole program timed from outside, for a returning player: exec to its first presented
// frame (the loading screen), and exec to the first presented frame of the title with the
// main menu, its scripts and pictures loaded (that frame is read back and written before the
// log line, a few milliseconds this time includes). One run a repetition, so that the two
// take turns.
static void ExecToFirstFrame(benchmark::State& state)
{
  ExecUntil(state, "First frame presented at ");
}
BENCHMARK(ExecToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

static void ExecToTitleFrame(benchmark::State& state)
{
  ExecUntil(state, "input: captured ");
}
BENCHMARK(ExecToTitleFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

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
  PrepareHeadlessRun();
  return RunBenchmarksWithRatios(argc, argv, [](TRatioReporter& report) {
    report.PrintRatio("ExecToTitleFrame/iterations:1/manual_time", "ExecToFirstFrame/iterations:1/manual_time",
                      "returning player: title with menu / first frame", 2.5);
  });
}
