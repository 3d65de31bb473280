// stringtable_fuzz: merges arbitrary bytes (plain or "ZXML") as a string table, then looks
// up the labels it can find with plain, "%%" and label-reference arguments.
#include "core/foundation/stringtable.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
  char const* bytes = reinterpret_cast<char const*>(data);
  TStringTable table;
  table.SetQuiet(true);
  table.MergeStringBuffer(bytes, size, "fuzz");

  // Labels to look up: every first cell the public cell finder sees, and the flash labels.
  std::vector<char> text(bytes, bytes + size);
  text.push_back('\0');
  std::list<str> labels;
  char const* from = text.data();
  str cell;
  for (int i = 0; i < 64 && from; ++i) {
    from = GetRowString(nullptr, from, &cell);
    if (from)
      labels.push_back(cell);
  }
  table.GetFlashStrings(labels);

  str args[5] = {str("1"), str("%%"), str("%"), labels.empty() ? str("%x%") : str("%") + labels.front() + '%', str()};
  for (str const& label : labels) {
    table.GetString(label, 5, args);
    table.GetString(label, 2, args);
    table.GetString(label, args[0], args[1], args[2], args[3], args[4]);
  }
  return 0;
}
