// particlefunction: the particle function machine: the particle record and evaluation
// stack, the function base class with its type registry, and every built-in function.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "core/foundation/str.h"
#include "core/foundation/vec.h"
#include "core/particles/paramset.h"
#include "core/foundation/debug.h"

class TLuaParticleSystem;
class TParticleFunction;

// The particle being processed.
struct TParticleState
{
  // Over the particle's record: entry i is the i-th allocated member.
  TParamSet mParams;
  // Milliseconds of the current step; 0 while the particle is being created.
  int32_t mElapsed = 0;
  bool mAlive = true;
};

// The evaluation stack of one stream run.
struct TParticleMachineState
{
  static constexpr unsigned kStackEntries = 255;
  static constexpr unsigned kStackFloats = 1020;

  TLuaParticleSystem* mSystem = nullptr;
  TParamSet* mStack = nullptr;
  // First argument of the function being run; its result goes here.
  uint8_t mBase = 0;
  uint8_t mTop = 0;
  uint32_t mLimit = kStackEntries;
  uint8_t mArgCount = 0;

  // Replaces the function's arguments by one value of 1 to 4 floats; false (nothing
  // pushed) for another width or when the stack is full.
  bool Push(const float* values, unsigned char width)
  {
    // Inline and without library copies: it runs once per instruction per particle.
    if (width < 1 || width > 4 || mBase >= mLimit || mBase >= mStack->mCapacity)
      return false;
    float copy[4];
    for (unsigned i = 0; i < width; ++i)
      copy[i] = values[i];
    uint32_t start = mStack->mOffsets[mBase];
    mStack->mSizes[mBase] = width;
    mStack->mOffsets[mBase + 1] = start + width;
    mStack->mCount = mBase + 1u;
    float* target = mStack->mValues + start;
    for (unsigned i = 0; i < width; ++i)
      target[i] = copy[i];
    mBase = mTop = (uint8_t)(mBase + 1);
    return true;
  }
  // Float i of the entry at mBase.
  float* GetReal(unsigned i) const { return mStack->Entry(mBase) + i; }
  // Argument k of the function being run (k below mArgCount).
  float* Arg(unsigned k) const { return mStack->Entry(mBase + k); }
  unsigned ArgWidth(unsigned k) const { return mStack->mSizes[mBase + k]; }
  // The data source of a negative member slot; null when there is none.
  TParticleFunction* GetDataSource(int slot) const;
};

typedef TParticleFunction* (*TParticleCreator)();

// One instruction of a stream as the compiler of particle programs sees it: the arguments it
// found on the stack, and what the instruction's function makes of them. Each function
// states its own rule (Compile); a function that states none keeps its stream on the machine.
// Whatever a function chooses, the program must give the machine's results bit for bit.
class TParticleCompileStep
{
public:
  // How the program takes the instruction.
  enum EOp : uint8_t
  {
    kNotCompilable, // the stream stays on the machine
    kAlwaysFails,   // fails on every particle before it changes anything: nothing after it runs
    kConstant,      // pushes the constant
    kLoad,          // pushes record floats from the slot on
    kStore,         // writes argument 0 into the record from the slot on; pushes nothing
    kAdd,           // a + b componentwise (b: argument 1, at least as wide)
    kSub,           // a - b
    kMul,           // a * s (s: argument 1, a scalar)
    kDiv,           // a / s
    kNegate,        // -a
    kTimeScale,     // a * the step in seconds
    kAge,           // the step in ms
    kLess,          // 1 when a < b (two scalars), else 0
    kLessEqual,     // 1 when a <= b, else 0
    kFloats,        // floats of the arguments laid end to end, from the source float on
    kCall           // the function's own Process, particle by particle
  };

  unsigned ArgCount() const { return mArgCount; }
  // Floats of argument k (k below ArgCount).
  unsigned Width(unsigned k) const { return mWidths[k]; }
  // Whether argument k is a constant of the stream, and its first float.
  bool Known(unsigned k) const { return mKnown[k]; }
  float Value(unsigned k) const { return mValues[k][0]; }
  unsigned RecordFloats() const { return mRecordFloats; }

  void NotCompilable() { mOp = kNotCompilable; }
  void AlwaysFails() { mOp = kAlwaysFails; }
  void Constant(const float* values, unsigned width);
  void Load(unsigned slot, unsigned width)
  {
    Take(kLoad, width);
    mSlot = slot;
  }
  void Store(unsigned slot, unsigned width)
  {
    Take(kStore, width);
    mSlot = slot;
  }
  // One of the operations on the arguments (kAdd to kLessEqual) pushing width floats.
  void Operation(EOp op, unsigned width) { Take(op, width); }
  void Floats(unsigned source, unsigned width)
  {
    Take(kFloats, width);
    mSource = source;
  }
  // The function's Process on each particle: it may fail; with an effect whose order shows
  // (random numbers, steps of its own, messages); writing into the record.
  void Call(unsigned width, bool effect = false, bool writesRecord = false)
  {
    Take(kCall, width);
    mEffect = effect;
    mWritesRecord = writesRecord;
  }

  // The compiler's side: the arguments, set before Compile.
  unsigned mArgCount = 0;
  const uint8_t* mWidths = nullptr;
  const bool* mKnown = nullptr;
  const float (*mValues)[4] = nullptr;
  unsigned mRecordFloats = 0;
  // What Compile chose.
  EOp mOp = kNotCompilable;
  unsigned mWidth = 0;  // floats pushed (for kStore: floats written)
  unsigned mSlot = 0;   // record float of kLoad and kStore
  unsigned mSource = 0; // first float of kFloats
  float mConstant[4] = {0, 0, 0, 0};
  bool mEffect = false;
  bool mWritesRecord = false;

private:
  void Take(EOp op, unsigned width)
  {
    mOp = op;
    mWidth = width;
  }
};

TParticleFunction* TParticleFunctionDynamicCreate();

class TParticleFunction
{
public:
  TParticleFunction() {}
  virtual ~TParticleFunction() {}

  static intptr_t ClassId() { return reinterpret_cast<intptr_t>(&TParticleFunctionDynamicCreate); }
  virtual const char* GetTypeName() const { return "TParticleFunction"; }
  virtual bool IsKindOf(intptr_t classId) const { return classId == ClassId(); }
  template <class T>
  T* GetCast()
  {
    return IsKindOf(T::ClassId()) ? static_cast<T*>(this) : nullptr;
  }

  virtual void InitFrame() {}
  // The width of the result, from the argument widths the compiler found.
  virtual uint8_t GetReturnSize(int argCount, uint8_t* argWidths) { return 0; }
  // Runs once on the stack: reads the arguments, pushes the result (if any); false when
  // the arguments do not fit.
  virtual bool Process(TParticleState& state, TParticleMachineState& machine) { return false; }
  // How a compiled program takes an instruction of this function (see TParticleCompileStep);
  // by default the stream stays on the machine.
  virtual void Compile(TParticleCompileStep& step) { step.NotCompilable(); }

  str mName;
};

#define QV_PARTICLE_FUNCTION(Name)                                                                                     \
  TParticleFunction* Name##DynamicCreate();                                                                            \
  class Name : public TParticleFunction                                                                                \
  {                                                                                                                    \
  public:                                                                                                              \
    static intptr_t ClassId() { return reinterpret_cast<intptr_t>(&Name##DynamicCreate); }                             \
    const char* GetTypeName() const override { return #Name; }                                                         \
    bool IsKindOf(intptr_t classId) const override                                                                     \
    {                                                                                                                  \
      return classId == ClassId() || TParticleFunction::IsKindOf(classId);                                             \
    }                                                                                                                  \
    uint8_t GetReturnSize(int argCount, uint8_t* argWidths) override;                                                  \
    bool Process(TParticleState& state, TParticleMachineState& machine) override;                                      \
    void Compile(TParticleCompileStep& step) override;

QV_PARTICLE_FUNCTION(FAssign)
}
;
QV_PARTICLE_FUNCTION(FAdd)
}
;
QV_PARTICLE_FUNCTION(FSub)
}
;
QV_PARTICLE_FUNCTION(FMul)
}
;
QV_PARTICLE_FUNCTION(FDiv)
}
;
QV_PARTICLE_FUNCTION(FUnm)
}
;
QV_PARTICLE_FUNCTION(FIndex)
}
;
QV_PARTICLE_FUNCTION(FVIndex)
}
;
QV_PARTICLE_FUNCTION(FNewIndex)
}
;
QV_PARTICLE_FUNCTION(FLt)
}
;
QV_PARTICLE_FUNCTION(FLe)
}
;
QV_PARTICLE_FUNCTION(FTimeScale)
}
;
QV_PARTICLE_FUNCTION(FAge)
}
;
QV_PARTICLE_FUNCTION(FPick)
}
;
QV_PARTICLE_FUNCTION(FFade)
}
;
QV_PARTICLE_FUNCTION(FAlpha)
}
;
QV_PARTICLE_FUNCTION(FDebug)
}
;
QV_PARTICLE_FUNCTION(FDistance)
}
;
QV_PARTICLE_FUNCTION(F2dRadius)
}
;
QV_PARTICLE_FUNCTION(F2dRotation)
}
;
QV_PARTICLE_FUNCTION(FVec)
}
;
QV_PARTICLE_FUNCTION(FRange)
}
;
QV_PARTICLE_FUNCTION(FExpire)
}
;

// The step counter belongs to the instruction: it advances once per evaluation.
QV_PARTICLE_FUNCTION(FOpenCycle)
uint32_t mStep = 0;
}
;
QV_PARTICLE_FUNCTION(FClosedCycle)
uint32_t mStep = 0;
}
;

#undef QV_PARTICLE_FUNCTION

// A constant: float, TVec2, TVec3 or TVec4.
template <class T>
class FPush : public TParticleFunction
{
public:
  static constexpr uint8_t kWidth = sizeof(T) / sizeof(float);
  explicit FPush(const T& value) : mValue(value) {}
  uint8_t GetReturnSize(int, uint8_t*) override { return kWidth; }
  bool Process(TParticleState&, TParticleMachineState& machine) override
  {
    return machine.Push(reinterpret_cast<const float*>(&mValue), kWidth);
  }
  void Compile(TParticleCompileStep& step) override { step.Constant(reinterpret_cast<const float*>(&mValue), kWidth); }
  T mValue;
};

// Reads a member: low 16 bits its slot (signed; negative names a data source), bits
// 16-23 its width.
class FGetParticleParam : public TParticleFunction
{
public:
  explicit FGetParticleParam(uint32_t member) : mMember(member) {}
  uint8_t GetReturnSize(int, uint8_t*) override { return (uint8_t)(mMember >> 16); }
  bool Process(TParticleState& state, TParticleMachineState& machine) override;
  void Compile(TParticleCompileStep& step) override;
  uint32_t mMember;
};

// A 1-based component index as the functions read it: negative values count as 0.
inline unsigned ParticleComponentIndex(float k)
{
  if (!(k > 0))
    return 0;
  if (k >= 4294967295.0f)
    return 0xffffffffu;
  return (unsigned)k;
}

// A slot or width argument as an integer, truncated; NaN and values far outside the
// record read as -1.
inline int ParticleTruncatedInt(float value)
{
  if (!(value > -2147483648.0f && value < 2147483647.0f))
    return -1;
  return (int)value;
}

inline int ParticleMemberSlot(uint32_t member)
{
  return (int16_t)(member & 0xffff);
}
inline unsigned ParticleMemberWidth(uint32_t member)
{
  return (member >> 16) & 0xff;
}

// One compiled instruction: a function and the argument widths the compiler found.
struct TParticleInstruction
{
  boost::shared_ptr<TParticleFunction> mFunction;
  uint8_t mArgCount = 0;
  uint8_t mInlineWidths[3] = {0, 0, 0};
  // Widths of calls with more than three arguments, kept with the instruction.
  std::vector<uint8_t> mMoreWidths;

  void SetArgWidths(const uint8_t* widths, unsigned count);
  const uint8_t* GetArgWidths() const { return mArgCount <= 3 ? mInlineWidths : mMoreWidths.data(); }
};

// Runs instruction streams on particles with one evaluation stack it keeps.
class TParticleMachine
{
public:
  explicit TParticleMachine(TLuaParticleSystem* system);

  // Runs the instructions on the particle; false when one failed (the particle keeps what
  // was written before). The caller then reads state.mAlive.
  bool Run(const TParticleInstruction* code, size_t count, TParticleState& state);

  TParticleMachineState& GetState() { return mMachine; }

private:
  float mFloats[TParticleMachineState::kStackFloats];
  uint8_t mWidths[TParticleMachineState::kStackEntries];
  TParamSet mStack;
  TParticleMachineState mMachine;
};
