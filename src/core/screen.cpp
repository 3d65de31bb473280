// screen: the bottom layer of the window stack and root of every window; fills the
// frame with its background colour when it is the top layer.
#include "core/screen.h"

#include "core/windowmanager.h"
#include "core/windowrenderer.h"

TScreen::TScreen()
{
  mFlags |= kCaptureDraw;
  SetFlags(GetFlags() | kOpaque);
  SetName("_screen_");
}

intptr_t TScreen::ClassId()
{
  return reinterpret_cast<intptr_t>(&TScreen::ClassId);
}

void TScreen::Draw()
{
  if (mNoClear) {
    return;
  }
  TWindowManager* manager = TWindowManager::GetInstance();
  if (!manager) {
    return;
  }
  if (mClearAlways || manager->GetTopModalWindow() == this) {
    if (TWindowRenderer* renderer = manager->GetRenderer()) {
      TRect viewport;
      renderer->GetViewport(&viewport);
      // In viewport coordinates: the viewport is this window.
      TURect fill(0, 0, unsigned(viewport.right - viewport.left), unsigned(viewport.bottom - viewport.top));
      fill.Check();
      renderer->FillRect(fill, mBackgroundColor);
    }
  }
}
