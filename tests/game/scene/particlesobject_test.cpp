// Tests of the game's particle effects: systems lent to scene objects and restarted, dropped
// or ended by their scripts, the fixed object tick, and the data sources scripts ask for.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/foundation/file.h"
#include "core/particles/particlecollection.h"
#include "core/particles/particlerenderer.h"
#include "core/script/script.h"
#include "scene/particlesdatasource.h"
#include "scene/particlesmanager.h"
#include "scene/particlesobject.h"
#include "support/scenetestutil.h"
#include "support/vfssandbox.h"

namespace {

class TDroppingTarget : public TParticleDrawTarget
{
public:
  void SetTexture(boost::shared_ptr<TTexture>) override {}
  void SetBlendMode(TRenderer::EBlendMode) override {}
  void DrawVertices(TRenderer::EDrawType, const TVertexSet&) override { ++mDraws; }
  void DrawIndexedVertices(TRenderer::EDrawType, const TVertexSet&, unsigned short*, unsigned int) override
  {
    ++mDraws;
  }
  int mDraws = 0;
};

// Records what a system tells its owner.
class TOwner : public GParticlesSystem::GParticleSystemOwner
{
public:
  void OnParticleFinish(GParticlesSystem* system) override
  {
    mLog += "finish ";
    system->DropSystem();
  }
  void OnDropSystem(GParticlesSystem*) override { mLog += "drop "; }
  std::string mLog;
};

const char kCounter[] = "starts = 0\nupdates = 0\nlast = 0\n"
                        "function OnStart(how) starts = starts + 1 end\n"
                        "function Update(seconds) updates = updates + 1 last = seconds end\n";

class ParticlesTest : public SceneTest
{
protected:
  void SetUp() override
  {
    SceneTest::SetUp();
    mPrevious = T2dParticleRenderer::SetDrawTarget(&mTarget);
    Effect("counter", kCounter);
    Effect("ender", "function Update(seconds) OnEnd() end\n");
    Effect("sim", "Simulation(1000)\nlast = 0\nfunction Update(seconds) last = seconds end\n");
    Effect("broken", "this is no Lua");
  }
  void TearDown() override
  {
    SceneTest::TearDown();
    T2dParticleRenderer::SetDrawTarget(mPrevious);
    GParticlesManager::SetParticleTarget(nullptr);
  }
  void Effect(const std::string& name, const std::string& text)
  {
    mSandbox.WriteFile("assets/particles/" + name + ".lua", text);
    TFile::ScanForResources();
  }
  static double Global(GParticlesSystem* system, const char* name)
  {
    lua_State* L = system->GetEngine().GetScript()->GetState();
    lua_getglobal(L, name);
    double value = lua_tonumber(L, -1);
    lua_pop(L, 1);
    return value;
  }
  // The first live particle's first floats (its position).
  static std::vector<float> FirstParticle(GParticlesSystem* system, unsigned floats)
  {
    TParticleCollection* particles = system->GetEngine().GetCollection();
    if (particles->mLive.empty())
      return {};
    float* record = particles->mLive.front();
    return std::vector<float>(record, record + floats);
  }
  // A free system running the script text, with one particle made.
  GParticlesSystem* Spawn(const std::string& name, const std::string& text)
  {
    Effect(name, text);
    GParticlesSystem* system = GParticlesManager::GetInstance()->CreateSystem(name.c_str());
    EXPECT_NE(nullptr, system);
    if (system)
      system->GetEngine().CreateParticles(1);
    return system;
  }
  TVfsSandbox mSandbox;
  TDroppingTarget mTarget;
  TParticleDrawTarget* mPrevious = nullptr;
};

} // namespace

TEST_F(ParticlesTest, SameNameRestartsTheEffectInsteadOfReloadingIt)
{
  LoadObjects("<objects><object id='a' pr='counter' p='10,20'/></objects>");
  TParticlesObject particles(Find("a"));
  particles.SetSystem("counter");
  GParticlesSystem* system = particles.GetSystem();
  ASSERT_NE(nullptr, system);
  EXPECT_EQ(GParticlesSystem::kLent, system->GetState());
  EXPECT_EQ(1, Global(system, "starts"));
  EXPECT_EQ(TVec2(10, 20), system->GetPosition());
  particles.SetSystem("counter");
  EXPECT_EQ(system, particles.GetSystem());
  EXPECT_EQ(2, Global(system, "starts"));
  TParticlesObject none(Find("a"));
  none.SetSystem("");
  EXPECT_EQ(nullptr, none.GetSystem());
}

TEST_F(ParticlesTest, NewNameDropsTheOldSystemTellingItsOwnerFirst)
{
  TOwner owner;
  GParticlesSystem* system = GParticlesManager::GetInstance()->DragSystem("counter", &owner);
  ASSERT_NE(nullptr, system);
  EXPECT_EQ(&owner, system->GetOwner());
  system->DropSystem();
  EXPECT_EQ("drop ", owner.mLog);

  LoadObjects("<objects><object id='a'/></objects>");
  TParticlesObject particles(Find("a"));
  particles.SetSystem("counter");
  GParticlesSystem* first = particles.GetSystem();
  ASSERT_NE(nullptr, first);
  particles.SetSystem("sim");
  ASSERT_NE(nullptr, particles.GetSystem());
  EXPECT_EQ(str("sim"), particles.GetName());
  EXPECT_EQ(str("sim"), particles.GetSystem()->GetName());
}

TEST_F(ParticlesTest, ObjectTickAdvancesTheEffectByTwentyMilliseconds)
{
  LoadObjects("<objects><object id='a' pr='counter' st='s'><states><st id='s'/></states>"
              "</object></objects>");
  ASSERT_NE(nullptr, Find("a")->GetParticles());
  GParticlesSystem* system = Find("a")->GetParticles()->GetSystem();
  ASSERT_NE(nullptr, system);
  mScene->OnTick(500);
  EXPECT_EQ(1, Global(system, "updates"));
  EXPECT_FLOAT_EQ(0.02f, float(Global(system, "last")));
  mScene->OnTick(3);
  EXPECT_EQ(2, Global(system, "updates"));
  EXPECT_FLOAT_EQ(0.02f, float(Global(system, "last")));
}

TEST_F(ParticlesTest, SimulationAddsToTheNextUpdateOnly)
{
  LoadObjects("<objects><object id='a'/></objects>");
  TParticlesObject particles(Find("a"));
  particles.SetSystem("sim");
  GParticlesSystem* system = particles.GetSystem();
  ASSERT_NE(nullptr, system);
  EXPECT_EQ(1000, system->GetPending());
  particles.OnTimer();
  EXPECT_FLOAT_EQ(1.02f, float(Global(system, "last")));
  particles.OnTimer();
  EXPECT_FLOAT_EQ(0.02f, float(Global(system, "last")));
  EXPECT_EQ(5, system->Simulation(5));
  EXPECT_EQ(5, system->GetPending());
}

TEST_F(ParticlesTest, ScriptEndingItsEffectIsDroppedAfterItsUpdate)
{
  LoadObjects("<objects><object id='a'/></objects>");
  TParticlesObject particles(Find("a"));
  particles.SetSystem("ender");
  ASSERT_NE(nullptr, particles.GetSystem());
  particles.OnTimer();
  EXPECT_EQ(nullptr, particles.GetSystem());
  particles.Draw(nullptr);
  particles.OnTimer();

  TOwner owner;
  GParticlesSystem* lent = GParticlesManager::GetInstance()->DragSystem("ender", &owner);
  lent->Update(20);
  EXPECT_EQ("finish drop ", owner.mLog);
  // Without an owner the system drops itself.
  GParticlesSystem* free = GParticlesManager::GetInstance()->CreateSystem("ender");
  free->Update(20);
}

TEST_F(ParticlesTest, UnloadableEffectsGiveNoSystem)
{
  LoadObjects("<objects><object id='a'/></objects>");
  TParticlesObject particles(Find("a"));
  testing::internal::CaptureStderr();
  particles.SetSystem("missing");
  EXPECT_EQ(nullptr, particles.GetSystem());
  particles.SetSystem("../counter");
  EXPECT_EQ(nullptr, particles.GetSystem());
  particles.SetSystem("broken");
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(nullptr, particles.GetSystem());
  EXPECT_NE(std::string::npos, log.find("ERROR: Particle effect particles/missing.lua")) << log;
  EXPECT_NE(std::string::npos, log.find("ERROR: Particle effect name '../counter'")) << log;
  particles.OnTimer();
  particles.Draw(nullptr);
}

TEST_F(ParticlesTest, ManagerRegistryReplacesAndPoolClears)
{
  GParticlesManager* manager = GParticlesManager::GetInstance();
  GParticlesDataSource* made = manager->CreateDataSource("GPositionsChooser");
  ASSERT_NE(nullptr, made);
  EXPECT_STREQ("GPositionsChooser", made->GetTypeName());
  delete made;
  EXPECT_EQ(nullptr, manager->CreateDataSource("NoSuchSource"));
  GParticlesManager local;
  local.RegisterDataSource("X", &GPositionsChooser::Create);
  local.RegisterDataSource("X", &GSpeedMouseEscaper::Create);
  made = local.CreateDataSource("X");
  EXPECT_STREQ("GSpeedMouseEscaper", made->GetTypeName());
  delete made;
  // A lent system cannot be lent again: DragSystem pools it and answers null.
  GParticlesSystem* system = manager->CreateSystem("counter");
  TOwner owner;
  ASSERT_TRUE(system->OnDrag(&owner));
  EXPECT_FALSE(system->OnDrag(&owner));
  system->DropSystem();
  manager->Clear();
  EXPECT_EQ(0u, manager->GetPoolSize());
}

TEST_F(ParticlesTest, EscaperPushesAwayWithinItsRadiusOnly)
{
  GParticlesSystem* system = Spawn("escape", "SetNumParticles(2)\n"
                                             "RegisteFunction('fEsc', 'GSpeedMouseEscaper')\n"
                                             "pPosition:Init(fEsc(Vec2(-1050, -1000), 100))\n");
  std::vector<float> position = FirstParticle(system, 2);
  ASSERT_EQ(2u, position.size());
  EXPECT_FLOAT_EQ(-12.5f, position[0]);
  EXPECT_FLOAT_EQ(0, position[1]);
  delete system;
  system = Spawn("escape2", "SetNumParticles(2)\n"
                            "RegisteFunction('fEsc', 'GSpeedMouseEscaper')\n"
                            "pPosition:Init(fEsc(Vec2(-1000, -1100), 100))\n");
  position = FirstParticle(system, 2);
  EXPECT_FLOAT_EQ(0, position[0]);
  EXPECT_FLOAT_EQ(0, position[1]);
  delete system;
}

TEST_F(ParticlesTest, TargetSourcesReadTheGamesPointAtEveryUse)
{
  int32_t target[2] = {30, 40};
  GParticlesManager::SetParticleTarget(target);
  GParticlesSystem* system = Spawn("target", "SetNumParticles(4)\n"
                                             "RegisteFunction('fWay', 'TParticlesTarget')\n"
                                             "RegisteFunction('fFar', 'TParticlesTargetDistance')\n"
                                             "RegisterVar('gWay', 'TParticlesTarget')\n"
                                             "pPosition:Init(fWay(Vec2(0, 0)))\n"
                                             "pScale:Init(fFar(Vec2(0, 0)))\n");
  std::vector<float> position = FirstParticle(system, 2);
  EXPECT_FLOAT_EQ(0.6f, position[0]);
  EXPECT_FLOAT_EQ(0.8f, position[1]);
  EXPECT_TRUE(system->isFunctionRegistered("fFar"));
  EXPECT_FALSE(system->isFunctionRegistered("gWay"));
  target[0] = 0;
  system->GetEngine().CreateParticles(1);
  position = FirstParticle(system, 2);
  EXPECT_FLOAT_EQ(0, position[0]);
  EXPECT_FLOAT_EQ(1, position[1]);
  delete system;
}

TEST_F(ParticlesTest, PositionsChooserTakesItsListInTurn)
{
  GParticlesSystem* system = Spawn("chooser", "SetNumParticles(8)\n"
                                              "RegisteFunction('fNext', 'GPositionsChooser')\n"
                                              "pPosition:Init(fNext())\n");
  std::vector<float> position = FirstParticle(system, 2);
  EXPECT_EQ(std::vector<float>({0, 0}), position) << "an empty list answers the origin";
  boost::shared_ptr<TParticleFunction> function = system->GetEngine().GetParticleFunction("fNext");
  GPositionsChooser* chooser = function->GetCast<GPositionsChooser>();
  ASSERT_NE(nullptr, chooser);
  EXPECT_EQ(nullptr, function->GetCast<GTSceneObjectPixelChooser>());
  std::vector<TVec2> list = {TVec2(1, 2), TVec2(3, 4), TVec2(5, 6)};
  chooser->InitVectorPosition(list);
  std::vector<float> seen;
  for (int i = 0; i < 4; ++i) {
    system->GetEngine().CreateParticles(1);
    seen.push_back(FirstParticle(system, 1)[0]);
  }
  EXPECT_EQ(std::vector<float>({1, 3, 5, 1}), seen);
  std::vector<TVec2> shorter = {TVec2(7, 8)};
  chooser->InitVectorPosition(shorter);
  EXPECT_EQ(0u, chooser->mCursor);
  delete system;
}

TEST_F(ParticlesTest, PixelChooserEmitsFromTheObjectsSolidPixelsAroundItsPivot)
{
  Effect("pixels", "SetNumParticles(64)\n"
                   "RegisteFunction('fPixChooser', 'GTSceneObjectPixelChooser')\n"
                   "pPosition:Init(fPixChooser())\n");
  LoadObjects("<objects><object id='a' f='pivoted' p='100,50' pr='pixels'/>"
              "<object id='blank' f='box' p='7,9' pr='pixels'/></objects>");
  TParticlesObject particles(Find("a"));
  particles.SetSystem("pixels");
  particles.RefreshPixelChooser();
  GParticlesSystem* system = particles.GetSystem();
  ASSERT_NE(nullptr, system);
  GTSceneObjectPixelChooser* chooser =
      system->GetEngine().GetParticleFunction("fPixChooser")->GetCast<GTSceneObjectPixelChooser>();
  ASSERT_NE(nullptr, chooser);
  // The solid left half (4 x 8) of an image pivoted at its centre.
  ASSERT_EQ(32u, chooser->mPositions.size());
  for (const TVec2& point : chooser->mPositions) {
    EXPECT_GE(point.x, 96);
    EXPECT_LT(point.x, 100);
    EXPECT_GE(point.y, 46);
    EXPECT_LT(point.y, 54);
  }
  Find("a")->setPosition(TVec2(0, 0));
  particles.RefreshPixelChooser();
  EXPECT_EQ(-4, chooser->mPositions.front().x);

  chooser->InitObject(Find("blank"));
  EXPECT_TRUE(chooser->mPositions.empty());
  system->GetEngine().CreateParticles(1);
  EXPECT_EQ(std::vector<float>({7, 9}), FirstParticle(system, 2))
      << "without solid pixels the object's position stands in";
}

TEST_F(ParticlesTest, ObjectsDrawTheirParticlesAfterTheirContour)
{
  Effect("drawn", "SetNumParticles(4)\npPosition:Init(dPos)\n"
                  "function Update(seconds) CreateParticles(1) end\n");
  LoadObjects("<objects><object id='a' f='solid' pr='drawn' p='3,4' st='s'>"
              "<states><st id='s'/></states></object></objects>");
  mScene->OnTick(20);
  mScene->Draw();
  EXPECT_GT(mTarget.mDraws, 0);
  EXPECT_EQ(std::vector<float>({3, 4}), FirstParticle(Find("a")->GetParticles()->GetSystem(), 2));
  mScene.reset();
}
