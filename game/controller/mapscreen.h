// mapscreen: the town map: one object per location, the active locations the player can
// choose, the marker "dot_%d" the game's particles aim at, and the map's music.
#pragma once

#include <vector>

#include "screenbase/scenescreen.h"

class TMapScreen : public TSceneScreen
{
public:
  static constexpr char kMusic[] = "audio/music/ss_01.ogg";
  static constexpr char kActiveState[] = "active";
  static constexpr char kInactiveState[] = "inactive";
  // The look of a location whose case is solved, where the scene has one: it can still be
  // chosen (its journal opens), but it no longer draws the eye as a case to play.
  static constexpr char kSolvedState[] = "solved";

  // The location's object goes to its state "active" and the location can be chosen; the
  // game's particle target moves to the location's marker "dot_N" (N its place in the
  // order of activation, from 1).
  void ActivateLocation(str locationId);
  // Every location inactive again (a new round).
  void ResetLocations();
  bool IsLocationActive(const str& locationId) const;
  const std::vector<str>& GetActiveLocations() const { return mActive; }

  // Solved locations take their solved look.
  void Activate() override;
  // A click on an active location chooses it; other clicks go to the scene's objects.
  bool OnMouseDown(const TPoint& point) override;

protected:
  void PostLoadInit(TScene* scene, bool fromSave) override;

private:
  void ShowLocation(const str& locationId);
  // On the story's map: the location's case is solved.
  bool IsSolved(const str& locationId) const;
  void AimParticles(unsigned number);
  // Lua "BackToMainMenu" of the map's scene.
  void BackToMainMenu();

  std::vector<str> mActive;
};
