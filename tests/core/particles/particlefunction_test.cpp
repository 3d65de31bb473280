// particle function machine tests: every built-in function on known inputs, the stack's
// limits, the record bounds of assign and newindex, and data-source members.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/foundation/random.h"
#include "core/particles/luaparticlesystem.h"
#include "core/particles/particlefunction.h"

namespace {

// Builds a stream by hand (constants and calls in post order) and runs it on a record.
class Machine
{
public:
  explicit Machine(std::vector<uint8_t> members = {2, 2, 1, 4, 1}, TLuaParticleSystem* system = nullptr)
      : mMembers(members), mMachine(system)
  {
    unsigned floats = 0;
    for (uint8_t width : mMembers)
      floats += width;
    mRecord.assign(floats, 0.0f);
    mState.mParams = TParamSet(mRecord.data(), mMembers.data(), (unsigned)mMembers.size());
  }

  Machine& Num(float v) { return Add(new FPush<float>(v), 0); }
  Machine& Vec(float x, float y) { return Add(new FPush<TVec2>(TVec2(x, y)), 0); }
  Machine& Vec(float x, float y, float z, float w) { return Add(new FPush<TVec4>(TVec4(x, y, z, w)), 0); }
  Machine& Member(int slot, unsigned width)
  {
    return Add(new FGetParticleParam((uint32_t)width << 16 | ((uint32_t)slot & 0xffff)), 0);
  }
  Machine& Call(TParticleFunction* function, unsigned args) { return Add(function, args); }
  Machine& Call(const boost::shared_ptr<TParticleFunction>& function, unsigned args)
  {
    mCode.emplace_back();
    mCode.back().mFunction = function;
    std::vector<uint8_t> widths(args, 1);
    mCode.back().SetArgWidths(widths.data(), args);
    return *this;
  }

  bool Run(int elapsed = 0)
  {
    mState.mElapsed = elapsed;
    return mMachine.Run(mCode.data(), mCode.size(), mState);
  }
  // The value on top of the stack after a run.
  std::vector<float> Top()
  {
    TParticleMachineState& m = mMachine.GetState();
    if (m.mTop == 0)
      return {};
    const float* values = m.mStack->Entry(m.mTop - 1u);
    return std::vector<float>(values, values + m.mStack->mSizes[m.mTop - 1u]);
  }
  unsigned Depth() { return mMachine.GetState().mTop; }

  std::vector<uint8_t> mMembers;
  std::vector<float> mRecord;
  TParticleState mState;
  std::vector<TParticleInstruction> mCode;
  TParticleMachine mMachine;

private:
  Machine& Add(TParticleFunction* function, unsigned args)
  {
    return Call(boost::shared_ptr<TParticleFunction>(function), args);
  }
};

std::vector<float> V(std::initializer_list<float> values)
{
  return std::vector<float>(values);
}

// Installs a seeded generator for the functions that draw random numbers.
class SeededRandom
{
public:
  explicit SeededRandom(unsigned seed)
  {
    mGenerator.Seed(seed);
    mPrevious = TLuaParticleSystem::gRandom;
    TLuaParticleSystem::gRandom = &mGenerator;
  }
  ~SeededRandom() { TLuaParticleSystem::gRandom = mPrevious; }
  TRandom mGenerator;

private:
  TRandom* mPrevious;
};

class RecordingFailure : public TFailure
{
public:
  void Failure(const char* message, int, const char*) override { mFailures.push_back(message); }
  void Status(const char* message) override { mStatus.push_back(message); }
  std::vector<std::string> mFailures;
  std::vector<std::string> mStatus;
};

class FailureScope
{
public:
  FailureScope() : mPrevious(TLuaParticleSystem::mFailureHandler) { TLuaParticleSystem::mFailureHandler = &mHandler; }
  ~FailureScope() { TLuaParticleSystem::mFailureHandler = mPrevious; }
  RecordingFailure mHandler;

private:
  TFailure* mPrevious;
};

} // namespace

TEST(ParamSet, OffsetsAreRunningSumsAndPartialResetRecomputesFromTheFirstEntry)
{
  float values[16];
  uint8_t widths[5] = {2, 2, 1, 4, 1};
  TParamSet set(values, widths, 5);
  EXPECT_EQ(5u, set.mCount);
  EXPECT_EQ(0u, set.mOffsets[0]);
  EXPECT_EQ(4u, set.mOffsets[2]);
  EXPECT_EQ(9u, set.mOffsets[4]);
  EXPECT_EQ(10u, set.FloatCount());

  uint8_t replacement[2] = {3, 1};
  ASSERT_TRUE(set.ResetPartial(1, replacement, 2));
  EXPECT_EQ(3u, set.mCount);
  EXPECT_EQ(2u, set.mOffsets[1]);
  EXPECT_EQ(5u, set.mOffsets[2]);
  EXPECT_EQ(6u, set.FloatCount());
  // Nothing may be written past the capacity.
  EXPECT_FALSE(set.ResetPartial(4, replacement, 2));
  EXPECT_EQ(3u, set.mCount);
}

TEST(ParticleFunction, TypeNamesAndCasts)
{
  boost::shared_ptr<TParticleFunction> assign(FAssignDynamicCreate());
  EXPECT_STREQ("FAssign", assign->GetTypeName());
  EXPECT_TRUE(assign->IsKindOf(FAssign::ClassId()));
  EXPECT_TRUE(assign->IsKindOf(TParticleFunction::ClassId()));
  EXPECT_FALSE(assign->IsKindOf(FAdd::ClassId()));
  EXPECT_EQ(assign.get(), assign->GetCast<FAssign>());
  EXPECT_EQ(nullptr, assign->GetCast<FLt>());
  EXPECT_EQ(reinterpret_cast<intptr_t>(&F2dRadiusDynamicCreate), F2dRadius::ClassId());
  EXPECT_STREQ("F2dRadius", boost::shared_ptr<TParticleFunction>(F2dRadiusDynamicCreate())->GetTypeName());
  // Constants and member reads answer as the base class.
  FPush<float> push(1.0f);
  EXPECT_STREQ("TParticleFunction", push.GetTypeName());
  EXPECT_TRUE(push.IsKindOf(TParticleFunction::ClassId()));
}

TEST(ParticleFunction, ArithmeticComponentwise)
{
  Machine add;
  add.Vec(1, 2).Vec(10, 20).Call(new FAdd, 2);
  ASSERT_TRUE(add.Run());
  EXPECT_EQ(V({11, 22}), add.Top());
  EXPECT_EQ(1u, add.Depth());

  Machine sub;
  sub.Vec(1, 2).Vec(10, 20).Call(new FSub, 2);
  ASSERT_TRUE(sub.Run());
  EXPECT_EQ(V({-9, -18}), sub.Top());

  Machine mul;
  mul.Vec(1, 2).Num(3).Call(new FMul, 2);
  ASSERT_TRUE(mul.Run());
  EXPECT_EQ(V({3, 6}), mul.Top());

  Machine div;
  div.Vec(3, 6).Num(3).Call(new FDiv, 2);
  ASSERT_TRUE(div.Run());
  EXPECT_EQ(V({1, 2}), div.Top());

  Machine unm;
  unm.Vec(1, -2).Call(new FUnm, 1);
  ASSERT_TRUE(unm.Run());
  EXPECT_EQ(V({-1, 2}), unm.Top());
}

TEST(ParticleFunction, ArithmeticRefusesMismatchedOperands)
{
  Machine narrow; // the second operand narrower than the first
  narrow.Vec(1, 2).Num(3).Call(new FAdd, 2);
  EXPECT_FALSE(narrow.Run());
  Machine vectorScale;
  vectorScale.Vec(1, 2).Vec(1, 2).Call(new FMul, 2);
  EXPECT_FALSE(vectorScale.Run());
  Machine oneArgument;
  oneArgument.Num(1).Call(new FAdd, 1);
  EXPECT_FALSE(oneArgument.Run());
  Machine twoForUnm;
  twoForUnm.Num(1).Num(1).Call(new FUnm, 2);
  EXPECT_FALSE(twoForUnm.Run());
}

TEST(ParticleFunction, Comparisons)
{
  struct Case
  {
    TParticleFunction* function;
    float a, b, expected;
  } cases[] = {{new FLt, 2, 3, 1}, {new FLe, 3, 3, 1}, {new FLt, 3, 3, 0}, {new FLe, 4, 3, 0}};
  for (const Case& c : cases) {
    Machine m;
    m.Num(c.a).Num(c.b).Call(c.function, 2);
    ASSERT_TRUE(m.Run());
    EXPECT_EQ(V({c.expected}), m.Top()) << c.function->GetTypeName() << " " << c.a << " " << c.b;
  }
  Machine vectors;
  vectors.Vec(1, 2).Num(3).Call(new FLt, 2);
  EXPECT_FALSE(vectors.Run());
}

TEST(ParticleFunction, TimeScaleAndAgeUseTheStep)
{
  Machine scale;
  scale.Vec(10, 20).Call(new FTimeScale, 1);
  ASSERT_TRUE(scale.Run(50));
  EXPECT_EQ(V({0.5f, 1.0f}), scale.Top());

  Machine age;
  age.Call(new FAge, 0);
  ASSERT_TRUE(age.Run(33));
  EXPECT_EQ(V({33}), age.Top());
}

TEST(ParticleFunction, FadeWalksItsKeyframes)
{
  auto fade = [](float t) {
    Machine m;
    m.Num(t).Num(0).Num(100).Num(1).Call(new FFade, 4);
    EXPECT_TRUE(m.Run());
    return m.Top();
  };
  EXPECT_EQ(V({0.25f}), fade(25));
  EXPECT_EQ(V({1}), fade(100));
  EXPECT_EQ(V({1}), fade(1000));
  EXPECT_EQ(V({0}), fade(-5));

  // Three keys of colour width; the second segment is reached after the first duration.
  Machine colours;
  colours.Num(150).Vec(0, 0, 0, 0).Num(100).Vec(1, 1, 1, 1).Num(100).Vec(1, 0, 0, 0).Call(new FFade, 6);
  ASSERT_TRUE(colours.Run());
  EXPECT_EQ(V({1, 0.5f, 0.5f, 0.5f}), colours.Top());

  // One key holds for every t; a trailing duration without a key holds the last key.
  for (float t : {-1.0f, 0.0f, 1e6f}) {
    Machine single;
    single.Num(t).Vec(3, 4).Call(new FFade, 2);
    ASSERT_TRUE(single.Run());
    EXPECT_EQ(V({3, 4}), single.Top());
  }
  Machine trailing;
  trailing.Num(5).Num(7).Num(10).Call(new FFade, 3);
  ASSERT_TRUE(trailing.Run());
  EXPECT_EQ(V({7}), trailing.Top());

  Machine wideDuration;
  wideDuration.Num(5).Num(0).Vec(1, 1).Num(1).Call(new FFade, 4);
  EXPECT_FALSE(wideDuration.Run());
  Machine timeOnly;
  timeOnly.Num(5).Call(new FFade, 1);
  EXPECT_FALSE(timeOnly.Run());
}

TEST(ParticleFunction, CyclesStepOncePerEvaluation)
{
  boost::shared_ptr<TParticleFunction> open(new FOpenCycle);
  boost::shared_ptr<TParticleFunction> closed(new FClosedCycle);
  std::vector<float> openValues, closedValues;
  for (int i = 0; i < 5; ++i) {
    Machine a;
    a.Num(0).Num(1).Num(4).Call(open, 3);
    ASSERT_TRUE(a.Run());
    openValues.push_back(a.Top()[0]);
    Machine b;
    b.Num(0).Num(1).Num(4).Call(closed, 3);
    ASSERT_TRUE(b.Run());
    closedValues.push_back(b.Top()[0]);
  }
  EXPECT_EQ(V({0, 0.25f, 0.5f, 0.75f, 0}), openValues);
  ASSERT_EQ(5u, closedValues.size());
  EXPECT_FLOAT_EQ(0, closedValues[0]);
  EXPECT_FLOAT_EQ(1.0f / 3, closedValues[1]);
  EXPECT_FLOAT_EQ(2.0f / 3, closedValues[2]);
  EXPECT_FLOAT_EQ(1, closedValues[3]);
  EXPECT_FLOAT_EQ(0, closedValues[4]);
}

TEST(ParticleFunction, CyclesWithoutAPeriodFail)
{
  Machine open;
  open.Num(0).Num(1).Num(0).Call(new FOpenCycle, 3);
  EXPECT_FALSE(open.Run());
  Machine closed;
  closed.Num(0).Num(1).Num(1).Call(new FClosedCycle, 3);
  EXPECT_FALSE(closed.Run());
  Machine mismatched;
  mismatched.Vec(0, 0).Num(1).Num(4).Call(new FOpenCycle, 3);
  EXPECT_FALSE(mismatched.Run());
}

TEST(ParticleFunction, VectorIndexIsOneBasedAndChecked)
{
  Machine second;
  second.Vec(5, 6).Num(2).Call(new FVIndex, 2);
  ASSERT_TRUE(second.Run());
  EXPECT_EQ(V({6}), second.Top());
  for (float k : {0.0f, 3.0f, -1.0f}) {
    Machine outside;
    outside.Vec(5, 6).Num(k).Call(new FVIndex, 2).Num(9);
    EXPECT_FALSE(outside.Run()) << k;
    // The stream stopped there: nothing behind the failing function ran.
    EXPECT_EQ(2u, outside.Depth());
  }
}

TEST(ParticleFunction, IndexReadsOneComponentOfAMember)
{
  FailureScope failures;
  Machine m;
  m.mRecord = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  m.mState.mParams.mValues = m.mRecord.data();
  m.Num(5).Num(4).Call(new FIndex, 2);
  ASSERT_TRUE(m.Run());
  EXPECT_EQ(V({9}), m.Top());

  Machine beyond;
  beyond.Num(9).Num(2).Call(new FIndex, 2);
  EXPECT_FALSE(beyond.Run());
  ASSERT_EQ(1u, failures.mHandler.mFailures.size());
  EXPECT_EQ("Out of range parameter index [2]", failures.mHandler.mFailures[0]);
}

TEST(ParticleFunction, AssignWritesTheMemberOnly)
{
  Machine m;
  m.Vec(7, 8).Num(0).Num(2).Call(new FAssign, 3);
  ASSERT_TRUE(m.Run());
  EXPECT_EQ(0u, m.Depth());
  EXPECT_EQ(V({7, 8, 0, 0, 0, 0, 0, 0, 0, 0}), m.mRecord);

  // A colour assigned to the scale fills the scale and nothing behind it.
  Machine wide;
  wide.Vec(1, 2, 3, 4).Num(4).Num(1).Call(new FAssign, 3);
  ASSERT_TRUE(wide.Run());
  EXPECT_EQ(V({0, 0, 0, 0, 1, 0, 0, 0, 0, 0}), wide.mRecord);

  // Never past the record's end.
  Machine last;
  last.Vec(1, 2, 3, 4).Num(9).Num(4).Call(new FAssign, 3);
  ASSERT_TRUE(last.Run());
  EXPECT_EQ(V({0, 0, 0, 0, 0, 0, 0, 0, 0, 1}), last.mRecord);

  for (float slot : {-1.0f, 10.0f, NAN}) {
    Machine refused;
    refused.Num(3).Num(slot).Num(1).Call(new FAssign, 3);
    EXPECT_FALSE(refused.Run()) << slot;
    EXPECT_EQ(std::vector<float>(10, 0.0f), refused.mRecord);
  }
}

TEST(ParticleFunction, NewIndexStaysInsideTheMember)
{
  Machine m;
  m.Num(5).Num(4).Num(0.5f).Call(new FNewIndex, 3);
  ASSERT_TRUE(m.Run());
  EXPECT_EQ(V({0.5f}), m.Top());
  EXPECT_EQ(0.5f, m.mRecord[8]);

  for (float k : {0.0f, 5.0f}) {
    Machine outside;
    outside.Num(5).Num(k).Num(1).Call(new FNewIndex, 3);
    EXPECT_FALSE(outside.Run()) << k;
    EXPECT_EQ(std::vector<float>(10, 0.0f), outside.mRecord);
  }
  Machine negative;
  negative.Num(-1).Num(1).Num(1).Call(new FNewIndex, 3);
  EXPECT_FALSE(negative.Run());
}

TEST(ParticleFunction, MemberReadsPushTheRecord)
{
  Machine m;
  m.mRecord = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  m.mState.mParams.mValues = m.mRecord.data();
  m.Member(5, 4);
  ASSERT_TRUE(m.Run());
  EXPECT_EQ(V({6, 7, 8, 9}), m.Top());
  Machine beyond;
  beyond.Member(8, 4);
  EXPECT_FALSE(beyond.Run());
}

TEST(ParticleFunction, PickAndRangeFollowTheGenerator)
{
  SeededRandom seeded(1234);
  TRandom reference;
  reference.Seed(1234);
  for (int i = 0; i < 20; ++i) {
    Machine pick;
    pick.Num(10).Vec(1, 2).Num(30).Call(new FPick, 3);
    ASSERT_TRUE(pick.Run());
    unsigned index = (unsigned)std::floor(reference.RandDouble() * 3);
    std::vector<float> expected = index == 0 ? V({10}) : index == 1 ? V({1, 2}) : V({30});
    EXPECT_EQ(expected, pick.Top());
  }
  Machine range;
  range.Vec(0, 10).Vec(1, 20).Call(new FRange, 2);
  ASSERT_TRUE(range.Run());
  float u0 = reference.RandFloat();
  float u1 = reference.RandFloat();
  EXPECT_EQ(V({0 + u0 * 1, 10 + u1 * 10}), range.Top());

  Machine radius;
  radius.Num(2).Call(new F2dRadius, 1);
  ASSERT_TRUE(radius.Run());
  float angle = 2.0f * reference.RandFloat() * 3.1415927f;
  EXPECT_EQ(V({(float)(2 * std::cos((double)angle)), (float)(2 * std::sin((double)angle))}), radius.Top());
  std::vector<float> point = radius.Top();
  EXPECT_NEAR(2.0, std::hypot(point[0], point[1]), 1e-5);

  Machine none;
  none.Call(new FPick, 0);
  EXPECT_FALSE(none.Run());
  Machine rangeMismatch;
  rangeMismatch.Vec(0, 1).Num(2).Call(new FRange, 2);
  EXPECT_FALSE(rangeMismatch.Run());
}

TEST(ParticleFunction, ExpireClearsAliveOnNonZero)
{
  Machine keep;
  keep.Num(0).Call(new FExpire, 1);
  ASSERT_TRUE(keep.Run());
  EXPECT_TRUE(keep.mState.mAlive);
  EXPECT_EQ(V({0}), keep.Top());

  Machine kill;
  kill.Num(1).Call(new FExpire, 1);
  ASSERT_TRUE(kill.Run());
  EXPECT_FALSE(kill.mState.mAlive);
  EXPECT_EQ(V({1}), kill.Top());
  // The next run starts alive again.
  kill.mCode.clear();
  kill.Num(0).Call(new FExpire, 1);
  ASSERT_TRUE(kill.Run());
  EXPECT_TRUE(kill.mState.mAlive);
}

TEST(ParticleFunction, VectorsRotationsDistanceAndAlpha)
{
  Machine vec;
  vec.Num(1).Num(2).Num(3).Call(new FVec, 3);
  ASSERT_TRUE(vec.Run());
  EXPECT_EQ(V({1, 2, 3}), vec.Top());
  Machine five;
  five.Num(1).Num(2).Num(3).Num(4).Num(5).Call(new FVec, 5);
  EXPECT_FALSE(five.Run());

  Machine rotation;
  rotation.Num(0).Call(new F2dRotation, 1);
  ASSERT_TRUE(rotation.Run());
  EXPECT_EQ(V({1, 0}), rotation.Top());

  Machine distance;
  distance.Vec(0, 0).Vec(3, 4).Call(new FDistance, 2);
  ASSERT_TRUE(distance.Run());
  EXPECT_EQ(V({5}), distance.Top());

  Machine alpha;
  alpha.Vec(0.1f, 0.2f, 0.3f, 0.4f).Num(0.9f).Call(new FAlpha, 2);
  ASSERT_TRUE(alpha.Run());
  EXPECT_EQ(V({0.1f, 0.2f, 0.3f, 0.9f}), alpha.Top());
  Machine alphaAlone;
  alphaAlone.Vec(0.1f, 0.2f, 0.3f, 0.4f).Call(new FAlpha, 1);
  EXPECT_FALSE(alphaAlone.Run());
}

TEST(ParticleFunction, DebugReportsItsArgumentsAndLeavesNothing)
{
  FailureScope failures;
  Machine m;
  m.Vec(1, 2).Num(0.5f).Call(new FDebug, 2);
  ASSERT_TRUE(m.Run());
  EXPECT_EQ(0u, m.Depth());
  ASSERT_EQ(1u, failures.mHandler.mStatus.size());
  EXPECT_EQ("Particle Values: (1.000000,2.000000) (0.500000) ", failures.mHandler.mStatus[0]);
}

TEST(ParticleMachine, StackRefusesToOverflow)
{
  // Dropped results pile up: the 256th value has no room and stops the stream.
  Machine m;
  for (int i = 0; i < 255; ++i)
    m.Num((float)i);
  ASSERT_TRUE(m.Run());
  EXPECT_EQ(255u, m.Depth());
  m.Vec(1, 2, 3, 4);
  EXPECT_FALSE(m.Run());
  EXPECT_EQ(255u, m.Depth());
  EXPECT_EQ(V({254}), m.Top());
}

TEST(ParticleMachine, MissingArgumentsOrFunctionsStopTheStream)
{
  Machine tooFew;
  tooFew.Num(1).Call(new FAdd, 2);
  EXPECT_FALSE(tooFew.Run());

  Machine empty;
  empty.Num(1);
  empty.mCode.emplace_back();
  empty.Num(2);
  EXPECT_FALSE(empty.Run());
  EXPECT_EQ(1u, empty.Depth());
}

TEST(ParticleInstruction, WidthsAreKeptPerInstructionAndSurviveCopies)
{
  std::vector<TParticleInstruction> code(2);
  const uint8_t few[2] = {2, 1};
  std::vector<uint8_t> many(200);
  for (size_t i = 0; i < many.size(); ++i)
    many[i] = (uint8_t)(1 + i % 4);
  code[0].SetArgWidths(few, 2);
  code[1].SetArgWidths(many.data(), (unsigned)many.size());
  for (int i = 0; i < 100; ++i)
    code.push_back(code[1]);
  EXPECT_EQ(2, code[0].GetArgWidths()[0]);
  EXPECT_EQ(1, code[0].GetArgWidths()[1]);
  for (size_t i = 1; i < code.size(); ++i)
    EXPECT_TRUE(std::equal(many.begin(), many.end(), code[i].GetArgWidths())) << i;
}
