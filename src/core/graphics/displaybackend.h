// displaybackend: what the renderer and the textures need of the drawing back end (frames,
// viewports, draw state, vertex drawing, fills, render targets, texture data).
#pragma once

#include <boost/shared_ptr.hpp>

#include "core/foundation/color.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"
#include "core/graphics/displayhost.h"
#include "core/graphics/renderer.h"

class TTexture;
class TTextureData;
class TVertexSet;

// The renderer owns one back end, made when the renderer is made: by the factory the
// platform registered (the OpenGL one), else a null back end that draws nothing.
class TDisplayBackend
{
public:
  typedef TDisplayBackend* (*TFactory)();

  virtual ~TDisplayBackend() {}

  // Sizes the display and its frame (the OpenGL back end needs a current context).
  virtual void SetDisplay(unsigned width, unsigned height, bool fullscreen) = 0;
  virtual void GetDisplay(unsigned* width, unsigned* height, bool* fullscreen) const = 0;

  // A frame: begin with the window's facts for it (none without a window), end (the cursor
  // is drawn there), and the work after the frame rate and the HUD are done (presentation).
  virtual bool BeginDraw(bool copyFront, const TFrameFacts& frame) = 0;
  virtual void EndDraw(bool flag) = 0;
  virtual void PostEndDraw(bool swap) = 0;
  virtual bool Begin2d() = 0;
  virtual void End2d() = 0;

  virtual void GetViewport(int* left, int* top, int* right, int* bottom) const = 0;
  virtual void PushViewport(int left, int top, int right, int bottom) = 0;
  virtual void PopViewport() = 0;
  virtual void SetClipRectangle(const TURect& clip) = 0;

  virtual void SetBlendMode(TRenderer::EBlendMode mode) = 0;
  virtual void SetTextureMapMode(TRenderer::ETextureMapMode u, TRenderer::ETextureMapMode v) = 0;
  virtual void SetCullMode(TRenderer::ECullMode mode) = 0;
  virtual void SetMaterial(TMaterial* material) = 0;
  virtual void SetAmbientColor(const TColor& color) = 0;
  virtual void SetTexture(const boost::shared_ptr<TTexture>& texture) = 0;
  // True when textures must be power-of-two squares.
  virtual bool GetTextureSquareFlag() const = 0;
  virtual void SetOption(str name, str value) = 0;

  virtual void DrawVertices(TRenderer::EDrawType type, const TVertexSet& set) = 0;
  virtual void DrawIndexedVertices(TRenderer::EDrawType type, const TVertexSet& set, unsigned short* indices,
                                   int count) = 0;
  // Viewport coordinates; with a texture, fills that texture instead of the frame.
  virtual void FillRect(int left, int top, int right, int bottom, const TColor& color,
                        boost::shared_ptr<TTexture> texture) = 0;

  virtual bool BeginRenderTarget(boost::shared_ptr<TTexture> texture, TRenderer::ERenderTargetMode mode) = 0;
  virtual void EndRenderTarget() = 0;
  virtual bool RenderTargetIsScreen() const = 0;
  // Copies the top-left of the finished frame, the texture's size, into the texture,
  // leaving the frame and every draw state as they were.
  virtual bool CaptureFrame(boost::shared_ptr<TTexture> texture) = 0;

  // The pixels of a new texture, in the back end's own kind; the caller owns them.
  virtual TTextureData* NewTextureData() = 0;

  // The factory the renderer makes its back end with from now on (null: the null back
  // end). The platform registers its own at start-up, before the renderer exists.
  static void SetFactory(TFactory factory);
  static TFactory GetFactory();
  // A new back end from the registered factory, else a null one.
  static TDisplayBackend* Create();
};
