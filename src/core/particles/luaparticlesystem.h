// luaparticlesystem: one particle effect: a Lua state running the effect script, the
// compiler of its expressions into instruction streams, the particle pool and its renderer.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "core/foundation/str.h"
#include "core/foundation/vec.h"
#include "core/particles/particlefunction.h"
#include "core/particles/particleprogram.h"

struct lua_State;
class TParticleCollection;
class TParticleRenderer;
class TRandom;
class TScript;
class TScriptCode;

class TLuaParticleSystem
{
public:
  typedef TParticleInstruction PInstruction;
  typedef std::vector<PInstruction> TStream;

  // Largest particle pool a script may ask for (records of at most 255 floats: 64 MB).
  static constexpr int kMaxParticles = 1 << 16;
  // Floats a particle record may hold.
  static constexpr unsigned kMaxRecordFloats = 255;

  // With a null renderer the system makes (and owns) a 2D particle renderer.
  explicit TLuaParticleSystem(TParticleRenderer* renderer = nullptr);
  virtual ~TLuaParticleSystem();

  // Loads the effect: a ".lua" file name, or else Lua text run as it is. False when the
  // file does not exist or cannot be read as a script.
  virtual bool Init(str name);
  // One step of ms milliseconds: the script's Update, then the animation stream.
  virtual void Update(int ms);
  void Draw(TVec3 const& position);
  int GetParticleCount() const;

  // A game value readable in scripts as a member named name; returns its (negative)
  // slot, 0 when refused. The caller keeps fn alive as long as the system.
  int RegisterDataSource(str name, TParticleFunction* fn);
  // Takes fn and offers it to scripts as the function name.
  void AdoptFunctionInstance(str name, TParticleFunction* fn);
  boost::shared_ptr<TParticleFunction> GetParticleFunction(str name);
  void RegisterFunction(str name, TParticleCreator creator);

  void SetNumParticles(int n);
  void CreateParticles(float n);
  void ProcessParticles(int ms);
  // The Lua function CompileParam: compiles the value at argument 1 into the pending
  // stream and returns its width.
  int CompileParam(lua_State* L);
  // A new member of width (1 to 4) floats; 0 when refused (bad width, record full).
  uint32_t Allocate(unsigned char width);
  void AccumulateInitStream();
  void AccumulateAnimStream();
  void SetDone() { mDone = true; }
  bool IsDone() const { return mDone; }
  void SetTexture(str name);
  void SetRendererOption1(const char* name, float a);
  void SetRendererOption2(const char* name, float a, float b);
  void SetRendererOption3(const char* name, float a, float b, float c);
  void SetRendererOption4(const char* name, float a, float b, float c, float d);
  int GetParticleMemberParts(lua_State* L);

  // Data source number index (0 for the first registered); null when there is none.
  TParticleFunction* GetDataSource(int index) const;

  void SetAlpha(float alpha) { mAlpha = alpha; }
  float GetAlpha() const { return mAlpha; }
  float GetSpawnDebt() const { return mSpawnDebt; }
  TScript* GetScript() const { return mScript; }
  TParticleRenderer* GetRenderer() const { return mRenderer; }
  TParticleCollection* GetCollection() const { return mParticles; }
  const TStream& GetInitStream() const { return mInitStream; }
  const TStream& GetAnimStream() const { return mAnimStream; }
  unsigned GetRecordFloats() const { return mRecordFloats; }
  const std::vector<uint8_t>& GetMemberWidths() const { return mMemberWidths; }
  int GetUpdateIndex() const { return mUpdateIndex; }

  // The generator of the particle functions and the Lua helpers, shared by all systems:
  // made by the first system (seeded from a GUID) and deleted with the last. Tests may
  // install their own while no system exists.
  static TRandom* gRandom;
  static int gRandomCount;
  // Makes gRandom if there is none.
  static void AcquireRandom();

  // Shared-state mode ("lpsonescript"): one Lua host for all systems.
  static TScript* gScript;
  static int gScriptUseCount;
  static int gUpdateCount;

  static TFailure* mFailureHandler;
  static TFailure mDefaultFailureHandler;

  // While false, streams run on the machine one particle at a time instead of as compiled
  // programs (tests compare the two).
  static bool gCompileStreams;

private:
  TLuaParticleSystem(const TLuaParticleSystem&) = delete;
  TLuaParticleSystem& operator=(const TLuaParticleSystem&) = delete;

  void NewScript();
  // Points the Lua API of the script host at this system.
  void Bind();
  void DefineApi();
  // Loads text under a chunk name and runs it; false (reported) on failure.
  bool RunChunk(const char* text, size_t size, const char* chunkName);
  void Append(const boost::shared_ptr<TParticleFunction>& function, const uint8_t* widths, unsigned count);
  void AppendFailure();
  // The particle state over a record of this system's member layout.
  void PrepareState(TParticleState* state, int elapsed);

  bool mOwnsRenderer;
  TParticleRenderer* mRenderer;
  TParticleCollection* mParticles;
  TScript* mScript;
  bool mShared;
  bool mUsesSharedScript;
  int mUpdateIndex;
  boost::shared_ptr<TScriptCode> mScriptCode;
  str mDirectory;
  float* mRecords;
  uint8_t mRecordFloats;
  std::vector<uint8_t> mMemberWidths;
  std::vector<TParticleFunction*> mDataSources;
  std::map<str, TParticleCreator> mCreators;
  std::map<str, boost::shared_ptr<TParticleFunction>> mInstances;
  TStream mInitStream;
  TStream mAnimStream;
  TStream mPending;
  float mAlpha;
  bool mDone;
  float mSpawnDebt;
  std::unique_ptr<TParticleMachine> mMachine;

  // The streams compiled, when they can be; a program is made again after the streams or
  // the members change (the change count differs from the one it was made at).
  TParticleProgram* Program(TParticleProgram& program, unsigned& madeAt, const TStream& stream);
  unsigned mChanges;
  TParticleProgram mInitProgram;
  unsigned mInitProgramMadeAt;
  TParticleProgram mAnimProgram;
  unsigned mAnimProgramMadeAt;
  // The particles made by the last CreateParticles, in the order they were made.
  std::vector<float*> mMade;
  std::vector<uint8_t> mRunAlive;

  // The live records in the live list's order, kept alongside the list so that a step and a
  // draw walk an array instead of the list; rebuilt from the list after changes it does not
  // follow.
  std::vector<float*>& LiveOrder();
  std::vector<float*> mLiveOrder;
  bool mLiveOrderValid;
};
