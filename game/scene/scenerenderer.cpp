// scenerenderer: the few drawing calls the scene engine makes (sprites, the screen mask,
// text rendered into textures); forwards to the engine's renderer, and lets tests record.
#include "scene/scenerenderer.h"

#include "core/foundation/installable.h"
#include "core/graphics/renderer.h"
#include "core/graphics/textgraphic.h"
#include "core/graphics/texture.h"
#include "core/graphics/vertexset.h"

namespace {

class TEngineSceneRenderer : public TSceneRenderer
{
public:
  void DrawSprite(const boost::shared_ptr<TTexture>& texture, const TDrawSpec& spec) override
  {
    if (texture)
      texture->DrawSprite(spec);
  }

  void DrawStrip(TTransformedLitVert* vertices, unsigned count, TMaterial* material) override
  {
    TRenderer* renderer = TRenderer::GetInstance();
    renderer->SetBlendMode(TRenderer::kBlendNormal);
    // The last sprite's texture would otherwise tint the strip.
    renderer->SetTexture(boost::shared_ptr<TTexture>());
    renderer->SetMaterial(material);
    renderer->DrawVertices(TRenderer::kDrawTriangleStrip, TVertexSet(vertices, count));
  }

  boost::shared_ptr<TTexture> CreateTexture(unsigned width, unsigned height) override
  {
    return TTexture::Create(width, height, true);
  }

  void RenderText(const boost::shared_ptr<TTexture>& target, const str& text, const TRect& rect, unsigned alignment,
                  const TFont& font, TRect* bounds) override
  {
    if (!target)
      return;
    target->Clear();
    unsigned width = rect.right > rect.left ? unsigned(rect.right - rect.left) : 0;
    unsigned height = rect.bottom > rect.top ? unsigned(rect.bottom - rect.top) : 0;
    unsigned size = font.mSize > 0 ? unsigned(font.mSize) : 0;
    TTextGraphic* graphic = TTextGraphic::Create(text, width, height, alignment, font.mFace.c_str(), size, font.mColor);
    if (!graphic)
      return;
    graphic->SetNoBlend();
    graphic->Draw(rect, 1.0f, font.mReserved, 1.0f, target);
    graphic->GetTextBounds(bounds, 1.0f);
    graphic->Destroy();
  }
};

TSceneRenderer* EngineRenderer()
{
  static TEngineSceneRenderer engine;
  return &engine;
}

TInstallable<TSceneRenderer> gRenderer(&EngineRenderer);

} // namespace

TSceneRenderer* TSceneRenderer::Get()
{
  return gRenderer.Get();
}

TSceneRenderer* TSceneRenderer::Install(TSceneRenderer* renderer)
{
  return gRenderer.Install(renderer);
}
