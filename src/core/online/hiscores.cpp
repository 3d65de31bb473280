// hiscores: construction of the hiscore service, the local tables per game mode and their
// queries; reads the engine configuration, "hiscore.xml" and the "hiscoreserver.txt" override.
#include "core/online/hiscores.h"

#include "core/foundation/config.h"
#include "core/foundation/file.h"
#include "core/foundation/services.h"
#include "core/foundation/xmlnode.h"
#include "core/online/hiscoresdata.h"
#include "core/foundation/debug.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The service's endpoint; "hiscoreserver.txt" in the working directory may replace it.
static const char HISCORE_SERVER_URL[] = "http://hiscores.quorvant.invalid/go/hiscore";
static const char HISCORE_SETTINGS_FILE[] = "hiscore.xml";
static const char DEBUG_SERVER_FILE[] = "hiscoreserver.txt";

namespace {

TQvHiscores::TGuidSource gGuidSource = nullptr;

str NewGuid()
{
  if (gGuidSource)
    return gGuidSource();
  IMachineIdentity* identity = TServices::Get().identity;
  return identity ? identity->GenerateGUIDText() : str();
}

bool IsBlank(char c)
{
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The first line of the override file, without line end or surrounding blanks; empty when
// the file is missing or names anything but an http or https URL.
str ReadServerOverride()
{
  FILE* file = std::fopen(DEBUG_SERVER_FILE, "r");
  if (!file) {
    return str();
  }
  char line[512];
  bool read = std::fgets(line, sizeof line, file) != nullptr;
  std::fclose(file);
  if (!read) {
    return str();
  }
  size_t end = std::strlen(line);
  while (end > 0 && IsBlank(line[end - 1])) {
    --end;
  }
  size_t start = 0;
  while (start < end && IsBlank(line[start])) {
    ++start;
  }
  str url(line + start, end - start);
  if (url.find(str("http://"), 1) != 0 && url.find(str("https://"), 1) != 0) {
    WriteDbg("ERROR: HiScores: %s ignored, it does not name an http or https URL", DEBUG_SERVER_FILE);
    return str();
  }
  return url;
}

} // namespace

void QvRenumberRanks(std::vector<TQvHiscoreRow>& rows)
{
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i > 0 && rows[i].score == rows[i - 1].score) {
      rows[i].rank = rows[i - 1].rank;
    } else {
      rows[i].rank = static_cast<int>(i) + 1;
    }
  }
}

void QvCopyText(const str& text, char* buffer, unsigned int length)
{
  if (!buffer || length == 0) {
    return;
  }
  unsigned int count = text.length();
  if (count > length - 1) {
    count = length - 1;
  }
  std::memcpy(buffer, text.c_str(), count);
  buffer[count] = 0;
}

int QvReadInt(const str& text)
{
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str()) {
    return 0;
  }
  if (value > INT_MAX) {
    return INT_MAX;
  }
  if (value < INT_MIN) {
    return INT_MIN;
  }
  return static_cast<int>(value);
}

void TQvHiscores::SetGuidSource(TGuidSource source)
{
  gGuidSource = source;
}

TQvHiscores::TQvHiscores(bool saveEnabled)
{
  str key = TConfig::Get(str(TConfig::kEncryptionKey), str());
  if (key.length() == 0) {
    WriteDbg("ERROR: No encryption key set before TQvHiscores construction!");
  }
  mData = new TQvHiscoresData(key, saveEnabled);
  mData->accountRowIndex = -1;
  mData->endpointUrl = HISCORE_SERVER_URL;
  mData->gameHandle = TConfig::Get(str(TConfig::kQVGameHandle), str());
  if (mData->gameHandle.length() == 0) {
    mData->gameHandle = TConfig::Get(str(TConfig::kGameName), str());
  }
  mData->version = TConfig::Get(str(TConfig::kGameVersion), str());
  mData->language = "en";

  LoadPreferences();

  mData->languageFixed = false;
  mData->defaultError = str();
  TXmlNode settings;
  str settingsName = str("::") + str(HISCORE_SETTINGS_FILE);
  if (TFile::Exists(settingsName)) { // the file is optional: no complaint when it is missing
    settings.ParseFile(settingsName.c_str());
  }
  if (TXmlNode* root = settings.GetChild("hiscore")) {
    if (TXmlNode* language = root->GetChild("language")) {
      mData->language = language->GetContent();
      mData->languageFixed = true;
    }
    if (TXmlNode* error = root->GetChild("defaulterror")) {
      mData->defaultError = error->GetContent();
    }
  }

  str override = ReadServerOverride();
  if (override.length() > 0) {
    mData->endpointUrl = override;
  }
}

TQvHiscores::~TQvHiscores()
{
  delete mData;
}

void TQvHiscores::SetProperty(EProperty which, str value)
{
  switch (which) {
  case kPropertyLanguage:
    if (!mData->languageFixed) {
      mData->language = value;
    }
    break;
  case kPropertyPlayer:
    mData->player = value;
    mData->onlineUserName = str();
    break;
  case kPropertyGameMode:
    mData->gameMode = value;
    break;
  default:
    break;
  }
}

void TQvHiscores::KeepScore(int score, bool onePerPlayer, char const* gameData)
{
  RecordScore(score, onePerPlayer, gameData, nullptr);
}

void TQvHiscores::RecordScore(int score, bool onePerPlayer, char const* gameData, char const* serverData)
{
  TQvHiscoreTable* table = mData->LocalTable(mData->gameMode);
  TQvHiscoreRow row;
  row.rank = 1;
  row.score = score;
  row.name = mData->player;
  row.gameData = str(gameData);
  row.serverData = str(serverData);
  row.version = mData->version;
  row.anonymous = true;
  row.submitted = false;
  row.guid = NewGuid();

  if (!table) {
    std::unique_ptr<TQvHiscoreTable> created(new TQvHiscoreTable);
    created->name = mData->gameMode;
    created->rows.push_back(row);
    mData->localTables[mData->gameMode] = std::move(created);
    SavePreferences();
    return;
  }

  std::vector<TQvHiscoreRow> rows = table->rows;
  if (onePerPlayer) {
    for (size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].name == mData->player) {
        if (score <= rows[i].score) {
          SavePreferences();
          return;
        }
        row.guid = rows[i].guid;
        rows.erase(rows.begin() + static_cast<long>(i));
        break;
      }
    }
  }
  // A table read from an old or tampered file may hold more rows than allowed.
  if (rows.size() > static_cast<size_t>(kMaxRows)) {
    rows.resize(kMaxRows);
  }
  // Counted after the player's own row is gone, so every slot of the new array is filled.
  size_t newCount = rows.size() + 1;
  if (newCount > static_cast<size_t>(kMaxRows)) {
    newCount = kMaxRows;
  }
  size_t position = 0;
  while (position < rows.size() && rows[position].score >= score) {
    ++position;
  }
  if (position >= newCount) {
    return; // a full table without a lower score: dropped
  }
  rows.insert(rows.begin() + static_cast<long>(position), row);
  rows.resize(newCount);
  QvRenumberRanks(rows);
  table->rows.swap(rows);
  SavePreferences();
}

int TQvHiscores::GetScoreCount(bool local)
{
  if (!local) {
    return static_cast<int>(mData->globalList.rows.size());
  }
  TQvHiscoreTable* table = mData->LocalTable(mData->gameMode);
  return table ? static_cast<int>(table->rows.size()) : 0;
}

bool TQvHiscores::GetScore(bool local, int index, int* rank, char* name, unsigned int nameLength, bool* anonymous,
                           int* score, char* gameData, unsigned int gameDataLength)
{
  const std::vector<TQvHiscoreRow>* rows = nullptr;
  if (local) {
    TQvHiscoreTable* table = mData->LocalTable(mData->gameMode);
    rows = table ? &table->rows : nullptr;
  } else {
    rows = &mData->globalList.rows;
  }
  if (!rows || index < 0 || static_cast<size_t>(index) >= rows->size()) {
    return false;
  }
  const TQvHiscoreRow& row = (*rows)[static_cast<size_t>(index)];
  if (rank) {
    *rank = row.rank;
  }
  QvCopyText(row.name, name, nameLength);
  if (anonymous) {
    *anonymous = row.anonymous;
  }
  if (score) {
    *score = row.score;
  }
  QvCopyText(row.gameData, gameData, gameDataLength);
  return true;
}

bool TQvHiscores::GetUserScore(bool unsubmittedOnly, int* score, int* rank, char* gameData, unsigned int length)
{
  TQvHiscoreTable* table = mData->LocalTable(mData->gameMode);
  if (!table) {
    return false;
  }
  for (const TQvHiscoreRow& row : table->rows) {
    if (row.name == mData->player && !(unsubmittedOnly && row.submitted)) {
      if (score) {
        *score = row.score;
      }
      if (rank) {
        *rank = row.rank;
      }
      QvCopyText(row.gameData, gameData, length);
      return true;
    }
  }
  return false;
}

bool TQvHiscores::GetUserBestScore(EUserScore which, int* score, int* rank, char* gameData, unsigned int length)
{
  switch (which) {
  case kBestUnsubmittedScore:
    return GetUserScore(true, score, rank, gameData, length);
  case kBestLocalScore:
    return GetUserScore(false, score, rank, gameData, length);
  case kGlobalScore:
    return GetUserGlobalScore(score, rank, gameData, length);
  default:
    return false;
  }
}

bool TQvHiscores::GetUserGlobalScore(int* score, int* rank, char* gameData, unsigned int length)
{
  const std::vector<TQvHiscoreRow>& global = mData->globalList.rows;
  auto answer = [&](const TQvHiscoreRow& row) {
    if (score) {
      *score = row.score;
    }
    if (rank) {
      *rank = row.rank;
    }
    QvCopyText(row.gameData, gameData, length);
    return true;
  };
  if (mData->accountRowIndex >= 0 && static_cast<size_t>(mData->accountRowIndex) < global.size()) {
    return answer(global[static_cast<size_t>(mData->accountRowIndex)]);
  }
  str name = mData->player;
  auto remembered = mData->rememberedUsers.find(mData->player);
  if (remembered != mData->rememberedUsers.end()) {
    name = remembered->second->name;
  } else if (mData->onlineUserName.length() > 0) {
    name = mData->onlineUserName;
  }
  TQvHiscoreTable* table = mData->LocalTable(mData->gameMode);
  if (!table || global.empty()) {
    return false;
  }
  for (const TQvHiscoreRow& globalRow : global) {
    if (!(globalRow.name == name)) {
      continue;
    }
    for (const TQvHiscoreRow& localRow : table->rows) {
      if (localRow.score < globalRow.score) {
        break;
      }
      if (localRow.guid == globalRow.guid) {
        return answer(globalRow);
      }
    }
  }
  return false;
}

void TQvHiscores::ClearPlayerData(str player)
{
  for (auto& entry : mData->localTables) {
    std::vector<TQvHiscoreRow>& rows = entry.second->rows;
    std::vector<TQvHiscoreRow> kept;
    for (const TQvHiscoreRow& row : rows) {
      if (!(row.name == player)) {
        kept.push_back(row);
      }
    }
    QvRenumberRanks(kept);
    rows.swap(kept);
  }
  mData->medals.erase(player);
  // A new player of the same name must not inherit the login and its password.
  mData->rememberedUsers.erase(player);
  SavePreferences();
}
