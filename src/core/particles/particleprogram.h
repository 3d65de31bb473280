// particleprogram: an instruction stream compiled for the particles of one system: loops
// over blocks of particles that read their records, constants and per-step values in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/particles/particlefunction.h"

class TLuaParticleSystem;

// The machine (particlefunction.h) runs a stream on one particle at a time, calling every
// function through its table. Each built-in function says how a program takes it
// (TParticleFunction::Compile): the widths it pushes then follow from the arguments' widths
// alone, so the stack has the same shape for every particle, and a program turns each
// instruction into a loop over a block of particles on fixed stack rows. Values the same for
// every particle (constants, the step, what is made of them) are worked out once per step;
// members are read from the records where an operation needs them; the rest runs through the
// function's own Process on a copy of its arguments. Results are those of the machine, bit
// for bit. Streams with anything else (data sources, functions of other kinds, stacks of
// uncertain shape) are not compiled and stay on the machine.
class TParticleProgram
{
public:
  // Particles a block holds: every operation runs over a block before the next one does,
  // so the block's stack rows stay in the nearest cache.
  static constexpr size_t kBlock = 128;

  TParticleProgram() = default;

  // Compiles the stream for records with the given member widths; false (and the program
  // empty) when the stream must run on the machine.
  bool Compile(const TParticleInstruction* code, size_t count, const uint8_t* memberWidths, unsigned members);
  bool IsCompiled() const { return mCompiled; }
  void Clear();

  // Runs the program on the records in their order, as the machine would run the stream
  // on each (steps of elapsed ms); alive[i] says afterwards whether record i lives on. An
  // instruction runs over every record of a block before the next one does unless more
  // than one instruction has effects whose order shows (random numbers, cycle steps,
  // messages): then each record runs through the whole program in turn. True when every
  // record lives on.
  bool Run(TLuaParticleSystem* system, float* const* records, size_t count, int32_t elapsed, uint8_t* alive);

  // Whether instructions run over blocks of records before the next one (for tests).
  bool RunsByInstruction() const { return mByInstruction; }
  // Operations run per particle, and per step for every particle at once (for tests).
  size_t GetParticleOpCount() const { return mOps.size(); }
  size_t GetStepOpCount() const { return mStepOps.size(); }

private:
  typedef TParticleCompileStep::EOp ECode;

  // Where the floats of a value are: stack rows of the block, the record's floats, the
  // record's floats times a step value (a member scaled by the step, the commonest motion),
  // or the values worked out once per step.
  enum EPlace : uint8_t
  {
    kRow,
    kMember,
    kScaledMember,
    kStep
  };

  struct TOperand
  {
    EPlace mPlace = kRow;
    uint16_t mIndex = 0; // first float: stack row, record float or step value
    uint16_t mScale = 0; // the step value of kScaledMember
    bool InRecord() const { return mPlace == kMember || mPlace == kScaledMember; }
  };

  struct TOp
  {
    ECode mCode = TParticleCompileStep::kCall;
    uint8_t mWidth = 0;   // floats made (for kStore: written)
    uint16_t mResult = 0; // first stack row (step value) of the result
    TOperand mA;          // first argument
    TOperand mB;          // second argument, the scalar of kMul and kDiv, the step's seconds of kTimeScale
    uint16_t mSlot = 0;   // record float of kStore, and of the result when mIntoRecord
    // An operation followed by the store of its result writes the record itself.
    bool mIntoRecord = false;
    // kFloats: the source of each float.
    TOperand mFloats[4];
    // kCall: the function, and where its arguments' operands and widths start.
    TParticleFunction* mFunction = nullptr;
    uint8_t mArgCount = 0;
    uint32_t mArgs = 0;
  };

  // A value on the stack while compiling.
  struct TEntry
  {
    unsigned mWidth = 0;
    unsigned mFloat = 0; // its place on the machine's stack, where rows hold it
    TOperand mAt;
    bool mKnown = false; // a constant of the stream
    float mValue[4] = {0, 0, 0, 0};
  };

  bool CompileInstruction(const TParticleInstruction& instruction, std::vector<TEntry>& stack, unsigned recordFloats,
                          unsigned* effects, bool* end);
  TOperand NewStepValues(unsigned width, const float* values);
  // Rows for member values still on the stack that a write to [slot, slot + width) of the
  // record would change (every member value when width is 0).
  void KeepMembersFromWrite(std::vector<TEntry>& stack, size_t below, unsigned slot, unsigned width);
  void AddOp(const TOp& op);
  // Lets operations write straight into the record where a store of their result follows.
  void JoinStores();
  // Whether an operation may write its result into record floats [slot, slot + width) as
  // it goes without changing a member it reads later.
  static bool WritesAfterReading(const TOp& op, unsigned slot, unsigned width);

  void RunStepOps();
  void RunBlock(float* const* records, size_t lanes, uint8_t* alive, uint8_t* stopped);
  // An operation on one or two values through f, on each float of each lane.
  template <class F>
  void RunOperation(const TOp& op, float* const* records, size_t lanes, F f);
  void RunCall(const TOp& op, float* const* records, size_t lanes, uint8_t* alive, uint8_t* stopped);
  float* Row(unsigned row) { return mRows.data() + (size_t)row * kBlock; }
  // Float index of an operand (index already offset) for lane j.
  float ValueOf(const TOperand& at, unsigned index, float* const* records, size_t j)
  {
    switch (at.mPlace) {
    case kRow:
      return Row(index)[j];
    case kMember:
      return records[j][index];
    case kScaledMember:
      return records[j][index] * mStep[at.mScale];
    case kStep:
      break;
    }
    return mStep[index];
  }
  const float* StepRow(unsigned value) const { return mStepRows.data() + (size_t)value * kBlock; }

  bool mCompiled = false;
  bool mByInstruction = false;
  bool mMayStop = false;
  std::vector<TOp> mOps;
  std::vector<TOp> mStepOps;
  std::vector<TOperand> mCallOperands;
  std::vector<uint8_t> mCallWidths;
  std::vector<uint8_t> mMemberWidths;
  unsigned mStackFloats = 0;
  // Values the same for every particle: the step's seconds first, constants, and what
  // the step operations make of them.
  std::vector<float> mStep;

  // The run in progress: the block's stack rows, each step value spread over a row, the
  // lanes that stopped.
  std::vector<float> mRows;
  std::vector<float> mStepRows;
  std::vector<uint8_t> mStopped;
  int32_t mElapsed = 0;
  TLuaParticleSystem* mSystem = nullptr;
  TParticleState mState;
  // The stack a called function sees.
  float mCallFloats[TParticleMachineState::kStackFloats];
  uint8_t mCallWidths8[TParticleMachineState::kStackEntries];
  TParamSet mCallStack;
};
