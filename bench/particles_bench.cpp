// particles_bench: one frame of 10,000 particles of a simple effect script (gravity and
// motion compiled into a particle program, then the quads built for drawing) against the
// same motion and quads written as a plain C++ loop, and the ratios of the two. Draw calls
// go to a target that drops them.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "benchreport.h"
#include "core/foundation/random.h"
#include "core/graphics/vertexset.h"
#include "core/particles/luaparticlesystem.h"
#include "core/particles/particlerenderer.h"

namespace {

const int kParticles = 10000;
const int kStepMs = 16;

const char kScript[] = "SetNumParticles(10000)\n"
                       "SetUpGravity(30)\n"
                       "pPosition:Init(fRange(Vec2(0, 0), Vec2(800, 600)))\n"
                       "pVelocity:Init(f2dRadius(50))\n"
                       "pColor:Init(Color(1, 0.5, 0.25, 1))\n"
                       "pPosition:Anim(pPosition + fTimeScale(pVelocity))\n";

// Counts the vertices handed over, so nothing is optimised away.
class TDroppingTarget : public TParticleDrawTarget
{
public:
  void SetTexture(boost::shared_ptr<TTexture>) override {}
  void SetBlendMode(TRenderer::EBlendMode) override {}
  void DrawVertices(TRenderer::EDrawType, const TVertexSet& set) override { mVertices += set.GetCount(); }
  void DrawIndexedVertices(TRenderer::EDrawType, const TVertexSet& set, unsigned short*, unsigned int) override
  {
    mVertices += set.GetCount();
  }
  long mVertices = 0;
};

void RunScripted(benchmark::State& state, bool draw)
{
  TDroppingTarget target;
  T2dParticleRenderer::SetDrawTarget(&target);
  {
    TLuaParticleSystem system;
    if (!system.Init(kScript)) {
      state.SkipWithError("the effect script did not load");
      T2dParticleRenderer::SetDrawTarget(nullptr);
      return;
    }
    system.CreateParticles((float)kParticles);
    if (system.GetParticleCount() != kParticles)
      state.SkipWithError("not every particle was made");
    for (auto _ : state) {
      system.Update(kStepMs);
      if (draw)
        system.Draw(TVec3(0, 0, 0));
    }
    benchmark::DoNotOptimize(target.mVertices);
  }
  T2dParticleRenderer::SetDrawTarget(nullptr);
  state.SetItemsProcessed(state.iterations() * kParticles);
}

struct TPlainParticle
{
  float mX, mY, mUpX, mUpY, mScale, mColor[4], mFrame, mVX, mVY;
};

void RunPlain(benchmark::State& state, bool draw)
{
  TRandom random;
  random.Seed(7);
  std::vector<TPlainParticle> particles(kParticles);
  for (TPlainParticle& p : particles) {
    p.mX = random.RandFloat() * 800;
    p.mY = random.RandFloat() * 600;
    float angle = 2.0f * random.RandFloat() * 3.1415927f;
    p.mVX = 50 * std::cos(angle);
    p.mVY = 50 * std::sin(angle);
    p.mUpX = 0;
    p.mUpY = -1;
    p.mScale = 1;
    p.mColor[0] = 1;
    p.mColor[1] = 0.5f;
    p.mColor[2] = 0.25f;
    p.mColor[3] = 1;
    p.mFrame = 0;
  }
  std::vector<TTransformedLitVert> verts(kParticles * 4);
  const float offsets[4][2] = {{-0.5f, -0.5f}, {0.5f, -0.5f}, {-0.5f, 0.5f}, {0.5f, 0.5f}};
  const float seconds = kStepMs / 1000.0f;
  long vertices = 0;
  for (auto _ : state) {
    for (TPlainParticle& p : particles) {
      p.mVY += 30 * seconds;
      p.mX += p.mVX * seconds;
      p.mY += p.mVY * seconds;
    }
    if (!draw)
      continue;
    TTransformedLitVert* v = verts.data();
    for (const TPlainParticle& p : particles) {
      TColor32 colour(TColor(p.mColor[0], p.mColor[1], p.mColor[2], p.mColor[3]));
      float cx = p.mX - 0.5f, cy = p.mY - 0.5f;
      for (int corner = 0; corner < 4; ++corner, ++v) {
        float ox = offsets[corner][0], oy = offsets[corner][1];
        v->mPos = TVec3(cx - p.mScale * p.mUpY * ox - p.mScale * p.mUpX * oy,
                        cy - p.mScale * p.mUpY * oy + p.mScale * p.mUpX * ox, 0);
        v->mColor = colour;
        v->mUV = TVec2(ox + 0.5f, oy + 0.5f);
      }
    }
    vertices += (long)verts.size();
    benchmark::DoNotOptimize(verts.data());
  }
  benchmark::DoNotOptimize(vertices);
  benchmark::DoNotOptimize(particles.data());
  state.SetItemsProcessed(state.iterations() * kParticles);
}

void BM_ScriptedParticlesUpdate(benchmark::State& state)
{
  RunScripted(state, false);
}
void BM_ScriptedParticlesUpdateAndDraw(benchmark::State& state)
{
  RunScripted(state, true);
}
void BM_PlainLoopUpdate(benchmark::State& state)
{
  RunPlain(state, false);
}
void BM_PlainLoopUpdateAndQuads(benchmark::State& state)
{
  RunPlain(state, true);
}

} // namespace

BENCHMARK(BM_ScriptedParticlesUpdate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScriptedParticlesUpdateAndDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainLoopUpdate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainLoopUpdateAndQuads)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
  return RunBenchmarksWithRatios(argc, argv, [](TRatioReporter& report) {
    report.PrintRatio("BM_ScriptedParticlesUpdate", "BM_PlainLoopUpdate", "10,000 particles, update alone", 4.0);
    report.PrintRatio("BM_ScriptedParticlesUpdateAndDraw", "BM_PlainLoopUpdateAndQuads",
                      "10,000 particles, update + quads", 2.0);
  });
}
