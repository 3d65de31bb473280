// overlayscreen: dialogs on the overlay's main scene, their fades and the word to the game
// controller when a modal one has closed; the scene closes a dialog through Lua "CloseDialog".
#include "controller/overlayscreen.h"

#include "core/foundation/services.h"
#include "core/script/luabind.h"
#include "controller/thegame.h"
#include "core/foundation/debug.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"

void TOverlayScreen::ShowDialog(const str& anim, bool modal)
{
  WriteDbg("Overlay show dialog: %s", anim.c_str());
  if (IDisplayControl* display = TServices::Get().display) {
    display->ShowCursor(true);
  }
  mDialog = anim;
  mModal = modal;
  mShown = true;
  mClosing = false;
  Activate();
  if (!StartDialogAnimation(anim + "_init")) {
    WriteDbg("ERROR: The overlay cannot show the dialog \"%s\"; it is closed at once", anim.c_str());
    StartFading(0, false);
    return;
  }
  StartFading(kFadeTime, true);
}

bool TOverlayScreen::StartDialogAnimation(const str& state)
{
  TSceneObject* animator = FindObject(kAnimator);
  if (!animator || animator->getStateNum(state) < 0) {
    return false;
  }
  animator->setState(state);
  return true;
}

void TOverlayScreen::CloseDialog()
{
  if (!mShown || mClosing) {
    return;
  }
  mClosing = true;
  StartFading(kFadeTime, false);
}

void TOverlayScreen::OnFadeCompleted(bool fadeIn)
{
  if (fadeIn) {
    return;
  }
  const bool modal = mModal;
  mShown = false;
  mModal = false;
  mClosing = false;
  Deactivate();
  if (modal) {
    Report(evDialogClosed);
  }
}

void TOverlayScreen::ReloadMainScene(const str& file)
{
  mMainSceneFile = file;
  ClearScenes();
  if (!file.empty()) {
    AddScene(file, true);
  }
}

void TOverlayScreen::PostLoadInit(TScene* scene, bool fromSave)
{
  LuaBind(scene->GetScript().GetState(), "CloseDialog", this, &TOverlayScreen::CloseDialog);
}

bool TOverlayScreen::OnMouseDown(const TPoint& point)
{
  return TSceneScreen::OnMouseDown(point) || IsModal();
}

bool TOverlayScreen::OnMouseUp(const TPoint& point)
{
  return TSceneScreen::OnMouseUp(point) || IsModal();
}

bool TOverlayScreen::OnMouseMove(const TPoint& point)
{
  return TSceneScreen::OnMouseMove(point) || IsModal();
}
