// medals: one player's earned medals in order of earning, whether the hiscore service has
// accepted them, and the medal lines that score and medal submissions carry.
#pragma once

#include "core/foundation/str.h"

#include <vector>

struct TQvMedalEntry
{
  str name;
  str kind; // "game": once per game; "type": once per game mode
  str mode; // the game mode current when it was earned
  str gameData;
  bool submitted = false;
};

class TQvMedalsTable
{
public:
  std::vector<TQvMedalEntry> mEntries;

  int GetCount() const { return static_cast<int>(mEntries.size()); }
  int GetCountToSubmit() const;
  // True when a medal of that name and kind (and, for once-per-mode medals, mode) is held.
  bool Holds(const str& name, const str& kind, const str& mode, bool perMode) const;
  void MarkAsSubmitted();
  // One <medal .../> element per entry, values escaped, no separator; the mode goes along
  // only with withType for once-per-mode medals.
  str GenerateServerString(bool withType) const;
};
