// hiscorefixture: the common set-up of the hiscore tests: a sandboxed resources folder as the
// working directory, the game's configuration, and GUIDs numbered in order of creation.
#pragma once

#include "platform/platform.h"
#include "core/online/hiscores.h"
#include "support/vfssandbox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace hiscoretest {

const char kKey[] = "Qu1llmoorKey";
const char kGame[] = "quillmoor-sleuth-bureau";
const char kVersion[] = "1.2";

inline int& GuidCounter()
{
  static int counter = 0;
  return counter;
}

inline str NumberedGuid()
{
  return str::getFormatted("%032d", ++GuidCounter());
}

inline std::string Guid(int number)
{
  char text[40];
  std::snprintf(text, sizeof text, "%032d", number);
  return text;
}

class HiscoreTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    TPlatform::SetConfig(str("encryptionkey"), str(kKey));
    TPlatform::SetConfig(str("qvgamehandle"), str(kGame));
    TPlatform::SetConfig(str("version"), str(kVersion));
    GuidCounter() = 0;
    TQvHiscores::SetGuidSource(&NumberedGuid);
  }
  void TearDown() override { TQvHiscores::SetGuidSource(nullptr); }

  std::unique_ptr<TQvHiscores> Make(const char* player = "alice", const char* mode = "story", bool save = true)
  {
    std::unique_ptr<TQvHiscores> hiscores(new TQvHiscores(save));
    hiscores->SetProperty(TQvHiscores::kPropertyPlayer, str(player));
    hiscores->SetProperty(TQvHiscores::kPropertyGameMode, str(mode));
    return hiscores;
  }

  // One row of the current local table, as "rank:score:name".
  static std::string Row(TQvHiscores& hiscores, int index, bool local = true)
  {
    int rank = 0;
    int score = 0;
    char name[64] = "";
    if (!hiscores.GetScore(local, index, &rank, name, sizeof name, nullptr, &score, nullptr, 0)) {
      return "none";
    }
    return std::to_string(rank) + ":" + std::to_string(score) + ":" + name;
  }

  static std::string Rows(TQvHiscores& hiscores, bool local = true)
  {
    std::string text;
    for (int i = 0; i < hiscores.GetScoreCount(local); ++i) {
      text += (i ? " " : "") + Row(hiscores, i, local);
    }
    return text;
  }

  TVfsSandbox mSandbox;
};

} // namespace hiscoretest
