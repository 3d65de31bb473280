// windowrenderer: the few drawing calls that the window system makes for the frame and
// for each window; forwards to the renderer, and lets tests record what was drawn.
#include "core/windowrenderer.h"

TWindowRenderer* GetDefaultWindowRenderer()
{
  return nullptr;
}
