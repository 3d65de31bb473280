// credits_fuzz: reads arbitrary bytes as the credits file of a credits window (lines, bars,
// brackets, blank lines, line ends), lays the blocks out and times the scroll; also reads
// the bytes as a list of numbers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/foundation/file.h"
#include "core/graphics/textgraphic.h"
#include "core/window/windowstyle.h"
#include "shell/credits.h"
#include "shell/shellglue.h"

namespace {

// The style a script would give: a 400 x 300 window over the fuzzed file.
class TCreditsStyle : public TWindowStyle
{
public:
  bool Has(const char* key) const override { return Number(key) >= 0 || std::strcmp(key, "file") == 0; }
  double GetNumber(const char* key, double defaultValue) const override
  {
    const double value = Number(key);
    return value >= 0 ? value : defaultValue;
  }
  str GetString(const char* key, const str& defaultValue) const override
  {
    return std::strcmp(key, "file") == 0 ? str("fuzz_credits.txt") : defaultValue;
  }

private:
  static double Number(const char* key)
  {
    if (std::strcmp(key, "w") == 0)
      return 400;
    if (std::strcmp(key, "h") == 0)
      return 300;
    if (std::strcmp(key, "speed") == 0)
      return 25;
    if (std::strcmp(key, "fontsize") == 0)
      return 18;
    return -1;
  }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
  static std::vector<char> file;
  file.assign(reinterpret_cast<char const*>(data), reinterpret_cast<char const*>(data) + size);
  TFile::AddMemoryFile("fuzz_credits.txt", file.empty() ? nullptr : file.data(), unsigned(file.size()));
  {
    TCredits credits;
    TCreditsStyle style;
    credits.Init(style);
    int top = 0;
    for (uint32_t now : {0u, 1000u, 60000u, 4000000u}) {
      credits.ScrollTop(now, &top);
    }
  }
  std::vector<float> numbers;
  ReadVector(numbers, str(file.data(), (unsigned long)file.size()));
  TFontData::ShutDown();
  return 0;
}
