// gltexturedata: a texture's pixels as an OpenGL texture object (or, for wide simple
// textures, a memory array); uploads, locks, fills, clears and copies between textures.
#pragma once

#include "core/graphics/texturedata.h"

class TGLTextureData : public TTextureData
{
public:
  TGLTextureData();
  ~TGLTextureData() override;

  void Release() override {}
  void Restore() override {}
  bool FillSurface(unsigned width, unsigned height, TColor32* pixels) override;
  bool CreateSurface(unsigned width, unsigned height, bool clear) override;
  void CopyPixels(int x, int y, const TRect* src, boost::shared_ptr<TTexture> dest) override;
  void Clear() override;
  bool Lock(TColor32** pixels, unsigned* pitch) override;
  void Unlock() override;

  // Draws src of this texture at (x, y) of the screen or open render target.
  void Draw(int x, int y, const TRect& src, bool flip);
  void DrawSFB(int x, int y, const TRect& src);
  void DrawSV(int x, int y, const TRect& src, boost::shared_ptr<TTexture> dest);
  void DrawVV(int x, int y, const TRect& src, boost::shared_ptr<TTexture> dest);
  // Rectangle in texture pixels, right and bottom exclusive; clipped to the image.
  void FillRect(int left, int top, int right, int bottom, const TColor& color, bool avoidIf16Bit);
  // The magenta colour key: magenta becomes transparent black, all else opaque.
  void ProcessColor();

  // Always false here: the driver it worked around does not exist on this platform.
  static bool FillRectIsBuggy() { return false; }

  unsigned GetGLName() const { return mGLName; }
  bool IsMemoryTexture() const { return HasFlag(kFlagMemory); }

  // Called before GL itself may write any texture (drawing into one, copying into one):
  // a lock buffer that held a texture's pixels may no longer do so.
  static void NoteGLWrite() { ++sGLWrites; }

private:
  void DeleteName();
  void UploadLevel0(const TColor32* pixels);
  // The texture holds the zeros it was cleared to, and GL has written no texture since.
  bool IsStillBlank() const;

  unsigned mGLName = 0;
  bool mHasName = false;
  unsigned mLevel = 0;
  TColor32* mLockBuffer = nullptr;
  // The lock buffer holds the texture's pixels as uploaded by the last Unlock, and no GL
  // write has happened since (the write count is the same): Lock need not read them back.
  bool mLockBufferCurrent = false;
  unsigned mLockBufferWrites = 0;
  static unsigned sGLWrites;
  // Cleared (when made or since) at write count mBlankWrites, and not locked since.
  bool mBlank = false;
  unsigned mBlankWrites = 0;
  TColor32* mMemoryPixels = nullptr;
  bool mColorKeyDone = false;
};
