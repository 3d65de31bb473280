// particlessystem: one particle effect of the game: the engine's particle system running a
// script from "particles/", with the game's Lua functions, data sources and emitter position.
#include "scene/particlessystem.h"

#include <climits>

#include "core/script/luabind.h"
#include "core/script/script.h"
#include "scene/particlesdatasource.h"
#include "scene/particlesmanager.h"

namespace {

const char kOnStart[] = "if(OnStart)then OnStart(-1); end";

// Counts a native call into the script for the time of a scope.
struct TRunning
{
  explicit TRunning(int* count) : mCount(count) { ++*count; }
  ~TRunning() { --*mCount; }
  int* mCount;
};

} // namespace

intptr_t GParticlesSystem::ClassId()
{
  static const char kId = 0;
  return reinterpret_cast<intptr_t>(&kId);
}

GParticlesSystem::GParticlesSystem() : mOwner(nullptr), mPending(0), mState(kNew), mRunning(0), mEndAsked(false) {}

GParticlesSystem::~GParticlesSystem()
{
  for (GParticlesDataSource* variable : mVariables)
    delete variable;
}

bool GParticlesSystem::Process(TParticleState&, TParticleMachineState& machine)
{
  const float position[2] = {mPosition.x, mPosition.y};
  return machine.Push(position, 2);
}

bool GParticlesSystem::Init(const str& name)
{
  lua_State* L = mEngine.GetScript()->GetState();
  LuaBind(L, "ScriptDump", this, &GParticlesSystem::ScriptDump);
  LuaBind(L, "OnEnd", this, &GParticlesSystem::OnEnd);
  LuaBind(L, "RegisterVar", this, &GParticlesSystem::RegisterVar);
  LuaBind(L, "Simulation", this, &GParticlesSystem::Simulation);
  LuaBind(L, "RegisteFunction", this, &GParticlesSystem::RegisteFunction);
  mEngine.RegisterDataSource("dPos", this);
  mName = name;
  mState = kFree;
  TRunning running(&mRunning);
  return mEngine.Init("particles/" + name + ".lua");
}

void GParticlesSystem::Update(int ms)
{
  {
    TRunning running(&mRunning);
    const int64_t total = int64_t(mPending) + ms;
    mPending = 0;
    mEngine.Update(static_cast<int>(total > INT_MAX ? INT_MAX : total < INT_MIN ? INT_MIN : total));
  }
  if (mEndAsked && mRunning == 0)
    Finish();
}

void GParticlesSystem::Draw()
{
  mEngine.Draw(TVec3(0, 0, 0));
}

void GParticlesSystem::RunOnStart()
{
  TRunning running(&mRunning);
  mEngine.GetScript()->DoLuaString(kOnStart);
}

void GParticlesSystem::Reset()
{
  RunOnStart();
}

bool GParticlesSystem::OnDrag(GParticleSystemOwner* owner)
{
  if (mState != kFree)
    return false;
  mState = kLent;
  mOwner = owner;
  RunOnStart();
  return true;
}

void GParticlesSystem::DropSystem()
{
  if (mOwner)
    mOwner->OnDropSystem(this);
  mOwner = nullptr;
  mState = kFree;
  delete this;
}

void GParticlesSystem::OnEnd()
{
  // Deleting the system now would close the Lua state the script is running in.
  if (mRunning > 0) {
    mEndAsked = true;
    return;
  }
  Finish();
}

void GParticlesSystem::Finish()
{
  mEndAsked = false;
  if (mOwner)
    mOwner->OnParticleFinish(this);
  else
    DropSystem();
}

bool GParticlesSystem::isFunctionRegistered(const str& name) const
{
  std::map<str, bool>::const_iterator found = mFunctions.find(name);
  return found != mFunctions.end() && found->second;
}

int GParticlesSystem::Simulation(int ms)
{
  const int64_t total = int64_t(mPending) + ms;
  mPending = static_cast<int32_t>(total > INT_MAX ? INT_MAX : total < INT_MIN ? INT_MIN : total);
  return ms;
}

GParticlesDataSource* GParticlesSystem::NewDataSource(const str& name, const str& type)
{
  GParticlesManager* manager = GParticlesManager::GetInstance();
  GParticlesDataSource* source = manager ? manager->CreateDataSource(type) : nullptr;
  if (source && !source->Init(name, this)) {
    delete source;
    return nullptr;
  }
  return source;
}

void GParticlesSystem::RegisterVar(str name, str type)
{
  GParticlesDataSource* source = NewDataSource(name, type);
  if (!source)
    return;
  mVariables.push_back(source);
  mEngine.RegisterDataSource(name, source);
}

void GParticlesSystem::RegisteFunction(str name, str type)
{
  GParticlesDataSource* source = NewDataSource(name, type);
  if (!source)
    return;
  mEngine.AdoptFunctionInstance(name, source);
  mFunctions[name] = true;
}
