// particleprogram: compiles instruction streams of built-in functions into operations on
// a stack laid out once, and runs them over all particles of a step (particlefunction).
#include "core/particles/particleprogram.h"

#include <typeinfo>

namespace {

// An entry of the stack as the compiler sees it: its width, its first float, and its
// value when an instruction pushes a constant.
struct TEntry
{
  unsigned mWidth = 0;
  unsigned mFloat = 0;
  bool mKnown = false;
  float mValue[4] = {0, 0, 0, 0};
};

template <class T>
bool Is(const std::type_info& type)
{
  return type == typeid(T);
}

// How the machine would take an instruction, known before any particle runs.
enum EVerdict
{
  kCompiles,       // an operation of the program
  kAlwaysFails,    // fails on every particle before it changes anything
  kNotCompilable   // the stream stays on the machine
};

}  // namespace

void TParticleProgram::Clear()
{
  mCompiled = false;
  mByInstruction = false;
  mMayStop = false;
  mOps.clear();
  mWidths.clear();
  mMemberWidths.clear();
  mStackFloats = 0;
}

bool TParticleProgram::Compile(const TParticleInstruction* code, size_t count, const uint8_t* memberWidths,
                               unsigned members)
{
  Clear();
  if (members > TParamSet::kMaxEntries) return false;
  mMemberWidths.assign(memberWidths, memberWidths + members);
  TParamSet record(nullptr, mMemberWidths.data(), members);
  const unsigned recordFloats = record.FloatCount();

  std::vector<TEntry> stack;
  unsigned effects = 0;
  for (size_t i = 0; i < count; ++i) {
    const TParticleInstruction& instruction = code[i];
    TParticleFunction* function = instruction.mFunction.get();
    const unsigned argCount = instruction.mArgCount;
    // The machine stops every particle here; what follows never runs.
    if (!function || argCount > stack.size()) break;
    const unsigned base = (unsigned)stack.size() - argCount;
    const TEntry* args = stack.data() + base;
    auto width = [&](unsigned k) { return args[k].mWidth; };
    const std::type_info& type = typeid(*function);

    TOp op;
    // The result takes the place of the arguments, as on the machine.
    const unsigned top = stack.empty() ? 0 : stack.back().mFloat + stack.back().mWidth;
    op.mResult = (uint16_t)(argCount > 0 ? args[0].mFloat : top);
    unsigned result = 0;  // width pushed; 0 for none
    bool known = false;
    float value[4] = {0, 0, 0, 0};
    bool effect = false;
    EVerdict verdict = kCompiles;

    if (Is<FPush<float>>(type) || Is<FPush<TVec2>>(type) || Is<FPush<TVec3>>(type) || Is<FPush<TVec4>>(type)) {
      op.mCode = kConstant;
      if (Is<FPush<float>>(type)) {
        result = 1;
        value[0] = static_cast<FPush<float>*>(function)->mValue;
      } else if (Is<FPush<TVec2>>(type)) {
        const TVec2& v = static_cast<FPush<TVec2>*>(function)->mValue;
        result = 2, value[0] = v.x, value[1] = v.y;
      } else if (Is<FPush<TVec3>>(type)) {
        const TVec3& v = static_cast<FPush<TVec3>*>(function)->mValue;
        result = 3, value[0] = v.x, value[1] = v.y, value[2] = v.z;
      } else {
        const TVec4& v = static_cast<FPush<TVec4>*>(function)->mValue;
        result = 4, value[0] = v.x, value[1] = v.y, value[2] = v.z, value[3] = v.w;
      }
      for (unsigned k = 0; k < 4; ++k) op.mConstant[k] = value[k];
      known = true;
    } else if (Is<FGetParticleParam>(type)) {
      const uint32_t member = static_cast<FGetParticleParam*>(function)->mMember;
      const int slot = ParticleMemberSlot(member);
      const unsigned first = (unsigned)slot & 255;
      result = ParticleMemberWidth(member);
      if (slot < 0) {
        verdict = kNotCompilable;  // a data source: the game's own function
      } else if (first + result > recordFloats) {
        verdict = kAlwaysFails;
      } else {
        op.mCode = kLoad;
        op.mSlot = (uint16_t)first;
      }
    } else if (Is<FAssign>(type)) {
      if (argCount != 3) {
        verdict = kAlwaysFails;
      } else if (args[1].mKnown && args[2].mKnown) {
        const int slot = ParticleTruncatedInt(args[1].mValue[0]);
        const int memberWidth = ParticleTruncatedInt(args[2].mValue[0]);
        if (slot < 0 || memberWidth < 1 || (unsigned)slot >= recordFloats) {
          verdict = kAlwaysFails;
        } else {
          unsigned stored = width(0);
          if (stored > (unsigned)memberWidth) stored = (unsigned)memberWidth;
          if (stored > recordFloats - (unsigned)slot) stored = recordFloats - (unsigned)slot;
          op.mCode = kStore;
          op.mSlot = (uint16_t)slot;
          op.mWidth = (uint8_t)stored;
        }
      } else {
        op.mMayFail = true;
      }
    } else if (Is<FNewIndex>(type)) {
      if (argCount != 3 || width(0) != 1 || width(1) != 1 || width(2) != 1)
        verdict = kAlwaysFails;
      else
        result = 1, op.mMayFail = true;
    } else if (Is<FIndex>(type)) {
      if (argCount != 2 || width(0) != 1 || width(1) != 1) {
        verdict = kAlwaysFails;
      } else if (!args[0].mKnown || !args[1].mKnown || ParticleTruncatedInt(args[0].mValue[0]) < 0) {
        verdict = kNotCompilable;  // may read a data source
      } else {
        result = 1;
        const unsigned k = ParticleComponentIndex(args[1].mValue[0]);
        const unsigned index = ((unsigned)ParticleTruncatedInt(args[0].mValue[0]) & 255) + k - 1;
        if (k >= 1 && index < recordFloats) {
          op.mCode = kLoad;
          op.mSlot = (uint16_t)index;
        } else {
          // Reports the index and fails, on every particle that gets here.
          op.mMayFail = true;
          effect = true;
        }
      }
    } else if (Is<FVIndex>(type)) {
      if (argCount != 2 || width(1) < 1) {
        verdict = kAlwaysFails;
      } else if (args[1].mKnown) {
        const unsigned k = ParticleComponentIndex(args[1].mValue[0]);
        if (k < 1 || k > width(0)) {
          verdict = kAlwaysFails;
        } else {
          result = 1;
          op.mCode = kCopy;
          op.mOperand = (uint16_t)(args[0].mFloat + k - 1);
        }
      } else {
        result = 1, op.mMayFail = true;
      }
    } else if (Is<FAdd>(type) || Is<FSub>(type)) {
      if (argCount != 2 || width(0) < 1 || width(1) < width(0)) {
        verdict = kAlwaysFails;
      } else {
        op.mCode = Is<FAdd>(type) ? kAdd : kSub;
        op.mOperand = (uint16_t)args[1].mFloat;
        result = width(0);
      }
    } else if (Is<FMul>(type) || Is<FDiv>(type)) {
      if (argCount != 2 || width(1) != 1) {
        verdict = kAlwaysFails;
      } else {
        op.mCode = Is<FMul>(type) ? kMul : kDiv;
        op.mOperand = (uint16_t)args[1].mFloat;
        result = width(0);
      }
    } else if (Is<FUnm>(type) || Is<FTimeScale>(type)) {
      if (argCount != 1) {
        verdict = kAlwaysFails;
      } else {
        op.mCode = Is<FUnm>(type) ? kNegate : kTimeScale;
        result = width(0);
      }
    } else if (Is<FAge>(type)) {
      if (argCount != 0)
        verdict = kAlwaysFails;
      else
        op.mCode = kAge, result = 1;
    } else if (Is<FLt>(type) || Is<FLe>(type)) {
      if (argCount != 2 || width(0) != 1 || width(1) != 1) {
        verdict = kAlwaysFails;
      } else {
        op.mCode = Is<FLt>(type) ? kLess : kLessEqual;
        op.mOperand = (uint16_t)args[1].mFloat;
        result = 1;
      }
    } else if (Is<FFade>(type)) {
      bool fits = argCount >= 2 && width(0) == 1;
      for (unsigned k = 1; fits && k < argCount; k += 2) fits = width(k) == width(1);
      for (unsigned k = 2; fits && k < argCount; k += 2) fits = width(k) == 1;
      if (!fits)
        verdict = kAlwaysFails;
      else
        result = width(1);
    } else if (Is<FOpenCycle>(type) || Is<FClosedCycle>(type)) {
      if (argCount != 3 || width(0) != width(1) || width(2) < 1)
        verdict = kAlwaysFails;
      else
        result = 1, op.mMayFail = true, effect = true;
    } else if (Is<FPick>(type)) {
      bool same = argCount >= 1;
      for (unsigned k = 1; same && k < argCount; ++k) same = width(k) == width(0);
      if (argCount == 0)
        verdict = kAlwaysFails;
      else if (!same)
        verdict = kNotCompilable;  // the width pushed depends on the pick
      else
        result = width(0), effect = true;
    } else if (Is<FAlpha>(type)) {
      if (argCount < 2 || width(0) < 3)
        verdict = kAlwaysFails;
      else
        result = 4;
    } else if (Is<FDebug>(type)) {
      effect = true;
    } else if (Is<FDistance>(type)) {
      if (argCount != 2 || width(0) < 1 || width(1) < width(0))
        verdict = kAlwaysFails;
      else
        result = 1;
    } else if (Is<F2dRadius>(type)) {
      if (argCount != 1 || width(0) != 1)
        verdict = kAlwaysFails;
      else
        result = 2, effect = true;
    } else if (Is<F2dRotation>(type)) {
      if (argCount < 1 || width(0) != 1)
        verdict = kAlwaysFails;
      else
        result = 2;
    } else if (Is<FVec>(type)) {
      if (argCount < 1 || argCount > 4) {
        verdict = kAlwaysFails;
      } else {
        // The first argCount floats of the arguments, which are where the result goes.
        result = argCount;
        op.mCode = kCopy;
        op.mOperand = op.mResult;
      }
    } else if (Is<FRange>(type)) {
      if (argCount != 2 || width(0) != width(1))
        verdict = kAlwaysFails;
      else
        result = width(0), effect = true;
    } else if (Is<FExpire>(type)) {
      if (argCount != 1 || width(0) != 1)
        verdict = kAlwaysFails;
      else
        result = 1;
    } else {
      verdict = kNotCompilable;
    }

    if (verdict == kNotCompilable) {
      Clear();
      return false;
    }
    if (verdict == kAlwaysFails) break;
    // The machine refuses a push past its stack; such streams are left to it.
    if (result > 4 || (result > 0 && base >= TParticleMachineState::kStackEntries)) {
      Clear();
      return false;
    }

    op.mWidth = (uint8_t)(op.mCode == kStore ? op.mWidth : result);
    if (op.mCode == kCall) {
      op.mFunction = function;
      op.mArgCount = (uint8_t)argCount;
      op.mArgWidths = (uint32_t)mWidths.size();
      for (unsigned k = 0; k < argCount; ++k) mWidths.push_back((uint8_t)width(k));
      op.mMayFail = true;
    }
    if (op.mMayFail) mMayStop = true;
    if (effect) ++effects;
    mOps.push_back(op);

    const unsigned resultFloat = op.mResult;
    stack.resize(base);
    if (result > 0) {
      TEntry entry;
      entry.mWidth = result;
      entry.mFloat = resultFloat;
      entry.mKnown = known;
      for (unsigned k = 0; k < 4; ++k) entry.mValue[k] = value[k];
      stack.push_back(entry);
      if (resultFloat + result > mStackFloats) mStackFloats = resultFloat + result;
    }
  }
  // Effects of one kind of instruction come in the particles' order either way; two
  // would interleave differently when each instruction ran over all particles.
  mByInstruction = effects <= 1;
  mCompiled = true;
  return true;
}

void TParticleProgram::Run(TLuaParticleSystem* system, float* const* records, size_t count, int32_t elapsed,
                           uint8_t* alive)
{
  mSystem = system;
  mElapsed = elapsed;
  mState.mParams = TParamSet(nullptr, mMemberWidths.data(), (unsigned)mMemberWidths.size());
  mState.mElapsed = elapsed;
  for (size_t i = 0; i < count; ++i) alive[i] = 1;
  if (mByInstruction) {
    RunOps(records, count, alive);
    return;
  }
  for (size_t i = 0; i < count; ++i) RunOps(records + i, 1, alive + i);
}

void TParticleProgram::RunOps(float* const* records, size_t lanes, uint8_t* alive)
{
  mLanes = lanes;
  if (mStack.size() < (size_t)mStackFloats * lanes) mStack.resize((size_t)mStackFloats * lanes);
  if (mMayStop) mStopped.assign(lanes, 0);
  for (const TOp& op : mOps) RunOp(op, records, lanes, alive);
}

void TParticleProgram::RunOp(const TOp& op, float* const* records, size_t lanes, uint8_t* alive)
{
  if (op.mCode == kCall)
    RunCall(op, records, lanes, alive);
  else if (mMayStop)
    RunPlainOp<true>(op, records, lanes);
  else
    RunPlainOp<false>(op, records, lanes);
}

template <bool kSkipStopped>
void TParticleProgram::RunPlainOp(const TOp& op, float* const* records, size_t lanes)
{
  // Float f of the stack for lane j is mStack[f * lanes + j]; each operation reads a
  // lane's operands before it writes that lane's result, which may overlap them.
  float* const stack = mStack.data();
  const uint8_t* const stopped = kSkipStopped ? mStopped.data() : nullptr;
  auto row = [&](unsigned f) { return stack + (size_t)f * lanes; };
  const unsigned width = op.mWidth;
#define QV_EACH_LANE(body)                              \
  for (size_t j = 0; j < lanes; ++j) {                  \
    if (kSkipStopped && stopped[j]) continue;           \
    body;                                               \
  }
  switch (op.mCode) {
    case kLoad:
      for (unsigned i = 0; i < width; ++i) {
        float* out = row(op.mResult + i);
        const unsigned slot = op.mSlot + i;
        QV_EACH_LANE(out[j] = records[j][slot]);
      }
      break;
    case kConstant:
      for (unsigned i = 0; i < width; ++i) {
        float* out = row(op.mResult + i);
        const float value = op.mConstant[i];
        QV_EACH_LANE(out[j] = value);
      }
      break;
    case kAdd:
    case kSub:
      for (unsigned i = 0; i < width; ++i) {
        float* out = row(op.mResult + i);
        const float* b = row(op.mOperand + i);
        if (op.mCode == kAdd) {
          QV_EACH_LANE(out[j] = out[j] + b[j]);
        } else {
          QV_EACH_LANE(out[j] = out[j] - b[j]);
        }
      }
      break;
    case kMul:
    case kDiv: {
      // The scalar lies after the vector, out of reach of the result.
      const float* scalar = row(op.mOperand);
      for (unsigned i = 0; i < width; ++i) {
        float* out = row(op.mResult + i);
        if (op.mCode == kMul) {
          QV_EACH_LANE(out[j] = out[j] * scalar[j]);
        } else {
          QV_EACH_LANE(out[j] = out[j] / scalar[j]);
        }
      }
      break;
    }
    case kNegate:
      for (unsigned i = 0; i < width; ++i) {
        float* out = row(op.mResult + i);
        QV_EACH_LANE(out[j] = -out[j]);
      }
      break;
    case kTimeScale: {
      const float seconds = (float)mElapsed / 1000.0f;
      for (unsigned i = 0; i < width; ++i) {
        float* out = row(op.mResult + i);
        QV_EACH_LANE(out[j] = out[j] * seconds);
      }
      break;
    }
    case kAge: {
      const float age = (float)mElapsed;
      float* out = row(op.mResult);
      QV_EACH_LANE(out[j] = age);
      break;
    }
    case kLess:
    case kLessEqual: {
      float* out = row(op.mResult);
      const float* b = row(op.mOperand);
      if (op.mCode == kLess) {
        QV_EACH_LANE(out[j] = out[j] < b[j] ? 1.0f : 0.0f);
      } else {
        QV_EACH_LANE(out[j] = out[j] <= b[j] ? 1.0f : 0.0f);
      }
      break;
    }
    case kStore:
      for (unsigned i = 0; i < width; ++i) {
        const float* in = row(op.mResult + i);
        const unsigned slot = op.mSlot + i;
        QV_EACH_LANE(records[j][slot] = in[j]);
      }
      break;
    case kCopy:
      if (op.mOperand != op.mResult) {
        for (unsigned i = 0; i < width; ++i) {
          float* out = row(op.mResult + i);
          const float* in = row(op.mOperand + i);
          QV_EACH_LANE(out[j] = in[j]);
        }
      }
      break;
    case kCall:
      break;
  }
#undef QV_EACH_LANE
}

void TParticleProgram::RunCall(const TOp& op, float* const* records, size_t lanes, uint8_t* alive)
{
  const uint8_t* widths = mWidths.data() + op.mArgWidths;
  mCallStack.mValues = mCallFloats;
  mCallStack.mSizes = mCallWidths;
  mCallStack.mCapacity = TParticleMachineState::kStackEntries;
  float* const stack = mStack.data();
  for (size_t j = 0; j < lanes; ++j) {
    if (mStopped[j]) continue;
    // The arguments as the function expects them (a push of the last call changed the
    // first entry); on the program's stack they lie end to end from the result's place.
    mCallStack.mOffsets[0] = 0;
    for (unsigned k = 0; k < op.mArgCount; ++k) {
      mCallWidths[k] = widths[k];
      mCallStack.mOffsets[k + 1] = mCallStack.mOffsets[k] + widths[k];
    }
    mCallStack.mCount = op.mArgCount;
    const unsigned argFloats = mCallStack.mOffsets[op.mArgCount];
    for (unsigned f = 0; f < argFloats; ++f) mCallFloats[f] = stack[(size_t)(op.mResult + f) * lanes + j];
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
      mStopped[j] = 1;
      continue;
    }
    for (unsigned i = 0; i < op.mWidth; ++i) stack[(size_t)(op.mResult + i) * lanes + j] = mCallFloats[i];
  }
}
