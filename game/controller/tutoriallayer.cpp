// tutoriallayer: tutorials shown from the tutorial scene and closed by a click; the help
// timer of the analytics runs while one shows.
#include "controller/tutoriallayer.h"

#include "core/app/gamestate.h"
#include "core/foundation/debug.h"
#include "scene/sceneobject.h"

namespace {

void HelpTimer(int on)
{
  if (TGameState* state = TGameState::GetInstance()) {
    state->SetState("HelpScreenTime", on);
  }
}

} // namespace

void TTutorialLayer::ShowTutorial(const str& name)
{
  LoadQueuedScenes();
  TSceneObject* tutorial = FindObject(name);
  if (!tutorial) {
    WriteDbg("ERROR: The tutorial scene has no tutorial %s", name.c_str());
    return;
  }
  if (!mShown.empty()) {
    Hide();
  }
  mShown = name;
  tutorial->setVisible(true);
  tutorial->setState(str(kShowState));
  Activate();
  HelpTimer(1);
}

void TTutorialLayer::Hide()
{
  if (TSceneObject* tutorial = FindObject(mShown)) {
    tutorial->setVisible(false);
  }
  mShown = str();
  Deactivate();
  HelpTimer(0);
}

bool TTutorialLayer::OnMouseDown(const TPoint& point)
{
  if (!IsActive()) {
    return false;
  }
  Hide();
  return true;
}
