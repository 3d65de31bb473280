// particlerenderer: how particle records become pixels: the renderer interface of the
// particle systems and the 2D renderer that draws each record as a quad through TRenderer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>

#include <boost/shared_ptr.hpp>

#include "core/foundation/str.h"
#include "core/foundation/vec.h"
#include "core/graphics/renderer.h"
#include "core/graphics/vertexset.h"

class TTexture;

class TParticleRenderer
{
public:
  virtual ~TParticleRenderer() {}
  virtual void Draw(TVec3 const& position, float alpha, std::list<float*> const& particles, int capacity) = 0;
  // The same over the records in an array, in the live list's order (a particle system
  // keeps them so); by default through the list.
  virtual void DrawRecords(TVec3 const& position, float alpha, float* const* records, size_t count, int capacity)
  {
    Draw(position, alpha, std::list<float*>(records, records + count), capacity);
  }
  virtual void SetTexture(boost::shared_ptr<TTexture> texture) = 0;
  virtual void SetRendererOption(str name, float const (&values)[4]) = 0;
  virtual float* GetPrototypeParticle() = 0;
  virtual int GetPrototypeParticleSize() = 0;
  // Lua text run before the effect script; it declares the renderer's members.
  virtual str GetLuaInitString() = 0;
};

// Where the 2D particle renderer sends its draw calls: the engine's renderer unless
// another target is installed (tests record the calls).
class TParticleDrawTarget
{
public:
  virtual ~TParticleDrawTarget() {}
  virtual void SetTexture(boost::shared_ptr<TTexture> texture) = 0;
  virtual void SetBlendMode(TRenderer::EBlendMode mode) = 0;
  virtual void DrawVertices(TRenderer::EDrawType type, const TVertexSet& set) = 0;
  virtual void DrawIndexedVertices(TRenderer::EDrawType type, const TVertexSet& set, unsigned short* indices,
                                   unsigned int count) = 0;
};

class T2dParticleRenderer : public TParticleRenderer
{
public:
  static constexpr int kPrototypeSize = 10;
  // Quads one indexed draw can address with 16-bit indices.
  static constexpr unsigned kMaxQuadsPerDraw = 16384;

  T2dParticleRenderer();
  ~T2dParticleRenderer() override;

  void Draw(TVec3 const& position, float alpha, std::list<float*> const& particles, int capacity) override;
  void DrawRecords(TVec3 const& position, float alpha, float* const* records, size_t count, int capacity) override;
  void SetTexture(boost::shared_ptr<TTexture> texture) override;
  void SetRendererOption(str name, float const (&values)[4]) override;
  float* GetPrototypeParticle() override { return mPrototype; }
  int GetPrototypeParticleSize() override { return kPrototypeSize; }
  str GetLuaInitString() override;

  // Installs a draw target (null restores the engine's renderer); returns the old one.
  static TParticleDrawTarget* SetDrawTarget(TParticleDrawTarget* target);

  uint32_t mBlendMode;
  TVec2 mSize;
  float mPrototype[kPrototypeSize];
  boost::shared_ptr<TTexture> mTexture;
  bool mBrokenIndexedVerts;

  static int mParticleSystems;
  static TTransformedLitVert* mVertBuffer;
  static unsigned mVertBufferSize;
  static unsigned short* mIndices;
  static unsigned mIndexQuads;
  // The vertices per quad for which the shared buffer holds the corners of the whole
  // texture; 0 after a draw of an animated texture wrote its frames' corners.
  static unsigned mCornersFor;

private:
  T2dParticleRenderer(const T2dParticleRenderer&) = delete;
  T2dParticleRenderer& operator=(const T2dParticleRenderer&) = delete;

  void GrowBuffers(unsigned capacity, unsigned vertsPerQuad);
};
