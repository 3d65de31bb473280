// particleprogram: compiles instruction streams of built-in functions (each says how, in its
// Compile) into loops over blocks of particles, and runs them (particlefunction).
#include "core/particles/particleprogram.h"

#include <algorithm>
#include <cstring>

namespace {

// The step value that holds the step's seconds, fTimeScale's factor.
constexpr uint16_t kSecondsValue = 0;
// Indexes of step values and rows are 16 bits wide.
constexpr size_t kMostStepValues = 0xFFFF;

// Where an operation reads float i of an argument for lane j, and writes float i of its
// result. A scalar argument reads its float 0 whatever i is (mStep 0).
struct TRowsIn
{
  const float* mRows;
  unsigned mStep;
  float Get(size_t j, unsigned i) const { return mRows[(size_t)(i * mStep) * TParticleProgram::kBlock + j]; }
};

struct TMemberIn
{
  float* const* mRecords;
  unsigned mSlot;
  unsigned mStep;
  float Get(size_t j, unsigned i) const { return mRecords[j][mSlot + i * mStep]; }
};

struct TScaledMemberIn
{
  float* const* mRecords;
  unsigned mSlot;
  unsigned mStep;
  float mScale;
  float Get(size_t j, unsigned i) const { return mRecords[j][mSlot + i * mStep] * mScale; }
};

struct TValuesIn
{
  const float* mValues;
  unsigned mStep;
  float Get(size_t, unsigned i) const { return mValues[i * mStep]; }
};

struct TRowsOut
{
  float* mRows;
  void Put(size_t j, unsigned i, float value) const { mRows[(size_t)i * TParticleProgram::kBlock + j] = value; }
};

struct TMemberOut
{
  float* const* mRecords;
  unsigned mSlot;
  void Put(size_t j, unsigned i, float value) const { mRecords[j][mSlot + i] = value; }
};

// Stack rows go float by float, each a run of lanes that vectorises; anything in the records
// goes lane by lane, each record's floats together.
template <unsigned kWidth, class A, class B, class Out, class F>
inline void EachRecord(size_t lanes, const A& a, const B& b, const Out& out, F f)
{
  for (size_t j = 0; j < lanes; ++j)
    for (unsigned i = 0; i < kWidth; ++i)
      out.Put(j, i, f(a.Get(j, i), b.Get(j, i)));
}

template <bool kLaneByLane, class A, class B, class Out, class F>
inline void EachLane(size_t lanes, unsigned width, const A& a, const B& b, const Out& out, F f)
{
  if (kLaneByLane) {
    switch (width) {
    case 0:
      return;
    case 1:
      return EachRecord<1>(lanes, a, b, out, f);
    case 2:
      return EachRecord<2>(lanes, a, b, out, f);
    case 3:
      return EachRecord<3>(lanes, a, b, out, f);
    default:
      return EachRecord<4>(lanes, a, b, out, f);
    }
  } else {
    for (unsigned i = 0; i < width; ++i)
      for (size_t j = 0; j < lanes; ++j)
        out.Put(j, i, f(a.Get(j, i), b.Get(j, i)));
  }
}

bool IsOperation(TParticleCompileStep::EOp code)
{
  switch (code) {
  case TParticleCompileStep::kAdd:
  case TParticleCompileStep::kSub:
  case TParticleCompileStep::kMul:
  case TParticleCompileStep::kDiv:
  case TParticleCompileStep::kNegate:
  case TParticleCompileStep::kLess:
  case TParticleCompileStep::kLessEqual:
    return true;
  default:
    return false;
  }
}

} // namespace

void TParticleProgram::Clear()
{
  mCompiled = false;
  mByInstruction = false;
  mMayStop = false;
  mOps.clear();
  mStepOps.clear();
  mCallOperands.clear();
  mCallWidths.clear();
  mMemberWidths.clear();
  mStackFloats = 0;
  mStep.assign(1, 0.0f);
}

bool TParticleProgram::Compile(const TParticleInstruction* code, size_t count, const uint8_t* memberWidths,
                               unsigned members)
{
  Clear();
  if (members > TParamSet::kMaxEntries)
    return false;
  mMemberWidths.assign(memberWidths, memberWidths + members);
  TParamSet record(nullptr, mMemberWidths.data(), members);
  const unsigned recordFloats = record.FloatCount();

  std::vector<TEntry> stack;
  unsigned effects = 0;
  for (size_t i = 0; i < count; ++i) {
    bool end = false;
    if (!CompileInstruction(code[i], stack, recordFloats, &effects, &end)) {
      Clear();
      return false;
    }
    if (end)
      break;
  }
  // Effects of one kind of instruction come in the particles' order either way; two
  // would interleave differently when each instruction ran over a block of particles.
  mByInstruction = effects <= 1;
  JoinStores();
  mCompiled = true;
  return true;
}

bool TParticleProgram::WritesAfterReading(const TOp& op, unsigned slot, unsigned width)
{
  // Float i of the result is written once float i of each argument is read, so a member
  // read float for float from the very floats written is safe; any other overlap is not.
  auto safe = [&](const TOperand& operand, unsigned floats, bool componentwise) {
    if (!operand.InRecord())
      return true;
    const unsigned first = operand.mIndex;
    if (first + floats <= slot || slot + width <= first)
      return true;
    return componentwise && first == slot;
  };
  const bool scalarB = op.mCode == TParticleCompileStep::kMul || op.mCode == TParticleCompileStep::kDiv;
  const bool unary = op.mCode == TParticleCompileStep::kNegate;
  return safe(op.mA, width, true) && (unary || safe(op.mB, scalarB ? 1 : width, !scalarB));
}

void TParticleProgram::JoinStores()
{
  // A lane that stopped must not be written: with calls in the program every store keeps
  // its own check.
  if (mMayStop)
    return;
  std::vector<TOp> joined;
  joined.reserve(mOps.size());
  for (const TOp& op : mOps) {
    if (op.mCode == TParticleCompileStep::kStore && op.mA.mPlace == kRow && !joined.empty()) {
      TOp& last = joined.back();
      if (IsOperation(last.mCode) && !last.mIntoRecord && last.mResult == op.mA.mIndex && last.mWidth >= op.mWidth &&
          WritesAfterReading(last, op.mSlot, op.mWidth)) {
        last.mIntoRecord = true;
        last.mSlot = op.mSlot;
        last.mWidth = op.mWidth;
        continue;
      }
    }
    joined.push_back(op);
  }
  mOps.swap(joined);
}

TParticleProgram::TOperand TParticleProgram::NewStepValues(unsigned width, const float* values)
{
  TOperand at;
  at.mPlace = kStep;
  at.mIndex = (uint16_t)mStep.size();
  for (unsigned i = 0; i < width; ++i)
    mStep.push_back(values ? values[i] : 0.0f);
  return at;
}

void TParticleProgram::AddOp(const TOp& op)
{
  mOps.push_back(op);
}

void TParticleProgram::KeepMembersFromWrite(std::vector<TEntry>& stack, size_t below, unsigned slot, unsigned width)
{
  for (size_t e = 0; e < below; ++e) {
    TEntry& entry = stack[e];
    if (!entry.mAt.InRecord())
      continue;
    const unsigned first = entry.mAt.mIndex;
    if (width > 0 && (first + entry.mWidth <= slot || slot + width <= first))
      continue;
    // The value as read before the write, in the rows of its place on the stack.
    TOp copy;
    copy.mCode = TParticleCompileStep::kFloats;
    copy.mWidth = (uint8_t)entry.mWidth;
    copy.mResult = (uint16_t)entry.mFloat;
    for (unsigned f = 0; f < entry.mWidth; ++f) {
      copy.mFloats[f] = entry.mAt;
      copy.mFloats[f].mIndex = (uint16_t)(first + f);
    }
    AddOp(copy);
    entry.mAt.mPlace = kRow;
    entry.mAt.mIndex = (uint16_t)entry.mFloat;
  }
}

bool TParticleProgram::CompileInstruction(const TParticleInstruction& instruction, std::vector<TEntry>& stack,
                                          unsigned recordFloats, unsigned* effects, bool* end)
{
  TParticleFunction* function = instruction.mFunction.get();
  const unsigned argCount = instruction.mArgCount;
  // The machine stops every particle here; what follows never runs.
  if (!function || argCount > stack.size()) {
    *end = true;
    return true;
  }
  const size_t base = stack.size() - argCount;
  TEntry* args = stack.data() + base;
  const unsigned top = stack.empty() ? 0 : stack.back().mFloat + stack.back().mWidth;
  // The result takes the place of the arguments, as on the machine.
  const unsigned resultFloat = argCount > 0 ? args[0].mFloat : top;

  uint8_t widths[TParticleMachineState::kStackEntries];
  bool known[TParticleMachineState::kStackEntries];
  float values[TParticleMachineState::kStackEntries][4];
  for (unsigned k = 0; k < argCount; ++k) {
    widths[k] = (uint8_t)args[k].mWidth;
    known[k] = args[k].mKnown;
    std::memcpy(values[k], args[k].mValue, sizeof values[k]);
  }
  TParticleCompileStep step;
  step.mArgCount = argCount;
  step.mWidths = widths;
  step.mKnown = known;
  step.mValues = values;
  step.mRecordFloats = recordFloats;
  function->Compile(step);

  if (step.mOp == TParticleCompileStep::kNotCompilable)
    return false;
  if (step.mOp == TParticleCompileStep::kAlwaysFails) {
    *end = true;
    return true;
  }
  const unsigned pushed = step.mOp == TParticleCompileStep::kStore ? 0 : step.mWidth;
  // The machine refuses a push past its stack; such streams are left to it.
  if (pushed > 4 || (pushed > 0 && base >= TParticleMachineState::kStackEntries))
    return false;
  if (mStep.size() + 8 > kMostStepValues || resultFloat + pushed > TParticleMachineState::kStackFloats)
    return false;

  TEntry entry;
  entry.mWidth = pushed;
  entry.mFloat = resultFloat;
  entry.mAt.mPlace = kRow;
  entry.mAt.mIndex = (uint16_t)resultFloat;
  TOp op;
  op.mCode = step.mOp;
  op.mWidth = (uint8_t)step.mWidth;
  op.mResult = (uint16_t)resultFloat;
  bool operation = false;
  switch (step.mOp) {
  case TParticleCompileStep::kConstant:
    entry.mAt = NewStepValues(pushed, step.mConstant);
    entry.mKnown = true;
    std::memcpy(entry.mValue, step.mConstant, sizeof entry.mValue);
    break;
  case TParticleCompileStep::kLoad:
    entry.mAt.mPlace = kMember;
    entry.mAt.mIndex = (uint16_t)step.mSlot;
    break;
  case TParticleCompileStep::kAge:
    operation = true;
    break;
  case TParticleCompileStep::kAdd:
  case TParticleCompileStep::kSub:
  case TParticleCompileStep::kMul:
  case TParticleCompileStep::kDiv:
  case TParticleCompileStep::kLess:
  case TParticleCompileStep::kLessEqual:
    op.mA = args[0].mAt;
    op.mB = args[1].mAt;
    operation = true;
    break;
  case TParticleCompileStep::kNegate:
    op.mA = args[0].mAt;
    operation = true;
    break;
  case TParticleCompileStep::kTimeScale:
    // The value times the step's seconds, as the function works it out.
    op.mCode = TParticleCompileStep::kMul;
    op.mA = args[0].mAt;
    op.mB.mPlace = kStep;
    op.mB.mIndex = kSecondsValue;
    operation = true;
    break;
  case TParticleCompileStep::kFloats: {
    // Float f comes from the arguments laid end to end, float mSource + f.
    unsigned k = 0;
    unsigned skipped = 0;
    bool oneValue = true;
    bool inPlace = true;
    bool fromStep = true;
    for (unsigned f = 0; f < step.mWidth; ++f) {
      const unsigned wanted = step.mSource + f;
      while (k < argCount && wanted >= skipped + args[k].mWidth)
        skipped += args[k++].mWidth;
      if (k >= argCount)
        return false;
      op.mFloats[f] = args[k].mAt;
      op.mFloats[f].mIndex = (uint16_t)(args[k].mAt.mIndex + (wanted - skipped));
      oneValue = oneValue && op.mFloats[f].mPlace == op.mFloats[0].mPlace &&
                 op.mFloats[f].mIndex == op.mFloats[0].mIndex + f && op.mFloats[f].mScale == op.mFloats[0].mScale;
      inPlace = inPlace && op.mFloats[f].mPlace == kRow && op.mFloats[f].mIndex == resultFloat + f;
      fromStep = fromStep && op.mFloats[f].mPlace == kStep;
    }
    if (inPlace)
      break; // already in the rows of the result
    if (oneValue && op.mFloats[0].mPlace != kRow) {
      // Floats of one member or step value, read where they lie.
      entry.mAt = op.mFloats[0];
      break;
    }
    if (fromStep) {
      op.mResult = NewStepValues(step.mWidth, nullptr).mIndex;
      mStepOps.push_back(op);
      entry.mAt.mPlace = kStep;
      entry.mAt.mIndex = op.mResult;
      break;
    }
    AddOp(op);
    break;
  }
  case TParticleCompileStep::kStore:
    KeepMembersFromWrite(stack, base, step.mSlot, step.mWidth);
    op.mA = args[0].mAt;
    op.mSlot = (uint16_t)step.mSlot;
    AddOp(op);
    break;
  case TParticleCompileStep::kCall:
    if (step.mWritesRecord)
      KeepMembersFromWrite(stack, base, 0, 0);
    op.mFunction = function;
    op.mArgCount = (uint8_t)argCount;
    op.mArgs = (uint32_t)mCallOperands.size();
    for (unsigned k = 0; k < argCount; ++k) {
      mCallOperands.push_back(args[k].mAt);
      mCallWidths.push_back((uint8_t)args[k].mWidth);
    }
    AddOp(op);
    mMayStop = true;
    break;
  default:
    return false;
  }
  if (operation) {
    // Worked out once per step when every argument is the same for all particles.
    const bool stepOnly =
        (op.mCode == TParticleCompileStep::kAge) ||
        (op.mA.mPlace == kStep && (op.mCode == TParticleCompileStep::kNegate || op.mB.mPlace == kStep));
    // A member times a step value is read so where it is used.
    const bool scaled = op.mCode == TParticleCompileStep::kMul && op.mA.mPlace == kMember && op.mB.mPlace == kStep;
    if (scaled) {
      entry.mAt = op.mA;
      entry.mAt.mPlace = kScaledMember;
      entry.mAt.mScale = op.mB.mIndex;
    } else if (stepOnly) {
      op.mResult = NewStepValues(step.mWidth, nullptr).mIndex;
      mStepOps.push_back(op);
      entry.mAt.mPlace = kStep;
      entry.mAt.mIndex = op.mResult;
    } else {
      AddOp(op);
    }
  }
  if (step.mEffect)
    ++*effects;
  stack.resize(base);
  if (pushed > 0) {
    stack.push_back(entry);
    mStackFloats = std::max(mStackFloats, resultFloat + pushed);
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// Running

bool TParticleProgram::Run(TLuaParticleSystem* system, float* const* records, size_t count, int32_t elapsed,
                           uint8_t* alive)
{
  mSystem = system;
  mElapsed = elapsed;
  mState.mParams = TParamSet(nullptr, mMemberWidths.data(), (unsigned)mMemberWidths.size());
  mState.mElapsed = elapsed;
  std::memset(alive, 1, count);
  if (!mCompiled || count == 0)
    return true;
  RunStepOps();
  // Each step value spread over a row, for as many lanes as a block uses.
  const size_t lanes = std::min(count, kBlock);
  mStepRows.resize(mStep.size() * kBlock);
  for (size_t value = 0; value < mStep.size(); ++value)
    std::fill(mStepRows.begin() + value * kBlock, mStepRows.begin() + value * kBlock + lanes, mStep[value]);
  if (mRows.size() < (size_t)mStackFloats * kBlock)
    mRows.resize((size_t)mStackFloats * kBlock);
  uint8_t* stopped = nullptr;
  if (mMayStop) {
    mStopped.assign(count, 0);
    stopped = mStopped.data();
  }
  if (mByInstruction) {
    for (size_t first = 0; first < count; first += kBlock)
      RunBlock(records + first, std::min(kBlock, count - first), alive + first, stopped ? stopped + first : nullptr);
  } else {
    for (size_t i = 0; i < count; ++i)
      RunBlock(records + i, 1, alive + i, stopped ? stopped + i : nullptr);
  }
  // Only a called function ends a particle.
  return !mMayStop || !std::memchr(alive, 0, count);
}

void TParticleProgram::RunStepOps()
{
  // The step in seconds as fTimeScale works it out.
  mStep[kSecondsValue] = (float)mElapsed / 1000.0f;
  for (const TOp& op : mStepOps) {
    float* out = mStep.data() + op.mResult;
    const float* a = mStep.data() + op.mA.mIndex;
    const float* b = mStep.data() + op.mB.mIndex;
    switch (op.mCode) {
    case TParticleCompileStep::kAdd:
      for (unsigned i = 0; i < op.mWidth; ++i)
        out[i] = a[i] + b[i];
      break;
    case TParticleCompileStep::kSub:
      for (unsigned i = 0; i < op.mWidth; ++i)
        out[i] = a[i] - b[i];
      break;
    case TParticleCompileStep::kMul:
      for (unsigned i = 0; i < op.mWidth; ++i)
        out[i] = a[i] * b[0];
      break;
    case TParticleCompileStep::kDiv:
      for (unsigned i = 0; i < op.mWidth; ++i)
        out[i] = a[i] / b[0];
      break;
    case TParticleCompileStep::kNegate:
      for (unsigned i = 0; i < op.mWidth; ++i)
        out[i] = -a[i];
      break;
    case TParticleCompileStep::kLess:
      out[0] = a[0] < b[0] ? 1.0f : 0.0f;
      break;
    case TParticleCompileStep::kLessEqual:
      out[0] = a[0] <= b[0] ? 1.0f : 0.0f;
      break;
    case TParticleCompileStep::kAge:
      out[0] = (float)mElapsed;
      break;
    case TParticleCompileStep::kFloats:
      for (unsigned f = 0; f < op.mWidth; ++f)
        out[f] = mStep[op.mFloats[f].mIndex];
      break;
    default:
      break;
    }
  }
}

void TParticleProgram::RunBlock(float* const* records, size_t lanes, uint8_t* alive, uint8_t* stopped)
{
  // Each operation reads a lane's arguments before it writes that lane's result, which may
  // take the rows of its first argument. Lanes that stopped still compute (their rows are
  // never read again) but write neither records nor calls.
  for (const TOp& op : mOps) {
    switch (op.mCode) {
    case TParticleCompileStep::kAdd:
      RunOperation(op, records, lanes, [](float a, float b) { return a + b; });
      break;
    case TParticleCompileStep::kSub:
      RunOperation(op, records, lanes, [](float a, float b) { return a - b; });
      break;
    case TParticleCompileStep::kMul:
      RunOperation(op, records, lanes, [](float a, float b) { return a * b; });
      break;
    case TParticleCompileStep::kDiv:
      RunOperation(op, records, lanes, [](float a, float b) { return a / b; });
      break;
    case TParticleCompileStep::kNegate:
      RunOperation(op, records, lanes, [](float a, float) { return -a; });
      break;
    case TParticleCompileStep::kLess:
      RunOperation(op, records, lanes, [](float a, float b) { return a < b ? 1.0f : 0.0f; });
      break;
    case TParticleCompileStep::kLessEqual:
      RunOperation(op, records, lanes, [](float a, float b) { return a <= b ? 1.0f : 0.0f; });
      break;
    case TParticleCompileStep::kFloats:
      // Sources lie at or after the rows written, so none is overwritten before it is read.
      for (unsigned f = 0; f < op.mWidth; ++f) {
        const TOperand& from = op.mFloats[f];
        float* out = Row(op.mResult + f);
        if (from.InRecord()) {
          for (size_t j = 0; j < lanes; ++j)
            out[j] = ValueOf(from, from.mIndex, records, j);
        } else {
          const float* in = from.mPlace == kRow ? Row(from.mIndex) : StepRow(from.mIndex);
          if (in != out)
            std::memcpy(out, in, lanes * sizeof(float));
        }
      }
      break;
    case TParticleCompileStep::kStore: {
      // Each record's floats are all read before any is written: the value may come from
      // the same record.
      const unsigned width = op.mWidth;
      for (size_t j = 0; j < lanes; ++j) {
        if (stopped && stopped[j])
          continue;
        float value[4];
        for (unsigned i = 0; i < width; ++i)
          value[i] = ValueOf(op.mA, op.mA.mIndex + i, records, j);
        float* record = records[j] + op.mSlot;
        for (unsigned i = 0; i < width; ++i)
          record[i] = value[i];
      }
      break;
    }
    case TParticleCompileStep::kCall:
      RunCall(op, records, lanes, alive, stopped);
      break;
    default:
      break;
    }
  }
}

template <class F>
void TParticleProgram::RunOperation(const TOp& op, float* const* records, size_t lanes, F f)
{
  // The scalar of kMul and kDiv is float 0 of its argument; a unary operation reads none.
  const bool scalarB = op.mCode == TParticleCompileStep::kMul || op.mCode == TParticleCompileStep::kDiv;
  const unsigned stepB = scalarB ? 0 : 1;
  const unsigned width = op.mWidth;
  const bool inRecords = op.mIntoRecord || op.mA.InRecord() || op.mB.InRecord();
  auto withOut = [&](const auto& a, const auto& b) {
    if (op.mIntoRecord)
      EachLane<true>(lanes, width, a, b, TMemberOut{records, op.mSlot}, f);
    else if (inRecords)
      EachLane<true>(lanes, width, a, b, TRowsOut{Row(op.mResult)}, f);
    else
      EachLane<false>(lanes, width, a, b, TRowsOut{Row(op.mResult)}, f);
  };
  auto withB = [&](const auto& a) {
    if (op.mCode == TParticleCompileStep::kNegate)
      return withOut(a, TValuesIn{mStep.data(), 0});
    switch (op.mB.mPlace) {
    case kRow:
      return withOut(a, TRowsIn{Row(op.mB.mIndex), stepB});
    case kMember:
      return withOut(a, TMemberIn{records, op.mB.mIndex, stepB});
    case kScaledMember:
      return withOut(a, TScaledMemberIn{records, op.mB.mIndex, stepB, mStep[op.mB.mScale]});
    case kStep:
      return withOut(a, TValuesIn{mStep.data() + op.mB.mIndex, stepB});
    }
  };
  switch (op.mA.mPlace) {
  case kRow:
    return withB(TRowsIn{Row(op.mA.mIndex), 1});
  case kMember:
    return withB(TMemberIn{records, op.mA.mIndex, 1});
  case kScaledMember:
    return withB(TScaledMemberIn{records, op.mA.mIndex, 1, mStep[op.mA.mScale]});
  case kStep:
    return withB(TRowsIn{StepRow(op.mA.mIndex), 1});
  }
}

void TParticleProgram::RunCall(const TOp& op, float* const* records, size_t lanes, uint8_t* alive, uint8_t* stopped)
{
  const TOperand* operands = mCallOperands.data() + op.mArgs;
  const uint8_t* widths = mCallWidths.data() + op.mArgs;
  mCallStack.mValues = mCallFloats;
  mCallStack.mSizes = mCallWidths8;
  mCallStack.mCapacity = TParticleMachineState::kStackEntries;
  for (size_t j = 0; j < lanes; ++j) {
    if (stopped[j])
      continue;
    // The arguments laid end to end, as the function expects them (a push of the last
    // call changed the first entry).
    mCallStack.mOffsets[0] = 0;
    float* to = mCallFloats;
    for (unsigned k = 0; k < op.mArgCount; ++k) {
      mCallWidths8[k] = widths[k];
      mCallStack.mOffsets[k + 1] = mCallStack.mOffsets[k] + widths[k];
      const TOperand& at = operands[k];
      for (unsigned i = 0; i < widths[k]; ++i) {
        const unsigned index = at.mIndex + i;
        *to++ = ValueOf(at, index, records, j);
      }
    }
    mCallStack.mCount = op.mArgCount;
    TParticleMachineState machine;
    machine.mSystem = mSystem;
    machine.mStack = &mCallStack;
    machine.mBase = 0;
    machine.mTop = op.mArgCount;
    machine.mArgCount = op.mArgCount;
    mState.mParams.mValues = records[j];
    mState.mAlive = alive[j] != 0;
    const bool ok = op.mFunction->Process(mState, machine);
    alive[j] = mState.mAlive ? 1 : 0;
    if (!ok) {
      stopped[j] = 1;
      continue;
    }
    for (unsigned i = 0; i < op.mWidth; ++i)
      Row(op.mResult + i)[j] = mCallFloats[i];
  }
}
