// particle drawing in a real OpenGL context: an effect script runs a few steps and its
// frame is read back; blend modes, textures found by name and the draw alpha.
#include <gtest/gtest.h>

#include <lua.hpp>

#include "core/particles/luaparticlesystem.h"
#include "core/particles/particlerenderer.h"
#include "core/script/script.h"
#include "support/gfxfixture.h"

namespace {

class ParticleDrawTest : public GfxTest
{
protected:
  void SetUp() override
  {
    GfxTest::SetUp();
    if (IsSkipped())
      return;
    mWhite = TTexture::Create(16, 16, true);
    ASSERT_TRUE(mWhite);
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    ASSERT_TRUE(mWhite->Lock(&pixels, &pitch));
    for (unsigned y = 0; y < 16; ++y)
      for (unsigned x = 0; x < 16; ++x)
        pixels[y * pitch + x] = TColor32(0xffffffffu);
    mWhite->Unlock();
  }
  void TearDown() override
  {
    mWhite.reset();
    GfxTest::TearDown();
  }

  void DrawFrame(TLuaParticleSystem& system, TVec3 position = TVec3())
  {
    ASSERT_TRUE(mRenderer->BeginDraw(false));
    ASSERT_TRUE(mRenderer->Begin2d());
    ClearFrame(TColor(0, 0, 0, 1));
    system.Draw(position);
    mRenderer->End2d();
    mRenderer->EndDraw(false);
  }

  boost::shared_ptr<TTexture> mWhite;
};

} // namespace

TEST_F(ParticleDrawTest, RunningEffectIsDrawnWhereItsParticlesMoved)
{
  TLuaParticleSystem system;
  ASSERT_TRUE(system.Init("SetNumParticles(4)\n"
                          "pPosition:Init(Vec2(200, 150))\n"
                          "pScale:Init(Value(2))\n"
                          "pColor:Init(Color(1, 0, 0, 1))\n"
                          "pPosition:Anim(pPosition + fTimeScale(Vec2(100, 0)))\n"
                          "function Update() if GetParticleCount() == 0 then CreateParticles(1) end end\n"));
  system.GetRenderer()->SetTexture(mWhite);
  for (int step = 0; step < 5; ++step)
    system.Update(100);
  ASSERT_EQ(1, system.GetParticleCount());

  DrawFrame(system);
  // 16 x 16 at scale 2 around (250, 150).
  EXPECT_TRUE(ColorNear(ReadFramePixel(250, 150), 255, 0, 0, 255, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(236, 136), 255, 0, 0, 255, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(263, 163), 255, 0, 0, 255, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(200, 150), 0, 0, 0, 255, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(268, 150), 0, 0, 0, 255, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(250, 170), 0, 0, 0, 255, 2));

  // The draw position moves the whole effect.
  DrawFrame(system, TVec3(-100, 50, 0));
  EXPECT_TRUE(ColorNear(ReadFramePixel(150, 200), 255, 0, 0, 255, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(250, 150), 0, 0, 0, 255, 2));
}

TEST_F(ParticleDrawTest, AdditiveParticlesAddUpAndTheSystemAlphaFades)
{
  TLuaParticleSystem system;
  ASSERT_TRUE(system.Init("SetNumParticles(4)\n"
                          "SetBlendMode(kBlendAdditiveAlpha)\n"
                          "pPosition:Init(Vec2(100, 100))\n"
                          "pColor:Init(Color(0.4, 0.2, 0, 1))\n"));
  system.GetRenderer()->SetTexture(mWhite);
  system.CreateParticles(2);
  DrawFrame(system);
  EXPECT_TRUE(ColorNear(ReadFramePixel(100, 100), 204, 102, 0, 255, 3));

  system.SetAlpha(0.5f);
  DrawFrame(system);
  EXPECT_TRUE(ColorNear(ReadFramePixel(100, 100), 102, 51, 0, 255, 3));
}

TEST_F(ParticleDrawTest, ScriptFindsItsTextureByName)
{
  TLuaParticleSystem system;
  std::string script =
      "SetNumParticles(1)\nSetTexture('" + Image("sprite64.png") + "')\npPosition:Init(Vec2(300, 300))\n";
  ASSERT_TRUE(system.Init(script.c_str()));
  T2dParticleRenderer* renderer = static_cast<T2dParticleRenderer*>(system.GetRenderer());
  ASSERT_TRUE(renderer->mTexture);
  EXPECT_EQ(TVec2(64, 64), renderer->mSize);
  system.CreateParticles(1);
  DrawFrame(system);
  // Quadrants: red top-left, green top-right, blue bottom-left, white bottom-right.
  EXPECT_TRUE(ColorNear(ReadFramePixel(285, 285), 255, 0, 0, 255, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(315, 285), 0, 255, 0, 255, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(285, 315), 0, 0, 255, 255, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(315, 315), 255, 255, 255, 255, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(340, 300), 0, 0, 0, 255, 2));
}
