// mapscreen: the map's locations, the choice of one of them, the particle target on the
// location's marker and the map's music and Lua functions.
#include "controller/mapscreen.h"

#include <algorithm>
#include <cmath>

#include "core/script/luabind.h"
#include "story/case.h"
#include "screenbase/configuredscreen.h"
#include "story/gameround.h"
#include "media/musicmanager.h"
#include "controller/thegame.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"

bool TMapScreen::IsLocationActive(const str& locationId) const
{
  return std::find(mActive.begin(), mActive.end(), locationId) != mActive.end();
}

void TMapScreen::ActivateLocation(str locationId)
{
  if (!IsLocationActive(locationId)) {
    mActive.push_back(locationId);
  }
  ShowLocation(locationId);
  const auto place = std::find(mActive.begin(), mActive.end(), locationId);
  AimParticles(unsigned(place - mActive.begin()) + 1);
}

void TMapScreen::ResetLocations()
{
  for (const str& location : mActive) {
    if (TSceneObject* object = FindObject(location)) {
      object->setState(str(kInactiveState));
    }
  }
  mActive.clear();
}

void TMapScreen::ShowLocation(const str& locationId)
{
  if (TSceneObject* object = FindObject(locationId)) {
    const bool solved = IsSolved(locationId) && object->getState(str(kSolvedState));
    object->setState(str(solved ? kSolvedState : kActiveState));
  }
}

bool TMapScreen::IsSolved(const str& locationId) const
{
  TTheGame* game = ControllerOf(this);
  if (!game || game->GetMapScreen() != this) {
    return false;
  }
  TGameRound* round = game->GetCurrentRound();
  TCase* found = round ? round->getCase(locationId) : nullptr;
  return found && found->IsSolved();
}

void TMapScreen::AimParticles(unsigned number)
{
  TSceneObject* dot = FindObject(str::getFormatted("dot_%u", number));
  if (!dot) {
    return;
  }
  const TVec2 position = dot->getAbsolutePosition();
  TTheGame* game = ControllerOf(this);
  if (!game) {
    return;
  }
  int32_t* target = game->GetParticleTarget();
  target[0] = int32_t(std::floor(position.x));
  target[1] = int32_t(std::floor(position.y));
}

void TMapScreen::PostLoadInit(TScene* scene, bool fromSave)
{
  LuaBind(scene->GetScript().GetState(), "BackToMainMenu", this, &TMapScreen::BackToMainMenu);
  for (const str& location : mActive) {
    ShowLocation(location);
  }
  if (!mActive.empty()) {
    AimParticles(unsigned(mActive.size()));
  }
}

void TMapScreen::BackToMainMenu()
{
  Report(evBackToMainMenu);
}

void TMapScreen::Activate()
{
  TSceneScreen::Activate();
  for (const str& location : mActive) {
    ShowLocation(location);
  }
  if (TGameControl* game = GetControl()) {
    game->GetMusic()->PlayMusic(kMusic, true, true, "");
  }
}

bool TMapScreen::OnMouseDown(const TPoint& point)
{
  // The location may be a part of a larger picture: its nearest named ancestor counts.
  if (TSceneObject* location = FindNamedAncestor(HitTest(point), mActive)) {
    if (TTheGame* game = ControllerOf(this)) {
      game->ChooseLocation(location->GetId());
    }
    return true;
  }
  return TSceneScreen::OnMouseDown(point);
}
