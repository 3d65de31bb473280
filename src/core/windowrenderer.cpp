// windowrenderer: the few drawing calls that the window system makes for the frame and
// for each window; forwards to the renderer, and lets tests record what was drawn.
#include "core/windowrenderer.h"

#include "core/renderer.h"

namespace {

class TRendererForwarder : public TWindowRenderer
{
public:
  bool BeginDraw(bool copyFront) override { return TRenderer::GetInstance()->BeginDraw(copyFront); }
  void EndDraw(bool swap) override { TRenderer::GetInstance()->EndDraw(swap); }
  void PushViewport(const TRect& viewport) override { TRenderer::GetInstance()->PushViewport(viewport); }
  void PopViewport() override { TRenderer::GetInstance()->PopViewport(); }
  void GetViewport(TRect* viewport) override { TRenderer::GetInstance()->GetViewport(viewport); }
  void PushClippingRectangle(const TURect& clip) override
  {
    TRenderer::GetInstance()->PushClippingRectangle(clip);
  }
  void PopClippingRectangle() override { TRenderer::GetInstance()->PopClippingRectangle(); }
  TURect GetClippingRectangle() override { return TRenderer::GetInstance()->GetClippingRectangle(); }
  void FillRect(const TURect& rect, const TColor& color) override
  {
    TRenderer::GetInstance()->FillRect(rect, color, boost::shared_ptr<TTexture>());
  }
};

} // namespace

TWindowRenderer* GetDefaultWindowRenderer()
{
  static TRendererForwarder forwarder;
  return &forwarder;
}
