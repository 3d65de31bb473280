// scenerenderer: the few drawing calls the scene engine makes (sprites, the screen mask,
// text rendered into textures); forwards to the engine's renderer, and lets tests record.
#pragma once

#include <boost/shared_ptr.hpp>

#include "core/foundation/color.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"

class TDrawSpec;
class TTexture;
struct TFont;
struct TMaterial;
struct TTransformedLitVert;

class TSceneRenderer
{
public:
  virtual ~TSceneRenderer() {}

  virtual void DrawSprite(const boost::shared_ptr<TTexture>& texture, const TDrawSpec& spec) = 0;
  // Screen-space vertices drawn untextured as one triangle strip, normal blending.
  virtual void DrawStrip(TTransformedLitVert* vertices, unsigned count, TMaterial* material) = 0;
  // A blank texture with alpha that text can be rendered into; empty when none can be made.
  virtual boost::shared_ptr<TTexture> CreateTexture(unsigned width, unsigned height) = 0;
  // Clears target, lays text out in a box of rect's size (alignment code as the text
  // objects keep it) and draws it unblended at rect's top-left corner with the font's draw
  // value as the underline distance; the laid-out bounds go to *bounds.
  virtual void RenderText(const boost::shared_ptr<TTexture>& target, const str& text, const TRect& rect,
                          unsigned alignment, const TFont& font, TRect* bounds) = 0;

  // The renderer in use: the engine's unless one was installed. Install returns the
  // renderer it replaces (null stands for the engine's); it is not owned.
  static TSceneRenderer* Get();
  static TSceneRenderer* Install(TSceneRenderer* renderer);
};

// Draws nothing and makes no textures: for running scenes without a display.
class TNullSceneRenderer : public TSceneRenderer
{
public:
  void DrawSprite(const boost::shared_ptr<TTexture>&, const TDrawSpec&) override {}
  void DrawStrip(TTransformedLitVert*, unsigned, TMaterial*) override {}
  boost::shared_ptr<TTexture> CreateTexture(unsigned, unsigned) override { return {}; }
  void RenderText(const boost::shared_ptr<TTexture>&, const str&, const TRect&, unsigned, const TFont&, TRect*) override
  {}
};
