// windowrenderer: the few drawing calls that the window system makes for the frame and
// for each window; forwards to the renderer, and lets tests record what was drawn.
#include "core/window/windowrenderer.h"

#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"
#include "core/graphics/texturedata.h"

namespace {

class TRendererForwarder : public TWindowRenderer
{
public:
  bool BeginDraw(bool copyFront) override { return TRenderer::GetInstance()->BeginDraw(copyFront); }
  void EndDraw(bool swap) override { TRenderer::GetInstance()->EndDraw(swap); }
  void PushViewport(const TRect& viewport) override { TRenderer::GetInstance()->PushViewport(viewport); }
  void PopViewport() override { TRenderer::GetInstance()->PopViewport(); }
  void GetViewport(TRect* viewport) override { TRenderer::GetInstance()->GetViewport(viewport); }
  void PushClippingRectangle(const TURect& clip) override { TRenderer::GetInstance()->PushClippingRectangle(clip); }
  void PopClippingRectangle() override { TRenderer::GetInstance()->PopClippingRectangle(); }
  TURect GetClippingRectangle() override { return TRenderer::GetInstance()->GetClippingRectangle(); }
  void FillRect(const TURect& rect, const TColor& color) override
  {
    TRenderer::GetInstance()->FillRect(rect, color, boost::shared_ptr<TTexture>());
  }
  bool BeginRenderTarget(boost::shared_ptr<TTexture> texture, int mode) override
  {
    mInTarget = TRenderer::GetInstance()->BeginRenderTarget(texture, TRenderer::ERenderTargetMode(mode));
    return mInTarget;
  }
  void EndRenderTarget() override
  {
    TRenderer::GetInstance()->EndRenderTarget();
    mInTarget = false;
  }
  void CopyToFrame(boost::shared_ptr<TTexture> texture) override
  {
    // TTexture::CopyPixels refuses to run inside a frame, yet the frame is exactly
    // where the capture has to land; a texture copied into itself is never wanted.
    if (!texture || mInTarget || !TRenderer::GetInstance()->InDraw()) {
      return;
    }
    if (TTextureData* data = texture->GetTextureData()) {
      data->CopyPixels(0, 0, nullptr, boost::shared_ptr<TTexture>());
    }
  }

private:
  bool mInTarget = false;
};

} // namespace

TWindowRenderer* GetDefaultWindowRenderer()
{
  static TRendererForwarder forwarder;
  return &forwarder;
}
