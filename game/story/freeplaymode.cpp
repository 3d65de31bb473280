// freeplaymode: free play's locations, used marks, search screens, totals and saved record,
// over the rules file, the game controller's screens and the current player's preferences.
#include "story/freeplaymode.h"

#include "core/foundation/prefsdb.h"
#include "core/foundation/xmlnode.h"
#include "shell/gamedefs.h"
#include "screenbase/savestring.h"
#include "screenbase/scenescreen.h"
#include "shell/settings.h"
#include "story/storystage.h"
#include "core/foundation/debug.h"
#include "scene/binarybuffer.h"

namespace {

const char kConfigFile[] = "configs/freeplay_config.xml";
const char kSearchScreenClass[] = "TSearchScreen";

TPrefsDB* Prefs()
{
  TSettings* settings = TSettings::GetInstance();
  return settings ? settings->mPrefs : nullptr;
}

int CurrentUser(TPrefsDB* prefs)
{
  return prefs->GetInt(TSettings::kCurrentUser, TSettings::kGlobalUser, TSettings::kGlobalUser);
}

} // namespace

void TFreePlayMode::Init()
{
  TXmlNode document;
  document.ParseFile(kConfigFile);
  TXmlNode* freePlay = document.GetChild("free_play");
  if (!freePlay) {
    WriteDbg("ERROR: %s has no \"free_play\"", kConfigFile);
  }
  mUsedLocations.clear();
  if (freePlay) {
    str tag;
    TXmlNode* location = nullptr;
    freePlay->ResetChildren();
    while (freePlay->GetNextChild(&tag, &location)) {
      const str id = location->GetAttribute("id");
      TSearchInfo info;
      info.mSceneFile = location->GetAttribute("freeplayscene");
      info.mSearchConfig = location->GetAttribute("freeplayconfig");
      mLocations.insert(std::make_pair(id, info));
      mUsedLocations.insert(std::make_pair(id, false));
    }
  }
  mTotals.clear();
  TPrefsDB* prefs = Prefs();
  const int user = prefs ? CurrentUser(prefs) : TSettings::kGlobalUser;
  for (const char* category : tableScore) {
    mTotals[category] = prefs ? uint32_t(prefs->GetInt(category, 0, user)) : 0;
  }
  mBonusPoints = prefs ? prefs->GetInt(kBonusKey, 0, user) : 0;
}

void TFreePlayMode::UnInit()
{
  DeleteScreens();
  if (mStage) {
    mStage->setStartScore();
  }
  TPrefsDB* prefs = Prefs();
  const int user = prefs ? CurrentUser(prefs) : TSettings::kGlobalUser;
  mTotals.clear();
  for (const char* category : tableScore) {
    if (prefs) {
      prefs->SetInt(category, 0, user, false);
    }
    mTotals[category] = 0;
  }
  mBonusPoints = 0;
  if (prefs) {
    // One write of the preferences file for all seven values.
    prefs->SetInt(kBonusKey, 0, user, false);
    prefs->SavePrefs();
  }
}

void TFreePlayMode::DeleteScreens()
{
  for (auto& entry : mSearchScreens) {
    if (mStage) {
      mStage->DeleteScreen(entry.second);
    }
  }
  mSearchScreens.clear();
}

bool TFreePlayMode::PlaySearch(const str& id)
{
  auto location = mLocations.find(id);
  if (location == mLocations.end()) {
    WriteDbg("ERROR: Free play has no location %s", id.c_str());
    return false;
  }
  mCurrentLocation = id;
  TStoryStage* game = mStage;
  if (!game) {
    return false;
  }
  auto existing = mSearchScreens.find(id);
  if (existing != mSearchScreens.end()) {
    game->SwitchToScreen(existing->second, TStoryStage::kScreenFade);
    return true;
  }
  TSceneScreen* screen = game->AddScreen(kSearchScreenClass);
  if (!screen) {
    return false;
  }
  screen->AddScene(location->second.mSceneFile, false);
  mCurrentSearchConfig = location->second.mSearchConfig;
  mSearchScreens[id] = screen;
  game->SwitchToScreen(screen, TStoryStage::kScreenFade);
  return true;
}

void TFreePlayMode::RecreateSearchScreen(const str& id)
{
  auto existing = mSearchScreens.find(id);
  if (existing != mSearchScreens.end()) {
    if (mStage) {
      mStage->DeleteScreen(existing->second);
    }
    mSearchScreens.erase(existing);
  }
}

TSceneScreen* TFreePlayMode::GetSearchScreen(const str& id) const
{
  auto existing = mSearchScreens.find(id);
  return existing == mSearchScreens.end() ? nullptr : existing->second;
}

bool TFreePlayMode::isCompleted() const
{
  for (const auto& entry : mUsedLocations) {
    if (!entry.second) {
      return false;
    }
  }
  return true;
}

bool TFreePlayMode::ModifyUsedLocation(const str& id, bool used)
{
  auto existing = mUsedLocations.find(id);
  if (existing != mUsedLocations.end()) {
    existing->second = used;
    return true;
  }
  mUsedLocations.insert(std::make_pair(id, used));
  return false;
}

bool TFreePlayMode::ModifyTotalScoreFreePlay(const str& category, uint32_t value)
{
  mTotals[category] = value;
  SyncSaveTotalScoreFreePlayToPrefs();
  return true;
}

uint32_t TFreePlayMode::GetTotal(const str& category) const
{
  auto found = mTotals.find(category);
  return found == mTotals.end() ? 0 : found->second;
}

void TFreePlayMode::SetBonusPoints(int points)
{
  mBonusPoints = points;
  if (TPrefsDB* prefs = Prefs()) {
    prefs->SetInt(kBonusKey, points, CurrentUser(prefs), true);
  }
}

void TFreePlayMode::SyncSaveTotalScoreFreePlayToPrefs()
{
  TPrefsDB* prefs = Prefs();
  if (!prefs) {
    return;
  }
  const int user = CurrentUser(prefs);
  for (const char* category : tableScore) {
    auto total = mTotals.find(category);
    if (total != mTotals.end()) {
      prefs->SetInt(category, int(total->second), user, false);
    }
  }
  prefs->SetInt(kBonusKey, mBonusPoints, user, false);
  prefs->SavePrefs();
}

bool TFreePlayMode::Save(TBinaryBuffer* buffer)
{
  for (const auto& entry : mUsedLocations) {
    SaveString(buffer, entry.first);
    const unsigned char used = entry.second ? 1 : 0;
    buffer->Write(&used, 1);
  }
  SaveString(buffer, mCurrentSearchConfig);
  buffer->WriteU32(uint32_t(mSearchScreens.size()));
  bool saved = true;
  for (const auto& entry : mSearchScreens) {
    SaveString(buffer, entry.first);
    saved = entry.second->Save(buffer) && saved;
  }
  SaveScores(buffer, mTotals);
  SaveString(buffer, str::getFormatted("%d", mBonusPoints));
  return saved && !buffer->Failed();
}

bool TFreePlayMode::Load(TBinaryBuffer* buffer)
{
  DeleteScreens();
  // The record has no count of its own: it holds one pair per location of the
  // configuration that wrote it, so it is read against that many, and every id must be
  // one of them.
  const size_t locations = mUsedLocations.size();
  for (size_t i = 0; i < locations; ++i) {
    str id;
    unsigned char used = 0;
    if (!LoadString(buffer, id) || buffer->Read(&used, 1) != 1) {
      return false;
    }
    if (used > 1 || mUsedLocations.find(id) == mUsedLocations.end()) {
      buffer->Fail("free-play location");
      return false;
    }
    ModifyUsedLocation(id, used == 1);
  }
  if (!LoadString(buffer, mCurrentSearchConfig)) {
    return false;
  }
  uint32_t count = 0;
  if (!buffer->ReadCount(&count, 8, "free-play screens")) {
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    str id;
    if (!LoadString(buffer, id)) {
      return false;
    }
    if (mLocations.find(id) == mLocations.end() || mSearchScreens.count(id)) {
      buffer->Fail("free-play screen location");
      return false;
    }
    TSceneScreen* screen = mStage ? mStage->AddScreen(kSearchScreenClass) : nullptr;
    if (!screen) {
      buffer->Fail("free-play screen class");
      return false;
    }
    mSearchScreens[id] = screen;
    screen->ExpectConfig(mLocations[id].mSearchConfig);
    if (!screen->LoadSaved(buffer)) {
      buffer->Fail("free-play screen");
      return false;
    }
  }
  std::map<str, uint32_t> totals;
  if (!LoadScores(buffer, &totals)) {
    return false;
  }
  for (const auto& total : totals) {
    ModifyTotalScoreFreePlay(total.first, total.second);
  }
  str bonus;
  if (!LoadString(buffer, bonus)) {
    return false;
  }
  mBonusPoints = bonus.to_int();
  return true;
}
