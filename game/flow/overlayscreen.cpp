// overlayscreen: dialogs on the overlay's main scene, their fades and the word to the game
// controller when a modal one has closed.
#include "flow/overlayscreen.h"

#include "core/app/platform.h"
#include "flow/thegame.h"
#include "platform/debug.h"

void TOverlayScreen::ShowDialog(const str& anim, bool modal)
{
  WriteDbg("Overlay show dialog: %s", anim.c_str());
  if (TPlatform* platform = TPlatform::GetInstance()) {
    platform->ShowCursor(true);
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
  return false;
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
    TTheGame::GetInstance()->PostEvent(evDialogClosed);
  }
}

void TOverlayScreen::ReloadMainScene(const str& file)
{
  mMainSceneFile = file;
}

bool TOverlayScreen::OnMouseDown(const TPoint& point)
{
  return IsModal();
}

bool TOverlayScreen::OnMouseUp(const TPoint& point)
{
  return IsModal();
}

bool TOverlayScreen::OnMouseMove(const TPoint& point)
{
  return IsModal();
}
