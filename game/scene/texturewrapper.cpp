// texturewrapper: a texture shown by scene objects together with the one-bit mask of its
// solid pixels that hit tests read, and the counted handle through which objects hold it.
#include "scene/texturewrapper.h"

#include <algorithm>

#include "core/graphics/texture.h"
#include "scene/matrixutil.h"
#include "scene/texturemanager.h"

TTextureWrapper::TTextureWrapper(boost::shared_ptr<TTexture> texture)
    : mReferences(0), mHasMask(false), mStride(0), mWidth(0), mHeight(0)
{
  setTexture(texture);
}

TTextureWrapper::TTextureWrapper(boost::shared_ptr<TTexture> texture, const TColor32* pixels, unsigned width,
                                 unsigned height, unsigned pitch)
    : mReferences(0), mTexture(texture), mHasMask(false), mStride(0), mWidth(0), mHeight(0)
{
  BuildMask(pixels, width, height, pitch);
}

TTextureWrapper::TTextureWrapper() : mReferences(0), mHasMask(false), mStride(0), mWidth(0), mHeight(0) {}

TTextureWrapper::~TTextureWrapper() {}

TTextureWrapper* TTextureWrapper::Deferred(const str& name)
{
  TTextureWrapper* wrapper = new TTextureWrapper();
  wrapper->mName = name;
  wrapper->mDeferred = true;
  return wrapper;
}

void TTextureWrapper::LoadDeferred() const
{
  // Loading changes what the wrapper holds, not what it stands for: callers see it as const.
  TTextureWrapper* self = const_cast<TTextureWrapper*>(this);
  if (TTextureManager* manager = TTextureManager::GetInstance())
    manager->LoadDeferred(self);
  else
    self->TakeLoaded(nullptr);
}

void TTextureWrapper::TakeLoaded(TTextureWrapper* made)
{
  mDeferred = false;
  if (!made)
    return;
  mTexture = made->mTexture;
  mMask.swap(made->mMask);
  mHasMask = made->mHasMask;
  mStride = made->mStride;
  mWidth = made->mWidth;
  mHeight = made->mHeight;
}

void TTextureWrapper::setTexture(boost::shared_ptr<TTexture> texture)
{
  mTexture = texture;
  mMask.clear();
  mHasMask = false;
  mStride = mWidth = mHeight = 0;
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  if (!texture || !texture->Lock(&pixels, &pitch))
    return;
  BuildMask(pixels, texture->GetWidth(), texture->GetHeight(), pitch);
  texture->Unlock();
}

void TTextureWrapper::BuildMask(const TColor32* pixels, unsigned width, unsigned height, unsigned pitch)
{
  mWidth = width;
  mHeight = height;
  mStride = (width + 7) / 8;
  mMask.assign(static_cast<size_t>(mStride) * height, 0);
  mHasMask = true;
  if (!pixels)
    return;
  for (unsigned y = 0; y < height; ++y) {
    const TColor32* row = pixels + static_cast<size_t>(y) * pitch;
    uint8_t* bits = mMask.data() + static_cast<size_t>(y) * mStride;
    for (unsigned x = 0; x < width; ++x)
      if (row[x].Alpha() != 0)
        bits[x >> 3] |= static_cast<uint8_t>(1u << (x & 7));
  }
}

int TTextureWrapper::compare(const void* a, const void* b)
{
  return TruncateToInt(*static_cast<const float*>(a) - *static_cast<const float*>(b));
}

bool TTextureWrapper::hitTest(unsigned x, unsigned y) const
{
  Loaded();
  if (!mHasMask || x >= mWidth || y >= mHeight)
    return false;
  return (mMask[static_cast<size_t>(y) * mStride + (x >> 3)] >> (x & 7)) & 1;
}

bool TTextureWrapper::hitTest(TPoint point) const
{
  if (point.x < 0 || point.y < 0)
    return false;
  return hitTest(static_cast<unsigned>(point.x), static_cast<unsigned>(point.y));
}

bool TTextureWrapper::RangeHitTest(int x, int y, int radius, const TRect& area) const
{
  Loaded();
  if (!mHasMask || radius <= 0)
    return false;
  // Signed and clipped to the texture: the area comes from resource data and the point
  // from a transform, so neither may be trusted to lie inside.
  const int64_t r = radius;
  int64_t left = std::max<int64_t>({area.left, int64_t(x) - r, 0});
  int64_t right = std::min<int64_t>({area.right, int64_t(x) + r, int64_t(mWidth)});
  int64_t top = std::max<int64_t>({area.top, int64_t(y) - r, 0});
  int64_t bottom = std::min<int64_t>({area.bottom, int64_t(y) + r, int64_t(mHeight)});
  for (int64_t py = top; py < bottom; ++py) {
    const int64_t dy = py - y;
    for (int64_t px = left; px < right; ++px) {
      const int64_t dx = px - x;
      if (dx * dx + dy * dy < r * r && hitTest(static_cast<unsigned>(px), static_cast<unsigned>(py)))
        return true;
    }
  }
  return false;
}

TTextureWrapperRef::TTextureWrapperRef(TTextureWrapper* wrapper) : mWrapper(wrapper)
{
  if (mWrapper)
    ++mWrapper->mReferences;
}

TTextureWrapperRef::TTextureWrapperRef(const TTextureWrapperRef& other) : mWrapper(other.mWrapper)
{
  if (mWrapper)
    ++mWrapper->mReferences;
}

TTextureWrapperRef::~TTextureWrapperRef()
{
  Release();
}

TTextureWrapperRef& TTextureWrapperRef::operator=(const TTextureWrapperRef& other)
{
  // The copy holds the new wrapper before the old one is released, so assigning a handle
  // to itself never deletes its wrapper.
  TTextureWrapperRef copy(other);
  std::swap(mWrapper, copy.mWrapper);
  return *this;
}

void TTextureWrapperRef::Release()
{
  if (!mWrapper)
    return;
  if (--mWrapper->mReferences == 0) {
    // The manager is gone when the game has already destroyed it at exit.
    if (TTextureManager* manager = TTextureManager::GetInstance())
      manager->deleteTexture(mWrapper);
    delete mWrapper;
  }
  mWrapper = nullptr;
}
