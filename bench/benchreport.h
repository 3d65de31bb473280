// benchreport: the console table of Google Benchmark followed by the ratios a bench is
// about (the engine's time over a peer's), each beside both absolute times and its goal.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

class TRatioReporter : public benchmark::ConsoleReporter
{
public:
  void ReportRuns(const std::vector<Run>& runs) override
  {
    for (const Run& run : runs) {
      if (run.error_occurred) {
        continue;
      }
      // With repetitions the median stands for the run; without, the one run does.
      const std::string name = run.run_name.str();
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "median") {
          mWall[name] = run.GetAdjustedRealTime() * Seconds(run.time_unit);
          mCpu[name] = run.GetAdjustedCPUTime() * Seconds(run.time_unit);
          mMedian[name] = true;
        }
      } else if (run.iterations > 0 && !mMedian[name]) {
        mWall[name] = run.real_accumulated_time / run.iterations;
        mCpu[name] = run.cpu_accumulated_time / run.iterations;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // One line: engine time / peer time in wall and main-thread CPU time, with the goal
  // (0: none) that the wall ratio, or the CPU ratio when cpuGoal is set, must meet.
  void PrintRatio(const std::string& engine, const std::string& peer, const char* what,
                  double wallGoal, double cpuGoal = 0.0)
  {
    if (!mWall.count(engine) || !mWall.count(peer) || mWall[peer] <= 0 || mCpu[peer] <= 0) {
      std::printf("%-44s not measured (%s or %s missing)\n", what, engine.c_str(), peer.c_str());
      return;
    }
    const double wall = mWall[engine] / mWall[peer];
    const double cpu = mCpu[engine] / mCpu[peer];
    std::printf("%-44s wall %5.2fx (%9.3f vs %9.3f ms)  cpu %5.2fx (%9.3f vs %9.3f ms)", what, wall,
                mWall[engine] * 1e3, mWall[peer] * 1e3, cpu, mCpu[engine] * 1e3, mCpu[peer] * 1e3);
    if (wallGoal > 0) {
      std::printf("  goal wall <= %.2fx %s", wallGoal, wall <= wallGoal ? "met" : "MISSED");
    }
    if (cpuGoal > 0) {
      std::printf("  goal cpu <= %.2fx %s", cpuGoal, cpu <= cpuGoal ? "met" : "MISSED");
    }
    std::printf("\n");
  }

  // Seconds per iteration of a run, 0 when it did not run.
  double Wall(const std::string& name) const
  {
    auto found = mWall.find(name);
    return found == mWall.end() ? 0.0 : found->second;
  }

private:
  static double Seconds(benchmark::TimeUnit unit) { return 1.0 / benchmark::GetTimeUnitMultiplier(unit); }

  std::map<std::string, bool> mMedian;
  std::map<std::string, double> mWall;
  std::map<std::string, double> mCpu;
};

// The main of a bench: runs the benchmarks the command line selects, then prints the
// ratios. Interleave runs with --benchmark_repetitions on a busy machine.
inline int RunBenchmarksWithRatios(int argc, char** argv,
                                   const std::function<void(TRatioReporter&)>& ratios)
{
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nratios (engine / peer):\n");
  ratios(reporter);
  benchmark::Shutdown();
  return 0;
}
