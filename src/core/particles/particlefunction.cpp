// particlefunction: the evaluation stack, the stream runner and the built-in particle
// functions; draws random numbers from the particle systems' generator (luaparticlesystem).
#include "core/particles/particlefunction.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/foundation/random.h"
#include "core/particles/luaparticlesystem.h"
#include "core/foundation/debug.h"

namespace {

char const kSourceFile[] = "particlefunction.cpp";

// Widest stack value.
constexpr unsigned kMaxWidth = 4;

TRandom& Random()
{
  if (!TLuaParticleSystem::gRandom)
    TLuaParticleSystem::AcquireRandom();
  return *TLuaParticleSystem::gRandom;
}

float UnitFloat()
{
  return Random().RandFloat();
}
double UnitDouble()
{
  return Random().RandDouble();
}

bool Arity(const TParticleMachineState& machine, unsigned count)
{
  return machine.mArgCount == count;
}

TFailure& Handler()
{
  if (!TLuaParticleSystem::mFailureHandler)
    TLuaParticleSystem::mFailureHandler = &TLuaParticleSystem::mDefaultFailureHandler;
  return *TLuaParticleSystem::mFailureHandler;
}

// For componentwise functions of two values: the second may be wider (its first floats
// are used) but never narrower.
bool PairFits(const TParticleMachineState& machine)
{
  return Arity(machine, 2) && machine.ArgWidth(0) >= 1 && machine.ArgWidth(1) >= machine.ArgWidth(0);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Reports and the machine

TParticleFunction* TParticleMachineState::GetDataSource(int slot) const
{
  if (slot >= 0 || !mSystem)
    return nullptr;
  return mSystem->GetDataSource(-slot - 1);
}

void TParticleCompileStep::Constant(const float* values, unsigned width)
{
  Take(kConstant, width);
  for (unsigned i = 0; i < 4; ++i)
    mConstant[i] = i < width ? values[i] : 0.0f;
}

void TParticleInstruction::SetArgWidths(const uint8_t* widths, unsigned count)
{
  mArgCount = (uint8_t)(count > 255 ? 255 : count);
  mMoreWidths.clear();
  if (mArgCount <= 3) {
    for (unsigned i = 0; i < 3; ++i)
      mInlineWidths[i] = i < mArgCount ? widths[i] : 0;
  } else {
    mMoreWidths.assign(widths, widths + mArgCount);
  }
}

TParticleMachine::TParticleMachine(TLuaParticleSystem* system)
{
  mStack.mValues = mFloats;
  mStack.mSizes = mWidths;
  mStack.mCount = 0;
  mStack.mCapacity = TParticleMachineState::kStackEntries;
  mStack.mOffsets[0] = 0;
  std::memset(mWidths, 0, sizeof mWidths);
  mMachine.mSystem = system;
  mMachine.mStack = &mStack;
}

bool TParticleMachine::Run(const TParticleInstruction* code, size_t count, TParticleState& state)
{
  TParticleMachineState& machine = mMachine;
  mStack.mCount = 0;
  machine.mBase = machine.mTop = 0;
  machine.mArgCount = 0;
  state.mAlive = true;
  for (size_t i = 0; i < count; ++i) {
    const TParticleInstruction& instruction = code[i];
    TParticleFunction* function = instruction.mFunction.get();
    // An instruction the compiler could not build, or one whose arguments are not all
    // there, would run on the wrong values.
    if (!function || instruction.mArgCount > machine.mTop)
      return false;
    machine.mBase = (uint8_t)(machine.mTop - instruction.mArgCount);
    machine.mArgCount = instruction.mArgCount;
    if (!function->Process(state, machine))
      return false;
    machine.mTop = machine.mBase;
  }
  return true;
}

TParticleFunction* TParticleFunctionDynamicCreate()
{
  return new TParticleFunction();
}

#define QV_DYNAMIC_CREATE(Name)                                                                                        \
  TParticleFunction* Name##DynamicCreate()                                                                             \
  {                                                                                                                    \
    return new Name();                                                                                                 \
  }

QV_DYNAMIC_CREATE(FAssign)
QV_DYNAMIC_CREATE(FAdd)
QV_DYNAMIC_CREATE(FSub)
QV_DYNAMIC_CREATE(FMul)
QV_DYNAMIC_CREATE(FDiv)
QV_DYNAMIC_CREATE(FUnm)
QV_DYNAMIC_CREATE(FIndex)
QV_DYNAMIC_CREATE(FVIndex)
QV_DYNAMIC_CREATE(FNewIndex)
QV_DYNAMIC_CREATE(FLt)
QV_DYNAMIC_CREATE(FLe)
QV_DYNAMIC_CREATE(FTimeScale)
QV_DYNAMIC_CREATE(FAge)
QV_DYNAMIC_CREATE(FPick)
QV_DYNAMIC_CREATE(FFade)
QV_DYNAMIC_CREATE(FOpenCycle)
QV_DYNAMIC_CREATE(FClosedCycle)
QV_DYNAMIC_CREATE(FAlpha)
QV_DYNAMIC_CREATE(FDebug)
QV_DYNAMIC_CREATE(FDistance)
QV_DYNAMIC_CREATE(F2dRadius)
QV_DYNAMIC_CREATE(F2dRotation)
QV_DYNAMIC_CREATE(FVec)
QV_DYNAMIC_CREATE(FRange)
QV_DYNAMIC_CREATE(FExpire)

#undef QV_DYNAMIC_CREATE

// ---------------------------------------------------------------------------------------
// Members

bool FGetParticleParam::Process(TParticleState& state, TParticleMachineState& machine)
{
  int slot = ParticleMemberSlot(mMember);
  if (slot < 0) {
    TParticleFunction* source = machine.GetDataSource(slot);
    return source && source->Process(state, machine);
  }
  unsigned first = (unsigned)slot & 255;
  unsigned width = ParticleMemberWidth(mMember);
  if (first + width > state.mParams.FloatCount())
    return false;
  return machine.Push(state.mParams.mValues + first, (unsigned char)width);
}

void FGetParticleParam::Compile(TParticleCompileStep& step)
{
  const int slot = ParticleMemberSlot(mMember);
  const unsigned first = (unsigned)slot & 255;
  const unsigned width = ParticleMemberWidth(mMember);
  if (slot < 0)
    step.NotCompilable(); // a data source: the game's own function
  else if (width < 1 || first + width > step.RecordFloats())
    step.AlwaysFails();
  else
    step.Load(first, width);
}

uint8_t FAssign::GetReturnSize(int, uint8_t*)
{
  return 0;
}

bool FAssign::Process(TParticleState& state, TParticleMachineState& machine)
{
  if (!Arity(machine, 3))
    return false;
  int slot = ParticleTruncatedInt(machine.Arg(1)[0]);
  int memberWidth = ParticleTruncatedInt(machine.Arg(2)[0]);
  if (slot < 0 || memberWidth < 1)
    return false;
  unsigned floats = state.mParams.FloatCount();
  if ((unsigned)slot >= floats)
    return false;
  // A value wider than the member fills the member only, and never runs off the record.
  unsigned count = machine.ArgWidth(0);
  if (count > (unsigned)memberWidth)
    count = (unsigned)memberWidth;
  if (count > floats - (unsigned)slot)
    count = floats - (unsigned)slot;
  const float* value = machine.Arg(0);
  float* member = state.mParams.mValues + slot;
  for (unsigned i = 0; i < count; ++i)
    member[i] = value[i];
  return true;
}

void FAssign::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 3)
    return step.AlwaysFails();
  // A slot and width known before any particle runs make a plain store.
  if (!step.Known(1) || !step.Known(2))
    return step.Call(0, false, true);
  const int slot = ParticleTruncatedInt(step.Value(1));
  const int memberWidth = ParticleTruncatedInt(step.Value(2));
  const unsigned floats = step.RecordFloats();
  if (slot < 0 || memberWidth < 1 || (unsigned)slot >= floats)
    return step.AlwaysFails();
  unsigned stored = step.Width(0);
  if (stored > (unsigned)memberWidth)
    stored = (unsigned)memberWidth;
  if (stored > floats - (unsigned)slot)
    stored = floats - (unsigned)slot;
  step.Store((unsigned)slot, stored);
}

bool FNewIndex::Process(TParticleState& state, TParticleMachineState& machine)
{
  if (!Arity(machine, 3) || machine.ArgWidth(0) != 1 || machine.ArgWidth(1) != 1 || machine.ArgWidth(2) != 1)
    return false;
  int slot = ParticleTruncatedInt(machine.Arg(0)[0]);
  if (slot < 0)
    return false;
  unsigned first = (unsigned)slot & 255;
  unsigned k = ParticleComponentIndex(machine.Arg(1)[0]);
  float value = machine.Arg(2)[0];
  // The component must lie inside the member that starts at the slot (or, for a slot
  // that starts no member, inside the record).
  unsigned limit = state.mParams.FloatCount();
  for (unsigned i = 0; i < state.mParams.mCount; ++i) {
    if (state.mParams.mOffsets[i] == first) {
      limit = first + state.mParams.mSizes[i];
      break;
    }
  }
  if (k < 1 || first + (k - 1) >= limit)
    return false;
  state.mParams.mValues[first + k - 1] = value;
  return machine.Push(&value, 1);
}

void FNewIndex::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 3 || step.Width(0) != 1 || step.Width(1) != 1 || step.Width(2) != 1)
    step.AlwaysFails();
  else
    step.Call(1, false, true);
}

uint8_t FNewIndex::GetReturnSize(int, uint8_t*)
{
  return 1;
}

uint8_t FIndex::GetReturnSize(int, uint8_t*)
{
  return 1;
}

bool FIndex::Process(TParticleState& state, TParticleMachineState& machine)
{
  if (!Arity(machine, 2) || machine.ArgWidth(0) != 1 || machine.ArgWidth(1) != 1)
    return false;
  int slot = ParticleTruncatedInt(machine.Arg(0)[0]);
  unsigned k = ParticleComponentIndex(machine.Arg(1)[0]);
  char message[256];
  if (slot >= 0) {
    unsigned index = ((unsigned)slot & 255) + k - 1;
    if (k >= 1 && index < state.mParams.FloatCount()) {
      float value = state.mParams.mValues[index];
      return machine.Push(&value, 1);
    }
    std::snprintf(message, sizeof message, "Out of range parameter index [%d]", (int)k);
    Handler().Failure(message, __LINE__, kSourceFile);
    return false;
  }
  // The data-source slots run from -1 down; anything below 16 bits is no member.
  TParticleFunction* source = slot >= -32768 ? machine.GetDataSource(slot) : nullptr;
  if (!source)
    return false;
  unsigned width = source->GetReturnSize(0, nullptr);
  if (k < 1 || k - 1 >= width) {
    std::snprintf(message, sizeof message, "Out of range parameter index [%d] when indexing %s", (int)k,
                  source->mName.c_str());
    Handler().Failure(message, __LINE__, kSourceFile);
    return false;
  }
  uint8_t base = machine.mBase;
  float value = 0.0f;
  if (source->Process(state, machine) && machine.mBase == base + 1 && machine.mStack->mSizes[base] >= k) {
    value = machine.mStack->Entry(base)[k - 1];
  }
  machine.mBase = base;
  return machine.Push(&value, 1);
}

void FIndex::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 2 || step.Width(0) != 1 || step.Width(1) != 1)
    return step.AlwaysFails();
  // A slot or component known only per particle may name a data source.
  if (!step.Known(0) || !step.Known(1) || ParticleTruncatedInt(step.Value(0)) < 0)
    return step.NotCompilable();
  const unsigned k = ParticleComponentIndex(step.Value(1));
  const unsigned index = ((unsigned)ParticleTruncatedInt(step.Value(0)) & 255) + k - 1;
  if (k >= 1 && index < step.RecordFloats())
    step.Load(index, 1);
  else
    step.Call(1, true); // reports the index and fails, on every particle that gets here
}

uint8_t FVIndex::GetReturnSize(int, uint8_t*)
{
  return 1;
}

bool FVIndex::Process(TParticleState&, TParticleMachineState& machine)
{
  if (!Arity(machine, 2) || machine.ArgWidth(1) < 1)
    return false;
  unsigned k = ParticleComponentIndex(machine.Arg(1)[0]);
  if (k < 1 || k > machine.ArgWidth(0))
    return false;
  float value = machine.Arg(0)[k - 1];
  return machine.Push(&value, 1);
}

void FVIndex::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 2 || step.Width(1) < 1)
    return step.AlwaysFails();
  if (!step.Known(1))
    return step.Call(1);
  const unsigned k = ParticleComponentIndex(step.Value(1));
  if (k < 1 || k > step.Width(0))
    step.AlwaysFails();
  else
    step.Floats(k - 1, 1);
}

// ---------------------------------------------------------------------------------------
// Arithmetic and comparisons

uint8_t FAdd::GetReturnSize(int argCount, uint8_t* widths)
{
  return argCount > 0 ? widths[0] : 0;
}

bool FAdd::Process(TParticleState&, TParticleMachineState& machine)
{
  if (!PairFits(machine))
    return false;
  unsigned width = machine.ArgWidth(0);
  const float* a = machine.Arg(0);
  const float* b = machine.Arg(1);
  float result[kMaxWidth];
  for (unsigned i = 0; i < width; ++i)
    result[i] = a[i] + b[i];
  return machine.Push(result, (unsigned char)width);
}

void FAdd::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 2 || step.Width(0) < 1 || step.Width(1) < step.Width(0))
    step.AlwaysFails();
  else
    step.Operation(TParticleCompileStep::kAdd, step.Width(0));
}

uint8_t FSub::GetReturnSize(int argCount, uint8_t* widths)
{
  return argCount > 0 ? widths[0] : 0;
}

bool FSub::Process(TParticleState&, TParticleMachineState& machine)
{
  if (!PairFits(machine))
    return false;
  unsigned width = machine.ArgWidth(0);
  const float* a = machine.Arg(0);
  const float* b = machine.Arg(1);
  float result[kMaxWidth];
  for (unsigned i = 0; i < width; ++i)
    result[i] = a[i] - b[i];
  return machine.Push(result, (unsigned char)width);
}

void FSub::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 2 || step.Width(0) < 1 || step.Width(1) < step.Width(0))
    step.AlwaysFails();
  else
    step.Operation(TParticleCompileStep::kSub, step.Width(0));
}

uint8_t FMul::GetReturnSize(int argCount, uint8_t* widths)
{
  return argCount > 0 ? widths[0] : 0;
}

bool FMul::Process(TParticleState&, TParticleMachineState& machine)
{
  if (!Arity(machine, 2) || machine.ArgWidth(1) != 1)
    return false;
  unsigned width = machine.ArgWidth(0);
  const float* a = machine.Arg(0);
  float s = machine.Arg(1)[0];
  float result[kMaxWidth];
  for (unsigned i = 0; i < width; ++i)
    result[i] = a[i] * s;
  return machine.Push(result, (unsigned char)width);
}

void FMul::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 2 || step.Width(1) != 1)
    step.AlwaysFails();
  else
    step.Operation(TParticleCompileStep::kMul, step.Width(0));
}

uint8_t FDiv::GetReturnSize(int argCount, uint8_t* widths)
{
  return argCount > 0 ? widths[0] : 0;
}

bool FDiv::Process(TParticleState&, TParticleMachineState& machine)
{
  if (!Arity(machine, 2) || machine.ArgWidth(1) != 1)
    return false;
  unsigned width = machine.ArgWidth(0);
  const float* a = machine.Arg(0);
  float s = machine.Arg(1)[0];
  float result[kMaxWidth];
  for (unsigned i = 0; i < width; ++i)
    result[i] = a[i] / s;
  return machine.Push(result, (unsigned char)width);
}

void FDiv::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 2 || step.Width(1) != 1)
    step.AlwaysFails();
  else
    step.Operation(TParticleCompileStep::kDiv, step.Width(0));
}

uint8_t FUnm::GetReturnSize(int argCount, uint8_t* widths)
{
  return argCount > 0 ? widths[0] : 0;
}

bool FUnm::Process(TParticleState&, TParticleMachineState& machine)
{
  if (!Arity(machine, 1))
    return false;
  unsigned width = machine.ArgWidth(0);
  const float* a = machine.Arg(0);
  float result[kMaxWidth];
  for (unsigned i = 0; i < width; ++i)
    result[i] = -a[i];
  return machine.Push(result, (unsigned char)width);
}

void FUnm::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 1)
    step.AlwaysFails();
  else
    step.Operation(TParticleCompileStep::kNegate, step.Width(0));
}

uint8_t FLt::GetReturnSize(int, uint8_t*)
{
  return 1;
}

bool FLt::Process(TParticleState&, TParticleMachineState& machine)
{
  if (!Arity(machine, 2) || machine.ArgWidth(0) != 1 || machine.ArgWidth(1) != 1)
    return false;
  float result = machine.Arg(0)[0] < machine.Arg(1)[0] ? 1.0f : 0.0f;
  return machine.Push(&result, 1);
}

void FLt::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 2 || step.Width(0) != 1 || step.Width(1) != 1)
    step.AlwaysFails();
  else
    step.Operation(TParticleCompileStep::kLess, 1);
}

uint8_t FLe::GetReturnSize(int, uint8_t*)
{
  return 1;
}

bool FLe::Process(TParticleState&, TParticleMachineState& machine)
{
  if (!Arity(machine, 2) || machine.ArgWidth(0) != 1 || machine.ArgWidth(1) != 1)
    return false;
  float result = machine.Arg(0)[0] <= machine.Arg(1)[0] ? 1.0f : 0.0f;
  return machine.Push(&result, 1);
}

void FLe::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 2 || step.Width(0) != 1 || step.Width(1) != 1)
    step.AlwaysFails();
  else
    step.Operation(TParticleCompileStep::kLessEqual, 1);
}

// ---------------------------------------------------------------------------------------
// Time

uint8_t FTimeScale::GetReturnSize(int argCount, uint8_t* widths)
{
  return argCount > 0 ? widths[0] : 0;
}

bool FTimeScale::Process(TParticleState& state, TParticleMachineState& machine)
{
  if (!Arity(machine, 1))
    return false;
  unsigned width = machine.ArgWidth(0);
  const float* a = machine.Arg(0);
  float seconds = (float)state.mElapsed / 1000.0f;
  float result[kMaxWidth];
  for (unsigned i = 0; i < width; ++i)
    result[i] = a[i] * seconds;
  return machine.Push(result, (unsigned char)width);
}

void FTimeScale::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 1)
    step.AlwaysFails();
  else
    step.Operation(TParticleCompileStep::kTimeScale, step.Width(0));
}

uint8_t FAge::GetReturnSize(int, uint8_t*)
{
  return 1;
}

bool FAge::Process(TParticleState& state, TParticleMachineState& machine)
{
  if (!Arity(machine, 0))
    return false;
  float result = (float)state.mElapsed;
  return machine.Push(&result, 1);
}

void FAge::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 0)
    step.AlwaysFails();
  else
    step.Operation(TParticleCompileStep::kAge, 1);
}

uint8_t FFade::GetReturnSize(int argCount, uint8_t* widths)
{
  return argCount > 1 ? widths[1] : 0;
}

// Arguments: t, key1, dur1, key2, dur2, ..., keyK; keys share one width, durations are
// scalars. A trailing duration without a key after it holds the last key.
bool FFade::Process(TParticleState&, TParticleMachineState& machine)
{
  unsigned count = machine.mArgCount;
  if (count < 2 || machine.ArgWidth(0) != 1)
    return false;
  unsigned width = machine.ArgWidth(1);
  for (unsigned k = 1; k < count; k += 2)
    if (machine.ArgWidth(k) != width)
      return false;
  for (unsigned k = 2; k < count; k += 2)
    if (machine.ArgWidth(k) != 1)
      return false;

  float t = machine.Arg(0)[0];
  if (!(t > 0))
    t = 0;
  unsigned key = 1;
  float result[kMaxWidth];
  std::memcpy(result, machine.Arg(key), width * sizeof(float));
  while (key + 1 < count) {
    float duration = machine.Arg(key + 1)[0];
    unsigned next = key + 2;
    if (next >= count)
      break;
    if (t >= duration) {
      t -= duration;
      key = next;
      std::memcpy(result, machine.Arg(key), width * sizeof(float));
      continue;
    }
    const float* from = machine.Arg(key);
    const float* to = machine.Arg(next);
    float fraction = t / duration;
    for (unsigned i = 0; i < width; ++i)
      result[i] = from[i] + (to[i] - from[i]) * fraction;
    break;
  }
  return machine.Push(result, (unsigned char)width);
}

void FFade::Compile(TParticleCompileStep& step)
{
  const unsigned count = step.ArgCount();
  bool fits = count >= 2 && step.Width(0) == 1;
  for (unsigned k = 1; fits && k < count; k += 2)
    fits = step.Width(k) == step.Width(1);
  for (unsigned k = 2; fits && k < count; k += 2)
    fits = step.Width(k) == 1;
  if (!fits)
    step.AlwaysFails();
  else
    step.Call(step.Width(1));
}

uint8_t FOpenCycle::GetReturnSize(int, uint8_t*)
{
  return 1;
}

bool FOpenCycle::Process(TParticleState&, TParticleMachineState& machine)
{
  if (!Arity(machine, 3) || machine.ArgWidth(0) != machine.ArgWidth(1) || machine.ArgWidth(2) < 1)
    return false;
  float period = machine.Arg(2)[0];
  if (!(period != 0.0f) || !std::isfinite(period))
    return false;
  float a = machine.Arg(0)[0];
  float b = machine.Arg(1)[0];
  float result = a + (b - a) * ((float)mStep / period);
  ++mStep;
  if ((float)mStep >= period)
    mStep = 0;
  return machine.Push(&result, 1);
}

void FOpenCycle::Compile(TParticleCompileStep& step)
{
  // The step counter advances once per evaluation: an effect whose order shows.
  if (step.ArgCount() != 3 || step.Width(0) != step.Width(1) || step.Width(2) < 1)
    step.AlwaysFails();
  else
    step.Call(1, true);
}

uint8_t FClosedCycle::GetReturnSize(int, uint8_t*)
{
  return 1;
}

bool FClosedCycle::Process(TParticleState&, TParticleMachineState& machine)
{
  if (!Arity(machine, 3) || machine.ArgWidth(0) != machine.ArgWidth(1) || machine.ArgWidth(2) < 1)
    return false;
  float period = machine.Arg(2)[0];
  double span = (double)period - 1.0;
  if (!(span != 0.0) || !std::isfinite(period))
    return false;
  float a = machine.Arg(0)[0];
  float b = machine.Arg(1)[0];
  float result = (float)(a + (b - a) * (mStep / span));
  ++mStep;
  if ((float)mStep >= period)
    mStep = 0;
  return machine.Push(&result, 1);
}

void FClosedCycle::Compile(TParticleCompileStep& step)
{
  // The step counter advances once per evaluation: an effect whose order shows.
  if (step.ArgCount() != 3 || step.Width(0) != step.Width(1) || step.Width(2) < 1)
    step.AlwaysFails();
  else
    step.Call(1, true);
}

// ---------------------------------------------------------------------------------------
// Values

uint8_t FPick::GetReturnSize(int argCount, uint8_t* widths)
{
  return argCount > 0 ? widths[0] : 0;
}

bool FPick::Process(TParticleState&, TParticleMachineState& machine)
{
  unsigned count = machine.mArgCount;
  if (count == 0)
    return false;
  unsigned index = (unsigned)std::floor(UnitDouble() * count);
  if (index >= count)
    index = count - 1;
  float value[kMaxWidth];
  unsigned width = machine.ArgWidth(index);
  std::memcpy(value, machine.Arg(index), width * sizeof(float));
  return machine.Push(value, (unsigned char)width);
}

void FPick::Compile(TParticleCompileStep& step)
{
  const unsigned count = step.ArgCount();
  if (count == 0)
    return step.AlwaysFails();
  for (unsigned k = 1; k < count; ++k)
    if (step.Width(k) != step.Width(0))
      return step.NotCompilable(); // the width pushed depends on the pick
  step.Call(step.Width(0), true);
}

uint8_t FAlpha::GetReturnSize(int, uint8_t*)
{
  return 4;
}

// A colour from the first three floats of argument 0 and the float behind it, which is
// the first float of argument 1.
bool FAlpha::Process(TParticleState&, TParticleMachineState& machine)
{
  if (machine.mArgCount < 2 || machine.ArgWidth(0) < 3)
    return false;
  const float* a = machine.Arg(0);
  float result[4] = {a[0], a[1], a[2], a[machine.ArgWidth(0)]};
  return machine.Push(result, 4);
}

void FAlpha::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() < 2 || step.Width(0) < 3)
    step.AlwaysFails();
  else
    step.Call(4);
}

uint8_t FDebug::GetReturnSize(int, uint8_t*)
{
  return 0;
}

bool FDebug::Process(TParticleState&, TParticleMachineState& machine)
{
  str text;
  for (unsigned k = 0; k < machine.mArgCount; ++k) {
    text += "(";
    const float* values = machine.Arg(k);
    for (unsigned i = 0; i < machine.ArgWidth(k); ++i) {
      if (i > 0)
        text += ",";
      text += str::getFormatted("%f", values[i]);
    }
    text += ") ";
  }
  str line = str::getFormatted("Particle Values: %s", text.c_str());
  Handler().Status(line.c_str());
  return true;
}

void FDebug::Compile(TParticleCompileStep& step)
{
  step.Call(0, true);
}

uint8_t FDistance::GetReturnSize(int, uint8_t*)
{
  return 1;
}

bool FDistance::Process(TParticleState&, TParticleMachineState& machine)
{
  if (!PairFits(machine))
    return false;
  const float* a = machine.Arg(0);
  const float* b = machine.Arg(1);
  double sum = 0;
  for (unsigned i = 0; i < machine.ArgWidth(0); ++i) {
    double d = (double)a[i] - (double)b[i];
    sum += d * d;
  }
  float result = (float)std::sqrt(sum);
  return machine.Push(&result, 1);
}

void FDistance::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 2 || step.Width(0) < 1 || step.Width(1) < step.Width(0))
    step.AlwaysFails();
  else
    step.Call(1);
}

uint8_t F2dRadius::GetReturnSize(int, uint8_t*)
{
  return 2;
}

bool F2dRadius::Process(TParticleState&, TParticleMachineState& machine)
{
  if (!Arity(machine, 1) || machine.ArgWidth(0) != 1)
    return false;
  double r = machine.Arg(0)[0];
  float angle = 2.0f * UnitFloat() * 3.1415927f;
  float result[2] = {(float)(r * std::cos((double)angle)), (float)(r * std::sin((double)angle))};
  return machine.Push(result, 2);
}

void F2dRadius::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 1 || step.Width(0) != 1)
    step.AlwaysFails();
  else
    step.Call(2, true);
}

uint8_t F2dRotation::GetReturnSize(int, uint8_t*)
{
  return 2;
}

bool F2dRotation::Process(TParticleState&, TParticleMachineState& machine)
{
  if (machine.mArgCount < 1 || machine.ArgWidth(0) != 1)
    return false;
  float x = machine.Arg(0)[0];
  float result[2] = {std::cos(x), std::sin(x)};
  return machine.Push(result, 2);
}

void F2dRotation::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() < 1 || step.Width(0) != 1)
    step.AlwaysFails();
  else
    step.Call(2);
}

// The result is as wide as the argument count.
uint8_t FVec::GetReturnSize(int argCount, uint8_t*)
{
  return argCount >= 1 && argCount <= 4 ? (uint8_t)argCount : 1;
}

bool FVec::Process(TParticleState&, TParticleMachineState& machine)
{
  unsigned count = machine.mArgCount;
  if (count < 1 || count > 4)
    return false;
  float result[kMaxWidth];
  std::memcpy(result, machine.Arg(0), count * sizeof(float));
  return machine.Push(result, (unsigned char)count);
}

void FVec::Compile(TParticleCompileStep& step)
{
  // The first argCount floats of the arguments laid end to end.
  if (step.ArgCount() < 1 || step.ArgCount() > 4)
    step.AlwaysFails();
  else
    step.Floats(0, step.ArgCount());
}

uint8_t FRange::GetReturnSize(int argCount, uint8_t* widths)
{
  return argCount > 0 ? widths[0] : 0;
}

bool FRange::Process(TParticleState&, TParticleMachineState& machine)
{
  if (!Arity(machine, 2) || machine.ArgWidth(0) != machine.ArgWidth(1))
    return false;
  unsigned width = machine.ArgWidth(0);
  const float* a = machine.Arg(0);
  const float* b = machine.Arg(1);
  float result[kMaxWidth];
  for (unsigned i = 0; i < width; ++i)
    result[i] = a[i] + UnitFloat() * (b[i] - a[i]);
  return machine.Push(result, (unsigned char)width);
}

void FRange::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 2 || step.Width(0) != step.Width(1))
    step.AlwaysFails();
  else
    step.Call(step.Width(0), true);
}

uint8_t FExpire::GetReturnSize(int, uint8_t*)
{
  return 1;
}

bool FExpire::Process(TParticleState& state, TParticleMachineState& machine)
{
  if (!Arity(machine, 1) || machine.ArgWidth(0) != 1)
    return false;
  float result = 0.0f;
  if (machine.Arg(0)[0] != 0.0f) {
    state.mAlive = false;
    result = 1.0f;
  }
  return machine.Push(&result, 1);
}

void FExpire::Compile(TParticleCompileStep& step)
{
  if (step.ArgCount() != 1 || step.Width(0) != 1)
    step.AlwaysFails();
  else
    step.Call(1);
}
