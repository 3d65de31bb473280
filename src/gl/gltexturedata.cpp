// gltexturedata: texture surfaces as GL texture objects or memory arrays; fills, clears
// and texture-to-texture copies go through a framebuffer object (no auxiliary buffers).
#define GL_GLEXT_PROTOTYPES 1
#include "gl/gltexturedata.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"
#include "core/graphics/vertexset.h"
#include "gl/gldisplayhandler.h"
#include "core/foundation/debug.h"

namespace {

TGLDisplayHandler* Handler()
{
  if (TGLDisplayHandler* handler = TGLDisplayHandler::GetInstance()) {
    return handler;
  }
  // A texture kept past the renderer's shutdown: a new renderer makes a new back end.
  TRenderer::GetInstance();
  TGLDisplayHandler* handler = TGLDisplayHandler::GetInstance();
  return handler ? handler : TGLDisplayHandler::CreateInstance();
}

// Sprites the back end has gathered but not drawn may use this texture, or the frame: they
// are drawn before anything changes either.
void DrawPendingSprites()
{
  if (TGLDisplayHandler* handler = TGLDisplayHandler::GetInstance()) {
    handler->FlushSprites();
  }
}

// Largest surface side accepted from callers; GL refuses bigger ones anyway.
const unsigned kMaxSurfaceSide = 16384;

} // namespace

unsigned TGLTextureData::sGLWrites = 0;

static bool IsPowerOfTwo(unsigned value)
{
  return value != 0 && (value & (value - 1)) == 0;
}

TGLTextureData::TGLTextureData() {}

TGLTextureData::~TGLTextureData()
{
  if (mMemoryPixels) {
    delete[] mMemoryPixels;
  } else {
    DeleteName();
  }
  delete[] mLockBuffer;
}

void TGLTextureData::DeleteName()
{
  DrawPendingSprites();
  NoteGLWrite();
  if (mHasName) {
    glDeleteTextures(1, &mGLName);
    mHasName = false;
    mGLName = 0;
  }
}

bool TGLTextureData::CreateSurface(unsigned width, unsigned height, bool clear)
{
  DrawPendingSprites();
  NoteGLWrite();
  mLevel = 0;
  if (width == 0 || height == 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) {
    WriteDbg("ERROR: TGLTextureData::CreateSurface: bad size %ux%u", width, height);
    return false;
  }
  TGLDisplayHandler* handler = Handler();
  if (HasFlag(kFlagSimple) && static_cast<int>(width) > handler->GetDisplayWidth()) {
    SetFlag(kFlagMemory, true);
  }
  if (HasFlag(kFlagMemory)) {
    mWidth = mInternalWidth = width;
    mHeight = mInternalHeight = height;
    mOffsetX = mOffsetY = 0;
    delete[] mMemoryPixels;
    mMemoryPixels = new (std::nothrow) TColor32[static_cast<size_t>(width) * height];
    if (!mMemoryPixels) {
      WriteDbg("ERROR: TGLTextureData::CreateSurface: no memory for %ux%u", width, height);
      return false;
    }
    if (clear) {
      Clear();
    }
    return true;
  }

  mWidth = width;
  mHeight = height;
  if (handler->IsSquareOnly()) {
    if (width == height && IsPowerOfTwo(width)) {
      mInternalWidth = mInternalHeight = width;
    } else {
      unsigned side = std::max(NextPowerOfTwo(width), NextPowerOfTwo(height));
      mInternalWidth = mInternalHeight = side;
    }
  } else {
    mInternalWidth = NextPowerOfTwo(width);
    mInternalHeight = NextPowerOfTwo(height);
  }
  mOffsetX = (mInternalWidth - mWidth) / 2;
  mOffsetY = (mInternalHeight - mHeight) / 2;

  DeleteName();
  delete[] mLockBuffer;
  mLockBuffer = nullptr;
  glGenTextures(1, &mGLName);
  mHasName = true;
  glBindTexture(GL_TEXTURE_2D, mGLName);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, HasFlag(kFlagAlpha) ? GL_LINEAR : GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  while (glGetError() != GL_NO_ERROR) {
  }
  // A cleared surface is made with its zeros: one allocation of the driver's, not a second
  // one to upload them into.
  std::vector<TColor32> zeros(clear ? static_cast<size_t>(mInternalWidth) * mInternalHeight : 0, TColor32(0u));
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, mInternalWidth, mInternalHeight, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
               clear ? zeros.data() : nullptr);
  if (glGetError() != GL_NO_ERROR) {
    WriteDbg("ERROR: TGLTextureData::CreateSurface: GL refused a %ux%u surface", mInternalWidth, mInternalHeight);
    DeleteName();
    return false;
  }
  if (clear) {
    glBindTexture(GL_TEXTURE_2D, 0);
  }
  mBlank = clear;
  mBlankWrites = sGLWrites;
  return true;
}

bool TGLTextureData::FillSurface(unsigned width, unsigned height, TColor32* pixels)
{
  DrawPendingSprites();
  NoteGLWrite();
  if (!pixels) {
    return true;
  }
  if (HasFlag(kFlagMemory)) {
    if (!mMemoryPixels) {
      return true;
    }
    unsigned rows = std::min(mHeight, height);
    unsigned columns = std::min(mWidth, width);
    for (unsigned row = 0; row < rows; ++row) {
      std::memcpy(mMemoryPixels + static_cast<size_t>(row) * mInternalWidth, pixels + static_cast<size_t>(row) * width,
                  columns * sizeof(TColor32));
    }
    return true;
  }
  if (!mHasName) {
    return true;
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  if (HasFlag(kFlagMipmap)) {
    DeleteName();
    glGenTextures(1, &mGLName);
    mHasName = true;
    glBindTexture(GL_TEXTURE_2D, mGLName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, static_cast<GLint>(width), static_cast<GLint>(height), GL_BGRA,
                      GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
    // The mipmap builder may rescale; the surface then is the size it was built from.
    GLint builtWidth = 0;
    GLint builtHeight = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &builtWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &builtHeight);
    if (builtWidth > 0 && builtHeight > 0) {
      mInternalWidth = static_cast<unsigned>(builtWidth);
      mInternalHeight = static_cast<unsigned>(builtHeight);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    return true;
  }
  glBindTexture(GL_TEXTURE_2D, mGLName);
  if (width == mInternalWidth && height == mInternalHeight) {
    // Into the storage the surface was made with: specifying it again would have the driver
    // allocate (and clear) it once more.
    glTexSubImage2D(GL_TEXTURE_2D, mLevel, 0, 0, mInternalWidth, mInternalHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                    pixels);
  } else {
    // A source of another size is copied in as far as it reaches, never read past.
    glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(width));
    glTexSubImage2D(GL_TEXTURE_2D, mLevel, 0, 0, std::min(width, mInternalWidth), std::min(height, mInternalHeight),
                    GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  return true;
}

bool TGLTextureData::Lock(TColor32** pixels, unsigned* pitch)
{
  DrawPendingSprites();
  if (!pixels || !pitch) {
    return false;
  }
  if (HasFlag(kFlagMemory)) {
    if (!mMemoryPixels) {
      return false;
    }
    *pixels = mMemoryPixels;
    *pitch = mInternalWidth;
    return true;
  }
  if (!mHasName) {
    return false;
  }
  if (!mLockBuffer) {
    mLockBuffer = new (std::nothrow) TColor32[static_cast<size_t>(mInternalWidth) * mInternalHeight];
    if (!mLockBuffer) {
      return false;
    }
  }
  // Text drawn into a texture locks it for every draw: the pixels its last unlock uploaded
  // are still these unless GL has written a texture since. A texture still as cleared holds
  // zeros, which need no read-back either.
  if (IsStillBlank()) {
    std::fill(mLockBuffer, mLockBuffer + static_cast<size_t>(mInternalWidth) * mInternalHeight, TColor32(0u));
  } else if (!mLockBufferCurrent || mLockBufferWrites != sGLWrites) {
    glFinish();
    glBindTexture(GL_TEXTURE_2D, mGLName);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, mLockBuffer);
    glBindTexture(GL_TEXTURE_2D, 0);
    glFinish();
  }
  // The caller may change the buffer now; only the next unlock makes it current again.
  mLockBufferCurrent = false;
  mBlank = false;
  *pixels = mLockBuffer;
  *pitch = mInternalWidth;
  return true;
}

void TGLTextureData::Unlock()
{
  DrawPendingSprites();
  TColor32* pixels = HasFlag(kFlagMemory) ? mMemoryPixels : mLockBuffer;
  if (!pixels) {
    return;
  }
  if (!HasFlag(kFlagAlpha)) {
    for (unsigned row = 0; row < mHeight; ++row) {
      TColor32* line = pixels + static_cast<size_t>(row) * mInternalWidth;
      for (unsigned column = 0; column < mWidth; ++column) {
        line[column].SetAlpha(255);
      }
    }
  }
  if (HasFlag(kFlagMemory) || !mHasName) {
    return;
  }
  UploadLevel0(mLockBuffer);
  mLockBufferCurrent = true;
  mLockBufferWrites = sGLWrites;
}

void TGLTextureData::UploadLevel0(const TColor32* pixels)
{
  DrawPendingSprites();
  glFinish();
  glBindTexture(GL_TEXTURE_2D, mGLName);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, mInternalWidth, mInternalHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  pixels);
  if (HasFlag(kFlagMipmap)) {
    // Keep the smaller levels in step with the changed pixels.
    glGenerateMipmap(GL_TEXTURE_2D);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  glFinish();
}

void TGLTextureData::ProcessColor()
{
  if (mColorKeyDone) {
    return;
  }
  mColorKeyDone = true;
  SetFlag(kFlagAlpha, true);
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  if (!Lock(&pixels, &pitch)) {
    return;
  }
  const size_t count = static_cast<size_t>(mInternalWidth) * mInternalHeight;
  for (size_t i = 0; i < count; ++i) {
    TColor32& pixel = pixels[i];
    if (pixel.Blue() == 255 && pixel.Green() == 0 && pixel.Red() == 255) {
      pixel = TColor32();
    } else {
      pixel.SetAlpha(255);
    }
  }
  Unlock();
}

void TGLTextureData::FillRect(int left, int top, int right, int bottom, const TColor& color, bool avoidIf16Bit)
{
  DrawPendingSprites();
  NoteGLWrite();
  TColor fill = color;
  if (!HasFlag(kFlagAlpha)) {
    fill.a = 1.0f;
  }
  // Clipped to the surface, and nothing for an empty rectangle: callers pass texture
  // rectangles unchecked.
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, static_cast<int>(mInternalWidth));
  bottom = std::min(bottom, static_cast<int>(mInternalHeight));
  if (right <= left || bottom <= top) {
    return;
  }
  const TColor32 packed(fill);
  if (HasFlag(kFlagMemory)) {
    if (!mMemoryPixels) {
      return;
    }
    for (int row = top; row < bottom; ++row) {
      TColor32* line = mMemoryPixels + static_cast<size_t>(row) * mInternalWidth;
      std::fill(line + left, line + right, packed);
    }
    return;
  }
  if (!mHasName) {
    return;
  }
  TGLDisplayHandler* handler = Handler();
  if ((avoidIf16Bit && handler->IsDisplay16Bit()) || FillRectIsBuggy()) {
    std::vector<TColor32> block(static_cast<size_t>(right - left) * (bottom - top), packed);
    glFinish();
    glBindTexture(GL_TEXTURE_2D, mGLName);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexSubImage2D(GL_TEXTURE_2D, 0, left, top, right - left, bottom - top, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                    block.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return;
  }
  glPushAttrib(GL_ENABLE_BIT | GL_VIEWPORT_BIT | GL_SCISSOR_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT |
               GL_TEXTURE_BIT);
  if (handler->BindScratchTarget(mGLName)) {
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glViewport(0, 0, mInternalWidth, mInternalHeight);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    // Framebuffer row y is texel row y, so y grows the way texture rows do.
    glOrtho(0, mInternalWidth, 0, mInternalHeight, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor4f(fill.r, fill.g, fill.b, fill.a);
    glRecti(left, top, right, bottom);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    handler->BindFrameBuffer();
  }
  glPopAttrib();
}

bool TGLTextureData::IsStillBlank() const
{
  return mBlank && mBlankWrites == sGLWrites && mHasName && !HasFlag(kFlagMemory);
}

void TGLTextureData::Clear()
{
  DrawPendingSprites();
  // A text redrawn into the surface it was just made with clears it again.
  if (IsStillBlank()) {
    return;
  }
  NoteGLWrite();
  if (HasFlag(kFlagMemory)) {
    if (mMemoryPixels) {
      std::memset(static_cast<void*>(mMemoryPixels), 0,
                  sizeof(TColor32) * static_cast<size_t>(mInternalWidth) * mInternalHeight);
    }
    return;
  }
  if (!mHasName) {
    return;
  }
  // Zeros are uploaded rather than drawn: a software renderer ties a texture it has drawn
  // into to its later frames, and then finishes all drawing before each draw that reads it.
  // Surfaces are cleared when made and when their text changes, so the upload is small
  // and rare.
  // The zeros go through the lock buffer when there is one, which then holds the texture's
  // pixels and spares the next lock its read-back.
  const size_t count = static_cast<size_t>(mInternalWidth) * mInternalHeight;
  std::vector<TColor32> zeros(mLockBuffer ? 0 : count, TColor32(0u));
  if (mLockBuffer) {
    std::fill(mLockBuffer, mLockBuffer + count, TColor32(0u));
  }
  glBindTexture(GL_TEXTURE_2D, mGLName);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, mInternalWidth, mInternalHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  mLockBuffer ? mLockBuffer : zeros.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  mLockBufferCurrent = mLockBuffer != nullptr;
  mLockBufferWrites = sGLWrites;
  mBlank = true;
  mBlankWrites = sGLWrites;
}

void TGLTextureData::CopyPixels(int x, int y, const TRect* src, boost::shared_ptr<TTexture> dest)
{
  DrawPendingSprites();
  NoteGLWrite();
  TRect source = src ? *src : TRect(0, 0, static_cast<int>(mWidth), static_cast<int>(mHeight));
  TGLDisplayHandler* handler = Handler();
  TGLTextureData* destData = dest ? static_cast<TGLTextureData*>(dest->GetTextureData()) : nullptr;
  if (dest && (!destData || destData->IsMemoryTexture())) {
    return;
  }
  if (dest) {
    glDisable(GL_SCISSOR_TEST);
  } else {
    glEnable(GL_SCISSOR_TEST);
  }
  TRenderer::EBlendMode savedBlend = handler->GetBlendMode();
  handler->SetBlendMode(TRenderer::kBlendOpaque);
  glDisable(GL_BLEND);
  if (IsMemoryTexture()) {
    if (dest) {
      DrawSV(x, y, source, dest);
    } else {
      DrawSFB(x, y, source);
    }
  } else if (dest) {
    DrawVV(x, y, source, dest);
  } else {
    Draw(x, y, source, true);
  }
  handler->SetBlendMode(savedBlend);
  glEnable(GL_SCISSOR_TEST);
}

void TGLTextureData::DrawSFB(int x, int y, const TRect& rect)
{
  DrawPendingSprites();
  NoteGLWrite();
  if (!mMemoryPixels) {
    return;
  }
  TGLDisplayHandler* handler = Handler();
  TRect viewport;
  TRenderer::GetInstance()->GetViewport(&viewport);
  TRect area = TRect::Intersect(rect, viewport);
  if (area.right <= area.left || area.bottom <= area.top) {
    return;
  }
  const int displayHeight = handler->GetDisplayHeight();
  glPushAttrib(GL_SCISSOR_BIT | GL_ENABLE_BIT | GL_PIXEL_MODE_BIT);
  glEnable(GL_SCISSOR_TEST);
  const int originX = x - rect.left;
  const int originY = y - rect.top;
  // The image's pixels go down the screen from its top row.
  glScissor(x, displayHeight - (y + (rect.bottom - rect.top)), rect.right - rect.left, rect.bottom - rect.top);
  glPixelZoom(1.0f, -1.0f);
  glWindowPos2i(originX, displayHeight - originY);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(mInternalWidth));
  glDrawPixels(mWidth, mHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, mMemoryPixels);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelZoom(1.0f, 1.0f);
  glPopAttrib();
  glWindowPos2i(0, 0);
}

void TGLTextureData::DrawSV(int x, int y, const TRect& src, boost::shared_ptr<TTexture> dest)
{
  DrawPendingSprites();
  NoteGLWrite();
  TGLTextureData* destData = static_cast<TGLTextureData*>(dest->GetTextureData());
  if (!mMemoryPixels || !destData->mHasName) {
    return;
  }
  // The source stays within this image and the destination within the other.
  TRect source = TRect::Intersect(src, TRect(0, 0, static_cast<int>(mWidth), static_cast<int>(mHeight)));
  int left = x + (source.left - src.left);
  int top = y + (source.top - src.top);
  TRect target(left, top, left + (source.right - source.left), top + (source.bottom - source.top));
  TRect clipped =
      TRect::Intersect(target, TRect(0, 0, static_cast<int>(destData->mWidth), static_cast<int>(destData->mHeight)));
  if (clipped.right <= clipped.left || clipped.bottom <= clipped.top) {
    return;
  }
  glBindTexture(GL_TEXTURE_2D, destData->mGLName);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(mInternalWidth));
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, clipped.left - left + source.left);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, clipped.top - top + source.top);
  glPixelStorei(GL_UNPACK_IMAGE_HEIGHT, 0);
  glTexSubImage2D(GL_TEXTURE_2D, 0, clipped.left, clipped.top, clipped.right - clipped.left,
                  clipped.bottom - clipped.top, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, mMemoryPixels);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
}

void TGLTextureData::Draw(int x, int y, const TRect& src, bool flip)
{
  DrawPendingSprites();
  NoteGLWrite();
  if (!mHasName) {
    return;
  }
  TGLDisplayHandler* handler = Handler();
  TRenderer* renderer = TRenderer::GetInstance();
  const bool opened2d = !renderer->In2d();
  const TRenderer::EBlendMode blend = handler->GetBlendMode();
  if (opened2d) {
    handler->Begin2d();
    handler->SetBlendMode(blend);
  }
  const float width = static_cast<float>(src.right - src.left);
  const float height = static_cast<float>(src.bottom - src.top);
  const float displayHeight = static_cast<float>(handler->GetDisplayHeight());
  TVec2 corners[4];
  if (!flip) {
    corners[0] = TVec2(0, displayHeight);
    corners[1] = TVec2(width, displayHeight);
    corners[2] = TVec2(width, displayHeight - height);
    corners[3] = TVec2(0, displayHeight - height);
  } else if (handler->RenderTargetIsScreen()) {
    corners[0] = TVec2(0, displayHeight - height);
    corners[1] = TVec2(width, displayHeight - height);
    corners[2] = TVec2(width, displayHeight);
    corners[3] = TVec2(0, displayHeight);
  } else {
    corners[0] = TVec2(0, 0);
    corners[1] = TVec2(width, 0);
    corners[2] = TVec2(width, height);
    corners[3] = TVec2(0, height);
  }
  const float internalWidth = static_cast<float>(mInternalWidth);
  const float internalHeight = static_cast<float>(mInternalHeight);
  TVec2 uv[2] = {TVec2(src.left / internalWidth, src.top / internalHeight),
                 TVec2(src.right / internalWidth, src.bottom / internalHeight)};
  TTransformedLitVert verts[4];
  CreateVertsFromRect(TVec2(static_cast<float>(x), static_cast<float>(y)), verts, corners, uv, TMat3(), 1.0f,
                      TColor(1, 1, 1, 1));
  handler->PushViewport(0, 0, handler->GetDisplayWidth(), handler->GetDisplayHeight());
  renderer->PushClippingRectangle(TURect(0, 0, handler->GetDisplayWidth(), handler->GetDisplayHeight()));
  handler->SetTextureData(this);
  handler->DrawVertices(TRenderer::kDrawTriangleFan, TVertexSet(verts, 4));
  handler->SetTextureData(nullptr);
  renderer->PopClippingRectangle();
  handler->PopViewport();
  if (opened2d) {
    handler->End2d();
  }
}

void TGLTextureData::DrawVV(int x, int y, const TRect& src, boost::shared_ptr<TTexture> dest)
{
  DrawPendingSprites();
  NoteGLWrite();
  TGLTextureData* destData = static_cast<TGLTextureData*>(dest->GetTextureData());
  if (!mHasName || !destData->mHasName || destData == this) {
    return;
  }
  TRect source =
      TRect::Intersect(src, TRect(0, 0, static_cast<int>(mInternalWidth), static_cast<int>(mInternalHeight)));
  int left = x + (source.left - src.left);
  int top = y + (source.top - src.top);
  TRect target(left, top, left + (source.right - source.left), top + (source.bottom - source.top));
  TRect clipped = TRect::Intersect(
      target, TRect(0, 0, static_cast<int>(destData->mInternalWidth), static_cast<int>(destData->mInternalHeight)));
  if (clipped.right <= clipped.left || clipped.bottom <= clipped.top) {
    return;
  }
  TGLDisplayHandler* handler = Handler();
  if (!handler->BindScratchReadTarget(mGLName)) {
    return;
  }
  glBindTexture(GL_TEXTURE_2D, destData->mGLName);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, clipped.left, clipped.top, source.left + (clipped.left - left),
                      source.top + (clipped.top - top), clipped.right - clipped.left, clipped.bottom - clipped.top);
  glBindTexture(GL_TEXTURE_2D, 0);
  handler->BindFrameBuffer();
}
