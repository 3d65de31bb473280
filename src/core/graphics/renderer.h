// renderer: the one object through which the engine draws; keeps the caller-visible draw
// state, checks the order of calls and forwards everything to the display back end.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "core/foundation/color.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"
#include "core/graphics/screenveil.h"

class TTexture;
class TVertexSet;
class TDisplayBackend;

// Surface colours of lit drawing; all zero until set.
struct TMaterial
{
  TColor mDiffuse;
  TColor mAmbient;
  TColor mSpecular;
  TColor mEmissive;
  float mPower;
  TMaterial() : mDiffuse(), mAmbient(), mSpecular(), mEmissive(), mPower(0.0f)
  {
    mDiffuse = mAmbient = mSpecular = mEmissive = ZeroColor();
  }

private:
  static TColor ZeroColor()
  {
    TColor zero;
    zero.r = zero.g = zero.b = zero.a = 0.0f;
    return zero;
  }
};

class TLight;

// Hook run first at every end of frame; nothing sets it by default.
extern void (*gPostDrawFunc)();

class TRenderer
{
public:
  enum EBlendMode
  {
    kBlendNormal = 0,
    kBlendOpaque = 1,
    kBlendAdditiveAlpha = 2,
    kBlendSubtractive = 3,
    kBlendMultiplicative = 4
  };
  enum EDrawType
  {
    kDrawPoints = 1,
    kDrawLines = 2,
    kDrawLineStrip = 3,
    kDrawTriangles = 4,
    kDrawTriangleStrip = 5,
    kDrawTriangleFan = 6
  };
  enum ECullMode
  {
    kCullNone = 1,
    kCullCW = 2,
    kCullCCW = 3
  };
  enum ETextureMapMode
  {
    kMapClamp = 0,
    kMapWrap = 1,
    kMapMirror = 2
  };
  enum EFilteringMode
  {
    kFilterPoint = 0,
    kFilterLinear = 1
  };
  enum ERenderTargetMode
  {
    kTargetOpaque = 0,
    kTargetKeepAlpha = 1,
    kTargetOpaqueOverExisting = 2,
    kTargetKeepAlphaOverExisting = 3,
    kTargetAlphaMask = 4
  };

  static TRenderer* GetInstance();
  static void ShutDown();

  bool BeginDraw(bool copyFront);
  void EndDraw(bool swap);
  bool Begin2d();
  void End2d();
  bool In2d() const;
  bool In3d() const;
  bool InDraw() const;

  void PushViewport(const TRect& viewport);
  void PopViewport();
  void GetViewport(TRect* viewport) const;

  void SetClippingRectangle(const TURect& clip);
  void PushClippingRectangle(const TURect& clip);
  void PopClippingRectangle();
  TURect GetClippingRectangle() const;

  void SetBlendMode(EBlendMode mode);
  void SetCullMode(ECullMode mode);
  void SetTextureMapMode(ETextureMapMode u, ETextureMapMode v);
  void SetMaterial(TMaterial* material);
  void SetAmbientColor(const TColor& color);
  void SetTexture(const boost::shared_ptr<TTexture>& texture);
  // The texture drawing uses now (none when the last one set was simple or none).
  const boost::shared_ptr<TTexture>& GetTexture() const;
  bool GetTextureSquareFlag() const;

  void DrawVertices(EDrawType type, const TVertexSet& set);
  void DrawIndexedVertices(EDrawType type, const TVertexSet& set, unsigned short* indices, unsigned int count);
  void FillRect(const TURect& rect, const TColor& color, boost::shared_ptr<TTexture> texture);

  bool BeginRenderTarget(boost::shared_ptr<TTexture> texture, ERenderTargetMode mode);
  void EndRenderTarget();
  void SetCaptureTexture(boost::shared_ptr<TTexture> texture);
  boost::shared_ptr<TTexture> GetCaptureTexture() const;
  // Copies the finished frame into the capture texture, if one is set, and clears it.
  // The platform's end of frame calls it before the cursor is drawn; it works through
  // the back end alone so the renderer's frame state is left as it was.
  void ServeCapture();
  // The size a capture texture must have: the screen window's, set with the display;
  // 0 x 0 (no display yet) accepts any.
  void SetCaptureSize(unsigned width, unsigned height);

  void ToggleHUD();
  void SetOption(str name, str value);

  // The black veil drawn over every presented frame, last, over the cursor and the HUD (a
  // capture never holds it): the platform fades the game's own picture with it, never the
  // display's, so a program that ends in a fade leaves the screen as it was.
  void SetVeil(const TScreenVeil& veil);

  float GetFrameRate() const;
  // The HUD's text of the last frame that showed it.
  str GetHUDText() const;
  // Replaces the HUD's own rich-text drawing (null restores it).
  static void SetHUDTextDrawer(std::function<void(const str& text)> drawer);

  // The back end made with the renderer (core/graphics/displaybackend.h).
  TDisplayBackend* GetDisplayHandler() const;

private:
  TRenderer();
  ~TRenderer();
  TRenderer(const TRenderer&) = delete;
  TRenderer& operator=(const TRenderer&) = delete;

  void ApplyClip();
  void DrawHUD();
  void DrawVeil();

  struct TRendererData;
  TRendererData* mData;
  struct THandlerHolder
  {
    TDisplayBackend* mHandler;
  };
  THandlerHolder* mHandler;

  static TRenderer* mInstance;
};

// Scope guard over one 2D block.
class TBegin2d
{
public:
  TBegin2d();
  ~TBegin2d();
  void Done();
  bool Began() const { return mBegan; }

private:
  bool mBegan;
};
