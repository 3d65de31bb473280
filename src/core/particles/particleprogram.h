// particleprogram: an instruction stream compiled for the particles of one system: its
// evaluation stack laid out once, each instruction a flat operation run over all particles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/particles/particlefunction.h"

class TLuaParticleSystem;

// The machine (particlefunction.h) runs a stream on one particle at a time, calling every
// function through its table. Built-in functions push values whose widths follow from
// their arguments' widths alone, so the stack of a stream made of them has the same shape
// for every particle: a program computes it once and turns each instruction into an
// operation on fixed stack positions, with the common ones done in place and the rest
// through the function's own Process on a copy of its arguments. Results are those of the
// machine, bit for bit. Streams with anything else (data sources, functions of other
// kinds, stacks of uncertain shape) are not compiled and stay on the machine.
class TParticleProgram
{
public:
  TParticleProgram() = default;

  // Compiles the stream for records with the given member widths; false (and the program
  // empty) when the stream must run on the machine.
  bool Compile(const TParticleInstruction* code, size_t count, const uint8_t* memberWidths, unsigned members);
  bool IsCompiled() const { return mCompiled; }
  void Clear();

  // Runs the program on the records in their order, as the machine would run the stream
  // on each (steps of elapsed ms); alive[i] says afterwards whether record i lives on. An
  // instruction runs over every record before the next one does unless more than one
  // instruction has effects whose order shows (random numbers, cycle steps, messages):
  // then each record runs through the whole program in turn.
  void Run(TLuaParticleSystem* system, float* const* records, size_t count, int32_t elapsed, uint8_t* alive);

  // Whether instructions run over all records before the next one (for tests).
  bool RunsByInstruction() const { return mByInstruction; }

private:
  enum ECode : uint8_t
  {
    kLoad,       // stack := record floats
    kConstant,   // stack := constant
    kAdd,        // a + b componentwise
    kSub,        // a - b
    kMul,        // a * scalar b
    kDiv,        // a / scalar b
    kNegate,     // -a
    kTimeScale,  // a * seconds of the step
    kAge,        // the step in ms
    kLess,       // a < b
    kLessEqual,  // a <= b
    kStore,      // record floats := stack
    kCopy,       // stack := other stack floats
    kCall        // the function's own Process on a copy of its arguments
  };

  struct TOp
  {
    ECode mCode = kCall;
    uint8_t mWidth = 0;       // floats of the result (of the copy, of the store)
    uint16_t mResult = 0;     // stack float of the result (of the first argument)
    uint16_t mOperand = 0;    // stack float of the second operand or the copy's source
    uint16_t mSlot = 0;       // record float of a load or a store
    float mConstant[4] = {0, 0, 0, 0};
    // kCall: the function and its arguments' widths.
    TParticleFunction* mFunction = nullptr;
    uint8_t mArgCount = 0;
    uint32_t mArgWidths = 0;  // index into mWidths
    bool mMayFail = false;
  };

  void RunOps(float* const* records, size_t lanes, uint8_t* alive);
  void RunOp(const TOp& op, float* const* records, size_t lanes, uint8_t* alive);
  template <bool kSkipStopped>
  void RunPlainOp(const TOp& op, float* const* records, size_t lanes);
  void RunCall(const TOp& op, float* const* records, size_t lanes, uint8_t* alive);

  bool mCompiled = false;
  bool mByInstruction = false;
  bool mMayStop = false;
  std::vector<TOp> mOps;
  std::vector<uint8_t> mWidths;
  std::vector<uint8_t> mMemberWidths;
  unsigned mStackFloats = 0;

  // The run in progress: the stack as one row of lanes per float, the lanes that stopped.
  std::vector<float> mStack;
  std::vector<uint8_t> mStopped;
  size_t mLanes = 0;
  int32_t mElapsed = 0;
  TLuaParticleSystem* mSystem = nullptr;
  TParticleState mState;
  // The stack a called function sees.
  float mCallFloats[TParticleMachineState::kStackFloats];
  uint8_t mCallWidths[TParticleMachineState::kStackEntries];
  TParamSet mCallStack;
};
