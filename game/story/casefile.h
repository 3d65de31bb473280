// casefile: a case's journal page: its texts and picture, the six suspects, and what the
// player has found out so far (confirmed theories, suspects found); read from "case_file".
#pragma once

#include <cstdint>
#include <vector>

#include "core/foundation/str.h"

class TXmlNode;

class TCaseFile
{
public:
  // The journal shows six suspects; further entries in a file are left out.
  static const unsigned kMaxSuspects = 6;

  // Reads the "case_file" element; null (a case without one) reads as empty.
  void LoadFromXml(TXmlNode* caseFileElement);

  str mTitle;
  str mDescription;
  str mSolvedText;
  str mPictureFrame;
  // One entry per suspect, in file order.
  std::vector<str> mSuspectFrames;
  std::vector<str> mClueIcons;
  std::vector<str> mWrongAnims;
  std::vector<str> mGoodAnims;
  std::vector<str> mInnocentAnims;
  std::vector<str> mNames;
  // "N. text" of each confirmed theory, and its icon.
  std::vector<str> mCheckedTheoryTexts;
  std::vector<str> mCheckedTheoryIcons;
  // 0-based suspect indices in the order found.
  std::vector<uint32_t> mFoundSuspects;
  // 1-based; -1 until read, 0 when the file names none.
  int32_t mGuilty = -1;
};
