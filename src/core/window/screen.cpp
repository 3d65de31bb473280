// screen: the bottom layer of the window stack and root of every window; fills the
// frame with its background colour when it is the top layer and shows the capture.
#include "core/window/screen.h"

#include "core/window/windowmanager.h"
#include "core/window/windowrenderer.h"

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
  TWindowManager* manager = TWindowManager::GetInstance();
  if (!manager) {
    return;
  }
  TWindowRenderer* renderer = manager->GetRenderer();
  if (!renderer) {
    return;
  }
  if (!mNoClear && (mClearAlways || manager->GetTopModalWindow() == this)) {
    TRect viewport;
    renderer->GetViewport(&viewport);
    // In viewport coordinates: the viewport is this window.
    TURect fill(0, 0, unsigned(viewport.right - viewport.left), unsigned(viewport.bottom - viewport.top));
    fill.Check();
    renderer->FillRect(fill, mBackgroundColor);
  }
  // Not while the capture itself is being drawn: it would be copied into itself.
  if (manager->GetCaptureTexture() && !manager->IsCapturing()) {
    renderer->CopyToFrame(manager->GetCaptureTexture());
  }
}
