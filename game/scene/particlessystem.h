// particlessystem: one particle effect of the game: the engine's particle system running a
// script from "particles/", with the game's Lua functions, data sources and emitter position.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "core/foundation/str.h"
#include "core/foundation/vec.h"
#include "core/particles/luaparticlesystem.h"
#include "core/particles/particlefunction.h"

class GParticlesDataSource;

// Also a particle function: its own script reads the emitter position as the data source "dPos".
class GParticlesSystem : public TParticleFunction
{
public:
  // The holder a system is lent to.
  class GParticleSystemOwner
  {
  public:
    virtual ~GParticleSystemOwner() {}
    // The script said the effect is over.
    virtual void OnParticleFinish(GParticlesSystem* system) = 0;
    // The system is going; forget it.
    virtual void OnDropSystem(GParticlesSystem* system) = 0;
  };

  enum EState
  {
    kNew = 0,
    kFree = 1,
    kLent = 2
  };

  GParticlesSystem();
  ~GParticlesSystem() override;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "GParticlesSystem"; }
  bool IsKindOf(intptr_t classId) const override
  {
    return classId == ClassId() || TParticleFunction::IsKindOf(classId);
  }
  uint8_t GetReturnSize(int argCount, uint8_t* argWidths) override { return 2; }
  // Pushes the emitter position.
  bool Process(TParticleState& state, TParticleMachineState& machine) override;

  // Defines the game's Lua functions and "dPos", then loads "particles/<name>.lua".
  bool Init(const str& name);
  // Advances by ms plus the time the script asked for with "Simulation". An end the
  // script asked for meanwhile is carried out when the step is over: the system may be
  // gone when Update returns.
  void Update(int ms);
  // Particles are simulated in scene coordinates, so they are drawn from the origin.
  void Draw();
  // Runs the script's OnStart(-1), if it has one.
  void Reset();
  // Lends a free system to an owner (and starts it); false in any other state.
  bool OnDrag(GParticleSystemOwner* owner);
  // Tells the owner, then deletes the system.
  void DropSystem();
  // The effect is over: the owner is told, or without one the system drops itself.
  void OnEnd();
  bool isFunctionRegistered(const str& name) const;
  // Adds ms to the next update; returns ms.
  int Simulation(int ms);
  // Makes a data source of the class and offers it to the script as a member (RegisterVar)
  // or a function (RegisteFunction) of that name; unknown classes are ignored.
  void RegisterVar(str name, str type);
  void RegisteFunction(str name, str type);

  void SetPosition(const TVec2& position) { mPosition = position; }
  const TVec2& GetPosition() const { return mPosition; }
  TLuaParticleSystem& GetEngine() { return mEngine; }
  int GetState() const { return mState; }
  const str& GetName() const { return mName; }
  GParticleSystemOwner* GetOwner() const { return mOwner; }
  int GetPending() const { return mPending; }

private:
  // A data source of the class, initialised for this system; null when unknown or refused.
  GParticlesDataSource* NewDataSource(const str& name, const str& type);
  GParticlesSystem(const GParticlesSystem&) = delete;
  GParticlesSystem& operator=(const GParticlesSystem&) = delete;

  void ScriptDump(str text) {}
  void RunOnStart();
  // Runs the end the script asked for while it was running.
  void Finish();

  std::map<str, bool> mFunctions;
  TLuaParticleSystem mEngine;
  GParticleSystemOwner* mOwner;
  std::vector<GParticlesDataSource*> mVariables;
  int32_t mPending;
  int32_t mState;
  TVec2 mPosition;
  str mName;
  // Native calls into the script in progress: the script cannot end the system under them.
  int mRunning;
  bool mEndAsked;
};
