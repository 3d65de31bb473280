// texture: the shared image asset; textures are cached by a handle built from file name
// and options in the asset registry, and drawn as sprites through the renderer.
#pragma once

#include <cstdint>
#include <utility>

#include <boost/shared_ptr.hpp>

#include "core/foundation/asset.h"
#include "core/foundation/color.h"
#include "core/foundation/mat.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"
#include "core/foundation/vec.h"

class TTextureData;

// One sprite draw.
class TDrawSpec
{
public:
  enum EFlags : uint32_t
  {
    kMirrorLeftRight = 1,
    kMirrorTopBottom = 2,
    kSourceRect = 4,
    kCenterGiven = 8
  };

  TDrawSpec();
  TDrawSpec(const TVec2& pos, float alpha, float scale, unsigned flags);

  TMat3 mTransform;
  TVec2 mCenter;
  TColor mColor;
  float mAlpha;
  TRect mSrcRect;
  uint32_t mFlags;
  int32_t mBlendMode;
};

// Font record of the scene engine's text objects, with its defaults.
struct TFont
{
  TFont();
  str mFace;
  int32_t mSize;
  int32_t mReserved;
  TColor mColor;
};

class TTexture : public TAsset
{
public:
  enum EGetFlags : unsigned
  {
    kGetMipmap = 1,
    kGetAlpha = 2,
    kGetNoAlpha = 4
  };

  static intptr_t ClassId();

  ~TTexture() override;

  const char* GetTypeName() const override { return "TTexture"; }
  bool IsKindOf(intptr_t classId) const override;
  void Release() override;
  void Restore() override;

  virtual void DrawSprite(float x, float y, float alpha, float scale, float rotation, unsigned flags);
  virtual void DrawSprite(const TDrawSpec& spec);
  virtual void CopyPixels(int x, int y, const TRect* src, boost::shared_ptr<TTexture> dest);
  virtual unsigned GetWidth() const;
  virtual unsigned GetHeight() const;

  static boost::shared_ptr<TTexture> Get(str name, unsigned flags = 0);
  static boost::shared_ptr<TTexture> GetSimple(str name);
  static boost::shared_ptr<TTexture> GetMerged(str colour, str mask, unsigned flags = 0);
  static boost::shared_ptr<TTexture> Create(unsigned width, unsigned height, bool alpha);

  bool Lock(TColor32** pixels, unsigned* pitch);
  void Unlock();
  void Clear();
  bool IsSimple() const;
  bool HasAlpha() const;
  std::pair<int, int> GetInternalSize() const;
  str GetName() const;
  void MarkMemoryUsed() {}

  TTextureData* GetTextureData() const { return mData; }

  static boost::shared_ptr<TTexture> InternalGet(str handle);
  static boost::shared_ptr<TTexture> InternalNew(str handle);
  // Logs that the image could not be loaded and answers null.
  static boost::shared_ptr<TTexture> NotLoaded(const str& name);

protected:
  TTexture();

private:
  TTextureData* mData;
};
