// medals: one player's earned medals and their submission lines, and the medal operations of
// TQvHiscores on the current player; a newly earned medal is saved through the hiscore file.
#include "core/online/medals.h"

#include "core/foundation/xmlnode.h"
#include "core/online/hiscoresdata.h"

int TQvMedalsTable::GetCountToSubmit() const
{
  int count = 0;
  for (const TQvMedalEntry& entry : mEntries) {
    if (!entry.submitted) {
      ++count;
    }
  }
  return count;
}

bool TQvMedalsTable::Holds(const str& name, const str& kind, const str& mode, bool perMode) const
{
  for (const TQvMedalEntry& entry : mEntries) {
    if (entry.name == name && entry.kind == kind && (!perMode || entry.mode == mode)) {
      return true;
    }
  }
  return false;
}

void TQvMedalsTable::MarkAsSubmitted()
{
  for (TQvMedalEntry& entry : mEntries) {
    entry.submitted = true;
  }
}

str TQvMedalsTable::GenerateServerString(bool withType) const
{
  // Values are escaped: names and modes come from the hiscore file, which is not trusted,
  // and must not be able to add elements to a submission.
  str lines;
  for (const TQvMedalEntry& entry : mEntries) {
    lines += str("<medal name=\"");
    lines += xmlSafeString(entry.name.c_str());
    lines += str("\" per=\"");
    lines += xmlSafeString(entry.kind.c_str());
    lines += str("\"");
    if (withType && entry.kind == str("type")) {
      lines += str(" type=\"");
      lines += xmlSafeString(entry.mode.c_str());
      lines += str("\"");
    }
    lines += str("/>");
  }
  return lines;
}

void TQvHiscores::KeepMedal(char const* name, EMedalType type, str gameData)
{
  TQvMedalsTable* table = mData->MedalsOf(mData->player);
  if (!table) {
    table = new TQvMedalsTable;
    mData->medals[mData->player].reset(table);
  }
  str kind(type != kMedalPerGame ? "type" : "game");
  if (table->Holds(str(name), kind, mData->gameMode, type == kMedalPerType)) {
    return;
  }
  TQvMedalEntry entry;
  entry.name = str(name);
  entry.kind = kind;
  entry.mode = mData->gameMode;
  entry.gameData = gameData;
  entry.submitted = false;
  table->mEntries.push_back(entry);
  SavePreferences();
}

int TQvHiscores::GetNumMedalsEarned()
{
  TQvMedalsTable* table = mData->MedalsOf(mData->player);
  return table ? table->GetCount() : 0;
}

int TQvHiscores::GetNumMedalsToSubmit()
{
  TQvMedalsTable* table = mData->MedalsOf(mData->player);
  return table ? table->GetCountToSubmit() : 0;
}

bool TQvHiscores::GetEarnedMedalInfo(int index, str* name, EMedalType* type, str* mode, str* gameData)
{
  TQvMedalsTable* table = mData->MedalsOf(mData->player);
  if (!table || index < 0 || index >= table->GetCount()) {
    return false;
  }
  const TQvMedalEntry& entry = table->mEntries[static_cast<size_t>(index)];
  if (name) {
    *name = entry.name;
  }
  if (type) {
    *type = entry.kind == str("game") ? kMedalPerGame : kMedalPerType;
  }
  if (mode) {
    *mode = entry.mode;
  }
  if (gameData) {
    *gameData = entry.gameData;
  }
  return true;
}
