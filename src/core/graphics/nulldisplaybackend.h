// nulldisplaybackend: a drawing back end that draws nothing, for tools and tests without a
// GL context; keeps the display size, the viewport stack and textures' pixels in memory.
#pragma once

#include <vector>

#include "core/graphics/displaybackend.h"

class TNullDisplayBackend : public TDisplayBackend
{
public:
  void SetDisplay(unsigned width, unsigned height, bool fullscreen) override;
  void GetDisplay(unsigned* width, unsigned* height, bool* fullscreen) const override;

  bool BeginDraw(bool copyFront, const TFrameFacts& frame) override { return true; }
  void EndDraw(bool flag) override {}
  void PostEndDraw(bool swap) override {}
  bool Begin2d() override { return true; }
  void End2d() override {}

  void GetViewport(int* left, int* top, int* right, int* bottom) const override;
  void PushViewport(int left, int top, int right, int bottom) override;
  void PopViewport() override;
  void SetClipRectangle(const TURect& clip) override {}

  void SetBlendMode(TRenderer::EBlendMode mode) override {}
  void SetTextureMapMode(TRenderer::ETextureMapMode u, TRenderer::ETextureMapMode v) override {}
  void SetCullMode(TRenderer::ECullMode mode) override {}
  void SetMaterial(TMaterial* material) override {}
  void SetAmbientColor(const TColor& color) override {}
  void SetTexture(const boost::shared_ptr<TTexture>& texture) override {}
  bool GetTextureSquareFlag() const override { return false; }
  void SetOption(str name, str value) override {}

  void DrawVertices(TRenderer::EDrawType type, const TVertexSet& set) override {}
  void DrawIndexedVertices(TRenderer::EDrawType type, const TVertexSet& set, unsigned short* indices,
                           int count) override
  {}
  void FillRect(int left, int top, int right, int bottom, const TColor& color,
                boost::shared_ptr<TTexture> texture) override
  {}

  bool BeginRenderTarget(boost::shared_ptr<TTexture> texture, TRenderer::ERenderTargetMode mode) override;
  void EndRenderTarget() override { mInRenderTarget = false; }
  bool RenderTargetIsScreen() const override { return !mInRenderTarget; }
  bool CaptureFrame(boost::shared_ptr<TTexture> texture) override { return false; }

  TTextureData* NewTextureData() override;

private:
  struct TViewport
  {
    int mLeft, mTop, mRight, mBottom;
  };
  unsigned mWidth = 0;
  unsigned mHeight = 0;
  bool mFullscreen = false;
  bool mInRenderTarget = false;
  TViewport mViewport = {0, 0, 0, 0};
  std::vector<TViewport> mViewportStack;
};
