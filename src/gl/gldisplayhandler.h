// gldisplayhandler: the OpenGL 1.x back end of the renderer: viewport stack, projections,
// blend/cull/filter state, vertex drawing, fills, render targets and the frame buffer.
#pragma once

#include <functional>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "core/foundation/color.h"
#include "core/foundation/mat.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"
#include "core/graphics/displaybackend.h"
#include "core/graphics/renderer.h"
#include "core/graphics/vertexset.h"

class TTexture;
class TTextureData;
class TGLTextureData;

// The renderer owns the one instance (made through the factory Register installs); the
// platform and the texture data reach it through GetInstance for what is OpenGL's own.
class TGLDisplayHandler : public TDisplayBackend
{
public:
  static TGLDisplayHandler* CreateInstance();
  static TGLDisplayHandler* GetInstance();
  static void DestroyInstance();
  // Makes the renderer create this back end from now on (the platform calls it at
  // start-up, test programs before their tests).
  static void Register();

  // Sizes the display and its frame buffer; needs a current GL context.
  void SetDisplay(unsigned width, unsigned height, bool fullscreen = false) override;
  void RebuildDisplay() {}
  void GetDisplay(unsigned* width, unsigned* height, bool* fullscreen) const override;
  bool IsFullscreen() const;

  void GetViewport(int* left, int* top, int* right, int* bottom) const override;
  void PushViewport(int left, int top, int right, int bottom) override;
  void PopViewport() override;
  void SetViewport(int left, int top, int right, int bottom);
  size_t GetViewportDepth() const { return mViewportStack.size(); }

  void SetClipRectangle(const TURect& clip) override;

  bool BeginDraw(bool copyFront, const TFrameFacts& frame) override;
  void EndDraw(bool flag) override;
  void PostEndDraw(bool swap) override;
  // Copies the frame buffer to the window's own buffer (done at swap).
  void PresentFrame();

  bool Begin2d() override;
  void End2d() override;
  void Begin3d();
  void End3d();

  void SetWorldMatrix(const TMat4* matrix);
  void SetViewMatrix(const TMat4* matrix);
  void SetProjectionMatrix(const TMat4* matrix);
  void SetPerspectiveProjection(float nearZ, float farZ, float fov, float aspect);

  void SetBlendMode(TRenderer::EBlendMode mode) override { mBlendMode = mode; }
  TRenderer::EBlendMode GetBlendMode() const { return mBlendMode; }
  void SetTextureMapMode(TRenderer::ETextureMapMode u, TRenderer::ETextureMapMode v) override;
  void SetCullMode(TRenderer::ECullMode mode) override;
  void SetMaterial(TMaterial* material) override;
  void SetAmbientColor(const TColor& color) override;
  void SetTexture(const boost::shared_ptr<TTexture>& texture) override;
  void SetTextureData(TGLTextureData* data) { mCurrentTexture = data; }
  void SetCursor(boost::shared_ptr<TTexture> texture, TPoint hotSpot, bool flag);
  bool UsesHardwareCursors() const { return mHardwareCursors; }

  void DrawVertices(TRenderer::EDrawType type, const TVertexSet& set) override;
  void DrawIndexedVertices(TRenderer::EDrawType type, const TVertexSet& set, unsigned short* indices,
                           int count) override;
  void FillRect(int left, int top, int right, int bottom, const TColor& color,
                boost::shared_ptr<TTexture> texture) override;

  TTextureData* NewTextureData() override;
  bool GetTextureSquareFlag() const override { return mSquareOnly; }
  bool IsSquareOnly() const { return mSquareOnly; }
  bool RenderTargetIsScreen() const override { return !mRenderTarget; }
  bool InAlphaMaskTarget() const;
  bool AvoidFillIf16Bit() const { return mAvoidFillIf16Bit; }
  bool IsDisplay16Bit() const;

  void SetOption(str name, str value) override;

  bool BeginRenderTarget(boost::shared_ptr<TTexture> texture, TRenderer::ERenderTargetMode mode) override;
  void EndRenderTarget() override;
  // Copies the top-left of the finished frame, the texture's size, into the texture the
  // right way up, leaving the frame and every draw state as they were.
  bool CaptureFrame(boost::shared_ptr<TTexture> texture) override;

  // GL name of the frame buffer object (0 before SetDisplay): render targets draw into it,
  // and so does every frame unless the window takes the frame itself.
  unsigned GetFrameBuffer() const { return mFrameBuffer; }
  // GL name of the framebuffer the frame is drawn into now: 0 when it is the window's back
  // buffer (a window of the frame's size), else the frame buffer object.
  unsigned GetDrawnFrameBuffer() const;
  // Binds the framebuffer the frame is drawn into again after scratch work on another one.
  void BindFrameBuffer() const;
  // A framebuffer object for texture fills, clears and copies, with the given texture
  // attached as its colour buffer; bound on return. Returns false when GL refuses it.
  bool BindScratchTarget(unsigned textureName);
  // Makes the shared scratch framebuffer read from a texture (for copies out of it).
  bool BindScratchReadTarget(unsigned textureName);

  int GetDisplayWidth() const { return mDisplay.mWidth; }
  int GetDisplayHeight() const { return mDisplay.mHeight; }

  // Applies the blend mode to GL (used by the texture copies, which work outside draws).
  void ApplyBlendMode();
  void ApplyProjection2d();

  // Draws the sprites gathered so far. Consecutive sprites (2D triangle fans of screen
  // vertices) with the same texture, blend, filter and wrap modes are gathered and drawn
  // with one call; everything else that touches GL state, a texture or the frame draws
  // them first, so what reaches the frame is what one call per sprite would have drawn.
  void FlushSprites();
  // Sprites waiting to be drawn (for tests).
  size_t GetPendingSprites() const { return mBatchCounts.size(); }
  // Vertices of lines waiting to be drawn (for tests).
  size_t GetPendingLineVertices() const { return mBatchLines.size(); }

  // Read-only state for tests and the texture code.
  int GetOptionX() const { return mOptionX; }
  TRenderer::ECullMode GetCullMode() const { return mCullMode; }

private:
  TGLDisplayHandler();
  // Private: the renderer deletes its back end through TDisplayBackend.
  ~TGLDisplayHandler() override;
  TGLDisplayHandler(const TGLDisplayHandler&) = delete;
  TGLDisplayHandler& operator=(const TGLDisplayHandler&) = delete;

  struct TViewport
  {
    int mX, mY, mWidth, mHeight;
  };

  void ApplyViewport();
  void ApplyScissor(const TURect& clip);
  void ApplyCull();
  void ApplyFilteringMode(bool linearMagnify, bool mipmapped);
  void ApplyWrapModes();
  void ApplyLighting();
  void LoadModelView();
  void DrawArrays(TRenderer::EDrawType type, const TVertexSet& set, unsigned short* indices, int count);
  void DrawCursor();
  // Whether the draw can join the sprite batch, and joining it.
  bool CanBatch(unsigned primitive, const TVertexSet& set) const;
  void AddToBatch(const TVertexSet& set);
  // Lines of pre-scaled vertices (text spans) gather the same way.
  void AddLinesToBatch(const TVertexSet& set);
  void FlushLines();
  void EnableBatchArrays(const void* vertices);
  // Draws with pre-scaled vertices: the whole target as viewport, scissored to the
  // viewport within the clip rectangle.
  void DrawOnWholeTarget(const std::function<void()>& draw);
  // The triangles of the batch's fans, (first, i, i + 1) each, in order.
  const unsigned* BatchIndices(size_t* count);
  int TargetHeight() const;
  void FreeFrameBuffer();
  // Whether the window's buffers can hold the frame as the frame buffer object does.
  bool WindowTakesTheFrame();

  int mOptionX = 0;
  int mOptionY = 0;
  std::vector<TViewport> mViewportStack;
  TViewport mViewport = {0, 0, 320, 240};
  TViewport mDisplay = {0, 0, 320, 240};
  TGLTextureData* mCurrentTexture = nullptr;
  boost::shared_ptr<TTexture> mCursorTexture;
  TPoint mCursorHotSpot;
  float mFar = -1.0f;
  float mNear = 1.0f;
  TMaterial* mMaterial = nullptr;
  TRenderer::ECullMode mCullMode = TRenderer::kCullNone;
  TMat4 mWorld;
  TMat4 mView;
  TMat4 mProjection;
  TMat4 mWorldView;
  bool mSquareOnly = true;
  TRenderer::EBlendMode mBlendMode = TRenderer::kBlendNormal;
  TRenderer::EFilteringMode mFilterMode = TRenderer::kFilterPoint;
  TRenderer::ETextureMapMode mWrapU = TRenderer::kMapClamp;
  TRenderer::ETextureMapMode mWrapV = TRenderer::kMapClamp;
  TLight* mLights[4] = {nullptr, nullptr, nullptr, nullptr};
  bool mIsNvidia = false;
  TURect mClip;
  boost::shared_ptr<TTexture> mRenderTarget;
  TRenderer::ERenderTargetMode mRenderTargetMode = TRenderer::kTargetOpaque;
  bool mProjectionPending = true;
  bool m3dMode = true;
  bool mDepthWrite = false;
  bool mDepthTest = false;
  bool mAvoidFillIf16Bit = false;
  bool mHardwareCursors = false;
  bool mFullscreen = false;

  // The frame buffer object every frame is drawn into, and a scratch one in place of
  // the auxiliary colour buffer, which Mesa does not offer.
  unsigned mFrameBuffer = 0;
  unsigned mFrameColor = 0;
  unsigned mFrameDepth = 0;
  unsigned mScratchBuffer = 0;
  // What the window told of the frame in progress when it began.
  TFrameFacts mFrame;
  // The frame in progress is drawn into the window's back buffer.
  bool mDirect = false;
  bool mWindowChecked = false;
  bool mWindowFits = false;

  // The sprite batch: its vertices, each sprite's first vertex and count, and the state
  // it is drawn with.
  std::vector<TTransformedLitVert> mBatchVerts;
  std::vector<int> mBatchFirsts;
  std::vector<int> mBatchCounts;
  std::vector<unsigned> mBatchIndices;
  std::vector<TPreScaledTransformedLitVert> mBatchLines;
  std::vector<unsigned> mQuadIndices;
  bool mBatchAllQuads = true;
  // Every vertex of the batch is opaque white, so the texture alone gives the colour.
  bool mBatchAllWhite = true;
  unsigned mBatchTexture = 0; // GL name; 0 for untextured sprites
  bool mBatchMipmap = false;
  TRenderer::EBlendMode mBatchBlend = TRenderer::kBlendNormal;
  TRenderer::EFilteringMode mBatchFilter = TRenderer::kFilterPoint;
  TRenderer::ETextureMapMode mBatchWrapU = TRenderer::kMapClamp;
  TRenderer::ETextureMapMode mBatchWrapV = TRenderer::kMapClamp;
  bool mFlushing = false;

  // Frame-rate log ("VELLUMKIT_SHOWFPS").
  bool mShowFpsChecked = false;
  bool mShowFps = false;
  unsigned mFpsTimes[15] = {};
  unsigned mFpsIndex = 0;
  unsigned mFpsLastReport = 0;

  static TGLDisplayHandler* mInstance;
};
