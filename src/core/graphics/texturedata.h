// texturedata: the pixels behind a texture (sizes, surface, flags) and the image-file
// loading that fills them; the OpenGL side implements the surface operations.
#pragma once

#include <cstdint>

#include <boost/shared_ptr.hpp>

#include "core/foundation/color.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"

class TTexture;
class TTextureData;

// Told of each image a texture decodes from a file, before it is uploaded, so a user can
// keep what it needs of the pixels (a hit mask, say) without reading them back later.
class TDecodedImageListener
{
public:
  virtual ~TDecodedImageListener() {}
  // Packed colours with alpha in the top byte, rows of pitch pixels, the image in the
  // top-left corner; valid only during the call.
  virtual void OnImageDecoded(const TTextureData* data, const TColor32* pixels, unsigned width, unsigned height,
                              unsigned pitch) = 0;
};

class TTextureData
{
public:
  enum EFlags : uint32_t
  {
    kFlagAlpha = 2,         // drawn blended; alpha kept on Unlock
    kFlagAlphaFromFile = 4, // after decoding, kFlagAlpha becomes what the file holds
    kFlagMipmap = 8,
    kFlagSimple = 16, // never drawn as a sprite; treated as no texture by the renderer
    kFlagMemory = 32  // a pixel array in main memory, drawn with glDrawPixels
  };

  // The largest side a texture may have without "slow", and the cap with it.
  static const unsigned kMaxSide = 1024;
  static const unsigned kMaxSlowSide = 8192;

  TTextureData();
  virtual ~TTextureData();

  virtual void Release() = 0;
  virtual void Restore() = 0;
  virtual bool FillSurface(unsigned width, unsigned height, TColor32* pixels) = 0;
  virtual bool CreateSurface(unsigned width, unsigned height, bool clear) = 0;
  virtual void CopyPixels(int x, int y, const TRect* src, boost::shared_ptr<TTexture> dest) = 0;
  virtual void Clear() = 0;
  virtual bool Lock(TColor32** pixels, unsigned* pitch) = 0;
  virtual void Unlock() = 0;

  // Reads an image file (options after the last "?") into this texture; mask, when
  // given, supplies the alpha channel.
  bool LoadFile(const char* name, const char* mask);

  // One listener at a time (null for none); returns the one it replaces.
  static TDecodedImageListener* SetDecodedImageListener(TDecodedImageListener* listener);

  static str TextureHandle(str name, bool alpha, bool mipmap, bool simple);
  static str TextureHandle(str colour, str mask, bool mipmap, bool simple);

  bool HasFlag(uint32_t flag) const { return (mFlags & flag) != 0; }
  void SetFlag(uint32_t flag, bool on)
  {
    if (on) {
      mFlags |= flag;
    } else {
      mFlags &= ~flag;
    }
  }

  str mName;
  str mMaskName;
  uint32_t mWidth = 0;
  uint32_t mHeight = 0;
  uint32_t mInternalWidth = 0;
  uint32_t mInternalHeight = 0;
  uint32_t mOffsetX = 0;
  uint32_t mOffsetY = 0;
  uint32_t mFlags = 0;

private:
  bool LoadDecoded(str fileName, str maskName, const str& originalName);
};

// Image decoders. Each fills a side x side square of blue, green, red, alpha pixels,
// image in the top-left corner, and rejects images over maxSide before allocating.
// Each buffer is released by its own free function.
bool EzPngLoadImage(const char* name, unsigned char** pixels, int* width, int* height, int* side, unsigned long* key,
                    int* hasAlpha, unsigned maxSide);
void EzPngFreeImage(unsigned char* pixels);
bool EzJpegLoadImage(const char* name, unsigned char** pixels, int* width, int* height, int* side, unsigned maxSide);
void EzJpegFreeImage(unsigned char* pixels);
bool EzJp2LoadImage(const char* name, unsigned char** pixels, int* width, int* height, int* side, int* hasAlpha,
                    unsigned maxSide);
void EzJp2FreeImage(unsigned char* pixels);

// The smallest power of two not below value (1 for 0 and 1).
unsigned NextPowerOfTwo(unsigned value);
