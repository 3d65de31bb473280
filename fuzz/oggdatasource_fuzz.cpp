// oggdatasource_fuzz: feeds arbitrary bytes to the Ogg data source as a memory file, in both
// file and memory modes, then reads all of it, seeks back and builds the decoded copy.
#include "core/foundation/file.h"
#include "core/sound/oggdatasource.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// vorbisfile 1.3.7 loses a few bytes of its serial-number list when it refuses a stream
// inside ov_open_callbacks; nothing outside the library can free them.
extern "C" const char* __lsan_default_suppressions()
{
  return "leak:libvorbisfile.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
  std::vector<uint8_t> block(data, data + size);
  TFile::AddMemoryFile("fuzz.ogg", block.empty() ? nullptr : block.data(), static_cast<unsigned>(block.size()));
  if (block.empty())
    return 0;

  static std::vector<char> buffer(65536 + 8);
  for (bool fromFile : {true, false}) {
    boost::shared_ptr<TOggDataSource> source(new TOggDataSource);
    if (!source->InitFromFile("fuzz.ogg", fromFile))
      continue;
    if (source->GetChannels() < 1 || source->GetChannels() > 2)
      __builtin_trap();
    int64_t rawLength = source->GetRawLength();
    // Bounded: a decoded length far past what the input can hold is not read to the end.
    if (rawLength > 64ll * 1024 * 1024)
      continue;
    unsigned position = 0;
    while (unsigned got = source->Read(buffer.data(), position, 65536)) {
      if (got > 65536)
        __builtin_trap();
      position += got;
      if (position > rawLength)
        __builtin_trap();
    }
    source->Read(buffer.data(), 0, 7);
    source->Read(buffer.data(), 3, 5);
    TMemDataSource copy(source);
    if (copy.GetRawLength() > rawLength)
      __builtin_trap();
  }
  TFile::AddMemoryFile("fuzz.ogg", nullptr, 0);
  return 0;
}
