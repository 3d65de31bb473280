// freeplaymode: free play's model: its locations from "configs/freeplay_config.xml", which
// were played to the end, the search screens made for them, and the running score totals
// kept in step with the current player's preferences; and its saved record.
#pragma once

#include <cstdint>
#include <map>

#include "core/foundation/str.h"

class TBinaryBuffer;
class TSceneScreen;
class TStoryStage;

class TFreePlayMode
{
public:
  class TSearchInfo
  {
  public:
    str mSceneFile;
    str mSearchConfig;
  };

  static constexpr char kBonusKey[] = "extra_bonus_points";

  // The stage makes, shows and takes back the search screens; a model without one only
  // reads and keeps its totals.
  explicit TFreePlayMode(TStoryStage* stage = nullptr) : mStage(stage) {}

  void Init();
  void UnInit();
  // False (with an "ERROR: " line) for an id that is not one of the locations.
  bool PlaySearch(const str& id);
  void RecreateSearchScreen(const str& id);
  bool isCompleted() const;
  bool ModifyUsedLocation(const str& id, bool used);
  bool ModifyTotalScoreFreePlay(const str& category, uint32_t value);
  void SetBonusPoints(int points);
  void SyncSaveTotalScoreFreePlayToPrefs();
  bool Save(TBinaryBuffer* buffer);
  // False (with an "ERROR: " line) for a record that does not match the configuration.
  bool Load(TBinaryBuffer* buffer);
  // Gives every search screen back to the game controller (at the controller's end).
  void DeleteScreens();

  const std::map<str, TSearchInfo>& GetLocations() const { return mLocations; }
  const std::map<str, TSceneScreen*>& GetSearchScreens() const { return mSearchScreens; }
  TSceneScreen* GetSearchScreen(const str& id) const;
  const str& GetCurrentSearchConfig() const { return mCurrentSearchConfig; }
  const std::map<str, bool>& GetUsedLocations() const { return mUsedLocations; }
  const str& GetCurrentLocation() const { return mCurrentLocation; }
  const std::map<str, uint32_t>& GetTotals() const { return mTotals; }
  uint32_t GetTotal(const str& category) const;
  int GetBonusPoints() const { return mBonusPoints; }

private:
  std::map<str, TSearchInfo> mLocations;
  std::map<str, TSceneScreen*> mSearchScreens;
  str mCurrentSearchConfig;
  std::map<str, bool> mUsedLocations;
  str mCurrentLocation;
  std::map<str, uint32_t> mTotals;
  int32_t mBonusPoints = 0;
  TStoryStage* mStage;
};
