// texturewrapper: a texture shown by scene objects together with the one-bit mask of its
// solid pixels that hit tests read, and the counted handle through which objects hold it.
#pragma once

#include <cstdint>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "core/foundation/color.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"

class TTexture;

class TTextureWrapper
{
public:
  // The mask is read from the texture's pixels (a read-back; a texture that cannot be
  // locked gives a wrapper without a mask, which nothing hits).
  explicit TTextureWrapper(boost::shared_ptr<TTexture> texture);
  // The mask is built from pixels already in memory (packed colours, alpha in the top
  // byte, rows of pitch pixels); null pixels give a width x height mask with no solid pixel.
  TTextureWrapper(boost::shared_ptr<TTexture> texture, const TColor32* pixels, unsigned width, unsigned height,
                  unsigned pitch);
  virtual ~TTextureWrapper();
  // A wrapper of the named picture that loads it, through the texture manager, when its
  // texture or mask is first asked for (see TTextureManager::TDeferLoads).
  static TTextureWrapper* Deferred(const str& name);

  // Keeps the texture and rebuilds the mask from its pixels through a lock.
  void setTexture(boost::shared_ptr<TTexture> texture);
  // Keeps the texture and the mask already built (from the same pixels, decoded earlier).
  void AttachTexture(boost::shared_ptr<TTexture> texture) { mTexture = texture; }
  // True while a deferred wrapper has not loaded its picture.
  bool IsDeferred() const { return mDeferred; }
  // A deferred wrapper takes the texture and mask of one just made for its picture (null
  // when the picture cannot be had: it then shows nothing and nothing hits it).
  void TakeLoaded(TTextureWrapper* made);

  // True when (x, y) lies inside the texture and its pixel is solid (alpha above 0).
  bool hitTest(unsigned x, unsigned y) const;
  bool hitTest(TPoint point) const;
  // True when a solid pixel of area (texture pixels, clipped to the texture) lies strictly
  // within radius of (x, y); the point may lie outside the texture on either side.
  bool RangeHitTest(int x, int y, int radius, const TRect& area) const;

  // A qsort comparator of floats: *a - *b cut towards zero to an int, so values less than
  // one apart compare equal; differences beyond the int range give its ends.
  static int compare(const void* a, const void* b);

  const boost::shared_ptr<TTexture>& GetTexture() const { return Loaded().mTexture; }
  bool HasMask() const { return Loaded().mHasMask; }
  unsigned GetWidth() const { return Loaded().mWidth; }
  unsigned GetHeight() const { return Loaded().mHeight; }
  // Bytes per mask row: the width in bits rounded up to whole bytes.
  unsigned GetStride() const { return Loaded().mStride; }
  // Bit x + y * stride * 8, least significant bit first; padding bits are 0.
  const uint8_t* GetMask() const { return Loaded().mHasMask ? mMask.data() : nullptr; }

  // Identifies a wrapper that has no texture object (built from pixels in memory).
  const str& GetName() const { return mName; }
  void SetName(const str& name) { mName = name; }

  // The number of handles that hold the wrapper; the last one to go deletes it.
  int32_t mReferences;

private:
  TTextureWrapper(const TTextureWrapper&) = delete;
  TTextureWrapper& operator=(const TTextureWrapper&) = delete;

  TTextureWrapper();
  void BuildMask(const TColor32* pixels, unsigned width, unsigned height, unsigned pitch);
  // The wrapper with its picture loaded first when it is deferred.
  const TTextureWrapper& Loaded() const
  {
    if (mDeferred)
      LoadDeferred();
    return *this;
  }
  void LoadDeferred() const;

  boost::shared_ptr<TTexture> mTexture;
  std::vector<uint8_t> mMask;
  bool mHasMask;
  unsigned mStride;
  unsigned mWidth;
  unsigned mHeight;
  str mName;
  bool mDeferred = false;
};

// A counted handle on a wrapper: copies share it, and releasing the last one takes the
// wrapper out of the texture manager and deletes it.
class TTextureWrapperRef
{
public:
  TTextureWrapperRef() : mWrapper(nullptr) {}
  explicit TTextureWrapperRef(TTextureWrapper* wrapper);
  TTextureWrapperRef(const TTextureWrapperRef& other);
  ~TTextureWrapperRef();
  TTextureWrapperRef& operator=(const TTextureWrapperRef& other);

  TTextureWrapper* Get() const { return mWrapper; }
  TTextureWrapper* operator->() const { return mWrapper; }
  explicit operator bool() const { return mWrapper != nullptr; }

private:
  void Release();

  TTextureWrapper* mWrapper;
};
