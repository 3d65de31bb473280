// mapscreen: the town map: one object per location, the active locations the player can
// choose, and the marker "dot_%d" the game's particles aim at.
#pragma once

#include <set>

#include "flow/scenescreen.h"

class TMapScreen : public TSceneScreen
{
public:
  // The location's object goes to its state "active" and the location can be chosen.
  void ActivateLocation(str locationId);
  bool IsLocationActive(const str& locationId) const { return mActive.count(locationId) != 0; }
  const std::set<str>& GetActiveLocations() const { return mActive; }

private:
  std::set<str> mActive;
};
