// e2ehiscores: the hiscores a run of the program kept, read from its user folder with an
// independent Blowfish (the tests that include this link nettle, cmake/hs.cmake).
#pragma once

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "e2e/e2eharness.h"
#include "app/vellumkitinit.h"
#include "support/blowfishoracle.h"

// The hiscore file of the user folder home, deciphered; "" when there is none.
inline std::string HiscoreText(const std::string& home)
{
  const std::string bytes = ReadText(home + "/user/hiscore.dat");
  if (bytes.size() < 16 || (bytes.size() - 8) % 8 != 0) {
    return "";
  }
  oracle::TBlowfishOracle cipher{std::string(ENCRYPTION_KEY)};
  std::vector<uint8_t> plain;
  if (!cipher.DecryptPadded(std::vector<uint8_t>(bytes.begin(), bytes.end() - 8), &plain)) {
    return "";
  }
  return std::string(plain.begin(), plain.end());
}

// Scores of the rows the hiscore file keeps under the name for game mode 0 (the story) or 1
// (free play).
inline std::vector<int> HiscoreScores(const std::string& home, int mode, const std::string& name)
{
  // The file's XML is laid out over lines: one space stands for any run of white space.
  const std::string text = std::regex_replace(HiscoreText(home), std::regex("\\s+"), " ");
  const size_t table = text.find(std::string("<score name=\"") + QVGAMEMODENAMES[mode] + "\"");
  std::vector<int> scores;
  if (table == std::string::npos) {
    return scores;
  }
  const std::string rows = text.substr(table, text.find("</score>", table) - table);
  const std::regex row("<row [^>]*score=\"([0-9]+)\"[^>]*name=\"" + name + "\"");
  for (auto it = std::sregex_iterator(rows.begin(), rows.end(), row); it != std::sregex_iterator(); ++it) {
    scores.push_back(std::stoi((*it)[1]));
  }
  return scores;
}
