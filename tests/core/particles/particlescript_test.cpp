// particle script library tests: generators, timeouts, gravity and expiry in a running
// effect, debug statements, editor hooks and the blend-mode option.
#include "core/particles/particlescript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <lua.hpp>

#include "core/foundation/asset.h"
#include "core/particles/luaparticlesystem.h"
#include "core/particles/particlecollection.h"
#include "core/particles/particlerenderer.h"
#include "core/script/script.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

class ParticleScriptTest : public ::testing::Test
{
protected:
  std::string Run(const char* text)
  {
    lua_State* L = mSystem.GetScript()->GetState();
    mSystem.GetScript()->DoLuaString(str("qvResult = ") + text);
    lua_getglobal(L, "qvResult");
    std::string value = lua_tostring(L, -1) ? lua_tostring(L, -1) : "nil";
    lua_pop(L, 1);
    return value;
  }

  TAssetManager mRegistry;
  TLuaParticleSystem mSystem;
};

} // namespace

TEST_F(ParticleScriptTest, LibraryIsLuaSourceThatDefinesItsGlobals)
{
  EXPECT_STREQ("particles.lua", kParticleLibraryName);
  EXPECT_GT(ParticleLibrarySize(), 100u);
  EXPECT_EQ("0 1 2 3 4 blendmode",
            Run("table.concat({kBlendNormal, kBlendOpaque, kBlendAdditiveAlpha, kBlendSubtractive, "
                "kBlendMultiplicative, kBlendMode}, ' ')"));
  EXPECT_EQ("function", Run("type(NewParticleGenerator)"));
  EXPECT_EQ("3 0.5 spark 1 2 3 4", Run("GUI_Slider(3) .. ' ' .. GUI_Select(0.5) .. ' ' .. GUI_Texture('spark') .. ' ' "
                                       ".. table.concat({GUI_ColorPick(1, 2, 3, 4)}, ' ')"));
}

TEST_F(ParticleScriptTest, GeneratorCarriesTheTimeNotYetSpent)
{
  mSystem.GetScript()->DoLuaString("local g = NewParticleGenerator(); local out = {}\n"
                                   "for i = 1, 8 do out[i] = g(10, 30) end\n"
                                   "qvCounts = table.concat(out, ',')\n"
                                   "qvSame = tostring(ParticlesPerSecond == g)\n"
                                   "local z = NewParticleGenerator(); qvZero = z(0, 1000) .. ',' .. z(10, 100)\n");
  EXPECT_EQ("0,0,0,1,0,0,1,0", Run("qvCounts"));
  EXPECT_EQ("true", Run("qvSame"));
  // No rate spawns nothing and does not spoil the generator.
  EXPECT_EQ("0,1", Run("qvZero"));
}

TEST_F(ParticleScriptTest, TimeoutAnswersOnTheCallAfterItRanOut)
{
  mSystem.GetScript()->DoLuaString(
      "local t = NewTimeout(1); qvTimes = tostring(t(0.6)) .. ',' .. tostring(t(0.6)) .. ',' .. tostring(t(0.6))");
  EXPECT_EQ("false,false,true", Run("qvTimes"));
}

TEST_F(ParticleScriptTest, GravityEffectMovesItsParticlesStepByStep)
{
  ASSERT_TRUE(mSystem.Init("SetNumParticles(8)\n"
                           "SetBlendMode(kBlendAdditiveAlpha)\n"
                           "SetUpGravity(100)\n"
                           "pPosition:Init(Vec2(10, 20))\n"
                           "pVelocity:Init(Vec2(50, 0))\n"
                           "pPosition:Anim(pPosition + fTimeScale(pVelocity))\n"
                           "Anim(fExpire(fGreater(pPosition[2], 32)))\n"
                           "local generator = NewParticleGenerator()\n"
                           "local timeout = NewTimeout(0.1)\n"
                           "function Create() qvCreated = (qvCreated or 0) + 1 end\n"
                           "function Update(seconds)\n"
                           "  if timeout(seconds) then return end\n"
                           "  local n = generator(20, seconds * 1000)\n"
                           "  if n > 0 then Spawn(n) end\n"
                           "end\n"));
  EXPECT_EQ(2u, static_cast<T2dParticleRenderer*>(mSystem.GetRenderer())->mBlendMode);
  std::vector<int> counts;
  for (int step = 0; step < 10; ++step) {
    mSystem.Update(50);
    counts.push_back(mSystem.GetParticleCount());
  }
  // One particle at each of the first two steps; the first falls past y 32 at step ten.
  EXPECT_EQ((std::vector<int>{1, 2, 2, 2, 2, 2, 2, 2, 2, 1}), counts);
  EXPECT_EQ("2", Run("qvCreated"));
  ASSERT_EQ(1, mSystem.GetParticleCount());
  const float* record = mSystem.GetCollection()->mLive.front();
  // Nine steps of 50 ms: x = 10 + 2.5 k, vy = 5 k, y = 20 + 0.25 k (k + 1) / 2.
  EXPECT_NEAR(32.5, record[0], 1e-3);
  EXPECT_NEAR(31.25, record[1], 1e-3);
  EXPECT_NEAR(50, record[10], 1e-4);
  EXPECT_NEAR(45, record[11], 1e-3);
  EXPECT_EQ(7u, mSystem.GetCollection()->mFree.size());
}

TEST_F(ParticleScriptTest, DebugStatementLogsOncePerNewParticle)
{
  ASSERT_TRUE(mSystem.Init("SetNumParticles(4)\npPosition:Init(Vec2(3, 4))\nInit(fDebug(pPosition))\n"));
  CaptureStderr();
  mSystem.CreateParticles(2);
  mSystem.Update(20);
  std::string log = GetCapturedStderr();
  std::string line = "Particle Values: (3.000000,4.000000) ";
  size_t first = log.find(line);
  ASSERT_NE(std::string::npos, first) << log;
  size_t second = log.find(line, first + 1);
  EXPECT_NE(std::string::npos, second) << log;
  EXPECT_EQ(std::string::npos, log.find(line, second + 1)) << log;
}

TEST_F(ParticleScriptTest, SpawnWithoutCreateIsAScriptError)
{
  ASSERT_TRUE(mSystem.Init("SetNumParticles(4)\nfunction Update() Spawn(1) end\n"));
  CaptureStderr();
  mSystem.Update(20);
  std::string log = GetCapturedStderr();
  EXPECT_EQ(log.rfind("ERROR: [string \"particles.lua\"]:", 0), 0u) << log;
  EXPECT_EQ(1, mSystem.GetParticleCount());
}
