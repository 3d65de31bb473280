// renderer: draw-state bookkeeping, call-order checks, frame timing and the HUD; talks
// to the display back end, the display host, the platform configuration and timer.
#include "core/graphics/renderer.h"

#include "core/foundation/config.h"
#include "core/foundation/timesource.h"
#include "core/graphics/displaybackend.h"
#include "core/graphics/displayhost.h"
#include "core/graphics/textgraphic.h"
#include "core/graphics/texture.h"
#include "core/graphics/vertexset.h"
#include "core/foundation/debug.h"

void (*gPostDrawFunc)() = nullptr;

TRenderer* TRenderer::mInstance = nullptr;

static std::function<void(const str&)>& HudDrawer()
{
  static std::function<void(const str&)> drawer;
  return drawer;
}

struct TRenderer::TRendererData
{
  uint32_t mFrameIndex = 0;
  float mFrameRate = 0.0f;
  uint32_t mFrameTimes[15] = {};
  bool mHudVisible = false;
  str mHudText;
  TTextGraphic* mHudGraphic = nullptr;
  boost::shared_ptr<TTexture> mCurrentTexture;
  boost::shared_ptr<TTexture> mCaptureTexture;
  std::vector<TURect> mClipStack;
  bool mIn2d = false;
  bool mIn3d = false;
  bool mInDraw = false;
  bool mInRenderTarget = false;
  bool mFrameRateFlag = true;
  unsigned mCaptureWidth = 0;
  unsigned mCaptureHeight = 0;
  TScreenVeil mVeil;
};

TRenderer* TRenderer::GetInstance()
{
  if (!mInstance) {
    mInstance = new TRenderer();
  }
  return mInstance;
}

void TRenderer::ShutDown()
{
  delete mInstance;
  mInstance = nullptr;
}

TRenderer::TRenderer() : mData(new TRendererData()), mHandler(new THandlerHolder())
{
  mHandler->mHandler = TDisplayBackend::Create();
}

TRenderer::~TRenderer()
{
  // Textures held here must go before the back end that their GL names belong to.
  mData->mCurrentTexture.reset();
  mData->mCaptureTexture.reset();
  if (mData->mHudGraphic) {
    mData->mHudGraphic->Destroy();
  }
  delete mData;
  delete mHandler->mHandler;
  delete mHandler;
}

TDisplayBackend* TRenderer::GetDisplayHandler() const
{
  return mHandler->mHandler;
}

bool TRenderer::BeginDraw(bool copyFront)
{
  // Without a host (tests, tools that own their context) the frame has no window to know of.
  TFrameFacts frame;
  if (TDisplayHost* host = TDisplayHost::Get()) {
    frame = host->BeginFrame();
  }
  mData->mInDraw = GetDisplayHandler()->BeginDraw(copyFront, frame);
  return mData->mInDraw;
}

void TRenderer::EndDraw(bool swap)
{
  if (gPostDrawFunc) {
    gPostDrawFunc();
  }
  // The capture is served before the cursor is drawn, so it never holds the cursor.
  ServeCapture();
  GetDisplayHandler()->EndDraw(swap);

  uint32_t now = TTimeSource::Timer();
  mData->mFrameTimes[mData->mFrameIndex] = now;
  mData->mFrameIndex = (mData->mFrameIndex + 1) % 15;
  if (mData->mFrameIndex == 0) {
    uint32_t elapsed = now - mData->mFrameTimes[0];
    mData->mFrameRate = elapsed ? 15000.0f / static_cast<float>(elapsed) : 0.0f;
  }
  if (mData->mHudVisible) {
    DrawHUD();
  }
  if (swap) {
    DrawVeil();
  }
  mData->mInDraw = false;
  GetDisplayHandler()->PostEndDraw(swap);
  if (!swap) {
    return;
  }
  if (TDisplayHost* host = TDisplayHost::Get()) {
    host->SwapBuffers();
  }
}

void TRenderer::DrawHUD()
{
  long totalKb = static_cast<long>(qvGetTotalAllocated() / 1024);
  long maxKb = static_cast<long>(qvGetMaxAllocated() / 1024);
  long textureKb = TConfig::Get("texture_ram_allocated", "").to_int() / 1024;
  long maxTextureKb = TConfig::Get("max_texture_ram_allocated", "").to_int() / 1024;
  int sprites = TConfig::Get("current_sprite_count", "").to_int();
  mData->mHudText =
      str::getFormatted("Vellumkit Version %d.%d.%d.%d<br>%f FPS<tab pos='150'>Sprites: %d<br>Mem: "
                        "%ldkB<tab pos='150'>TexMem: %ldkB<br>MaxMem: %ldkB<tab pos='150'>MaxTexMem: %ldkB<br>",
                        4, 0, 22, 1, mData->mFrameRate, sprites, totalKb, textureKb, maxKb, maxTextureKb);
  bool began = Begin2d();
  FillRect(TURect(0, 0, 300, 64), TColor(0, 0, 0, 0), boost::shared_ptr<TTexture>());
  if (HudDrawer()) {
    HudDrawer()(mData->mHudText);
  } else {
    if (!mData->mHudGraphic) {
      mData->mHudGraphic = TTextGraphic::Create(str(), 512, 512, 0, nullptr, 16, TColor(1, 0, 0, 1));
    }
    mData->mHudGraphic->SetText(mData->mHudText);
    mData->mHudGraphic->Draw(TRect(0, 0, 512, 512), 1.0f, 0, 1.0f, boost::shared_ptr<TTexture>());
  }
  if (began) {
    End2d();
  }
}

void TRenderer::SetVeil(const TScreenVeil& veil)
{
  mData->mVeil = veil;
}

void TRenderer::DrawVeil()
{
  const float opacity = mData->mVeil.OpacityAt(TTimeSource::Timer());
  unsigned width = 0, height = 0;
  GetDisplayHandler()->GetDisplay(&width, &height, nullptr);
  if (opacity <= 0.0f || !width || !height) {
    return;
  }
  // A frame that left its 2D block open gets the veil inside it.
  const bool began = !In2d() && Begin2d();
  if (!In2d()) {
    return;
  }
  // The whole frame, whatever viewport and clip its drawing left behind.
  PushViewport(TRect(0, 0, int(width), int(height)));
  GetDisplayHandler()->SetClipRectangle(TURect(0, 0, width, height));
  SetTexture(boost::shared_ptr<TTexture>());
  SetBlendMode(kBlendNormal);
  const TColor32 black(0, 0, 0, static_cast<unsigned char>(opacity * 255.0f + 0.5f));
  const float right = float(width), bottom = float(height);
  TTransformedLitVert corners[4] = {};
  const TVec2 positions[4] = {TVec2(0.0f, 0.0f), TVec2(right, 0.0f), TVec2(right, bottom), TVec2(0.0f, bottom)};
  for (int i = 0; i < 4; ++i) {
    corners[i].mPos = TVec3(positions[i].x, positions[i].y, 0.1f);
    corners[i].mRhw = 0.5f;
    corners[i].mColor = black;
    corners[i].mSecondColor = TColor32(0, 0, 0, 255);
  }
  DrawVertices(kDrawTriangleFan, TVertexSet(corners, 4));
  PopViewport();
  if (!mData->mClipStack.empty()) {
    ApplyClip();
  }
  if (began) {
    End2d();
  }
}

void TRenderer::SetHUDTextDrawer(std::function<void(const str& text)> drawer)
{
  HudDrawer() = std::move(drawer);
}

str TRenderer::GetHUDText() const
{
  return mData->mHudText;
}

float TRenderer::GetFrameRate() const
{
  return mData->mFrameRate;
}

bool TRenderer::Begin2d()
{
  if (mData->mIn2d) {
    WriteDbg("Begin2d called when already in Begin2d state");
    return false;
  }
  if (mData->mIn3d) {
    WriteDbg("Begin2d called when already in Begin3d state");
    return false;
  }
  if (!mData->mInDraw && !mData->mInRenderTarget) {
    WriteDbg("ERROR: Calling Begin2d outside of a BeginDraw or BeginRenderTarget block!");
    return false;
  }
  mData->mIn2d = GetDisplayHandler()->Begin2d();
  return mData->mIn2d;
}

void TRenderer::End2d()
{
  if (!mData->mIn2d) {
    WriteDbg("End2d called when not in Begin2d state");
    return;
  }
  if (!mData->mInDraw && !mData->mInRenderTarget) {
    WriteDbg("ERROR: Calling End2d after EndDraw or EndRenderTarget!");
  }
  GetDisplayHandler()->End2d();
  mData->mIn2d = false;
}

bool TRenderer::In2d() const
{
  return mData->mIn2d;
}

bool TRenderer::In3d() const
{
  return mData->mIn3d;
}

bool TRenderer::InDraw() const
{
  return mData->mInDraw || mData->mInRenderTarget;
}

void TRenderer::PushViewport(const TRect& viewport)
{
  GetDisplayHandler()->PushViewport(viewport.left, viewport.top, viewport.right, viewport.bottom);
}

void TRenderer::PopViewport()
{
  GetDisplayHandler()->PopViewport();
}

void TRenderer::GetViewport(TRect* viewport) const
{
  GetDisplayHandler()->GetViewport(&viewport->left, &viewport->top, &viewport->right, &viewport->bottom);
}

void TRenderer::ApplyClip()
{
  GetDisplayHandler()->SetClipRectangle(mData->mClipStack.back());
}

void TRenderer::SetClippingRectangle(const TURect& clip)
{
  if (mData->mClipStack.empty()) {
    mData->mClipStack.push_back(clip);
  } else {
    mData->mClipStack.back() = clip;
  }
  ApplyClip();
}

void TRenderer::PushClippingRectangle(const TURect& clip)
{
  mData->mClipStack.push_back(clip);
  ApplyClip();
}

void TRenderer::PopClippingRectangle()
{
  if (mData->mClipStack.size() < 2) {
    return;
  }
  mData->mClipStack.pop_back();
  ApplyClip();
}

TURect TRenderer::GetClippingRectangle() const
{
  return mData->mClipStack.empty() ? TURect() : mData->mClipStack.back();
}

void TRenderer::SetBlendMode(EBlendMode mode)
{
  GetDisplayHandler()->SetBlendMode(mode);
}

void TRenderer::SetCullMode(ECullMode mode)
{
  GetDisplayHandler()->SetCullMode(mode);
}

void TRenderer::SetTextureMapMode(ETextureMapMode u, ETextureMapMode v)
{
  GetDisplayHandler()->SetTextureMapMode(u, v);
}

void TRenderer::SetMaterial(TMaterial* material)
{
  GetDisplayHandler()->SetMaterial(material);
}

void TRenderer::SetAmbientColor(const TColor& color)
{
  GetDisplayHandler()->SetAmbientColor(color);
}

void TRenderer::SetTexture(const boost::shared_ptr<TTexture>& texture)
{
  if (texture && texture->IsSimple()) {
    mData->mCurrentTexture.reset();
  } else if (mData->mCurrentTexture != texture) {
    mData->mCurrentTexture = texture;
  }
  GetDisplayHandler()->SetTexture(mData->mCurrentTexture);
}

const boost::shared_ptr<TTexture>& TRenderer::GetTexture() const
{
  return mData->mCurrentTexture;
}

bool TRenderer::GetTextureSquareFlag() const
{
  return GetDisplayHandler()->GetTextureSquareFlag();
}

void TRenderer::DrawVertices(EDrawType type, const TVertexSet& set)
{
  if (!mData->mIn2d && !mData->mIn3d) {
    WriteDbg("DrawVertices called when not in Begin2d or Begin3d state");
    return;
  }
  GetDisplayHandler()->DrawVertices(type, set);
}

void TRenderer::DrawIndexedVertices(EDrawType type, const TVertexSet& set, unsigned short* indices, unsigned int count)
{
  if (!mData->mIn2d && !mData->mIn3d) {
    WriteDbg("DrawIndexedVertices called when not in Begin2d or Begin3d state");
    return;
  }
  GetDisplayHandler()->DrawIndexedVertices(type, set, indices, static_cast<int>(count));
}

void TRenderer::FillRect(const TURect& rect, const TColor& color, boost::shared_ptr<TTexture> texture)
{
  if (texture) {
    GetDisplayHandler()->FillRect(static_cast<int>(rect.left), static_cast<int>(rect.top), static_cast<int>(rect.right),
                                  static_cast<int>(rect.bottom), color, texture);
    return;
  }
  TRect viewport;
  GetViewport(&viewport);
  TRect moved(static_cast<int>(rect.left) + viewport.left, static_cast<int>(rect.top) + viewport.top,
              static_cast<int>(rect.right) + viewport.left, static_cast<int>(rect.bottom) + viewport.top);
  TRect fill = TRect::Intersect(moved, viewport);
  // A rectangle outside the viewport comes out inverted; filling it would cover the
  // span between its edges.
  if (fill.right <= fill.left || fill.bottom <= fill.top) {
    return;
  }
  GetDisplayHandler()->FillRect(fill.left, fill.top, fill.right, fill.bottom, color, boost::shared_ptr<TTexture>());
}

bool TRenderer::BeginRenderTarget(boost::shared_ptr<TTexture> texture, ERenderTargetMode mode)
{
  if (!texture || texture->IsSimple() || mData->mInDraw || mData->mInRenderTarget) {
    return false;
  }
  bool began = GetDisplayHandler()->BeginRenderTarget(texture, mode);
  if (!began) {
    return false;
  }
  mData->mInDraw = began;
  mData->mInRenderTarget = began;
  return began;
}

void TRenderer::EndRenderTarget()
{
  GetDisplayHandler()->EndRenderTarget();
  mData->mInDraw = false;
  mData->mInRenderTarget = false;
}

void TRenderer::SetCaptureSize(unsigned width, unsigned height)
{
  mData->mCaptureWidth = width;
  mData->mCaptureHeight = height;
}

void TRenderer::SetCaptureTexture(boost::shared_ptr<TTexture> texture)
{
  if (texture && mData->mCaptureWidth && mData->mCaptureHeight &&
      (texture->GetWidth() != mData->mCaptureWidth || texture->GetHeight() != mData->mCaptureHeight)) {
    return;
  }
  mData->mCaptureTexture = texture;
}

boost::shared_ptr<TTexture> TRenderer::GetCaptureTexture() const
{
  return mData->mCaptureTexture;
}

void TRenderer::ServeCapture()
{
  boost::shared_ptr<TTexture> capture = mData->mCaptureTexture;
  if (!capture) {
    return;
  }
  // One shot, whatever happens below.
  mData->mCaptureTexture.reset();
  TDisplayBackend* handler = GetDisplayHandler();
  if (capture->IsSimple() || !handler->RenderTargetIsScreen()) {
    return;
  }
  handler->CaptureFrame(capture);
}

void TRenderer::ToggleHUD()
{
  mData->mHudVisible = !mData->mHudVisible;
}

void TRenderer::SetOption(str name, str value)
{
  if (name == "fps") {
    mData->mFrameRateFlag = value.to_int() != 0;
  }
  GetDisplayHandler()->SetOption(name, value);
}

TBegin2d::TBegin2d() : mBegan(TRenderer::GetInstance()->Begin2d()) {}

TBegin2d::~TBegin2d()
{
  Done();
}

void TBegin2d::Done()
{
  if (mBegan) {
    TRenderer::GetInstance()->End2d();
    mBegan = false;
  }
}
