// benchreport: the console table of Google Benchmark followed by the ratios a bench is
// about (the engine's time over a peer's) with their spread over the repetitions, each
// beside both absolute times and its goal. A run that times another program reports that
// program's CPU seconds as its counter "process_cpu", which then stands for its CPU time.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

class TRatioReporter : public benchmark::ConsoleReporter
{
public:
  // The median, least and greatest of some values (0 for none).
  struct TSpread
  {
    double mMedian = 0;
    double mLeast = 0;
    double mGreatest = 0;
    size_t mCount = 0;
  };

  static TSpread SpreadOf(std::vector<double> values)
  {
    TSpread spread;
    if (values.empty()) {
      return spread;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    spread.mMedian = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    spread.mLeast = values.front();
    spread.mGreatest = values.back();
    spread.mCount = n;
    return spread;
  }

  void ReportRuns(const std::vector<Run>& runs) override
  {
    // Each repetition's seconds per iteration, in the order of the repetitions.
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type == Run::RT_Aggregate || run.iterations <= 0) {
        continue;
      }
      const std::string name = run.run_name.str();
      mWall[name].push_back(run.GetAdjustedRealTime() * Seconds(run.time_unit));
      mCpu[name].push_back(run.GetAdjustedCPUTime() * Seconds(run.time_unit));
      for (const auto& counter : run.counters) {
        mCounters[name + "/" + counter.first].push_back(counter.second.value);
        if (counter.first == "process_cpu") {
          mCpu[name].back() = counter.second.value;
        }
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // One line: engine time / peer time in wall and CPU time, as the median of the ratios of
  // repetitions taken in turn (the least and greatest in brackets), with the goal (0: none)
  // that the wall ratio, or the CPU ratio when cpuGoal is set, must meet.
  void PrintRatio(const std::string& engine, const std::string& peer, const char* what, double wallGoal,
                  double cpuGoal = 0.0)
  {
    const std::vector<double> wallRatios = Ratios(mWall, engine, peer);
    const std::vector<double> cpuRatios = Ratios(mCpu, engine, peer);
    if (wallRatios.empty()) {
      std::printf("%-44s not measured (%s or %s missing)\n", what, engine.c_str(), peer.c_str());
      return;
    }
    const TSpread wall = SpreadOf(wallRatios);
    const TSpread cpu = SpreadOf(cpuRatios);
    std::printf("%-44s wall %5.2fx [%5.2f-%5.2f] (%9.3f vs %9.3f ms)  cpu %5.2fx [%5.2f-%5.2f] (%9.3f vs %9.3f ms)",
                what, wall.mMedian, wall.mLeast, wall.mGreatest, Wall(engine) * 1e3, Wall(peer) * 1e3, cpu.mMedian,
                cpu.mLeast, cpu.mGreatest, Cpu(engine) * 1e3, Cpu(peer) * 1e3);
    if (wallGoal > 0) {
      std::printf("  goal wall <= %.2fx %s", wallGoal, wall.mMedian <= wallGoal ? "met" : "MISSED");
    }
    if (cpuGoal > 0) {
      std::printf("  goal cpu <= %.2fx %s", cpuGoal, cpu.mMedian <= cpuGoal ? "met" : "MISSED");
    }
    std::printf("  (%zu repetitions)\n", wall.mCount);
  }

  // One line: a run's wall time with its spread over the repetitions, against a goal in
  // seconds (0: none), and its CPU time the same way.
  void PrintTime(const std::string& name, const char* what, double goalSeconds)
  {
    auto found = mWall.find(name);
    if (found == mWall.end() || found->second.empty()) {
      std::printf("%-44s not measured (%s missing)\n", what, name.c_str());
      return;
    }
    const TSpread wall = SpreadOf(found->second);
    const TSpread cpu = SpreadOf(mCpu[name]);
    std::printf("%-44s wall %9.3f ms [%9.3f-%9.3f]  cpu %9.3f ms [%9.3f-%9.3f]", what, wall.mMedian * 1e3,
                wall.mLeast * 1e3, wall.mGreatest * 1e3, cpu.mMedian * 1e3, cpu.mLeast * 1e3, cpu.mGreatest * 1e3);
    if (goalSeconds > 0) {
      std::printf("  goal <= %.1f ms %s", goalSeconds * 1e3, wall.mMedian <= goalSeconds ? "met" : "MISSED");
    }
    std::printf("  (%zu repetitions)\n", wall.mCount);
  }

  // One line: a counter of a run with its spread over the repetitions, against a goal (0:
  // none) it must not exceed.
  void PrintCounter(const std::string& name, const std::string& counter, const char* what, double most)
  {
    auto found = mCounters.find(name + "/" + counter);
    if (found == mCounters.end() || found->second.empty()) {
      std::printf("%-44s not measured (%s missing)\n", what, name.c_str());
      return;
    }
    const TSpread value = SpreadOf(found->second);
    std::printf("%-44s %10.2f [%10.2f-%10.2f]", what, value.mMedian, value.mLeast, value.mGreatest);
    if (most > 0) {
      std::printf("  goal <= %.2f %s", most, value.mMedian <= most ? "met" : "MISSED");
    }
    std::printf("  (%zu repetitions)\n", value.mCount);
  }

  // Median seconds per iteration of a run over its repetitions, 0 when it did not run.
  double Wall(const std::string& name) const { return Median(mWall, name); }
  double Cpu(const std::string& name) const { return Median(mCpu, name); }

private:
  typedef std::map<std::string, std::vector<double>> TTimes;

  static double Seconds(benchmark::TimeUnit unit) { return 1.0 / benchmark::GetTimeUnitMultiplier(unit); }

  static double Median(const TTimes& times, const std::string& name)
  {
    auto found = times.find(name);
    return found == times.end() ? 0.0 : SpreadOf(found->second).mMedian;
  }

  static std::vector<double> Ratios(const TTimes& times, const std::string& engine, const std::string& peer)
  {
    std::vector<double> ratios;
    auto a = times.find(engine);
    auto b = times.find(peer);
    if (a == times.end() || b == times.end()) {
      return ratios;
    }
    for (size_t i = 0; i < a->second.size() && i < b->second.size(); ++i) {
      if (b->second[i] > 0) {
        ratios.push_back(a->second[i] / b->second[i]);
      }
    }
    return ratios;
  }

  TTimes mWall;
  TTimes mCpu;
  TTimes mCounters;
};

// The command line with the repetitions a comparison needs unless it names its own: five
// repetitions of every benchmark, taken in random turns so that a busy machine's changing
// load falls on the engine and its peer alike.
inline std::vector<char*> WithRepetitions(int argc, char** argv)
{
  static char repetitions[] = "--benchmark_repetitions=5";
  static char interleaving[] = "--benchmark_enable_random_interleaving=true";
  std::vector<char*> arguments(argv, argv + argc);
  bool ownRepetitions = false;
  bool ownInterleaving = false;
  for (int i = 1; i < argc; ++i) {
    ownRepetitions |= std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
    ownInterleaving |= std::strncmp(argv[i], "--benchmark_enable_random_interleaving", 38) == 0;
  }
  if (!ownRepetitions) {
    arguments.push_back(repetitions);
  }
  if (!ownInterleaving) {
    arguments.push_back(interleaving);
  }
  arguments.push_back(nullptr);
  return arguments;
}

// The main of a bench: runs the benchmarks the command line selects, each repeated (see
// WithRepetitions), then prints the ratios.
inline int RunBenchmarksWithRatios(int argc, char** argv, const std::function<void(TRatioReporter&)>& ratios)
{
  std::vector<char*> arguments = WithRepetitions(argc, argv);
  int count = static_cast<int>(arguments.size()) - 1;
  benchmark::Initialize(&count, arguments.data());
  if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) {
    return 1;
  }
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nratios (engine / peer), median [least-greatest] of the repetitions taken in turn:\n");
  ratios(reporter);
  benchmark::Shutdown();
  return 0;
}
