// startup_bench: what a returning player waits for at launch: the whole program timed from
// outside, exec to the first presented frame of the title with its menu, with the program's CPU
// over all its threads, against the Lua 2D engine's launch to its first frame (bench/love) in
// the same run; and in process, start to the first frame and to the title, and the idle title's
// frame time.
#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>
#include <unistd.h>
#include <sys/wait.h>

#include "benchreport.h"
#include "gamebench.h"

#ifndef QV_GAME_EXECUTABLE
#define QV_GAME_EXECUTABLE ""
#endif
#ifndef QV_LOVE_GAME
#define QV_LOVE_GAME ""
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

// What a launched program took until it showed the awaited line: seconds from just before its
// exec, and its CPU seconds over all its threads by then; negative when the line never came.
struct TLaunch
{
  double mSeconds = -1;
  double mCpuSeconds = -1;
};

// Starts the program (prepare runs in the child before the exec) with its standard input on a
// pipe and its `stream` (1 or 2) on another, read to the end so it never blocks on a full
// pipe. When a line containing `line` arrives, the times are taken (the CPU from the program's
// own CPU clock) and its input is closed, which a program waiting on it takes as its end.
static TLaunch LaunchUntilLine(const std::vector<std::string>& arguments, const std::function<void()>& prepare,
                               int stream, const char* line)
{
  TLaunch launch;
  int output[2];
  int input[2];
  if (pipe(output) != 0) {
    return launch;
  }
  if (pipe(input) != 0) {
    close(output[0]);
    close(output[1]);
    return launch;
  }
  std::vector<char*> argv;
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    dup2(output[1], stream);
    dup2(input[0], 0);
    close(output[0]);
    close(output[1]);
    close(input[0]);
    close(input[1]);
    prepare();
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(output[1]);
  close(input[0]);
  clockid_t cpuClock = 0;
  const bool hasCpuClock = child > 0 && clock_getcpuclockid(child, &cpuClock) == 0;
  std::string pending;
  char buffer[4096];
  ssize_t got = 0;
  while ((got = read(output[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)) {
    if (got < 0 || launch.mSeconds >= 0) {
      continue;
    }
    pending.append(buffer, static_cast<size_t>(got));
    if (pending.find(line) != std::string::npos) {
      launch.mSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      timespec cpu = {};
      if (hasCpuClock && clock_gettime(cpuClock, &cpu) == 0) {
        launch.mCpuSeconds = double(cpu.tv_sec) + double(cpu.tv_nsec) * 1e-9;
      }
      close(input[1]);
      input[1] = -1;
    }
  }
  close(output[0]);
  if (input[1] >= 0) {
    close(input[1]);
  }
  int status = 0;
  if (child > 0) {
    waitpid(child, &status, 0);
  }
  return launch;
}

// Runs the game on the home with an input script until its log shows a line containing `line`.
static TLaunch ExecScriptUntilLogLine(const std::string& home, const std::string& steps, const char* line)
{
  const std::string script = home + "/input.txt";
  std::ofstream(script) << steps;
  return LaunchUntilLine(
      {QV_GAME_EXECUTABLE},
      [&] {
        setenv("QV_INPUT_SCRIPT", script.c_str(), 1);
        setenv("QV_HOME", home.c_str(), 1);
      },
      2, line);
}

// One launch a repetition: its wall time, and the program's CPU as the counter "process_cpu".
static void ReportLaunch(benchmark::State& state, const TLaunch& launch)
{
  state.SetIterationTime(launch.mSeconds);
  state.counters["process_cpu"] = launch.mCpuSeconds;
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
  if (ExecScriptUntilLogLine(folder, steps, "detective created").mSeconds >= 0) {
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
    const TLaunch launch = ExecScriptUntilLogLine(home, steps, line);
    if (launch.mSeconds < 0) {
      state.SkipWithError("the program's log never showed the awaited line");
      break;
    }
    ReportLaunch(state, launch);
  }
}

// The whole program timed from outside, for a returning player: exec to the first presented
// frame of the title with the main menu, its scripts and pictures loaded (that frame is read
// back and written before the log line, a few milliseconds this time includes), and exec to
// the first frame it presents at all (the black fill made when the display opens). One run a
// repetition, so that the launches take turns.
static void ExecToTitleFrame(benchmark::State& state)
{
  ExecUntil(state, "input: captured ");
}
BENCHMARK(ExecToTitleFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

static void ExecToBlackFill(benchmark::State& state)
{
  ExecUntil(state, "First frame presented at ");
}
BENCHMARK(ExecToBlackFill)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// The Lua 2D engine Debian packages as "love", the same way: exec to its first frame (its
// window cleared, presented and finished), on the same video driver.
static void LoveToFirstFrame(benchmark::State& state)
{
  if (std::string(QV_LOVE_GAME).empty() || std::system("command -v love >/dev/null 2>&1") != 0) {
    state.SkipWithError("love is not installed (apt-get install love)");
    return;
  }
  for (auto _ : state) {
    const TLaunch launch = LaunchUntilLine(
        {"love", QV_LOVE_GAME, "--first-frame"}, [] {}, 1, "love: first frame presented");
    if (launch.mSeconds < 0) {
      state.SkipWithError("love never presented its first frame");
      break;
    }
    ReportLaunch(state, launch);
  }
}
BENCHMARK(LoveToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

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
    const std::string title = "ExecToTitleFrame/iterations:1/manual_time";
    const std::string love = "LoveToFirstFrame/iterations:1/manual_time";
    report.PrintTime(title, "launch to the title with its menu", 0.0);
    report.PrintTime(love, "love: launch to its first frame", 0.0);
    report.PrintTime("ExecToBlackFill/iterations:1/manual_time", "launch to the first (black) frame", 0.0);
    report.PrintRatio(title, love, "title with menu / love's first frame", 0.0);
  });
}
