// luaparticlesystem: the Lua particle system: the script host and its API, the compiler
// of expression trees into instruction streams, spawning, stepping and drawing particles.
#include "core/particles/luaparticlesystem.h"

#include <cmath>
#include <cstring>

#include <lua.hpp>

#include "core/foundation/config.h"
#include "core/foundation/services.h"
#include "core/foundation/file.h"
#include "core/foundation/random.h"
#include "core/graphics/assetmap.h"
#include "core/graphics/texture.h"
#include "core/particles/particlecollection.h"
#include "core/particles/particlerenderer.h"
#include "core/particles/particlescript.h"
#include "core/script/luacompat.h"
#include "core/script/script.h"
#include "core/foundation/debug.h"

TRandom* TLuaParticleSystem::gRandom = nullptr;
int TLuaParticleSystem::gRandomCount = 0;
TScript* TLuaParticleSystem::gScript = nullptr;
int TLuaParticleSystem::gScriptUseCount = 0;
int TLuaParticleSystem::gUpdateCount = 0;
bool TLuaParticleSystem::gCompileStreams = true;
TFailure TLuaParticleSystem::mDefaultFailureHandler;
TFailure* TLuaParticleSystem::mFailureHandler = &TLuaParticleSystem::mDefaultFailureHandler;

namespace {

// Registry entries of a script state: the system its API addresses, and the metatable
// of member handles.
char const kSystemKey[] = "qvParticleSystem";
char const kMemberMTKey[] = "qvParticleMemberMT";
char const kRendererInitName[] = "TLuaParticleSystem ParticleRenderer init string";

// Whether this module made gRandom (and so deletes it with the last system).
bool gRandomOwned = false;

bool IsSharedMode()
{
  return TConfig::Get("lpsonescript", "0").to_int() != 0;
}

TLuaParticleSystem* CurrentSystem(lua_State* L)
{
  lua_getfield(L, LUA_REGISTRYINDEX, kSystemKey);
  TLuaParticleSystem* system = static_cast<TLuaParticleSystem*>(lua_touserdata(L, -1));
  lua_pop(L, 1);
  return system;
}

// Raises a Lua error when no system is bound (the last one using a shared host went).
TLuaParticleSystem* CheckSystem(lua_State* L)
{
  TLuaParticleSystem* system = CurrentSystem(L);
  if (!system)
    luaL_error(L, "no particle system is running this script");
  return system;
}

void PushMember(lua_State* L, uint32_t handle)
{
  uint32_t* box = static_cast<uint32_t*>(lua_newuserdatauv(L, sizeof(uint32_t), 0));
  *box = handle;
  lua_getfield(L, LUA_REGISTRYINDEX, kMemberMTKey);
  lua_setmetatable(L, -2);
}

bool ToMember(lua_State* L, int index, uint32_t* handle)
{
  if (lua_type(L, index) != LUA_TUSERDATA || lua_rawlen(L, index) != sizeof(uint32_t))
    return false;
  lua_getmetatable(L, index);
  lua_getfield(L, LUA_REGISTRYINDEX, kMemberMTKey);
  bool member = lua_rawequal(L, -1, -2) != 0;
  lua_pop(L, 2);
  if (!member)
    return false;
  std::memcpy(handle, lua_touserdata(L, index), sizeof(uint32_t));
  return true;
}

float ToFloat(lua_State* L, int index)
{
  return (float)lua_tonumber(L, index);
}

// Names of Lua constructors become part of Lua text, so they must be plain identifiers.
bool IsIdentifier(const str& name)
{
  const char* text = name.c_str();
  if (!*text || (*text >= '0' && *text <= '9'))
    return false;
  for (; *text; ++text) {
    char c = *text;
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
      return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// Lua API (no C++ object may be alive where these raise a Lua error)

int LuaRandomRange(lua_State* L)
{
  double lo = lua_tonumber(L, 1);
  double hi = lua_tonumber(L, 2);
  TLuaParticleSystem::AcquireRandom();
  double value = lo + std::floor((hi - lo + 1) * TLuaParticleSystem::gRandom->RandDouble());
  if (value >= -9007199254740992.0 && value <= 9007199254740992.0)
    lua_pushinteger(L, (lua_Integer)value);
  else
    lua_pushnumber(L, value);
  return 1;
}

int LuaRandomFloat(lua_State* L)
{
  TLuaParticleSystem::AcquireRandom();
  lua_pushnumber(L, TLuaParticleSystem::gRandom->RandFloat());
  return 1;
}

int LuaSetRendererOption(lua_State* L)
{
  TLuaParticleSystem* system = CheckSystem(L);
  int count = (int)lua_tointeger(L, lua_upvalueindex(1));
  const char* name = luaL_checkstring(L, 1);
  float v[4] = {0, 0, 0, 0};
  for (int i = 0; i < count; ++i)
    v[i] = ToFloat(L, 2 + i);
  switch (count) {
  case 1:
    system->SetRendererOption1(name, v[0]);
    break;
  case 2:
    system->SetRendererOption2(name, v[0], v[1]);
    break;
  case 3:
    system->SetRendererOption3(name, v[0], v[1], v[2]);
    break;
  default:
    system->SetRendererOption4(name, v[0], v[1], v[2], v[3]);
    break;
  }
  return 0;
}

int LuaSetNumParticles(lua_State* L)
{
  CheckSystem(L)->SetNumParticles(QvLuaToInt(L, 1));
  return 0;
}

int LuaSetTexture(lua_State* L)
{
  TLuaParticleSystem* system = CheckSystem(L);
  const char* name = lua_tostring(L, 1);
  if (name)
    system->SetTexture(str(name));
  return 0;
}

int LuaCreateParticles(lua_State* L)
{
  CheckSystem(L)->CreateParticles(ToFloat(L, 1));
  return 0;
}

int LuaAllocate(lua_State* L)
{
  TLuaParticleSystem* system = CheckSystem(L);
  double width = lua_tonumber(L, 1);
  uint32_t handle = width >= 1 && width <= 4 ? system->Allocate((unsigned char)width) : 0;
  if (!handle)
    return luaL_error(L, "Allocate: cannot add a member of width %f (1 to 4 floats, 255 in all)", width);
  PushMember(L, handle);
  return 1;
}

int LuaCompileParam(lua_State* L)
{
  return CheckSystem(L)->CompileParam(L);
}

int LuaGetParticleMemberParts(lua_State* L)
{
  return CheckSystem(L)->GetParticleMemberParts(L);
}

int LuaGetParticleCount(lua_State* L)
{
  lua_pushinteger(L, CheckSystem(L)->GetParticleCount());
  return 1;
}

int LuaAccumulateInitStream(lua_State* L)
{
  CheckSystem(L)->AccumulateInitStream();
  return 0;
}

int LuaAccumulateAnimStream(lua_State* L)
{
  CheckSystem(L)->AccumulateAnimStream();
  return 0;
}

int LuaDone(lua_State* L)
{
  CheckSystem(L)->SetDone();
  return 0;
}

// Built-in functions entered without a Lua constructor, then those with one (in order).
struct TBuiltin
{
  const char* mName;
  TParticleCreator mCreator;
};

const TBuiltin kDirectBuiltins[] = {
    {"assign", FAssignDynamicCreate},
    {"lt", FLtDynamicCreate},
    {"le", FLeDynamicCreate},
    {"add", FAddDynamicCreate},
    {"unm", FUnmDynamicCreate},
    {"mul", FMulDynamicCreate},
    {"div", FDivDynamicCreate},
    {"sub", FSubDynamicCreate},
    {"index", FIndexDynamicCreate},
    {"vindex", FVIndexDynamicCreate},
    {"newindex", FNewIndexDynamicCreate},
};

const TBuiltin kConstructedBuiltins[] = {
    {"fTimeScale", FTimeScaleDynamicCreate},
    {"fAge", FAgeDynamicCreate},
    {"fPick", FPickDynamicCreate},
    {"fFade", FFadeDynamicCreate},
    {"fOpenCycle", FOpenCycleDynamicCreate},
    {"fClosedCycle", FClosedCycleDynamicCreate},
    {"fAlpha", FAlphaDynamicCreate},
    {"fDebug", FDebugDynamicCreate},
    {"fDistance", FDistanceDynamicCreate},
    {"f2dRadius", F2dRadiusDynamicCreate},
    {"f2dRotation", F2dRotationDynamicCreate},
    {"fVec", FVecDynamicCreate},
    {"fRange", FRangeDynamicCreate},
    {"fExpire", FExpireDynamicCreate},
    {"fLess", FLtDynamicCreate},
    {"fLessEqual", FLeDynamicCreate},
};

void DefineConstructor(lua_State* L, const str& name)
{
  str text = str::getFormatted("function %s(...) return CreateValue('%s',{n=select('#',...),...}); end", name.c_str(),
                               name.c_str());
  if (QvLuaLoadText(L, text.c_str(), text.length(), name.c_str()) != LUA_OK || lua_pcall(L, 0, 0, 0) != LUA_OK) {
    WriteDbg("ERROR: cannot define the particle function %s: %s", name.c_str(), lua_tostring(L, -1));
    lua_pop(L, 1);
  }
}

} // namespace

// ---------------------------------------------------------------------------------------
// Construction and the script host

void TLuaParticleSystem::AcquireRandom()
{
  if (gRandom)
    return;
  uint32_t guid[4] = {0, 0, 0, 0};
  if (IMachineIdentity* identity = TServices::Get().identity)
    identity->GenerateGUID(guid);
  gRandom = new TRandom();
  gRandom->SeedArray(guid, 4);
  gRandomOwned = true;
}

TLuaParticleSystem::TLuaParticleSystem(TParticleRenderer* renderer)
    : mOwnsRenderer(renderer == nullptr), mRenderer(renderer ? renderer : new T2dParticleRenderer()),
      mParticles(new TParticleCollection()), mScript(nullptr), mShared(IsSharedMode()), mUsesSharedScript(false),
      mUpdateIndex(0), mRecords(nullptr), mRecordFloats(0), mAlpha(1.0f), mDone(false), mSpawnDebt(0),
      mMachine(new TParticleMachine(this)), mChanges(1), mInitProgramMadeAt(0), mAnimProgramMadeAt(0),
      mLiveOrderValid(false)
{
  AcquireRandom();
  ++gRandomCount;
  if (mShared)
    mUpdateIndex = gUpdateCount++;
  NewScript();
}

TLuaParticleSystem::~TLuaParticleSystem()
{
  if (--gRandomCount <= 0) {
    gRandomCount = 0;
    if (gRandomOwned)
      delete gRandom;
    if (gRandomOwned)
      gRandom = nullptr;
    gRandomOwned = false;
  }
  if (mUsesSharedScript) {
    lua_State* L = mScript->GetState();
    if (CurrentSystem(L) == this) {
      lua_pushnil(L);
      lua_setfield(L, LUA_REGISTRYINDEX, kSystemKey);
    }
    if (--gScriptUseCount > 0) {
      mScript->DoLuaString(str::getFormatted("Update%d=nil", mUpdateIndex));
      lua_setgcthreshold(L, 0);
    } else {
      delete gScript;
      gScript = nullptr;
      gScriptUseCount = 0;
    }
  } else {
    delete mScript;
  }
  mScript = nullptr;
  mParticles->Reset();
  delete[] mRecords;
  delete mParticles;
  if (mOwnsRenderer)
    delete mRenderer;
}

void TLuaParticleSystem::Bind()
{
  lua_State* L = mScript->GetState();
  lua_pushlightuserdata(L, this);
  lua_setfield(L, LUA_REGISTRYINDEX, kSystemKey);
}

bool TLuaParticleSystem::RunChunk(const char* text, size_t size, const char* chunkName)
{
  lua_State* L = mScript->GetState();
  int top = lua_gettop(L);
  if (QvLuaLoadText(L, text, size, chunkName) != LUA_OK) {
    WriteDbg("ERROR: %s: %s", chunkName, lua_tostring(L, -1));
    lua_settop(L, top);
    return false;
  }
  int status = mScript->RunFunction(0, 0);
  lua_settop(L, top);
  return status == LUA_OK;
}

void TLuaParticleSystem::NewScript()
{
  ++mChanges;
  mInitStream.clear();
  mAnimStream.clear();
  mPending.clear();
  mDataSources.clear();
  mMemberWidths.clear();
  mParticles->Reset();
  mLiveOrderValid = false;
  delete[] mRecords;
  mRecords = nullptr;

  bool fresh = false;
  if (mShared && gScript) {
    if (!mUsesSharedScript)
      ++gScriptUseCount;
    mUsesSharedScript = true;
    mScript = gScript;
  } else {
    if (!mUsesSharedScript)
      delete mScript;
    mScript = new TScript();
    fresh = true;
    lua_State* L = mScript->GetState();
    luaL_requiref(L, LUA_MATHLIBNAME, luaopen_math, 1);
    lua_pop(L, 1);
    lua_newtable(L);
    lua_pushvalue(L, -1);
    lua_setfield(L, LUA_REGISTRYINDEX, kMemberMTKey);
    lua_setglobal(L, "ParticleMemberMT");
    lua_pushcfunction(L, LuaRandomRange);
    lua_setglobal(L, "RandomRange");
    lua_pushcfunction(L, LuaRandomFloat);
    lua_setglobal(L, "RandomFloat");
    if (mShared) {
      gScript = mScript;
      gScriptUseCount = 1;
      mUsesSharedScript = true;
    }
  }

  mCreators.clear();
  for (const TBuiltin& builtin : kDirectBuiltins)
    mCreators[builtin.mName] = builtin.mCreator;
  for (const TBuiltin& builtin : kConstructedBuiltins)
    RegisterFunction(builtin.mName, builtin.mCreator);

  DefineApi();
  Bind();
  if (fresh)
    RunChunk(ParticleLibrarySource(), ParticleLibrarySize(), kParticleLibraryName);

  mRecordFloats = 0;
  str init = mRenderer->GetLuaInitString();
  RunChunk(init.c_str(), init.length(), kRendererInitName);
}

void TLuaParticleSystem::DefineApi()
{
  lua_State* L = mScript->GetState();
  for (int count = 1; count <= 4; ++count) {
    lua_pushinteger(L, count);
    lua_pushcclosure(L, LuaSetRendererOption, 1);
    lua_setglobal(L, str::getFormatted("SetRendererOption%d", count).c_str());
  }
  const struct
  {
    const char* mName;
    lua_CFunction mFunction;
  } api[] = {
      {"SetNumParticles", LuaSetNumParticles},
      {"_SetTexture", LuaSetTexture},
      {"CreateParticles", LuaCreateParticles},
      {"Allocate", LuaAllocate},
      {"CompileParam", LuaCompileParam},
      {"GetParticleMemberParts", LuaGetParticleMemberParts},
      {"GetParticleCount", LuaGetParticleCount},
      {"AccumulateInitStream", LuaAccumulateInitStream},
      {"AccumulateAnimStream", LuaAccumulateAnimStream},
      {"Done", LuaDone},
  };
  for (const auto& entry : api) {
    lua_pushcfunction(L, entry.mFunction);
    lua_setglobal(L, entry.mName);
  }
}

bool TLuaParticleSystem::Init(str name)
{
  mSpawnDebt = 0;
  Bind();
  if (name.find(".lua") != str::npos) {
    if (!TFile::Exists(name))
      return false;
    unsigned slash = name.find('/', str::kBackward, 0);
    mDirectory = slash == str::npos ? str() : name.substr(0, (int)slash + 1);
    str error;
    mScriptCode = TScriptCode::Get(name, mDirectory + "?;assets/?;assets/fx/?", &error);
    if (!mScriptCode) {
      WriteDbg("ERROR: particle effect %s: %s", name.c_str(), error.c_str());
      return false;
    }
    str chunkName = "@" + name;
    RunChunk(mScriptCode->GetText().c_str(), mScriptCode->GetLength(), chunkName.c_str());
  } else {
    mScript->DoLuaString(name);
  }
  // Statements a failed script left half-compiled must not reach a stream later.
  mPending.clear();
  if (mShared)
    mScript->DoLuaString(str::getFormatted("Update%d=Update", mUpdateIndex));
  mDone = false;
  return true;
}

void TLuaParticleSystem::Update(int ms)
{
  // The seconds reach the script as a number, never as text, so no locale can bend them.
  double seconds = (float)ms / 1000.0f;
  lua_State* L = mScript->GetState();
  Bind();
  int top = lua_gettop(L);
  if (mShared)
    lua_getglobal(L, str::getFormatted("Update%d", mUpdateIndex).c_str());
  else
    lua_getglobal(L, "Update");
  lua_pushnumber(L, seconds);
  mScript->RunFunction(1, 0);
  lua_settop(L, top);
  mPending.clear();
  ProcessParticles(ms);
}

void TLuaParticleSystem::Draw(TVec3 const& position)
{
  // Records shorter than the renderer's prototype would be read past their end.
  if (mParticles->mCount <= 0 || (int)mRecordFloats < mRenderer->GetPrototypeParticleSize())
    return;
  const std::vector<float*>& live = LiveOrder();
  mRenderer->DrawRecords(position, mAlpha, live.data(), live.size(), mParticles->mMaxParticles);
}

std::vector<float*>& TLuaParticleSystem::LiveOrder()
{
  if (!mLiveOrderValid) {
    mLiveOrder.assign(mParticles->mLive.begin(), mParticles->mLive.end());
    mLiveOrderValid = true;
  }
  return mLiveOrder;
}

int TLuaParticleSystem::GetParticleCount() const
{
  return mParticles->GetCount();
}

// ---------------------------------------------------------------------------------------
// Functions and data sources

TParticleFunction* TLuaParticleSystem::GetDataSource(int index) const
{
  if (index < 0 || (size_t)index >= mDataSources.size())
    return nullptr;
  return mDataSources[(size_t)index];
}

int TLuaParticleSystem::RegisterDataSource(str name, TParticleFunction* fn)
{
  if (!fn || mDataSources.size() >= 32768) {
    WriteDbg("ERROR: particle data source %s refused", name.c_str());
    return 0;
  }
  mDataSources.push_back(fn);
  int count = (int)mDataSources.size();
  uint32_t handle = ((uint32_t)(fn->GetReturnSize(0, nullptr) & 255) << 16) | ((uint32_t)(-count) & 0xffff);
  lua_State* L = mScript->GetState();
  PushMember(L, handle);
  lua_setglobal(L, name.c_str());
  fn->mName = name;
  return -count;
}

void TLuaParticleSystem::AdoptFunctionInstance(str name, TParticleFunction* fn)
{
  if (!fn)
    return;
  mInstances[name] = boost::shared_ptr<TParticleFunction>(fn);
  if (IsIdentifier(name))
    DefineConstructor(mScript->GetState(), name);
  else
    WriteDbg("ERROR: particle function name %s is no Lua name", name.c_str());
}

void TLuaParticleSystem::RegisterFunction(str name, TParticleCreator creator)
{
  if (!creator)
    return;
  mCreators[name] = creator;
  if (IsIdentifier(name))
    DefineConstructor(mScript->GetState(), name);
  else
    WriteDbg("ERROR: particle function name %s is no Lua name", name.c_str());
}

boost::shared_ptr<TParticleFunction> TLuaParticleSystem::GetParticleFunction(str name)
{
  std::map<str, TParticleCreator>::const_iterator creator = mCreators.find(name);
  if (creator != mCreators.end()) {
    boost::shared_ptr<TParticleFunction> function(creator->second());
    function->mName = name;
    return function;
  }
  std::map<str, boost::shared_ptr<TParticleFunction>>::iterator instance = mInstances.find(name);
  if (instance != mInstances.end()) {
    instance->second->mName = name;
    return instance->second;
  }
  // Handed to _ALERT as a value: the name comes from a script and may hold any character.
  lua_State* L = mScript->GetState();
  if (lua_getglobal(L, "_ALERT") == LUA_TFUNCTION) {
    str message = str::getFormatted("Type not found: %s", name.c_str());
    lua_pushlstring(L, message.c_str(), message.length());
    if (lua_pcall(L, 1, 0, 0) != LUA_OK)
      lua_pop(L, 1);
  } else {
    lua_pop(L, 1);
    WriteDbg("ERROR: Type not found: %s", name.c_str());
  }
  return boost::shared_ptr<TParticleFunction>();
}

// ---------------------------------------------------------------------------------------
// Compiling

void TLuaParticleSystem::Append(const boost::shared_ptr<TParticleFunction>& function, const uint8_t* widths,
                                unsigned count)
{
  mPending.emplace_back();
  mPending.back().mFunction = function;
  mPending.back().SetArgWidths(widths, count);
}

// A value that cannot be compiled still takes its place in the stream, as an instruction
// that fails, so its parent never runs on the wrong arguments.
void TLuaParticleSystem::AppendFailure()
{
  mPending.emplace_back();
}

int TLuaParticleSystem::CompileParam(lua_State* L)
{
  int type = lua_type(L, 1);
  if (type == LUA_TNUMBER) {
    Append(boost::shared_ptr<TParticleFunction>(new FPush<float>(ToFloat(L, 1))), nullptr, 0);
    lua_pushinteger(L, 1);
    return 1;
  }
  if (type == LUA_TUSERDATA) {
    uint32_t handle = 0;
    if (!ToMember(L, 1, &handle)) {
      AppendFailure();
      lua_pushinteger(L, 0);
      return 1;
    }
    Append(boost::shared_ptr<TParticleFunction>(new FGetParticleParam(handle)), nullptr, 0);
    lua_pushinteger(L, ParticleMemberWidth(handle));
    return 1;
  }
  if (type != LUA_TTABLE) {
    AppendFailure();
    lua_pushinteger(L, 0);
    return 1;
  }

  lua_settop(L, 1);
  int n = lua_getn(L, 1);
  if (n < 0)
    n = 0;
  bool allNumbers = true;
  for (int i = 1; i <= n && allNumbers; ++i) {
    lua_rawgeti(L, 1, i);
    allNumbers = lua_type(L, -1) == LUA_TNUMBER;
    lua_pop(L, 1);
  }
  lua_pushstring(L, "cmd");
  lua_rawget(L, 1); // 2: cmd
  bool hasCommand = !lua_isnil(L, 2);

  if (!hasCommand && allNumbers) {
    float v[4] = {0, 0, 0, 0};
    for (int i = 1; i <= n && i <= 4; ++i) {
      lua_rawgeti(L, 1, i);
      v[i - 1] = ToFloat(L, -1);
      lua_pop(L, 1);
    }
    boost::shared_ptr<TParticleFunction> push;
    switch (n) {
    case 1:
      push.reset(new FPush<float>(v[0]));
      break;
    case 2:
      push.reset(new FPush<TVec2>(TVec2(v[0], v[1])));
      break;
    case 3:
      push.reset(new FPush<TVec3>(TVec3(v[0], v[1], v[2])));
      break;
    case 4:
      push.reset(new FPush<TVec4>(TVec4(v[0], v[1], v[2], v[3])));
      break;
    default:
      break;
    }
    if (!push) {
      WriteDbg("ERROR: a particle constant of %d numbers has no width", n);
      AppendFailure();
      lua_pushinteger(L, 0);
      return 1;
    }
    Append(push, nullptr, 0);
    lua_pushinteger(L, n);
    return 1;
  }

  // A call node: compile the arguments first (post order), then the function.
  const char* command = lua_type(L, 2) == LUA_TSTRING || lua_type(L, 2) == LUA_TNUMBER ? lua_tostring(L, 2) : nullptr;
  bool isVector = !command || !*command;
  if (isVector) {
    lua_pushvalue(L, 1); // 3: the arguments
  } else {
    lua_pushstring(L, "params");
    lua_rawget(L, 1);
    if (!lua_istable(L, 3)) {
      lua_pop(L, 1);
      lua_newtable(L);
    }
    n = lua_getn(L, 3);
    if (n < 0)
      n = 0;
  }
  lua_getglobal(L, "CompileParameters");
  lua_pushvalue(L, 3);
  lua_call(L, 1, 1); // 4: widths (may raise: nothing of C++ is alive here)

  if (n > 255) {
    WriteDbg("ERROR: particle function %s called with %d arguments", isVector ? "fVec" : command, n);
    AppendFailure();
    lua_pushinteger(L, 0);
    return 1;
  }
  uint8_t widths[255];
  for (int i = 1; i <= n; ++i) {
    double width = 0;
    if (lua_istable(L, 4)) {
      lua_rawgeti(L, 4, i);
      width = lua_tonumber(L, -1);
      lua_pop(L, 1);
    }
    widths[i - 1] = width > 0 && width <= 255 ? (uint8_t)width : 0;
  }
  unsigned result = 0;
  {
    boost::shared_ptr<TParticleFunction> function = GetParticleFunction(isVector ? str("fVec") : str(command));
    if (function) {
      result = function->GetReturnSize(n, widths);
      Append(function, widths, (unsigned)n);
    } else {
      AppendFailure();
    }
  }
  lua_pushinteger(L, result);
  return 1;
}

void TLuaParticleSystem::AccumulateInitStream()
{
  ++mChanges;
  mInitStream.insert(mInitStream.end(), mPending.begin(), mPending.end());
  mPending.clear();
}

void TLuaParticleSystem::AccumulateAnimStream()
{
  ++mChanges;
  mAnimStream.insert(mAnimStream.end(), mPending.begin(), mPending.end());
  mPending.clear();
}

int TLuaParticleSystem::GetParticleMemberParts(lua_State* L)
{
  uint32_t handle = 0;
  if (!ToMember(L, 1, &handle))
    return luaL_error(L, "GetParticleMemberParts: not a particle member");
  lua_pushinteger(L, (int16_t)(handle & 0xffff));
  lua_pushinteger(L, (uint16_t)(handle >> 16));
  return 2;
}

// ---------------------------------------------------------------------------------------
// Members and particles

uint32_t TLuaParticleSystem::Allocate(unsigned char width)
{
  if (width < 1 || width > 4 || mRecordFloats + (unsigned)width > kMaxRecordFloats) {
    WriteDbg("ERROR: particle member of %u floats refused (%u of %u floats in use)", (unsigned)width,
             (unsigned)mRecordFloats, kMaxRecordFloats);
    return 0;
  }
  ++mChanges;
  uint32_t handle = (uint32_t)width << 16 | mRecordFloats;
  mRecordFloats = (uint8_t)(mRecordFloats + width);
  mMemberWidths.push_back(width);
  // Records made before this member was added are too short for it: make them anew.
  if (mParticles->mMaxParticles > 0)
    SetNumParticles(mParticles->mMaxParticles);
  return handle;
}

void TLuaParticleSystem::SetNumParticles(int n)
{
  if (n < 0)
    n = 0;
  if (n > kMaxParticles) {
    WriteDbg("ERROR: %d particles asked for; held to %d", n, kMaxParticles);
    n = kMaxParticles;
  }
  mParticles->Reset();
  mLiveOrderValid = false;
  delete[] mRecords;
  mRecords = nullptr;
  if (n > 0 && mRecordFloats > 0)
    mRecords = new float[(size_t)n * mRecordFloats]();
  mParticles->InitNumParticles(n, mRecordFloats, mRecords);
}

void TLuaParticleSystem::PrepareState(TParticleState* state, int elapsed)
{
  state->mParams = TParamSet(nullptr, mMemberWidths.data(), (unsigned)mMemberWidths.size());
  state->mElapsed = elapsed;
  state->mAlive = true;
}

TParticleProgram* TLuaParticleSystem::Program(TParticleProgram& program, unsigned& madeAt, const TStream& stream)
{
  if (!gCompileStreams)
    return nullptr;
  if (madeAt != mChanges) {
    madeAt = mChanges;
    program.Compile(stream.data(), stream.size(), mMemberWidths.data(), (unsigned)mMemberWidths.size());
  }
  return program.IsCompiled() ? &program : nullptr;
}

void TLuaParticleSystem::CreateParticles(float n)
{
  if (mParticles->mMaxParticles <= 0 || !std::isfinite(n))
    return;
  mSpawnDebt += n;
  if (mSpawnDebt <= 0)
    return;
  TParticleProgram* program = Program(mInitProgram, mInitProgramMadeAt, mInitStream);
  TParticleState state;
  PrepareState(&state, 0);
  const float* prototype = mRenderer->GetPrototypeParticle();
  unsigned prototypeSize = (unsigned)mRenderer->GetPrototypeParticleSize();
  if (prototypeSize > mRecordFloats)
    prototypeSize = mRecordFloats;
  mMade.clear();
  while (mSpawnDebt > 0) {
    mSpawnDebt -= 1;
    if (mParticles->mFree.empty())
      break;
    float* record = mParticles->mFree.front();
    std::memset(record, 0, mRecordFloats * sizeof(float));
    if (prototype)
      std::memcpy(record, prototype, prototypeSize * sizeof(float));
    mMade.push_back(record);
    if (!program) {
      state.mParams.mValues = record;
      mMachine->Run(mInitStream.data(), mInitStream.size(), state);
    }
    // A particle that expires while being made is still added.
    mParticles->mLive.splice(mParticles->mLive.begin(), mParticles->mFree, mParticles->mFree.begin());
    ++mParticles->mCount;
  }
  // Each new particle went to the front of the live list: the newest comes first.
  if (mLiveOrderValid)
    mLiveOrder.insert(mLiveOrder.begin(), mMade.rbegin(), mMade.rend());
  // The new particles in the order they were made, as the machine would have run them.
  if (program && !mMade.empty()) {
    mRunAlive.resize(mMade.size());
    program->Run(this, mMade.data(), mMade.size(), 0, mRunAlive.data());
  }
}

void TLuaParticleSystem::ProcessParticles(int ms)
{
  std::list<float*>& live = mParticles->mLive;
  if (live.empty())
    return;
  if (TParticleProgram* program = Program(mAnimProgram, mAnimProgramMadeAt, mAnimStream)) {
    std::vector<float*>& order = LiveOrder();
    mRunAlive.resize(order.size());
    if (program->Run(this, order.data(), order.size(), ms, mRunAlive.data()))
      return;
    // The expired leave both the list and the array, which keep their order.
    size_t index = 0;
    size_t kept = 0;
    for (std::list<float*>::iterator it = live.begin(); it != live.end(); ++index) {
      if (mRunAlive[index]) {
        order[kept++] = *it++;
        continue;
      }
      std::list<float*>::iterator expired = it++;
      mParticles->mFree.splice(mParticles->mFree.begin(), live, expired);
      --mParticles->mCount;
    }
    order.resize(kept);
    return;
  }
  mLiveOrderValid = false;
  TParticleState state;
  PrepareState(&state, ms);
  const PInstruction* code = mAnimStream.data();
  size_t count = mAnimStream.size();
  for (std::list<float*>::iterator it = live.begin(); it != live.end();) {
    state.mParams.mValues = *it;
    mMachine->Run(code, count, state);
    if (state.mAlive) {
      ++it;
      continue;
    }
    std::list<float*>::iterator expired = it++;
    mParticles->mFree.splice(mParticles->mFree.begin(), live, expired);
    --mParticles->mCount;
  }
}

// ---------------------------------------------------------------------------------------
// Renderer

void TLuaParticleSystem::SetTexture(str name)
{
  TAssetMap assets;
  assets.AddAsset(name, boost::shared_ptr<TAsset>(), true);
  boost::shared_ptr<TTexture> texture;
  if (assets.QueryAsset(name))
    texture = assets.GetTexture(name);
  if (!texture && !mDirectory.empty()) {
    assets.mAutoLoad = true;
    texture = assets.GetTexture(mDirectory + name);
  }
  if (texture)
    mRenderer->SetTexture(texture);
}

void TLuaParticleSystem::SetRendererOption1(const char* name, float a)
{
  SetRendererOption4(name, a, 0, 0, 0);
}

void TLuaParticleSystem::SetRendererOption2(const char* name, float a, float b)
{
  SetRendererOption4(name, a, b, 0, 0);
}

void TLuaParticleSystem::SetRendererOption3(const char* name, float a, float b, float c)
{
  SetRendererOption4(name, a, b, c, 0);
}

void TLuaParticleSystem::SetRendererOption4(const char* name, float a, float b, float c, float d)
{
  const float values[4] = {a, b, c, d};
  mRenderer->SetRendererOption(str(name ? name : ""), values);
}
