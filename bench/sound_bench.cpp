// sound_bench: decoding a generated 60-second stereo Ogg file through TOggDataSource (virtual
// file system callbacks, reads in 64 KiB blocks as a voice refills) against a plain
// vorbisfile loop over the same file.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <vorbis/vorbisfile.h>

#include "buildpaths.h"
#include "core/sound/oggdatasource.h"

namespace {

const std::string kMusic = std::string(QV_SOUND_FIXTURE_DIR) + "/music60s.ogg";
const unsigned kBlock = 65536;

void BM_OggDataSourceDecode60s(benchmark::State& state)
{
  std::vector<char> block(kBlock);
  int64_t total = 0;
  for (auto _ : state) {
    TOggDataSource source;
    if (!source.InitFromFile(("::" + kMusic).c_str(), true)) {
      state.SkipWithError("music60s.ogg did not open");
      return;
    }
    unsigned position = 0;
    while (unsigned got = source.Read(block.data(), position, kBlock)) {
      position += got;
    }
    total += position;
    benchmark::DoNotOptimize(position);
  }
  state.SetBytesProcessed(total);
}
BENCHMARK(BM_OggDataSourceDecode60s)->Unit(benchmark::kMillisecond);

void BM_PlainVorbisfileDecode60s(benchmark::State& state)
{
  std::vector<char> block(kBlock);
  int64_t total = 0;
  for (auto _ : state) {
    OggVorbis_File file;
    if (ov_fopen(kMusic.c_str(), &file) != 0) {
      state.SkipWithError("music60s.ogg did not open");
      return;
    }
    int bitstream = 0;
    int64_t bytes = 0;
    for (;;) {
      long got = ov_read(&file, block.data(), static_cast<int>(kBlock), 0, 2, 1, &bitstream);
      if (got == OV_HOLE) {
        continue;
      }
      if (got <= 0) {
        break;
      }
      bytes += got;
    }
    ov_clear(&file);
    total += bytes;
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(total);
}
BENCHMARK(BM_PlainVorbisfileDecode60s)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
