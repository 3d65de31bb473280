// windowrenderer: the few drawing calls that the window system makes for the frame and
// for each window; forwards to the renderer, and lets tests record what was drawn.
#pragma once

#include <boost/shared_ptr.hpp>

#include "core/foundation/color.h"
#include "core/foundation/rect.h"

class TTexture;

class TWindowRenderer
{
public:
  virtual ~TWindowRenderer() {}

  virtual bool BeginDraw(bool copyFront) = 0;
  virtual void EndDraw(bool swap) = 0;
  virtual void PushViewport(const TRect& viewport) = 0;
  virtual void PopViewport() = 0;
  virtual void GetViewport(TRect* viewport) = 0;
  virtual void PushClippingRectangle(const TURect& clip) = 0;
  virtual void PopClippingRectangle() = 0;
  virtual TURect GetClippingRectangle() = 0;
  // Untextured, in viewport coordinates.
  virtual void FillRect(const TURect& rect, const TColor& color) = 0;

  // The capture pass: draws go into the texture until EndRenderTarget; false when the
  // target could not be opened (nothing is drawn then).
  virtual bool BeginRenderTarget(boost::shared_ptr<TTexture> texture, int mode) { return false; }
  virtual void EndRenderTarget() {}
  // Copies the whole texture into the open frame at (0, 0).
  virtual void CopyToFrame(boost::shared_ptr<TTexture> texture) {}
};

// The renderer behind the window system when none was installed; null while the
// engine has no renderer.
TWindowRenderer* GetDefaultWindowRenderer();
