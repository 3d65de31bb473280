// packarchive_bench: reading resources from a pack archive against reading the same
// bytes from loose files, through the virtual file system and straight from stdio.
#include "core/foundation/file.h"
#include "core/foundation/flatfile.h"

#include "../tests/support/packwriter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

const int kMembers = 64;

// One resources folder with every member both loose (under loose/) and in an archive.
struct TFixture
{
  TFixture()
  {
    char pattern[] = "/tmp/qvbench-XXXXXX";
    root = mkdtemp(pattern) ? pattern : "/tmp";
    fs::create_directories(root + "/assets/loose");
    std::vector<TPackMember> members;
    for (int i = 0; i < kMembers; ++i) {
      std::string name = "packed/file" + std::to_string(i) + ".bin";
      std::string data(static_cast<size_t>(4096 + 97 * i), static_cast<char>('a' + i % 26));
      for (size_t line = 80; line < data.size(); line += 81)
        data[line] = '\n';
      members.push_back({name, data});
      WriteBytes(root + "/assets/loose/file" + std::to_string(i) + ".bin", data);
    }
    WriteBytes(root + "/assets/data.qvp", BuildPackArchive(members));
    if (chdir(root.c_str()) != 0)
      std::abort();
    TFile::ScanForResources();
  }
  ~TFixture()
  {
    TFile::ShutDownFileSystem();
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  std::string root;
};

TFixture& Fixture()
{
  static TFixture fixture;
  return fixture;
}

unsigned long ReadWhole(std::string const& name, eFileMode mode)
{
  TFile file;
  if (!file.Open(name.c_str(), mode))
    std::abort();
  static char buffer[65536];
  unsigned long total = 0;
  while (unsigned long got = file.Read(buffer, sizeof buffer))
    total += got;
  return total;
}

void BM_ReadPackedMember(benchmark::State& state)
{
  Fixture();
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        ReadWhole("packed/file" + std::to_string(i++ % kMembers) + ".bin", static_cast<eFileMode>(state.range(0))));
  }
}
BENCHMARK(BM_ReadPackedMember)->Arg(kFileRead)->Arg(kFileReadText);

void BM_ReadLooseFile(benchmark::State& state)
{
  Fixture();
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        ReadWhole("loose/file" + std::to_string(i++ % kMembers) + ".bin", static_cast<eFileMode>(state.range(0))));
  }
}
BENCHMARK(BM_ReadLooseFile)->Arg(kFileRead)->Arg(kFileReadText);

void BM_ReadLooseFileWithStdio(benchmark::State& state)
{
  Fixture();
  int i = 0;
  static char buffer[65536];
  for (auto _ : state) {
    std::string path = "assets/loose/file" + std::to_string(i++ % kMembers) + ".bin";
    FILE* file = std::fopen(path.c_str(), "rb");
    size_t total = 0;
    while (size_t got = std::fread(buffer, 1, sizeof buffer, file))
      total += got;
    std::fclose(file);
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_ReadLooseFileWithStdio);

// Line reading is how scripts and text tables are consumed.
void BM_GetsPackedMember(benchmark::State& state)
{
  Fixture();
  char line[256];
  for (auto _ : state) {
    TFile* file = qv_open("packed/file7.bin", kFileReadText);
    int lines = 0;
    while (qv_gets(file, line, sizeof line))
      ++lines;
    qv_close(file);
    benchmark::DoNotOptimize(lines);
  }
}
BENCHMARK(BM_GetsPackedMember);

void BM_GetsLooseFile(benchmark::State& state)
{
  Fixture();
  char line[256];
  for (auto _ : state) {
    TFile* file = qv_open("loose/file7.bin", kFileReadText);
    int lines = 0;
    while (qv_gets(file, line, sizeof line))
      ++lines;
    qv_close(file);
    benchmark::DoNotOptimize(lines);
  }
}
BENCHMARK(BM_GetsLooseFile);

// Loading the archive's table into the resource map.
void BM_ReadArchiveTable(benchmark::State& state)
{
  Fixture();
  for (auto _ : state) {
    TResourceMap map;
    TFlatFile::ReadFlatFile(map, "::assets/data.qvp");
    benchmark::DoNotOptimize(map.size());
  }
}
BENCHMARK(BM_ReadArchiveTable);

} // namespace

BENCHMARK_MAIN();
