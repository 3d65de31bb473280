// particleprogram_test: compiled streams against the machine: every built-in function,
// random numbers, cycles, messages, failures and expiry give the same particles, bit for bit.
#include "core/particles/particleprogram.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/foundation/asset.h"
#include "core/foundation/random.h"
#include "core/particles/luaparticlesystem.h"
#include "core/particles/particlecollection.h"
#include "core/foundation/debug.h"

namespace {

class TRecordingFailure : public TFailure
{
public:
  void Failure(char const* message, int line, char const* file) override
  {
    mLines.push_back(std::string(file) + ":" + std::to_string(line) + ":" + message);
  }
  void Status(char const* message) override { mLines.push_back(std::string("status:") + message); }
  std::vector<std::string> mLines;
};

// What a run leaves: each live record's bits (newest first), the free records' order,
// the messages, and the random generator's next draw.
struct TOutcome
{
  std::vector<std::vector<uint32_t>> mLive;
  std::vector<size_t> mFree;
  std::vector<std::string> mMessages;
  uint32_t mNextRandom = 0;
  bool mCompiledAnim = false;
  bool mByInstruction = false;
};

std::vector<uint32_t> Bits(const float* record, unsigned floats)
{
  std::vector<uint32_t> bits(floats);
  std::memcpy(bits.data(), record, floats * sizeof(float));
  return bits;
}

TOutcome RunEffect(const std::string& script, bool compiled, int steps = 6, float spawn = 7.5f)
{
  TAssetManager registry;
  TRandom random;
  random.Seed(11);
  TRecordingFailure failure;
  TFailure* previousHandler = TLuaParticleSystem::mFailureHandler;
  TLuaParticleSystem::mFailureHandler = &failure;
  TLuaParticleSystem::gRandom = &random;
  TLuaParticleSystem::gCompileStreams = compiled;
  TOutcome outcome;
  {
    TLuaParticleSystem system;
    EXPECT_TRUE(system.Init(script.c_str()));
    for (int step = 0; step < steps; ++step) {
      system.CreateParticles(spawn);
      system.Update(16 + step);
    }
    const float* pool = system.GetCollection()->mPool;
    for (float* record : system.GetCollection()->mLive)
      outcome.mLive.push_back(Bits(record, system.GetRecordFloats()));
    for (float* record : system.GetCollection()->mFree)
      outcome.mFree.push_back((size_t)(record - pool));
    TParticleProgram program;
    const TLuaParticleSystem::TStream& anim = system.GetAnimStream();
    outcome.mCompiledAnim = program.Compile(anim.data(), anim.size(), system.GetMemberWidths().data(),
                                            (unsigned)system.GetMemberWidths().size());
    outcome.mByInstruction = program.RunsByInstruction();
  }
  outcome.mMessages = failure.mLines;
  outcome.mNextRandom = random.Rand32();
  TLuaParticleSystem::gCompileStreams = true;
  TLuaParticleSystem::gRandom = nullptr;
  TLuaParticleSystem::mFailureHandler = previousHandler;
  return outcome;
}

void ExpectSameAsMachine(const std::string& script, float spawn = 7.5f)
{
  TOutcome machine = RunEffect(script, false, 6, spawn);
  TOutcome compiled = RunEffect(script, true, 6, spawn);
  EXPECT_FALSE(machine.mLive.empty()) << script;
  EXPECT_EQ(machine.mLive, compiled.mLive) << script;
  EXPECT_EQ(machine.mFree, compiled.mFree) << script;
  EXPECT_EQ(machine.mMessages, compiled.mMessages) << script;
  EXPECT_EQ(machine.mNextRandom, compiled.mNextRandom) << script;
  EXPECT_TRUE(compiled.mCompiledAnim) << script;
}

const char kHeader[] = "SetNumParticles(40)\n"
                       "pVelocity = Allocate(2)\n"
                       "pAge = Allocate(1)\n"
                       "pPosition:Init(fRange(Vec2(0, 0), Vec2(800, 600)))\n"
                       "pVelocity:Init(f2dRadius(50))\n"
                       "pScale:Init(fPick(0.5, 1, 2))\n"
                       "pColor:Init(Color(1, 0.5, 0.25, 1))\n";

} // namespace

TEST(ParticleProgram, MotionAndArithmeticRunByInstructionAsOnTheMachine)
{
  std::string script = std::string(kHeader) +
                       "SetUpGravity(30)\n"
                       "pPosition:Anim(pPosition + fTimeScale(pVelocity))\n"
                       "pUp:Anim(-pUp * 2 / 3 - Vec2(0.5, 0.25))\n"
                       "pAge:Anim(pAge + fAge())\n"
                       "pFrame:Anim(fLess(pScale, 1) + fLessEqual(1, pScale) + pColor[2] + Vec3(1, 2, 3)[3])\n";
  ExpectSameAsMachine(script);
  TOutcome outcome = RunEffect(script, true);
  EXPECT_TRUE(outcome.mCompiledAnim);
  EXPECT_TRUE(outcome.mByInstruction);
}

TEST(ParticleProgram, OneRandomFunctionPerStreamKeepsTheGeneratorsOrder)
{
  ExpectSameAsMachine(std::string(kHeader) + "pUp:Anim(pUp + f2dRadius(pScale))\npPosition:Anim(pPosition + pUp)\n");
  ExpectSameAsMachine(std::string(kHeader) + "pPosition:Anim(pPosition + fRange(Vec2(-1, -1), Vec2(1, 1)))\n");
}

TEST(ParticleProgram, SeveralEffectsRunParticleByParticle)
{
  std::string script = std::string(kHeader) + "pPosition:Anim(pPosition + fRange(Vec2(-1, -1), Vec2(1, 1)))\n"
                                              "pScale:Anim(fPick(1, 2, 3) + fPick(4, 5))\n"
                                              "pFrame:Anim(fOpenCycle(0, 10, 7) + fClosedCycle(1, 2, 5))\n";
  ExpectSameAsMachine(script);
  TOutcome outcome = RunEffect(script, true);
  EXPECT_TRUE(outcome.mCompiledAnim);
  EXPECT_FALSE(outcome.mByInstruction);
}

TEST(ParticleProgram, FadesAlphaVectorsAndExpiryAsOnTheMachine)
{
  ExpectSameAsMachine(std::string(kHeader) +
                      "pAge:Anim(pAge + fAge())\n"
                      "pColor:Anim(fAlpha(pColor, fFade(pAge, 1, 40, 0.5, 30, 0)))\n"
                      "pUp:Anim(f2dRotation(pAge / 100) + fVec(fDistance(pPosition, Vec2(1, 2)), 1))\n"
                      "pPosition:Anim(fVec(pPosition[1], pPosition[2] + 1))\n"
                      "Anim(fExpire(fGreater(pAge, 50)))\n");
}

TEST(ParticleProgram, FailuresMessagesAndRuntimeSlotsAsOnTheMachine)
{
  // An index past the record reports on every particle; a store whose slot comes from a
  // particle fails on those whose slot is out of range; debug lines come in order.
  std::string outOfRange = std::string(kHeader) + "pAge:Anim(pAge + 1)\n"
                                                  "pScale:Anim(pColor[40])\n"
                                                  "pFrame:Anim(pFrame + 1)\n";
  ExpectSameAsMachine(outOfRange);
  EXPECT_FALSE(RunEffect(outOfRange, true).mMessages.empty());
  ExpectSameAsMachine(std::string(kHeader) + "pAge:Anim(pAge + 3)\n"
                                             "Anim(CreateValue(\"assign\", { n = 3, Value(7), pAge, 1 }))\n"
                                             "Anim(CreateValue(\"newindex\", { n = 3, pAge / 10, 1, Value(2) }))\n"
                                             "Anim(fDebug(pAge, Vec2(1, 2)))\n"
                                             "pUp:Anim(Vec2(pAge, 1)[pFrame + 1])\n");
}

TEST(ParticleProgram, StreamsWithDataSourcesStayOnTheMachine)
{
  // A game value: the particle's scale doubled.
  class TDouble : public TParticleFunction
  {
  public:
    uint8_t GetReturnSize(int, uint8_t*) override { return 1; }
    bool Process(TParticleState& state, TParticleMachineState& machine) override
    {
      float value = state.mParams.mValues[4] * 2;
      return machine.Push(&value, 1);
    }
  } source;
  TAssetManager registry;
  TLuaParticleSystem system;
  system.RegisterDataSource("gDouble", &source);
  ASSERT_TRUE(system.Init("SetNumParticles(4)\npScale:Init(Value(3))\npFrame:Anim(pFrame + gDouble)\n"));
  const TLuaParticleSystem::TStream& anim = system.GetAnimStream();
  TParticleProgram program;
  EXPECT_FALSE(program.Compile(anim.data(), anim.size(), system.GetMemberWidths().data(),
                               (unsigned)system.GetMemberWidths().size()));
  system.CreateParticles(2);
  system.Update(16);
  system.Update(16);
  for (float* record : system.GetCollection()->mLive)
    EXPECT_EQ(12.0f, record[9]);
}

// Expressions drawn from the library's operators and functions, nested at random (with a
// fixed seed), each run both ways.
TEST(ParticleProgram, GeneratedExpressionsAsOnTheMachine)
{
  TRandom draw;
  draw.Seed(5);
  auto pick = [&](int n) { return draw.RandRange(0, n - 1); };
  std::function<std::string(int, int)> value = [&](int width, int depth) -> std::string {
    static const char* const kScalars[] = {"pScale", "pFrame", "pAge", "pColor[2]", "Value(0.5)", "3", "fAge()"};
    static const char* const kPairs[] = {"pPosition", "pUp", "pVelocity", "Vec2(2, -1)"};
    if (depth <= 0 || pick(3) == 0)
      return width == 1 ? kScalars[pick(7)] : width == 2 ? kPairs[pick(4)] : "Color(0.5, 0.25, 1, 0.75)";
    const int form = pick(9);
    const std::string a = value(width, depth - 1);
    if (form == 0)
      return "(" + a + " + " + value(width, depth - 1) + ")";
    if (form == 1)
      return "(" + a + " - " + value(width, depth - 1) + ")";
    if (form == 2)
      return "(" + a + " * " + value(1, depth - 1) + ")";
    if (form == 3)
      return "(" + a + " / (" + value(1, depth - 1) + " + 2))";
    if (form == 4)
      return "(-" + a + ")";
    if (form == 5)
      return "fTimeScale(" + a + ")";
    if (form == 6 && width == 1)
      return "fLess(" + a + ", " + value(1, depth - 1) + ")";
    if (form == 6 && width == 2)
      return "f2dRotation(" + value(1, depth - 1) + ")";
    if (form == 7 && width == 1)
      return "fFade(" + a + ", 1, 20, 0)";
    if (form == 7 && width == 2)
      return "fVec(" + value(1, depth - 1) + ", " + value(1, depth - 1) + ")";
    if (form == 8 && width == 1)
      return "fDistance(" + value(2, depth - 1) + ", Vec2(1, 1))";
    return a;
  };
  for (int round = 0; round < 40; ++round) {
    std::string script = kHeader;
    script += "pPosition:Anim(" + value(2, 3) + ")\n";
    script += "pScale:Anim(" + value(1, 3) + ")\n";
    script += "pUp:Anim(" + value(2, 2) + ")\n";
    if (pick(2))
      script += "pAge:Anim(pAge + " + value(1, 2) + ")\n";
    if (pick(3) == 0)
      script += "pFrame:Anim(fRange(0, " + value(1, 1) + "))\n";
    if (pick(4) == 0)
      script += "Anim(fExpire(fGreater(pAge, 40)))\n";
    ExpectSameAsMachine(script);
  }
}

// More particles than a block of the program holds, made and expiring at every step.
TEST(ParticleProgram, BlocksOfManyParticlesAsOnTheMachine)
{
  std::string crowd = kHeader;
  crowd.replace(crowd.find("SetNumParticles(40)"), 19, "SetNumParticles(300)");
  ExpectSameAsMachine(crowd + "SetUpGravity(30)\n"
                              "pPosition:Anim(pPosition + fTimeScale(pVelocity))\n"
                              "pAge:Anim(pAge + fAge())\n"
                              "Anim(fExpire(fGreater(pAge, 40)))\n",
                      140);
  ExpectSameAsMachine(crowd + "pUp:Anim(pUp * 0.5 + fTimeScale(pVelocity) - fTimeScale(pUp))\n"
                              "pScale:Anim(-pScale / 2 + fTimeScale(pAge) * pScale)\n"
                              "pAge:Anim(pAge + 17)\n"
                              "Anim(fExpire(fGreater(pAge, 60)))\n",
                      140);
}

// A member read before a store or a call writes the record keeps the value it had when
// read; a value stored over the floats it comes from is read whole first.
TEST(ParticleProgram, MembersReadBeforeAWriteKeepTheirValues)
{
  ExpectSameAsMachine(
      std::string(kHeader) +
      "pAge:Anim(pAge + 1)\n"
      "Anim(pScale)\n"
      "Anim(fDebug(pScale, CreateValue(\"assign\", { n = 3, Value(7), 4, 1 }), fTimeScale(pScale), pScale))\n");
  ExpectSameAsMachine(std::string(kHeader) +
                      "pAge:Anim(pAge + 1)\n"
                      "Anim(pScale)\n"
                      "Anim(fDebug(pScale, CreateValue(\"newindex\", { n = 3, 4, 1, pAge }), pScale))\n");
  ExpectSameAsMachine(std::string(kHeader) +
                      "Anim(CreateValue(\"assign\", { n = 3, pUp, 3, 2 }))\n"
                      "Anim(CreateValue(\"assign\", { n = 3, pPosition + fTimeScale(pUp), 1, 2 }))\n"
                      "Anim(CreateValue(\"assign\", { n = 3, pUp - pPosition, 1, 2 }))\n"
                      "pUp:Anim(Vec2(pUp[2], pUp[1]))\n");
}

// Gravity and motion: two loops over the records, each writing its member as it goes; the
// step's part of the gravity worked out once.
TEST(ParticleProgram, MotionRunsAsTwoLoopsOverTheRecords)
{
  TAssetManager registry;
  TLuaParticleSystem system;
  ASSERT_TRUE(system.Init("SetNumParticles(4)\nSetUpGravity(30)\npPosition:Anim(pPosition + fTimeScale(pVelocity))\n"));
  const TLuaParticleSystem::TStream& anim = system.GetAnimStream();
  TParticleProgram program;
  ASSERT_TRUE(program.Compile(anim.data(), anim.size(), system.GetMemberWidths().data(),
                              (unsigned)system.GetMemberWidths().size()));
  EXPECT_EQ(2u, program.GetParticleOpCount());
  EXPECT_EQ(1u, program.GetStepOpCount());
}
