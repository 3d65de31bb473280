// 2D particle renderer tests on a recording draw target: member declarations, options,
// the exact quads, colours and indices, batching, six-vertex mode, animated frames; and the collection.
#include "core/particles/particlerenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <list>
#include <vector>

#include "platform/platform.h"
#include "core/foundation/file.h"
#include "core/graphics/animatedtexture.h"
#include "core/particles/particlecollection.h"
#include "support/vfssandbox.h"

namespace {

class TRecordingTarget : public TParticleDrawTarget
{
public:
  struct TDraw
  {
    TRenderer::EDrawType mType;
    std::vector<TTransformedLitVert> mVerts;
    std::vector<unsigned short> mIndices;
    bool mIndexed;
  };
  void SetTexture(boost::shared_ptr<TTexture> texture) override { mTextures.push_back(texture); }
  void SetBlendMode(TRenderer::EBlendMode mode) override { mBlendModes.push_back(mode); }
  void DrawVertices(TRenderer::EDrawType type, const TVertexSet& set) override { Record(type, set, nullptr, 0); }
  void DrawIndexedVertices(TRenderer::EDrawType type, const TVertexSet& set, unsigned short* indices,
                           unsigned int count) override
  {
    Record(type, set, indices, count);
  }

  std::vector<boost::shared_ptr<TTexture>> mTextures;
  std::vector<TRenderer::EBlendMode> mBlendModes;
  std::vector<TDraw> mDraws;

private:
  void Record(TRenderer::EDrawType type, const TVertexSet& set, unsigned short* indices, unsigned count)
  {
    EXPECT_EQ(TVertexSet::kTransformedLitVert, set.GetKind());
    TDraw draw;
    draw.mType = type;
    const TTransformedLitVert* verts = static_cast<const TTransformedLitVert*>(set.GetVerts());
    draw.mVerts.assign(verts, verts + set.GetCount());
    draw.mIndexed = indices != nullptr;
    if (indices)
      draw.mIndices.assign(indices, indices + count);
    mDraws.push_back(draw);
  }
};

class ParticleRendererTest : public ::testing::Test
{
protected:
  void SetUp() override { T2dParticleRenderer::SetDrawTarget(&mTarget); }
  void TearDown() override
  {
    T2dParticleRenderer::SetDrawTarget(nullptr);
    TPlatform::SetConfig("brokenindexedverts", "");
    TPlatform::SetConfig(TPlatform::kAdjustAnimatedParticles, "");
  }

  // A record from the prototype with a position, up, scale, colour and frame.
  static std::vector<float> Particle(float x, float y, float ux = 0, float uy = -1, float scale = 1, float alpha = 1,
                                     float frame = 0)
  {
    return {x, y, ux, uy, scale, 1, 0.5f, 0.25f, alpha, frame};
  }
  void Draw(T2dParticleRenderer& renderer, std::vector<std::vector<float>>& records, TVec3 position = TVec3(),
            float alpha = 1, int capacity = -1)
  {
    std::list<float*> live;
    for (std::vector<float>& record : records)
      live.push_back(record.data());
    renderer.Draw(position, alpha, live, capacity < 0 ? (int)records.size() : capacity);
  }

  TRecordingTarget mTarget;
};

// A texture of a given size without pixels: only its size is read.
class TSizedTexture : public TTexture
{
public:
  TSizedTexture(unsigned w, unsigned h) : mW(w), mH(h) {}
  unsigned GetWidth() const override { return mW; }
  unsigned GetHeight() const override { return mH; }
  unsigned mW, mH;
};

} // namespace

TEST_F(ParticleRendererTest, DeclaresItsMembersAndPrototype)
{
  T2dParticleRenderer renderer;
  EXPECT_EQ("pPosition = Allocate(2);\npUp = Allocate(2);\npScale = Allocate(1);\npColor = Allocate(4);\npFrame = "
            "Allocate(1);\n",
            std::string(renderer.GetLuaInitString().c_str()));
  ASSERT_EQ(10, renderer.GetPrototypeParticleSize());
  EXPECT_EQ((std::vector<float>{0, 0, 0, -1, 1, 1, 1, 1, 1, 0}),
            std::vector<float>(renderer.GetPrototypeParticle(), renderer.GetPrototypeParticle() + 10));
  EXPECT_EQ(TVec2(1, 1), renderer.mSize);
}

TEST_F(ParticleRendererTest, BlendModeOptionIsHeldToTheRenderersModes)
{
  T2dParticleRenderer renderer;
  const float additive[4] = {2, 0, 0, 0};
  renderer.SetRendererOption("blendmode", additive);
  EXPECT_EQ(2u, renderer.mBlendMode);
  const float negative[4] = {-3, 0, 0, 0};
  renderer.SetRendererOption("blendmode", negative);
  EXPECT_EQ(0u, renderer.mBlendMode);
  const float large[4] = {40, 0, 0, 0};
  renderer.SetRendererOption("blendmode", large);
  EXPECT_EQ(4u, renderer.mBlendMode);
  renderer.SetRendererOption("other", additive);
  EXPECT_EQ(4u, renderer.mBlendMode);
}

TEST_F(ParticleRendererTest, QuadCoversItsSizeAroundThePosition)
{
  T2dParticleRenderer renderer;
  renderer.mSize = TVec2(32, 16);
  const float additive[4] = {2, 0, 0, 0};
  renderer.SetRendererOption("blendmode", additive);
  std::vector<std::vector<float>> records = {Particle(100, 50)};
  Draw(renderer, records);

  ASSERT_EQ(1u, mTarget.mDraws.size());
  const TRecordingTarget::TDraw& draw = mTarget.mDraws[0];
  EXPECT_EQ(TRenderer::kDrawTriangles, draw.mType);
  ASSERT_TRUE(draw.mIndexed);
  ASSERT_EQ(4u, draw.mVerts.size());
  EXPECT_EQ((std::vector<unsigned short>{0, 1, 2, 1, 3, 2}), draw.mIndices);
  const float xs[4] = {83.5f, 115.5f, 83.5f, 115.5f};
  const float ys[4] = {41.5f, 41.5f, 57.5f, 57.5f};
  const float us[4] = {0, 1, 0, 1};
  const float vs[4] = {0, 0, 1, 1};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(xs[i], draw.mVerts[i].mPos.x) << i;
    EXPECT_FLOAT_EQ(ys[i], draw.mVerts[i].mPos.y) << i;
    EXPECT_EQ(0, draw.mVerts[i].mPos.z);
    EXPECT_EQ(0.5f, draw.mVerts[i].mRhw);
    EXPECT_EQ(0xffffffffu, draw.mVerts[i].mSecondColor.mValue);
    EXPECT_EQ(TVec2(us[i], vs[i]), draw.mVerts[i].mUV) << i;
    // Red 1, green 0.5, blue 0.25, alpha 1.
    EXPECT_EQ(0xffff7f3fu, draw.mVerts[i].mColor.mValue) << i;
  }
  // The system's blend mode while drawing, then back to normal.
  EXPECT_EQ((std::vector<TRenderer::EBlendMode>{TRenderer::kBlendAdditiveAlpha, TRenderer::kBlendNormal}),
            mTarget.mBlendModes);
  ASSERT_EQ(1u, mTarget.mTextures.size());
  EXPECT_FALSE(mTarget.mTextures[0]);
}

TEST_F(ParticleRendererTest, UpDirectionTurnsAndScaleAndOffsetMoveTheQuad)
{
  T2dParticleRenderer renderer;
  renderer.mSize = TVec2(32, 16);
  std::vector<std::vector<float>> records = {Particle(100, 50, 1, 0, 2)};
  Draw(renderer, records, TVec3(10, 20, 0.25f));
  ASSERT_EQ(1u, mTarget.mDraws.size());
  const std::vector<TTransformedLitVert>& verts = mTarget.mDraws[0].mVerts;
  // A quarter turn: the quad's width now runs along y, its height along x; scale 2.
  float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
  for (const TTransformedLitVert& v : verts) {
    minX = std::min(minX, v.mPos.x);
    maxX = std::max(maxX, v.mPos.x);
    minY = std::min(minY, v.mPos.y);
    maxY = std::max(maxY, v.mPos.y);
    EXPECT_EQ(0.25f, v.mPos.z);
  }
  EXPECT_FLOAT_EQ(109.5f - 16, minX);
  EXPECT_FLOAT_EQ(109.5f + 16, maxX);
  EXPECT_FLOAT_EQ(69.5f - 32, minY);
  EXPECT_FLOAT_EQ(69.5f + 32, maxY);
  // The texture's top-left corner turned with it: to the top-right of the screen.
  EXPECT_FLOAT_EQ(109.5f + 16, verts[0].mPos.x);
  EXPECT_FLOAT_EQ(69.5f - 32, verts[0].mPos.y);
}

TEST_F(ParticleRendererTest, VertexAlphaIsTheParticlesTimesTheDraws)
{
  T2dParticleRenderer renderer;
  std::vector<std::vector<float>> records = {Particle(0, 0, 0, -1, 1, 0.5f), Particle(0, 0, 0, -1, 1, 1)};
  Draw(renderer, records, TVec3(), 0.5f);
  ASSERT_EQ(1u, mTarget.mDraws.size());
  ASSERT_EQ(8u, mTarget.mDraws[0].mVerts.size());
  EXPECT_EQ(63, mTarget.mDraws[0].mVerts[0].mColor.Alpha());
  EXPECT_EQ(127, mTarget.mDraws[0].mVerts[4].mColor.Alpha());
  // Out-of-range colours saturate instead of spilling into the next channel.
  records = {{0, 0, 0, -1, 1, 2, -1, 0, 1, 0}};
  Draw(renderer, records, TVec3(), 3.0f);
  EXPECT_EQ(0xffff0000u, mTarget.mDraws[1].mVerts[0].mColor.mValue);
}

TEST_F(ParticleRendererTest, ZeroCapacityDrawsNothing)
{
  T2dParticleRenderer renderer;
  std::vector<std::vector<float>> records = {Particle(1, 1)};
  TTransformedLitVert* before = T2dParticleRenderer::mVertBuffer;
  unsigned size = T2dParticleRenderer::mVertBufferSize;
  Draw(renderer, records, TVec3(), 1, 0);
  EXPECT_TRUE(mTarget.mDraws.empty());
  EXPECT_TRUE(mTarget.mBlendModes.empty());
  EXPECT_EQ(before, T2dParticleRenderer::mVertBuffer);
  EXPECT_EQ(size, T2dParticleRenderer::mVertBufferSize);
}

TEST_F(ParticleRendererTest, SharedBuffersGrowToTwiceTheCapacityAndGoWithTheLastRenderer)
{
  {
    T2dParticleRenderer first;
    T2dParticleRenderer second;
    EXPECT_EQ(2, T2dParticleRenderer::mParticleSystems);
    std::vector<std::vector<float>> records = {Particle(1, 1), Particle(2, 2), Particle(3, 3)};
    Draw(first, records, TVec3(), 1, 5);
    EXPECT_EQ(40u, T2dParticleRenderer::mVertBufferSize);
    ASSERT_EQ(1u, mTarget.mDraws.size());
    EXPECT_EQ(12u, mTarget.mDraws[0].mVerts.size());
    EXPECT_EQ((std::vector<unsigned short>{0, 1, 2, 1, 3, 2, 4, 5, 6, 5, 7, 6, 8, 9, 10, 9, 11, 10}),
              mTarget.mDraws[0].mIndices);
    // A smaller system reuses the buffer.
    TTransformedLitVert* buffer = T2dParticleRenderer::mVertBuffer;
    Draw(second, records, TVec3(), 1, 3);
    EXPECT_EQ(buffer, T2dParticleRenderer::mVertBuffer);
  }
  EXPECT_EQ(0, T2dParticleRenderer::mParticleSystems);
  EXPECT_EQ(nullptr, T2dParticleRenderer::mVertBuffer);
  EXPECT_EQ(0u, T2dParticleRenderer::mVertBufferSize);
}

TEST_F(ParticleRendererTest, LargeSystemsDrawInBatchesThatSixteenBitIndicesReach)
{
  T2dParticleRenderer renderer;
  const int count = (int)T2dParticleRenderer::kMaxQuadsPerDraw + 100;
  std::vector<std::vector<float>> records(count, Particle(5, 5));
  records.back() = Particle(300, 200);
  Draw(renderer, records);
  ASSERT_EQ(2u, mTarget.mDraws.size());
  EXPECT_EQ(T2dParticleRenderer::kMaxQuadsPerDraw * 4, mTarget.mDraws[0].mVerts.size());
  EXPECT_EQ(T2dParticleRenderer::kMaxQuadsPerDraw * 6, mTarget.mDraws[0].mIndices.size());
  EXPECT_EQ(65535, *std::max_element(mTarget.mDraws[0].mIndices.begin(), mTarget.mDraws[0].mIndices.end()));
  ASSERT_EQ(400u, mTarget.mDraws[1].mVerts.size());
  EXPECT_EQ(600u, mTarget.mDraws[1].mIndices.size());
  EXPECT_FLOAT_EQ(300 - 0.5f + 0.5f, mTarget.mDraws[1].mVerts.back().mPos.x);
}

TEST_F(ParticleRendererTest, BrokenIndexedVertsDrawSixVerticesPerParticle)
{
  TPlatform::SetConfig("brokenindexedverts", "1");
  T2dParticleRenderer renderer;
  EXPECT_TRUE(renderer.mBrokenIndexedVerts);
  renderer.mSize = TVec2(32, 16);
  std::vector<std::vector<float>> records = {Particle(100, 50), Particle(0, 0)};
  unsigned short* indices = T2dParticleRenderer::mIndices;
  Draw(renderer, records);
  ASSERT_EQ(1u, mTarget.mDraws.size());
  EXPECT_FALSE(mTarget.mDraws[0].mIndexed);
  ASSERT_EQ(12u, mTarget.mDraws[0].mVerts.size());
  EXPECT_EQ(indices, T2dParticleRenderer::mIndices);
  const float xs[6] = {83.5f, 115.5f, 83.5f, 115.5f, 115.5f, 83.5f};
  const float ys[6] = {41.5f, 41.5f, 57.5f, 41.5f, 57.5f, 57.5f};
  const float us[6] = {0, 1, 0, 1, 1, 0};
  const float vs[6] = {0, 0, 1, 0, 1, 1};
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(xs[i], mTarget.mDraws[0].mVerts[i].mPos.x) << i;
    EXPECT_FLOAT_EQ(ys[i], mTarget.mDraws[0].mVerts[i].mPos.y) << i;
    EXPECT_EQ(TVec2(us[i], vs[i]), mTarget.mDraws[0].mVerts[i].mUV) << i;
  }
}

TEST_F(ParticleRendererTest, TextureSizeBecomesTheQuadSize)
{
  T2dParticleRenderer renderer;
  boost::shared_ptr<TTexture> texture(new TSizedTexture(24, 12));
  renderer.SetTexture(texture);
  EXPECT_EQ(TVec2(24, 12), renderer.mSize);
  renderer.SetTexture(boost::shared_ptr<TTexture>());
  EXPECT_EQ(TVec2(24, 12), renderer.mSize);
}

TEST_F(ParticleRendererTest, AnimatedTexturesTakeEachParticlesFrameHeldToTheFrames)
{
  TVfsSandbox sandbox;
  sandbox.WriteFile("assets/fx/flame.xml",
                    "<sequence name=\"flame\" source=\"s\"><img name=\"flame.png\" w=\"48\" h=\"24\"/>"
                    "<framelist><frame x=\"0\" y=\"0\" w=\"16\" h=\"16\" regx=\"8\" regy=\"8\"/>"
                    "<frame x=\"16\" y=\"0\" w=\"32\" h=\"24\" regx=\"10\" regy=\"20\"/></framelist></sequence>");
  TFile::ScanForResources();
  boost::shared_ptr<TAnimatedTexture> animation(new TAnimatedTexture("fx/flame"));
  ASSERT_TRUE(animation->ParseFromXML("fx/flame.xml"));
  ASSERT_EQ(2, animation->GetFrameCount());
  // Without pixels the stored image has no size: texture coordinates stay in pixels.
  ASSERT_EQ(0, animation->GetInternalSize().first);

  T2dParticleRenderer renderer;
  renderer.SetTexture(animation);
  renderer.mSize = TVec2(16, 16);
  std::vector<std::vector<float>> records = {Particle(100, 100, 0, -1, 1, 1, 1.7f), Particle(100, 100, 0, -1, 1, 1, 7),
                                             Particle(100, 100, 0, -1, 1, 1, -3)};
  Draw(renderer, records);
  ASSERT_EQ(1u, mTarget.mDraws.size());
  const std::vector<TTransformedLitVert>& verts = mTarget.mDraws[0].mVerts;
  ASSERT_EQ(12u, verts.size());
  EXPECT_EQ(TVec2(16, 0), verts[0].mUV);
  EXPECT_EQ(TVec2(48, 24), verts[3].mUV);
  EXPECT_EQ(TVec2(16, 0), verts[4].mUV); // frame 7 held to the last frame
  EXPECT_EQ(TVec2(0, 0), verts[8].mUV);  // negative frames read frame 0
  EXPECT_EQ(TVec2(16, 16), verts[11].mUV);
  // Unadjusted quads keep the renderer's size.
  EXPECT_FLOAT_EQ(99.5f - 8, verts[0].mPos.x);
  EXPECT_EQ(animation, mTarget.mTextures[0]);

  // Aligned to frame 0: the frame's own size, shifted by the registration difference and
  // half the size difference (scale 2).
  TPlatform::SetConfig(TPlatform::kAdjustAnimatedParticles, "1");
  records = {Particle(100, 100, 0, -1, 2, 1, 1), Particle(100, 100, 0, -1, 2, 1, 9)};
  Draw(renderer, records);
  ASSERT_EQ(2u, mTarget.mDraws.size());
  const std::vector<TTransformedLitVert>& adjusted = mTarget.mDraws[1].mVerts;
  // Centre (99.5, 99.5) + ((8 - 10) + 8, (8 - 20) + 4) * 2; size (32, 24) * 2.
  EXPECT_FLOAT_EQ(99.5f + 12 - 32, adjusted[0].mPos.x);
  EXPECT_FLOAT_EQ(99.5f - 16 - 24, adjusted[0].mPos.y);
  EXPECT_FLOAT_EQ(99.5f + 12 + 32, adjusted[3].mPos.x);
  EXPECT_FLOAT_EQ(99.5f - 16 + 24, adjusted[3].mPos.y);
  EXPECT_FLOAT_EQ(adjusted[0].mPos.x, adjusted[4].mPos.x);
}

TEST(ParticleCollection, RecordsStartFreeAndOwnedPoolsGoWithReset)
{
  TParticleCollection collection;
  EXPECT_EQ(0, collection.GetCount());
  collection.InitNumParticles(3, 10, nullptr);
  EXPECT_FALSE(collection.mExternalPool);
  EXPECT_EQ(3, collection.mMaxParticles);
  EXPECT_EQ(40, collection.mStrideBytes);
  ASSERT_EQ(3u, collection.mFree.size());
  EXPECT_EQ(collection.mPool + 10, *std::next(collection.mFree.begin()));
  EXPECT_TRUE(collection.mLive.empty());

  std::vector<float> pool(20);
  collection.InitNumParticles(2, 10, pool.data());
  EXPECT_TRUE(collection.mExternalPool);
  EXPECT_EQ(pool.data(), collection.mFree.front());
  collection.InitNumParticles(0, 4, nullptr);
  EXPECT_EQ(16, collection.mStrideBytes);
  EXPECT_TRUE(collection.mFree.empty());
  EXPECT_EQ(0, collection.mMaxParticles);
  collection.Reset();
  EXPECT_EQ(nullptr, collection.mPool);
  EXPECT_EQ(0, collection.mStrideBytes);
}
