// nulldisplaybackend: a drawing back end that draws nothing, for tools and tests without a
// GL context; keeps the display size, the viewport stack and textures' pixels in memory.
#include "core/graphics/nulldisplaybackend.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/graphics/texturedata.h"
#include "core/foundation/debug.h"

namespace {

// Surface sides beyond this are refused, as the OpenGL back end refuses them.
const unsigned kMaxSurfaceSide = 16384;

// A texture's pixels as a plain array of exactly the texture's size.
class TNullTextureData : public TTextureData
{
public:
  void Release() override {}
  void Restore() override {}

  bool CreateSurface(unsigned width, unsigned height, bool clear) override
  {
    if (width == 0 || height == 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) {
      WriteDbg("ERROR: TNullTextureData::CreateSurface: bad size %ux%u", width, height);
      return false;
    }
    mPixels.assign(static_cast<size_t>(width) * height, TColor32());
    mWidth = mInternalWidth = width;
    mHeight = mInternalHeight = height;
    mOffsetX = mOffsetY = 0;
    return true;
  }

  bool FillSurface(unsigned width, unsigned height, TColor32* pixels) override
  {
    if (!pixels || mPixels.empty()) {
      return true;
    }
    // A source of another size is copied as far as it reaches, never read past.
    const unsigned rows = std::min(mInternalHeight, height);
    const unsigned columns = std::min(mInternalWidth, width);
    for (unsigned row = 0; row < rows; ++row) {
      std::memcpy(mPixels.data() + static_cast<size_t>(row) * mInternalWidth, pixels + static_cast<size_t>(row) * width,
                  columns * sizeof(TColor32));
    }
    return true;
  }

  void CopyPixels(int x, int y, const TRect* src, boost::shared_ptr<TTexture> dest) override {}

  void Clear() override { std::fill(mPixels.begin(), mPixels.end(), TColor32()); }

  bool Lock(TColor32** pixels, unsigned* pitch) override
  {
    if (!pixels || !pitch || mPixels.empty()) {
      return false;
    }
    *pixels = mPixels.data();
    *pitch = mInternalWidth;
    return true;
  }

  void Unlock() override
  {
    if (HasFlag(kFlagAlpha)) {
      return;
    }
    for (TColor32& pixel : mPixels) {
      pixel.SetAlpha(255);
    }
  }

private:
  std::vector<TColor32> mPixels;
};

} // namespace

void TNullDisplayBackend::SetDisplay(unsigned width, unsigned height, bool fullscreen)
{
  mWidth = width;
  mHeight = height;
  mFullscreen = fullscreen;
  mViewport = {0, 0, static_cast<int>(width), static_cast<int>(height)};
  mViewportStack.clear();
}

void TNullDisplayBackend::GetDisplay(unsigned* width, unsigned* height, bool* fullscreen) const
{
  if (width) {
    *width = mWidth;
  }
  if (height) {
    *height = mHeight;
  }
  if (fullscreen) {
    *fullscreen = mFullscreen;
  }
}

void TNullDisplayBackend::GetViewport(int* left, int* top, int* right, int* bottom) const
{
  *left = mViewport.mLeft;
  *top = mViewport.mTop;
  *right = mViewport.mRight;
  *bottom = mViewport.mBottom;
}

void TNullDisplayBackend::PushViewport(int left, int top, int right, int bottom)
{
  mViewportStack.push_back(mViewport);
  mViewport = {left, top, right, bottom};
}

void TNullDisplayBackend::PopViewport()
{
  if (!mViewportStack.empty()) {
    mViewport = mViewportStack.back();
    mViewportStack.pop_back();
  }
}

bool TNullDisplayBackend::BeginRenderTarget(boost::shared_ptr<TTexture> texture, TRenderer::ERenderTargetMode mode)
{
  if (!texture || mInRenderTarget) {
    return false;
  }
  mInRenderTarget = true;
  return true;
}

TTextureData* TNullDisplayBackend::NewTextureData()
{
  return new TNullTextureData();
}
