// idleroom_bench: a story case's search room left alone (the museum, its dialog closed, nothing
// clicked) on the real clock and the program's own event loop: the share of a core the program
// takes over all its threads, frames drawn and game ticks a second, and wake-ups of all its
// threads a second and a frame. Run under a display server (xvfb-run) for the waits a player's
// machine has; without one the offscreen driver stands in.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <dirent.h>
#include <sys/resource.h>

#include "benchreport.h"
#include "controller/gamewindow.h"
#include "gamebench.h"

namespace {

// The stepping clock's time, going on at the real pace from where the stepping left it.
class TRealPaceClock : public TTimeSource
{
public:
  explicit TRealPaceClock(uint32_t from) : mFrom(from), mStart(std::chrono::steady_clock::now()) {}
  uint32_t Now() override
  {
    const auto elapsed = std::chrono::steady_clock::now() - mStart;
    return mFrom + uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
  }

private:
  uint32_t mFrom;
  std::chrono::steady_clock::time_point mStart;
};

// Context switches of every thread of the program: each is a wake-up or a preemption.
uint64_t ContextSwitches()
{
  uint64_t total = 0;
  DIR* tasks = opendir("/proc/self/task");
  if (!tasks) {
    return 0;
  }
  while (dirent* entry = readdir(tasks)) {
    if (entry->d_name[0] == '.') {
      continue;
    }
    std::ifstream status(std::string("/proc/self/task/") + entry->d_name + "/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
        total += std::strtoull(line.c_str() + line.find(':') + 1, nullptr, 10);
      }
    }
  }
  closedir(tasks);
  return total;
}

double ProcessCpuSeconds()
{
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

TSteppingClock gStepping;
TRealPaceClock* gRealPace = nullptr;
TPlatform* gRoom = nullptr;
bool gTried = false;

TPlatform* Room(benchmark::State& state)
{
  if (!gTried) {
    gTried = true;
    TPlatform::SetTimeSource(&gStepping);
    const char* failed = nullptr;
    gRoom = StartInStoryRoom("02_museum", &failed);
    if (!gRoom) {
      std::fprintf(stderr, "The game did not reach %s\n", failed);
    } else {
      gRealPace = new TRealPaceClock(gStepping.Now());
      TPlatform::SetTimeSource(gRealPace);
    }
  }
  if (!gRoom) {
    state.SkipWithError("the game did not reach the museum's room");
  }
  return gRoom;
}

// Turns of the program's event loop for that long, as its main loop takes them.
void RunFor(TPlatform* platform, double seconds)
{
  TGameLoop loop(platform);
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    TEvent event;
    platform->GetEvent(&event);
    loop.Dispatch(&event);
  }
}

void IdleSearchRoom(benchmark::State& state)
{
  TPlatform* platform = Room(state);
  TTheGame* game = TTheGame::Peek();
  TGameWindow* window = game ? game->GetGameWindow() : nullptr;
  if (!platform || !window) {
    return;
  }
  // The room settles on the real clock before it is measured.
  RunFor(platform, 0.5);
  TWindowManager* manager = platform->GetWindowManager();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu = ProcessCpuSeconds();
    const uint64_t switches = ContextSwitches();
    const uint64_t frames = manager->GetFramesDrawn();
    const uint64_t ticks = window->GetTicks();
    RunFor(platform, 2.0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double framesDrawn = double(manager->GetFramesDrawn() - frames);
    const double wakeups = double(ContextSwitches() - switches);
    state.SetIterationTime(seconds);
    state.counters["cpu_percent"] = 100 * (ProcessCpuSeconds() - cpu) / seconds;
    state.counters["frames_per_s"] = framesDrawn / seconds;
    state.counters["ticks_per_s"] = double(window->GetTicks() - ticks) / seconds;
    state.counters["wakeups_per_s"] = wakeups / seconds;
    state.counters["wakeups_per_frame"] = framesDrawn > 0 ? wakeups / framesDrawn : 0;
    state.counters["frames_per_tick"] =
        framesDrawn / double(window->GetTicks() - ticks > 0 ? window->GetTicks() - ticks : 1);
  }
}
BENCHMARK(IdleSearchRoom)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
  // A display server's waits rather than the offscreen driver's polling, when there is one.
  if (std::getenv("DISPLAY")) {
    setenv("SDL_VIDEODRIVER", "x11", 0);
  }
  PrepareHeadlessRun();
  const int result = RunBenchmarksWithRatios(argc, argv, [](TRatioReporter& report) {
    const std::string run = "IdleSearchRoom/iterations:1/manual_time";
    report.PrintCounter(run, "cpu_percent", "idle search room: CPU, % of a core", 0);
    report.PrintCounter(run, "frames_per_s", "idle search room: frames a second", 0);
    report.PrintCounter(run, "ticks_per_s", "idle search room: game ticks a second", 0);
    report.PrintCounter(run, "frames_per_tick", "idle search room: frames a tick", 1.0);
    report.PrintCounter(run, "wakeups_per_s", "idle search room: wake-ups a second", 0);
    report.PrintCounter(run, "wakeups_per_frame", "idle search room: wake-ups a frame", 0);
  });
  if (gRoom) {
    EndRun(gRoom);
  }
  return result;
}
