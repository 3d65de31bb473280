// hiscorefile_fuzz: feeds arbitrary text to the readers of the deciphered hiscore file (logins,
// tables, medals), then records, queries and clears on what they built.
#include "core/online/hiscores.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
  std::vector<char> text(reinterpret_cast<char const*>(data), reinterpret_cast<char const*>(data) + size);
  text.push_back('\0');

  TQvHiscores hiscores(false); // never writes a file
  hiscores.ParseRememberedUserPreferences(text.data());
  hiscores.ParseSavedLocalScores(text.data());
  hiscores.ParseSavedMedals(text.data());

  // The readers take mode and player names from the text; try the likely ones.
  for (char const* mode : {"story", "free", ""}) {
    hiscores.SetProperty(TQvHiscores::kPropertyGameMode, str(mode));
    hiscores.SetProperty(TQvHiscores::kPropertyPlayer, str("alice"));
    hiscores.RecordScore(500, true, "data", "server");
    hiscores.KeepScore(-1, false, nullptr);
    char name[16];
    char gameData[16];
    int count = hiscores.GetScoreCount(true);
    for (int i = -1; i <= count; ++i) {
      hiscores.GetScore(true, i, nullptr, name, sizeof name, nullptr, nullptr, gameData, sizeof gameData);
    }
    hiscores.GetUserBestScore(TQvHiscores::kBestUnsubmittedScore, nullptr, nullptr, gameData, 4);
    hiscores.KeepMedal("m", TQvHiscores::kMedalPerType, str());
    hiscores.GetEarnedMedalInfo(0, nullptr, nullptr, nullptr, nullptr);
  }
  hiscores.ClearPlayerData(str("alice"));
  return 0;
}
