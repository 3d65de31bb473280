// Lua particle system tests: members and data sources, compiling expressions into
// streams, spawning with debt, expiry, effect files, shared-script mode and number passing.
#include "core/particles/luaparticlesystem.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include <lua.hpp>

#include "platform/platform.h"
#include "core/foundation/asset.h"
#include "core/foundation/file.h"
#include "core/particles/particlecollection.h"
#include "core/particles/particlerenderer.h"
#include "core/script/script.h"
#include "support/vfssandbox.h"
#include "support/requirement.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

// A game value: the particle's own scale times ten, width 2 (x, y).
class TScaleSource : public TParticleFunction
{
public:
  uint8_t GetReturnSize(int, uint8_t*) override { return 2; }
  bool Process(TParticleState& state, TParticleMachineState& machine) override
  {
    float value[2] = {state.mParams.mValues[4] * 10, 7};
    return machine.Push(value, 2);
  }
};

class LuaParticleSystemTest : public ::testing::Test
{
protected:
  double Number(TLuaParticleSystem& system, const char* expression)
  {
    lua_State* L = system.GetScript()->GetState();
    system.GetScript()->DoLuaString(str("qvResult = ") + expression);
    lua_getglobal(L, "qvResult");
    double value = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return value;
  }
  std::string Text(TLuaParticleSystem& system, const char* expression)
  {
    lua_State* L = system.GetScript()->GetState();
    system.GetScript()->DoLuaString(str("qvResult = tostring(") + expression + ")");
    lua_getglobal(L, "qvResult");
    std::string value = lua_tostring(L, -1) ? lua_tostring(L, -1) : "";
    lua_pop(L, 1);
    return value;
  }
  static std::vector<std::string> Names(const TLuaParticleSystem::TStream& stream)
  {
    std::vector<std::string> names;
    for (const TParticleInstruction& instruction : stream)
      names.push_back(instruction.mFunction ? instruction.mFunction->GetTypeName() : "(none)");
    return names;
  }
  // The records of the live particles, newest first.
  static std::vector<std::vector<float>> Live(TLuaParticleSystem& system)
  {
    std::vector<std::vector<float>> records;
    for (float* record : system.GetCollection()->mLive)
      records.emplace_back(record, record + system.GetRecordFloats());
    return records;
  }

  TVfsSandbox mSandbox;
  TAssetManager mRegistry;
};

} // namespace

TEST_F(LuaParticleSystemTest, RendererMembersLieInAllocationOrder)
{
  TLuaParticleSystem system;
  EXPECT_EQ(10u, system.GetRecordFloats());
  EXPECT_EQ((std::vector<uint8_t>{2, 2, 1, 4, 1}), system.GetMemberWidths());
  const char* members[] = {"pPosition", "pUp", "pScale", "pColor", "pFrame"};
  const double slots[] = {0, 2, 4, 5, 9};
  const double widths[] = {2, 2, 1, 4, 1};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(slots[i], Number(system, (std::string("select(1, GetParticleMemberParts(") + members[i] + "))").c_str()));
    EXPECT_EQ(widths[i],
              Number(system, (std::string("select(2, GetParticleMemberParts(") + members[i] + "))").c_str()));
  }
  // A new member follows the renderer's.
  uint32_t handle = system.Allocate(3);
  EXPECT_EQ(3u << 16 | 10u, handle);
  EXPECT_EQ(13u, system.GetRecordFloats());
}

TEST_F(LuaParticleSystemTest, AllocateRefusesBadWidthsAndAFullRecord)
{
  TLuaParticleSystem system;
  EXPECT_EQ(0u, system.Allocate(0));
  EXPECT_EQ(0u, system.Allocate(5));
  for (int i = 0; i < 61; ++i)
    ASSERT_NE(0u, system.Allocate(4)) << i; // 254 floats
  EXPECT_EQ(0u, system.Allocate(2));
  EXPECT_EQ(254u, system.GetRecordFloats());
  EXPECT_NE(0u, system.Allocate(1));
  EXPECT_EQ(255u, system.GetRecordFloats());
  // From Lua the refusal is a script error, so the effect stops there.
  CaptureStderr();
  system.GetScript()->DoLuaString("pTooMuch = Allocate(1); qvAfter = 1");
  std::string log = GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("Allocate")) << log;
  EXPECT_EQ(0, Number(system, "qvAfter or 0"));
}

TEST_F(LuaParticleSystemTest, DataSourcesHaveNegativeSlotsAndAreReadByMembers)
{
  TLuaParticleSystem system;
  TScaleSource first, second;
  EXPECT_EQ(-1, system.RegisterDataSource("gFirst", &first));
  EXPECT_EQ(-2, system.RegisterDataSource("gSecond", &second));
  EXPECT_EQ("gFirst", std::string(first.mName.c_str()));
  EXPECT_EQ(-1, Number(system, "select(1, GetParticleMemberParts(gFirst))"));
  EXPECT_EQ(2, Number(system, "select(2, GetParticleMemberParts(gFirst))"));
  EXPECT_EQ(-2, Number(system, "select(1, GetParticleMemberParts(gSecond))"));
  EXPECT_EQ(&second, system.GetDataSource(1));
  EXPECT_EQ(nullptr, system.GetDataSource(2));

  ASSERT_TRUE(system.Init("SetNumParticles(4)\n"
                          "pScale:Init(Value(3))\n"
                          "pPosition:Init(gSecond)\n"
                          "pUp:Init(Vec2(gFirst[2], gFirst[1]))\n"));
  system.CreateParticles(1);
  ASSERT_EQ(1, system.GetParticleCount());
  std::vector<float> record = Live(system)[0];
  EXPECT_EQ(30, record[0]);
  EXPECT_EQ(7, record[1]);
  EXPECT_EQ(7, record[2]);
  EXPECT_EQ(30, record[3]);

  // A component beyond the source's width is reported with the source's name.
  CaptureStderr();
  ASSERT_TRUE(system.Init("pScale:Anim(gFirst[3])"));
  system.Update(10);
  std::string log = GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("Out of range parameter index [3] when indexing gFirst")) << log;
  // Assigning to a data source is refused.
  ASSERT_TRUE(system.Init("gFirst:Anim(Vec2(1, 1))"));
  system.Update(10);
  EXPECT_EQ(1, system.GetParticleCount());
}

TEST_F(LuaParticleSystemTest, ExpressionsCompileInPostOrder)
{
  TLuaParticleSystem system;
  ASSERT_TRUE(system.Init("pVelocity = Allocate(2)\npPosition:Anim(pPosition + pVelocity)"));
  EXPECT_EQ((std::vector<std::string>{"TParticleFunction", "TParticleFunction", "FAdd", "TParticleFunction",
                                      "TParticleFunction", "FAssign"}),
            Names(system.GetAnimStream()));
  EXPECT_TRUE(system.GetInitStream().empty());
  const TParticleInstruction& add = system.GetAnimStream()[2];
  EXPECT_EQ(2, add.mArgCount);
  EXPECT_EQ(2, add.GetArgWidths()[0]);
  EXPECT_EQ(2, add.GetArgWidths()[1]);
  const TParticleInstruction& assign = system.GetAnimStream()[5];
  EXPECT_EQ(3, assign.mArgCount);
  EXPECT_EQ(1, assign.GetArgWidths()[2]);
}

TEST_F(LuaParticleSystemTest, LibraryNodesForIndexingAndConstants)
{
  TLuaParticleSystem system;
  EXPECT_EQ("index", Text(system, "pColor[4].cmd"));
  EXPECT_EQ(5, Number(system, "pColor[4].params[1]"));
  EXPECT_EQ(4, Number(system, "pColor[4].params[2]"));
  // Existing keys are plain table entries; missing ones build vindex nodes.
  EXPECT_EQ(2, Number(system, "Vec2(1, 2)[2]"));
  EXPECT_EQ("vindex", Text(system, "Vec2(1, 2)[3].cmd"));
  EXPECT_EQ("vindex", Text(system, "(pPosition + pUp)[1].cmd"));
  EXPECT_EQ(1, Number(system, "(-pPosition).params.n"));
  EXPECT_EQ(
      2, Number(system, "CompileParameters({ fVec(1, 2, 3), pUp }).n or #CompileParameters({ fVec(1, 2, 3), pUp })"));
  EXPECT_EQ(3, Number(system, "CompileParameters({ fVec(1, 2, 3), pUp })[1]"));
  EXPECT_EQ(2, Number(system, "CompileParameters({ fVec(1, 2, 3), pUp })[2]"));
}

TEST_F(LuaParticleSystemTest, NegationPlainNumbersAndComparisonsRunOnParticles)
{
  TLuaParticleSystem system;
  ASSERT_TRUE(system.Init("SetNumParticles(2)\n"
                          "pPosition:Init(Vec2(3, -4))\n"
                          "pPosition:Init(-pPosition)\n"
                          "pScale:Init(Value(2.5) * 2)\n"
                          "pFrame:Init(fGreater(pScale, 4) + fLessEqual(5, pScale) + fLess(pScale, 5))\n"
                          "pColor:Init(fVec(pUp[2], 0.5, Vec2(0.25, 1)[1], pScale / 5))\n"));
  system.CreateParticles(1);
  ASSERT_EQ(1, system.GetParticleCount());
  std::vector<float> record = Live(system)[0];
  EXPECT_EQ(-3, record[0]);
  EXPECT_EQ(4, record[1]);
  EXPECT_EQ(5, record[4]);
  EXPECT_EQ(2, record[9]);
  EXPECT_EQ((std::vector<float>{-1, 0.5f, 0.25f, 1}), std::vector<float>(record.begin() + 5, record.begin() + 9));
}

TEST_F(LuaParticleSystemTest, UnknownFunctionsAreReportedAndStopTheirStream)
{
  TLuaParticleSystem system;
  CaptureStderr();
  ASSERT_TRUE(system.Init("SetNumParticles(2)\n"
                          "pScale:Init(CreateValue(\"fNo'pe\", {1}))\n"
                          "pFrame:Init(Value(7))\n"));
  std::string log = GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("Type not found: fNo'pe")) << log;
  EXPECT_EQ(0u, log.rfind("ERROR: ", 0)) << log;
  system.CreateParticles(1);
  ASSERT_EQ(1, system.GetParticleCount());
  // The broken statement stops the stream: the later one does not run either.
  EXPECT_EQ(1, Live(system)[0][4]);
  EXPECT_EQ(0, Live(system)[0][9]);
}

TEST_F(LuaParticleSystemTest, SpawningCarriesFractionalDebt)
{
  TLuaParticleSystem system;
  system.CreateParticles(5);
  EXPECT_EQ(0, system.GetParticleCount());
  EXPECT_EQ(0, system.GetSpawnDebt());

  system.SetNumParticles(10);
  system.CreateParticles(2.5f);
  EXPECT_EQ(3, system.GetParticleCount());
  EXPECT_FLOAT_EQ(-0.5f, system.GetSpawnDebt());
  system.CreateParticles(0.5f);
  EXPECT_EQ(3, system.GetParticleCount());
  EXPECT_FLOAT_EQ(0, system.GetSpawnDebt());

  TLuaParticleSystem small;
  small.SetNumParticles(1);
  small.CreateParticles(3);
  EXPECT_EQ(1, small.GetParticleCount());
  EXPECT_FLOAT_EQ(1, small.GetSpawnDebt());
  EXPECT_EQ(0u, small.GetCollection()->mFree.size());

  // New records start from the renderer's prototype.
  std::vector<float> record = Live(small)[0];
  EXPECT_EQ((std::vector<float>{0, 0, 0, -1, 1, 1, 1, 1, 1, 0}), record);
}

TEST_F(LuaParticleSystemTest, ExpiredParticlesReturnToTheFreeList)
{
  TLuaParticleSystem system;
  ASSERT_TRUE(system.Init("SetNumParticles(3)\n"
                          "pFrame:Anim(pFrame + 1)\n"
                          "Anim(fExpire(fGreaterEqual(pFrame, pScale)))\n"));
  system.CreateParticles(1);
  float* oldest = system.GetCollection()->mLive.front();
  oldest[4] = 2; // this one lives two steps
  system.CreateParticles(1);
  system.GetCollection()->mLive.front()[4] = 5;
  system.Update(16);
  EXPECT_EQ(2, system.GetParticleCount());
  system.Update(16);
  EXPECT_EQ(1, system.GetParticleCount());
  EXPECT_EQ(oldest, system.GetCollection()->mFree.front());
  EXPECT_EQ(2u, system.GetCollection()->mFree.size());
  // A pool made again after a late member drops the particles but keeps its size.
  ASSERT_TRUE(system.Init("pLate = Allocate(2)"));
  EXPECT_EQ(12u, system.GetRecordFloats());
  EXPECT_EQ(0, system.GetParticleCount());
  EXPECT_EQ(3u, system.GetCollection()->mFree.size());
  EXPECT_EQ(48, system.GetCollection()->mStrideBytes);
}

TEST_F(LuaParticleSystemTest, DrawnQuadsFollowTheLiveListAsParticlesComeAndGo)
{
  // Counts the quads' centres in the order drawn.
  class TCentres : public TParticleDrawTarget
  {
  public:
    void SetTexture(boost::shared_ptr<TTexture>) override {}
    void SetBlendMode(TRenderer::EBlendMode) override {}
    void DrawVertices(TRenderer::EDrawType, const TVertexSet&) override {}
    void DrawIndexedVertices(TRenderer::EDrawType, const TVertexSet& set, unsigned short*, unsigned int) override
    {
      const TTransformedLitVert* verts = static_cast<const TTransformedLitVert*>(set.GetVerts());
      for (unsigned v = 0; v + 3 < set.GetCount(); v += 4)
        mX.push_back((verts[v].mPos.x + verts[v + 3].mPos.x) / 2);
    }
    std::vector<float> mX;
  } centres;
  T2dParticleRenderer::SetDrawTarget(&centres);
  TLuaParticleSystem system;
  ASSERT_TRUE(system.Init("SetNumParticles(300)\n"
                          "pPosition:Init(Vec2(0, 0))\n"
                          "pFrame:Anim(pFrame + 1)\n"
                          "pPosition:Anim(pPosition + Vec2(1, 0))\n"
                          "Anim(fExpire(fGreater(pFrame, pScale)))\n"));
  for (int step = 0; step < 12; ++step) {
    system.CreateParticles(40);
    // Some of each step's particles live longer than others.
    int made = 0;
    for (float* record : system.GetCollection()->mLive)
      if (record[9] == 0)
        record[4] = (float)(made++ % 5);
    system.Update(16);
    centres.mX.clear();
    system.Draw(TVec3(0, 0, 0));
    std::vector<float> expected;
    for (float* record : system.GetCollection()->mLive)
      expected.push_back(record[0] - 0.5f);
    ASSERT_EQ(expected, centres.mX) << "step " << step;
  }
  T2dParticleRenderer::SetDrawTarget(nullptr);
}

TEST_F(LuaParticleSystemTest, UpdateWithoutParticlesRunsOnlyTheScript)
{
  TLuaParticleSystem system;
  ASSERT_TRUE(system.Init("SetNumParticles(3)\nqvSteps = 0\nqvLast = 0\n"
                          "function Update(seconds) qvSteps = qvSteps + 1; qvLast = seconds end\n"));
  system.Update(250);
  EXPECT_EQ(1, Number(system, "qvSteps"));
  EXPECT_EQ(0.25, Number(system, "qvLast"));
  EXPECT_EQ(0, system.GetParticleCount());
}

TEST_F(LuaParticleSystemTest, SecondsReachTheScriptWhateverTheLocale)
{
  const char* locales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"};
  std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  bool switched = false;
  for (const char* name : locales)
    switched = switched || std::setlocale(LC_NUMERIC, name) != nullptr;
  TLuaParticleSystem system;
  ASSERT_TRUE(system.Init("qvLast = 0\nfunction Update(seconds) qvLast = seconds end\n"));
  system.Update(1500);
  double seconds = Number(system, "qvLast");
  std::setlocale(LC_NUMERIC, previous.c_str());
  EXPECT_EQ(1.5, seconds);
  if (!switched)
    QV_SKIP_UNLESS_REQUIRED("no comma-decimal locale installed; checked in the C locale only");
}

TEST_F(LuaParticleSystemTest, EffectFilesLoadFromTheFileSystem)
{
  mSandbox.WriteFile("assets/fx/sparks.lua", "SetNumParticles(5)\nqvLoaded = 'yes'\n");
  TFile::ScanForResources();
  TLuaParticleSystem system;
  EXPECT_FALSE(system.Init("fx/missing.lua"));
  EXPECT_TRUE(system.Init("fx/sparks.lua"));
  EXPECT_EQ("yes", Text(system, "qvLoaded"));
  EXPECT_EQ(5, system.GetCollection()->mMaxParticles);
  EXPECT_TRUE(system.Init("qvText = 'direct'"));
  EXPECT_EQ("direct", Text(system, "qvText"));
}

TEST_F(LuaParticleSystemTest, DoneIsRecordedAndClearedByInit)
{
  TLuaParticleSystem system;
  ASSERT_TRUE(system.Init("function Update() Done() end"));
  EXPECT_FALSE(system.IsDone());
  system.Update(10);
  EXPECT_TRUE(system.IsDone());
  ASSERT_TRUE(system.Init("qvAgain = 1"));
  EXPECT_FALSE(system.IsDone());
}

TEST_F(LuaParticleSystemTest, AdoptedFunctionsAreSharedInstances)
{
  TLuaParticleSystem system;
  TScaleSource* adopted = new TScaleSource;
  system.AdoptFunctionInstance("gScaled", adopted);
  EXPECT_EQ(adopted, system.GetParticleFunction("gScaled").get());
  EXPECT_EQ(adopted, system.GetParticleFunction("gScaled").get());
  EXPECT_NE(system.GetParticleFunction("fAge").get(), system.GetParticleFunction("fAge").get());
  ASSERT_TRUE(system.Init("SetNumParticles(1)\npScale:Init(Value(2))\npPosition:Init(gScaled())\n"));
  system.CreateParticles(1);
  ASSERT_EQ(1, system.GetParticleCount());
  EXPECT_EQ(20, Live(system)[0][0]);
  EXPECT_EQ(7, Live(system)[0][1]);
}

class SharedScriptTest : public LuaParticleSystemTest
{
protected:
  void SetUp() override { TPlatform::SetConfig("lpsonescript", "1"); }
  void TearDown() override { TPlatform::SetConfig("lpsonescript", ""); }
};

TEST_F(SharedScriptTest, SystemsKeepTheirOwnUpdatesAndOutliveEachOther)
{
  int firstIndex = TLuaParticleSystem::gUpdateCount;
  TLuaParticleSystem* first = new TLuaParticleSystem();
  TLuaParticleSystem* second = new TLuaParticleSystem();
  ASSERT_EQ(first->GetScript(), second->GetScript());
  EXPECT_EQ(firstIndex, first->GetUpdateIndex());
  EXPECT_EQ(firstIndex + 1, second->GetUpdateIndex());

  ASSERT_TRUE(first->Init("SetNumParticles(4)\nfunction Update() CreateParticles(1) end"));
  ASSERT_TRUE(second->Init("SetNumParticles(4)\nfunction Update() CreateParticles(2) end"));
  std::string one = "Update" + std::to_string(firstIndex);
  std::string two = "Update" + std::to_string(firstIndex + 1);
  EXPECT_EQ("function", Text(*first, ("type(" + one + ")").c_str()));
  EXPECT_EQ("function", Text(*first, ("type(" + two + ")").c_str()));

  first->Update(10);
  second->Update(10);
  EXPECT_EQ(1, first->GetParticleCount());
  EXPECT_EQ(2, second->GetParticleCount());

  // The newest system goes; the other one's update still reaches the other one.
  delete second;
  EXPECT_EQ("nil", Text(*first, ("type(" + two + ")").c_str()));
  EXPECT_EQ("function", Text(*first, ("type(" + one + ")").c_str()));
  first->Update(10);
  EXPECT_EQ(2, first->GetParticleCount());
  delete first;
  EXPECT_EQ(nullptr, TLuaParticleSystem::gScript);
  EXPECT_EQ(0, TLuaParticleSystem::gScriptUseCount);
}
