// gldisplayhandler: OpenGL 1.x state and drawing for the renderer; draws every frame into the
// window's back buffer when it has the frame's size, else into a frame buffer object that is
// presented scaled at swap; talks to GL, GLU and the display host.
#define GL_GLEXT_PROTOTYPES 1
#include "gl/gldisplayhandler.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <cstdlib>
#include <cstring>

#include "core/foundation/timesource.h"
#include "core/graphics/displayhost.h"
#include "core/graphics/texture.h"
#include "core/graphics/vertexset.h"
#include "gl/framepresenter.h"
#include "gl/gltexturedata.h"
#include "core/foundation/debug.h"

TGLDisplayHandler* TGLDisplayHandler::mInstance = nullptr;

TGLDisplayHandler* TGLDisplayHandler::CreateInstance()
{
  if (!mInstance) {
    mInstance = new TGLDisplayHandler();
  }
  return mInstance;
}

TGLDisplayHandler* TGLDisplayHandler::GetInstance()
{
  return mInstance;
}

void TGLDisplayHandler::DestroyInstance()
{
  delete mInstance;
  mInstance = nullptr;
}

void TGLDisplayHandler::Register()
{
  TDisplayBackend::SetFactory([]() -> TDisplayBackend* { return CreateInstance(); });
}

TGLDisplayHandler::TGLDisplayHandler()
{
  mInstance = this;
}

TGLDisplayHandler::~TGLDisplayHandler()
{
  FreeFrameBuffer();
  if (mInstance == this) {
    mInstance = nullptr;
  }
}

void TGLDisplayHandler::FreeFrameBuffer()
{
  if (mFrameBuffer) {
    glDeleteFramebuffers(1, &mFrameBuffer);
    glDeleteRenderbuffers(1, &mFrameColor);
    glDeleteRenderbuffers(1, &mFrameDepth);
    mFrameBuffer = mFrameColor = mFrameDepth = 0;
  }
  if (mScratchBuffer) {
    glDeleteFramebuffers(1, &mScratchBuffer);
    mScratchBuffer = 0;
  }
}

unsigned TGLDisplayHandler::GetDrawnFrameBuffer() const
{
  // Render targets always draw into the frame buffer object.
  return mDirect && !mRenderTarget ? 0u : mFrameBuffer;
}

void TGLDisplayHandler::BindFrameBuffer() const
{
  const_cast<TGLDisplayHandler*>(this)->FlushSprites();
  const unsigned frame = GetDrawnFrameBuffer();
  glBindFramebuffer(GL_FRAMEBUFFER, frame);
  if (frame) {
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
  } else if (mDirect) {
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
  }
}

bool TGLDisplayHandler::WindowTakesTheFrame()
{
  if (mWindowChecked) {
    return mWindowFits;
  }
  // The window's buffers must hold what the frame buffer object holds: colour with alpha
  // (captures read it) and the depth that 3D drawing tests; and a back buffer, since a
  // surface of one buffer (the offscreen driver's) would show frames half drawn.
  mWindowChecked = true;
  GLint previous = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  GLint red = 0, green = 0, blue = 0, alpha = 0, depth = 0, doubled = 0;
  glGetIntegerv(GL_RED_BITS, &red);
  glGetIntegerv(GL_GREEN_BITS, &green);
  glGetIntegerv(GL_BLUE_BITS, &blue);
  glGetIntegerv(GL_ALPHA_BITS, &alpha);
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  glGetIntegerv(GL_DOUBLEBUFFER, &doubled);
  glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
  mWindowFits = red == 8 && green == 8 && blue == 8 && alpha == 8 && depth >= 24 && doubled;
  return mWindowFits;
}

bool TGLDisplayHandler::BindScratchTarget(unsigned textureName)
{
  FlushSprites();
  TGLTextureData::NoteGLWrite();
  if (!mScratchBuffer) {
    glGenFramebuffers(1, &mScratchBuffer);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, mScratchBuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, textureName, 0);
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    BindFrameBuffer();
    WriteDbg("ERROR: TGLDisplayHandler: texture %u cannot be drawn into", textureName);
    return false;
  }
  return true;
}

bool TGLDisplayHandler::BindScratchReadTarget(unsigned textureName)
{
  return BindScratchTarget(textureName);
}

void TGLDisplayHandler::SetDisplay(unsigned width, unsigned height, bool fullscreen)
{
  FlushSprites();
  mDisplay = {0, 0, static_cast<int>(width), static_cast<int>(height)};
  mFullscreen = fullscreen;
  mFar = -1.0f;
  mNear = 1.0f;

  // The frame is drawn off screen so that it survives swaps (a stable "front" for
  // BeginDraw(true)) and can be read back exactly.
  GLint oldColorWidth = 0;
  GLint oldColorHeight = 0;
  if (mFrameColor) {
    glBindRenderbuffer(GL_RENDERBUFFER, mFrameColor);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &oldColorWidth);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &oldColorHeight);
  }
  if (!mFrameBuffer || oldColorWidth != mDisplay.mWidth || oldColorHeight != mDisplay.mHeight) {
    if (mFrameBuffer) {
      glDeleteFramebuffers(1, &mFrameBuffer);
      glDeleteRenderbuffers(1, &mFrameColor);
      glDeleteRenderbuffers(1, &mFrameDepth);
    }
    glGenFramebuffers(1, &mFrameBuffer);
    glGenRenderbuffers(1, &mFrameColor);
    glGenRenderbuffers(1, &mFrameDepth);
    glBindRenderbuffer(GL_RENDERBUFFER, mFrameColor);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width ? width : 1, height ? height : 1);
    glBindRenderbuffer(GL_RENDERBUFFER, mFrameDepth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width ? width : 1, height ? height : 1);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, mFrameBuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, mFrameColor);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, mFrameDepth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
      WriteDbg("ERROR: TGLDisplayHandler::SetDisplay: frame buffer %ux%u incomplete", width, height);
    }
  }
  BindFrameBuffer();

  // One display entry at the bottom of the stack: a resize replaces it rather than
  // stacking another one.
  TViewport display = {0, 0, mDisplay.mWidth, mDisplay.mHeight};
  if (mViewportStack.empty()) {
    mViewportStack.push_back(display);
  } else {
    mViewportStack[0] = display;
  }
  if (mViewportStack.size() == 1) {
    SetViewport(0, 0, mDisplay.mWidth, mDisplay.mHeight);
  }

  mWorld = TMat4();
  mView = TMat4();
  mWorldView = TMat4();
  SetPerspectiveProjection(0.1f, 1000.0f, 0.7853982f, 0.0f);

  GLfloat ambient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glLightModelf(GL_LIGHT_MODEL_LOCAL_VIEWER, 1.0f);
  GLfloat diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  GLfloat matAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
  GLfloat specular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  GLfloat emissive[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, matAmbient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emissive);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 1.0f);
  glPolygonMode(GL_FRONT, GL_FILL);
  glEnable(GL_SCISSOR_TEST);
  glDepthFunc(GL_LEQUAL);

  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  mIsNvidia = renderer && (renderer[0] == 'N' || renderer[0] == 'n') && (renderer[1] == 'V' || renderer[1] == 'v');
}

void TGLDisplayHandler::GetDisplay(unsigned* width, unsigned* height, bool* fullscreen) const
{
  if (width) {
    *width = static_cast<unsigned>(mDisplay.mWidth);
  }
  if (height) {
    *height = static_cast<unsigned>(mDisplay.mHeight);
  }
  if (fullscreen) {
    *fullscreen = IsFullscreen();
  }
}

bool TGLDisplayHandler::IsFullscreen() const
{
  TDisplayHost* host = TDisplayHost::Get();
  return host ? host->IsFullscreen() : mFullscreen;
}

void TGLDisplayHandler::GetViewport(int* left, int* top, int* right, int* bottom) const
{
  *left = mViewport.mX;
  *top = mViewport.mY;
  *right = mViewport.mX + mViewport.mWidth;
  *bottom = mViewport.mY + mViewport.mHeight;
}

int TGLDisplayHandler::TargetHeight() const
{
  return mRenderTarget ? static_cast<int>(mRenderTarget->GetHeight()) : mDisplay.mHeight;
}

void TGLDisplayHandler::PushViewport(int left, int top, int right, int bottom)
{
  mViewportStack.push_back({left, top, right - left, bottom - top});
  SetViewport(left, top, right, bottom);
}

void TGLDisplayHandler::PopViewport()
{
  if (mViewportStack.empty()) {
    return;
  }
  mViewportStack.pop_back();
  if (mViewportStack.empty()) {
    return;
  }
  const TViewport& top = mViewportStack.back();
  SetViewport(top.mX, top.mY, top.mX + top.mWidth, top.mY + top.mHeight);
}

void TGLDisplayHandler::SetViewport(int left, int top, int right, int bottom)
{
  FlushSprites();
  mViewport = {left, top, right - left, bottom - top};
  if (!mViewportStack.empty()) {
    mViewportStack.back() = mViewport;
  }
  mProjectionPending = true;
  ApplyViewport();
}

void TGLDisplayHandler::ApplyViewport()
{
  int left = std::max(mViewport.mX, 0);
  int top = std::max(mViewport.mY, 0);
  int right = std::min(mViewport.mX + mViewport.mWidth, mDisplay.mWidth);
  int bottom = std::min(mViewport.mY + mViewport.mHeight, mDisplay.mHeight);
  int width = right - left;
  int height = bottom - top;
  if (width < 1 || height < 1) {
    return;
  }
  if (mRenderTarget) {
    glViewport(left, mDisplay.mHeight - TargetHeight() + top, width, height);
  } else {
    glViewport(left, mDisplay.mHeight - top - height, width, height);
  }
}

void TGLDisplayHandler::SetClipRectangle(const TURect& clip)
{
  FlushSprites();
  mClip = clip;
  mProjectionPending = true;
  ApplyScissor(clip);
}

void TGLDisplayHandler::ApplyScissor(const TURect& clip)
{
  int left = static_cast<int>(clip.left);
  int top = static_cast<int>(clip.top);
  int width = std::max(0, static_cast<int>(clip.right) - left);
  int height = std::max(0, static_cast<int>(clip.bottom) - top);
  if (mRenderTarget) {
    glScissor(left, mDisplay.mHeight - TargetHeight() + top, width, height);
  } else {
    glScissor(left, mDisplay.mHeight - top - height, width, height);
  }
  glEnable(GL_SCISSOR_TEST);
}

bool TGLDisplayHandler::BeginDraw(bool copyFront, const TFrameFacts& frame)
{
  FlushSprites();
  mFrame = frame;
  // A window of the frame's size takes the frame itself, which its swap then presents
  // without a copy; another size takes a scaled copy of the frame buffer object. A frame
  // without a drawable size (tests, tools) gets the frame buffer object and its copy.
  const int drawableWidth = mFrame.mDrawableWidth;
  const int drawableHeight = mFrame.mDrawableHeight;
  mDirect = drawableWidth == mDisplay.mWidth && drawableHeight == mDisplay.mHeight && drawableWidth > 0 &&
            mFrameBuffer && WindowTakesTheFrame();
  BindFrameBuffer();
  GLboolean depthMask = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
  glDepthMask(GL_TRUE);
  if (mDirect) {
    // The back buffer holds nothing certain after a swap: every frame starts from black,
    // the whole of it.
    GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    if (scissor) {
      glEnable(GL_SCISSOR_TEST);
    }
  } else {
    // The frame buffer keeps the last frame, so it already is the "front" a copy would
    // bring back; nothing to copy.
    (void)copyFront;
    glClear(GL_DEPTH_BUFFER_BIT);
  }
  glDepthMask(depthMask);
  return true;
}

void TGLDisplayHandler::EndDraw(bool flag)
{
  FlushSprites();
  if (!mShowFpsChecked) {
    mShowFpsChecked = true;
    mShowFps = std::getenv("VELLUMKIT_SHOWFPS") != nullptr;
  }
  if (mShowFps) {
    unsigned now = TTimeSource::Timer();
    mFpsTimes[mFpsIndex] = now;
    mFpsIndex = (mFpsIndex + 1) % 15;
    if (mFpsIndex == 0 && now - mFpsLastReport > 1000) {
      mFpsLastReport = now;
      unsigned elapsed = now - mFpsTimes[0];
      WriteDbg("fps: %f", elapsed ? 15000.0 / elapsed : 0.0);
    }
  }
  if (!flag) {
    glFlush();
    return;
  }
  if (mFrame.mDrawCursor) {
    DrawCursor();
  }
}

void TGLDisplayHandler::DrawCursor()
{
  if (!mCursorTexture || !mCursorTexture->GetTextureData()) {
    return;
  }
  TRenderer* renderer = TRenderer::GetInstance();
  if (!renderer->Begin2d()) {
    return;
  }
  const TPoint mouse = mFrame.mPointer;
  TDrawSpec spec;
  spec.mTransform[2] = TVec3(static_cast<float>(mouse.x - mCursorHotSpot.x + 1),
                             static_cast<float>(mouse.y - mCursorHotSpot.y + 1), 1.0f);
  spec.mFlags = TDrawSpec::kCenterGiven;
  TTextureData* data = mCursorTexture->GetTextureData();
  bool simple = data->HasFlag(TTextureData::kFlagSimple);
  data->SetFlag(TTextureData::kFlagSimple, false);
  mCursorTexture->DrawSprite(spec);
  data->SetFlag(TTextureData::kFlagSimple, simple);
  renderer->End2d();
}

void TGLDisplayHandler::PostEndDraw(bool swap)
{
  if (!swap) {
    return;
  }
  PresentFrame();
}

void TGLDisplayHandler::PresentFrame()
{
  FlushSprites();
  // Drawn into the window's back buffer: the swap presents it as it is.
  if (!mFrameBuffer || mDirect) {
    return;
  }
  // One copy per frame, into the drawable as the frame began: scaled only when its size
  // differs.
  const int drawableWidth = mFrame.mDrawableWidth;
  const int drawableHeight = mFrame.mDrawableHeight;
  if (drawableWidth > 0 && drawableHeight > 0 &&
      (drawableWidth != mDisplay.mWidth || drawableHeight != mDisplay.mHeight)) {
    PresentFrameScaled(mFrameBuffer, mDisplay.mWidth, mDisplay.mHeight, drawableWidth, drawableHeight);
    return;
  }
  GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glDisable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, mFrameBuffer);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDrawBuffer(GL_BACK);
  glBlitFramebuffer(0, 0, mDisplay.mWidth, mDisplay.mHeight, 0, 0, mDisplay.mWidth, mDisplay.mHeight,
                    GL_COLOR_BUFFER_BIT, GL_NEAREST);
  BindFrameBuffer();
  if (scissor) {
    glEnable(GL_SCISSOR_TEST);
  }
}

bool TGLDisplayHandler::Begin2d()
{
  FlushSprites();
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  mDepthTest = mDepthWrite = false;
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  mBlendMode = TRenderer::kBlendNormal;
  mFilterMode = TRenderer::kFilterLinear;
  mWrapU = mWrapV = TRenderer::kMapClamp;
  m3dMode = false;
  mWorld = TMat4();
  mView = TMat4();
  mWorldView = TMat4();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  mProjectionPending = true;
  return true;
}

void TGLDisplayHandler::End2d()
{
  FlushSprites();
  m3dMode = false;
  mWorld = TMat4();
  mView = TMat4();
  mWorldView = TMat4();
}

void TGLDisplayHandler::Begin3d()
{
  FlushSprites();
  m3dMode = true;
  mBlendMode = TRenderer::kBlendNormal;
  mFilterMode = TRenderer::kFilterLinear;
  mWrapU = mWrapV = TRenderer::kMapWrap;
  glPushAttrib(GL_ENABLE_BIT);
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
  mDepthTest = mDepthWrite = true;
  SetCullMode(TRenderer::kCullCCW);
  SetProjectionMatrix(&mProjection);
  LoadModelView();
}

void TGLDisplayHandler::End3d()
{
  FlushSprites();
  glPopAttrib();
}

void TGLDisplayHandler::LoadModelView()
{
  FlushSprites();
  mWorldView = mWorld * mView;
  TMat4 modelView = mWorldView;
  if (m3dMode) {
    // The engine's 3D space is left-handed; GL's is right-handed.
    modelView.RotateY(3.14159265358979f);
    modelView.Scale(1.0f, 1.0f, -1.0f);
  }
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(modelView.Data());
}

void TGLDisplayHandler::SetWorldMatrix(const TMat4* matrix)
{
  mWorld = matrix ? *matrix : TMat4();
  LoadModelView();
}

void TGLDisplayHandler::SetViewMatrix(const TMat4* matrix)
{
  mView = matrix ? *matrix : TMat4();
  LoadModelView();
}

void TGLDisplayHandler::SetProjectionMatrix(const TMat4* matrix)
{
  FlushSprites();
  if (matrix && matrix != &mProjection) {
    mProjection = *matrix;
  }
  TMat4 projection = mProjection;
  if (mRenderTarget) {
    projection.Scale(-1.0f, -1.0f, 1.0f);
  } else {
    projection.Data()[8] = -projection.Data()[8];
    projection.Scale(-1.0f, 1.0f, 1.0f);
  }
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(projection.Data());
  glMatrixMode(GL_MODELVIEW);
  mProjectionPending = true;
}

void TGLDisplayHandler::SetPerspectiveProjection(float nearZ, float farZ, float fov, float aspect)
{
  float vLeft = static_cast<float>(mViewport.mX);
  float vTop = static_cast<float>(mViewport.mY);
  float vRight = vLeft + mViewport.mWidth;
  float vBottom = vTop + mViewport.mHeight;
  float cLeft = std::max({vLeft, 0.0f, static_cast<float>(mClip.left)});
  float cTop = std::max({vTop, 0.0f, static_cast<float>(mClip.top)});
  float cRight = std::min({vRight, static_cast<float>(mDisplay.mWidth), static_cast<float>(mClip.right)});
  float cBottom = std::min({vBottom, static_cast<float>(mDisplay.mHeight), static_cast<float>(mClip.bottom)});
  if (mClip.right <= mClip.left || mClip.bottom <= mClip.top) {
    // No clip rectangle yet: the viewport within the display.
    cRight = std::min(vRight, static_cast<float>(mDisplay.mWidth));
    cBottom = std::min(vBottom, static_cast<float>(mDisplay.mHeight));
  }
  float cWidth = cRight - cLeft;
  float cHeight = cBottom - cTop;
  float vWidth = vRight - vLeft;
  float vHeight = vBottom - vTop;
  if (cWidth <= 0 || cHeight <= 0 || vWidth <= 0 || vHeight <= 0) {
    return;
  }
  float aspectValue = aspect != 0.0f ? 1.0f / aspect : cWidth / cHeight;
  float ratio = cHeight / vHeight;
  if (ratio != 1.0f) {
    fov = 2.0f * std::atan(ratio * std::tan(fov / 2.0f));
  }
  TVec2 offset((cLeft - vLeft) / vWidth + (cRight - vRight) / vWidth,
               (cTop - vTop) / vHeight + (cBottom - vBottom) / vHeight);
  TMat4 matrix;
  matrix.OffsetPerspective(nearZ, farZ, fov, aspectValue, offset);
  SetProjectionMatrix(&matrix);
}

void TGLDisplayHandler::SetTextureMapMode(TRenderer::ETextureMapMode u, TRenderer::ETextureMapMode v)
{
  mWrapU = u;
  mWrapV = v;
}

void TGLDisplayHandler::SetCullMode(TRenderer::ECullMode mode)
{
  FlushSprites();
  mCullMode = mode;
  ApplyCull();
}

void TGLDisplayHandler::ApplyCull()
{
  // The render target's y axis points up, which flips the winding.
  switch (mCullMode) {
  case TRenderer::kCullNone:
    glDisable(GL_CULL_FACE);
    break;
  case TRenderer::kCullCW:
    glEnable(GL_CULL_FACE);
    glFrontFace(mRenderTarget ? GL_CW : GL_CCW);
    break;
  case TRenderer::kCullCCW:
    glEnable(GL_CULL_FACE);
    glFrontFace(mRenderTarget ? GL_CCW : GL_CW);
    break;
  }
}

static void ColorToFloats(const TColor& color, GLfloat out[4])
{
  out[0] = color.r;
  out[1] = color.g;
  out[2] = color.b;
  out[3] = color.a;
}

void TGLDisplayHandler::SetMaterial(TMaterial* material)
{
  FlushSprites();
  mMaterial = material;
  GLfloat diffuse[4] = {0, 0, 0, 1};
  GLfloat ambient[4] = {0, 0, 0, 1};
  GLfloat specular[4] = {0, 0, 0, 1};
  GLfloat emissive[4] = {0, 0, 0, 1};
  GLfloat power = 0.0f;
  if (material) {
    ColorToFloats(material->mDiffuse, diffuse);
    ColorToFloats(material->mAmbient, ambient);
    ColorToFloats(material->mSpecular, specular);
    ColorToFloats(material->mEmissive, emissive);
    power = material->mPower;
  }
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emissive);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, power);
}

void TGLDisplayHandler::SetAmbientColor(const TColor& color)
{
  FlushSprites();
  GLfloat ambient[4];
  ColorToFloats(color, ambient);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glLightModelf(GL_LIGHT_MODEL_LOCAL_VIEWER, 1.0f);
}

void TGLDisplayHandler::SetTexture(const boost::shared_ptr<TTexture>& texture)
{
  mCurrentTexture = texture ? static_cast<TGLTextureData*>(texture->GetTextureData()) : nullptr;
}

void TGLDisplayHandler::SetCursor(boost::shared_ptr<TTexture> texture, TPoint hotSpot, bool flag)
{
  (void)flag;
  if (texture && !mHardwareCursors && texture->GetTextureData()) {
    static_cast<TGLTextureData*>(texture->GetTextureData())->ProcessColor();
  }
  mCursorTexture = texture;
  mCursorHotSpot = hotSpot;
}

bool TGLDisplayHandler::InAlphaMaskTarget() const
{
  return mRenderTarget && mRenderTargetMode == TRenderer::kTargetAlphaMask;
}

bool TGLDisplayHandler::IsDisplay16Bit() const
{
  TDisplayHost* host = TDisplayHost::Get();
  return host && host->GetPixelSize() == 16;
}

void TGLDisplayHandler::ApplyBlendMode()
{
  FlushSprites();
  bool alphaMask = InAlphaMaskTarget();
  switch (mBlendMode) {
  case TRenderer::kBlendNormal:
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, alphaMask ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    break;
  case TRenderer::kBlendOpaque:
    glDisable(GL_BLEND);
    break;
  case TRenderer::kBlendAdditiveAlpha:
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    break;
  case TRenderer::kBlendSubtractive:
    glEnable(GL_BLEND);
    if (alphaMask) {
      glBlendFunc(GL_ONE, GL_ONE);
    } else {
      glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
    }
    break;
  case TRenderer::kBlendMultiplicative:
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    break;
  }
}

void TGLDisplayHandler::ApplyFilteringMode(bool linearMagnify, bool mipmapped)
{
  switch (mFilterMode) {
  case TRenderer::kFilterPoint:
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmapped ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    break;
  case TRenderer::kFilterLinear:
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linearMagnify ? GL_LINEAR : GL_NEAREST);
    break;
  }
}

// Sets the alpha of the texture's top-left width x height pixels to opaque, for copies of
// the frame, whose alpha is not meaningful.
static void MakeRegionOpaque(TGLTextureData* data, int width, int height)
{
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  if (data->Lock(&pixels, &pitch)) {
    for (int row = 0; row < height; ++row) {
      for (int column = 0; column < width; ++column) {
        pixels[row * pitch + column].SetAlpha(255);
      }
    }
    data->Unlock();
  }
}

static GLint WrapMode(TRenderer::ETextureMapMode mode)
{
  switch (mode) {
  case TRenderer::kMapClamp:
    return GL_CLAMP_TO_EDGE;
  case TRenderer::kMapWrap:
    return GL_REPEAT;
  case TRenderer::kMapMirror:
    return GL_MIRRORED_REPEAT;
  }
  return 0;
}

void TGLDisplayHandler::ApplyWrapModes()
{
  if (GLint wrap = WrapMode(mWrapU)) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
  }
  if (GLint wrap = WrapMode(mWrapV)) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
  }
}

void TGLDisplayHandler::ApplyLighting()
{
  glEnable(GL_LIGHTING);
  for (int slot = 0; slot < 4; ++slot) {
    if (!mLights[slot]) {
      glDisable(GL_LIGHT0 + slot);
    }
  }
}

void TGLDisplayHandler::ApplyProjection2d()
{
  FlushSprites();
  // Built from the viewport within the display, the same area glViewport covers; the
  // clip rectangle acts through the scissor only, so clipped drawing is not stretched.
  int left = std::max(mViewport.mX, 0);
  int top = std::max(mViewport.mY, 0);
  int right = std::min(mViewport.mX + mViewport.mWidth, mDisplay.mWidth);
  int bottom = std::min(mViewport.mY + mViewport.mHeight, mDisplay.mHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  if (right > left && bottom > top) {
    double dx = left - mViewport.mX;
    double dy = top - mViewport.mY;
    double width = right - left;
    double height = bottom - top;
    if (mRenderTarget) {
      glOrtho(dx, dx + width, dy, dy + height, 1.0, -1.0);
    } else {
      glOrtho(dx, dx + width, dy + height, dy, 1.0, -1.0);
    }
  }
  glMatrixMode(GL_MODELVIEW);
  mProjectionPending = false;
}

static GLenum Primitive(TRenderer::EDrawType type)
{
  switch (static_cast<int>(type)) {
  case 0:
  case TRenderer::kDrawPoints:
    return GL_POINTS;
  case TRenderer::kDrawLines:
    return GL_LINES;
  case TRenderer::kDrawLineStrip:
    return GL_LINE_STRIP;
  case TRenderer::kDrawTriangles:
    return GL_TRIANGLES;
  case TRenderer::kDrawTriangleStrip:
    return GL_TRIANGLE_STRIP;
  case TRenderer::kDrawTriangleFan:
    return GL_TRIANGLE_FAN;
  }
  return 0;
}

void TGLDisplayHandler::DrawVertices(TRenderer::EDrawType type, const TVertexSet& set)
{
  DrawArrays(type, set, nullptr, 0);
}

void TGLDisplayHandler::DrawIndexedVertices(TRenderer::EDrawType type, const TVertexSet& set, unsigned short* indices,
                                            int count)
{
  if (!indices || count <= 0) {
    return;
  }
  DrawArrays(type, set, indices, count);
}

bool TGLDisplayHandler::CanBatch(unsigned primitive, const TVertexSet& set) const
{
  // Sprites: fans of screen vertices inside a 2D block, drawn the way below draws them.
  return primitive == GL_TRIANGLE_FAN && set.GetKind() == TVertexSet::kTransformedLitVert && set.GetCount() >= 3 &&
         set.GetCount() <= 64 && !InAlphaMaskTarget() && TRenderer::GetInstance()->In2d();
}

void TGLDisplayHandler::AddToBatch(const TVertexSet& set)
{
  // One kind of batch at a time: lines gathered before are drawn first.
  if (!mBatchLines.empty()) {
    FlushSprites();
  }
  const bool textured = mCurrentTexture && mCurrentTexture->GetGLName();
  const unsigned name = textured ? mCurrentTexture->GetGLName() : 0;
  const bool mipmap = textured && mCurrentTexture->HasFlag(TTextureData::kFlagMipmap);
  if (!mBatchCounts.empty() && (name != mBatchTexture || mipmap != mBatchMipmap || mBlendMode != mBatchBlend ||
                                mFilterMode != mBatchFilter || mWrapU != mBatchWrapU || mWrapV != mBatchWrapV)) {
    FlushSprites();
  }
  if (mProjectionPending) {
    FlushSprites();
    ApplyProjection2d();
  }
  if (mBatchCounts.empty()) {
    mBatchAllQuads = true;
    mBatchAllWhite = true;
    mBatchTexture = name;
    mBatchMipmap = mipmap;
    mBatchBlend = mBlendMode;
    mBatchFilter = mFilterMode;
    mBatchWrapU = mWrapU;
    mBatchWrapV = mWrapV;
  }
  const TTransformedLitVert* verts = static_cast<const TTransformedLitVert*>(set.GetVerts());
  mBatchAllQuads = mBatchAllQuads && set.GetCount() == 4;
  for (unsigned i = 0; i < set.GetCount() && mBatchAllWhite; ++i) {
    mBatchAllWhite = verts[i].mColor.mValue == 0xFFFFFFFFu;
  }
  mBatchFirsts.push_back(static_cast<int>(mBatchVerts.size()));
  mBatchCounts.push_back(static_cast<int>(set.GetCount()));
  mBatchVerts.insert(mBatchVerts.end(), verts, verts + set.GetCount());
}

const unsigned* TGLDisplayHandler::BatchIndices(size_t* count)
{
  // Batches of quads, the common case, share one list that only ever grows.
  if (mBatchAllQuads) {
    const size_t quads = mBatchCounts.size();
    for (size_t quad = mQuadIndices.size() / 6; quad < quads; ++quad) {
      const unsigned first = static_cast<unsigned>(quad * 4);
      for (unsigned corner : {0u, 1u, 2u, 0u, 2u, 3u}) {
        mQuadIndices.push_back(first + corner);
      }
    }
    *count = quads * 6;
    return mQuadIndices.data();
  }
  mBatchIndices.clear();
  for (size_t sprite = 0; sprite < mBatchCounts.size(); ++sprite) {
    const unsigned first = static_cast<unsigned>(mBatchFirsts[sprite]);
    const unsigned fan = static_cast<unsigned>(mBatchCounts[sprite]);
    for (unsigned i = 1; i + 1 < fan; ++i) {
      mBatchIndices.push_back(first);
      mBatchIndices.push_back(first + i);
      mBatchIndices.push_back(first + i + 1);
    }
  }
  *count = mBatchIndices.size();
  return mBatchIndices.data();
}

void TGLDisplayHandler::AddLinesToBatch(const TVertexSet& set)
{
  if (!mBatchCounts.empty() || (!mBatchLines.empty() && mBlendMode != mBatchBlend)) {
    FlushSprites();
  }
  if (mBatchLines.empty()) {
    mBatchBlend = mBlendMode;
  }
  const TPreScaledTransformedLitVert* verts = static_cast<const TPreScaledTransformedLitVert*>(set.GetVerts());
  mBatchLines.insert(mBatchLines.end(), verts, verts + set.GetCount());
}

// The gathered vertices' layout: position, colour and texture coordinates in 32-byte records.
void TGLDisplayHandler::EnableBatchArrays(const void* vertices)
{
  const char* base = static_cast<const char*>(vertices);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, 32, base);
  glTexCoordPointer(2, GL_FLOAT, 32, base + 24);
  glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, 32, base + 16);
  glDisable(GL_LIGHTING);
}

void TGLDisplayHandler::FlushLines()
{
  const TRenderer::EBlendMode blend = mBlendMode;
  mBlendMode = mBatchBlend;
  ApplyBlendMode();
  mBlendMode = blend;
  glDisable(GL_TEXTURE_2D);
  EnableBatchArrays(mBatchLines.data());
  // Lines are drawn each on its own: one call draws them as their calls would have.
  DrawOnWholeTarget([&]() { glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(mBatchLines.size())); });
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  mBatchLines.clear();
}

void TGLDisplayHandler::FlushSprites()
{
  if (mFlushing || (mBatchCounts.empty() && mBatchLines.empty())) {
    return;
  }
  mFlushing = true;
  if (!mBatchLines.empty()) {
    FlushLines();
    mFlushing = false;
    return;
  }
  // The state the sprites were gathered under, applied as a draw of one of them would.
  const TRenderer::EBlendMode blend = mBlendMode;
  const TRenderer::EFilteringMode filter = mFilterMode;
  const TRenderer::ETextureMapMode wrapU = mWrapU;
  const TRenderer::ETextureMapMode wrapV = mWrapV;
  mBlendMode = mBatchBlend;
  mFilterMode = mBatchFilter;
  mWrapU = mBatchWrapU;
  mWrapV = mBatchWrapV;
  ApplyBlendMode();
  if (mBatchTexture) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, mBatchTexture);
    ApplyFilteringMode(true, mBatchMipmap);
    ApplyWrapModes();
  } else {
    glDisable(GL_TEXTURE_2D);
  }
  EnableBatchArrays(mBatchVerts.data());
  // Texels times opaque white are the texels: the texture's colour replaces the vertices',
  // which spares the rasterizer a colour to interpolate and multiply at every pixel.
  GLint envMode = 0;
  if (mBatchTexture && mBatchAllWhite) {
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    if (envMode == GL_MODULATE) {
      glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }
  }
  // The triangles each fan is made of, (first, i, i + 1), in their order, as one list.
  if (mBatchCounts.size() == 1) {
    glDrawArrays(GL_TRIANGLE_FAN, mBatchFirsts[0], mBatchCounts[0]);
  } else {
    size_t count = 0;
    const unsigned* indices = BatchIndices(&count);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(count), GL_UNSIGNED_INT, indices);
  }
  if (envMode == GL_MODULATE) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  }
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  mBlendMode = blend;
  mFilterMode = filter;
  mWrapU = wrapU;
  mWrapV = wrapV;
  mBatchVerts.clear();
  mBatchFirsts.clear();
  mBatchCounts.clear();
  mFlushing = false;
}

void TGLDisplayHandler::DrawOnWholeTarget(const std::function<void()>& draw)
{
  // Pre-scaled vertices are target pixels: the viewport is the whole target and only the
  // viewport within the clip rectangle is drawn.
  TRect viewport(mViewport.mX, mViewport.mY, mViewport.mX + mViewport.mWidth, mViewport.mY + mViewport.mHeight);
  TRect clip(static_cast<int>(mClip.left), static_cast<int>(mClip.top), static_cast<int>(mClip.right),
             static_cast<int>(mClip.bottom));
  TRect scissor = TRect::Intersect(viewport, clip);
  ApplyScissor(TURect(std::max(scissor.left, 0), std::max(scissor.top, 0),
                      std::max(scissor.right, std::max(scissor.left, 0)),
                      std::max(scissor.bottom, std::max(scissor.top, 0))));
  int targetWidth = mRenderTarget ? static_cast<int>(mRenderTarget->GetWidth()) : mDisplay.mWidth;
  int targetHeight = TargetHeight();
  PushViewport(0, 0, targetWidth, targetHeight);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  if (mRenderTarget) {
    glOrtho(0, targetWidth, 0, targetHeight, 1.0, -1.0);
  } else {
    glOrtho(0, targetWidth, targetHeight, 0, 1.0, -1.0);
  }
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  draw();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  PopViewport();
  ApplyScissor(mClip);
}

void TGLDisplayHandler::DrawArrays(TRenderer::EDrawType type, const TVertexSet& set, unsigned short* indices, int count)
{
  const GLenum primitive = Primitive(type);
  const unsigned vertexCount = set.GetCount();
  const char* base = static_cast<const char*>(set.GetVerts());
  if (!base || vertexCount == 0) {
    return;
  }
  if (!indices && CanBatch(primitive, set)) {
    AddToBatch(set);
    return;
  }
  if (!indices && primitive == GL_LINES && set.GetKind() == TVertexSet::kPreScaledTransformedLitVert &&
      !InAlphaMaskTarget()) {
    AddLinesToBatch(set);
    return;
  }
  FlushSprites();
  ApplyBlendMode();

  const bool alphaMask = InAlphaMaskTarget();
  const bool untextured = primitive == GL_POINTS || primitive == GL_LINES || primitive == GL_LINE_STRIP ||
                          !mCurrentTexture || !mCurrentTexture->GetGLName();
  bool replaceCombiner = false;
  if (untextured) {
    if (alphaMask) {
      glEnable(GL_TEXTURE_2D);
      glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_REPLACE);
      replaceCombiner = true;
    } else {
      glDisable(GL_TEXTURE_2D);
    }
  } else {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, mCurrentTexture->GetGLName());
    ApplyFilteringMode(true, mCurrentTexture->HasFlag(TTextureData::kFlagMipmap));
    ApplyWrapModes();
  }

  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  const TVertexSet::EKind kind = set.GetKind();
  TRenderer* renderer = TRenderer::GetInstance();
  if (mProjectionPending && kind != TVertexSet::kPreScaledTransformedLitVert && renderer->In2d()) {
    ApplyProjection2d();
  }
  glVertexPointer(3, GL_FLOAT, 32, base);
  glTexCoordPointer(2, GL_FLOAT, 32, base + 24);

  auto draw = [&]() {
    if (indices) {
      glDrawElements(primitive, count, GL_UNSIGNED_SHORT, indices);
    } else {
      glDrawArrays(primitive, 0, static_cast<GLsizei>(vertexCount));
    }
  };

  if (kind == TVertexSet::kVert) {
    ApplyLighting();
    if (indices) {
      glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    }
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 32, base + 12);
    draw();
    glDisableClientState(GL_NORMAL_ARRAY);
  } else {
    // TColor32 lies in memory as blue, green, red, alpha: GL reads it in place.
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, 32, base + 16);
    glDisable(GL_LIGHTING);
    if (kind == TVertexSet::kLitVert) {
      draw();
    } else if (kind == TVertexSet::kTransformedLitVert) {
      if (renderer->In2d() && !mProjectionPending) {
        // Inside a 2D block the 2D projection already is the one these vertices need.
        draw();
      } else {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        ApplyProjection2d();
        glMatrixMode(GL_MODELVIEW);
        draw();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        mProjectionPending = true;
      }
    } else {
      DrawOnWholeTarget(draw);
    }
    glDisableClientState(GL_COLOR_ARRAY);
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  if (replaceCombiner) {
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
  }
}

void TGLDisplayHandler::FillRect(int left, int top, int right, int bottom, const TColor& color,
                                 boost::shared_ptr<TTexture> texture)
{
  FlushSprites();
  if (texture) {
    if (TTextureData* data = texture->GetTextureData()) {
      static_cast<TGLTextureData*>(data)->FillRect(left, top, right, bottom, color, mAvoidFillIf16Bit);
    }
    return;
  }
  const bool alphaMask = InAlphaMaskTarget();
  if (!alphaMask && !mRenderTarget && !mDepthTest) {
    // An opaque rectangle of one colour in the frame is a clear of that rectangle within
    // the scissor box: the same pixels, without drawing a quad.
    GLint box[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    const bool scissor = glIsEnabled(GL_SCISSOR_TEST);
    int x0 = left;
    int y0 = mDisplay.mHeight - bottom;
    int x1 = right;
    int y1 = mDisplay.mHeight - top;
    if (scissor) {
      x0 = std::max(x0, box[0]);
      y0 = std::max(y0, box[1]);
      x1 = std::min(x1, box[0] + box[2]);
      y1 = std::min(y1, box[1] + box[3]);
    }
    if (x1 <= x0 || y1 <= y0) {
      return;
    }
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glScissor(x0, y0, x1 - x0, y1 - y0);
    glEnable(GL_SCISSOR_TEST);
    glClearColor(color.r, color.g, color.b, color.a);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glScissor(box[0], box[1], box[2], box[3]);
    if (!scissor) {
      glDisable(GL_SCISSOR_TEST);
    }
    return;
  }
  TRenderer::EBlendMode savedBlend = mBlendMode;
  if (alphaMask) {
    glEnable(GL_TEXTURE_2D);
    mBlendMode = TRenderer::kBlendNormal;
    ApplyBlendMode();
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_REPLACE);
  } else {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
  }
  glDisable(GL_LIGHTING);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glColor4f(color.r, color.g, color.b, color.a);
  if (mRenderTarget) {
    int targetWidth = static_cast<int>(mRenderTarget->GetWidth());
    int targetHeight = TargetHeight();
    glOrtho(mDisplay.mX, mDisplay.mX + targetWidth, mDisplay.mY + targetHeight, mDisplay.mY, 1.0, -1.0);
    PushViewport(0, 0, targetWidth, targetHeight);
    glRecti(left, targetHeight - bottom, right, targetHeight - top);
  } else {
    glOrtho(mDisplay.mX, mDisplay.mX + mDisplay.mWidth, mDisplay.mY, mDisplay.mY + mDisplay.mHeight, 1.0, -1.0);
    PushViewport(0, 0, mDisplay.mWidth, mDisplay.mHeight);
    glRecti(left, mDisplay.mHeight - top, right, mDisplay.mHeight - bottom);
  }
  PopViewport();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  if (alphaMask) {
    mBlendMode = savedBlend;
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
  }
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

TTextureData* TGLDisplayHandler::NewTextureData()
{
  return new TGLTextureData();
}

void TGLDisplayHandler::SetOption(str name, str value)
{
  if (name == "x") {
    mOptionX = value.to_int();
  } else if (name == "y") {
    mOptionY = value.to_int();
  } else if (name == "texture_rectangle") {
    mSquareOnly = value.to_int() == 0;
  } else if (name == "avoid_fillrect_if_16bit") {
    mAvoidFillIf16Bit = value == "true";
  } else if (name == "mac_use_hw_cursors") {
    mHardwareCursors = value == "1";
  }
}

bool TGLDisplayHandler::BeginRenderTarget(boost::shared_ptr<TTexture> texture, TRenderer::ERenderTargetMode mode)
{
  FlushSprites();
  if (!texture || !texture->GetTextureData()) {
    return false;
  }
  // The target is a region of the frame buffer: a texture that does not fit would be
  // read back from outside it.
  if (static_cast<int>(texture->GetWidth()) > mDisplay.mWidth ||
      static_cast<int>(texture->GetHeight()) > mDisplay.mHeight) {
    WriteDbg("ERROR: BeginRenderTarget: texture %ux%u is larger than the display %dx%d", texture->GetWidth(),
             texture->GetHeight(), mDisplay.mWidth, mDisplay.mHeight);
    return false;
  }
  mRenderTarget = texture;
  mRenderTargetMode = mode;
  BindFrameBuffer();
  const int width = static_cast<int>(texture->GetWidth());
  const int height = static_cast<int>(texture->GetHeight());
  PushViewport(0, 0, width, height);
  ApplyCull();

  // Clears touch only the target's region of the frame.
  glScissor(0, mDisplay.mHeight - height, width, height);
  glEnable(GL_SCISSOR_TEST);
  GLboolean depthMask = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
  glDepthMask(GL_TRUE);
  if (mode == TRenderer::kTargetAlphaMask) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_PRIMARY_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_ALPHA);
    GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, white);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_CONSTANT);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  } else {
    glClear(GL_DEPTH_BUFFER_BIT);
  }
  glDepthMask(depthMask);
  if (mode == TRenderer::kTargetOpaqueOverExisting || mode == TRenderer::kTargetKeepAlphaOverExisting) {
    TRect whole(0, 0, width, height);
    texture->GetTextureData()->CopyPixels(0, 0, &whole, boost::shared_ptr<TTexture>());
  }
  ApplyScissor(mClip);
  return true;
}

void TGLDisplayHandler::EndRenderTarget()
{
  FlushSprites();
  if (!mRenderTarget) {
    return;
  }
  boost::shared_ptr<TTexture> texture = mRenderTarget;
  TGLTextureData* data = static_cast<TGLTextureData*>(texture->GetTextureData());
  const int width = static_cast<int>(texture->GetWidth());
  const int height = static_cast<int>(texture->GetHeight());
  const int regionBottom = mDisplay.mHeight - height;
  BindFrameBuffer();
  TGLTextureData::NoteGLWrite();
  if (mRenderTargetMode != TRenderer::kTargetAlphaMask) {
    if (data->GetGLName()) {
      glBindTexture(GL_TEXTURE_2D, data->GetGLName());
      glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, regionBottom, width, height);
      glBindTexture(GL_TEXTURE_2D, 0);
    }
    if ((mRenderTargetMode == TRenderer::kTargetOpaque || mRenderTargetMode == TRenderer::kTargetOpaqueOverExisting) &&
        data->HasFlag(TTextureData::kFlagAlpha)) {
      MakeRegionOpaque(data, width, height);
    }
  } else if (data->HasFlag(TTextureData::kFlagAlpha)) {
    glFinish();
    std::vector<TColor32> coverage(static_cast<size_t>(width) * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, regionBottom, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, coverage.data());
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    if (data->Lock(&pixels, &pitch)) {
      // Row 0 of the read-back is the region's lowest row, which is the texture's row 0.
      for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
          pixels[row * pitch + column].SetAlpha(coverage[row * width + column].Blue());
        }
      }
      data->Unlock();
    }
  }
  const bool alphaMask = mRenderTargetMode == TRenderer::kTargetAlphaMask;
  mRenderTarget.reset();
  // Back to where the frame is drawn.
  BindFrameBuffer();
  if (alphaMask) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  }
  ApplyCull();
  ApplyScissor(mClip);
  PopViewport();
}

bool TGLDisplayHandler::CaptureFrame(boost::shared_ptr<TTexture> texture)
{
  FlushSprites();
  TGLTextureData* data = texture ? static_cast<TGLTextureData*>(texture->GetTextureData()) : nullptr;
  if (!data || !data->GetGLName() || !mFrameBuffer || mRenderTarget) {
    return false;
  }
  const int width = std::min(static_cast<int>(texture->GetWidth()), mDisplay.mWidth);
  const int height = std::min(static_cast<int>(texture->GetHeight()), mDisplay.mHeight);
  if (width < 1 || height < 1 || !BindScratchTarget(data->GetGLName())) {
    return false;
  }
  // Frame rows count up from the bottom, texture rows down from the top: the blit's
  // destination is given upside down so the texture holds the frame upright.
  GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glDisable(GL_SCISSOR_TEST);
  const unsigned frame = GetDrawnFrameBuffer();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, frame);
  glReadBuffer(frame ? GL_COLOR_ATTACHMENT0 : GL_BACK);
  glBlitFramebuffer(0, mDisplay.mHeight - height, width, mDisplay.mHeight, 0, height, width, 0, GL_COLOR_BUFFER_BIT,
                    GL_NEAREST);
  BindFrameBuffer();
  if (scissor) {
    glEnable(GL_SCISSOR_TEST);
  }
  if (data->HasFlag(TTextureData::kFlagAlpha)) {
    MakeRegionOpaque(data, width, height);
  }
  return true;
}
