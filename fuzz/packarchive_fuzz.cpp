// packarchive_fuzz: feeds arbitrary bytes to the pack-archive loader as a memory file,
// then opens, reads, seeks and line-reads every member it registered.
#include "core/foundation/file.h"
#include "core/foundation/flatfile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
  // The archive is read through the file system, so it is registered as a memory block.
  std::vector<uint8_t> block(data, data + size);
  TFile::AddMemoryFile("fuzz.qvp", block.empty() ? nullptr : block.data(), static_cast<unsigned>(block.size()));
  if (block.empty())
    return 0;

  TResourceMap members;
  TFlatFile::ReadFlatFile(members, "fuzz.qvp");
  char buffer[512];
  for (TResourceMap::const_iterator entry = members.begin(); entry != members.end(); ++entry) {
    for (int mode = kFileRead; mode <= kFileReadText; ++mode) {
      TFlatFile member;
      if (!member.Open(entry->second, static_cast<eFileMode>(mode)))
        continue;
      unsigned long total = 0;
      while (unsigned long got = member.Read(buffer, sizeof buffer)) {
        total += got;
        if (total > member.Size())
          __builtin_trap(); // never more than the member holds
      }
      member.Seek(-1, kSeekEnd);
      member.Unget();
      member.Read(buffer, 3);
      member.Seek(-7, kSeekStart);
      member.Seek(1, kSeekCurrent);
    }
  }
  // Line reading over the same members through the qv_ functions.
  TFile::mResourceMap.insert(members.begin(), members.end());
  for (TResourceMap::const_iterator entry = members.begin(); entry != members.end(); ++entry) {
    TFile* file = qv_open(entry->first.c_str(), kFileReadText);
    int lines = 0;
    while (file && qv_gets(file, buffer, sizeof buffer) && ++lines < 100000) {
    }
    qv_close(file);
  }
  TFile::ShutDownFileSystem();
  return 0;
}
